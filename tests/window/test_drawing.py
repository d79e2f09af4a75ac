"""What the window shows: bodies where the 60-degree perspective puts them,
sized by their mass, trails, black background, and the textures each body
gets.  Runs the real program on a private Xvfb (xharness) with small data
files of its own and compares screenshot regions with tolerances.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xharness  # noqa: E402

OPT = None

W, H = 1024, 768          # the window, at (0, 0) on the screen
EYE = 50.0                # eye at (0, 0, 50) looking toward -z, y up
F = 1 / math.tan(math.radians(60.0) / 2)   # gluPerspective's focal factor
ASPECT = W / H
DARK = 18                 # brighter than this (sum of channels / 3) is "drawn"


def pixel_of(x, y):
    """Window pixel (column, row from the top) of the world point (x, y, 0)."""
    ndc_x = F / ASPECT * x / EYE
    ndc_y = F * y / EYE
    return (ndc_x + 1) / 2 * W, (1 - ndc_y) / 2 * H


def radius_px(mass):
    """Screen radius of the sphere of a body of this mass at the plane z = 0:
    display radius m^0.333 clamped to 0.1..2 (0.1 for a negative mass), seen
    from 50 units (the silhouette of a sphere subtends asin(r/d))."""
    r = mass ** 0.333 if mass > 0 else 0.1
    r = min(max(r, 0.1), 2.0)
    return F * r / math.sqrt(EYE * EYE - r * r) * H / 2


def scenario(bodies, count=None):
    """Data file text; bodies = [(m, x, y, vx, vy)].  A negative count makes
    only body 1 attract."""
    n = len(bodies) if count is None else count
    text = "nb=%d\n" % n
    for m, x, y, vx, vy in bodies:
        text += "m=%r\nx=%r y=%r z=0\nu=%r v=%r w=0\n" % (m, x, y, vx, vy)
    return text


def level(p):
    return sum(p) / 3.0


def mean_colour(img, cx, cy, half=6):
    pts = [img.getpixel((int(round(cx)) + dx, int(round(cy)) + dy))
           for dx in range(-half, half + 1) for dy in range(-half, half + 1)]
    return [sum(p[c] for p in pts) / len(pts) for c in range(3)]


def measured_radius(img, cx, cy):
    """Half the lit run through the centre, along the row and the column."""
    cx, cy = int(round(cx)), int(round(cy))

    def run(dx, dy):
        k = 0
        while level(img.getpixel((cx + (k + 1) * dx, cy + (k + 1) * dy))) > DARK and k < 200:
            k += 1
        return k
    return (run(1, 0) + run(-1, 0) + 1) / 2.0, (run(0, 1) + run(0, -1) + 1) / 2.0


def brightest_near(img, cx, cy, half):
    return max(level(img.getpixel((int(round(cx)) + dx, int(round(cy)) + dy)))
               for dx in range(-half, half + 1) for dy in range(-half, half + 1))


class Bodies(unittest.TestCase):
    # (m, x, y): body 1 at the centre; a body at (12, 0); an absorbed-like
    # massless body, a negative mass and a light body, each drawn small.
    BODIES = [(8.0, 0.0, 0.0), (1.0, 12.0, 0.0), (0.0, -12.0, 0.0), (-5.0, 0.0, 10.0), (0.125, 0.0, -10.0)]

    def test_positions_radii_and_black_background(self):
        data = scenario([(m, x, y, 0.0, 0.0) for m, x, y in self.BODIES])
        with xharness.Session(OPT.exe, OPT.data, donnees=data) as s:
            s.wait_window()
            time.sleep(1.0)
            img = s.shot()
            self.assertIsNone(s.proc.poll())

        self.assertEqual(pixel_of(0, 0), (W / 2, H / 2))
        x12, _ = pixel_of(12, 0)
        self.assertAlmostEqual(x12 - W / 2, 160, delta=1.0)  # about 160 pixels right of the centre

        for i, (m, x, y) in enumerate(self.BODIES, start=1):
            cx, cy = pixel_of(x, y)
            with self.subTest(body=i, mass=m):
                self.assertGreater(level(img.getpixel((int(cx), int(cy)))), 60, "lit at its centre")
                want = radius_px(m)
                if want >= 3:
                    for got in measured_radius(img, cx, cy):
                        self.assertAlmostEqual(got, want, delta=1.5 + 0.05 * want)
                else:
                    # Radius 0.1: a dot of about one pixel and a half, with
                    # black around it.
                    ring = [img.getpixel((int(cx) + dx, int(cy) + dy))
                            for dx in range(-5, 6) for dy in range(-5, 6) if max(abs(dx), abs(dy)) >= 4]
                    self.assertLess(max(level(p) for p in ring), DARK, "no larger than the smallest radius")

        # Background: black wherever no body is (away from each by 3 radii).
        centres = [(pixel_of(x, y), max(radius_px(m), 2)) for m, x, y in self.BODIES]
        lit = []
        for py in range(0, H, 8):
            for px in range(0, W, 8):
                if any(math.hypot(px - c[0], py - c[1]) < 3 * r for c, r in centres):
                    continue
                if level(img.getpixel((px, py))) > 4:
                    lit.append((px, py))
        self.assertEqual(lit, [], "background pixels that are not black")
        # Outside the 1024 x 768 window the screen is untouched too.
        self.assertEqual(img.crop((W, 0, img.width, img.height)).getextrema(), ((0, 0),) * 3)

    def test_trail_drawn_once_samples_are_taken(self):
        # Only body 1 attracts, and it is almost massless: body 2 goes straight
        # up along x = 12.  At start its trail is a single point hidden in the
        # body; after "g" the samples draw the line behind it.
        data = scenario([(1e-6, 0.0, 0.0, 0.0, 0.0), (1.0, 12.0, 0.0, 0.0, 2.0)], count=-2)
        probes = [pixel_of(12, y) for y in (3.0, 4.0, 5.0)]
        beyond = pixel_of(12, 10.0)  # once the trail reaches here, the body has left the probes
        with xharness.Session(OPT.exe, OPT.data, donnees=data) as s:
            s.wait_window()
            time.sleep(0.5)
            before = s.shot()
            for cx, cy in probes:
                self.assertLess(brightest_near(before, cx, cy, 2), DARK, "no trail before the run")
            s.key("g")
            deadline = time.time() + 30
            while True:
                img = s.shot()
                found = [brightest_near(img, cx, cy, 2) > DARK for cx, cy in probes + [beyond]]
                if all(found) or time.time() > deadline:
                    break
                time.sleep(0.5)
            self.assertEqual(found, [True] * 4, "trail line along x = 12")
            # The line is thin: two pixels beside it are black.
            for cx, cy in probes:
                self.assertLess(level(img.getpixel((int(cx) + 6, int(cy)))), DARK)
                self.assertLess(level(img.getpixel((int(cx) - 6, int(cy)))), DARK)


def corner_texel(path, filtering):
    """The colour a sphere bound to this image shows: the spheres carry no
    texture coordinates, so the whole body samples (s, t) = (0, 0).  With
    nearest filtering that is the image's first stored pixel (SGI rows run
    bottom to top); with linear filtering and the default repeat wrap, the
    mean of the four corners."""
    im = Image.open(path).convert("RGB")
    w, h = im.size
    if filtering == "nearest":
        return im.getpixel((0, h - 1))
    pts = [im.getpixel(p) for p in [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]]
    return tuple(sum(p[c] for p in pts) / 4.0 for c in range(3))


# Stand-in for glGenTextures: takes SKIP_NAMES names first, so that the
# program's own request gets names other than 1, 2, 3.
NAMES_SHIM = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <GL/gl.h>
void glGenTextures(GLsizei n, GLuint *names) {
    void (*real)(GLsizei, GLuint *) = (void (*)(GLsizei, GLuint *))dlsym(RTLD_NEXT, "glGenTextures");
    const char *s = getenv("SKIP_NAMES");
    int skip = s ? atoi(s) : 0;
    GLuint taken[16];
    if (skip > 0 && skip <= 16) real(skip, taken);
    fprintf(stderr, "names taken: %d\n", skip);
    real(n, names);
}
"""


