"""The installed tree: `cmake --install` of the build into a stage (DESTDIR), checked as a desktop would read it.

For each prefix given at install time: the layout, the desktop entries (desktop-file-validate, and Exec as GLib
reads it), the icons, the AppStream metainfo (appstreamcli), the manual pages (man's own warnings), every path an
installed file names present in the stage, --strip, and `make uninstall` from the manifest leaving nothing behind.
The launcher the installed clock writes at its start is compared with the installed menu entry under Xvfb."""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import BUILD_DIR, SOURCE_DIR, Session  # noqa: E402

PROGRAMS = ("quadrantix", "quadrasogno", "horacumul")
SOUNDS = ("Ora.wav", "Mezzora.wav", "BigBen.wav", "Allarme.mid")
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
AUTOSTART = "/etc/xdg/autostart"

# What a desktop reads from an entry: GLib's key-file reader, then GIO's splitting of Exec (shell-like quoting, then
# %% for %). Prints Exec's arguments and TryExec, one a line.
READ_ENTRY = r"""
import sys
from gi.repository import GLib
kf = GLib.KeyFile()
kf.load_from_file(sys.argv[1], GLib.KeyFileFlags.NONE)
ok, argv = GLib.shell_parse_argv(kf.get_string("Desktop Entry", "Exec"))
print("\n".join(a.replace("%%", "%") for a in argv))
print(kf.get_string("Desktop Entry", "TryExec"))
"""


def run(argv, **kwargs):
    return subprocess.run([str(a) for a in argv], capture_output=True, text=True, timeout=300, **kwargs)


def install(stage, prefix, *extra):
    """cmake --install of the build into `stage` with `prefix` given at install time; returns the manifest's lines
    (the installed paths without the stage, as DESTDIR leaves them out)."""
    result = run(["cmake", "--install", BUILD_DIR, "--prefix", prefix, *extra], env=dict(os.environ, DESTDIR=stage))
    if result.returncode != 0:
        raise AssertionError(f"cmake --install failed:\n{result.stdout}\n{result.stderr}")
    return (BUILD_DIR / "install_manifest.txt").read_text().splitlines()


def staged(stage, path):
    return Path(str(stage) + str(path))


def png_size(path):
    data = Path(path).read_bytes()[:24]
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG"
    return struct.unpack(">II", data[16:24])


def is_text(path):
    data = Path(path).read_bytes()
    return b"\0" not in data[:4096] and not data.startswith(b"\x89PNG")


