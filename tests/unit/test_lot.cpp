// test_lot.cpp — the fast batch (nextD, on every path this processor can
// run) gives exactly the bits of the straightforward batch nextDReference:
// positions, velocities, masses, step counter, thrust and trails, over many
// batches with absorptions, trail samples and thrust presses.
#include "core_state.h"
#include "lot.h"

#include <cmath>
#include <limits>

namespace {

// Equal bits, or both not a number: IEEE 754 leaves a NaN's sign and payload
// open, and compilers may swap the operands of + and *, which picks another.
bool pareils(const double *a, const double *b, size_t n) {
    for (size_t k = 0; k < n; k++)
        if (std::memcmp(&a[k], &b[k], sizeof a[k]) != 0 && !(std::isnan(a[k]) && std::isnan(b[k]))) return false;
    return true;
}

// The state a batch writes: counters, thrust and the body and trail figures.
struct Etat {
    int t;
    double px;
    std::vector<double> figures;
    bool operator==(const Etat &o) const {
        return t == o.t && std::memcmp(&px, &o.px, sizeof px) == 0 && figures.size() == o.figures.size() &&
               pareils(figures.data(), o.figures.data(), figures.size());
    }
};

struct Corps {
    double m, x, y, u, v;
};

struct Lot {
    const char *cas;
    int nb, nbat;
    double px;  // pressed before one batch in three
    double dt;
    std::vector<Corps> corps;
};
void PrintTo(const Lot &c, std::ostream *os) { *os << c.cas; }

// Fifteen bodies: a heavy centre, the others on a rough disc of orbits, one
// of them close enough to be absorbed, two on exactly the same point.
std::vector<Corps> quinze() {
    std::vector<Corps> c = {{1000, 0.3, -0.2, 0.01, 0}};
    for (int k = 2; k <= 15; k++) {
        double r = 4 + 2.7 * (k - 2), a = 2.399963 * k, v = std::sqrt(1000 / r) * (0.8 + 0.03 * k);
        c.push_back({0.2 + 0.37 * ((k * 7) % 5), r * std::cos(a), r * std::sin(a), -v * std::sin(a), v * std::cos(a)});
    }
    c[13] = c[12];     // bodies 13 and 14 coincide and keep coinciding
    c[5].x = 9.5;      // body 6 starts just outside the radius 9.977 ...
    c[5].y = 0.0;
    c[5].u = -30;      // ... and falls in
    return c;
}

const double PETIT = 1e-310;       // subnormal
const double GRAND = 1e200;        // its square overflows
const double NAN_ = std::numeric_limits<double>::quiet_NaN();

class FastBatch : public CoreTest, public ::testing::WithParamInterface<Lot> {
protected:
    // Runs 45 batches from the case's starting state (a trail sample at
    // batches 20 and 40) and returns the end state: the trails of bodies
    // 1..nb, not the rows above nb, which hold whatever the allocator left.
    static Etat lance(const Lot &c, void (*lot)()) {
        remet_a_zero();
        for (size_t k = 0; k < c.corps.size(); k++) {
            const Corps &b = c.corps[k];
            corps(static_cast<int>(k) + 1, b.m, b.x, b.y, b.u, b.v);
        }
        scenario(c.nb, c.nbat);
        dt = c.dt;
        for (int k = 0; k < 45; k++) {
            if (k % 3 == 0) px = c.px;
            lot();
        }
        Etat s{t, px, {}};
        for (const double *a : {M, X, Y, Z, Xp, Yp}) s.figures.insert(s.figures.end(), a, a + NSLOTS);
        for (double **m : {tX, tY})
            for (int i = 1; i <= nb; i++) s.figures.insert(s.figures.end(), m[i], m[i] + NITER + 1);
        return s;
    }
};

TEST_P(FastBatch, EqualsTheReferenceBitForBitOnEveryPath) {
    const Lot &c = GetParam();
    Etat reference = lance(c, nextDReference);
    const CheminLot *chemins;
    int n = cheminsLot(&chemins);
    ASSERT_GE(n, 1);
    for (int k = 0; k < n; k++) {
        ASSERT_TRUE(choisitCheminLot(chemins[k].nom));
        EXPECT_TRUE(lance(c, nextD) == reference) << c.cas << ", path " << chemins[k].nom;
    }
    choisitCheminLot(chemins[n - 1].nom);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FastBatch,
    ::testing::Values(
        Lot{"one body", 1, 1, 0.5, 0.001, {{5, 1, 2, 0.3, -0.1}}},
        Lot{"two bodies with thrust", 2, 2, 0.5, 0.001, {{10, 0, 0, 0, 0}, {0.1, 3, 0, 0, 1.8}}},
        Lot{"negative count: body 1 alone attracts", 5, 1, -0.5, 0.001,
            {{20, 0, 0, 0, 0}, {1, 3, 0, 0, 2.5}, {7, 0, -5, 2, 0}, {3, -4, 1, 0.5, -2}, {0, 6, 6, -1, 0}}},
        Lot{"fifteen attracting bodies, thrust on", 15, 15, 0.5, 0.001, quinze()},
        Lot{"fifteen bodies, step 0.002", 15, 15, -0.5, 0.002, quinze()},
        Lot{"fifteen bodies, nine attract", 15, 9, 0.5, 0.001, quinze()},
        Lot{"coincident bodies", 4, 4, 0.5, 0.001, {{3, 0, 0, 0, 0}, {1, 2, 2, 0, 1}, {1, 2, 2, 0, 1}, {2, -3, 1, 1, 0}}},
        Lot{"body 2 at rest, nothing pulls", 3, 3, 0.5, 0.001, {{0, 0, 0, 0, 0}, {0, 5, 5, 0, 0}, {0, 1, 0, 0, 0}}},
        Lot{"subnormal separations", 4, 4, 0.5, 0.001,
            {{1, 0, 0, 0, 0}, {1, PETIT, 0, 0, 0}, {1, 0, 3 * PETIT, 0, 0}, {1, 1e-160, 1e-160, 0, 0}}},
        Lot{"squares that overflow", 4, 4, 0.5, 0.001,
            {{1, GRAND, 0, 0, 0}, {1, -GRAND, 0, 1, 0}, {1e300, 0, GRAND, 0, 0}, {1, 1, 1, 0, 0}}},
        Lot{"a body that is not a number", 3, 3, 0.5, 0.001, {{1, 0, 0, 0, 0}, {1, NAN_, 0, 0, 1}, {1, 3, 0, 0, 0}}},
        // body 1 skips itself even where its own separation is not a number
        Lot{"body 1 at infinity attracts alone", 2, 1, 0.5, 0.001, {{1, INFINITY, 0, 0, 0}, {1, 3, 0, 0, 1}}}),
    [](const ::testing::TestParamInfo<Lot> &i) { return nom_de_cas(i.param.cas, i.index); });

// Each path alone against Fx and Fy, on configurations where a different
// order or grouping would show in the last bits.
TEST(AccelerationPaths, EqualFxAndFyWithoutThrust) {
    double m[NSLOTS] = {}, x[NSLOTS] = {}, y[NSLOTS] = {}, v[NSLOTS] = {};
    unsigned graine = 12345;
    auto aleatoire = [&graine] {
        graine = graine * 1103515245u + 12345u;
        return static_cast<double>(graine >> 8) / (1u << 24) - 0.5;
    };
    const CheminLot *chemins;
    int n = cheminsLot(&chemins);
    for (int essai = 0; essai < 200; essai++) {
        int nb = 1 + essai % 15, nbat = 1 + (essai * 7) % 15;
        for (int i = 1; i < NSLOTS; i++) {
            m[i] = std::ldexp(aleatoire() + 0.6, essai % 9 - 4);
            x[i] = std::ldexp(aleatoire(), essai % 13 - 6);
            y[i] = std::ldexp(aleatoire(), essai % 11 - 5);
        }
        for (int k = 0; k < n; k++) {
            double ax[NSLOTS], ay[NSLOTS];
            chemins[k].noyau(nb, nbat, m, x, y, ax, ay);
            for (int i = 1; i <= nb; i++) {
                double fx = Fx(i, nbat, m, x, y, v, v, 0.0), fy = Fy(i, nbat, m, x, y, v, v, 0.0);
                ASSERT_TRUE(pareils(&ax[i], &fx, 1)) << chemins[k].nom << " body " << i << " try " << essai;
                ASSERT_TRUE(pareils(&ay[i], &fy, 1)) << chemins[k].nom << " body " << i << " try " << essai;
            }
        }
    }
}

} // namespace
