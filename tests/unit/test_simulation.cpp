// test_simulation.cpp — accelerations, the batch, absorption by body 1, the
// trail window and the step counter's wrap-around.
#include "core_state.h"

#include <climits>
#include <cmath>

namespace {

using Simulation = CoreTest;

// ---- accelerations ------------------------------------------------------

struct Acceleration {
    const char *cas;
    int i, n;
    double thrust;
    double m[4], x[4], y[4], vx[4], vy[4]; // slots 0..3, slot 0 unused
    double fx, fy;
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Acceleration &c, std::ostream *os) { *os << c.cas; }

class Forces : public ::testing::TestWithParam<Acceleration> {};

TEST_P(Forces, GiveTheseFigures) {
    const Acceleration &a = GetParam();
    double m[NSLOTS] = {}, x[NSLOTS] = {}, y[NSLOTS] = {}, vx[NSLOTS] = {}, vy[NSLOTS] = {};
    for (int k = 0; k < 4; k++) {
        m[k] = a.m[k]; x[k] = a.x[k]; y[k] = a.y[k]; vx[k] = a.vx[k]; vy[k] = a.vy[k];
    }
    EXPECT_NEAR(Fx(a.i, a.n, m, x, y, vx, vy, a.thrust), a.fx, 1e-15) << a.cas;
    EXPECT_NEAR(Fy(a.i, a.n, m, x, y, vx, vy, a.thrust), a.fy, 1e-15) << a.cas;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Forces,
    ::testing::Values(
        // body 1 of mass 1 at the origin, body 2 at (1, 0) moving at (3, 4)
        Acceleration{"no thrust", 2, 2, 0.0, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}, -1, 0},
        Acceleration{"thrust +0.5", 2, 2, 0.5, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}, -0.7, 0.4},
        Acceleration{"thrust -0.5", 2, 2, -0.5, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}, -1.3, -0.4},
        // body 1 of mass 4 at the origin, body 3 at (0, 2); body 3 takes no thrust
        Acceleration{"body 3, n = 1", 3, 1, 0.5, {0, 4, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 2}, {0, 0, 0, 5}, {0, 0, 0, 6}, 0, -1},
        // n = 1: body 1 feels nothing, even with a heavy body 2 beside it
        Acceleration{"body 1 alone attracts", 1, 1, 0.5, {0, 1, 50, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 2, 3, 0}, {0, 0, 4, 0}, 0, 0},
        // body 2 beyond n still feels body 1 and its thrust; its own mass never counts
        Acceleration{"body 2 beyond n", 2, 1, 0.5, {0, 1, 99, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}, -0.7, 0.4},
        // a body of zero mass pulls on nobody; a negative mass repels
        Acceleration{"massless body 3", 2, 3, 0.0, {0, 1, 0, 0}, {0, 0, 1, 5}, {0, 0, 0, 7}, {0, 0, 3, 0}, {0, 0, 4, 0}, -1, 0},
        Acceleration{"negative mass", 2, 2, 0.0, {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 3, 0}, {0, 0, 4, 0}, 1, 0},
        // zero separation: the pair contributes exactly 0
        Acceleration{"coincident", 3, 3, 0.0, {0, 4, 5, 0}, {0, 7, 7, 7}, {0, 3, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 1},
        Acceleration{"coincident, massless", 2, 3, 0.0, {0, 0, 0, 0}, {0, 3, 3, 3}, {0, 3, 3, 3}, {0, 0, 1, 0}, {0, 0, 0, 0}, 0, 0},
        // body 2 at rest: the thrust term is exactly 0
        Acceleration{"body 2 at rest", 2, 2, 0.5, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, -1, 0}),
    [](const ::testing::TestParamInfo<Acceleration> &i) { return nom_de_cas(i.param.cas, i.index); });

TEST(ForcesGrouping, PairTermFollowsTheWrittenGrouping) {
    // Mass over r2, negated, times dx, over r: an irregular configuration so
    // that another grouping would differ in the last bits.
    double m[NSLOTS] = {0, 3.7, 0.9}, x[NSLOTS] = {0, 0.3, 1.7}, y[NSLOTS] = {0, -0.2, 2.9};
    double v[NSLOTS] = {};
    double dx = x[2] - x[1], dy = y[2] - y[1];
    double r2 = dx * dx + dy * dy;
    double r = std::sqrt(r2);
    EXPECT_EQ(Fx(2, 2, m, x, y, v, v, 0.0), 0.0 + (-(m[1] / r2) * dx) / r);
    EXPECT_EQ(Fy(2, 2, m, x, y, v, v, 0.0), 0.0 + (-(m[1] / r2) * dy) / r);
}

// ---- the batch ----------------------------------------------------------

