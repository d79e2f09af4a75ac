// test_loader.cpp — the scenario loader: the console text of a load, the
// count rules, the record layouts, malformed records and data files that
// cannot be used.
#include "core_state.h"

#include <climits>
#include <cmath>
#include <dirent.h>
#include <sys/stat.h>

namespace {

const std::string DONNEES = ORBELUNE_SOURCE_DIR "/tests/unit/data/core/";

// Lines 1 to 4 of every load.
const std::string BANNIERE = "go! go! go! go! go!  \n"
                             " Simulateur de Gravite               \n"
                             " Orbelune, simulateur pedagogique    \n"
                             " points massifs, G = 1, plan x-y     \n"
                             " pour la classe et le projecteur     \n"
                             "menu contextuel pour lancer le calcul\n";

std::string ligne_fichier(const std::string &chemin) { return "fichier de donnees:   " + chemin + "!   \n"; }

// The warnings expected on standard error: each line of `suite` ("3: ...")
// follows the prefix and the path.
std::string attentions(const std::string &chemin, const std::string &suite) {
    std::string r;
    for (size_t debut = 0; debut < suite.size();) {
        size_t fin = suite.find('\n', debut);
        if (fin == std::string::npos) fin = suite.size();
        r += "attention: " + chemin + ":" + suite.substr(debut, fin - debut) + "\n";
        debut = fin + 1;
    }
    return r;
}

int lignes(const std::string &s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

using Loader = CoreTest;

TEST_F(Loader, BannerLinesAreThirtySevenColumnsWide) {
    Console c = charge_texte("nb=0\n");
    // Lines 2 to 6 of the banner share the 37-column width.
    size_t debut = c.out.find('\n') + 1;
    for (int k = 0; k < 5; k++) {
        size_t fin = c.out.find('\n', debut);
        ASSERT_NE(fin, std::string::npos);
        EXPECT_EQ(fin - debut, 37u) << c.out.substr(debut, fin - debut);
        debut = fin + 1;
    }
}

// The warning of a count of 20.
const char *const VINGT = "1: 20 corps annoncés, 15 au plus : seuls les 15 premiers sont lus";

// The whole console text of a load, for a few data files.
struct Echo {
    const char *fichier;
    const char *suite;   // everything after the path line
    const char *err = ""; // the warnings, as for attentions()
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Echo &c, std::ostream *os) { *os << c.fichier; }

class LoaderEcho : public CoreTest, public ::testing::WithParamInterface<Echo> {};

TEST_P(LoaderEcho, PrintsExactlyThisOnStdoutAndStderr) {
    const std::string chemin = DONNEES + GetParam().fichier;
    Console c = charge_capture(chemin);
    EXPECT_EQ(c.out, BANNIERE + ligne_fichier(chemin) + GetParam().suite);
    EXPECT_EQ(c.err, attentions(chemin, GetParam().err));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoaderEcho,
    ::testing::Values(
        Echo{"deux_corps.txt", "un seul corps massif\n"
                               "2 corps \n"
                               "1 m=8.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000\n"
                               "2 m=0.010000 x= 20.000000 y=0.000000 xp=0.000000 yp=0.400000\n"
                               "dt=0.001000\n"},
        Echo{"zero.txt", "0 corps \n"
                         "dt=0.001000\n"},
        Echo{"trois_corps.txt", "3 corps \n"
                                "1 m=1000.000000 x= 0.000000 y=0.000000 xp=0.000000 yp=0.000000\n"
                                "2 m=1.500000 x= -12.500000 y=30.000000 xp=0.100000 yp=-0.500000\n"
                                "3 m=0.000000 x= 7.000000 y=8.000000 xp=1.000000 yp=2.000000\n"
                                "dt=0.001000\n"},
        Echo{"vingt.txt", "20 corps \n"
                          "TROP DE PLANETES\n"
                          "1 m=1.000000 x= 1.000000 y=-1.000000 xp=0.500000 yp=0.250000\n"
                          "2 m=2.000000 x= 2.000000 y=-2.000000 xp=0.500000 yp=0.250000\n"
                          "3 m=3.000000 x= 3.000000 y=-3.000000 xp=0.500000 yp=0.250000\n"
                          "4 m=4.000000 x= 4.000000 y=-4.000000 xp=0.500000 yp=0.250000\n"
                          "5 m=5.000000 x= 5.000000 y=-5.000000 xp=0.500000 yp=0.250000\n"
                          "6 m=6.000000 x= 6.000000 y=-6.000000 xp=0.500000 yp=0.250000\n"
                          "7 m=7.000000 x= 7.000000 y=-7.000000 xp=0.500000 yp=0.250000\n"
                          "8 m=8.000000 x= 8.000000 y=-8.000000 xp=0.500000 yp=0.250000\n"
                          "9 m=9.000000 x= 9.000000 y=-9.000000 xp=0.500000 yp=0.250000\n"
                          "10 m=10.000000 x= 10.000000 y=-10.000000 xp=0.500000 yp=0.250000\n"
                          "11 m=11.000000 x= 11.000000 y=-11.000000 xp=0.500000 yp=0.250000\n"
                          "12 m=12.000000 x= 12.000000 y=-12.000000 xp=0.500000 yp=0.250000\n"
                          "13 m=13.000000 x= 13.000000 y=-13.000000 xp=0.500000 yp=0.250000\n"
                          "14 m=14.000000 x= 14.000000 y=-14.000000 xp=0.500000 yp=0.250000\n"
                          "15 m=15.000000 x= 15.000000 y=-15.000000 xp=0.500000 yp=0.250000\n"
                          "dt=0.001000\n",
             VINGT}),
    [](const ::testing::TestParamInfo<Echo> &i) { return nom_de_cas(i.param.fichier, i.index); });

// A well-formed data file read the plain way, with the standard formatted
// input and the record formats themselves: what the loader must give for it,
// bit for bit, and the echo lines 6 to 10 it must print.
struct Lecture {
    int nb = 0, nbat = 0;
    double M[NSLOTS] = {}, X[NSLOTS] = {}, Y[NSLOTS] = {}, Z[NSLOTS] = {}, Xp[NSLOTS] = {}, Yp[NSLOTS] = {};
    std::string echo;
};

Lecture lecture_scanf(const std::string &chemin) {
    Lecture r;
    std::FILE *f = std::fopen(chemin.c_str(), "r");
    EXPECT_NE(f, nullptr) << chemin;
    if (!f) return r;
    long compte = 0;
    EXPECT_EQ(std::fscanf(f, "nb=%li\n", &compte), 1) << chemin;
    r.nb = static_cast<int>(compte < 0 ? -compte : compte);
    r.nbat = compte < 0 ? 1 : r.nb;
    EXPECT_LE(r.nb, NBMAX) << chemin;
    if (compte < 0) r.echo += "un seul corps massif\n";
    r.echo += std::to_string(r.nb) + " corps \n";
    char ligne[4096]; // six numbers of up to 316 digits
    for (int i = 1; i <= r.nb && i <= NBMAX; i++) {
        double w;
        EXPECT_EQ(std::fscanf(f, "m=%lf\n", &r.M[i]), 1) << chemin << " body " << i;
        EXPECT_EQ(std::fscanf(f, "x=%lf y=%lf z=%lf\n", &r.X[i], &r.Y[i], &r.Z[i]), 3) << chemin << " body " << i;
        EXPECT_EQ(std::fscanf(f, "u=%lf v=%lf w=%lf\n", &r.Xp[i], &r.Yp[i], &w), 3) << chemin << " body " << i;
        std::snprintf(ligne, sizeof ligne, "%d m=%lf x= %lf y=%lf xp=%lf yp=%lf\n", i, r.M[i], r.X[i], r.Y[i],
                      r.Xp[i], r.Yp[i]);
        r.echo += ligne;
    }
    EXPECT_EQ(std::fgetc(f), EOF) << chemin << ": text after the last body";
    std::fclose(f);
    std::snprintf(ligne, sizeof ligne, "dt=%lf\n", dt);
    r.echo += ligne;
    return r;
}

class LoaderPlain : public CoreTest {
protected:
    // Loads `chemin` and checks it against the plain reading: same counts, same
    // bits in every body field, same standard output, nothing on standard error.
    void charge_comme_scanf(const std::string &chemin) {
        SCOPED_TRACE(chemin);
        Lecture ref = lecture_scanf(chemin);
        Console c = charge_capture(chemin);
        EXPECT_EQ(c.out, BANNIERE + ligne_fichier(chemin) + ref.echo);
        EXPECT_EQ(c.err, "");
        EXPECT_EQ(nb, ref.nb);
        EXPECT_EQ(nbat, ref.nbat);
        const double *lus[] = {M, X, Y, Z, Xp, Yp};
        const double *attendus[] = {ref.M, ref.X, ref.Y, ref.Z, ref.Xp, ref.Yp};
        const char *noms[] = {"M", "X", "Y", "Z", "Xp", "Yp"};
        for (int k = 0; k < 6; k++)
            for (int i = 1; i <= ref.nb; i++)
                EXPECT_EQ(std::memcmp(&lus[k][i], &attendus[k][i], sizeof(double)), 0)
                    << noms[k] << "[" << i << "] = " << lus[k][i] << ", expected " << attendus[k][i];
    }
};

// Every preset and the default data file load exactly as the formats read
// them; the count covers the fifteen presets, so none is skipped unseen.
TEST_F(LoaderPlain, EveryPresetLoadsToTheBitsOfThePlainReading) {
    const std::string base = ORBELUNE_SOURCE_DIR "/data/";
    std::vector<std::string> chemins = {base + "donnees.txt"};
    DIR *d = opendir((base + "DONNEES").c_str());
    ASSERT_NE(d, nullptr);
    while (dirent *e = readdir(d))
        if (e->d_name[0] != '.') chemins.push_back(base + "DONNEES/" + e->d_name);
    closedir(d);
    EXPECT_EQ(chemins.size(), 16u);
    for (const std::string &chemin : chemins) {
        remet_a_zero();
        charge_comme_scanf(chemin);
    }
}

// Numerals the decimal conversion must round exactly as the formatted input
// does: halfway cases, subnormals, underflow to zero, long mantissas, every
// sign and exponent spelling, hexadecimal.  Each is written in every field.
TEST_F(LoaderPlain, NumeralsConvertToTheBitsOfThePlainReading) {
    const std::string longue = "0." + std::string(300, '3') + "e1";
    const char *chiffres[] = {
        "0.1", "-0", "+.5", "5.", "1E+2", "-1.5e-0", "1e0005", "00012", "0.01", "-21.45", "0.3612978419",
        "1e-320", "4.9406564584124654e-324", "2.4703282292062328e-324", "1e-400", "2.2250738585072011e-308",
        "1.7976931348623157e308", "9007199254740993", "0.1000000000000000055511151231257827021181583404541015625",
        "0x1.8p1", "0X.8P-2", "-0x10", longue.c_str(),
    };
    for (const char *n : chiffres) {
        remet_a_zero();
        std::string t = std::string("nb=1\nm=") + n + "\nx=" + n + " y=" + n + " z=" + n + "\nu=" + n + " v=" + n +
                        " w=" + n + "\n";
        charge_comme_scanf(ecrit(t));
    }
}

TEST_F(Loader, DtLineShowsTheCurrentTimeStepAndLoadKeepsIt) {
    dt = 0.002;
    Console c = charge_capture(DONNEES + "deux_corps.txt");
    EXPECT_EQ(c.out.substr(c.out.size() - 12), "dt=0.002000\n");
    EXPECT_EQ(dt, 0.002);
}

// The count rules: the count read with %i, its sign, and the cap at 15.
struct Compte {
    const char *ecrit;  // the count as written in the file
    int corps_lus;      // bodies that follow in the file
    int nb, nbat;       // after the load
    bool massif, trop;  // "un seul corps massif" / "TROP DE PLANETES"
    const char *ligne;  // the "%d corps " line
    const char *err;    // the warnings, as for attentions()
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Compte &c, std::ostream *os) { *os << c.ecrit; }

class LoaderCount : public CoreTest, public ::testing::WithParamInterface<Compte> {};

TEST_P(LoaderCount, SetsCountsAndReadsOnlyWhatFits) {
    const Compte &k = GetParam();
    // Every slot starts with a marker that a load of fewer bodies must keep.
    for (int i = 1; i < NSLOTS; i++) corps(i, -7, -7, -7, -7, -7);
    std::string texte = std::string("nb=") + k.ecrit + "\n";
    for (int i = 1; i <= k.corps_lus; i++) texte += enregistrements(i, 10 * i, 20 * i, 30 * i, i, -i, 0);
    Console c = charge_texte(texte);

    EXPECT_EQ(nb, k.nb);
    EXPECT_EQ(nbat, k.nbat);
    EXPECT_EQ(c.out.find("un seul corps massif\n") != std::string::npos, k.massif);
    EXPECT_EQ(c.out.find("TROP DE PLANETES\n") != std::string::npos, k.trop);
    EXPECT_NE(c.out.find(std::string("\n") + k.ligne + "\n"), std::string::npos) << c.out;
    EXPECT_EQ(c.err, attentions(dir + "/donnees.txt", k.err));
    for (int i = 1; i <= k.nb; i++) {
        EXPECT_EQ(M[i], i);
        EXPECT_EQ(X[i], 10 * i);
        EXPECT_EQ(Y[i], 20 * i);
        EXPECT_EQ(Z[i], 30 * i);
        EXPECT_EQ(Xp[i], i);
        EXPECT_EQ(Yp[i], -i);
    }
    for (int i = k.nb + 1; i < NSLOTS; i++) EXPECT_EQ(M[i], -7) << "slot " << i;
    EXPECT_EQ(M[0], 0.0);
    // One echo line per body read, no more.
    int echos = lignes(c.out) - 6 - 1 - 1 - 1 - (k.massif ? 1 : 0) - (k.trop ? 1 : 0);
    EXPECT_EQ(echos, k.nb);
}

INSTANTIATE_TEST_SUITE_P(Counts, LoaderCount,
    ::testing::Values(
        Compte{"-3", 3, 3, 1, true, false, "3 corps ", ""},
        Compte{"0", 2, 0, 0, false, false, "0 corps ", "2: texte en trop ignoré, le fichier annonce 0 corps : \"m=1\""},
        Compte{"010", 8, 8, 8, false, false, "8 corps ", ""},
        Compte{"0x3", 3, 3, 3, false, false, "3 corps ", ""},
        Compte{"15", 15, 15, 15, false, false, "15 corps ", ""},
        Compte{"20", 20, 15, 15, false, true, "20 corps ", VINGT},
        Compte{"-20", 20, 15, 1, true, true, "20 corps ", VINGT},
        Compte{"99999999999", 16, 15, 15, false, true, "2147483647 corps ",
               "1: 2147483647 corps annoncés, 15 au plus : seuls les 15 premiers sont lus"}),
    [](const ::testing::TestParamInfo<Compte> &i) { return nom_de_cas(std::string("count ") + i.param.ecrit, i.index); });

TEST_F(Loader, ZeroCountChangesNeitherBodiesNorTrails) {
    charge_capture(DONNEES + "deux_corps.txt");
    double **avant_tX = tX;
    tX[2][100] = 123.0;
    Instantane avant = Instantane::prend();
    charge_texte("nb=0\nm=5\nx=1 y=1 z=1\nu=1 v=1 w=1\n");
    EXPECT_EQ(nb, 0);
    EXPECT_EQ(nbat, 0);
    EXPECT_EQ(tX, avant_tX);
    EXPECT_EQ(tX[2][100], 123.0);
    EXPECT_TRUE(std::memcmp(M, avant.M, sizeof M) == 0);
    EXPECT_TRUE(std::memcmp(X, avant.X, sizeof X) == 0);
}

TEST_F(Loader, FirstLoadWithoutBodiesAllocatesNothing) {
    charge_texte("nb=0\n");
    EXPECT_EQ(tX, nullptr);
    EXPECT_EQ(initial, 1);
    EXPECT_EQ(niter, 0);
    charge_texte("nb=1\n" + enregistrements(1, 2, 3, 4, 5, 6, 7));
    EXPECT_NE(tX, nullptr);
    EXPECT_NE(tY, nullptr);
    EXPECT_EQ(initial, 0);
    EXPECT_EQ(niter, 500);
}

// Records on one line, spread over several lines, with blank lines between
// them or blanks after a label, all load the same.
TEST_F(Loader, RecordLayoutsLoadAlike) {
    const char *textes[] = {
        "nb=2\nm=3\nx=1.5 y=-2 z=4\nu=0.25 v=-0.5 w=9\nm=0.5\nx=10 y=20 z=30\nu=1 v=2 w=3\n",
        "nb=2 m=3 x=1.5 y=-2 z=4 u=0.25 v=-0.5 w=9 m=0.5 x=10 y=20 z=30 u=1 v=2 w=3",
        "nb=2\nm=3 x=1.5 y=-2 z=4 u=0.25 v=-0.5 w=9\nm=0.5 x=10 y=20 z=30 u=1 v=2 w=3\n",
        "nb=2\n\n\nm=3\n\n\nx=1.5\ny=-2\n\nz=4\n\nu=0.25\tv=-0.5 w=9\n\n\nm=0.5\n\nx=10 y=20 z=30\n\n\nu=1 v=2 w=3\n\n",
        "nb= 2\nm= 3\nx= 1.5 y= -2 z= 4\nu= +0.25 v= -5e-1 w= 9\nm= .5\nx= 1e1 y= 2E1 z= 30.\nu= 1 v= 2 w= 3\n",
    };
    for (const char *texte : textes) {
        remet_a_zero();
        Console c = charge_texte(texte);
        SCOPED_TRACE(texte);
        EXPECT_EQ(c.err, "");
        EXPECT_EQ(nb, 2);
        const double attendu[2][6] = {{3, 1.5, -2, 4, 0.25, -0.5}, {0.5, 10, 20, 30, 1, 2}};
        for (int i = 1; i <= 2; i++) {
            const double *a = attendu[i - 1];
            EXPECT_EQ(M[i], a[0]);
            EXPECT_EQ(X[i], a[1]);
            EXPECT_EQ(Y[i], a[2]);
            EXPECT_EQ(Z[i], a[3]);
            EXPECT_EQ(Xp[i], a[4]);
            EXPECT_EQ(Yp[i], a[5]);
        }
    }
}

TEST_F(Loader, ReloadCollapsesTrailsKeepsStepCounterAndReusesTheStore) {
    charge_capture(DONNEES + "deux_corps.txt");
    double **store[2] = {tX, tY};
    lect = 1;
    for (int b = 0; b < 40; b++) nextD();
    ASSERT_EQ(t, 2000);
    ASSERT_NE(tY[2][0], tY[2][NITER]); // the trail has moved
    px = 0.5;
    charge_capture(DONNEES + "deux_corps.txt");
    EXPECT_EQ(tX, store[0]);
    EXPECT_EQ(tY, store[1]);
    EXPECT_EQ(t, 2000);
    EXPECT_EQ(lect, 1);
    EXPECT_EQ(px, 0.0);
    for (int i = 1; i <= 2; i++)
        for (int j = 0; j <= NITER; j++) {
            ASSERT_EQ(tX[i][j], X[i]) << i << "," << j;
            ASSERT_EQ(tY[i][j], Y[i]) << i << "," << j;
        }
}

// A record that does not match keeps the previous values of the fields it
// could not read, and a warning names the body and the record.
TEST_F(Loader, MalformedRecordKeepsValuesAndWarnsNamingTheBody) {
    charge_texte("nb=2\n" + enregistrements(5, 1, 2, 3, 4, 6, 0) + enregistrements(7, 8, 9, 10, 11, 12, 0));
    // Body 1's position lacks z: x and y are read, z stays, the velocity
    // record after it still reads.  Body 2's mass is not a number: matching
    // stops there, so all of body 2's records keep their values.
    Console c = charge_texte("nb=2\nm=50\nx=-1 y=-2\nu=-4 v=-6 w=0\nm=abc\nx=-8 y=-9 z=-10\nu=-11 v=-12 w=0\n");
    EXPECT_EQ(M[1], 50);
    EXPECT_EQ(X[1], -1);
    EXPECT_EQ(Y[1], -2);
    EXPECT_EQ(Z[1], 3);
    EXPECT_EQ(Xp[1], -4);
    EXPECT_EQ(Yp[1], -6);
    EXPECT_EQ(M[2], 7);
    EXPECT_EQ(X[2], 8);
    EXPECT_EQ(Yp[2], 12);
    EXPECT_NE(c.err.find("corps 1"), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("x= y= z="), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("corps 2"), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("\"m=\""), std::string::npos) << c.err;
    // The echo shows the values the bodies really have.
    EXPECT_NE(c.out.find("2 m=7.000000 x= 8.000000 y=9.000000 xp=11.000000 yp=12.000000\n"), std::string::npos);
}

// Data files with the faults a teacher makes.  Before each load every field
// of every slot holds 7 and the count is 3, so a field the file does not set
// shows as 7; each case gives its warnings exactly (line, text) and the
// fields it sets or keeps, and no field may be left non-finite.
struct Champ {
    const double *tableau;
    int corps;
    double valeur;
};
struct Defaut {
    const char *nom;
    std::string texte;
    std::string err; // as for attentions()
    std::vector<Champ> champs;
};
void PrintTo(const Defaut &d, std::ostream *os) { *os << d.nom; }

class LoaderFault : public CoreTest, public ::testing::WithParamInterface<Defaut> {};

TEST_P(LoaderFault, WarnsWithLineAndTextAndLeavesFiniteState) {
    const Defaut &d = GetParam();
    for (double *a : {M, X, Y, Z, Xp, Yp})
        for (int i = 1; i < NSLOTS; i++) a[i] = 7;
    nb = nbat = 3;
    const std::string chemin = ecrit(d.texte);
    Console c = charge_capture(chemin);
    EXPECT_EQ(c.err, attentions(chemin, d.err));
    const char *noms[] = {"M", "X", "Y", "Z", "Xp", "Yp"};
    const double *tableaux[] = {M, X, Y, Z, Xp, Yp};
    for (int k = 0; k < 6; k++)
        for (int i = 0; i < NSLOTS; i++) EXPECT_TRUE(std::isfinite(tableaux[k][i])) << noms[k] << "[" << i << "]";
    for (const Champ &ch : d.champs) {
        int k = 0;
        while (k < 6 && tableaux[k] != ch.tableau) k++;
        EXPECT_EQ(ch.tableau[ch.corps], ch.valeur) << noms[k] << "[" << ch.corps << "]";
    }
}

const std::string CORPS1 = "m=5\nx=1 y=2 z=3\nu=4 v=6 w=8\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, LoaderFault,
    ::testing::Values(
        // A decimal comma is read as the point it stands for, in any field,
        // and the rest of the record still reads.
        Defaut{"comma in the mass", "nb=1\nm=0,01\nx=1 y=2 z=3\nu=4 v=6 w=8\n",
               "2: corps 1, \"m=0,01\" : virgule décimale : écrivez 0.01 (valeur prise : 0.01)",
               {{M, 1, 0.01}, {X, 1, 1}, {Xp, 1, 4}}},
        Defaut{"comma in y", "nb=1\nm=5\nx=1 y=-2,5 z=3\nu=4 v=6 w=8\n",
               "3: corps 1, \"y=-2,5\" : virgule décimale : écrivez -2.5 (valeur prise : -2.5)",
               {{X, 1, 1}, {Y, 1, -2.5}, {Z, 1, 3}, {Xp, 1, 4}}},
        Defaut{"comma in z before the line end", "nb=1\nm=5\nx=1 y=2 z=3,25\nu=4 v=6 w=8\n",
               "3: corps 1, \"z=3,25\" : virgule décimale : écrivez 3.25 (valeur prise : 3.25)",
               {{Z, 1, 3.25}, {Xp, 1, 4}}},
        Defaut{"commas in u and w with exponent", "nb=1\nm=5\nx=1 y=2 z=3\nu=1,5e2 v=6 w=0,5\n",
               "4: corps 1, \"u=1,5e2\" : virgule décimale : écrivez 1.5e2 (valeur prise : 1.5e2)\n"
               "4: corps 1, \"w=0,5\" : virgule décimale : écrivez 0.5 (valeur prise : 0.5)",
               {{Xp, 1, 150}, {Yp, 1, 6}}},
        Defaut{"comma in the second body, records on one line",
               "nb=2 m=5 x=1 y=2 z=3 u=4 v=6 w=8 m=0,01 x=9 y=9 z=9 u=9 v=9 w=9",
               "1: corps 2, \"m=0,01\" : virgule décimale : écrivez 0.01 (valeur prise : 0.01)",
               {{M, 1, 5}, {M, 2, 0.01}, {X, 2, 9}, {Yp, 2, 9}}},
        // A comma between fields is no decimal comma: the record stops there.
        Defaut{"comma as a separator", "nb=1\nm=5\nx=1, y=2, z=3\nu=4 v=6 w=8\n",
               "3: corps 1, enregistrement \"x= y= z=\" illisible ou incomplet : \"y=\" attendu, trouvé \", y=2, z=3\"\n"
               "3: lecture bloquée sur ce texte : 1 autre enregistrement non lu (corps 1), ses champs gardent leur "
               "valeur précédente",
               {{X, 1, 1}, {Y, 1, 7}, {Xp, 1, 7}}},
        // Values that are not finite are passed over; the field keeps its value.
        Defaut{"nan", "nb=1\nm=5\nx=nan y=2 z=3\nu=4 v=6 w=8\n",
               "3: corps 1, \"x=nan\" : valeur non finie refusée, le champ garde sa valeur précédente",
               {{X, 1, 7}, {Y, 1, 2}, {Z, 1, 3}}},
        Defaut{"inf and infinity, any case", "nb=1\nm=5\nx=1 y=2 z=3\nu=-inf v=6 w=INFINITY\n",
               "4: corps 1, \"u=-inf\" : valeur non finie refusée, le champ garde sa valeur précédente\n"
               "4: corps 1, \"w=INFINITY\" : valeur non finie refusée, le champ garde sa valeur précédente",
               {{Xp, 1, 7}, {Yp, 1, 6}}},
        Defaut{"1e999 and a nan with payload", "nb=1\nm=1e999\nx=1 y=-1E999 z=NaN(12)\nu=4 v=6 w=8\n",
               "2: corps 1, \"m=1e999\" : valeur non finie refusée, le champ garde sa valeur précédente\n"
               "3: corps 1, \"y=-1E999\" : valeur non finie refusée, le champ garde sa valeur précédente\n"
               "3: corps 1, \"z=NaN(12)\" : valeur non finie refusée, le champ garde sa valeur précédente",
               {{M, 1, 7}, {X, 1, 1}, {Y, 1, 7}, {Z, 1, 7}, {Xp, 1, 4}}},
        // The end of the file says how many bodies were read, on the last
        // line that holds text.
        Defaut{"file ends between bodies", "nb=3\n" + CORPS1 + "\n\n",
               "4: fin du fichier : 1 corps lu sur 3 attendus, les champs manquants gardent leur valeur précédente",
               {{M, 1, 5}, {M, 2, 7}, {M, 3, 7}}},
        Defaut{"file ends inside a record", "nb=-2\n" + CORPS1 + "m=2\nx=1",
               "6: fin du fichier : 1 corps lu sur 2 attendus, les champs manquants gardent leur valeur précédente",
               {{M, 2, 2}, {X, 2, 1}, {Y, 2, 7}}},
        Defaut{"file ends before the first body", "nb=1",
               "1: fin du fichier : 0 corps lu sur 1 attendu, les champs manquants gardent leur valeur précédente",
               {{M, 1, 7}}},
        // A record on the wrong line: the warning names the line it is on,
        // the record after it still reads, and what is left over is named.
        Defaut{"velocity before position", "nb=1\nm=5\nu=4 v=6 w=8\nx=1 y=2 z=3\n",
               "3: corps 1, enregistrement \"x= y= z=\" illisible ou incomplet : \"x=\" attendu, trouvé \"u=4 v=6 w=8\"\n"
               "4: texte en trop ignoré, le fichier annonce 1 corps : \"x=1 y=2 z=3\"",
               {{M, 1, 5}, {X, 1, 7}, {Xp, 1, 4}}},
        Defaut{"one body too many", "nb=1\n" + CORPS1 + "m=9\nx=9 y=9 z=9\nu=9 v=9 w=9\n",
               "5: texte en trop ignoré, le fichier annonce 1 corps : \"m=9\"", {{M, 1, 5}, {M, 2, 7}}},
        // A mistyped label stops every record after it at the same place:
        // one warning for the text, one line for the records it blocks.
        Defaut{"capital label", "nb=2\nm=5\nX=1 y=2 z=3\nu=4 v=6 w=8\n" + CORPS1,
               "3: corps 1, enregistrement \"x= y= z=\" illisible ou incomplet : \"x=\" attendu, trouvé \"X=1 y=2 z=3\"\n"
               "3: lecture bloquée sur ce texte : 4 autres enregistrements non lus (corps 1 à 2), leurs champs "
               "gardent leur valeur précédente",
               {{M, 1, 5}, {X, 1, 7}, {M, 2, 7}}},
        Defaut{"no number", "nb=1\nm=\nx=1 y=2 z=3\nu=4 v=6 w=8\n",
               "3: corps 1, enregistrement \"m=\" illisible ou incomplet : nombre attendu après \"m=\", trouvé \"x=1 y=2 "
               "z=3\"",
               {{M, 1, 7}, {X, 1, 1}, {Xp, 1, 4}}},
        Defaut{"count misspelt", "nombre=2\n" + CORPS1,
               "1: enregistrement \"nb=\" illisible, nombre de corps inchangé : \"nb=\" attendu, trouvé \"nombre=2\"\n"
               "1: lecture bloquée sur ce texte : 9 autres enregistrements non lus (corps 1 à 3), leurs champs "
               "gardent leur valeur précédente",
               {{M, 1, 7}}},
        Defaut{"count not a number", "nb=deux\n",
               "1: enregistrement \"nb=\" illisible, nombre de corps inchangé : nombre entier attendu après \"nb=\", "
               "trouvé \"deux\"\n"
               "1: lecture bloquée sur ce texte : 9 autres enregistrements non lus (corps 1 à 3), leurs champs "
               "gardent leur valeur précédente",
               {}},
        Defaut{"empty file", "",
               "1: enregistrement \"nb=\" illisible, nombre de corps inchangé : fichier vide\n"
               "1: fin du fichier : 0 corps lu sur 3 attendus, les champs manquants gardent leur valeur précédente",
               {}},
        // Quoted text: control characters and bytes that are not UTF-8 made
        // visible, UTF-8 kept, a line end's carriage return dropped, cut after
        // 40 bytes.
        Defaut{"control characters", "nb=1\r\nm=\x01\tabc\"\\\xe9\xc3\xa9\r\n",
               "2: corps 1, enregistrement \"m=\" illisible ou incomplet : nombre attendu après \"m=\", trouvé "
               "\"\\x01\\tabc\\\"\\\\\\xe9é\"\n"
               "2: lecture bloquée sur ce texte : 2 autres enregistrements non lus (corps 1), leurs champs gardent "
               "leur valeur précédente",
               {}},
        Defaut{"long line", "nb=1\nm=" + std::string(39, 'a') + "é and more\n",
               "2: corps 1, enregistrement \"m=\" illisible ou incomplet : nombre attendu après \"m=\", trouvé \"" +
                   std::string(39, 'a') + "...\"\n"
               "2: lecture bloquée sur ce texte : 2 autres enregistrements non lus (corps 1), leurs champs gardent "
               "leur valeur précédente",
               {}},
        // A byte-order mark and blank lines before the count are passed; the
        // lines still count from the top of the file.
        Defaut{"byte-order mark and blank lines first", "\xEF\xBB\xBF\n\nnb=1\nm=0,5\nx=1 y=2 z=3\nu=4 v=6 w=8\n",
               "4: corps 1, \"m=0,5\" : virgule décimale : écrivez 0.5 (valeur prise : 0.5)", {{M, 1, 0.5}}}),
    [](const ::testing::TestParamInfo<Defaut> &i) { return nom_de_cas(i.param.nom, i.index); });

TEST_F(Loader, UnreadableCountKeepsTheBodyCount) {
    charge_capture(DONNEES + "trois_corps.txt");
    Console c = charge_texte("nombre=2\n");
    EXPECT_EQ(nb, 3);
    EXPECT_NE(c.err.find("nb="), std::string::npos) << c.err;
}

// A data file that cannot be used leaves every piece of state as it was,
// the thrust included, and says so in one French line naming the path.
TEST_F(Loader, UnusableFileChangesNoStateAndPrintsOneLine) {
    charge_capture(DONNEES + "trois_corps.txt");
    lect = 1;
    for (int b = 0; b < 25; b++) nextD();
    px = 0.5;
    nbat = 1;
    mkdir((dir + "/un dossier").c_str(), 0700);
    const std::string chemins[] = {dir + "/absent/donnees.txt", dir + "/un dossier"};
    for (const std::string &chemin : chemins) {
        SCOPED_TRACE(chemin);
        Instantane avant = Instantane::prend();
        Console c = charge_capture(chemin);
        EXPECT_TRUE(Instantane::prend() == avant);
        EXPECT_EQ(lignes(c.err), 1);
        EXPECT_EQ(c.err.rfind("attention: impossible d", 0), 0u) << c.err;
        EXPECT_EQ(c.err.back(), '\n');
        EXPECT_NE(c.err.find(" " + chemin + " "), std::string::npos) << c.err;
        EXPECT_NE(c.err.find("le scenario precedent est conserve"), std::string::npos) << c.err;
    }
}

TEST_F(Loader, InitReadsDonneesTxtInTheBaseDirectory) {
    ecrit("nb=1\n" + enregistrements(2, 3, 4, 5, 6, 7, 8));
    std::snprintf(ici, sizeof ici, "%s/", dir.c_str());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(init(), 0);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find(ligne_fichier(dir + "/donnees.txt")), std::string::npos) << out;
    EXPECT_EQ(nb, 1);
    EXPECT_EQ(X[1], 3);
}

TEST_F(Loader, InitWithABaseTooLongForThePathChangesNothing) {
    std::memset(ici, 'a', sizeof ici - 2);
    ici[sizeof ici - 2] = '/';
    ici[sizeof ici - 1] = '\0';
    Instantane avant = Instantane::prend();
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    init();
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Instantane::prend() == avant);
    EXPECT_EQ(lignes(err), 1) << err;
    EXPECT_EQ(err.rfind("attention: ", 0), 0u) << err;
}

} // namespace
