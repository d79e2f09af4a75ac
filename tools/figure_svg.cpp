// figure_svg.cpp — the SVG picture of a run (see figure_svg.h).  Everything
// is formatted with snprintf into fixed buffers and appended to one string.
#include "figure_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <utility>

namespace figure {

namespace {

constexpr double GAUCHE = 20.0; // left edge of the plot, pixels
constexpr double HAUT = 20.0;   // top edge of the plot
constexpr double LIGNE = 17.0;  // height of a line of text under the plot
constexpr double DEBORD = 2.0;  // what is clipped lies this far outside the plot

struct Palette {
    const char *fond, *texte, *cadre, *trajet, *aire;
    const char *corps[4]; // body 1, body 2, bodies 3 and 4, the others
};

// The window's colours: a lit grey body 1, body 2 in its rust red, bodies 3
// and 4 in the ocean planet's light blue, the others in plain lit grey, and
// every trail and swept area in light blue, on black.
const Palette ECRAN = {"#000000", "#e0e0e0", "#505050", "#6eade8", "#6eade8",
                       {"#d7d7d7", "#e16937", "#78beff", "#b4b4b4"}};
// The same hues darkened for paper.
const Palette PAPIER = {"#ffffff", "#000000", "#808080", "#1a3f6b", "#4f7fb8",
                        {"#333333", "#a0401a", "#1f5f9f", "#555555"}};

const char *couleur(const Palette &p, int j) { return p.corps[j == 1 ? 0 : j == 2 ? 1 : j <= 4 ? 2 : 3]; }

// Appends printf-formatted text; a piece longer than the buffer is an error
// of this file's formats, never of the data (numbers and short words only).
void ajoute(std::string &s, const char *format, ...) __attribute__((format(printf, 2, 3)));
void ajoute(std::string &s, const char *format, ...) {
    char tampon[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(tampon, sizeof tampon, format, args);
    va_end(args);
    if (n > 0) s.append(tampon, std::min(static_cast<size_t>(n), sizeof tampon - 1));
}

bool fini(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct Rect {
    double x0, x1, y0, y1;
    bool contient(Point p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

// Simulation units to pixels: x to the right, y up.
struct Echelle {
    Vue v;
    double s; // pixels per unit
    double hauteur;
    Point px(Point p) const { return {(p.x - v.xmin) * s + GAUCHE, (v.ymax - p.y) * s + HAUT}; }
};

// Body 1's absorption radius, 0 when the caller has none to give.
double rayon(const Figure &f) { return std::isfinite(f.rayon) && f.rayon > 0 ? f.rayon : 0; }

// The frame rule of the header comment.
Vue cadre(const Figure &f) {
    if (f.avec_vue) return f.vue;
    static const std::vector<Point> aucun;
    const std::vector<Point> &centre = f.corps.size() > 1 ? f.corps[1].chemin : aucun;
    Vue b{INFINITY, -INFINITY, INFINITY, -INFINITY};
    auto prend = [&b](Point p) {
        if (!fini(p)) return;
        b.xmin = std::min(b.xmin, p.x);
        b.xmax = std::max(b.xmax, p.x);
        b.ymin = std::min(b.ymin, p.y);
        b.ymax = std::max(b.ymax, p.y);
    };
    double loin = 0; // farthest near point from body 1
    for (size_t j = 1; j < f.corps.size(); j++) {
        if (!f.corps[j].proche) continue;
        const std::vector<Point> &c = f.corps[j].chemin;
        for (size_t k = 0; k < c.size(); k++) {
            prend(c[k]);
            if (k < centre.size() && fini(c[k]) && fini(centre[k])) loin = std::max(loin, distance(c[k], centre[k]));
        }
    }
    for (size_t j = 2; j < f.corps.size(); j++) {
        const std::vector<Point> &c = f.corps[j].chemin;
        if (f.corps[j].proche || c.empty()) continue;
        double limite = loin;
        if (fini(c[0]) && fini(centre[0])) limite = std::max(limite, distance(c[0], centre[0]));
        for (size_t k = 0; k < c.size() && k < centre.size(); k++)
            if (distance(c[k], centre[k]) <= limite) prend(c[k]);
    }
    Point fin = centre.empty() ? Point{0, 0} : centre.back();
    const double r = rayon(f);
    if (fini(fin)) {
        prend({fin.x - r, fin.y - r});
        prend({fin.x + r, fin.y + r});
    }
    if (!(b.xmin <= b.xmax)) b = {-1, 1, -1, 1}; // nothing finite at all
    double l = b.xmax - b.xmin, h = b.ymax - b.ymin;
    if (!(std::max(l, h) > 1e-9 * (std::fabs(b.xmax) + std::fabs(b.ymax) + 1))) {
        // Everything in one point: a frame around it of a few radii.
        double d = std::max(4 * r, 1.0);
        Point c{(b.xmin + b.xmax) / 2, (b.ymin + b.ymax) / 2};
        b = {c.x - d, c.x + d, c.y - d, c.y + d};
        l = h = 2 * d;
    }
    // Not flatter than 1:2, not taller than 3:2.
    if (h < l / 2) {
        double c = (b.ymin + b.ymax) / 2;
        h = l / 2;
        b.ymin = c - h / 2;
        b.ymax = c + h / 2;
    } else if (h > l * 1.5) {
        double c = (b.xmin + b.xmax) / 2;
        l = h / 1.5;
        b.xmin = c - l / 2;
        b.xmax = c + l / 2;
    }
    return {b.xmin - MARGE * l, b.xmax + MARGE * l, b.ymin - MARGE * h, b.ymax + MARGE * h};
}

// Liang-Barsky: the part [t0, t1] of segment a-b inside r, if any.
bool coupe(Point a, Point b, const Rect &r, double &t0, double &t1) {
    t0 = 0;
    t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - r.x0, r.x1 - a.x, a.y - r.y0, r.y1 - a.y};
    for (int i = 0; i < 4; i++) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    return true;
}

Point entre(Point a, Point b, double t) { return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }

// The stretches of a pixel path that lie inside r, cut at its edges.
std::vector<std::vector<Point>> morceaux(const std::vector<Point> &p, const Rect &r) {
    std::vector<std::vector<Point>> tous;
    std::vector<Point> courant;
    auto clot = [&] {
        if (!courant.empty()) tous.push_back(std::move(courant));
        courant.clear();
    };
    if (p.size() == 1 && fini(p[0]) && r.contient(p[0])) tous.push_back(p);
    for (size_t i = 0; i + 1 < p.size(); i++) {
        double t0, t1;
        if (!fini(p[i]) || !fini(p[i + 1]) || !coupe(p[i], p[i + 1], r, t0, t1)) {
            clot();
            continue;
        }
        if (courant.empty() || t0 > 0) {
            clot();
            courant.push_back(entre(p[i], p[i + 1], t0));
        }
        courant.push_back(entre(p[i], p[i + 1], t1));
        if (t1 < 1) clot();
    }
    clot();
    return tous;
}

// Sutherland-Hodgman: polygon p clipped to r (convex), one edge at a time.
std::vector<Point> decoupe(std::vector<Point> p, const Rect &r) {
    for (int bord = 0; bord < 4 && !p.empty(); bord++) {
        auto dedans = [&](Point a) {
            switch (bord) {
            case 0: return a.x >= r.x0;
            case 1: return a.x <= r.x1;
            case 2: return a.y >= r.y0;
            default: return a.y <= r.y1;
            }
        };
        auto croise = [&](Point a, Point b) {
            double t = bord == 0 ? (r.x0 - a.x) / (b.x - a.x)
                     : bord == 1 ? (r.x1 - a.x) / (b.x - a.x)
                     : bord == 2 ? (r.y0 - a.y) / (b.y - a.y)
                                 : (r.y1 - a.y) / (b.y - a.y);
            return entre(a, b, t);
        };
        std::vector<Point> sortie;
        for (size_t i = 0; i < p.size(); i++) {
            Point a = p[i], b = p[(i + 1) % p.size()];
            if (dedans(b)) {
                if (!dedans(a)) sortie.push_back(croise(a, b));
                sortie.push_back(b);
            } else if (dedans(a)) {
                sortie.push_back(croise(a, b));
            }
        }
        p = std::move(sortie);
    }
    return p;
}

std::vector<Point> garde(const std::vector<Point> &p, double tolerance) {
    std::vector<Point> q;
    for (size_t i : amincit(p, tolerance)) q.push_back(p[i]);
    return q;
}

void points(std::string &s, const std::vector<Point> &p) {
    for (size_t i = 0; i < p.size(); i++) ajoute(s, i ? " %.1f,%.1f" : "%.1f,%.1f", p[i].x, p[i].y);
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most
// a quarter of the frame's width.
double longueur_ronde(double largeur) {
    double cible = largeur / 4;
    double l = std::pow(10.0, std::floor(std::log10(cible)));
    if (5 * l <= cible) return 5 * l;
    if (2 * l <= cible) return 2 * l;
    return l;
}

void texte(std::string &s, double x, double y, const std::string &t, const char *attributs = "") {
    ajoute(s, "<text x=\"%.1f\" y=\"%.1f\"%s>", x, y, attributs);
    s += echappe(t);
    s += "</text>\n";
}

std::string nombre(const char *format, double v) {
    char t[64];
    std::snprintf(t, sizeof t, format, v);
    return t;
}

struct Secteur {
    int corps;
    size_t k0, k1;
    double aire;
};

std::vector<Secteur> secteurs(const Figure &f) {
    std::vector<Secteur> tous;
    if (f.aires <= 0 || f.corps.size() < 2) return tous;
    const std::vector<Point> &centre = f.corps[1].chemin;
    const size_t K = static_cast<size_t>(f.aires);
    for (size_t j = 2; j < f.corps.size(); j++) {
        const std::vector<Point> &c = f.corps[j].chemin;
        size_t n = std::min(c.size(), centre.size());
        for (size_t k0 = 0; n > 0 && k0 + K <= n - 1; k0 += K)
            tous.push_back({static_cast<int>(j), k0, k0 + K, std::fabs(aire_balayee(centre, c, k0, k0 + K))});
    }
    return tous;
}

} // namespace

double aire_balayee(const std::vector<Point> &centre, const std::vector<Point> &chemin, size_t k0, size_t k1) {
    double somme = 0;
    for (size_t k = k0; k < k1; k++) {
        double ax = chemin[k].x - centre[k].x, ay = chemin[k].y - centre[k].y;
        double bx = chemin[k + 1].x - centre[k + 1].x, by = chemin[k + 1].y - centre[k + 1].y;
        somme += ax * by - ay * bx;
    }
    return somme / 2;
}

std::vector<size_t> amincit(const std::vector<Point> &p, double tolerance) {
    const size_t n = p.size();
    std::vector<size_t> garde;
    if (n <= 2) {
        for (size_t i = 0; i < n; i++) garde.push_back(i);
        return garde;
    }
    std::vector<char> pris(n, 0);
    pris[0] = pris[n - 1] = 1;
    std::vector<std::pair<size_t, size_t>> pile{{0, n - 1}};
    while (!pile.empty()) {
        auto [i, j] = pile.back();
        pile.pop_back();
        if (j <= i + 1) continue;
        const Point a = p[i], b = p[j];
        const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
        double pire = -1;
        size_t k_pire = i;
        for (size_t k = i + 1; k < j; k++) {
            // Distance to the segment, not the line: a closed loop has its
            // two ends together.
            double t = l2 > 0 ? ((p[k].x - a.x) * dx + (p[k].y - a.y) * dy) / l2 : 0;
            t = std::min(1.0, std::max(0.0, t));
            double d = distance(p[k], entre(a, b, t));
            if (d > pire) {
                pire = d;
                k_pire = k;
            }
        }
        if (pire > tolerance) {
            pris[k_pire] = 1;
            pile.push_back({i, k_pire});
            pile.push_back({k_pire, j});
        }
    }
    for (size_t i = 0; i < n; i++)
        if (pris[i]) garde.push_back(i);
    return garde;
}

std::string echappe(const std::string &s) {
    std::string r;
    const unsigned char *c = reinterpret_cast<const unsigned char *>(s.data());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        unsigned char o = c[i];
        if (o < 0x80) {
            switch (o) {
            case '&': r += "&amp;"; break;
            case '<': r += "&lt;"; break;
            case '>': r += "&gt;"; break;
            case '"': r += "&quot;"; break;
            case '\'': r += "&apos;"; break;
            default:
                // XML 1.0 allows no control character but tab and newlines.
                if (o < 0x20 && o != '\t' && o != '\n' && o != '\r') r += "\xEF\xBF\xBD";
                else r += static_cast<char>(o);
            }
            i++;
            continue;
        }
        // A file name is bytes: keep well-formed UTF-8, replace the rest.
        size_t l = o >= 0xF5 ? 0 : o >= 0xF0 ? 4 : o >= 0xE0 ? 3 : o >= 0xC2 ? 2 : 0;
        bool bon = l > 0 && i + l <= n;
        for (size_t k = 1; bon && k < l; k++) bon = (c[i + k] & 0xC0) == 0x80;
        if (bon && l == 3) {
            unsigned v = ((o & 0x0Fu) << 12) | ((c[i + 1] & 0x3Fu) << 6) | (c[i + 2] & 0x3Fu);
            bon = v >= 0x800 && (v < 0xD800 || v > 0xDFFF) && v != 0xFFFE && v != 0xFFFF;
        } else if (bon && l == 4) {
            unsigned v = ((o & 0x07u) << 18) | ((c[i + 1] & 0x3Fu) << 12) | ((c[i + 2] & 0x3Fu) << 6) |
                         (c[i + 3] & 0x3Fu);
            bon = v >= 0x10000 && v <= 0x10FFFF;
        }
        if (bon) {
            r.append(s, i, l);
            i += l;
        } else {
            r += "\xEF\xBF\xBD";
            i++;
        }
    }
    return r;
}

std::string dessine(const Figure &f) {
    const Palette &pal = f.papier ? PAPIER : ECRAN;
    const int nb = static_cast<int>(f.corps.size()) - 1;
    Echelle e;
    e.v = cadre(f);
    e.s = LARGEUR / (e.v.xmax - e.v.xmin);
    e.hauteur = (e.v.ymax - e.v.ymin) * e.s;
    const Rect plot{GAUCHE, GAUCHE + LARGEUR, HAUT, HAUT + e.hauteur};
    const Rect large{plot.x0 - DEBORD, plot.x1 + DEBORD, plot.y0 - DEBORD, plot.y1 + DEBORD};
    const std::vector<Secteur> aires = secteurs(f);

    // Lines under the plot: scale bar, caption, tables.
    double lignes = 2;
    if (!f.elements.empty()) lignes += 0.5 + f.elements.size();
    if (!aires.empty()) {
        lignes += 1.5;
        for (int j = 2; j <= nb; j++) {
            long n = std::count_if(aires.begin(), aires.end(), [j](const Secteur &a) { return a.corps == j; });
            if (n) lignes += 1 + (n + 7) / 8;
        }
    }
    const double largeur = LARGEUR + 2 * GAUCHE;
    const double hauteur = plot.y1 + 12 + lignes * LIGNE + 8;

    std::string s;
    s.reserve(1 << 16);
    ajoute(s, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    ajoute(s,
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
           "font-family=\"DejaVu Sans, sans-serif\" font-size=\"13\">\n",
           largeur, std::ceil(hauteur), largeur, std::ceil(hauteur));
    ajoute(s, "<rect width=\"100%%\" height=\"100%%\" fill=\"%s\"/>\n", pal.fond);
    ajoute(s, "<defs><clipPath id=\"cadre\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"/></clipPath></defs>\n",
           plot.x0, plot.y0, plot.x1 - plot.x0, plot.y1 - plot.y0);
    ajoute(s, "<g clip-path=\"url(#cadre)\">\n");

    // Sectors first, under the paths; alternately darker and lighter.
    std::vector<int> rang(nb + 1, 0);
    for (const Secteur &a : aires) {
        const std::vector<Point> &c = f.corps[a.corps].chemin, &centre = f.corps[1].chemin;
        std::vector<Point> bord;
        for (size_t k = a.k0; k <= a.k1; k++) bord.push_back(e.px(c[k]));
        std::vector<Point> poly{e.px(centre[a.k0])};
        for (Point p : garde(bord, TOLERANCE)) poly.push_back(p);
        poly.push_back(e.px(centre[a.k1]));
        bool fins = std::all_of(poly.begin(), poly.end(), fini);
        poly = fins ? decoupe(poly, large) : std::vector<Point>{};
        ajoute(s, "<path class=\"aire\" data-corps=\"%d\" data-aire=\"%.6g\" data-lots=\"%zu-%zu\" d=\"", a.corps,
               a.aire, a.k0, a.k1);
        for (size_t i = 0; i < poly.size(); i++) ajoute(s, i ? " L%.1f,%.1f" : "M%.1f,%.1f", poly[i].x, poly[i].y);
        ajoute(s, "%s\" fill=\"%s\" fill-opacity=\"%s\" stroke=\"none\"/>\n", poly.empty() ? "" : " Z", pal.aire,
               rang[a.corps]++ % 2 ? "0.18" : "0.42");
    }

    for (int j = 1; j <= nb; j++) {
        std::vector<Point> p;
        for (Point q : f.corps[j].chemin) p.push_back(e.px(q));
        for (const std::vector<Point> &m : morceaux(p, large)) {
            ajoute(s, "<polyline class=\"trajet\" data-corps=\"%d\" points=\"", j);
            points(s, garde(m, TOLERANCE));
            ajoute(s, "\" fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\" stroke-linejoin=\"round\"/>\n", pal.trajet);
        }
    }

    // Marks, each only when it lies in the frame.
    auto vu = [&](Point p) { return fini(p) && large.contient(p); };
    for (int j = 1; j <= nb; j++) {
        const std::vector<Point> &c = f.corps[j].chemin;
        if (c.empty()) continue;
        const char *col = couleur(pal, j);
        Point d = e.px(c.front()), a = e.px(c.back());
        if (vu(d))
            ajoute(s, "<circle class=\"depart\" data-corps=\"%d\" cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\"/>\n",
                   j, d.x, d.y, col);
        if (!vu(a)) continue;
        if (j == 1) {
            ajoute(s, "<circle class=\"corps\" data-corps=\"1\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"%s\"/>\n", a.x,
                   a.y, std::max(rayon(f) * e.s, 2.0), col);
        } else if (f.corps[j].absorbe) {
            ajoute(s, "<path class=\"absorption\" data-corps=\"%d\" d=\"M%.1f,%.1f l10,10 m0,-10 l-10,10\" stroke=\"%s\" stroke-width=\"2\"/>\n",
                   j, a.x - 5, a.y - 5, col);
        } else {
            ajoute(s, "<circle class=\"arrivee\" data-corps=\"%d\" cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"%s\"/>\n", j, a.x,
                   a.y, col);
        }
    }
    if (nb >= 2) {
        const std::vector<Point> &c = f.corps[2].chemin;
        for (const Poussee &p : f.poussees) {
            if (p.lot < 1 || static_cast<size_t>(p.lot) > c.size()) continue;
            Point q = e.px(c[p.lot - 1]);
            if (!vu(q)) continue;
            std::string signe = p.plus ? "+" : "\xE2\x88\x92";
            if (p.nombre > 1) signe += " \xC3\x97" + std::to_string(p.nombre);
            ajoute(s, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\" fill=\"%s\"/>\n", q.x, q.y, pal.texte);
            char attributs[160];
            std::snprintf(attributs, sizeof attributs,
                          " class=\"poussee\" data-lot=\"%ld\" data-nombre=\"%d\" fill=\"%s\" font-weight=\"bold\"", p.lot,
                          p.nombre, pal.texte);
            texte(s, q.x + 6, q.y - 6, signe, attributs);
        }
    }
    ajoute(s, "</g>\n");
    ajoute(s, "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"%s\"/>\n", plot.x0,
           plot.y0, plot.x1 - plot.x0, plot.y1 - plot.y0, pal.cadre);

    // Scale bar, then the caption.
    double y = plot.y1 + 12 + LIGNE / 2;
    const double l = longueur_ronde(e.v.xmax - e.v.xmin);
    const double fin_barre = GAUCHE + l * e.s;
    ajoute(s, "<line class=\"echelle\" data-longueur=\"%g\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"3\"/>\n",
           l, GAUCHE, y, fin_barre, y, pal.texte);
    char attr_texte[64];
    std::snprintf(attr_texte, sizeof attr_texte, " fill=\"%s\"", pal.texte);
    const std::string attr_gras = std::string(attr_texte) + " font-weight=\"bold\"";
    texte(s, fin_barre + 8, y + 4.5, nombre("%g", l) + (l >= 2 ? " unités" : " unité"), attr_texte);
    y += LIGNE;
    std::string legende = f.nom + " \xE2\x80\x94 dt = " + nombre("%g", f.dt) + " \xE2\x80\x94 " + std::to_string(f.lots) +
                          " lots de calcul \xE2\x80\x94 temps simulé " +
                          nombre("%g", static_cast<double>(f.lots) * f.duree_lot);
    char attr_legende[96];
    std::snprintf(attr_legende, sizeof attr_legende, " class=\"legende\" fill=\"%s\"", pal.texte);
    texte(s, GAUCHE, y + 4.5, legende, attr_legende);

    if (!f.elements.empty()) {
        y += LIGNE / 2;
        for (size_t r = 0; r < f.elements.size(); r++) {
            y += LIGNE;
            const std::vector<std::string> &cases = f.elements[r];
            for (size_t c = 0; c < cases.size(); c++)
                texte(s, GAUCHE + (c ? 50 + 95.0 * (c - 1) : 0), y + 4.5, cases[c],
                      r ? attr_texte : attr_gras.c_str());
        }
    }
    if (!aires.empty()) {
        y += LIGNE * 1.5;
        texte(s, GAUCHE, y + 4.5,
              "Aires balayées depuis le corps 1, secteurs de " + std::to_string(f.aires) + " lots (temps " +
                  nombre("%g", static_cast<double>(f.aires) * f.duree_lot) + ") :",
              attr_gras.c_str());
        for (int j = 2; j <= nb; j++) {
            int n = 0;
            for (const Secteur &a : aires) {
                if (a.corps != j) continue;
                if (n % 8 == 0) {
                    y += LIGNE;
                    if (n == 0) texte(s, GAUCHE, y + 4.5, "corps " + std::to_string(j), attr_texte);
                }
                texte(s, GAUCHE + 70 + 84.0 * (n % 8), y + 4.5,
                      std::to_string(n + 1) + " : " + nombre("%.4g", a.aire), attr_texte);
                n++;
            }
            if (n) y += LIGNE;
        }
    }
    ajoute(s, "</svg>\n");
    return s;
}

} // namespace figure
