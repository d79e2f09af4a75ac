"""Installation: `cmake --install BUILD --prefix P` gives a self-contained base
directory P/share/orbelune, a launcher P/bin/orbelune that works through
symlinks and from any working directory, a desktop entry and an icon.  The
installed program is started through the launcher on a private Xvfb.
"""
import configparser
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xharness  # noqa: E402

OPT = None
PREFIX = None   # installed once for the whole module
TMP = None


def install(prefix):
    r = subprocess.run(["cmake", "--install", OPT.build, "--prefix", prefix], capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError("install failed:\n" + r.stdout + r.stderr)


def setUpModule():
    global PREFIX, TMP
    TMP = tempfile.mkdtemp(prefix="orbelune-install-")
    PREFIX = os.path.join(TMP, "pre fix")  # a blank in the path must not matter
    install(PREFIX)


def tearDownModule():
    shutil.rmtree(TMP, ignore_errors=True)


def start(cmd, cwd, env=None):
    """Runs cmd on a fresh Xvfb until its window shows; returns its console."""
    x = xharness.Xvfb()
    out_path = os.path.join(TMP, "out.txt")
    # Its console goes to a file, so the launcher also logs it: under TMP.
    full_env = dict(os.environ, DISPLAY=x.display, LIBGL_ALWAYS_SOFTWARE="1",
                    XDG_STATE_HOME=os.path.join(TMP, "state"))
    full_env.update(env or {})
    try:
        with open(out_path, "wb") as out:
            proc = subprocess.Popen(cmd, cwd=cwd, env=full_env, stdout=out, stderr=subprocess.STDOUT)
            try:
                deadline = time.time() + 20
                shown = False
                while time.time() < deadline and proc.poll() is None and not shown:
                    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Orbelune"],
                                       env=full_env, capture_output=True, text=True)
                    shown = bool(r.stdout.split())
                    time.sleep(0.1)
                running = proc.poll() is None
            finally:
                if proc.poll() is None:
                    proc.send_signal(signal.SIGTERM)
                    proc.wait(5)
        with open(out_path, "rb") as f:
            return shown and running, f.read().decode("latin-1")
    finally:
        x.stop()


def base_line(console):
    for line in console.splitlines():
        if line.startswith("nous sommes ici -> "):
            return line
    return None


class Layout(unittest.TestCase):
    def test_installed_files(self):
        share = os.path.join(PREFIX, "share", "orbelune")
        exe = os.path.join(share, "simulgrav")
        self.assertTrue(os.access(exe, os.X_OK))
        self.assertEqual(len(os.path.basename(exe)), 9)
        # The machine code lies under lib/, reached by a relative symlink, so
        # the prefix can move.
        self.assertEqual(os.readlink(exe), "../../lib/orbelune/simulgrav")
        for rel in ["bin/orbelune-trace", "share/metainfo/org.orbelune.orbelune.metainfo.xml",
                    "share/man/man1/orbelune.1", "share/man/fr/man1/orbelune-trace.1"]:
            self.assertTrue(os.path.isfile(os.path.join(PREFIX, rel)), rel)
        # Every data file of the source tree is in the base directory, same bytes.
        for root, _, files in os.walk(OPT.data):
            for name in files:
                rel = os.path.relpath(os.path.join(root, name), OPT.data)
                with self.subTest(file=rel):
                    with open(os.path.join(OPT.data, rel), "rb") as a, open(os.path.join(share, rel), "rb") as b:
                        self.assertEqual(a.read(), b.read())
        launcher = os.path.join(PREFIX, "bin", "orbelune")
        self.assertTrue(os.access(launcher, os.X_OK))
        self.assertTrue(os.path.isfile(os.path.join(PREFIX, "share", "icons", "hicolor", "scalable", "apps",
                                                    "orbelune.svg")))

    def test_desktop_entry(self):
        path = os.path.join(PREFIX, "share", "applications", "orbelune.desktop")
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(path, encoding="utf-8")
        d = entry["Desktop Entry"]
        self.assertEqual(d["Type"], "Application")
        self.assertEqual(d["Name"], "Orbelune")
        self.assertEqual(d["Icon"], "orbelune")
        # The launcher by its absolute path, quoted because of the blank.
        self.assertEqual(d["Exec"], '"%s"' % os.path.join(PREFIX, "bin", "orbelune"))
        if shutil.which("desktop-file-validate"):
            r = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)


