// core_state.h — test fixture for the simulation core.
//
// The simulator keeps all its state in globals, so every test starts from the
// program's start-up values: CoreTest::SetUp puts them back (the trail store
// is released and `initial` set to 1 again, so a test sees the first load).
// It also gives each test a private directory for data files, removed
// afterwards, and helpers to load a text as a scenario with the console
// captured.
#ifndef ORBELUNE_TEST_CORE_STATE_H
#define ORBELUNE_TEST_CORE_STATE_H

#include "arrays.h"
#include "noms.h"
#include "orbelune.h"
#include "simulation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Everything a load or a batch may write, copied so that two moments can be
// compared bit for bit (NaN-safe).
struct Instantane {
    int nb, nbat, t, lect, niter, initial;
    double dt, px;
    double M[NSLOTS], X[NSLOTS], Y[NSLOTS], Z[NSLOTS], Xp[NSLOTS], Yp[NSLOTS];
    double **tX, **tY;
    std::vector<double> trainees;

    static Instantane prend() {
        Instantane s;
        s.nb = ::nb; s.nbat = ::nbat; s.t = ::t; s.lect = ::lect; s.niter = ::niter; s.initial = ::initial;
        s.dt = ::dt; s.px = ::px;
        std::memcpy(s.M, ::M, sizeof s.M); std::memcpy(s.X, ::X, sizeof s.X); std::memcpy(s.Y, ::Y, sizeof s.Y);
        std::memcpy(s.Z, ::Z, sizeof s.Z); std::memcpy(s.Xp, ::Xp, sizeof s.Xp); std::memcpy(s.Yp, ::Yp, sizeof s.Yp);
        s.tX = ::tX; s.tY = ::tY;
        if (::tX)
            for (double **m : {::tX, ::tY})
                s.trainees.insert(s.trainees.end(), &m[0][0], &m[0][0] + NSLOTS * (NITER + 1));
        return s;
    }
    bool operator==(const Instantane &o) const {
        return nb == o.nb && nbat == o.nbat && t == o.t && lect == o.lect && niter == o.niter &&
               initial == o.initial && std::memcmp(&dt, &o.dt, sizeof dt) == 0 &&
               std::memcmp(&px, &o.px, sizeof px) == 0 && std::memcmp(M, o.M, sizeof M) == 0 &&
               std::memcmp(X, o.X, sizeof X) == 0 && std::memcmp(Y, o.Y, sizeof Y) == 0 &&
               std::memcmp(Z, o.Z, sizeof Z) == 0 && std::memcmp(Xp, o.Xp, sizeof Xp) == 0 &&
               std::memcmp(Yp, o.Yp, sizeof Yp) == 0 && tX == o.tX && tY == o.tY &&
               trainees.size() == o.trainees.size() &&
               (trainees.empty() ||
                std::memcmp(trainees.data(), o.trainees.data(), trainees.size() * sizeof(double)) == 0);
    }
};

struct Console {
    std::string out, err;
};

class CoreTest : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override {
        remet_a_zero();
        char modele[] = "/tmp/orbelune-test-XXXXXX";
        ASSERT_NE(mkdtemp(modele), nullptr);
        dir = modele;
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        remet_a_zero();
    }

    // The start-up values of the simulation state.
    static void remet_a_zero() {
        if (tX) free_dmatrix(tX, 0, NBMAX, 0, NITER);
        if (tY) free_dmatrix(tY, 0, NBMAX, 0, NITER);
        tX = tY = nullptr;
        initial = 1;
        niter = 0;
        nb = nbat = 0;
        for (double *a : {M, X, Y, Z, Xp, Yp}) std::memset(a, 0, NSLOTS * sizeof(double));
        dt = 0.001;
        t = 0;
        lect = 0;
        px = 0.0;
        ici[0] = '\0';
    }

    // Writes `texte` to `nom` in the test's directory and returns the path.
    std::string ecrit(const std::string &texte, const std::string &nom = "donnees.txt") {
        std::string chemin = dir + "/" + nom;
        std::FILE *f = std::fopen(chemin.c_str(), "w");
        EXPECT_NE(f, nullptr) << chemin;
        if (f) {
            std::fwrite(texte.data(), 1, texte.size(), f);
            std::fclose(f);
        }
        return chemin;
    }

    // Loads the file at `chemin` with the console captured.
    static Console charge_capture(const std::string &chemin) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        charge(chemin.c_str());
        Console c;
        c.out = ::testing::internal::GetCapturedStdout();
        c.err = ::testing::internal::GetCapturedStderr();
        return c;
    }
    Console charge_texte(const std::string &texte) { return charge_capture(ecrit(texte)); }

    // Places body i directly, for the tests of the accelerations and batches.
    static void corps(int i, double m, double x, double y, double xp, double yp) {
        M[i] = m; X[i] = x; Y[i] = y; Xp[i] = xp; Yp[i] = yp;
    }
    // Sets the counts and gives the bodies a trail store as a load would.
    static void scenario(int n, int attirants) {
        nb = n;
        nbat = attirants;
        niter = NITER;
        if (!tX) {
            tX = dmatrix(0, NBMAX, 0, niter);
            tY = dmatrix(0, NBMAX, 0, niter);
            initial = 0;
        }
        for (int i = 1; i <= n; i++)
            for (int j = 0; j <= niter; j++) {
                tX[i][j] = X[i];
                tY[i][j] = Y[i];
            }
    }
};

// One body's three records in the data file's own layout.
inline std::string enregistrements(double m, double x, double y, double z, double u, double v, double w) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "m=%.17g\nx=%.17g y=%.17g z=%.17g\nu=%.17g v=%.17g w=%.17g\n", m, x, y, z,
                  u, v, w);
    return buf;
}

#endif
