#!/usr/bin/python3
"""design-scenarios.py — computes the fifteen classroom scenarios and the
default data file from orbital elements, and tunes their press sequences.

    /usr/bin/python3 scripts/design-scenarios.py --trace BUILD/orbelune-trace [--out data]

Units are the simulator's: G = 1, central body of mass 8 at rest at the
origin (absorption radius 8^0.333, about 2), batches of 50 steps of 0.001.

Initial conditions come from the elements (semi-major axis, eccentricity,
direction of periapsis, true anomaly).  The press sequences cannot come from
formulas alone: a press is a thrust of 0.5 along the velocity for a whole
batch, during which gravity turns the path, so the script runs candidate
sequences through orbelune-trace itself (the program's own integrator) and
keeps the one that ends closest to the wanted orbit.  Targets of phasing and
rendezvous are then placed on their circle at the angle where the chaser
ends: the field of body 1 is the same in every direction, so turning a
target's starting point turns its whole path.

The press sequences printed at the end are the ones that tests/unit/
test_scenarios.cpp and data/help.sh use; copy them there if they change.
"""
import argparse
import math
import os
import subprocess
import sys
import tempfile

MU = 8.0                       # mass of body 1
R_ABS = MU ** 0.333            # absorption radius
VIEW_X, VIEW_Y = 36.0, 26.0    # first view, |x| and |y|


# ---- elements -> state ----------------------------------------------------
def state(a, e, peri_deg, nu_deg, mu=MU):
    """Position and velocity on the conic (a < 0 for a hyperbola) with the
    periapsis towards peri_deg, at true anomaly nu_deg; counter-clockwise."""
    p = a * (1 - e * e)
    nu = math.radians(nu_deg)
    w = math.radians(peri_deg)
    r = p / (1 + e * math.cos(nu))
    h = math.sqrt(mu * p)
    vr = mu / h * e * math.sin(nu)
    vt = h / r
    th = w + nu
    c, s = math.cos(th), math.sin(th)
    x, y = r * c, r * s
    u, v = vr * c - vt * s, vr * s + vt * c
    return x, y, u, v


def circle(r, deg, mu=MU):
    return state(r, 0.0, deg, 0.0, mu)


def rotate(s, deg):
    c, n = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    x, y, u, v = s
    return (c * x - n * y, n * x + c * y, c * u - n * v, n * u + c * v)


def elements(x, y, u, v, mu=MU):
    """Specific energy, semi-major axis, eccentricity of a state."""
    r = math.hypot(x, y)
    v2 = u * u + v * v
    E = v2 / 2 - mu / r
    rv = x * u + y * v
    ex = ((v2 - mu / r) * x - rv * u) / mu
    ey = ((v2 - mu / r) * y - rv * v) / mu
    a = -mu / (2 * E) if E != 0 else math.inf
    return E, a, math.hypot(ex, ey)


# ---- files and runs ---------------------------------------------------------
def text(count, bodies):
    """Data-file text; bodies are (m, x, y, u, v)."""
    out = ["nb=%d" % count]
    for m, x, y, u, v in bodies:
        out.append("m=%s" % num(m))
        out.append("x=%s y=%s z=0" % (num(x), num(y)))
        out.append("u=%s v=%s w=0" % (num(u), num(v)))
    return "\n".join(out) + "\n"


def num(f):
    """Ten significant digits; rounding noise of a cosine near 0 is 0."""
    if abs(f) < 1e-9:
        return "0"
    s = "%.10g" % f
    return "0" if s in ("-0", "0") else s


class Tracer:
    def __init__(self, exe):
        self.exe = exe
        self.dir = tempfile.mkdtemp(prefix="orbelune-design-")

    def run(self, count, bodies, batches, presses=(), every=1):
        """Runs a scenario; returns {batch: {body: (m, x, y, u, v)}}."""
        path = os.path.join(self.dir, "s.txt")
        with open(path, "w") as f:
            f.write(text(count, bodies))
        cmd = [self.exe, "--batches", str(batches), "--every", str(every)]
        for b, sign in presses:
            cmd += ["--thrust", "%d:%s" % (b, sign)]
        out = subprocess.run(cmd + [path], capture_output=True, text=True, check=True).stdout
        rows = {}
        for line in out.splitlines()[1:]:
            if not line or not line[0].isdigit():
                break
            p = line.split(",")
            rows.setdefault(int(p[0]), {})[int(p[2])] = tuple(map(float, p[3:]))
        return rows


def turn_batch(rows, body, start):
    """First batch after `start` at which the body has gone once round body 1."""
    total = 0.0
    prev = math.atan2(rows[start][body][2], rows[start][body][1])
    for b in range(start + 1, max(rows) + 1):
        ang = math.atan2(rows[b][body][2], rows[b][body][1])
        d = (ang - prev + math.pi) % (2 * math.pi) - math.pi
        total += abs(d)
        prev = ang
        if total >= 2 * math.pi:
            return b
    raise RuntimeError("no full turn")


def angle_of(s):
    return math.degrees(math.atan2(s[2], s[1]))