class Launcher(unittest.TestCase):
    def expect_installed_base(self, console, shown):
        self.assertTrue(shown, console)
        base = os.path.join(PREFIX, "share", "orbelune") + "/"
        self.assertEqual(base_line(console), "nous sommes ici -> %s " % base)
        self.assertIn("fichier de donnees:   %sdonnees.txt!" % base, console)
        self.assertIn(" corps \n", console, "the scenario is loaded")

    def test_through_symlinks_and_from_other_directories(self):
        links = os.path.join(TMP, "links")
        os.makedirs(links, exist_ok=True)
        direct = os.path.join(links, "orbelune")
        chained = os.path.join(links, "orb2")
        if not os.path.lexists(direct):
            os.symlink(os.path.join(PREFIX, "bin", "orbelune"), direct)
            os.symlink("orbelune", chained)  # a relative symlink to a symlink
        elsewhere = tempfile.mkdtemp(dir=TMP)
        for label, cmd, cwd, env in [
            ("by path, from /", [os.path.join(PREFIX, "bin", "orbelune")], "/", None),
            ("symlink, from another dir", [direct], elsewhere, None),
            ("symlink to symlink", [chained], elsewhere, None),
            ("found on PATH", ["orbelune"], elsewhere, {"PATH": links + os.pathsep + os.environ["PATH"]}),
        ]:
            with self.subTest(label):
                shown, console = start(cmd, cwd, env)
                self.expect_installed_base(console, shown)

    def test_installation_the_user_cannot_write_goes_through_a_user_copy(self):
        # As root: run the launcher as "nobody", for whom the installation is
        # read-only.  Otherwise: take the write permission away for a while.
        prefix = os.path.join(TMP, "ro")
        install(prefix)
        share = os.path.join(prefix, "share", "orbelune")
        home = tempfile.mkdtemp(dir=TMP)
        launcher = [os.path.join(prefix, "bin", "orbelune")]
        if os.getuid() == 0:
            if not shutil.which("setpriv"):
                self.skipTest("setpriv is needed to run as another user")
            os.chmod(TMP, 0o755)
            os.chown(home, 65534, 65534)
            launcher = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + launcher
        else:
            os.chmod(share, 0o555)
        try:
            user = os.path.join(home, ".local", "share", "orbelune")
            shown, console = start(launcher, "/", {"HOME": home})
            self.assertTrue(shown, console)
            self.assertEqual(base_line(console), "nous sommes ici -> %s/ " % user)
            self.assertIn(" corps \n", console)
            self.assertEqual(os.readlink(os.path.join(user, "simulgrav")), os.path.join(share, "simulgrav"))
            for name in os.listdir(OPT.data):
                self.assertTrue(os.path.exists(os.path.join(user, name)), name)
            # The user's data file is kept from one start to the next.
            with open(os.path.join(user, "donnees.txt"), "w") as f:
                f.write("nb=1\nm=3\nx=1 y=2 z=0\nu=0 v=0 w=0\n")
            shown, console = start(launcher, "/", {"HOME": home})
            self.assertTrue(shown, console)
            self.assertIn("1 m=3.000000 x= 1.000000 y=2.000000", console)
        finally:
            os.chmod(share, 0o755)

    def test_prefix_too_long_for_the_base_buffer(self):
        # The launcher then starts the program from inside its directory as
        # ./simulgrav, and the data is still found.
        prefix = os.path.join(TMP, "p" * 230)
        install(prefix)
        shown, console = start([os.path.join(prefix, "bin", "orbelune")], "/")
        self.assertTrue(shown, console)
        self.assertEqual(base_line(console), "nous sommes ici -> ./ ")
        self.assertIn(" corps \n", console)


if __name__ == "__main__":
    OPT = xharness.args()
    if not OPT.build:
        sys.exit("--build BUILD_DIR is needed")
    unittest.main(argv=sys.argv[:1], verbosity=2)
