"""The Debian package, built by packaging/build-deb.sh.

Contents: lintian finds no error and no warning, the AppStream entry and the
desktop entry validate, the file list and the control fields are what an
administrator installs.

RealInstall (as root only, and only where no orbelune package is installed
already): `apt-get install ./orbelune_<version>_<arch>.deb`, then a
throwaway ordinary user starts the program on a private Xvfb through the
desktop entry's Exec line, with a private D-Bus session and a real
notification service (dunst, whose rule records every notification).  A
preset installed from the menu lands in the user's own base directory, and a
mistyped donnees.txt reloaded with "z" brings a notification that names the
log, while the window stays open.  The package is then purged: nothing of it
is left outside the user's own data.  Everything started is stopped, and the
user and the package removed, even when a step fails.

    python3 tests/package/test_deb.py        (from test.sh)
"""
import configparser
import fcntl
import os
import pwd
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(TOP, "tests", "window"))
import xharness  # noqa: E402
from xmenu import Menu  # noqa: E402

DEB = None
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"

# Rows of the main menu and of the preset submenu (as in the menu tests).
PRESET_ROWS, CAS_INITIAUX, PHASING_POS = 15, 1, 6
PHASING_POS_FILE = "DONNEES/donneesPhaPos.txt"
BANNER = "go! go! go! go! go!"


def run(*cmd, **kw):
    return subprocess.run(list(cmd), capture_output=True, text=True, **kw)


def project_version():
    with open(os.path.join(TOP, "CMakeLists.txt")) as f:
        return re.search(r"^project\(orbelune VERSION ([0-9.]+)", f.read(), re.M).group(1)


def setUpModule():
    global DEB
    r = run(os.path.join(TOP, "packaging", "build-deb.sh"), cwd="/")
    if r.returncode != 0:
        raise RuntimeError("build-deb.sh failed:\n" + r.stdout[-3000:] + r.stderr[-3000:])
    DEB = r.stdout.strip().splitlines()[-1]


