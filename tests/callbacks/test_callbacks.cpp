// Key, special-key, drag, menu and preset callbacks, run without a window:
// the GL and GLUT calls go to the recording stand-ins of gl_stubs.cpp.
#include "gl_stubs.h"
#include "display.h"
#include "interaction.h"
#include "orbelune.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every piece of shared state a callback may write, for before/after checks.
struct Etat {
    int nb, nbat, t, lect, rot, trans, vol, skii, cerc, lp, old_x, old_y;
    double dt, px, M1, X1, Y1, Xp1, Yp1;
    float spin_x, spin_y, xv, yv, zv, cth, sth, thetay, vitesse;
    bool operator==(const Etat &o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

Etat capture() {
    Etat e;
    std::memset(&e, 0, sizeof e);  // padding too, for the byte comparison
    e.nb = nb; e.nbat = nbat; e.t = t; e.lect = lect; e.rot = rot; e.trans = trans; e.vol = vol;
    e.skii = skii; e.cerc = cerc; e.lp = lp; e.old_x = old_x; e.old_y = old_y;
    e.dt = dt; e.px = px; e.M1 = M[1]; e.X1 = X[1]; e.Y1 = Y[1]; e.Xp1 = Xp[1]; e.Yp1 = Yp[1];
    e.spin_x = spin_x; e.spin_y = spin_y; e.xv = xv; e.yv = yv; e.zv = zv; e.cth = cth; e.sth = sth;
    e.thetay = thetay; e.vitesse = vitesse;
    return e;
}

// Values far from the start values, so a reset or a stray write shows.
void etatQuelconque() {
    nb = 2; nbat = 2; t = 4321; lect = 1; skii = 2; cerc = 0; lp = 1; old_x = 17; old_y = 23;
    dt = 0.25; px = 0.5; M[1] = 9; X[1] = 1.5; Y[1] = -2.5; Xp[1] = 0.25; Yp[1] = 3;
    rot = 0; trans = 1; vol = 0;
    spin_x = 12; spin_y = -7; xv = 3; yv = 4; zv = -20; cth = 0.5f; sth = 0.75f; thetay = 33; vitesse = 0.05f;
}

std::string lit(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void ecrit(const fs::path &p, const std::string &texte) {
    std::ofstream f(p, std::ios::binary);
    f << texte;
}

// A scenario with one body whose x is `x`, so a reload shows which file it read.
std::string scenario(double x) {
    char s[200];
    std::snprintf(s, sizeof s, "nb=2\nm=100\nx=%g y=0 z=0\nu=0 v=0 w=0\nm=1\nx=10 y=0 z=0\nu=0 v=3 w=0\n", x);
    return s;
}

// A fresh directory under the temporary directory, removed at the end.
struct Temp {
    fs::path dir;
    Temp() {
        char modele[] = "/tmp/orbelune-cb-XXXXXX";
        dir = mkdtemp(modele);
    }
    ~Temp() { fs::remove_all(dir); }
};

// Runs the process in `dir` for the life of the object.
struct Ici {
    fs::path avant = fs::current_path();
    explicit Ici(const fs::path &dir) { fs::current_path(dir); }
    ~Ici() { fs::current_path(avant); }
};

void setIci(const std::string &s) {
    ASSERT_LT(s.size(), sizeof ici);
    std::snprintf(ici, sizeof ici, "%s", s.c_str());
}

class Rappels : public ::testing::Test {
protected:
    void SetUp() override {
        stubs::efface();
        nb = 0; nbat = 0; t = 0; lect = 0; px = 0; dt = 0.001;
        rot = 1; trans = 0; vol = 0; spin_x = 0; spin_y = 0; xv = 0; yv = 0; zv = 50;
        cth = 1; sth = 0; thetay = 0; vitesse = 0; skii = 0; cerc = 1; lp = 0; old_x = 0; old_y = 0;
        for (int i = 0; i < NSLOTS; i++) M[i] = X[i] = Y[i] = Z[i] = Xp[i] = Yp[i] = 0;
        ici[0] = '\0';
    }
};

const std::string LIGHTING_ON = "eclairage 1";
const std::string LIGHTING_OFF = "eclairage 0";

// ---- outside the tables --------------------------------------------------

TEST_F(Rappels, KeysCodesAndMenuValuesOutsideTheTablesDoNothing) {
    const std::string touches = "+-gpzlrtvsFQ";
    etatQuelconque();
    Etat avant = capture();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (int k = 0; k < 256; k++)
        if (touches.find(static_cast<char>(k)) == std::string::npos)
            Keyboard(static_cast<unsigned char>(k), 5, 6);
    for (int c = -300; c <= 300; c++)
        if (c < GLUT_KEY_LEFT || c > GLUT_KEY_PAGE_DOWN) parsekey_special(c, 5, 6);
    const std::set<int> commandes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 22};
    for (int v = -1000; v <= 1000; v++)
        if (!commandes.count(v)) M_menu_select(v);
    for (int v = -5; v <= 30; v++) null_select(v);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(capture() == avant);
    EXPECT_TRUE(stubs::appels.empty()) << stubs::appels.front();
}

// ---- ordinary keys -------------------------------------------------------

TEST_F(Rappels, ThrustKeysSetThePushAndEchoIt) {
    testing::internal::CaptureStdout();
    Keyboard('+', 0, 0);
    EXPECT_EQ(px, 0.5);
    Keyboard('+', 0, 0);
    EXPECT_EQ(px, 0.5);  // set, not added
    Keyboard('-', 0, 0);
    EXPECT_EQ(px, -0.5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "+\n+\n-\n");
    EXPECT_TRUE(stubs::appels.empty());  // keys request no redisplay
}

TEST_F(Rappels, RunPauseAndCameraKeys) {
    Keyboard('g', 0, 0);
    EXPECT_EQ(lect, 1);
    Keyboard('p', 0, 0);
    EXPECT_EQ(lect, 0);

    spin_x = 4; spin_y = 9; thetay = 7; vitesse = 0.05f;
    Keyboard('t', 0, 0);
    EXPECT_EQ((std::array<int, 3>{rot, trans, vol}), (std::array<int, 3>{0, 1, 0}));
    EXPECT_EQ(spin_x, 0.0f);
    EXPECT_EQ(spin_y, 0.0f);
    EXPECT_EQ(thetay, 7.0f);

    Keyboard('v', 0, 0);
    EXPECT_EQ((std::array<int, 3>{rot, trans, vol}), (std::array<int, 3>{0, 0, 1}));
    EXPECT_EQ(thetay, 0.0f);
    EXPECT_EQ(vitesse, 0.0f);

    spin_x = 4; spin_y = 9;
    Keyboard('r', 0, 0);
    EXPECT_EQ((std::array<int, 3>{rot, trans, vol}), (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ(spin_x, 4.0f);  // key "r" keeps the drag offset
    EXPECT_EQ(spin_y, 9.0f);
}

TEST_F(Rappels, LightingToggleStartsFromZeroSoTheFirstPressLeavesItOn) {
    // Key "l" and menu value 11 share the toggle.
    Keyboard('l', 0, 0);
    EXPECT_EQ(lp, 1);
    M_menu_select(11);
    EXPECT_EQ(lp, 0);
    Keyboard('l', 0, 0);
    EXPECT_EQ(lp, 1);
    EXPECT_EQ(stubs::appels, (std::vector<std::string>{LIGHTING_ON, LIGHTING_OFF, LIGHTING_ON}));
}

TEST_F(Rappels, ReshapeAndFullScreenKeys) {
    Keyboard('s', 0, 0);
    ASSERT_EQ(stubs::compte("glutReshapeFunc"), 1);
    EXPECT_EQ(stubs::reshape, &ReSizeGLScene);
    Keyboard('F', 0, 0);
    EXPECT_EQ(stubs::compte("glutFullScreen"), 1);
    Keyboard('f', 0, 0);
    EXPECT_EQ(stubs::appels.size(), 2u);
}

TEST_F(Rappels, ReloadKeyReadsTheDataFileAndPausesButKeepsViewAndClock) {
    Temp tmp;
    ecrit(tmp.dir / "donnees.txt", scenario(-4));
    setIci(tmp.dir.string() + "/");
    etatQuelconque();
    Etat avant = capture();
    testing::internal::CaptureStdout();
    Keyboard('z', 0, 0);
    std::string sortie = testing::internal::GetCapturedStdout();
    EXPECT_NE(sortie.find("dt=0.250000"), std::string::npos) << sortie;
    EXPECT_EQ(nb, 2);
    EXPECT_EQ(X[1], -4.0);
    EXPECT_EQ(X[2], 10.0);
    EXPECT_EQ(Yp[2], 3.0);
    EXPECT_EQ(lect, 0);
    EXPECT_EQ(px, 0.0);
    // Everything but the bodies, the run flag and the thrust is as before.
    Etat apres = capture();
    apres.lect = avant.lect; apres.px = avant.px; apres.M1 = avant.M1; apres.X1 = avant.X1;
    apres.Y1 = avant.Y1; apres.Xp1 = avant.Xp1; apres.Yp1 = avant.Yp1;
    EXPECT_TRUE(apres == avant);
}

TEST(RappelsFin, QuitKeyAndQuitEntryEndWithStatusZero) {
    EXPECT_EXIT(Keyboard('Q', 0, 0), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(M_menu_select(22), testing::ExitedWithCode(0), "");
}

// ---- special keys --------------------------------------------------------

TEST_F(Rappels, SpecialKeysSteerTheCamera) {
    parsekey_special(GLUT_KEY_RIGHT, 0, 0);
    parsekey_special(GLUT_KEY_RIGHT, 0, 0);
    parsekey_special(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(thetay, 0.5f);
    parsekey_special(GLUT_KEY_UP, 0, 0);
    parsekey_special(GLUT_KEY_UP, 0, 0);
    EXPECT_EQ(vitesse, -0.05f);  // set, not added
    parsekey_special(GLUT_KEY_DOWN, 0, 0);
    EXPECT_EQ(vitesse, 0.05f);
    for (int k = 0; k < 10; k++) parsekey_special(GLUT_KEY_PAGE_UP, 0, 0);
    EXPECT_EQ(zv, 0.0f);
    parsekey_special(GLUT_KEY_PAGE_UP, 0, 0);
    EXPECT_EQ(zv, -5.0f);  // no bound
    parsekey_special(GLUT_KEY_PAGE_DOWN, 0, 0);
    EXPECT_EQ(zv, 0.0f);
    EXPECT_TRUE(stubs::appels.empty());
}

// ---- mouse drag ----------------------------------------------------------

TEST_F(Rappels, DragOffsetIsMeasuredFromTheLastButtonEvent) {
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200);
    EXPECT_EQ(spin_x, 0.0f);  // a press alone moves nothing
    motion(130, 190);
    EXPECT_EQ(spin_x, 30.0f);
    EXPECT_EQ(spin_y, -10.0f);
    motion(90, 260);
    EXPECT_EQ(spin_x, -10.0f);
    EXPECT_EQ(spin_y, 60.0f);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 90, 260);
    EXPECT_EQ(spin_x, -10.0f);  // the offset outlives the release
    EXPECT_EQ((std::array<int, 2>{old_x, old_y}), (std::array<int, 2>{90, 260}));
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 500, 500);
    motion(502, 499);
    EXPECT_EQ(spin_x, 2.0f);  // no accumulation across drags
    EXPECT_EQ(spin_y, -1.0f);
    EXPECT_EQ(stubs::compte("glutPostRedisplay"), 6);  // three presses, three movements
}

// ---- menu tree -----------------------------------------------------------

TEST_F(Rappels, MenuTreeHasEveryLabelValueAndCallback) {
    glutMenu();
    ASSERT_EQ(stubs::menus.size(), 4u);
    ASSERT_EQ(stubs::boutonAttache, GLUT_RIGHT_BUTTON);
    const Menu &principal = stubs::menus[stubs::menuAttache - 1];
    EXPECT_EQ(principal.rappel, &M_menu_select);

    struct Attendu {
        const char *libelle;
        int valeur;
        const char *sousMenu;  // label of the submenu, or null for an entry
    };
    const Attendu main[] = {
        {"Cas Initiaux", 0, "presets"},
        {"Edition du fichier donnees", 13, nullptr},
        {"Lance calcul (g)", 1, nullptr},
        {"Pause calcul (p)", 2, nullptr},
        {"vues ", 0, "vues"},
        {"RAZ vue /RAZ calcul->(z)", 3, nullptr},
        {"Aspect", 0, "aspect"},
        {"dt*2                    ", 9, nullptr},
        {"dt/2                   ", 10, nullptr},
        {"Aide               ", 12, nullptr},
        {"Quitte              (Q)", 22, nullptr},
    };
    const int longueur[] = {12, 26, 16, 16, 5, 24, 6, 24, 23, 19, 23};
    ASSERT_EQ(principal.entrees.size(), 11u);
    std::map<std::string, const Menu *> sous;
    for (int k = 0; k < 11; k++) {
        const EntreeMenu &e = principal.entrees[k];
        EXPECT_EQ(e.libelle, main[k].libelle);
        EXPECT_EQ(e.libelle.size(), static_cast<size_t>(longueur[k])) << e.libelle;
        if (main[k].sousMenu) {
            ASSERT_GE(e.sousMenu, 1);
            ASSERT_LE(e.sousMenu, 4);
            sous[main[k].sousMenu] = &stubs::menus[e.sousMenu - 1];
        } else {
            EXPECT_EQ(e.sousMenu, 0);
            EXPECT_EQ(e.valeur, main[k].valeur) << e.libelle;
        }
    }
    auto entrees = [](const Menu *m) {
        std::vector<std::pair<std::string, int>> v;
        for (const EntreeMenu &e : m->entrees) v.push_back({e.libelle, e.valeur});
        return v;
    };
    using Liste = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(sous["vues"]->rappel, &M_menu_select);
    EXPECT_EQ(entrees(sous["vues"]), (Liste{{"translation (t)", 4},
                                            {"rotation.....(r)", 5},
                                            {"vol............ (v)", 6},
                                            {"(pgup) (pgdn) ", 99}}));
    EXPECT_EQ(sous["aspect"]->rappel, &M_menu_select);
    EXPECT_EQ(entrees(sous["aspect"]), (Liste{{"solide/ squelette       ", 7},
                                              {"Trajectoire/Aire O/N    ", 8},
                                              {"couleur O/N         (l)", 11}}));
    EXPECT_EQ(sous["presets"]->rappel, &toutfait);
    EXPECT_EQ(entrees(sous["presets"]),
              (Liste{{"tir", 1}, {"iso Energie et iso T", 2}, {"loi des aires 1", 3}, {"loi des aires 2", 4},
                     {"loi a^3/T^2", 5}, {"Phasing Dv>0", 6}, {"Phasing Dv<0", 7}, {"ellipse", 8},
                     {"hyperbole ", 9}, {"transf. Homann", 10}, {"Rendez Vous 1", 11}, {"Rendez Vous 2", 12},
                     {"syst. double 1", 13}, {"syst. double 2", 14}, {"syst. triple", 15}}));
}

// ---- menu commands -------------------------------------------------------

TEST_F(Rappels, ShapeAndTrailModesCycle) {
    std::vector<int> formes, traces;
    for (int k = 0; k < 4; k++) {
        M_menu_select(7);
        formes.push_back(skii);
    }
    for (int k = 0; k < 3; k++) {
        M_menu_select(8);
        traces.push_back(cerc);
    }
    EXPECT_EQ(formes, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(traces, (std::vector<int>{2, 0, 1}));
}

TEST_F(Rappels, TimeStepDoublesAndHalvesWithoutBound) {
    M_menu_select(9);
    M_menu_select(9);
    M_menu_select(9);
    EXPECT_EQ(dt, 0.008);
    M_menu_select(10);
    EXPECT_EQ(dt, 0.004);
    for (int k = 0; k < 40; k++) M_menu_select(10);
    EXPECT_GT(dt, 0.0);
    EXPECT_EQ(dt, std::ldexp(0.004, -40));
}

TEST_F(Rappels, RunPauseAndCameraEntries) {
    M_menu_select(1);
    EXPECT_EQ(lect, 1);
    M_menu_select(2);
    EXPECT_EQ(lect, 0);
    spin_x = 3; spin_y = 3; thetay = 2; vitesse = 0.05f;
    M_menu_select(4);
    EXPECT_EQ((std::array<float, 5>{float(rot), float(trans), float(vol), spin_x, spin_y}),
              (std::array<float, 5>{0, 1, 0, 0, 0}));
    M_menu_select(6);
    EXPECT_EQ((std::array<float, 5>{float(rot), float(trans), float(vol), thetay, vitesse}),
              (std::array<float, 5>{0, 0, 1, 0, 0}));
    EXPECT_TRUE(stubs::appels.empty());
}

TEST_F(Rappels, RotationEntryClearsTheDragOffsetUnlikeKeyR) {
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    motion(40, 25);
    Keyboard('t', 0, 0);  // translation clears the offset ...
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    motion(40, 25);       // ... and a drag in translation sets it again
    Keyboard('r', 0, 0);
    EXPECT_EQ(spin_x, 30.0f);
    EXPECT_EQ(spin_y, 15.0f);
    M_menu_select(5);
    EXPECT_EQ((std::array<float, 5>{float(rot), float(trans), float(vol), spin_x, spin_y}),
              (std::array<float, 5>{1, 0, 0, 0, 0}));
}

TEST_F(Rappels, ViewResetRestoresTheFirstViewAndTouchesNothingElse) {
    etatQuelconque();
    Etat avant = capture();
    M_menu_select(3);
    EXPECT_EQ(t, 0);
    EXPECT_EQ((std::array<int, 3>{rot, trans, vol}), (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ((std::array<float, 9>{xv, yv, zv, cth, sth, vitesse, thetay, spin_x, spin_y}),
              (std::array<float, 9>{0, 0, 50, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(stubs::appels, std::vector<std::string>{"glutPostRedisplay"});
    // Bodies, run flag, shape, trails, lighting, dt and thrust stay.
    Etat apres = capture();
    apres.t = avant.t; apres.rot = avant.rot; apres.trans = avant.trans; apres.vol = avant.vol;
    apres.xv = avant.xv; apres.yv = avant.yv; apres.zv = avant.zv; apres.cth = avant.cth; apres.sth = avant.sth;
    apres.vitesse = avant.vitesse; apres.thetay = avant.thetay; apres.spin_x = avant.spin_x;
    apres.spin_y = avant.spin_y;
    EXPECT_TRUE(apres == avant);
}

// ---- presets -------------------------------------------------------------

// The preset file of each menu value, relative to the base directory.
const char *const PRESETS[] = {
    nullptr,
    "DONNEES/donneesTIR.txt",  "DONNEES/donneesIsoE.txt",  "DONNEES/donneesLoiAires1.txt",
    "DONNEES/donneesLoiAires2.txt", "DONNEES/donneesA3T2.txt", "DONNEES/donneesPhaPos.txt",
    "DONNEES/donneesPhaNeg.txt", "DONNEES/donnees11.txt", "DONNEES/donnees10.txt",
    "DONNEES/donneesHom.txt",  "DONNEES/donneesRDV1.txt",  "DONNEES/donneesRDV2.txt",
    "DONNEES/donnees12.txt",   "DONNEES/donneesEdoub.txt", "DONNEES/donneesTL.txt",
};

// A base directory with a data file (body 1 at x = -1) and every preset
// (body 1 at x = value), under a directory named `nom`.
struct Base {
    Temp tmp;
    fs::path dir;
    explicit Base(const std::string &nom = "base") {
        dir = tmp.dir / nom;
        fs::create_directories(dir / "DONNEES");
        ecrit(dir / "donnees.txt", scenario(-1));
        for (int v = 1; v <= 15; v++) ecrit(dir / PRESETS[v], scenario(v));
        setIci(dir.string() + "/");
    }
};

TEST_F(Rappels, EveryPresetIsCopiedOverTheDataFileAndLoadedPaused) {
    Base base;
    for (int v = 1; v <= 15; v++) {
        SCOPED_TRACE(PRESETS[v]);
        lect = 1;
        px = -0.5;
        stubs::efface();
        testing::internal::CaptureStdout();
        toutfait(v);
        std::string sortie = testing::internal::GetCapturedStdout();
        EXPECT_EQ(lit(base.dir / "donnees.txt"), lit(base.dir / PRESETS[v]));
        EXPECT_EQ(X[1], static_cast<double>(v));
        EXPECT_NE(sortie.find("go! go! go!"), std::string::npos);
        EXPECT_EQ(lect, 0);
        EXPECT_EQ(px, 0.0);
        EXPECT_EQ(stubs::compte("glutPostRedisplay"), 1);
    }
}

TEST_F(Rappels, RealPresetTirInstallsByteForByte) {
    const fs::path source = fs::path(ORBELUNE_SOURCE_DIR) / "data" / PRESETS[1];
    ASSERT_TRUE(fs::exists(source)) << "preset file missing: " << source;
    Base base;
    fs::copy_file(source, base.dir / PRESETS[1], fs::copy_options::overwrite_existing);
    testing::internal::CaptureStdout();
    toutfait(1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(lit(base.dir / "donnees.txt"), lit(source));
    EXPECT_GT(nb, 0);
    EXPECT_EQ(lect, 0);
}

TEST_F(Rappels, FailedCopyKeepsAndReloadsThePreviousDataFile) {
    Base base;
    fs::remove(base.dir / PRESETS[4]);
    X[1] = 77;  // as if the run had moved body 1
    lect = 1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    toutfait(4);
    testing::internal::GetCapturedStdout();
    std::string erreurs = testing::internal::GetCapturedStderr();
    EXPECT_NE(erreurs.find("cp"), std::string::npos) << erreurs;  // the shell's own message
    EXPECT_EQ(lit(base.dir / "donnees.txt"), scenario(-1));
    EXPECT_EQ(X[1], -1.0);
    EXPECT_EQ(lect, 0);
}

TEST_F(Rappels, ValuesOutsideThePresetsOnlyReloadPaused) {
    Base base;
    for (int v : {0, 16, -1, 99}) {
        X[1] = 77;
        lect = 1;
        testing::internal::CaptureStdout();
        toutfait(v);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(lit(base.dir / "donnees.txt"), scenario(-1));
        EXPECT_EQ(X[1], -1.0);
        EXPECT_EQ(lect, 0);
    }
}

// Base directory names that would run `touch PWNED` if the path reached the
// shell unquoted, or single-quoted without escaping the quotes inside.
TEST_F(Rappels, HostileBaseDirectoryNamesOnlyEverNameAFile) {
    const char *const noms[] = {
        "o b'c;touch PWNED;'d",
        "o b;touch PWNED;c",
        "o $(touch PWNED) & `touch PWNED` b",
        "-o b' ; touch PWNED #",
    };
    for (const char *nom : noms) {
        SCOPED_TRACE(nom);
        Base base(nom);
        Ici ici_(base.tmp.dir);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        toutfait(3);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(lit(base.dir / "donnees.txt"), lit(base.dir / PRESETS[3]));
        EXPECT_EQ(X[1], 3.0);
        for (const fs::path &d : {base.tmp.dir, base.dir, base.dir / "DONNEES"})
            EXPECT_FALSE(fs::exists(d / "PWNED")) << d;
    }
}

TEST_F(Rappels, CopyCommandTooLongForItsBufferIsRefusedWithOneLine) {
    // 200 quotes: each is written as 4 characters, so the two paths of the
    // copy need more than the command buffer, while the data path still fits.
    Base base(std::string(200, '\''));
    X[1] = 77;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    toutfait(2);
    testing::internal::GetCapturedStdout();
    std::string erreurs = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(erreurs.begin(), erreurs.end(), '\n'), 1) << erreurs;
    EXPECT_NE(erreurs.find("trop long"), std::string::npos) << erreurs;
    EXPECT_EQ(lit(base.dir / "donnees.txt"), scenario(-1));
    EXPECT_EQ(X[1], -1.0);  // the old data file, reloaded
    EXPECT_EQ(lect, 0);
}

// ---- help and editing ----------------------------------------------------

// $PATH for the duration of a test.
struct Path {
    std::string avant = std::getenv("PATH") ? std::getenv("PATH") : "";
    explicit Path(const std::string &p) { setenv("PATH", p.c_str(), 1); }
    ~Path() { setenv("PATH", avant.c_str(), 1); }
};

TEST_F(Rappels, HelpAndEditOpenTheirFileWithoutWaitingForTheOpener) {
    Base base("a b'c;d $x");
    Temp outils;
    const fs::path recu = outils.dir / "recu.txt";
    // A stand-in opener that records its argument, then takes its time.
    ecrit(outils.dir / "xdg-open",
          "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + recu.string() + "'\nsleep 3\n");
    fs::permissions(outils.dir / "xdg-open", fs::perms::owner_all);
    Path path(outils.dir.string() + ":/usr/bin:/bin");

    for (int v : {13, 12}) {
        auto debut = std::chrono::steady_clock::now();
        M_menu_select(v);
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::milliseconds(1500));
    }
    std::string attendu = base.dir.string() + "/donnees.txt\n" + base.dir.string() + "/help.sh\n";
    for (int k = 0; k < 100 && lit(recu).size() < attendu.size(); k++)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The two openers run side by side, so either may write first.
    std::string obtenu = lit(recu);
    EXPECT_TRUE(obtenu == attendu ||
                obtenu == base.dir.string() + "/help.sh\n" + base.dir.string() + "/donnees.txt\n")
        << obtenu;
    EXPECT_EQ(lect, 0);  // opening the data file reloads nothing
}

TEST_F(Rappels, MissingOpenerGivesOneLineAndRunsNothing) {
    Base base;
    Temp vide;
    Path path(vide.dir.string());
    testing::internal::CaptureStderr();
    M_menu_select(12);
    M_menu_select(13);
    std::string erreurs = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(erreurs.begin(), erreurs.end(), '\n'), 2) << erreurs;
    EXPECT_NE(erreurs.find("xdg-open introuvable"), std::string::npos) << erreurs;
    EXPECT_NE(erreurs.find("help.sh"), std::string::npos);
    EXPECT_NE(erreurs.find("donnees.txt"), std::string::npos);
}

} // namespace
