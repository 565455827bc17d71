"""The test session manager (tests/e2e/session_manager): an X11 session manager that logs the user off on demand."""

import subprocess
import threading

from .processes import BUILD_DIR, wait_until


class TestSessionManager:
    """Runs qx_test_session_manager in a session, as a context manager. `said` collects the lines it prints
    ("listening <address>", "registered <id>", "property <name> <value>", "saved <1|0>", "die"); `env` is what a
    program needs to reach it; logout() asks each client to save for a shut-down and then to die."""

    def __init__(self, session):
        self.session = session
        self.said = []
        self.popen = None
        self._reader = None

    def __enter__(self):
        self.popen = subprocess.Popen([str(BUILD_DIR / "bin" / "qx_test_session_manager")], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                      env=self.session.env, cwd=self.session.dir)
        self._reader = threading.Thread(target=lambda: self.said.extend(line.strip() for line in self.popen.stdout),
                                        daemon=True)
        self._reader.start()
        listening = wait_until(lambda: next((x for x in self.said if x.startswith("listening ")), None), 10)
        self.env = {"SESSION_MANAGER": listening.split(" ", 1)[1]}
        return self

    def wait_registered(self):
        wait_until(lambda: any(x.startswith("registered ") for x in self.said), 10,
                   message=f"never registered: {self.said}")

    def logout(self):
        self.popen.stdin.write("logout\n")
        self.popen.stdin.flush()

    def __exit__(self, exc_type, exc, tb):
        self.popen.stdin.close()  # it ends, removing its socket
        try:
            self.popen.wait(10)
        except subprocess.TimeoutExpired:
            self.popen.kill()
            self.popen.wait(10)
        self._reader.join(5)
        self.popen.stdout.close()
        return False
