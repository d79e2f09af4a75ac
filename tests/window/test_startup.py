"""Start-up of the window program: console lines, the base directory taken
from the program path, the window's title, size and position.

Runs the real program on a private Xvfb (xharness) with small data files of
its own.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xharness  # noqa: E402

OPT = None

DONNEES = "nb=2\nm=8\nx=0 y=0 z=0\nu=0 v=0 w=0\nm=1\nx=12 y=0 z=0\nu=0 v=0.8 w=0\n"


def session(**kw):
    return xharness.Session(OPT.exe, OPT.data, **kw)


def exec_as(argv0, workdir="."):
    """Wrapper that starts the program (appended as the last argument) from
    workdir, relative to the session's temporary directory, with argv[0] set
    to argv0."""
    return ("bash", "-c", 'cd "$1" && exec -a "$0" "$2"', argv0, workdir)


def console_line(out, prefix):
    for line in out.splitlines(True):
        if line.startswith(prefix):
            return line
    return None


class Console(unittest.TestCase):
    def test_lines_in_order_with_base_directory_and_loader_echo(self):
        with session(donnees=DONNEES, args=("un", "deux")) as s:
            s.wait_window()
            self.assertTrue(s.wait_stdout("l'affichage OpenGL commence maintenant \n"))
            out = s.stdout()
        base = s.base + "/"
        expected = [
            "argv[0]-> %s [1]-> un  [2]-> deux [3]->   \n" % s.exe,
            "nous sommes ici -> %s \n" % base,
            "go! go! go! go! go!  \n",
            "fichier de donnees:   %sdonnees.txt!   \n" % base,
            "2 corps \n",
            "1 m=8.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000\n",
            "2 m=1.000000 x= 12.000000 y=0.000000 xp=0.000000 yp=0.800000\n",
            "dt=0.001000\n",
            "l'affichage OpenGL commence maintenant \n",
        ]
        pos = -1
        for line in expected:
            at = out.find(line, pos + 1)
            self.assertGreater(at, pos, "missing or out of order: %r\n--- console:\n%s" % (line, out))
            pos = at
        self.assertTrue(out.startswith(expected[0]), out)
        self.assertTrue(out.endswith(expected[-1]), "nothing after the last start-up line:\n" + out)

    def test_window_title_size_and_position(self):
        with session(donnees=DONNEES) as s:
            wid = s.wait_window()
            name = s.run("xdotool", "getwindowname", wid).stdout.rstrip("\n")
            self.assertEqual(name, "Orbelune VOQ 2003 ~ ~ ~ ~ ~ ~ ~")
            self.assertEqual(s.geometry(), (0, 0, 1024, 768))
            time.sleep(0.5)
            self.assertIsNone(s.proc.poll(), "the program keeps running, paused")


class BaseDirectory(unittest.TestCase):
    """The base directory is the program path without its last 9 characters;
    shorter paths and paths whose directory exceeds 255 characters give the
    empty base, so the data file is looked up in the working directory."""

    def run_as(self, argv0, workdir="."):
        with session(donnees=DONNEES, wrapper=exec_as(argv0, workdir)) as s:
            self.assertTrue(s.wait_stdout("l'affichage OpenGL commence maintenant \n", timeout=20), s.stderr())
            s.wait_window()
            return s.stdout(), s.stderr(), s

    def test_paths_of_several_shapes(self):
        long_dir = "/" + "d" * 253 + "/"  # 255 characters: the longest kept part, see below
        cases = [
            # argv[0], working dir, expected base, data file the loader names
            ("simulgrav", "base", "", "donnees.txt"),          # exactly 9: empty base
            ("simul", "base", "", "donnees.txt"),              # shorter than 9
            ("", "base", "", "donnees.txt"),                   # empty program path
            ("./simulgrav", "base", "./", "./donnees.txt"),    # relative directory
            ("base/simulgrav", ".", "base/", "base/donnees.txt"),
            ("/x" + long_dir[1:] + "simulgrav", "base", "", "donnees.txt"),  # 256 kept: too long
            ("/x" + long_dir + "simulgrav", "base", "", "donnees.txt"),      # 257 kept
        ]
        for argv0, workdir, base, fichier in cases:
            with self.subTest(argv0=argv0[:40], length=len(argv0)):
                out, err, _ = self.run_as(argv0, workdir)
                self.assertEqual(console_line(out, "nous sommes ici"), "nous sommes ici -> %s \n" % base)
                self.assertIn("fichier de donnees:   %s!   \n" % fichier, out)
                self.assertIn("2 corps \n", out, "the data file is found: " + err)

    def test_kept_part_of_exactly_255_characters(self):
        # The base is kept whole; the data path it gives would exceed its
        # 256-byte buffer, so the data file is treated as unreadable and the
        # program goes on with no bodies.
        long_dir = "/" + "d" * 253 + "/"
        out, err, _ = self.run_as(long_dir + "simulgrav", "base")
        self.assertEqual(console_line(out, "nous sommes ici"), "nous sommes ici -> %s \n" % long_dir)
        self.assertNotIn("corps \n", out)
        self.assertIn("l'affichage OpenGL commence maintenant \n", out)

    def test_directory_over_255_characters_through_a_symlink(self):
        # A real, reachable path: a symlink with a long name to the base
        # directory, the program started by that path from inside it.
        name = "L" * 250
        with session(donnees=DONNEES, wrapper=(
                "bash", "-c", 'ln -s base "$0" && cd "$0" && exec "$PWD/simulgrav"', name)) as s:
            s.wait_window()
            self.assertTrue(s.wait_stdout("l'affichage OpenGL commence maintenant \n"))
            out = s.stdout()
        argv0 = os.path.join(s.tmp, name, "simulgrav")
        self.assertGreater(len(argv0) - 9, 255)
        self.assertIn("argv[0]-> %s " % argv0, out)
        self.assertEqual(console_line(out, "nous sommes ici"), "nous sommes ici ->  \n")
        self.assertIn("2 corps \n", out, "found in the working directory")


if __name__ == "__main__":
    OPT = xharness.args()
    unittest.main(argv=sys.argv[:1], verbosity=2)
