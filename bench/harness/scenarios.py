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


# "Big Ben" marks the store as initialised; without it the first run would rewrite "Avvio" to its default.
ANALOG = "[Opzioni]\nBig Ben=1\nAvvio=Analogico\n"
LARGE = "[Opzioni]\nBig Ben=1\nAvvio=Quadrantix\n"
STAR = "[Opzioni]\nBig Ben=1\nAvvio=Digitale\n"
OVAL = "[Opzioni]\nBig Ben=1\nAvvio=Mini\n"


def large_face_mode(key):
    """Actions choosing a mode of the large face: button 1 opens the mode menu, `key` picks the item."""
    return (["mousemove", "--sync", "--window", "{window}", "27", "28"], ["click", "1"], ["sleep", "0.5"],
            ["key", key])


# The millennium item is enabled only when the face opens before 2001: the program's clock is moved back. Its
# `shown` seconds are then not the real ones, so that row has no lag figures.
YEAR_2000 = {"LD_PRELOAD": "/usr/$LIB/faketime/libfaketime.so.1", "FAKETIME": "@2000-06-15 12:00:00",
             "FAKETIME_DONT_FAKE_MONOTONIC": "1"}

SCENARIOS = [
    Scenario("analog face", "quadrantix", settings=ANALOG),
    Scenario("large digital face, no mode", "quadrantix", settings=LARGE),
    Scenario("large digital face, current time", "quadrantix", settings=LARGE, actions=large_face_mode("o")),
    Scenario("large digital face, run-time", "quadrantix", settings=LARGE, actions=large_face_mode("t")),
    Scenario("large digital face, millennium (year 2000)", "quadrantix", settings=LARGE, env=YEAR_2000,
             actions=large_face_mode("q")),
    # The star shows a new second with its separator; a minute long, so that its minute digits change once too.
    Scenario("star face Digitale", "quadrantix", settings=STAR, window_name="^Form1$", duration=61.0),
    Scenario("oval face Mini", "quadrantix", settings=OVAL, window_name="^Form1$"),
]

# The harness's own yardsticks (bench/run --probe): a window that repaints once a second, and one driven by a 1 ms
# timer that repaints every time, as the recipes measured them.
PROBE_SCENARIOS = [
    Scenario("probe, repaint each second", "qx_e2e_probe"),
    Scenario("probe, 1 ms timer", "qx_e2e_probe", args=("--every-ms",)),
]
