// test_scene.cpp — the camera's per-frame step: what each mode moves, which
// look-at a frame uses, and where rotation mode puts the light.
#include "orbelune.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Camera : ::testing::Test {
    void SetUp() override {
        rot = 1; trans = 0; vol = 0;
        xv = 0.0f; yv = 0.0f; zv = 50.0f;
        cth = 1.0f; sth = 0.0f; thetay = 0.0f; vitesse = 0.0f;
        spin_x = 0.0f; spin_y = 0.0f;
        LightPosition[0] = 10.0f; LightPosition[1] = 15.0f; LightPosition[2] = -5.0f; LightPosition[3] = 1.0f;
    }
    void mode(int r, int tr, int v) { rot = r; trans = tr; vol = v; }
    float oeil[3], centre[3];
    void image() { regardImage(oeil, centre); }
};

TEST_F(Camera, RotationLooksFromTheEyeAndPutsTheLightBesideIt) {
    xv = 1.5f; yv = -2.0f; zv = 30.0f; cth = 0.6f; sth = 0.8f; spin_x = 40.0f; spin_y = -25.0f;
    image();
    EXPECT_EQ(xv, 1.5f); EXPECT_EQ(yv, -2.0f); EXPECT_EQ(zv, 30.0f); // the drag turns, never moves
    const float oeilVoulu[3] = {1.5f, -2.0f, 30.0f}, centreVoulu[3] = {1.5f + 0.8f, -2.0f, 30.0f - 0.6f};
    const float lumiere[4] = {11.5f, 13.0f, 20.0f, 1.0f};
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(oeil[k], oeilVoulu[k]) << k;
        EXPECT_EQ(centre[k], centreVoulu[k]) << k;
    }
    for (int k = 0; k < 4; k++) EXPECT_EQ(LightPosition[k], lumiere[k]) << k;
}

TEST_F(Camera, TranslationDriftsByTheDragOffsetEveryFrameAndLooksFromTheMovedEye) {
    mode(0, 1, 0);
    image(); // no drag: no move
    EXPECT_EQ(xv, 0.0f); EXPECT_EQ(zv, 50.0f);
    spin_x = 100.0f; spin_y = -50.0f;
    for (int f = 1; f <= 3; f++) {
        image();
        EXPECT_FLOAT_EQ(xv, -0.1f * f);
        EXPECT_FLOAT_EQ(zv, 50.0f - 0.05f * f);
        EXPECT_EQ(oeil[0], xv); EXPECT_EQ(oeil[2], zv);
        EXPECT_EQ(centre[2], zv - 1.0f);
    }
    EXPECT_EQ(LightPosition[2], -5.0f) << "the light is only re-sent in rotation mode";
}

TEST_F(Camera, FlightLooksAlongLastFramesHeadingThenAdvances) {
    mode(0, 0, 1);
    // Entering flight sets thetay only: the first frame keeps the old view.
    cth = 0.0f; sth = 1.0f;
    image();
    EXPECT_EQ(centre[0], 1.0f); EXPECT_EQ(centre[2], 50.0f);
    EXPECT_EQ(oeil[2], 50.0f) << "looks from the eye before this frame's step";
    EXPECT_FLOAT_EQ(zv, 50.0f - 0.015f);
    image();
    EXPECT_EQ(centre[0], 0.0f); EXPECT_FLOAT_EQ(centre[2], zv + 0.015f - 1.0f);

    // 1000 frames at heading 0 from (0, 0, 50): 15 units toward -z.
    SetUp(); mode(0, 0, 1);
    for (int f = 0; f < 1000; f++) image();
    EXPECT_NEAR(zv, 35.0f, 1e-3);
    EXPECT_EQ(xv, 0.0f); EXPECT_EQ(yv, 0.0f);

    // Heading 90 degrees: toward +x (3.1415 is not pi, hence the slack).
    SetUp(); mode(0, 0, 1); thetay = 90.0f;
    image(); image();
    EXPECT_NEAR(xv, 0.030f, 1e-6);
    EXPECT_NEAR(zv, 50.0f, 1e-5);
    EXPECT_NEAR(centre[0] - oeil[0], 1.0f, 1e-6);
}

TEST_F(Camera, AVerticalPressMovesTheFlyingEyeOnce) {
    mode(0, 0, 1);
    vitesse = 0.05f;
    image();
    EXPECT_EQ(yv, 0.05f);
    EXPECT_EQ(vitesse, 0.0f);
    image();
    EXPECT_EQ(yv, 0.05f);
    mode(1, 0, 0); // outside flight the pending step waits
    vitesse = -0.05f;
    image();
    EXPECT_EQ(yv, 0.05f);
}

TEST(DisplayRadius, IsTheMassToThePower0333ClampedTo01And2) {
    struct Cas { double m; float r; };
    const Cas cas[] = {
        {1.0, 1.0f},
        {8.0, static_cast<float>(std::pow(8.0, 0.333))}, // about 1.9986: 0.333 is not a third
        {8.02, 2.0f},
        {1e6, 2.0f},
        {0.000994, static_cast<float>(std::pow(0.000994, 0.333))}, // just above 0.1
        {0.000993, 0.1f},                                        // just below
        {0.0, 0.1f},
        {-5.0, 0.1f},
        {std::numeric_limits<double>::quiet_NaN(), 0.1f},
    };
    for (const Cas &c : cas) EXPECT_FLOAT_EQ(rayonCorps(c.m), c.r) << c.m;
    EXPECT_GT(rayonCorps(0.000994), 0.1f);
    EXPECT_LT(rayonCorps(8.0), 2.0f);
}

} // namespace
