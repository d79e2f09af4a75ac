"""A base directory whose name holds a blank, quotes and ';'.

The program builds its shell commands from that directory: a preset must
still install, the help must open with exactly its path, and nothing else may
run.  Every name below would run `touch PWNED` if a path reached the shell
unquoted or single-quoted without escaping: the test checks that no PWNED
file ever appears.  The opener is a stand-in on PATH that records what it was
given and then stays open, as an editor would; the window must keep running
meanwhile.
"""
import os
import signal
import sys
import tempfile
import time
import unittest

import xharness
from xmenu import Menu, changed_pixels

ARGS = None

HOSTILE = "o b'c;touch PWNED;'d"
CAS_INITIAUX, EDITION, AIDE = 1, 2, 10
MAIN_ROWS, PRESET_ROWS = 11, 15
TIR, TIR_FILE = 1, "DONNEES/donneesTIR.txt"
OPEN_AT = (120, 120)

OPENER = """#!/bin/sh
printf '%s\\n' "$*" >> "$ORBELUNE_OPENED"
echo $$ >> "$ORBELUNE_OPENED.pid"
exec sleep 60
"""


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except FileNotFoundError:
        return ""


class Quoting(unittest.TestCase):
    def setUp(self):
        self.tools = tempfile.mkdtemp(prefix="orbelune-opener-")
        self.opened = os.path.join(self.tools, "opened.txt")
        with open(os.path.join(self.tools, "xdg-open"), "w") as f:
            f.write(OPENER)
        os.chmod(os.path.join(self.tools, "xdg-open"), 0o755)
        env = {"PATH": self.tools + ":" + os.environ.get("PATH", "/usr/bin:/bin"), "ORBELUNE_OPENED": self.opened}
        self.s = xharness.Session(ARGS.exe, ARGS.data, base_name=HOSTILE, env=env)
        self.addCleanup(self.cleanup)
        self.s.wait_window()
        time.sleep(0.5)

    def cleanup(self):
        # The stand-in editors this test started.
        for pid in read(self.opened + ".pid").split():
            try:
                os.kill(int(pid), signal.SIGTERM)
            except ProcessLookupError:
                pass
        self.s.close()
        for name in os.listdir(self.tools):
            os.remove(os.path.join(self.tools, name))
        os.rmdir(self.tools)

    def assert_nothing_injected(self):
        for d in (self.s.tmp, self.s.base, os.path.join(self.s.base, "DONNEES"), os.getcwd(), self.tools):
            self.assertFalse(os.path.exists(os.path.join(d, "PWNED")), d)

    def test_preset_installs_and_nothing_else_runs(self):
        self.assertIn("nous sommes ici -> %s/ \n" % self.s.base, self.s.stdout())
        with open(os.path.join(ARGS.data, TIR_FILE), "rb") as f:
            attendu = f.read()
        m = Menu(self.s)
        m.open(*OPEN_AT)
        m.choose_sub(CAS_INITIAUX, PRESET_ROWS, TIR)
        deadline = time.time() + 10
        while self.s.stdout().count("go! go! go! go! go!") < 2 and time.time() < deadline:
            time.sleep(0.05)
        with open(os.path.join(self.s.base, "donnees.txt"), "rb") as f:
            self.assertEqual(f.read(), attendu)
        self.assertNotIn("cp:", self.s.stderr())
        self.assert_nothing_injected()

    def test_help_and_data_file_open_without_blocking_the_window(self):
        m = Menu(self.s)
        for entry, name in ((AIDE, "help.sh"), (EDITION, "donnees.txt")):
            m.open(*OPEN_AT)
            m.choose(entry)
            deadline = time.time() + 10
            while time.time() < deadline:
                if name in read(self.opened):
                    break
                time.sleep(0.1)
        self.assertEqual(read(self.opened).splitlines(),
                         [os.path.join(self.s.base, "help.sh"), os.path.join(self.s.base, "donnees.txt")])
        # Both stand-in editors are still open, and the window runs on.
        pids = [int(p) for p in read(self.opened + ".pid").split()]
        self.assertEqual(len(pids), 2)
        for pid in pids:
            os.kill(pid, 0)  # raises if that editor has already ended
        self.s.key("g")
        time.sleep(0.5)
        a = self.s.shot()
        time.sleep(0.5)
        self.assertGreater(changed_pixels(a, self.s.shot()), 40)
        self.assert_nothing_injected()


if __name__ == "__main__":
    ARGS = xharness.args()
    unittest.main(argv=[sys.argv[0]], verbosity=2)