class InstallLayoutTest(unittest.TestCase):
    # Prefixes given at install time, whatever the build was configured with: the packaging one, the default one and
    # an unusual one with a space.
    PREFIXES = ("/usr", "/usr/local", "/opt/Quadrantix 1")

    def setUp(self):
        self.root = Path(tempfile.mkdtemp(prefix="qx-install-"))

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def test_every_prefix_installs_a_complete_consistent_tree(self):
        for n, prefix in enumerate(self.PREFIXES):
            with self.subTest(prefix=prefix):
                stage = self.root / f"stage{n}"
                manifest = install(stage, prefix)
                self.check_layout(stage, prefix)
                self.check_entries(stage, prefix)
                self.check_icons_metainfo_manuals(stage, prefix)
                self.check_named_paths_exist(stage, prefix, manifest)
                self.check_uninstall(stage)

    def check_layout(self, stage, prefix):
        programs = staged(stage, f"{prefix}/lib/quadrantix")
        for name in PROGRAMS:
            self.assertTrue(os.access(programs / name, os.X_OK), f"{name} in {programs}")
            link = staged(stage, f"{prefix}/bin/{name}")
            self.assertTrue(link.is_symlink(), f"no link {link}")
            self.assertFalse(os.path.isabs(os.readlink(link)), "a relative link, right in any DESTDIR")
            self.assertEqual(link.resolve(), (programs / name).resolve())
        for sound in SOUNDS:
            self.assertGreater((programs / sound).stat().st_size, 0, sound)

    def read_entry(self, path):
        check = run(["desktop-file-validate", path])
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertEqual(check.stdout + check.stderr, "", "no warning either")
        glib = run(["/usr/bin/python3", "-c", READ_ENTRY, path])
        self.assertEqual(glib.returncode, 0, glib.stderr)
        *argv, try_exec = glib.stdout.splitlines()
        return Path(path).read_text(), argv, try_exec

    def check_entries(self, stage, prefix):
        program = f"{prefix}/lib/quadrantix/quadrantix"
        text, argv, try_exec = self.read_entry(staged(stage, f"{prefix}/share/applications/quadrantix.desktop"))
        self.assertEqual(argv, [program])
        self.assertEqual(try_exec, program)
        for line in ("Icon=quadrantix", "StartupWMClass=Quadrantix", "Categories=Utility;Clock;", "Terminal=false"):
            self.assertIn(f"\n{line}\n", text)
        for key in ("Name", "Name[it]", "Comment", "Comment[it]", "GenericName[it]", "Keywords", "Keywords[it]"):
            self.assertRegex(text, rf"\n{re.escape(key)}=\S", key)

        # Sessions read /etc/xdg/autostart (the default $XDG_CONFIG_DIRS), whatever the prefix.
        text, argv, try_exec = self.read_entry(staged(stage, f"{AUTOSTART}/horacumul.desktop"))
        self.assertEqual(argv, [f"{prefix}/lib/quadrantix/horacumul"])
        self.assertEqual(try_exec, argv[0])
        self.assertIn("\nNoDisplay=true\n", text)
        self.assertNotIn("X-GNOME-AutoRestart=true", text)
        self.assertFalse(staged(stage, f"{prefix}/etc").exists(), "nothing under <prefix>/etc, which no session reads")

    def check_icons_metainfo_manuals(self, stage, prefix):
        icons = staged(stage, f"{prefix}/share/icons/hicolor")
        self.assertEqual((icons / "scalable/apps/quadrantix.svg").read_bytes(),
                         (SOURCE_DIR / "assets/quadrantix.svg").read_bytes())
        for size in ICON_SIZES:
            png = icons / f"{size}x{size}/apps/quadrantix.png"
            self.assertEqual(png_size(png), (size, size), png)

        metainfo = staged(stage, f"{prefix}/share/metainfo/org.quadrantix.Quadrantix.metainfo.xml")
        check = run(["appstreamcli", "validate", "--no-net", "--no-color", metainfo])
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertIn("<launchable type=\"desktop-id\">quadrantix.desktop</launchable>", metainfo.read_text())

        for name in PROGRAMS:
            page = staged(stage, f"{prefix}/share/man/man1/{name}.1")
            # How lintian checks a manual page: man's own warnings, on stderr.
            check = run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page],
                        env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
            self.assertEqual(check.returncode, 0, check.stderr)
            self.assertEqual(check.stderr, "", f"{name}(1)")
            self.assertNotIn("@", page.read_text().replace("dono@", ""), f"{name}(1): every placeholder filled in")

    def check_named_paths_exist(self, stage, prefix, manifest):
        """Every absolute path under the prefix or the autostart folder that an installed text file names."""
        roots = sorted({prefix, AUTOSTART}, key=len, reverse=True)
        pattern = re.compile("(?:" + "|".join(re.escape(r) for r in roots) + r")(?:/[\w.+-]+)*")
        named = 0
        for installed in manifest:
            path = staged(stage, installed)
            if path.is_symlink() or not is_text(path):
                continue
            text = path.read_text(encoding="utf-8")
            for match in pattern.finditer(text):
                named += 1
                self.assertTrue(os.path.lexists(staged(stage, match.group(0))),
                                f"{installed} names {match.group(0)}, which the install does not hold")
        self.assertGreater(named, 0, "the entries and manual pages name installed paths")

    def check_uninstall(self, stage):
        result = run(["cmake", "-P", SOURCE_DIR / "cmake/uninstall.cmake", BUILD_DIR / "install_manifest.txt"],
                     env=dict(os.environ, DESTDIR=stage))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        left = [p for p in stage.rglob("*") if not p.is_dir() or p.is_symlink()]
        self.assertEqual(left, [], "uninstall removes every file and link it installed")
        self.assertEqual([p for p in stage.rglob("quadrantix") if p.is_dir()], [], "and the programs' folder")

    def test_strip_leaves_no_symbols(self):
        stage = self.root / "stripped"
        install(stage, "/usr", "--strip")
        for name in PROGRAMS:
            sections = run(["readelf", "-S", "-W", staged(stage, f"/usr/lib/quadrantix/{name}")]).stdout
            self.assertIn(".text", sections)
            self.assertNotIn(".symtab", sections, name)
            self.assertNotIn(".debug_info", sections, name)

    def test_installed_clock_writes_the_installed_entry_as_its_launcher(self):
        stage = self.root / "stage"
        install(stage, "/usr")
        installed = staged(stage, "/usr/share/applications/quadrantix.desktop").read_text()
        with Session() as s:
            app = s.start(staged(stage, "/usr/bin/quadrantix"), config={"Opzioni": {"Avvio": "Analogico"}})
            app.wait_trace("started")
            launcher = Path(s.env["XDG_DATA_HOME"]) / "applications" / "quadrantix.desktop"
            # The same entry, but for the stage's folder: the program names the file that runs.
            self.assertEqual(launcher.read_text().replace(str(stage), ""), installed,
                             "the user's launcher never shadows the installed entry with another one")
            app.terminate()

if __name__ == "__main__":
    unittest.main()
