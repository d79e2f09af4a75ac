"""Keys and mouse drag on the real program under Xvfb.

Run, pause, reload, thrust echo and quit in one session; full screen and a
drag in rotation mode in sessions of their own.  Frames are compared as
screenshots with a tolerance: the window is redrawn continuously, so a paused
scene gives (nearly) identical shots and a running one does not.
"""
import sys
import time
import unittest

import xharness
from xmenu import changed_pixels

ARGS = None

# Body 2 on a circle of radius 15 around body 1 (m = 8, v = sqrt(8/15)), far
# enough from the centre to be seen moving, slow enough to stay on screen.
ORBITE = """nb=2
m=8
x=0 y=0 z=0
u=0 v=0 w=0
m=0.01
x=15 y=0 z=0
u=0 v=0.7302967433 w=0
"""

STILL = 40    # pixels that may differ between two shots of a still scene
MOVED = 60    # at least this many differ when a body has moved


def settle():
    time.sleep(0.4)


class Keys(unittest.TestCase):
    def session(self, **kw):
        s = xharness.Session(ARGS.exe, ARGS.data, donnees=ORBITE, **kw)
        self.addCleanup(s.close)
        s.wait_window()
        settle()
        return s

    def test_run_pause_reload_thrust_and_quit(self):
        s = self.session()
        start = s.shot()
        settle()
        self.assertLess(changed_pixels(start, s.shot()), STILL, "paused at start")

        s.key("g")
        settle()
        a = s.shot()
        settle()
        b = s.shot()
        self.assertGreater(changed_pixels(a, b), MOVED, "'g' runs the simulation")

        s.key("p")
        settle()
        a = s.shot()
        time.sleep(0.6)
        b = s.shot()
        self.assertLess(changed_pixels(a, b), STILL, "'p' freezes it")
        self.assertGreater(changed_pixels(start, b), MOVED, "the body had moved")

        s.key("z")
        deadline = time.time() + 5
        while s.stdout().count("go! go! go! go! go!") < 2 and time.time() < deadline:
            time.sleep(0.05)
        self.assertEqual(s.stdout().count("go! go! go! go! go!"), 2, "'z' reloads: a second banner")
        settle()
        a = s.shot()
        self.assertLess(changed_pixels(start, a), STILL, "bodies back at their start")
        time.sleep(0.6)
        self.assertLess(changed_pixels(a, s.shot()), STILL, "and paused")

        before = s.stdout()
        s.key("plus", "minus", "plus", "q", "f")
        self.assertTrue(s.wait_stdout(before + "+\n-\n+\n", 5), s.stdout()[len(before):])
        time.sleep(0.3)
        self.assertEqual(s.stdout(), before + "+\n-\n+\n", "'q' and 'f' print nothing")
        self.assertIsNone(s.proc.poll(), "'q' does not quit")

        s.key("Q")
        self.assertEqual(s.wait_exit(5), 0, "'Q' ends with status 0")

    def test_full_screen(self):
        s = self.session()
        self.assertEqual(s.geometry()[2:], (1024, 768))
        s.key("f")
        settle()
        self.assertEqual(s.geometry()[2:], (1024, 768), "'f' is not full screen")
        s.key("F")
        deadline = time.time() + 5
        while s.geometry()[2:] != xharness.SCREEN and time.time() < deadline:
            time.sleep(0.1)
        self.assertEqual(s.geometry(), (0, 0) + xharness.SCREEN)

    def test_drag_in_rotation_mode_turns_the_view(self):
        s = self.session()
        start = s.shot()
        x, y = 512, 384
        s.run("xdotool", "mousemove", str(x), str(y))
        time.sleep(0.2)
        s.run("xdotool", "mousedown", "1")
        for k in range(1, 9):
            s.run("xdotool", "mousemove", str(x + 10 * k), str(y + 5 * k))
            time.sleep(0.05)
        s.run("xdotool", "mouseup", "1")
        settle()
        turned = s.shot()
        self.assertGreater(changed_pixels(start, turned), MOVED, "the drag turned the view")
        # The offset outlives the release: the view stays turned.
        time.sleep(0.6)
        self.assertLess(changed_pixels(turned, s.shot()), STILL)
        # "t" clears the offset; "r" back in rotation shows the first view.
        s.key("t", "r")
        settle()
        self.assertLess(changed_pixels(start, s.shot()), STILL, "'t' then 'r' unrotates")


if __name__ == "__main__":
    ARGS = xharness.args()
    unittest.main(argv=[sys.argv[0]], verbosity=2)
