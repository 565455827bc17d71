"""`make screenshots`: the README's pictures, rendered by the real programs under a private Xvfb (the end-to-end
harness) at a fixed time with fixed settings, so that the same sources give the same pictures.

    /usr/bin/python3 tools/screenshots/screenshots.py <build folder> <output folder>

Shaped faces are saved with their outside transparent (the window's X11 shape), full-screen pictures as they are."""

import os
import sys
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
os.environ.setdefault("QX_SOURCE_DIR", str(SOURCE))
if len(sys.argv) != 3:
    sys.exit("usage: screenshots.py <build folder> <output folder>")
os.environ["QX_BUILD_DIR"] = str(Path(sys.argv[1]).resolve())
OUT = Path(sys.argv[2]).resolve()
sys.path.insert(0, str(SOURCE / "tests" / "e2e"))
from harness import Session  # noqa: E402
from PIL import Image  # noqa: E402

# Wednesday 9 December 2026, 10:08:31: hands apart from one another, a date with long names. The faked clock starts
# at 10:08:30 and runs ten times slower than real time (the toolkit's timers stay real), so second 31 is shown from
# 10 to 20 real seconds after the program's start, whatever the machine's speed; the analog face draws its hands at
# its first tick, on that boundary. The interlude needs the clock at its real pace to reach second 30.
WHEN = "2026-12-09 10:08:30 x0.1"
SHOT_AT, SHOT_BY = 12.0, 19.0  # real seconds after the start
# The screensaver draws its face at its start: it is shown with the clock stopped at 10:08:31 (an absolute FAKETIME).
STOPPED = {"FAKETIME": "2026-12-09 10:08:31"}

FIRST_RUN = {"Allarme": "0", "Big Ben": "1", "Segnale orario": "1", "Timer vita": "3711", "Esegui auto": "0"}
SETTINGS = {
    "Opzioni": dict(FIRST_RUN, Messaggio="Chiamare Giulia per la cena"),
    "Allarme": {"Ore": "07", "Minuti": "45", "Messaggio": "Sveglia! Riunione alle 9"},
}
# Italian weekday and month names; fixed fonts come from the Debian packages install-deps names.
ENV = {"LANG": "it_IT.UTF-8", "TZ": "UTC"}


def settings(**opzioni):
    result = {section: dict(values) for section, values in SETTINGS.items()}
    result["Opzioni"].update(opzioni)
    return result


def settle(app):
    """Waits until the faces show 10:08:31; fails the run if that second may have passed."""
    time.sleep(max(0.0, app.spawn_ns / 1e9 + SHOT_AT - time.time()))
    if time.time() - app.spawn_ns / 1e9 > SHOT_BY:
        sys.exit(f"screenshots: {app.name} took too long to show itself; run again on a less busy machine")


def save_window(s, window, name):
    """The window's area, transparent outside its shape and cut to it."""
    g = s.geometry(window)
    shot = s.screenshot(s.dir / f"{name}-screen.png").crop((g.x, g.y, g.x + g.width, g.y + g.height)).convert("RGBA")
    mask = Image.new("L", shot.size, 0)
    for x, y, w, h in s.shape_rects(window):
        mask.paste(255, (x, y, x + w, y + h))
    shot.putalpha(mask)
    shot = shot.crop(mask.getbbox())
    shot.save(OUT / f"{name}.png", optimize=True)
    print(f"screenshots: {OUT / name}.png ({shot.width} x {shot.height})")


def save_screen(s, name):
    s.screenshot(OUT / f"{name}.png")
    print(f"screenshots: {OUT / name}.png")


def face(name, avvio):
    with Session(env=ENV) as s:
        app = s.start("quadrantix", config=settings(Avvio=avvio), faketime=WHEN)
        window = app.window()
        app.wait_trace("started")
        if avvio == "Quadrantix":  # the large face shows nothing until a mode is chosen: "&Ora corrente"
            g = s.geometry(window)
            s.click(g.x + 27, g.y + 28)
            app.wait_trace("menu")
            s.key("o")
        s.mouse_move(1000, 760)  # the pointer away from the face
        settle(app)
        save_window(s, window, name)
        app.terminate()


def options():
    with Session(wm=True, env=ENV) as s:
        app = s.start("quadrantix", config=settings(Avvio="Analogico", Allarme="1"), faketime=WHEN)
        window = app.window(name="^Quadrantix$")
        g = s.geometry(window)
        s.context_menu(app, g.x + 60, g.y + 150, "o")  # "&Opzioni"
        dialog = app.window(name="^Opzioni$")
        s.mouse_move(1000, 760)
        settle(app)
        save_window(s, dialog, "opzioni")
        app.terminate()


def alarm():
    with Session(wm=True, env=ENV) as s:
        config = settings(Avvio="Analogico", Allarme="1")
        app = s.start("quadrantix", config=config, faketime="2026-12-09 07:44:57")
        window = app.window(name="^Quadrantix - Allarme!$", timeout=20)
        s.mouse_move(1000, 760)
        time.sleep(0.5)
        save_window(s, window, "allarme")
        app.terminate()


def screensaver():
    with Session(screen="800x600x24", env=ENV) as s:
        app = s.start("quadrasogno", config=settings(Salvaschermo="Analogico"), faketime=WHEN, env=STOPPED)
        app.window()
        app.wait_trace("shown")
        s.mouse_move(5, 5)  # the first movement only records where the pointer is (and the pointer is hidden)
        time.sleep(1.5)
        save_screen(s, "quadrasogno")
        app.terminate()
    # The interlude comes at second 30 of the running clock; the reminder, on its black curtain, is the same each time.
    with Session(screen="800x600x24", env=ENV) as s:
        app = s.start("quadrasogno", config=settings(Salvaschermo="Analogico"), faketime="2026-12-09 10:08:28")
        app.window()
        app.wait_trace("shown")
        s.mouse_move(5, 5)
        app.wait_trace("interlude", timeout=20)
        app.wait_trace("reminder", timeout=15)
        save_screen(s, "quadrasogno-intermezzo")
        app.terminate()


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    face("analogico", "Analogico")
    face("digitale", "Digitale")
    face("mini", "Mini")
    face("quadrantix", "Quadrantix")
    options()
    alarm()
    screensaver()


if __name__ == "__main__":
    main()
