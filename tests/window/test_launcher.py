"""The launcher's console handling, with a stand-in for the window program.

Away from a terminal every console line still reaches the launcher's own
standard output or error unchanged, is appended to the per-user log after a
start line, and the data-file warnings ("attention: " on standard error)
become one desktop notification per burst.  From a terminal nothing is
logged.  A copier that dies or a notification service that hangs never
stops the program.  notify-send is a recording stand-in placed first on PATH.
"""
import os
import pty
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
LAUNCHER = os.path.join(HERE, "..", "..", "packaging", "orbelune")

RECORDER = """#!/bin/sh
# one file per call: the arguments, one per line, then a line "--"
f="$NOTES/note.$(date +%s%N).$$"
for a in "$@"; do printf '%s\\n' "$a"; done > "$f"
echo -- >> "$f"
[ -z "$NOTIFY_DELAY" ] || sleep "$NOTIFY_DELAY"
"""


class Fixture:
    """A prefix with the launcher and a stand-in simulgrav running `script`."""

    def __init__(self, script):
        self.tmp = tempfile.mkdtemp(prefix="orbelune-launcher-")
        prefix = os.path.join(self.tmp, "prefix")
        os.makedirs(os.path.join(prefix, "bin"))
        base = os.path.join(prefix, "share", "orbelune")
        os.makedirs(base)
        self.launcher = os.path.join(prefix, "bin", "orbelune")
        shutil.copy(LAUNCHER, self.launcher)
        with open(os.path.join(base, "donnees.txt"), "w") as f:
            f.write("nb=0\n")
        self.write_exe(os.path.join(base, "simulgrav"), "#!/bin/bash\n" + script)
        self.fake = os.path.join(self.tmp, "fake")
        os.makedirs(self.fake)
        self.write_exe(os.path.join(self.fake, "notify-send"), RECORDER)
        self.notes = os.path.join(self.tmp, "notes")
        os.makedirs(self.notes)
        self.state = os.path.join(self.tmp, "state")
        self.log = os.path.join(self.state, "orbelune", "orbelune.log")
        self.env = dict(os.environ, PATH=self.fake + os.pathsep + os.environ["PATH"],
                        XDG_STATE_HOME=self.state, NOTES=self.notes, HOME=self.tmp)

    @staticmethod
    def write_exe(path, text):
        with open(path, "w") as f:
            f.write(text)
        os.chmod(path, 0o755)

    def run(self, timeout=20, **env):
        e = dict(self.env, **env)
        return subprocess.run([self.launcher, "un", "deux"], env=e, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout)

    def notifications(self, count, timeout=5):
        """The notify-send calls, each as its list of arguments, once `count` have come."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            names = sorted(os.listdir(self.notes))
            calls = []
            for n in names:
                with open(os.path.join(self.notes, n), encoding="utf-8") as f:
                    text = f.read()
                if text.endswith("--\n"):
                    calls.append(text)
            if len(calls) >= count:
                break
            time.sleep(0.1)
        return [self.split(c) for c in calls]

    @staticmethod
    def split(text):
        # Arguments may hold newlines: options are one line each, then the
        # summary line, then the body up to the final "--".
        lines = text[:-len("--\n")].split("\n")
        opts = [line for line in lines if line.startswith("--")]
        rest = lines[len(opts):]
        return opts, rest[0], "\n".join(rest[1:]).rstrip("\n")

    def close(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


class Console(unittest.TestCase):
    def fixture(self, script):
        fx = Fixture(script)
        self.addCleanup(fx.close)
        return fx

    def test_lines_pass_unchanged_and_are_logged_warnings_notified_per_burst(self):
        fx = self.fixture(r"""
