"""xharness — runs the real window program under a private Xvfb for tests.

    with Session(exe, data_dir) as s:       # copies data_dir into a fresh base dir
        s.wait_window()                       # window mapped, returns its id
        s.key("g"); img = s.shot()            # PIL image of the whole screen
        s.stdout()                            # console text so far

Each Session starts its own Xvfb on a free display number (Xvfb picks it with
-displayfd), runs the executable from a temporary base directory holding a
copy of the data files (so tests may overwrite donnees.txt), and stops both
at the end.  Screenshots go through ImageMagick's `import` at 8 bits.
"""
import argparse
import os
import shutil
import signal
import subprocess
import tempfile
import time

from PIL import Image

SCREEN = (1280, 1024)


def args():
    p = argparse.ArgumentParser()
    p.add_argument("--exe", required=True)
    p.add_argument("--data", required=True)
    p.add_argument("--build", default="")
    return p.parse_args()


class Xvfb:
    def __init__(self, size=SCREEN):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % size, "-nolisten", "tcp",
             "+extension", "GLX", "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        num = b""
        deadline = time.time() + 20
        while not num.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(r, 16)
            if not chunk:
                break
            num += chunk
        os.close(r)
        if not num.strip():
            self.proc.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + num.decode().strip()

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Session:
    """The program in a temporary base directory, on its own Xvfb."""

    def __init__(self, exe, data_dir, donnees=None, base_name="base", args=(), size=SCREEN, env=None,
                 wrapper=()):
        self.tmp = tempfile.mkdtemp(prefix="orbelune-win-")
        self.base = os.path.join(self.tmp, base_name)
        shutil.copytree(data_dir, self.base)
        if donnees is not None:
            with open(os.path.join(self.base, "donnees.txt"), "w") as f:
                f.write(donnees)
        self.exe = os.path.join(self.base, os.path.basename(exe))
        shutil.copy2(exe, self.exe)
        self.x = Xvfb(size)
        self.env = dict(os.environ, DISPLAY=self.x.display, LIBGL_ALWAYS_SOFTWARE="1")
        self.env.update(env or {})
        self.out_path = os.path.join(self.tmp, "stdout.txt")
        self.err_path = os.path.join(self.tmp, "stderr.txt")
        self.out = open(self.out_path, "wb")
        self.err = open(self.err_path, "wb")
        self.proc = subprocess.Popen(list(wrapper) + [self.exe] + list(args), cwd=self.tmp,
                                     stdout=self.out, stderr=self.err, env=self.env)
        self.wid = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.out.close()
        self.err.close()
        self.x.stop()
        if os.environ.get("ORBELUNE_KEEP_TMP") is None:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def run(self, *cmd, timeout=20):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True, timeout=timeout)

    def wait_window(self, title="Orbelune", timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("program ended early: %s" % self.stderr())
            r = self.run("xdotool", "search", "--onlyvisible", "--name", title)
            if r.returncode == 0 and r.stdout.split():
                self.wid = r.stdout.split()[0]
                return self.wid
            time.sleep(0.1)
        raise RuntimeError("no window")

    def stdout(self):
        self.out.flush()
        with open(self.out_path, "rb") as f:
            return f.read().decode("latin-1")

    def stderr(self):
        self.err.flush()
        with open(self.err_path, "rb") as f:
            return f.read().decode("latin-1")

    def wait_stdout(self, text, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if text in self.stdout():
                return True
            time.sleep(0.05)
        return False

    def key(self, *keys):
        """Sends keys to the program's window (xdotool key names: 'g', 'plus', 'minus', 'Q')."""
        for k in keys:
            self.run("xdotool", "key", "--window", self.wid, k)
            time.sleep(0.05)

    def shot(self, path=None):
        path = path or os.path.join(self.tmp, "shot-%d.png" % int(time.time() * 1000))
        self.run("import", "-window", "root", "-depth", "8", path)
        return Image.open(path).convert("RGB")

    def geometry(self):
        """(x, y, width, height) of the program's window."""
        r = self.run("xdotool", "getwindowgeometry", "--shell", self.wid)
        g = dict(line.split("=", 1) for line in r.stdout.split() if "=" in line)
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def wait_exit(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