TEST_F(Simulation, ThrustAloneBatchUsesTheEndOfStepVelocity) {
    corps(1, 0, 0, 0, 0, 0);
    corps(2, 0, 10, 0, 1, 0);
    scenario(2, 2);
    px = 0.5;
    nextD();
    EXPECT_NEAR(Xp[2], 1.025, 1e-13);
    EXPECT_EQ(Yp[2], 0.0);
    // 10.050625 would mean the position moved with the mid-step velocity.
    EXPECT_NEAR(X[2], 10.0506375, 1e-12);
    EXPECT_EQ(Y[2], 0.0);
    EXPECT_EQ(px, 0.0);
    EXPECT_EQ(X[1], 0.0);
    EXPECT_EQ(Xp[1], 0.0);
    EXPECT_EQ(t, 50);
    // The thrust acted for one batch only.
    nextD();
    EXPECT_NEAR(Xp[2], 1.025, 1e-13);
}

TEST_F(Simulation, NoBodiesOnlyCountsStepsAndClearsThrust) {
    px = -0.5;
    nextD();
    EXPECT_EQ(t, 50);
    EXPECT_EQ(px, 0.0);
    EXPECT_EQ(tX, nullptr);
}

TEST_F(Simulation, SingleBodyMovesInAStraightLine) {
    corps(1, 5, 1, 2, 0.5, -0.25);
    scenario(1, 1);
    double x = 1, y = 2;
    for (int s = 0; s < 50; s++) {
        x = x + dt * 0.5;
        y = y + dt * -0.25;
    }
    nextD();
    EXPECT_EQ(X[1], x);
    EXPECT_EQ(Y[1], y);
    EXPECT_EQ(Xp[1], 0.5);
}

TEST_F(Simulation, OnlyBodyOneAttractsWhenNbatIsOne) {
    corps(1, 10, 0, 0, 0.1, 0);
    corps(2, 1e6, 30, 0, 0, 0.5);
    corps(3, 1e6, 0, 40, -0.5, 0);
    scenario(3, 1);
    for (int b = 0; b < 10; b++) nextD();
    EXPECT_EQ(Xp[1], 0.1);
    EXPECT_EQ(Yp[1], 0.0);
    // Body 2 feels body 1 only: toward the origin, and not toward body 3.
    EXPECT_LT(Xp[2], 0.0);
    EXPECT_LT(Yp[2], 0.5);
    EXPECT_GT(Yp[2], 0.49);
}

// Two bodies absorbed at the same batch end share the parking point, and
// body 2 sits still there: later batches must stay finite everywhere.
TEST_F(Simulation, BodiesParkedTogetherStayFinite) {
    corps(1, 1000, 0, 0, 0, 0);
    corps(2, 2, 3, 0, 0, 18.257); // on tight orbits well inside the radius
    corps(3, 3, 0, 3, -18.257, 0);
    corps(4, 1, 50, 0, 0, 4.4721);
    scenario(4, 4);
    nextD();
    ASSERT_EQ(M[2], 0.0);
    ASSERT_EQ(M[3], 0.0);
    // Both at rest on one point, body 2 pushed: zero separation and zero speed.
    Xp[2] = Yp[2] = Xp[3] = Yp[3] = 0.0;
    for (int b = 0; b < 30; b++) {
        if (b % 5 == 0) px = 0.5;
        nextD();
        for (int i = 1; i <= 4; i++)
            for (double v : {X[i], Y[i], Xp[i], Yp[i]}) ASSERT_TRUE(std::isfinite(v)) << "batch " << b << " body " << i;
    }
    // Body 3 has not left the parking point: the pair stayed coincident.
    EXPECT_EQ(X[3], 1e12);
    EXPECT_EQ(Y[3], 1e7);
}

// ---- absorption ---------------------------------------------------------

struct Absorption {
    const char *cas;
    double m1, x, y;
    bool absorbe;
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Absorption &c, std::ostream *os) { *os << c.cas; }

class Absorb : public CoreTest, public ::testing::WithParamInterface<Absorption> {};

TEST_P(Absorb, StrictlyInsideTheRadiusOnly) {
    const Absorption &a = GetParam();
    corps(1, a.m1, 0, 0, 0.25, 0);
    corps(2, 5, a.x, a.y, 1.5, -2.5);
    Z[2] = 4;
    scenario(2, 2);
    collision();
    if (a.absorbe) {
        EXPECT_EQ(M[2], 0.0) << a.cas;
        EXPECT_EQ(X[2], 1e12);
        EXPECT_EQ(Y[2], 1e7);
    } else {
        EXPECT_EQ(M[2], 5.0) << a.cas;
        EXPECT_EQ(X[2], a.x);
        EXPECT_EQ(Y[2], a.y);
    }
    // Nothing else moves: velocities, z and body 1 stay.
    EXPECT_EQ(Xp[2], 1.5);
    EXPECT_EQ(Yp[2], -2.5);
    EXPECT_EQ(Z[2], 4);
    EXPECT_EQ(M[1], a.m1);
    EXPECT_EQ(Xp[1], 0.25);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Absorb,
    ::testing::Values(Absorption{"exactly on the radius 1", 1, 1, 0, false},
                      Absorption{"exactly on the radius 1, below", 1, 0, -1, false},
                      Absorption{"just inside radius 1", 1, std::nextafter(1.0, 0.0), 0, true},
                      Absorption{"9.99 from mass 1000 (radius 9.977)", 1000, 9.99, 0, false},
                      Absorption{"9.97 from mass 1000", 1000, 9.97, 0, true},
                      Absorption{"on body 1", 1000, 0, 0, true},
                      Absorption{"mass 0: radius 0", 0, 0, 0, false},
                      Absorption{"negative mass: no radius", -8, 0.1, 0, false}),
    [](const ::testing::TestParamInfo<Absorption> &i) { return nom_de_cas(i.param.cas, i.index); });

