"""The session's private system bus and python3-dbusmock's logind on it."""

import re
import subprocess

from .processes import START_TIMEOUT, HarnessError, _read_line, _tail, wait_until


class SystemBus:
    """A Session's private system bus and the services on it."""

    def start_system_bus(self):
        """A private dbus-daemon standing for the system bus: programs started from now on reach it through
        DBUS_SYSTEM_BUS_ADDRESS (the machine's own is never used). Returns its address."""
        socket = self.dir / "system-bus.sock"
        self.system_bus = self._spawn("system-dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                                      "--print-address=1", f"--address=unix:path={socket}"],
                                      stdout=subprocess.PIPE)
        address = _read_line(self.system_bus.stdout.fileno(), START_TIMEOUT,
                             "the system dbus-daemon did not print its address", self.system_bus)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        return address

    def start_logind_mock(self):
        """python3-dbusmock's logind on the private system bus (started if need be); returns a LogindMock."""
        if self.system_bus is None:
            self.start_system_bus()
        return LogindMock(self)


class LogindMock:
    """python3-dbusmock's logind template on the session's private system bus, which records the calls it gets."""

    NAME = "org.freedesktop.login1"
    PATH = "/org/freedesktop/login1"

    def __init__(self, session):
        self.session = session
        self.popen = session._spawn("logind-mock", ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind"])

        def ready():
            if self.popen.poll() is not None:
                raise HarnessError("the logind mock ended at start:\n"
                                   + _tail((session.dir / "logind-mock.log").read_text(errors="replace")))
            out = self._send(["--dest=org.freedesktop.DBus", "/", "org.freedesktop.DBus.NameHasOwner",
                              f"string:{self.NAME}"], check=False)
            return "boolean true" in out

        wait_until(ready, START_TIMEOUT, 0.05, "the logind mock did not take its name")

    def _send(self, args, check=True):
        result = self.session.run(["dbus-send", "--system", "--print-reply", *args], check=check)
        return result.stdout

    def calls(self):
        """[(method, (arguments...))] the mock received, in order; arguments as dbus-send prints them ('true')."""
        out = self._send([f"--dest={self.NAME}", self.PATH, "org.freedesktop.DBus.Mock.GetCalls"])
        calls = []
        for match in re.finditer(r'string "([^"]*)"\s*array \[(.*?)\]', out, re.S):
            arguments = tuple(value for value in re.findall(r"variant\s+\w+\s+(\S+)", match.group(2)))
            calls.append((match.group(1), arguments))
        return calls