class Contents(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="orbelune-deb-")
        subprocess.run(["dpkg-deb", "-x", DEB, cls.tmp], check=True)
        cls.files = {}   # path -> (mode string, link target)
        for line in run("dpkg-deb", "-c", DEB).stdout.splitlines():
            f = line.split(None, 5)
            path, _, target = f[5].partition(" -> ")
            cls.files[path[1:].rstrip("/") or "/"] = (f[0], target)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_name_and_control_fields(self):
        arch = run("dpkg", "--print-architecture").stdout.strip()
        self.assertEqual(os.path.basename(DEB), "orbelune_%s_%s.deb" % (project_version(), arch))
        self.assertEqual(os.path.dirname(DEB), os.path.join(TOP, "build-deb"))
        fields = dict(re.findall(r"^ ?([A-Za-z-]+): (.*)$", run("dpkg-deb", "-f", DEB).stdout, re.M))
        self.assertEqual(fields["Version"], project_version())
        deps = [d.strip() for d in fields["Depends"].split(",")]
        self.assertIn("xdg-utils", deps)
        # Computed from the binaries: the C library and GLUT at least.
        self.assertTrue(any(d.startswith("libc6 ") for d in deps), deps)
        self.assertTrue(any(d.startswith("libglut") for d in deps), deps)
        self.assertEqual(fields["Recommends"], "libnotify-bin")

    def test_lintian_finds_no_error_and_no_warning(self):
        r = run("lintian", "--fail-on", "error,warning", DEB)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual([l for l in r.stdout.splitlines() if l[:2] in ("E:", "W:")], [])

    def test_metainfo_and_desktop_entry_validate(self):
        meta = os.path.join(self.tmp, "usr/share/metainfo/org.orbelune.orbelune.metainfo.xml")
        r = run("appstreamcli", "validate", "--no-net", meta)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        root = ET.parse(meta).getroot()
        for tag in ("name", "summary"):
            langs = {e.get(XML_LANG) for e in root.findall(tag) if e.text.strip()}
            self.assertEqual(langs, {None, "fr"}, tag)
        paras = root.findall("description/p")
        self.assertEqual({p.get(XML_LANG) for p in paras}, {None, "fr"})
        self.assertEqual(root.find("launchable").text, "orbelune.desktop")

        desktop = os.path.join(self.tmp, "usr/share/applications/orbelune.desktop")
        r = run("desktop-file-validate", desktop)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(desktop, encoding="utf-8")
        self.assertEqual(shlex.split(entry["Desktop Entry"]["Exec"]), ["/usr/bin/orbelune"])

    def test_file_list(self):
        f = self.files
        # Nothing outside /usr; no machine code under /usr/share.
        self.assertEqual([p for p in f if p != "/" and not p.startswith("/usr")], [])
        for path in ["/usr/bin/orbelune", "/usr/bin/orbelune-trace", "/usr/lib/orbelune/simulgrav"]:
            with self.subTest(path):
                self.assertRegex(f[path][0], r"^-rwxr-xr-x")
        self.assertEqual(f["/usr/share/orbelune/simulgrav"][1], "../../lib/orbelune/simulgrav")
        for root, _, names in os.walk(os.path.join(TOP, "data")):
            for n in names:
                rel = os.path.relpath(os.path.join(root, n), os.path.join(TOP, "data"))
                self.assertIn("/usr/share/orbelune/" + rel, f)
        expected = [
            "/usr/share/applications/orbelune.desktop",
            "/usr/share/icons/hicolor/scalable/apps/orbelune.svg",
            "/usr/share/metainfo/org.orbelune.orbelune.metainfo.xml",
            "/usr/share/man/man1/orbelune.1.gz", "/usr/share/man/man1/orbelune-trace.1.gz",
            "/usr/share/man/fr/man1/orbelune.1.gz", "/usr/share/man/fr/man1/orbelune-trace.1.gz",
            "/usr/share/doc/orbelune/copyright", "/usr/share/doc/orbelune/changelog.gz",
        ] + ["/usr/share/icons/hicolor/%dx%d/apps/orbelune.png" % (s, s) for s in (16, 22, 24, 32, 48, 64, 128, 256)]
        self.assertEqual([p for p in expected if p not in f], [])
        # Each PNG icon has its directory's size.
        for s in (16, 48, 256):
            with open(os.path.join(self.tmp, "usr/share/icons/hicolor/%dx%d/apps/orbelune.png" % (s, s)), "rb") as png:
                head = png.read(24)
            self.assertEqual((int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")), (s, s))
        # The man pages read back, in both languages.
        for page, text in [("man1/orbelune-trace.1.gz", "--svg"), ("fr/man1/orbelune.1.gz", "journal")]:
            r = run("man", "-l", os.path.join(self.tmp, "usr/share/man", page), env=dict(os.environ, MANPAGER="cat"))
            self.assertIn(text, r.stdout.replace("\u2010", "-"), page)


def as_user(user, env, cmd):
    """cmd run as `user`, with only the environment given."""
    return (["setpriv", "--reuid=%d" % user.pw_uid, "--regid=%d" % user.pw_gid, "--init-groups", "env", "-i",
             "HOME=" + user.pw_dir, "USER=" + user.pw_name, "LOGNAME=" + user.pw_name,
             "PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8"]
            + ["%s=%s" % kv for kv in env.items()] + list(cmd))


def orbelune_paths():
    """Paths whose name mentions orbelune in the system's directories."""
    found = set()
    for top in ["/usr", "/etc", "/opt", "/var/lib", "/var/cache"]:
        for root, dirs, names in os.walk(top):
            for n in dirs + names:
                if "orbelune" in n:
                    found.add(os.path.join(root, n))
    return found


class Desktop:
    """What xmenu needs of a session: commands on the display, screenshots."""

    def __init__(self, display, proc):
        self.env = dict(os.environ, DISPLAY=display)
        self.proc = proc
        self.tmp = tempfile.mkdtemp(prefix="orbelune-shots-")

    def run(self, *cmd, timeout=20):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True, timeout=timeout)

    def shot(self):
        from PIL import Image
        path = os.path.join(self.tmp, "shot-%d.png" % int(time.time() * 1000))
        self.run("import", "-window", "root", "-depth", "8", path)
        return Image.open(path).convert("RGB")


def text_of(path):
    """The file's text so far, empty while it does not exist."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def wait_for(what, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        v = what()
        if v:
            return v
        time.sleep(0.2)
    return what()


@unittest.skipUnless(os.geteuid() == 0, "installing a package needs root")
class RealInstall(unittest.TestCase):
    USER = "orbelune-essai"

    def setUp(self):
        # One run at a time on a machine: the package is system-wide.
        os.makedirs("/run/lock", exist_ok=True)   # absent in a bare chroot
        self.lock = open("/run/lock/orbelune-package-test", "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        self.addCleanup(self.lock.close)
        if run("dpkg-query", "-W", "-f=${Status}", "orbelune").stdout.endswith("installed"):
            self.skipTest("an orbelune package is installed on this machine; it is left alone")

    def cleanup_user(self):
        try:
            uid = pwd.getpwnam(self.USER).pw_uid
        except KeyError:
            return
        # Anything of the user's still running was started by this test.
        for pid in os.listdir("/proc"):
            if pid.isdigit():
                try:
                    if os.stat("/proc/" + pid).st_uid == uid:
                        os.kill(int(pid), 9)
                except OSError:
                    pass
        run("userdel", "--remove", self.USER)

    def stop(self, proc):
        if proc.poll() is None:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()

    def test_install_start_from_the_menu_entry_warn_and_purge(self):
        self.cleanup_user()   # left by a run that was killed
        before = orbelune_paths()
        apt_env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        self.addCleanup(lambda: run("apt-get", "purge", "-y", "-o", "DPkg::Lock::Timeout=600", "orbelune",
                                    env=apt_env))
        r = run("apt-get", "install", "-y", "-o", "DPkg::Lock::Timeout=600", DEB, env=apt_env)
        self.assertEqual(r.returncode, 0, r.stdout[-2000:] + r.stderr[-2000:])
        installed = [p for p in run("dpkg", "-L", "orbelune").stdout.splitlines() if not os.path.isdir(p)]
        self.assertIn("/usr/bin/orbelune", installed)

        self.assertEqual(run("useradd", "--create-home", "--shell", "/bin/sh", self.USER).returncode, 0)
        self.addCleanup(self.cleanup_user)
        user = pwd.getpwnam(self.USER)
        home = user.pw_dir
        mine = os.path.join(home, ".local", "share", "orbelune")
        log = os.path.join(home, ".local", "state", "orbelune", "orbelune.log")
        notes = os.path.join(home, "notifications.txt")

        x = xharness.Xvfb()
        self.addCleanup(x.stop)
        session = {"DISPLAY": x.display, "LIBGL_ALWAYS_SOFTWARE": "1"}
        bus = subprocess.Popen(as_user(user, session, ["dbus-daemon", "--session", "--nofork", "--print-address=1"]),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(self.stop, bus)
        session["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        bus.stdout.close()
        self.assertTrue(session["DBUS_SESSION_BUS_ADDRESS"])

        # dunst shows the notifications and, by a rule that matches them all,
        # runs a script that records each one's summary and body.
        record = os.path.join(home, "record.sh")
        with open(record, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n%%s\\n--\\n" "$2" "$3" >> %s\n' % shlex.quote(notes))
        os.chmod(record, 0o755)
        dunstrc = os.path.join(home, "dunstrc")
        with open(dunstrc, "w") as f:
            f.write('[global]\n    font = Monospace 8\n[record]\n    summary = "*"\n    script = %s\n' % record)
        dunst = subprocess.Popen(as_user(user, session, ["dunst", "-config", dunstrc]),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop, dunst)
        ask = as_user(user, session, ["dbus-send", "--session", "--print-reply", "--reply-timeout=2000",
                                      "--dest=org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                      "org.freedesktop.Notifications.GetServerInformation"])
        self.assertTrue(wait_for(lambda: run(*ask).returncode == 0), "dunst answers on the session bus")

        # Started as the menu starts it: the Exec line, no terminal.
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read("/usr/share/applications/orbelune.desktop", encoding="utf-8")
        exec_line = shlex.split(entry["Desktop Entry"]["Exec"])
        prog = subprocess.Popen(as_user(user, session, exec_line), cwd=home, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop, prog)
        desk = Desktop(x.display, prog)
        self.addCleanup(shutil.rmtree, desk.tmp, True)
        wid = wait_for(lambda: desk.run("xdotool", "search", "--onlyvisible", "--name", "Orbelune").stdout.split())
        self.assertTrue(wid, "the window opens")

        def console():
            return text_of(log)

        # The installation is read-only for the user: the per-user base.
        self.assertTrue(wait_for(lambda: console().count(BANNER) == 1), console())
        self.assertIn("nous sommes ici -> %s/ " % mine, console())
        self.assertEqual(os.readlink(os.path.join(mine, "simulgrav")), "/usr/share/orbelune/simulgrav")

        time.sleep(0.5)
        menu = Menu(desk)
        menu.open(120, 120)
        menu.choose_sub(CAS_INITIAUX, PRESET_ROWS, PHASING_POS)
        self.assertTrue(wait_for(lambda: console().count(BANNER) == 2), console())
        with open(os.path.join(TOP, "data", PHASING_POS_FILE), "rb") as a, \
                open(os.path.join(mine, "donnees.txt"), "rb") as b:
            self.assertEqual(a.read(), b.read())

        # A teacher's decimal comma, then "z": the warning reaches the
        # desktop while the window is open, and names the log.
        with open(os.path.join(mine, "donnees.txt"), "w") as f:
            f.write("nb=2\nm=8\nx=0 y=0 z=0\nu=0 v=0 w=0\nm=0,01\nx=5 y=0 z=0\nu=0 v=1.2 w=0\n")
        desk.run("xdotool", "key", "--window", wid[0], "z")
        def recorded():
            return text_of(notes)

        self.assertTrue(wait_for(lambda: recorded().endswith("--\n")),
                        "a notification comes: " + console())
        self.assertIsNone(prog.poll(), "the window is still open")
        summary, *body = recorded().split("\n--\n")[0].split("\n")
        print("\nnotification: %s / %s" % (summary, " | ".join(body)), file=sys.stderr)
        self.assertRegex(summary, r"^Orbelune : .*avertissement.* sur le fichier de données$")
        self.assertEqual(body[-1], "Journal complet : " + log)
        warnings = [l[len("attention: "):] for l in console().splitlines() if l.startswith("attention: ")]
        self.assertTrue(warnings, console())
        self.assertEqual(body[0], warnings[0].replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;"))

        desk.run("xdotool", "key", "--window", wid[0], "Q")
        self.assertEqual(prog.wait(10), 0)

        r = run("apt-get", "purge", "-y", "-o", "DPkg::Lock::Timeout=600", "orbelune", env=apt_env)
        self.assertEqual(r.returncode, 0, r.stdout[-2000:] + r.stderr[-2000:])
        self.assertFalse(run("dpkg-query", "-W", "-f=${Status}", "orbelune").stdout.endswith(" installed"))
        self.assertEqual([p for p in installed if os.path.lexists(p)], [])
        self.assertEqual(sorted(orbelune_paths() - before), [])
        # The user's own data stays theirs.
        self.assertTrue(os.path.isfile(os.path.join(mine, "donnees.txt")))
        self.assertTrue(os.path.isfile(log))


if __name__ == "__main__":
    unittest.main(verbosity=2)