TEST_F(Simulation, AbsorptionRunsAtTheBatchEndForBodiesTwoOnward) {
    corps(1, 1000, 0, 0, 0, 0);
    corps(2, 1, 5, 0, 0, 14.142); // orbiting inside: absorbed
    corps(3, 1, 0, -20, 0, 0);    // outside
    corps(4, 1, 1, 0, 0, 31.623); // inside, though body 4 is beyond nbat
    scenario(4, 3);
    nextD();
    EXPECT_EQ(M[2], 0.0);
    EXPECT_EQ(M[3], 1.0);
    EXPECT_EQ(M[4], 0.0);
    EXPECT_EQ(M[1], 1000.0);
    EXPECT_EQ(X[4], 1e12);
}

// ---- trails -------------------------------------------------------------

TEST_F(Simulation, SamplingKeepsTheLastSamplesOldestFirst) {
    corps(1, 1, 0, 0, 0, 0);
    corps(2, 0, 100, 100, 0, 0); // massless: repeats its newest sample
    scenario(2, 2);
    tX[3][7] = 42;
    const double echantillons[3][2] = {{1, -1}, {2, -2}, {3, -3}};
    for (const auto &e : echantillons) {
        X[1] = e[0];
        Y[1] = e[1];
        X[2] = 500 + e[0]; // moves, but has no mass
        echantillonne();
    }
    // Newest sample in the last two columns, then older ones, oldest first.
    EXPECT_EQ(tX[1][500], 3);
    EXPECT_EQ(tX[1][499], 3);
    EXPECT_EQ(tX[1][498], 2);
    EXPECT_EQ(tX[1][497], 1);
    EXPECT_EQ(tY[1][497], -1);
    EXPECT_EQ(tY[1][499], -3);
    for (int k = 0; k <= 496; k++) ASSERT_EQ(tX[1][k], 0.0) << k;
    // The massless body's trail stays on its starting point.
    for (int k = 0; k <= 500; k++) ASSERT_EQ(tX[2][k], 100.0) << k;

    // A body absorbed now repeats its last real sample and loses old ones.
    M[1] = 0;
    X[1] = 1e12;
    echantillonne();
    EXPECT_EQ(tX[1][500], 3);
    EXPECT_EQ(tX[1][499], 3);
    EXPECT_EQ(tX[1][498], 3);
    EXPECT_EQ(tX[1][497], 2);
    EXPECT_EQ(tX[1][496], 1);
    // Rows beyond nb are untouched.
    EXPECT_EQ(tX[3][7], 42);
}

// Batch ends at which the newest trail sample of body 1 changed.
std::vector<int> echantillonnages(int batches) {
    std::vector<int> quand;
    for (int b = 1; b <= batches; b++) {
        double avant = tX[1][NITER];
        nextD();
        if (tX[1][NITER] != avant) quand.push_back(b);
    }
    return quand;
}

TEST_F(Simulation, TrailsAreSampledEveryThousandSteps) {
    corps(1, 1, 0, 0, 1, 0);
    scenario(1, 1);
    EXPECT_EQ(echantillonnages(60), (std::vector<int>{20, 40, 60}));
    // A reload between two samples does not move the rhythm.
    for (int b = 0; b < 7; b++) nextD();
    scenario(1, 1);
    EXPECT_EQ(echantillonnages(40), (std::vector<int>{13, 33}));
}

TEST_F(Simulation, StepCounterWrapsWithoutBreakingTheRhythm) {
    corps(1, 1, 0, 0, 1, 0);
    scenario(1, 1);
    // A multiple of 1000 close enough to the largest int that 100 batches
    // pass it.
    t = (INT_MAX / 1000 - 3) * 1000;
    EXPECT_EQ(echantillonnages(100), (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_GE(t, 0);
    EXPECT_LT(t, 10000);
    EXPECT_EQ(t % 1000, 0);
    EXPECT_EQ(echantillonnages(20), (std::vector<int>{20}));
}

} // namespace
