"""What `bench/run` measures: one row per scenario. Add a scenario by adding a line to SCENARIOS."""

from dataclasses import dataclass, field

from . import large_face


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
    interlude: bool = False  # the screensaver runs an interlude in the window: report its start and its frames
    # (session, app, window, duration): drives the program during the measuring window instead of leaving it be.
    driver: object = None
    # (trace lines, start ns, end ns of the window) -> further lines for the report.
    analyse: object = None
    # A desk clock Debian ships, measured beside ours: `program` is its path, `window_name` its title; it writes no
    # trace and names no process id on its window.
    peer: bool = False
    shows_seconds: bool = True  # oclock has no second hand: it is no yardstick for the cost of showing seconds
    # The program's clock moved by whole seconds so that it starts at this second of a minute (libfaketime's
    # relative offset): the fraction of a second stays real, so the X server's times need no conversion.
    fake_second: int | None = None


# "Big Ben" marks the store as initialised; without it the first run would rewrite "Avvio" to its default.
ANALOG = "[Opzioni]\nBig Ben=1\nAvvio=Analogico\n"
LARGE = "[Opzioni]\nBig Ben=1\nAvvio=Quadrantix\n"
STAR = "[Opzioni]\nBig Ben=1\nAvvio=Digitale\n"
OVAL = "[Opzioni]\nBig Ben=1\nAvvio=Mini\n"


def large_face_mode(key):
    """Actions choosing a mode of the large face: button 1 opens the mode menu, `key` picks the item."""
    return (["mousemove", "--sync", "--window", "{window}", "27", "28"], ["click", "1"], ["sleep", "0.5"],
            ["key", key])




def faked(when):
    """The program's clock starts at `when` ('YYYY-MM-DD hh:mm:ss') and runs on in real time; timers stay real."""
    return {"LD_PRELOAD": "/usr/$LIB/faketime/libfaketime.so.1", "FAKETIME": "@" + when,
            "FAKETIME_DONT_FAKE_MONOTONIC": "1"}


# The millennium item is enabled only when the face opens before 2001: the program's clock is moved back.
YEAR_2000 = faked("2000-06-15 12:00:00")

SAVER_FACES = ("Analogico", "Digitale", "Mini", "Quadrantix")


def saver_settings(face):
    return f"[Opzioni]\nSalvaschermo={face}\nMessaggio=Comprare il pane e il latte\n"


# Each face of the screensaver idle (seconds 4 to 24 of a minute, no interlude) and through one interlude (from
# second 29, the sprinkling at 30 to 33 and the curtain to 42).
SAVER_SCENARIOS = [Scenario(f"screensaver {face}, idle", "quadrasogno", settings=saver_settings(face),
                            fake_second=1) for face in SAVER_FACES] + [
    Scenario(f"screensaver {face}, interlude", "quadrasogno", settings=saver_settings(face),
             env=faked("2026-12-09 12:00:28"), duration=14, settle=1, interlude=True) for face in SAVER_FACES]

# Start the stopwatch (button 2) once its mode is chosen.
START_STOPWATCH = (["mousemove", "--sync", "--window", "{window}", "82", "28"], ["click", "1"])
# A countdown of ten minutes from the dialog, with its default end action.
TEN_MINUTE_COUNTDOWN = (["sleep", "0.5"], ["type", "--delay", "20", "00:10:00"], ["key", "Return"])

SCENARIOS = [
    Scenario("analog face", "quadrantix", settings=ANALOG),
    Scenario("large digital face, no mode", "quadrantix", settings=LARGE),
    Scenario("large digital face, current time", "quadrantix", settings=LARGE, actions=large_face_mode("o")),
    Scenario("large digital face, run-time", "quadrantix", settings=LARGE, actions=large_face_mode("t")),
    Scenario("large digital face, millennium (year 2000)", "quadrantix", settings=LARGE, env=YEAR_2000,
             actions=large_face_mode("q")),
    *SAVER_SCENARIOS,
    Scenario("large digital face, running stopwatch", "quadrantix", settings=LARGE,
             actions=large_face_mode("c") + (["key", "Return"],) + START_STOPWATCH, duration=60.0,
             analyse=large_face.stopwatch_notes),
    Scenario("large digital face, running countdown", "quadrantix", settings=LARGE,
             actions=large_face_mode("c") + (["key", "c"], ["key", "Return"]) + TEN_MINUTE_COUNTDOWN,
             analyse=large_face.running_countdown_notes),
    Scenario("large digital face, countdowns ending", "quadrantix", settings=LARGE, duration=30.0,
             driver=large_face.repeat_countdowns, analyse=large_face.countdown_notes),
    # The star shows a new second with its separator; a minute long, so that its minute digits change once too.
    Scenario("star face Digitale", "quadrantix", settings=STAR, window_name="^Form1$", duration=61.0),
    Scenario("oval face Mini", "quadrantix", settings=OVAL, window_name="^Form1$"),
]

# The desk clocks Debian ships (x11-apps, xdaliclock), each with a second shown where it can: oclock has no second
# hand and redraws once a minute.
PEER_SCENARIOS = [
    Scenario("peer: xclock -update 1", "/usr/bin/xclock", args=("-update", "1"), window_name="^xclock$", peer=True),
    Scenario("peer: xclock -digital -update 1", "/usr/bin/xclock", args=("-digital", "-update", "1"),
             window_name="^xclock$", peer=True),
    Scenario("peer: oclock", "/usr/bin/oclock", window_name="^oclock$", peer=True, shows_seconds=False),
    Scenario("peer: xdaliclock", "/usr/bin/xdaliclock", window_name="^xdaliclock", peer=True),
]

# Our four faces and the idle screensaver, each set against the best of the peers (bench/run's comparison table).
COMPARED = ("analog face", "large digital face, current time", "star face Digitale", "oval face Mini",
            "screensaver Analogico, idle")

# The harness's own yardsticks (bench/run --probe): a window that repaints once a second, and one driven by a 1 ms
# timer that repaints every time, as the recipes measured them.
PROBE_SCENARIOS = [
    Scenario("probe, repaint each second", "qx_e2e_probe"),
    Scenario("probe, 1 ms timer", "qx_e2e_probe", args=("--every-ms",)),
]
