// test_maillage.cpp — the browser renderer's geometry: the projection and
// camera put points at the desktop's pixels, the turns go the GL way, and the
// meshes are closed, outward-facing shapes of the right size.
#include "maillage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

namespace {

const double PI = 3.14159265358979323846;

// The desktop's default view: eye (0, 0, 50) looking toward -z, 1024 x 768.
struct Vue {
    float projection[16], vue[16];
    Vue(const float oeil[3], const float centre[3], int w = 1024, int h = 768) {
        const float haut[3] = {0, 1, 0};
        matPerspective(projection, 60.0, static_cast<float>(w) / static_cast<float>(h), 0.1, 1000.0);
        matRegard(vue, oeil, centre, haut);
    }
};
const float OEIL[3] = {0, 0, 50}, DEVANT[3] = {0, 0, 49};

TEST(Projection, PutsPlanePointsWhereThePerspectiveFormulaDoes) {
    Vue v(OEIL, DEVANT);
    const double f = 1 / std::tan(PI / 6), aspect = 1024.0 / 768.0;
    const float points[][2] = {{0, 0}, {12, 0}, {-21.45f, 0}, {5, -7}, {-20, 14}};
    for (const auto &q : points) {
        float p[3] = {q[0], q[1], 0}, px[2];
        pixelDe(px, v.projection, v.vue, p, 1024, 768);
        EXPECT_NEAR(px[0], (f / aspect * q[0] / 50 + 1) / 2 * 1024, 1e-3) << q[0] << "," << q[1];
        EXPECT_NEAR(px[1], (1 - f * q[1] / 50) / 2 * 768, 1e-3) << q[0] << "," << q[1];
    }
    float p[3] = {12, 0, 0}, px[2];
    pixelDe(px, v.projection, v.vue, p, 1024, 768);
    EXPECT_NEAR(px[0] - 512, 160, 1.0);
}

TEST(Projection, KeepsSixtyDegreesVerticallyAndMapsNearAndFarPlanes) {
    float m[16];
    matPerspective(m, 60.0, 2.0, 0.1, 1000.0);
    EXPECT_NEAR(m[5], std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(m[0], m[5] / 2, 1e-6) << "a wider window widens the horizontal field only";
    for (float z : {-0.1f, -1000.0f}) {
        float v[4] = {0, 0, z, 1};
        matVecteur(v, m, v);
        EXPECT_NEAR(v[2] / v[3], z == -0.1f ? -1.0 : 1.0, 1e-4) << z;
    }
}

TEST(Camera, LooksAlongTheHeading) {
    // Heading 90 degrees: looking toward +x from the eye, y still up.
    const float centre[3] = {1, 0, 50};
    Vue v(OEIL, centre);
    float devant[3] = {10, 0, 50}, dessus[3] = {10, 3, 50}, droite[3] = {10, 0, 53}, px[2];
    pixelDe(px, v.projection, v.vue, devant, 1024, 768);
    EXPECT_NEAR(px[0], 512, 1e-3); EXPECT_NEAR(px[1], 384, 1e-3);
    pixelDe(px, v.projection, v.vue, dessus, 1024, 768);
    EXPECT_LT(px[1], 384);
    pixelDe(px, v.projection, v.vue, droite, 1024, 768);
    EXPECT_GT(px[0], 512) << "+z is on the right when looking along +x";
}

TEST(Rotation, TurnsCounterClockwiseAboutTheNormalisedAxisAndComposesOnTheRight) {
    struct Cas { float degres, ax, ay, az, v[3], attendu[3]; };
    const Cas cas[] = {
        {90, 0, 1, 0, {1, 0, 0}, {0, 0, -1}},
        {90, 5, 0, 0, {0, 1, 0}, {0, 0, 1}},   // the axis (5, 0, 0) counts as (1, 0, 0)
        {-90, 0, 0, 2, {1, 0, 0}, {0, -1, 0}},
        {30, 0, 0, 0, {1, 2, 3}, {1, 2, 3}},   // no axis: unchanged
    };
    for (const Cas &c : cas) {
        float m[16], v[4] = {c.v[0], c.v[1], c.v[2], 1};
        matIdentite(m);
        matRotation(m, c.degres, c.ax, c.ay, c.az);
        matVecteur(v, m, v);
        for (int k = 0; k < 3; k++) EXPECT_NEAR(v[k], c.attendu[k], 1e-6) << c.degres << " axis " << c.ax << c.ay << c.az;
    }
    // glRotate(a) then glTranslate(t): the point is moved first, then turned.
    float m[16], v[4] = {0, 0, 0, 1};
    matIdentite(m);
    matRotation(m, 90, 0, 0, 1);
    matTranslation(m, 1, 0, 0);
    matVecteur(v, m, v);
    EXPECT_NEAR(v[0], 0, 1e-6); EXPECT_NEAR(v[1], 1, 1e-6);
}

// Every index in range, unit normals, and the normals on the outward side
// (away from the y axis or, at a pole, from the centre plane) for the
// vertices below the height sous and farther than cote from the plane z = 0
// (the teapot's body, clear of the rim's lip, the handle and the spout; all
// of a sphere).
void verifieMaillage(const Maillage &m, size_t parPrimitive, float sous = 2.0f, float cote = -1.0f) {
    const size_t n = m.sommets.size() / SOMMET_FLOATS;
    ASSERT_EQ(m.indices.size() % parPrimitive, 0u);
    for (auto k : m.indices) ASSERT_LT(k, n);
    size_t vus = 0;
    for (size_t k = 0; k < n; k++) {
        const float *s = m.sommets.data() + k * SOMMET_FLOATS;
        EXPECT_NEAR(s[3] * s[3] + s[4] * s[4] + s[5] * s[5], 1.0, 1e-5) << "unit normal at " << k;
        if (s[1] > sous || std::fabs(s[2]) <= cote) continue;
        vus++;
        EXPECT_GT(s[0] * s[3] + s[2] * s[5] + std::fabs(s[1] * s[4]), 0) << "outward at " << k;
    }
    EXPECT_GT(vus, n / 8);
}

TEST(Meshes, SpheresAreUnitSpheresAroundZWithGlutsSlicesAndStacks) {
    Maillage s = sphereSolide(20, 20);
    verifieMaillage(s, 3);
    EXPECT_EQ(s.indices.size() / 3, 2u * 20 * (20 - 1));
    for (size_t k = 0; k < s.sommets.size(); k += SOMMET_FLOATS) {
        const float *p = &s.sommets[k];
        EXPECT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0, 1e-6);
        EXPECT_EQ(p[6], 0.0f); EXPECT_EQ(p[7], 0.0f);
    }
    EXPECT_EQ(s.sommets[2], 1.0f) << "north pole on +z";
    // Solid triangles face outward: counter-clockwise seen from outside.
    for (size_t t = 0; t < s.indices.size(); t += 3) {
        const float *a = &s.sommets[s.indices[t] * SOMMET_FLOATS], *b = &s.sommets[s.indices[t + 1] * SOMMET_FLOATS],
                    *c = &s.sommets[s.indices[t + 2] * SOMMET_FLOATS];
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float w[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        ASSERT_GT(w[0] * (a[0] + b[0] + c[0]) + w[1] * (a[1] + b[1] + c[1]) + w[2] * (a[2] + b[2] + c[2]), 0) << t;
    }
    // Wire: 10 meridians of 10 segments and 9 rings of 10 segments.
    Maillage w = sphereFilaire(10, 10);
    verifieMaillage(w, 2);
    EXPECT_EQ(w.indices.size() / 2, 10u * 10 + 9 * 10);
}

TEST(Meshes, TeapotHasGlutsSizeAndItsWireFormIsThePatchGrid) {
    Maillage s = theiereSolide();
    verifieMaillage(s, 3, 0.44f, 0.35f);
    float bas[3] = {1e9f, 1e9f, 1e9f}, haut[3] = {-1e9f, -1e9f, -1e9f};
    for (size_t k = 0; k < s.sommets.size(); k += SOMMET_FLOATS)
        for (int e = 0; e < 3; e++) {
            bas[e] = std::fmin(bas[e], s.sommets[k + e]);
            haut[e] = std::fmax(haut[e], s.sommets[k + e]);
        }
    // glutSolidTeapot(1): the original patches (z from 0 to 3.15, width 4)
    // halved, lowered by 0.75 and stood up along y; spout toward +x.
    EXPECT_NEAR(bas[1], -0.75, 1e-4); EXPECT_NEAR(haut[1], 0.825, 1e-4);
    EXPECT_NEAR(bas[2], -1.0, 1e-4); EXPECT_NEAR(haut[2], 1.0, 1e-4);
    EXPECT_NEAR(bas[0], -1.5, 1e-3); EXPECT_NEAR(haut[0], 1.714, 1e-3);

    auto arete = [](unsigned a, unsigned b) { return std::make_pair(std::min(a, b), std::max(a, b)); };
    std::set<std::pair<unsigned, unsigned>> toutes;
    for (size_t t = 0; t < s.indices.size(); t += 3)
        for (int k = 0; k < 3; k++) toutes.insert(arete(s.indices[t + k], s.indices[t + (k + 1) % 3]));
    Maillage w = theiereFilaire();
    verifieMaillage(w, 2, 0.44f, 0.35f);
    std::set<std::pair<unsigned, unsigned>> grille;
    for (size_t k = 0; k < w.indices.size(); k += 2) {
        auto e = arete(w.indices[k], w.indices[k + 1]);
        EXPECT_TRUE(toutes.count(e)) << "a wire line is an edge of the solid";
        EXPECT_TRUE(grille.insert(e).second) << "drawn once";
    }
    // Quadrilaterals cut in two: about one edge in three is a diagonal.
    EXPECT_LT(grille.size(), toutes.size() * 3 / 4);
    EXPECT_GT(grille.size(), toutes.size() / 2);
}

TEST(Texture, TheOriginSamplesTexelZeroOrTheMeanOfTheFourCorners) {
    // 3 x 2 pixels, first row (t = 0) first; every texel differs.
    const unsigned char image[] = {
        10, 20, 30,   200, 0, 0,   50, 60, 70,
        90, 100, 110, 0, 200, 0,   130, 140, 150,
    };
    float rgb[3];
    texelOrigine(rgb, image, 3, 2, false);
    for (int c = 0; c < 3; c++) EXPECT_FLOAT_EQ(rgb[c], image[c] / 255.0f) << c;
    texelOrigine(rgb, image, 3, 2, true);
    const float moyenne[3] = {(10 + 50 + 90 + 130) / 4.0f, (20 + 60 + 100 + 140) / 4.0f, (30 + 70 + 110 + 150) / 4.0f};
    for (int c = 0; c < 3; c++) EXPECT_NEAR(rgb[c], moyenne[c] / 255.0f, 1e-6) << "the middle column plays no part";
    // A single pixel is its own corners.
    const unsigned char seul[] = {7, 8, 9};
    texelOrigine(rgb, seul, 1, 1, true);
    EXPECT_NEAR(rgb[1], 8 / 255.0f, 1e-7);
}

} // namespace
