// test_figure.cpp — the SVG figures of orbelune-trace: drawn to pixels with
// rsvg-convert and measured against the tool's own CSV and elements, checked
// for well-formedness with xmllint, and the thinning, areas and escaping of
// the figure module called directly.
#include "core_state.h"
#include "figure_svg.h"
#include "outil.h"

#include <cmath>
#include <map>
#include <regex>
#include <sys/stat.h>

namespace {

std::string preset(const std::string &nom) { return std::string(ORBELUNE_SOURCE_DIR) + "/data/DONNEES/" + nom; }

// The start tags of the elements of class `classe`, in document order.
std::vector<std::string> balises(const std::string &svg, const std::string &classe) {
    std::vector<std::string> v;
    const std::string cle = "class=\"" + classe + "\"";
    for (size_t p = svg.find(cle); p != std::string::npos; p = svg.find(cle, p + 1)) {
        size_t debut = svg.rfind('<', p), fin = svg.find('>', p);
        v.push_back(svg.substr(debut, fin - debut + 1));
    }
    return v;
}

std::string attribut(const std::string &balise, const std::string &nom) {
    std::smatch m;
    if (!std::regex_search(balise, m, std::regex(" " + nom + "=\"([^\"]*)\""))) return "";
    return m[1];
}
double reel(const std::string &balise, const std::string &nom) {
    return std::strtod(attribut(balise, nom).c_str(), nullptr);
}

std::vector<std::string> champs(const std::string &ligne) {
    std::vector<std::string> v;
    std::stringstream s(ligne);
    for (std::string c; std::getline(s, c, ',');) v.push_back(c);
    return v;
}

// The CSV of a run: body -> batch -> (x, y); and the elements rows by body.
struct Csv {
    std::map<int, std::map<long, figure::Point>> pos;
    std::map<int, std::vector<std::string>> elements;
};
Csv csv(const std::string &out) {
    Csv c;
    std::stringstream s(out);
    bool bloc = false;
    for (std::string l; std::getline(s, l);) {
        if (l.empty()) {
            bloc = true;
            continue;
        }
        std::vector<std::string> f = champs(l);
        if (f[0] == "batch" || f[0] == "body") continue;
        if (bloc)
            c.elements[std::stoi(f[0])] = f;
        else
            c.pos[std::stoi(f[2])][std::stol(f[0])] = {std::strtod(f[4].c_str(), nullptr), std::strtod(f[5].c_str(), nullptr)};
    }
    return c;
}

// xmllint (Debian libxml2-utils) finds no error in the file.
::testing::AssertionResult bien_forme(const std::string &chemin) {
    if (std::system(("xmllint --noout '" + chemin + "' 2>/dev/null").c_str()) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "xmllint --noout " << chemin << " fails (or xmllint is missing)";
}

struct Image {
    int l = 0, h = 0;
    std::vector<unsigned char> rgb;
    const unsigned char *px(int x, int y) const { return &rgb[(static_cast<size_t>(y) * l + x) * 3]; }
};

// Draws the SVG with rsvg-convert, then reads the pixels through a PPM.
Image rend(const std::string &svg) {
    const std::string png = svg + ".png", ppm = svg + ".ppm";
    Image im;
    if (std::system(("rsvg-convert -o '" + png + "' '" + svg + "' && convert '" + png + "' -depth 8 'ppm:" + ppm + "'")
                        .c_str()) != 0)
        return im;
    std::string d = lis(ppm);
    int max = 0, lu = 0;
    if (std::sscanf(d.c_str(), "P6 %d %d %d%n", &im.l, &im.h, &max, &lu) != 3 || max != 255) return {};
    im.rgb.assign(d.begin() + lu + 1, d.end());
    if (im.rgb.size() != static_cast<size_t>(im.l) * im.h * 3) return {};
    return im;
}

int canal(const std::string &couleur, int k) { return std::stoi(couleur.substr(1 + 2 * k, 2), nullptr, 16); }

class Figure : public CoreTest {
protected:
    std::string svg() const { return dir + "/figure.svg"; }
    Sortie lance(std::vector<std::string> args) { return lance_outil(dir, args); }
};

// ---- the ellipse drawn to pixels -------------------------------------------

struct Palette {
    const char *cas;
    std::vector<std::string> options;
    int fond; // grey level of the background
};
void PrintTo(const Palette &p, std::ostream *os) { *os << p.cas; }
class FigureEllipse : public Figure, public ::testing::WithParamInterface<Palette> {};

// One turn of the ellipse preset: the path's leftmost and rightmost pixels
// stand at the apoapsis and periapsis from body 1's centre, at the scale
// that the drawn scale bar gives; body 2's end mark stands where the CSV
// puts it, y up.
TEST_P(FigureEllipse, PathExtremesLieWhereScaleBarAndElementsPutThem) {
    std::vector<std::string> args{"--batches", "2200", "--every", "2200", "--elements", "--svg", svg()};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    args.push_back(preset("donnees11.txt"));
    Sortie s = lance(args);
    ASSERT_EQ(s.statut, 0) << s.err;
    ASSERT_TRUE(bien_forme(svg()));
    const std::string texte = lis(svg());
    Csv c = csv(s.out);
    ASSERT_EQ(c.elements[2].size(), 8u) << s.out;
    const double peri = std::stod(c.elements[2][5]), apo = std::stod(c.elements[2][6]);

    std::vector<std::string> barre = balises(texte, "echelle"), centre = balises(texte, "corps");
    ASSERT_EQ(barre.size(), 1u);
    ASSERT_EQ(centre.size(), 1u);
    const double longueur = reel(barre[0], "data-longueur");
    const int rangee = static_cast<int>(reel(barre[0], "y1"));
    const std::string encre = attribut(barre[0], "stroke");
    const double cx = reel(centre[0], "cx"), cy = reel(centre[0], "cy");

    Image im = rend(svg());
    ASSERT_GT(im.l, 0) << "rsvg-convert (librsvg2-bin) or ImageMagick's convert failed";
    const int fond = im.px(0, 0)[0];
    for (int k = 0; k < 3; k++) EXPECT_EQ(im.px(0, 0)[k], GetParam().fond);
    // The bar's length in pixels, partly covered end pixels counted by their share.
    double barre_px = 0;
    bool dans = false;
    for (int x = 0; x < im.l; x++) {
        double part = std::fabs(im.px(x, rangee)[0] - fond) / std::fabs(canal(encre, 0) - fond);
        if (part < 0.02 && dans) break;
        if (part >= 0.02) dans = true;
        barre_px += std::min(part, 1.0);
    }
    ASSERT_GT(barre_px, 20);
    const double echelle = barre_px / longueur;

    // Trail pixels are the blue ones, above the bar.
    int gauche = im.l, droite = -1;
    for (int y = 0; y < rangee - 10; y++)
        for (int x = 0; x < im.l; x++) {
            const unsigned char *p = im.px(x, y);
            if (p[2] - p[0] > 30) {
                gauche = std::min(gauche, x);
                droite = std::max(droite, x);
            }
        }
    ASSERT_GE(droite, 0) << "no trail drawn";
    // The ellipse starts at its apoapsis on the left of body 1.
    EXPECT_NEAR(gauche + 0.5, cx - apo * echelle, 3.0);
    EXPECT_NEAR(droite + 0.5, cx + peri * echelle, 3.0);
    const unsigned char *milieu = im.px(static_cast<int>(cx), static_cast<int>(cy));
    const std::string teinte = attribut(centre[0], "fill");
    for (int k = 0; k < 3; k++) EXPECT_NEAR(milieu[k], canal(teinte, k), 2) << "body 1's disc";

    std::vector<std::string> fin = balises(texte, "arrivee");
    ASSERT_EQ(fin.size(), 1u);
    figure::Point p2 = c.pos[2][2200], p1 = c.pos[1][2200];
    ASSERT_LT(p2.y, -1.0) << "the end lies below body 1";
    EXPECT_NEAR(reel(fin[0], "cx"), cx + (p2.x - p1.x) * echelle, 1.0);
    EXPECT_NEAR(reel(fin[0], "cy"), cy - (p2.y - p1.y) * echelle, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Table, FigureEllipse,
                         ::testing::Values(Palette{"window colours", {}, 0}, Palette{"paper", {"--print"}, 255}),
                         [](const ::testing::TestParamInfo<Palette> &i) { return nom_de_cas(i.param.cas, i.index); });

// ---- the law of areas ------------------------------------------------------

// Two turns of "loi des aires 1" in sectors of 100 batches: every complete
// sector is drawn, its area is the polygon of the CSV's positions, and all
// of them agree within 0.5 %.
TEST_F(Figure, LawOfAreasSectorsAgreeWithinHalfAPercent) {
    Sortie s = lance({"--batches", "4250", "--areas", "100", "--svg", svg(), preset("donneesLoiAires1.txt")});
    ASSERT_EQ(s.statut, 0) << s.err;
    ASSERT_TRUE(bien_forme(svg()));
    Csv c = csv(s.out);
    std::vector<std::string> aires = balises(lis(svg()), "aire");
    ASSERT_EQ(aires.size(), 42u) << "only the 42 complete sectors";

    double somme = 0;
    for (const std::string &a : aires) somme += reel(a, "data-aire");
    const double moyenne = somme / aires.size();
    for (size_t i = 0; i < aires.size(); i++) {
        const std::string &a = aires[i];
        EXPECT_EQ(attribut(a, "data-corps"), "2");
        EXPECT_EQ(attribut(a, "data-lots"), std::to_string(100 * i) + "-" + std::to_string(100 * i + 100));
        const double aire = reel(a, "data-aire");
        EXPECT_NEAR(aire, moyenne, 0.005 * moyenne) << a;
        // Shoelace in body 1's frame over the CSV's batch ends.
        double attendue = 0;
        for (long b = 100 * i; b < static_cast<long>(100 * i + 100); b++) {
            figure::Point p = c.pos[2][b], q = c.pos[2][b + 1], o = c.pos[1][b], r = c.pos[1][b + 1];
            attendue += (p.x - o.x) * (q.y - r.y) - (p.y - o.y) * (q.x - r.x);
        }
        EXPECT_NEAR(aire, std::fabs(attendue / 2), 1e-5 * aire) << a;
        // A sector is a closed shape from body 1 along the path and back.
        EXPECT_NE(attribut(a, "d").find(" Z"), std::string::npos);
    }
}

// ---- the frame ---------------------------------------------------------------

// Body 2 circles at radius 5, body 3 escapes from radius 3, body 4 falls into
// body 1 and is parked 1e12 away: the frame fits body 2's circle, the escaping
// path is cut at its edge, the fallen body ends in an absorption mark.
struct Cadre {
    const char *cas;
    std::vector<std::string> options;
    double longueur_max;
};
void PrintTo(const Cadre &c, std::ostream *os) { *os << c.cas; }
class FigureCadre : public Figure, public ::testing::WithParamInterface<Cadre> {};

TEST_P(FigureCadre, EscapingAndParkedBodiesDoNotShrinkThePicture) {
    const std::string f = ecrit("nb=-4\n" + enregistrements(8, 0, 0, 0, 0, 0, 0) +
                                enregistrements(0.001, 5, 0, 0, 0, std::sqrt(8.0 / 5.0), 0) +
                                enregistrements(0.001, 0, 3, 0, 4, 0, 0) + enregistrements(0.001, 0, -4, 0, 0, 0, 0));
    std::vector<std::string> args{"--batches", "3000", "--every", "3000", "--elements", "--svg", svg()};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    args.push_back(f);
    Sortie s = lance(args);
    ASSERT_EQ(s.statut, 0) << s.err;
    ASSERT_TRUE(bien_forme(svg()));
    Csv c = csv(s.out);
    ASSERT_EQ(c.elements[3][1], "unbound");
    ASSERT_EQ(c.elements[4][1], "absorbed");
    ASSERT_GT(std::hypot(c.pos[3][3000].x, c.pos[3][3000].y), 300) << "body 3 has gone far";

    const std::string texte = lis(svg());
    std::vector<std::string> barre = balises(texte, "echelle");
    ASSERT_EQ(barre.size(), 1u);
    const double longueur = reel(barre[0], "data-longueur");
    EXPECT_LE(longueur, GetParam().longueur_max);
    const double echelle = (reel(barre[0], "x2") - reel(barre[0], "x1")) / longueur;
    // Body 1 is a disc of its absorption radius.
    std::vector<std::string> centre = balises(texte, "corps");
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_NEAR(reel(centre[0], "r"), std::pow(8.0, 0.333) * echelle, 0.1);

    // Every drawn point lies in the plot (2 pixels of slack), above the bar.
    std::map<std::string, int> traces;
    for (const std::string &p : balises(texte, "trajet")) {
        traces[attribut(p, "data-corps")]++;
        std::stringstream pts(attribut(p, "points"));
        double x, y;
        char virgule;
        while (pts >> x >> virgule >> y) {
            EXPECT_GE(x, 18.0);
            EXPECT_LE(x, 782.0);
            EXPECT_GE(y, 18.0);
            EXPECT_LT(y, reel(barre[0], "y1") - 12);
        }
    }
    for (const char *j : {"1", "2", "3", "4"}) EXPECT_GE(traces[j], 1) << "body " << j << " has its path";
    std::vector<std::string> absorption = balises(texte, "absorption");
    ASSERT_EQ(absorption.size(), 1u);
    EXPECT_EQ(attribut(absorption[0], "data-corps"), "4");
    for (const std::string &a : balises(texte, "arrivee")) EXPECT_NE(attribut(a, "data-corps"), "4");
}

INSTANTIATE_TEST_SUITE_P(Table, FigureCadre,
                         ::testing::Values(Cadre{"fitted", {}, 5}, Cadre{"given by --view", {"--view", "-10,10,-5,5"}, 5}),
                         [](const ::testing::TestParamInfo<Cadre> &i) { return nom_de_cas(i.param.cas, i.index); });

TEST_F(Figure, ViewSetsTheFrameExactly) {
    Sortie s = lance({"--batches", "10", "--view", "-10,10,-5,5", "--svg", svg(), preset("donnees11.txt")});
    ASSERT_EQ(s.statut, 0) << s.err;
    const std::string texte = lis(svg());
    // 760 pixels for 20 units: body 1 at the origin stands in the middle.
    std::vector<std::string> centre = balises(texte, "corps");
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_DOUBLE_EQ(reel(centre[0], "cx"), 20 + 10 * 38);
    EXPECT_DOUBLE_EQ(reel(centre[0], "cy"), 20 + 5 * 38);
    std::vector<std::string> barre = balises(texte, "echelle");
    ASSERT_EQ(barre.size(), 1u);
    EXPECT_EQ(attribut(barre[0], "data-longueur"), "5");
    EXPECT_DOUBLE_EQ(reel(barre[0], "x2") - reel(barre[0], "x1"), 5 * 38);
}

// ---- thrust marks, names, every preset ---------------------------------------

// The help's Hohmann sequence, and one press of "-" on its own: one mark per
// run of presses, at body 2's position before the first of them.
TEST_F(Figure, ThrustPressesAreMarkedOnBody2sPath) {
    std::vector<std::string> args{"--batches", "1000", "--svg", svg()};
    for (int b : {1, 2, 3, 4, 5, 6, 903, 904, 905, 906, 907}) args.insert(args.end(), {"--thrust", std::to_string(b) + ":+"});
    args.insert(args.end(), {"--thrust", "950:-", preset("donneesHom.txt")});
    Sortie s = lance(args);
    ASSERT_EQ(s.statut, 0) << s.err;
    Csv c = csv(s.out);
    const std::string texte = lis(svg());
    std::vector<std::string> marques = balises(texte, "poussee"), barre = balises(texte, "echelle"),
                             centre = balises(texte, "corps");
    ASSERT_EQ(marques.size(), 3u);
    ASSERT_EQ(barre.size(), 1u);
    ASSERT_EQ(centre.size(), 1u);
    const double echelle = (reel(barre[0], "x2") - reel(barre[0], "x1")) / reel(barre[0], "data-longueur");
    struct Attendu {
        long lot;
        int nombre;
        std::string signe;
    };
    const Attendu attendus[] = {{1, 6, "+ \xC3\x97" "6"}, {903, 5, "+ \xC3\x97" "5"}, {950, 1, "\xE2\x88\x92"}};
    for (size_t i = 0; i < 3; i++) {
        const std::string &m = marques[i];
        EXPECT_EQ(attribut(m, "data-lot"), std::to_string(attendus[i].lot));
        EXPECT_EQ(attribut(m, "data-nombre"), std::to_string(attendus[i].nombre));
        size_t debut = texte.find(m) + m.size();
        EXPECT_EQ(texte.substr(debut, texte.find('<', debut) - debut), attendus[i].signe);
        figure::Point p = c.pos[2][attendus[i].lot - 1], o = c.pos[1][1000];
        EXPECT_NEAR(reel(m, "x"), reel(centre[0], "cx") + (p.x - o.x) * echelle + 6, 0.2);
        EXPECT_NEAR(reel(m, "y"), reel(centre[0], "cy") - (p.y - o.y) * echelle - 6, 0.2);
    }
}

// A file name with markup characters, a control character and bytes that
// are not UTF-8 still gives a well-formed figure that names it.
TEST_F(Figure, CaptionEscapesTheFileName) {
    const std::string nom = "a&b<c>\"d'\x01\xff\xc3\xa9.txt";
    const std::string f = ecrit("nb=2\n" + enregistrements(8, 0, 0, 0, 0, 0, 0) +
                                    enregistrements(0.001, 5, 0, 0, 0, std::sqrt(8.0 / 5.0), 0),
                                nom);
    Sortie s = lance({"--batches", "50", "--svg", svg(), f});
    ASSERT_EQ(s.statut, 0) << s.err;
    EXPECT_TRUE(bien_forme(svg()));
    std::vector<std::string> legende = balises(lis(svg()), "legende");
    ASSERT_EQ(legende.size(), 1u);
    const std::string texte = lis(svg());
    EXPECT_NE(texte.find(">a&amp;b&lt;c&gt;&quot;d&apos;\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9.txt \xE2\x80\x94 dt = 0.001 "
                         "\xE2\x80\x94 50 lots de calcul \xE2\x80\x94 temps simul\xC3\xA9 2.5<"),
              std::string::npos)
        << texte;
}

// Every preset, with elements and areas: well-formed, and each body has its path.
TEST_F(Figure, EveryPresetGivesAWellFormedFigure) {
    const char *noms[] = {"donnees10.txt", "donnees11.txt", "donnees12.txt", "donneesA3T2.txt", "donneesEdoub.txt",
                          "donneesHom.txt", "donneesIsoE.txt", "donneesLoiAires1.txt", "donneesLoiAires2.txt",
                          "donneesPhaNeg.txt", "donneesPhaPos.txt", "donneesRDV1.txt", "donneesRDV2.txt",
                          "donneesTIR.txt", "donneesTL.txt"};
    for (const char *nom : noms) {
        Sortie s = lance({"--batches", "1500", "--every", "1500", "--elements", "--areas", "100", "--svg", svg(),
                          preset(nom)});
        ASSERT_EQ(s.statut, 0) << nom << s.err;
        EXPECT_TRUE(bien_forme(svg())) << nom;
        Csv c = csv(s.out);
        const std::string texte = lis(svg());
        std::map<std::string, int> traces;
        for (const std::string &p : balises(texte, "trajet")) traces[attribut(p, "data-corps")]++;
        for (const auto &corps : c.pos) EXPECT_GE(traces[std::to_string(corps.first)], 1) << nom << " body " << corps.first;
        EXPECT_EQ(balises(texte, "legende").size(), 1u) << nom;
    }
}

// ---- size and time of a long run ---------------------------------------------

// 20000 batches of 15 bodies (14 on ellipses of periods from about 10 to 140
// round body 1): the figure stays under 1 MB and costs under a second more
// than the run without it.
TEST_F(Figure, LongRunOfFifteenBodiesGivesASmallFigureQuickly) {
    std::string texte = "nb=-15\n" + enregistrements(8, 0, 0, 0, 0, 0, 0);
    for (int k = 2; k <= 15; k++) {
        double a = 3 + 1.2 * k, e = 0.05 * (k % 8), angle = 0.9 * k;
        double rp = a * (1 - e), vp = std::sqrt(8 * (1 + e) / rp);
        texte += enregistrements(0.001, rp * std::cos(angle), rp * std::sin(angle), 0, -vp * std::sin(angle),
                                 vp * std::cos(angle), 0);
    }
    const std::string f = ecrit(texte);
    Sortie sans = lance({"--batches", "20000", "--every", "20000", f});
    Sortie avec = lance({"--batches", "20000", "--every", "20000", "--svg", svg(), f});
    ASSERT_EQ(sans.statut, 0);
    ASSERT_EQ(avec.statut, 0) << avec.err;
    EXPECT_EQ(avec.out, sans.out) << "the figure does not change the run";
    struct stat st;
    ASSERT_EQ(stat(svg().c_str(), &st), 0);
    // Processor time, which other work on the machine does not stretch.
    std::printf("run %.3f s, run with figure %.3f s (processor time), figure %ld bytes\n", sans.cpu, avec.cpu,
                static_cast<long>(st.st_size));
    EXPECT_LT(st.st_size, 1000000);
    EXPECT_EQ(balises(lis(svg()), "trajet").size(), 15u);
#if !defined(__SANITIZE_ADDRESS__)
    // Instrumented code is several times slower: the cost is measured on the plain build.
    EXPECT_LT(avec.cpu - sans.cpu, 1.0);
#endif
}

// A figure that cannot be written in full is reported and removed, after the
// CSV; the files may not grow past 1000 bytes here, and the figure needs more.
TEST_F(Figure, WriteFailureIsReportedAndTheCutFigureRemoved) {
    Sortie s = lance_outil(dir, {"--batches", "10", "--every", "10", "--svg", svg(), preset("donnees11.txt")}, 1000);
    EXPECT_EQ(s.statut, 1);
    EXPECT_NE(s.out.find("10,500,2,"), std::string::npos) << s.out;
    EXPECT_NE(s.err.find("orbelune-trace: cannot write " + svg() + ": "), std::string::npos) << s.err;
    EXPECT_NE(access(svg().c_str(), F_OK), 0) << "the cut figure is gone";
    // The same run without the limit writes it.
    EXPECT_EQ(lance({"--batches", "10", "--every", "10", "--svg", svg(), preset("donnees11.txt")}).statut, 0);
    EXPECT_GT(lis(svg()).size(), 1000u);
}

// ---- the module called directly -----------------------------------------------

// Thinning ten slowly shrinking turns of a circle 300 pixels wide keeps few
// points, and no point of the path lies farther than the tolerance from the
// thinned line between the kept points around it.
TEST(Amincit, KeepsTheShapeWithFewPoints) {
    std::vector<figure::Point> p;
    for (int k = 0; k <= 20000; k++) {
        double a = k * (2 * M_PI * 10 / 20000), r = 300 - 0.001 * k;
        p.push_back({400 + r * std::cos(a), 400 + r * std::sin(a)});
    }
    std::vector<size_t> garde = figure::amincit(p, figure::TOLERANCE);
    ASSERT_GE(garde.size(), 2u);
    EXPECT_EQ(garde.front(), 0u);
    EXPECT_EQ(garde.back(), p.size() - 1);
    EXPECT_LT(garde.size(), p.size() / 20);
    for (size_t g = 0; g + 1 < garde.size(); g++) {
        figure::Point a = p[garde[g]], b = p[garde[g + 1]];
        for (size_t k = garde[g]; k <= garde[g + 1]; k++) {
            double dx = b.x - a.x, dy = b.y - a.y;
            double t = std::max(0.0, std::min(1.0, ((p[k].x - a.x) * dx + (p[k].y - a.y) * dy) / (dx * dx + dy * dy)));
            ASSERT_LE(std::hypot(p[k].x - (a.x + t * dx), p[k].y - (a.y + t * dy)), figure::TOLERANCE + 1e-9) << k;
        }
    }
    // A straight line keeps its two ends.
    std::vector<figure::Point> droite;
    for (int k = 0; k < 1000; k++) droite.push_back({k * 0.5, 3 + k * 0.25});
    EXPECT_EQ(figure::amincit(droite, figure::TOLERANCE), (std::vector<size_t>{0, 999}));
}

// The area is swept in body 1's frame: a body carried along with a moving
// body 1 sweeps what it sweeps relative to it.
TEST(AireBalayee, IsTakenInBody1sFrame) {
    std::vector<figure::Point> centre, chemin;
    for (int k = 0; k <= 4; k++) {
        double a = k * M_PI / 8; // a quarter turn of radius 2 in four steps
        centre.push_back({10.0 * k, -3.0 * k});
        chemin.push_back({10.0 * k + 2 * std::cos(a), -3.0 * k + 2 * std::sin(a)});
    }
    // The polygon of the five points and body 1: four triangles of the fan.
    EXPECT_NEAR(figure::aire_balayee(centre, chemin, 0, 4), 4 * 0.5 * 4 * std::sin(M_PI / 8), 1e-12);
    EXPECT_NEAR(figure::aire_balayee(centre, chemin, 1, 3), 2 * 0.5 * 4 * std::sin(M_PI / 8), 1e-12);
    std::reverse(chemin.begin(), chemin.end());
    std::reverse(centre.begin(), centre.end());
    EXPECT_LT(figure::aire_balayee(centre, chemin, 0, 4), 0) << "clockwise is negative";
}

TEST(Echappe, MarkupControlCharactersAndBadUtf8) {
    struct Cas {
        std::string entree, sortie;
    };
    const std::string R = "\xEF\xBF\xBD"; // U+FFFD
    for (const Cas &c : std::vector<Cas>{
             {"plain.txt", "plain.txt"},
             {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
             {"tab\there\nnew", "tab\there\nnew"},
             {std::string("nul\0x", 5) + "\x1b", "nul" + R + "x" + R},
             {"\xc3\xa9t\xc3\xa9 \xe2\x88\x92 \xf0\x9f\x8c\x8d", "\xc3\xa9t\xc3\xa9 \xe2\x88\x92 \xf0\x9f\x8c\x8d"},
             {"\xff\xc3", R + R},                                  // stray byte, cut sequence
             {"\xc0\xaf", R + R},                                  // overlong
             {"\xed\xa0\x80", R + R + R},                          // surrogate
             {"\xef\xbf\xbe", R + R + R},                          // not a character
             {"\xf4\x90\x80\x80", R + R + R + R},                  // beyond U+10FFFF
         })
        EXPECT_EQ(figure::echappe(c.entree), c.sortie) << c.entree;
}

} // namespace
