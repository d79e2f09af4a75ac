// test_determinism.cpp — the same scenario gives the same figures, to the
// bit: within one build (in this process and in the trace tool), and against
// the values kept in the repository, which every processor and compiler must
// reproduce exactly since the physics uses only correctly rounded operations.
//
// tests/unit/data/core/stable_reference.csv was written by
//   orbelune-trace --batches 2000 --every 1000 tests/unit/data/core/stable.txt
// (17 significant digits, which read back to the same double) and is only to
// be regenerated after a deliberate change of the figures.
#include "core_state.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace {

const std::string DONNEES = ORBELUNE_SOURCE_DIR "/tests/unit/data/core/";

struct Etat {
    int nb, t;
    std::vector<double> valeurs; // m, x, y, xp, yp of bodies 1..nb
};

Etat etat() {
    Etat e{nb, t, {}};
    for (int i = 1; i <= nb; i++)
        for (double v : {M[i], X[i], Y[i], Xp[i], Yp[i]}) e.valeurs.push_back(v);
    return e;
}

class Determinism : public CoreTest {
protected:
    Etat lance(const std::string &fichier, int batches) {
        remet_a_zero();
        charge_capture(fichier);
        for (int b = 0; b < batches; b++) nextD();
        return etat();
    }
};

TEST_F(Determinism, FifteenBodiesTwiceGiveIdenticalBits) {
    const std::string f = DONNEES + "quinze.txt";
    Etat a = lance(f, 2000);
    Etat b = lance(f, 2000);
    ASSERT_EQ(a.nb, 15);
    ASSERT_EQ(nbat, 15);
    ASSERT_EQ(a.valeurs.size(), b.valeurs.size());
    EXPECT_EQ(std::memcmp(a.valeurs.data(), b.valeurs.data(), a.valeurs.size() * sizeof(double)), 0);
    EXPECT_EQ(a.t, b.t);
    // The run went somewhere: every body has moved from its start.
    Etat depart = lance(f, 0);
    for (size_t k = 0; k < a.valeurs.size(); k += 5) EXPECT_NE(a.valeurs[k + 1], depart.valeurs[k + 1]);

    // The trace tool, another process on the same core, ends on the same bits.
    std::string cmd = std::string("'") + ORBELUNE_TRACE + "' --batches 2000 --every 2000 '" + f + "' 2>/dev/null";
    std::FILE *p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<double> outil;
    char ligne[1024];
    while (std::fgets(ligne, sizeof ligne, p)) {
        long batch;
        int tt, corps;
        double v[5];
        if (std::sscanf(ligne, "%ld,%d,%d,%lf,%lf,%lf,%lf,%lf", &batch, &tt, &corps, &v[0], &v[1], &v[2], &v[3],
                        &v[4]) == 8 &&
            batch == 2000)
            outil.insert(outil.end(), v, v + 5);
    }
    int statut = pclose(p);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
    ASSERT_EQ(outil.size(), a.valeurs.size());
    EXPECT_EQ(std::memcmp(a.valeurs.data(), outil.data(), outil.size() * sizeof(double)), 0);
}

TEST_F(Determinism, StableScenarioEndsOnTheKeptValues) {
    // batch -> rows of the reference, in body order
    std::map<long, std::vector<std::vector<double>>> reference;
    std::ifstream f(DONNEES + "stable_reference.csv");
    std::string l;
    ASSERT_TRUE(std::getline(f, l));
    while (std::getline(f, l)) {
        std::stringstream s(l);
        std::vector<double> c;
        for (std::string champ; std::getline(s, champ, ',');) c.push_back(std::strtod(champ.c_str(), nullptr));
        ASSERT_EQ(c.size(), 8u) << l;
        reference[static_cast<long>(c[0])].push_back(c);
    }
    ASSERT_EQ(reference.size(), 3u);

    remet_a_zero();
    charge_capture(DONNEES + "stable.txt");
    for (long b = 0; b <= 2000; b++) {
        if (b > 0) nextD();
        auto r = reference.find(b);
        if (r == reference.end()) continue;
        ASSERT_EQ(static_cast<int>(r->second.size()), nb);
        for (const std::vector<double> &c : r->second) {
            int i = static_cast<int>(c[2]);
            SCOPED_TRACE("batch " + std::to_string(b) + " body " + std::to_string(i));
            EXPECT_EQ(t, static_cast<int>(c[1]));
            const double v[5] = {M[i], X[i], Y[i], Xp[i], Yp[i]};
            for (int k = 0; k < 5; k++)
                EXPECT_EQ(std::memcmp(&v[k], &c[3 + k], sizeof v[k]), 0)
                    << "field " << k << ": " << v[k] << " against the kept " << c[3 + k];
        }
    }
    // The orbits stayed orbits: body 2 keeps close to its radius of 20 about
    // body 1, whatever the stored figures say.
    double r = std::hypot(X[2] - X[1], Y[2] - Y[1]);
    EXPECT_NEAR(r, 20.0, 0.5);
}

} // namespace