SUN = (MU, 0.0, 0.0, 0.0, 0.0)
PLANET = 0.01        # mass of a test body (negative counts: it attracts nothing)


def presses(first, n1, sign1, second, n2, sign2):
    return [(b, sign1) for b in range(first, first + n1)] + [(b, sign2) for b in range(second, second + n2)]


def tune(tr, chaser, n1, sign1, sign2, half, n2_choices, aim):
    """Searches the start batch and count of the second group of presses.
    half: True when it comes half a turn after the first group (transfer),
    False for a whole turn (phasing).  aim(state) -> error to minimise.
    Returns (error, n2, second batch, end batch, rows)."""
    rows = tr.run(-2, [SUN, chaser], 4000, presses(1, n1, sign1, 0, 0, sign2))
    # centre of the first group, then half or a whole turn of the new orbit
    mid = (n1 + 1) // 2
    whole = turn_batch(rows, 2, mid)
    guess = mid + (whole - mid) // 2 if half else whole
    best = None
    for n2 in n2_choices:
        for second in range(guess - n2 // 2 - 12, guess - n2 // 2 + 12):
            seq = presses(1, n1, sign1, second, n2, sign2)
            end = second + n2 - 1
            r = tr.run(-2, [SUN, chaser], end, seq)
            err = aim(r[end][2])
            if best is None or err < best[0]:
                best = (err, n2, second, end)
    return best


def place_target(tr, chaser_end, radius, end):
    """Circular target of `radius` that lies where the chaser ends at `end`."""
    probe = circle(radius, 0.0)
    r = tr.run(-2, [SUN, (PLANET,) + probe], end)
    return rotate(probe, angle_of((0,) + chaser_end) - angle_of(r[end][2]))


# ---- the scenarios ----------------------------------------------------------
def design(tr):
    files = {}
    notes = []

    # 1. tir: horizontal shots from (0, 6) at increasing speeds
    speeds = [0.5, 0.7, 1.0, math.sqrt(MU / 6), 1.3, 1.45, 1.75, 2.0]
    files["donneesTIR.txt"] = text(-(1 + len(speeds)), [SUN] + [(PLANET, 0.0, 6.0, s, 0.0) for s in speeds])

    # 2. iso Energie et iso T: one point, one speed, four directions
    v0 = math.sqrt(MU / 10)
    shots = []
    for g in (0, 15, 30, 44):
        gr = math.radians(g)
        shots.append((PLANET, 10.0, 0.0, v0 * math.sin(gr), v0 * math.cos(gr)))
    files["donneesIsoE.txt"] = text(-5, [SUN] + shots)

    # 3. loi des aires 1: e = 0.7, starting at apoapsis on the left
    files["donneesLoiAires1.txt"] = text(-2, [SUN, (PLANET,) + state(12, 0.7, 0, 180)])

    # 4. loi des aires 2: three orbits with the same parameter p = 8, hence the
    # same angular momentum: each sweeps at its own constant rate, and the
    # three rates are equal although the orbits differ
    p = 8.0
    bodies = [SUN]
    for e, w, nu in ((0.0, 90, 0), (0.35, 200, 180), (0.6, 0, 180)):
        bodies.append((PLANET,) + state(p / (1 - e * e), e, w, nu))
    files["donneesLoiAires2.txt"] = text(-4, bodies)

    # 5. loi a^3/T^2: a from 5 to 16 with various eccentricities
    bodies = [SUN]
    for a, e, w, nu in ((5, 0.0, 0, 90), (8, 0.2, 45, 180), (11.5, 0.4, 160, 0), (16, 0.3, 270, 180)):
        bodies.append((PLANET,) + state(a, e, w, nu))
    files["donneesA3T2.txt"] = text(-5, bodies)

    # 6, 7. phasing on the circle r = 10; body 2 starts on the right
    def circular(s):
        return elements(*s[1:5])[2]

    for name, sign, back, n1 in (("donneesPhaPos.txt", "+", "-", 3), ("donneesPhaNeg.txt", "-", "+", 4)):
        chaser = (PLANET,) + circle(10, 0)
        err, n2, second, end = tune(tr, chaser, n1, sign, back, False, (n1,), circular)
        seq = presses(1, n1, sign, second, n2, back)
        r = tr.run(-2, [SUN, chaser], end, seq)
        target = place_target(tr, r[end][2][1:5], 10.0, end)
        files[name] = text(-3, [SUN, chaser, (PLANET,) + target])
        notes.append("%s: %d x '%s' at batches 1..%d, %d x '%s' at batches %d..%d; e after %.4f, "
                     "body 3 starts at %.1f deg" % (name, n1, sign, n1, n2, back, second, end, err,
                                                    angle_of((0,) + target)))

    # 10. transf. Homann: circle r = 8 -> the circle that 6 + n2 presses reach
    chaser = (PLANET,) + circle(8, 0)
    err, n2, second, end = tune(tr, chaser, 6, "+", "+", True, (4, 5, 6), circular)
    seq = presses(1, 6, "+", second, n2, "+")
    r = tr.run(-2, [SUN, chaser], end + 2000, seq)
    a_end = elements(*r[end][2][1:5])[1]
    outer = round(a_end, 1)
    files["donneesHom.txt"] = text(-3, [SUN, chaser, (PLANET,) + circle(outer, 135)])
    notes.append("donneesHom.txt: 6 x '+' at batches 1..6, %d x '+' at batches %d..%d; e after %.4f, "
                 "a after %.3f, body 3 on r = %.1f" % (n2, second, end, err, a_end, outer))

    # 11, 12. rendezvous: from an inner circle up to the target's, and from an
    # outer circle down to it; the target circle is the one the chaser reaches
    for name, r0, sign, n1, choices in (("donneesRDV1.txt", 10, "+", 5, (3, 4, 5)),
                                        ("donneesRDV2.txt", 18, "-", 4, (3, 4, 5, 6))):
        chaser = (PLANET,) + circle(r0, 0)
        err, n2, second, end = tune(tr, chaser, n1, sign, sign, True, choices, circular)
        seq = presses(1, n1, sign, second, n2, sign)
        r = tr.run(-2, [SUN, chaser], end, seq)
        c = r[end][2][1:5]
        rt = math.hypot(c[0], c[1])
        target = place_target(tr, c, rt, end)
        files[name] = text(-3, [SUN, chaser, (PLANET,) + target])
        notes.append("%s: %d x '%s' at batches 1..%d, %d x '%s' at batches %d..%d; e after %.4f, "
                     "target r = %.4f at %.1f deg" % (name, n1, sign, n1, n2, sign, second, end, err, rt,
                                                     angle_of((0,) + target)))

    # 8. ellipse: a = 13, e = 0.65, from apoapsis on the left
    ellipse = text(-2, [SUN, (PLANET,) + state(13, 0.65, 0, 180)])
    files["donnees11.txt"] = ellipse

    # 9. hyperbole: e = 2.2, periapsis 5, coming in from the top edge and
    # leaving through the bottom one about 700 batches later
    a = -5 / (2.2 - 1)
    files["donnees10.txt"] = text(-2, [SUN, (PLANET,) + state(a, 2.2, -150, -98)])

    # 13. syst. double 1: masses 8 and 4 on a relative ellipse a = 14, e = 0.3,
    # centre of mass at rest at the origin
    files["donnees12.txt"] = text(2, pair(8.0, 4.0, 14, 0.3))

    # 14. syst. double 2: a close pair 8 + 2 and a planet round both
    stars = pair(8.0, 2.0, 6, 0.0)
    planet_m = 0.05
    pl = circle(20, 90, mu=10.0 + planet_m)
    files["donneesEdoub.txt"] = text(3, recentre(stars + [(planet_m,) + pl]))

    # 15. syst. triple: three massive bodies, a star with a planet and its
    # heavy moon, each pulling visibly on the others
    sun_m, earth_m, moon_m = 8.0, 3.0, 1.0
    earth = circle(20, 0, mu=sun_m + earth_m + moon_m)
    moon_rel = circle(3.5, 90, mu=earth_m + moon_m)
    # the Earth-Moon pair: its centre of mass on the circle, the two around it
    fe = moon_m / (earth_m + moon_m)
    fm = earth_m / (earth_m + moon_m)
    e_s = tuple(earth[k] - fe * moon_rel[k] for k in range(4))
    m_s = tuple(earth[k] + fm * moon_rel[k] for k in range(4))
    files["donneesTL.txt"] = text(3, recentre([(sun_m, 0, 0, 0, 0), (earth_m,) + e_s, (moon_m,) + m_s]))

    return files, ellipse, notes


def pair(m1, m2, a, e):
    """Two bodies on a relative ellipse (periapsis on +x, started at
    apoapsis), centre of mass at rest at the origin."""
    rel = state(a, e, 0, 180, mu=m1 + m2)
    f1, f2 = -m2 / (m1 + m2), m1 / (m1 + m2)
    return [(m1,) + tuple(f1 * c for c in rel), (m2,) + tuple(f2 * c for c in rel)]


def recentre(bodies):
    """Moves the centre of mass to the origin and stops it."""
    mt = sum(b[0] for b in bodies)
    cm = [sum(b[0] * b[k] for b in bodies) / mt for k in range(1, 5)]
    return [(b[0],) + tuple(b[k] - cm[k - 1] for k in range(1, 5)) for b in bodies]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--trace", required=True, help="path of the orbelune-trace program")
    ap.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data"))
    args = ap.parse_args()
    files, ellipse, notes = design(Tracer(args.trace))
    os.makedirs(os.path.join(args.out, "DONNEES"), exist_ok=True)
    for name, body in sorted(files.items()):
        with open(os.path.join(args.out, "DONNEES", name), "w") as f:
            f.write(body)
    with open(os.path.join(args.out, "donnees.txt"), "w") as f:
        f.write(ellipse)
    for n in notes:
        print(n)
    print("%d files written under %s" % (len(files), os.path.join(args.out, "DONNEES")))


if __name__ == "__main__":
    sys.exit(main())
