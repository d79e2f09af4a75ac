"""The window program under valgrind memcheck for a few seconds of running:
no invalid read or write, no use of uninitialised values, no invalid free in
the program's own code.  Reports whose innermost frame (past valgrind's own
replacements of memcpy and the like) lies in Mesa, the X libraries or the
GL drivers are not the program's and are ignored.
"""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xharness  # noqa: E402

OPT = None
SRC = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")) + "/"

# Several bodies, one of them absorbed during the run, one of negative mass.
DONNEES = """nb=4
m=8
x=0 y=0 z=0
u=0 v=0 w=0
m=1
x=12 y=0 z=0
u=0 v=0.8 w=0
m=0.5
x=3 y=0 z=0
u=0 v=0 w=0
m=-1
x=-10 y=5 z=0
u=0.3 v=0 w=0
"""

KINDS = ("Invalid read", "Invalid write", "Invalid free", "Mismatched free",
         "Conditional jump or move depends on uninitialised", "Use of uninitialised value",
         "Syscall param", "Source and destination overlap")


def error_blocks(log):
    """The error reports of a valgrind log: (first line, [frame lines])."""
    blocks = []
    current = None
    for raw in log.splitlines():
        line = re.sub(r"^==\d+== ?", "", raw)
        if any(line.startswith(k) for k in KINDS):
            current = (line, [])
            blocks.append(current)
        elif current is not None and re.match(r"\s+(at|by) 0x", line):
            current[1].append(line)
        elif current is not None and (not line.strip() or line.lstrip().startswith(("Address", "Block was"))):
            current = None  # the error's own stack ends; the allocation's is not kept
    return blocks


def ours(frames):
    """True when the innermost frame that is not a valgrind replacement is in
    the program's sources."""
    for f in frames:
        if "vgpreload" in f or "vg_replace" in f:
            continue
        return SRC in f
    return False


class Memcheck(unittest.TestCase):
    def wait_lit(self, s, deadline, differs_from=None):
        """Screenshot once body 1 shows at the window centre (and, if given,
        the picture has changed since differs_from)."""
        while True:
            img = s.shot()
            lit = sum(img.getpixel((512, 384))) > 150
            if lit and (differs_from is None or list(img.getdata()) != list(differs_from.getdata())):
                return img
            if time.time() > deadline:
                self.fail("no frame drawn in time; stderr: " + s.stderr())
            time.sleep(1)

    def test_running_window_has_no_memory_errors_in_our_code(self):
        log_path = None
        with xharness.Session(OPT.exe, OPT.data, donnees=DONNEES, wrapper=(
                "valgrind", "--tool=memcheck", "--error-limit=no", "--num-callers=40",
                "--fullpath-after=", "--track-origins=no", "--log-file=%s" % "valgrind-%p.log")) as s:
            s.wait_window(timeout=120)
            # Software GL runs slowly under valgrind: wait for the first frame,
            # run a few seconds, then wait for a frame that shows the run.
            first = self.wait_lit(s, time.time() + 240)
            s.key("g")
            time.sleep(5)
            img = self.wait_lit(s, time.time() + 240, differs_from=first)
            self.assertIsNone(s.proc.poll(), "still running under valgrind: " + s.stderr())
            out = s.stdout()
            s.proc.terminate()
            s.proc.wait(60)
            logs = [os.path.join(s.tmp, n) for n in os.listdir(s.tmp) if n.startswith("valgrind-")]
            self.assertEqual(len(logs), 1, logs)
            with open(logs[0], encoding="latin-1") as f:
                log = f.read()
            log_path = logs[0]

        # It really ran: the scenario was loaded, frames were drawn.
        self.assertIn("4 corps \n", out)
        self.assertIn("ERROR SUMMARY", log, "valgrind wrote its summary")

        blocks = error_blocks(log)
        mine = [b for b in blocks if ours(b[1])]
        self.assertEqual(mine, [], "memory errors in our sources (log was %s):\n%s" % (
            log_path, "\n\n".join(b[0] + "\n" + "\n".join(b[1]) for b in mine)))


class Parser(unittest.TestCase):
    """The log parser itself: it must find an error in our code when there is one."""

    def test_classifies_innermost_frame(self):
        log = "\n".join([
            "==12== Invalid read of size 8",
            "==12==    at 0x4848: memcpy (in /usr/libexec/valgrind/vgpreload_memcheck-amd64-linux.so)",
            "==12==    by 0x1234: tracaire(double, double, double, int) (%sdisplay.cpp:270)" % SRC,
            "==12==  Address 0x0 is not stack'd",
            "==12== ",
            "==12== Conditional jump or move depends on uninitialised value(s)",
            "==12==    at 0x9999: ??? (in /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so)",
            "==12==    by 0x1235: DrawGLSceneF() (%sdisplay.cpp:230)" % SRC,
            "==12== ",
        ])
        blocks = error_blocks(log)
        self.assertEqual(len(blocks), 2)
        self.assertEqual([ours(b[1]) for b in blocks], [True, False])


if __name__ == "__main__":
    OPT = xharness.args()
    unittest.main(argv=sys.argv[:1], verbosity=2)
