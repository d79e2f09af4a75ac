"""The browser edition draws the desktop's picture: the same scenario shown
by the window program (under Xvfb, software GL) and by the page (headless
Chromium, software WebGL) gives bodies at the same places, of the same sizes
and colours, lit and unlit, and the same picture overall within a small
tolerance for the two rasterisers' edges.

Needs the page (build-web/orbelune.html, from web/build.sh) and the npm
packages of web/ (puppeteer-core); the test is skipped, saying so, when they
are missing.
"""
import math
import os
import subprocess
import sys
import tempfile
import time
import unittest

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xharness  # noqa: E402
from test_drawing import measured_radius, mean_colour, pixel_of, radius_px, scenario  # noqa: E402

OPT = None
HERE = os.path.dirname(os.path.abspath(__file__))

# Body 1 binds no texture (lit grey), bodies 2, 3, 4 the three loaded ones
# (nearest, linear, mipmapped), bodies 5 and 6 none again.
BODIES = [(8.0, 0.0, 0.0), (1.0, 12.0, 0.0), (1.0, -12.0, 6.0), (1.0, 0.0, -12.0), (1.0, -14.0, -8.0),
          (0.5, 10.0, 10.0)]


def desktop(donnees, keys):
    shots = []
    with xharness.Session(OPT.exe, OPT.data, donnees=donnees) as s:
        s.wait_window()
        for k in keys:
            if k:
                s.key(*k)
            time.sleep(1.0)
            shots.append(s.shot().crop((0, 0, 1024, 768)))
    return shots


def browser(page, donnees, keys, tmp):
    path = os.path.join(tmp, "donnees.txt")
    with open(path, "w") as f:
        f.write(donnees)
    env = dict(os.environ, NODE_PATH=os.path.join(OPT.source, "web", "node_modules"))
    r = subprocess.run(["node", os.path.join(HERE, "web_vue.js"), page, path, os.path.join(tmp, "vue")]
                       + ["".join(k) for k in keys], env=env, capture_output=True, text=True, timeout=180)
    if r.returncode != 0:
        raise AssertionError("browser run failed: " + r.stderr)
    return [Image.open(os.path.join(tmp, "vue-%d.png" % n)).convert("RGB") for n in range(len(keys))]


class SamePicture(unittest.TestCase):
    def test_bodies_lit_and_unlit_match_the_desktop(self):
        page = os.path.join(OPT.source, "build-web", "orbelune.html")
        if not os.path.exists(page) or not os.path.isdir(os.path.join(OPT.source, "web", "node_modules", "puppeteer-core")):
            self.skipTest("no browser edition built (web/build.sh)")
        data = scenario([(m, x, y, 0.0, 0.0) for m, x, y in BODIES])
        # Lighting stays on at the first "l" (its state starts at 0 while the
        # lighting is on), and goes off at the second.
        keys = [[], ["l", "l"]]
        with tempfile.TemporaryDirectory() as tmp:
            web = browser(page, data, keys, tmp)
        bureau = desktop(data, keys)

        for shot, (d, w) in enumerate(zip(bureau, web)):
            for i, (m, x, y) in enumerate(BODIES, start=1):
                cx, cy = pixel_of(x, y)
                with self.subTest(lit=shot == 0, body=i):
                    cd, cw = mean_colour(d, cx, cy, 3), mean_colour(w, cx, cy, 3)
                    for c in range(3):
                        self.assertAlmostEqual(cw[c], cd[c], delta=10, msg="colour %s vs desktop %s" % (cw, cd))
                    for rd, rw in zip(measured_radius(d, cx, cy), measured_radius(w, cx, cy)):
                        self.assertAlmostEqual(rw, rd, delta=1.0)
                        self.assertAlmostEqual(rw, radius_px(m), delta=1.5 + 0.05 * radius_px(m))
            # Overall: only the rasterisers' edge pixels differ.
            diff = ImageChops.difference(d, w).convert("L")
            far = sum(diff.histogram()[40:])
            with self.subTest(lit=shot == 0, overall=True):
                self.assertLess(far, 0.002 * 1024 * 768, "%d pixels differ by more than 40" % far)
        # Unlit, the textured bodies show their texture's corner texel as is
        # and the others plain white: the lighting switch reached the page.
        self.assertGreater(min(mean_colour(web[1], *pixel_of(-14.0, -8.0), 3)), 250)
        self.assertLess(max(mean_colour(web[0], *pixel_of(-14.0, -8.0), 3)), 250)


if __name__ == "__main__":
    OPT = xharness.args()
    OPT.source = os.path.dirname(os.path.dirname(HERE))
    unittest.main(argv=sys.argv[:1], verbosity=2)
