"""Checks the programs installed on this machine (after `apt install ./quadrantix_*.deb` or `make install`), as a
user would start them: `quadrantix` from PATH with `/` as its working folder, under a private Xvfb.

    /usr/bin/python3 tests/install/check_installed.py [prefix, default /usr]

Prints what it finds and exits 1 when something is missing: the menu entry and Horacumul's autostart entry, the
launcher the clock writes (the installed entry itself), the chime played from the installed sound file, and the
screensaver started from the clock's menu."""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import Session, faketime_env, popen, read_trace, wait_until  # noqa: E402

PREFIX = Path(sys.argv[1] if len(sys.argv) > 1 else "/usr")
failures = []


def check(ok, what):
    print(("ok      " if ok else "MISSING ") + what)
    if not ok:
        failures.append(what)


def main():
    programs = PREFIX / "lib" / "quadrantix"
    check((PREFIX / "share/applications/quadrantix.desktop").is_file(), f"{PREFIX}/share/applications/quadrantix.desktop")
    autostart = Path("/etc/xdg/autostart/horacumul.desktop")
    check(autostart.is_file() and f'Exec="{programs}/horacumul"' in autostart.read_text(),
          f"{autostart} starting {programs}/horacumul")
    with Session(pulse=True) as s:  # a private sound server: without a device no sound file is read
        env = dict(s.env, PATH=f"{PREFIX}/bin:/usr/bin:/bin", QUADRANTIX_TRACE=str(s.dir / "clock.trace"))
        env.update(faketime_env("2026-12-09 10:59:57"))  # the hour strikes three seconds after the start
        (s.dir / "home/.config/Quadrantix").mkdir(parents=True)
        (s.dir / "home/.config/Quadrantix/Quadrantix.ini").write_text(
            "[Opzioni]\nAvvio=Analogico\nBig Ben=1\nSegnale orario=1\nTimer vita=0\nEsegui auto=0\nAllarme=0\n")
        log = s.dir / "strace.log"
        clock = popen(["strace", "-f", "-qq", "-e", "trace=openat,execve,newfstatat,statx,access", "-o", str(log), "quadrantix"], env=env,
                      cwd="/", stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pid = None
        try:
            trace = lambda event: [t for t in read_trace(s.dir / "clock.trace") if t.event == event]  # noqa: E731
            wait_until(lambda: trace("started"), 20, 0.1, "the clock did not start")
            launcher = s.dir / "home/.local/share/applications/quadrantix.desktop"
            check(launcher.read_bytes() == (PREFIX / "share/applications/quadrantix.desktop").read_bytes(),
                  "the launcher the clock wrote is the installed menu entry")
            opened = lambda name: any(name in line and "ENOENT" not in line  # noqa: E731
                                      for line in log.read_text(errors="replace").splitlines())
            try:
                wait_until(lambda: opened(f"{programs}/Ora.wav"), 15, 0.2)
            except TimeoutError:
                pass
            check(opened(f"{programs}/Ora.wav"), f"the hour's chime read from {programs}/Ora.wav")
            window = int(s.xdotool("search", "--onlyvisible", "--name", "^Quadrantix$").split()[0])
            pid = int(s.xdotool("getwindowpid", window))
            g = s.geometry(window)
            s.mouse_move(g.x + 60, g.y + 150)
            s.mouse_down(3)
            wait_until(lambda: trace("menu"), 5, 0.05, "no menu")
            s.mouse_up(3)
            s.key("Down")
            s.key("Return")  # the first item, "&Attiva salvaschermo"
            try:
                wait_until(lambda: trace("screensaver"), 5, 0.05)
            except TimeoutError:
                pass
            launched = trace("screensaver")
            check(bool(launched) and launched[0].args[-1] == "started", f"the screensaver: {launched}")
            check(opened(f'execve("{programs}/quadrasogno"'), f"{programs}/quadrasogno started by the clock")
            time.sleep(1)
            s.key("Escape")
        finally:
            if pid:  # strace ends with the clock
                os.kill(pid, 15)
            else:
                clock.terminate()
            clock.wait(10)
    print("installed programs: " + ("all found" if not failures else f"{len(failures)} missing"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
