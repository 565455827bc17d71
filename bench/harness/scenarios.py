"""What `bench/run` measures: one row per scenario. Add a scenario by adding a line to SCENARIOS."""

from dataclasses import dataclass, field


@dataclass(frozen=True)
class Scenario:
    name: str
    program: str  # executable in <build>/bin
    settings: str | None = None  # contents of the settings file (QUADRANTIX_CONFIG); None: an empty private home
    # xdotool argument lists run once the window is mapped, e.g. ["key", "--window", "{window}", "F2"];
    # "{window}" becomes the program's first window id.
    actions: tuple = ()
    args: tuple = ()  # command-line arguments
    env: dict = field(default_factory=dict)  # extra environment, e.g. {"LANG": "it_IT.UTF-8"}
    duration: float = 20.0  # seconds measured
    settle: float = 3.0  # seconds between the actions and the start of the measurement
    window_name: str | None = None  # regex for the window to wait for; None: any window of the process


SCENARIOS = [
    Scenario("analog face", "quadrantix", settings="[Opzioni]\nAvvio=Analogico\n"),
    Scenario("large digital face, no mode", "quadrantix", settings="[Opzioni]\nAvvio=Quadrantix\n"),
]

# The harness's own yardsticks (bench/run --probe): a window that repaints once a second, and one driven by a 1 ms
# timer that repaints every time, as the recipes measured them.
PROBE_SCENARIOS = [
    Scenario("probe, repaint each second", "qx_e2e_probe"),
    Scenario("probe, 1 ms timer", "qx_e2e_probe", args=("--every-ms",)),
]