echo "argv-> $0 $1 $2 "
echo "attention: corps 2, enregistrement \"m=\" illisible" >&2
echo "autre ligne d'erreur" >&2
echo "attention: <b>gras</b> & co" >&2
echo "attention: trois" >&2
echo "attention: quatre" >&2
echo "attention: cinq" >&2
echo "suite  "
sleep 2
echo "attention: plus tard" >&2
""")
        r = fx.run()
        self.assertEqual(r.returncode, 0, r.stderr)
        out, err = r.stdout.decode(), r.stderr.decode()
        self.assertEqual(out, "argv-> %s un deux \nsuite  \n" % os.path.join(
            fx.tmp, "prefix", "share", "orbelune", "simulgrav"))
        self.assertEqual(err.splitlines(), [
            'attention: corps 2, enregistrement "m=" illisible', "autre ligne d'erreur",
            "attention: <b>gras</b> & co", "attention: trois", "attention: quatre", "attention: cinq",
            "attention: plus tard"])
        with open(fx.log, encoding="utf-8") as f:
            log = f.read().splitlines()
        self.assertRegex(log[0], r"^== \d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4} : démarrage de .*/bin/orbelune$")
        self.assertEqual(sorted(log[1:]), sorted(out.splitlines() + err.splitlines()))

        calls = fx.notifications(2)
        self.assertEqual(len(calls), 2, calls)
        opts, summary, body = calls[0]
        self.assertIn("--app-name=Orbelune", opts)
        self.assertEqual(summary, "Orbelune : 5 avertissement(s) sur le fichier de données")
        self.assertEqual(body, 'corps 2, enregistrement "m=" illisible\n'
                               "&lt;b&gt;gras&lt;/b&gt; &amp; co\n"
                               "trois\n"
                               "… et 2 autre(s)\n"
                               "Journal complet : " + fx.log)
        self.assertEqual(calls[1][1:], ("Orbelune : avertissement sur le fichier de données",
                                        "plus tard\nJournal complet : " + fx.log))

    def test_from_a_terminal_nothing_is_logged(self):
        fx = self.fixture('echo "sur le terminal  "\necho "attention: x" >&2\n')
        pid, fd = pty.fork()
        if pid == 0:
            os.execve(fx.launcher, [fx.launcher], fx.env)
        seen = b""
        while True:
            try:
                chunk = os.read(fd, 1024)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
        _, status = os.waitpid(pid, 0)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)
        self.assertEqual(seen.replace(b"\r\n", b"\n"), b"sur le terminal  \nattention: x\n")
        self.assertFalse(os.path.exists(fx.log))
        self.assertEqual(os.listdir(fx.notes), [])

    def test_the_program_goes_on_when_a_copier_dies_or_notifications_hang(self):
        # The stand-in warns once, waits for that burst's notification to
        # start (it hangs for 30 s), optionally kills both copiers (its own
        # children after the launcher's exec, counted in "tues"), then writes
        # twice what a pipe holds on both streams.
        script = r"""
echo "attention: avant" >&2
sleep 1.5
if [ -n "$TUER" ]; then
  n=0
  for d in /proc/[0-9]*; do
    read -r pid _ < "$d/stat" 2>/dev/null || continue
    ppid=$(sed 's/.*) . \([0-9]*\).*/\1/' "$d/stat" 2>/dev/null)
    if [ "$ppid" = $$ ]; then kill -9 "$pid" && n=$((n + 1)); fi
  done
  echo $n > "$HOME/tues"
fi
for i in $(seq 3000); do echo "ligne $i ................................"; echo "attention: $i" >&2; done
echo fini > "$HOME/fini"
"""
        for label, env in [("notification hung", {}), ("copiers killed", {"TUER": "1"})]:
            with self.subTest(label):
                fx = self.fixture(script)
                start = time.time()
                r = fx.run(timeout=60, NOTIFY_DELAY="30", **env)
                self.assertEqual(r.returncode, 0, r.stderr[-500:])
                self.assertLess(time.time() - start, 20)
                self.assertTrue(os.path.exists(os.path.join(fx.tmp, "fini")))
                if env:
                    with open(os.path.join(fx.tmp, "tues")) as f:
                        self.assertEqual(f.read().strip(), "2")
                else:
                    self.assertEqual(len(r.stderr.splitlines()), 3001)
                    self.assertEqual(fx.notifications(1)[0][2],
                                     "avant\nJournal complet : " + fx.log)

    def test_log_that_cannot_be_written_and_log_rotation(self):
        fx = self.fixture('echo "attention: x" >&2\n')
        # A file where the log's directory should be: no log, and the
        # notification says so.
        with open(os.path.join(fx.tmp, "fichier"), "w") as f:
            f.write("")
        r = fx.run(XDG_STATE_HOME=os.path.join(fx.tmp, "fichier"))
        self.assertEqual((r.returncode, r.stderr), (0, b"attention: x\n"))
        (_, _, body), = fx.notifications(1)
        self.assertEqual(body, "x\nJournal indisponible : %s/fichier/orbelune n'est pas accessible en écriture"
                         % fx.tmp)
        # A log over 1 MiB becomes orbelune.log.1; the new log starts empty.
        os.makedirs(os.path.dirname(fx.log))
        with open(fx.log, "w") as f:
            f.write("vieux\n" * 200000)
        self.assertEqual(fx.run().returncode, 0)
        self.assertEqual(os.path.getsize(fx.log + ".1"), 1200000)
        with open(fx.log) as f:
            self.assertEqual(f.read().splitlines()[1:], ["attention: x"])


if __name__ == "__main__":
    # Called with the window tests' arguments, which it does not need.
    unittest.main(argv=sys.argv[:1], verbosity=2)
