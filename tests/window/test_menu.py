"""The right-button menu of the real program, driven with the pointer.

A preset chosen in "Cas Initiaux" replaces donnees.txt byte for byte and is
loaded paused; "dt*2" then key "z" prints the doubled step; "Quitte" ends the
program with status 0.  xmenu finds the menus in screenshots.
"""
import os
import sys
import time
import unittest

import xharness
from xmenu import Menu, changed_pixels

ARGS = None

# Rows of the main menu and of the preset submenu.
MAIN_ROWS, PRESET_ROWS = 11, 15
CAS_INITIAUX, DT2, QUITTE = 1, 8, 11
PHASING_POS = 6                       # "Phasing Dv>0"
PHASING_POS_FILE = "DONNEES/donneesPhaPos.txt"

# The pointer opens the menu here, far from the screen's edges.
OPEN_AT = (120, 120)


def banners(s):
    return s.stdout().count("go! go! go! go! go!")


def wait_banners(s, n, timeout=10):
    deadline = time.time() + timeout
    while banners(s) < n and time.time() < deadline:
        time.sleep(0.05)
    return banners(s)


class Menus(unittest.TestCase):
    def session(self, **kw):
        s = xharness.Session(ARGS.exe, ARGS.data, **kw)
        self.addCleanup(s.close)
        s.wait_window()
        time.sleep(0.5)
        return s

    def test_preset_replaces_the_data_file_and_loads_it_paused(self):
        preset = os.path.join(ARGS.data, PHASING_POS_FILE)
        self.assertTrue(os.path.exists(preset), "preset file missing: " + preset)
        with open(preset, "rb") as f:
            attendu = f.read()
        s = self.session()
        donnees = os.path.join(s.base, "donnees.txt")
        with open(donnees, "rb") as f:
            self.assertNotEqual(f.read(), attendu, "the default scenario is another one")

        m = Menu(s)
        m.open(*OPEN_AT)
        m.choose_sub(CAS_INITIAUX, PRESET_ROWS, PHASING_POS)
        self.assertEqual(wait_banners(s, 2), 2, "the preset is loaded")
        with open(donnees, "rb") as f:
            self.assertEqual(f.read(), attendu)
        # The loader's echo of the new scenario names as many bodies as the file.
        nb = abs(int(attendu.split(b"\n")[0].split(b"=")[1]))
        echo = s.stdout().split("go! go! go! go! go!")[-1]
        self.assertIn("%d corps" % nb, echo)

        # Paused: once the menu is gone, the scene stands still.
        time.sleep(0.5)
        a = s.shot()
        time.sleep(0.8)
        self.assertLess(changed_pixels(a, s.shot()), 40)
        # and it runs on "g".
        s.key("g")
        time.sleep(0.5)
        a = s.shot()
        time.sleep(0.5)
        self.assertGreater(changed_pixels(a, s.shot()), 40)

    def test_dt_doubled_from_the_menu_shows_at_the_next_reload(self):
        s = self.session()
        self.assertIn("dt=0.001000\n", s.stdout())
        m = Menu(s)
        m.open(*OPEN_AT)
        m.choose(DT2)
        time.sleep(0.3)
        s.key("z")
        self.assertEqual(wait_banners(s, 2), 2)
        self.assertTrue(s.wait_stdout("dt=0.002000\n"), s.stdout()[-200:])

    def test_quitte_ends_with_status_zero(self):
        s = self.session()
        m = Menu(s)
        m.open(*OPEN_AT)
        m.choose(QUITTE)
        self.assertEqual(s.wait_exit(10), 0)


if __name__ == "__main__":
    ARGS = xharness.args()
    unittest.main(argv=[sys.argv[0]], verbosity=2)
