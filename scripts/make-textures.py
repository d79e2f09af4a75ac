#!/usr/bin/python3
"""make-textures.py — remakes data/TEXTURES/texture{1,2,3}.sgi.

Three 256 x 256 RGB pictures meant to read well on a small sphere seen on a
projector, so large shapes and strong contrast:
  texture1.sgi  a banded gas giant with a large oval storm;
  texture2.sgi  a rocky, cratered red planet with rust-red polar plains;
  texture3.sgi  a cloudy ocean planet with continents and light-blue polar seas.
The sphere wraps the picture around its axis, so every picture joins up
seamlessly from its right edge to its left edge; the rows run from pole to pole.

The program's spheres carry no texture coordinates of their own, so a sphere
takes the colour of the picture's corner texel (s, t) = (0, 0), and so do the
trails and swept areas (bound to texture 3).  The polar rows therefore hold
each planet's signature colour, bright enough to read on black: rust red for
the rocky planet, light blue for the ocean planet.

The pixels are computed here (plain Python, fixed seeds, so the same files come
out every time) and handed as a PPM to ImageMagick, which writes the SGI files
run-length encoded, so the program's reader is checked against a writer it
did not come from.

Usage: /usr/bin/python3 scripts/make-textures.py [OUTPUT_DIR]
       (default: data/TEXTURES beside this script's directory)
"""
import math
import os
import random
import subprocess
import sys

SIZE = 256
CONVERT = "/usr/bin/convert"  # ImageMagick itself, not a stand-in earlier on PATH


class Noise:
    """Value noise on a lattice that wraps around horizontally."""

    def __init__(self, seed, cells):
        rnd = random.Random(seed)
        self.cells = cells
        self.grid = [[rnd.random() for _ in range(cells)] for _ in range(cells + 1)]

    def at(self, u, v):
        """u, v in [0, 1]; u wraps."""
        x = (u % 1.0) * self.cells
        y = min(max(v, 0.0), 1.0) * self.cells
        x0, y0 = int(x), min(int(y), self.cells - 1)
        fx, fy = x - x0, y - y0
        sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        x1 = (x0 + 1) % self.cells
        g0, g1 = self.grid[y0], self.grid[y0 + 1]
        top = g0[x0 % self.cells] + (g0[x1] - g0[x0 % self.cells]) * sx
        bottom = g1[x0 % self.cells] + (g1[x1] - g1[x0 % self.cells]) * sx
        return top + (bottom - top) * sy