def build_shim(tmp, code):
    """Compiles a preloadable stand-in; returns its path."""
    src = os.path.join(tmp, "shim.c")
    lib = os.path.join(tmp, "shim.so")
    with open(src, "w") as f:
        f.write(code)
    subprocess.run(["cc", "-shared", "-fPIC", "-o", lib, src, "-ldl"], check=True)
    return lib


def ratios(c):
    return c[0] / c[1], c[2] / c[1]


# Stand-in for glutReshapeFunc and gluPerspective: the reshape callback is
# called once with a zero height as soon as it is registered (no X server
# delivers such a size), and every projection's aspect is logged.
RESHAPE_SHIM = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <GL/gl.h>
void glutReshapeFunc(void (*cb)(int, int)) {
    void (*real)(void (*)(int, int)) = (void (*)(void (*)(int, int)))dlsym(RTLD_NEXT, "glutReshapeFunc");
    real(cb);
    fprintf(stderr, "reshape 1024 0\n");
    cb(1024, 0);
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zn, GLdouble zf) {
    void (*real)(GLdouble, GLdouble, GLdouble, GLdouble) =
        (void (*)(GLdouble, GLdouble, GLdouble, GLdouble))dlsym(RTLD_NEXT, "gluPerspective");
    fprintf(stderr, "aspect %g\n", aspect);
    real(fovy, aspect, zn, zf);
}
"""


class Projection(unittest.TestCase):
    def test_zero_height_gives_a_finite_aspect_and_the_program_goes_on(self):
        tmp = tempfile.mkdtemp(prefix="orbelune-reshape-")
        try:
            shim = build_shim(tmp, RESHAPE_SHIM)
            data = scenario([(8.0, 0.0, 0.0, 0.0, 0.0), (1.0, 12.0, 0.0, 0.0, 0.0)])
            with xharness.Session(OPT.exe, OPT.data, donnees=data, env={"LD_PRELOAD": shim}) as s:
                s.wait_window()
                time.sleep(1.0)
                img = s.shot()
                self.assertIsNone(s.proc.poll())
                err = s.stderr()
        finally:
            shutil.rmtree(tmp, ignore_errors=True)
        aspects = [line.split()[1] for line in err.splitlines() if line.startswith("aspect ")]
        # InitGL's 4/3, the forced zero height (as if 1 pixel high), then the
        # window's own reshape to 1024 x 768.
        self.assertIn("reshape 1024 0", err)
        self.assertEqual(aspects[:3], ["1.33333", "1024", "1.33333"], err)
        cx, cy = pixel_of(12, 0)
        self.assertGreater(level(img.getpixel((int(cx), int(cy)))), 60, "frames drawn after it")


class Textures(unittest.TestCase):
    """Body 1 binds name 0 and bodies 5.. bind never-loaded names: lit grey.
    Body 2 shows image 2 (nearest), bodies 3 and 4 image 3 (linear and
    mipmapped).  The texture modulates the grey, so a body's channel ratios
    are those of the texel it samples."""

    PLACES = [(0, 0), (-12, 8), (12, 8), (-12, -8), (12, -8)]

    def shot(self, data_dir, env=None):
        data = scenario([(8.0, x, y, 0.0, 0.0) for x, y in self.PLACES], count=-len(self.PLACES))
        with xharness.Session(OPT.exe, data_dir, donnees=data, env=env) as s:
            s.wait_window()
            time.sleep(1.0)
            img = s.shot()
            self.assertIsNone(s.proc.poll(), "the program runs on")
            return img, s.stderr()

    def body_ratios(self, img):
        return [ratios(mean_colour(img, *pixel_of(x, y))) for x, y in self.PLACES]

    def test_each_body_shows_the_image_its_name_holds(self):
        tex = os.path.join(OPT.data, "TEXTURES", "texture%d.sgi")
        if not all(os.path.exists(tex % k) for k in (1, 2, 3)):
            self.skipTest("texture images not in the data directory")
        img, err = self.shot(OPT.data)
        self.assertNotIn("gltxReadRGB", err)
        grey = (1.0, 1.0)
        expected = [grey, ratios(corner_texel(tex % 2, "nearest")), ratios(corner_texel(tex % 3, "linear")),
                    ratios(corner_texel(tex % 3, "linear")), grey]
        for i, (got, want) in enumerate(zip(self.body_ratios(img), expected), start=1):
            with self.subTest(body=i):
                self.assertAlmostEqual(got[0], want[0], delta=0.01)
                self.assertAlmostEqual(got[1], want[1], delta=0.01)

    def test_other_generated_names_keep_the_same_pictures(self):
        # A preloaded stand-in takes names before the program asks for its
        # three, so the GL hands out 2, 3, 4 or 4, 5, 6 instead of 1, 2, 3.
        # Body 5 binds the number 4, which is then a loaded object: it must
        # still show no texture.
        tex = os.path.join(OPT.data, "TEXTURES", "texture%d.sgi")
        if not all(os.path.exists(tex % k) for k in (1, 2, 3)):
            self.skipTest("texture images not in the data directory")
        tmp = tempfile.mkdtemp(prefix="orbelune-names-")
        try:
            shim = build_shim(tmp, NAMES_SHIM)
            grey = (1.0, 1.0)
            expected = [grey, ratios(corner_texel(tex % 2, "nearest")), ratios(corner_texel(tex % 3, "linear")),
                        ratios(corner_texel(tex % 3, "linear")), grey]
            for skip in (1, 3):
                with self.subTest(first_name=skip + 1):
                    img, err = self.shot(OPT.data, env={"LD_PRELOAD": shim, "SKIP_NAMES": str(skip)})
                    self.assertIn("names taken: %d\n" % skip, err, "the stand-in was used")
                    for i, (got, want) in enumerate(zip(self.body_ratios(img), expected), start=1):
                        self.assertAlmostEqual(got[0], want[0], delta=0.01, msg="body %d" % i)
                        self.assertAlmostEqual(got[1], want[1], delta=0.01, msg="body %d" % i)
        finally:
            shutil.rmtree(tmp, ignore_errors=True)

    def test_missing_images_leave_lit_colour_and_the_program_runs(self):
        tmp = tempfile.mkdtemp(prefix="orbelune-notex-")
        try:
            data_dir = os.path.join(tmp, "data")
            shutil.copytree(OPT.data, data_dir)
            shutil.rmtree(os.path.join(data_dir, "TEXTURES"), ignore_errors=True)
            img, err = self.shot(data_dir)
        finally:
            shutil.rmtree(tmp, ignore_errors=True)
        for k in (1, 2, 3):
            self.assertIn('gltxReadRGB() failed: can\'t open image file "', err)
            self.assertIn('TEXTURES/texture%d.sgi".\n' % k, err)
        for i, (x, y) in enumerate(self.PLACES, start=1):
            with self.subTest(body=i):
                c = mean_colour(img, *pixel_of(x, y))
                self.assertGreater(level(c), 60, "drawn")
                self.assertAlmostEqual(ratios(c)[0], 1.0, delta=0.01)
                self.assertAlmostEqual(ratios(c)[1], 1.0, delta=0.01)


if __name__ == "__main__":
    OPT = xharness.args()
    unittest.main(argv=sys.argv[:1], verbosity=2)
