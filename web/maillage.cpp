// maillage.cpp — matrices and meshes of the browser renderer (see maillage.h).
#include "maillage.h"

#include "theiere_donnees.h"

#include <cmath>
#include <cstring>
#include <set>
#include <utility>

namespace {

const double PI = 3.14159265358979323846;

void sommet(Maillage &m, float x, float y, float z, float nx, float ny, float nz, float s, float t) {
    const float v[SOMMET_FLOATS] = {x, y, z, nx, ny, nz, s, t};
    m.sommets.insert(m.sommets.end(), v, v + SOMMET_FLOATS);
}

// The vertices of a unit sphere around the z axis: the north pole, then
// piles - 1 rings of tranches vertices from north to south, then the south
// pole.  The normal of a unit sphere's point is the point itself.
Maillage sommetsSphere(int tranches, int piles) {
    Maillage m;
    sommet(m, 0, 0, 1, 0, 0, 1, 0, 0);
    for (int j = 1; j < piles; j++) {
        double phi = PI * j / piles;
        for (int i = 0; i < tranches; i++) {
            double theta = 2 * PI * i / tranches;
            float x = static_cast<float>(std::cos(theta) * std::sin(phi));
            float y = static_cast<float>(std::sin(theta) * std::sin(phi));
            float z = static_cast<float>(std::cos(phi));
            sommet(m, x, y, z, x, y, z, 0, 0);
        }
    }
    sommet(m, 0, 0, -1, 0, 0, -1, 0, 0);
    return m;
}

// Index of vertex i (taken modulo tranches) of ring j (1 .. piles - 1).
std::uint16_t anneau(int tranches, int j, int i) {
    return static_cast<std::uint16_t>(1 + (j - 1) * tranches + i % tranches);
}

// The teapot's vertices with their normals, each the sum of the normals of
// the triangles around it weighted by their areas (the cross product's
// length is twice the area), and texture coordinates: s runs from the spout
// side (+x) round to the handle (-x) on both halves, so that the wrap has no
// seam; t from the bottom to the top.
Maillage sommetsTheiere() {
    const size_t n = sizeof theiereSommets / sizeof theiereSommets[0] / 3;
    std::vector<double> normales(3 * n, 0.0);
    for (size_t f = 0; f + 2 < sizeof theiereFaces / sizeof theiereFaces[0]; f += 3) {
        const float *a = theiereSommets + 3 * theiereFaces[f];
        const float *b = theiereSommets + 3 * theiereFaces[f + 1];
        const float *c = theiereSommets + 3 * theiereFaces[f + 2];
        double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        double w[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        for (int k = 0; k < 3; k++)
            for (int e = 0; e < 3; e++) normales[3 * theiereFaces[f + k] + e] += w[e];
    }
    float bas = theiereSommets[1], haut = theiereSommets[1];
    for (size_t k = 0; k < n; k++) {
        bas = std::fmin(bas, theiereSommets[3 * k + 1]);
        haut = std::fmax(haut, theiereSommets[3 * k + 1]);
    }
    Maillage m;
    for (size_t k = 0; k < n; k++) {
        const float *p = theiereSommets + 3 * k;
        const double *q = normales.data() + 3 * k;
        double l = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
        if (l == 0) l = 1; // a vertex of collapsed triangles only
        float s = static_cast<float>(std::atan2(std::fabs(p[2]), p[0]) / PI);
        float t = (p[1] - bas) / (haut - bas);
        sommet(m, p[0], p[1], p[2], static_cast<float>(q[0] / l), static_cast<float>(q[1] / l),
               static_cast<float>(q[2] / l), s, t);
    }
    return m;
}

} // namespace

void matIdentite(float m[16]) {
    for (int k = 0; k < 16; k++) m[k] = (k % 5 == 0) ? 1.0f : 0.0f;
}

void matProduit(float m[16], const float a[16], const float b[16]) {
    float r[16];
    for (int c = 0; c < 4; c++)
        for (int l = 0; l < 4; l++) {
            float s = 0.0f;
            for (int k = 0; k < 4; k++) s += a[k * 4 + l] * b[c * 4 + k];
            r[c * 4 + l] = s;
        }
    std::memcpy(m, r, sizeof r);
}

void matPerspective(float m[16], double fovy, double aspect, double proche, double loin) {
    double radians = fovy / 2 * PI / 180;
    double profondeur = loin - proche;
    double cotangente = std::cos(radians) / std::sin(radians);
    matIdentite(m);
    m[0] = static_cast<float>(cotangente / aspect);
    m[5] = static_cast<float>(cotangente);
    m[10] = static_cast<float>(-(loin + proche) / profondeur);
    m[11] = -1.0f;
    m[14] = static_cast<float>(-2 * proche * loin / profondeur);
    m[15] = 0.0f;
}

void matRegard(float m[16], const float oeil[3], const float centre[3], const float haut[3]) {
    float avant[3] = {centre[0] - oeil[0], centre[1] - oeil[1], centre[2] - oeil[2]};
    auto normalise = [](float v[3]) {
        float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (l == 0.0f) return;
        v[0] /= l; v[1] /= l; v[2] /= l;
    };
    auto vectoriel = [](float r[3], const float a[3], const float b[3]) {
        r[0] = a[1] * b[2] - a[2] * b[1];
        r[1] = a[2] * b[0] - a[0] * b[2];
        r[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalise(avant);
    float cote[3], dessus[3];
    vectoriel(cote, avant, haut);
    normalise(cote);
    vectoriel(dessus, cote, avant);
    matIdentite(m);
    for (int c = 0; c < 3; c++) {
        m[c * 4 + 0] = cote[c];
        m[c * 4 + 1] = dessus[c];
        m[c * 4 + 2] = -avant[c];
    }
    matTranslation(m, -oeil[0], -oeil[1], -oeil[2]);
}

void matRotation(float m[16], float degres, float x, float y, float z) {
    float l = std::sqrt(x * x + y * y + z * z);
    if (l == 0.0f) return; // no axis: GL leaves the matrix as it is
    x /= l; y /= l; z /= l;
    float a = static_cast<float>(degres * PI / 180);
    float c = std::cos(a), s = std::sin(a), u = 1.0f - c;
    const float r[16] = {x * x * u + c,     y * x * u + z * s, x * z * u - y * s, 0,
                         x * y * u - z * s, y * y * u + c,     y * z * u + x * s, 0,
                         x * z * u + y * s, y * z * u - x * s, z * z * u + c,     0,
                         0,                 0,                 0,                 1};
    matProduit(m, m, r);
}

void matTranslation(float m[16], float x, float y, float z) {
    for (int l = 0; l < 4; l++) m[12 + l] = m[l] * x + m[4 + l] * y + m[8 + l] * z + m[12 + l];
}

void matVecteur(float r[4], const float m[16], const float v[4]) {
    float s[4];
    for (int l = 0; l < 4; l++) s[l] = m[l] * v[0] + m[4 + l] * v[1] + m[8 + l] * v[2] + m[12 + l] * v[3];
    std::memcpy(r, s, sizeof s);
}

void texelOrigine(float rgb[3], const unsigned char *pixels, int w, int h, bool lineaire) {
    const long dernier = static_cast<long>(h - 1) * w;
    const long coins[4] = {0, w - 1, dernier, dernier + (w - 1)};
    for (int c = 0; c < 3; c++) {
        float v[4];
        for (int k = 0; k < 4; k++) v[k] = pixels[3 * coins[k] + c] / 255.0f;
        rgb[c] = lineaire ? ((v[0] + v[1]) + (v[2] + v[3])) / 4.0f : v[0];
    }
}

void pixelDe(float px[2], const float projection[16], const float vueModele[16], const float p[3], int w,
             int h) {
    float v[4] = {p[0], p[1], p[2], 1.0f};
    matVecteur(v, vueModele, v);
    matVecteur(v, projection, v);
    px[0] = (v[0] / v[3] + 1.0f) / 2.0f * static_cast<float>(w);
    px[1] = (1.0f - v[1] / v[3]) / 2.0f * static_cast<float>(h);
}

Maillage sphereSolide(int tranches, int piles) {
    Maillage m = sommetsSphere(tranches, piles);
    const std::uint16_t sud = static_cast<std::uint16_t>(1 + (piles - 1) * tranches);
    auto triangle = [&m](std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        m.indices.insert(m.indices.end(), {a, b, c});
    };
    for (int i = 0; i < tranches; i++) {
        triangle(0, anneau(tranches, 1, i), anneau(tranches, 1, i + 1));
        for (int j = 1; j + 1 < piles; j++) {
            triangle(anneau(tranches, j, i), anneau(tranches, j + 1, i), anneau(tranches, j + 1, i + 1));
            triangle(anneau(tranches, j, i), anneau(tranches, j + 1, i + 1), anneau(tranches, j, i + 1));
        }
        triangle(anneau(tranches, piles - 1, i), sud, anneau(tranches, piles - 1, i + 1));
    }
    return m;
}

Maillage sphereFilaire(int tranches, int piles) {
    Maillage m = sommetsSphere(tranches, piles);
    const std::uint16_t sud = static_cast<std::uint16_t>(1 + (piles - 1) * tranches);
    auto ligne = [&m](std::uint16_t a, std::uint16_t b) { m.indices.insert(m.indices.end(), {a, b}); };
    for (int i = 0; i < tranches; i++) {
        // The meridian of slice i, pole to pole, and its step along each ring.
        ligne(0, anneau(tranches, 1, i));
        for (int j = 1; j < piles; j++) {
            ligne(anneau(tranches, j, i), j + 1 < piles ? anneau(tranches, j + 1, i) : sud);
            ligne(anneau(tranches, j, i), anneau(tranches, j, i + 1));
        }
    }
    return m;
}

Maillage theiereSolide() {
    Maillage m = sommetsTheiere();
    m.indices.assign(theiereFaces, theiereFaces + sizeof theiereFaces / sizeof theiereFaces[0]);
    return m;
}

Maillage theiereFilaire() {
    // The data comes as quadrilaterals cut in two consecutive triangles: the
    // edge that such a pair shares is the cut, not a line of the patch grid.
    const size_t n = sizeof theiereFaces / sizeof theiereFaces[0] / 3;
    auto arete = [](std::uint16_t a, std::uint16_t b) { return a < b ? std::make_pair(a, b) : std::make_pair(b, a); };
    auto aretes = [&](size_t f) {
        const std::uint16_t *t = theiereFaces + 3 * f;
        return std::set<std::pair<std::uint16_t, std::uint16_t>>{arete(t[0], t[1]), arete(t[1], t[2]),
                                                                 arete(t[2], t[0])};
    };
    std::set<std::pair<std::uint16_t, std::uint16_t>> grille, coupes;
    for (size_t f = 0; f < n; f++) {
        auto mes = aretes(f);
        grille.insert(mes.begin(), mes.end());
        if (f % 2 == 0 && f + 1 < n)
            for (const auto &e : aretes(f + 1))
                if (mes.count(e)) coupes.insert(e);
    }
    Maillage m = sommetsTheiere();
    for (size_t k = 0; k < m.sommets.size(); k += SOMMET_FLOATS) m.sommets[k + 6] = m.sommets[k + 7] = 0.0f;
    for (const auto &e : grille)
        if (!coupes.count(e)) m.indices.insert(m.indices.end(), {e.first, e.second});
    return m;
}