class Fractal:
    """A few octaves of Noise, each twice as fine and half as strong."""

    def __init__(self, seed, cells, octaves):
        self.layers = [Noise(seed * 31 + k, cells << k) for k in range(octaves)]

    def at(self, u, v):
        total, weight, amp = 0.0, 0.0, 1.0
        for layer in self.layers:
            total += amp * layer.at(u, v)
            weight += amp
            amp *= 0.5
        return total / weight


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def ramp(stops, t):
    """Colour at t along [(position, colour), ...] sorted by position."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


def wrapped_dx(u, centre):
    d = u - centre
    return d - round(d)


def gas_giant(u, v, n):
    # Bands of latitude, bent by a little turbulence.
    turb = n["gas"].at(u, v) - 0.5
    band = math.sin((v * 11.0 + turb * 1.2) * math.pi)
    fine = n["gasfine"].at(u * 2 % 1.0, v)
    t = 0.5 + 0.45 * band + 0.15 * (fine - 0.5)
    colour = ramp([(0.0, (120, 62, 30)), (0.35, (190, 120, 70)), (0.6, (235, 205, 160)),
                   (1.0, (250, 240, 220))], t)
    # Broad belts of latitude tint the bands from ochre to grey-blue.
    belt = 0.5 + 0.5 * math.sin(v * 3.0 * math.pi + 0.8)
    colour = mix(colour, (colour[0] * 0.75, colour[1] * 0.85, colour[2] * 1.05), belt)
    # One large oval storm in the southern half.
    dx, dy = wrapped_dx(u, 0.3) / 0.16, (v - 0.66) / 0.07
    r = math.hypot(dx, dy)
    if r < 1.0:
        swirl = 0.5 + 0.5 * math.cos(r * 7.0 + math.atan2(dy, dx))
        colour = mix(colour, mix((200, 60, 35), (230, 110, 70), swirl), 1.0 - r ** 4)
    return colour


def rocky(u, v, n, craters):
    h = n["rock"].at(u, v)
    colour = ramp([(0.25, (70, 35, 22)), (0.45, (150, 70, 40)), (0.6, (195, 110, 65)),
                   (0.8, (225, 170, 120))], h)
    for cu, cv, cr in craters:
        dx = wrapped_dx(u, cu) / (cr / max(math.sin(math.pi * cv), 0.3))
        dy = (v - cv) / cr
        r = math.hypot(dx, dy)
        if r < 1.0:
            # Floor in shadow on the side away from the light, lit on the other.
            shade = 0.5 + 0.5 * dx / max(r, 1e-6) * r
            colour = mix(colour, mix((55, 28, 18), (215, 150, 105), shade), 0.6 * (1.0 - r ** 3))
        elif r < 1.4:
            colour = mix(colour, (230, 180, 135), 0.35 * (1.0 - (r - 1.0) / 0.4))
    polar = min(v, 1.0 - v) + 0.04 * (n["rock"].at(u, 0.5) - 0.5)
    if polar < 0.07:
        colour = mix(colour, (225, 105, 55), (0.07 - polar) / 0.025)
    return colour


def cloudy(u, v, n):
    land = n["land"].at(u, v)
    if land < 0.52:
        colour = mix((15, 40, 110), (40, 95, 175), (land - 0.3) / 0.22)
    else:
        colour = ramp([(0.52, (70, 130, 55)), (0.62, (120, 140, 60)), (0.72, (150, 115, 70))], land)
    polar = min(v, 1.0 - v)
    if polar < 0.09:
        colour = mix(colour, (120, 190, 255), (0.09 - polar) / 0.03)
    # Clouds in patches, a little dragged by the winds.
    drift = n["cloudwarp"].at(u, v) - 0.5
    c = n["cloud"].at((u + 0.12 * drift) % 1.0, v + 0.05 * drift)
    cover = min(max((c - 0.55) / 0.15, 0.0), 1.0)
    cover *= min(polar / 0.09, 1.0)  # no cloud over the polar seas
    return mix(colour, (250, 250, 252), 0.9 * cover)


def picture(shade):
    rows = []
    for j in range(SIZE):
        v = (j + 0.5) / SIZE
        row = bytearray()
        for i in range(SIZE):
            r, g, b = shade((i + 0.5) / SIZE, v)
            row += bytes((int(round(r)), int(round(g)), int(round(b))))
        rows.append(bytes(row))
    return b"".join(rows)


def write_sgi(pixels, path):
    ppm = b"P6\n%d %d\n255\n" % (SIZE, SIZE) + pixels
    subprocess.run([CONVERT, "ppm:-", "-depth", "8", "-type", "TrueColor", "-compress", "RLE",
                    "sgi:" + path], input=ppm, check=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "TEXTURES")
    if not os.access(CONVERT, os.X_OK):
        sys.exit("make-textures: %s is missing (apt-get install imagemagick)" % CONVERT)
    os.makedirs(out, exist_ok=True)
    n = {
        "gas": Fractal(1, 4, 3), "gasfine": Fractal(2, 8, 2),
        "rock": Fractal(3, 4, 5),
        "land": Fractal(4, 3, 5), "cloud": Fractal(5, 6, 5), "cloudwarp": Fractal(6, 3, 2),
    }
    rnd = random.Random(7)
    craters = [(rnd.random(), 0.15 + 0.7 * rnd.random(), 0.02 + 0.05 * rnd.random()) for _ in range(18)]
    write_sgi(picture(lambda u, v: gas_giant(u, v, n)), os.path.join(out, "texture1.sgi"))
    write_sgi(picture(lambda u, v: rocky(u, v, n, craters)), os.path.join(out, "texture2.sgi"))
    write_sgi(picture(lambda u, v: cloudy(u, v, n)), os.path.join(out, "texture3.sgi"))


if __name__ == "__main__":
    main()
