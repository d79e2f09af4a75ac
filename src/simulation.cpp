// simulation.cpp — scenario loader, attraction, time stepping, absorption and
// trails.  The arithmetic keeps the order and grouping of the formulas, and
// every power is correctly rounded (square roots by sqrt, M[1]^0.333 by
// puissance0333), so a scenario gives the same figures wherever it runs.
#include "simulation.h"

#include "arrays.h"
#include "lecture.h"
#include "lot.h"
#include "orbelune.h"
#include "puissance.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The step counter wraps here, a multiple of both 50 and 1000, so neither the
// batch ends nor the trail rhythm notice when it comes back to 0.
const int T_WRAP = 2147483000;

// Three author-credit lines of the banner, padded to 37 columns like the
// lines around them.
const char *const CREDITS[3] = {
    " Orbelune, simulateur pedagogique",
    " points massifs, G = 1, plan x-y",
    " pour la classe et le projecteur",
};

// One line on standard error when the data file cannot be used at all; the
// previous scenario, thrust included, stays as it was.
void conserve(const char *quoi, const char *chemin) {
    std::fprintf(stderr, "%s%s le fichier de donnees %s : le scenario precedent est conserve\n", PREFIXE_ATTENTION,
                 quoi, chemin);
}

// Pair term of the attraction in the grouping of the formula; 0 when the two
// bodies coincide (r2 = 0 has no direction and no finite value).
inline double pair(double m, double r2, double d) {
    if (r2 == 0.0) return 0.0;
    double r = std::sqrt(r2);
    return (-(m / r2) * d) / r;
}

// Thrust term of body 2 along v; 0 when the speed is 0 (no direction).
inline double poussee(double thrust, double vc, double vx, double vy) {
    double speed = std::sqrt(vx * vx + vy * vy);
    if (speed == 0.0) return 0.0;
    return (thrust * vc) / speed;
}

} // namespace

int charge(const char *chemin) {
    std::printf("go! go! go! go! go!  \n");
    std::printf(" Simulateur de Gravite               \n");
    for (const char *c : CREDITS) std::printf("%-37s\n", c);
    std::printf("menu contextuel pour lancer le calcul\n");
    std::printf("fichier de donnees:   %s!   \n", chemin);

    std::FILE *f = std::fopen(chemin, "r");
    if (!f) {
        conserve("impossible d'ouvrir", chemin);
        return 0;
    }

    // The count is read wide, then clamped: a count too large for an int
    // cannot overflow, and its negation always exists.  A file that opens
    // but cannot be read (a directory) is treated like one that cannot be
    // opened: nothing has been changed yet.
    if (!lecture_debut(f, chemin)) {
        std::fclose(f);
        conserve("impossible de lire", chemin);
        return 0;
    }
    long long compte = nb;
    lecture_compte(&compte);
    long ligne_compte = lecture_ligne_champ();
    if (compte > INT_MAX) compte = INT_MAX;
    if (compte < -INT_MAX) compte = -INT_MAX;
    nb = static_cast<int>(compte);

    if (nb < 0) {
        nb = -nb;
        nbat = 1;
        std::printf("un seul corps massif\n");
    } else {
        nbat = nb;
    }
    std::printf("%d corps \n", nb);
    bool plafonne = nb > NBMAX;
    if (plafonne) {
        std::printf("TROP DE PLANETES\n");
        lecture_attention(ligne_compte, "%d corps annoncés, %d au plus : seuls les %d premiers sont lus", nb, NBMAX,
                          NBMAX);
        nb = NBMAX;
        if (nbat > NBMAX) nbat = NBMAX;
    }

    px = 0.0;

    if (nb > 0) {
        niter = NITER;
        if (initial == 1) {
            tX = dmatrix(0, NBMAX, 0, niter);
            tY = dmatrix(0, NBMAX, 0, niter);
            initial = 0;
        }
        for (int i = 1; i <= nb; i++) {
            double w = 0.0;
            double *const masse[] = {&M[i]};
            double *const position[] = {&X[i], &Y[i], &Z[i]};
            double *const vitesse[] = {&Xp[i], &Yp[i], &w};
            lecture_enregistrement(i, "m=%lf\n", masse);
            lecture_enregistrement(i, "x=%lf y=%lf z=%lf\n", position);
            lecture_enregistrement(i, "u=%lf v=%lf w=%lf\n", vitesse);
            std::printf("%d m=%lf x= %lf y=%lf xp=%lf yp=%lf\n", i, M[i], X[i], Y[i], Xp[i], Yp[i]);
            for (int j = 0; j <= niter; j++) {
                tX[i][j] = X[i];
                tY[i][j] = Y[i];
            }
        }
    }

    lecture_fin(nb, plafonne);
    std::fclose(f);
    std::printf("dt=%lf\n", dt);
    return 0;
}

int init() {
    static const char nom[] = "donnees.txt";
    char chemin[256];
    int n = std::snprintf(chemin, sizeof chemin, "%s%s", ici, nom);
    if (n < 0 || static_cast<size_t>(n) >= sizeof chemin) {
        std::fprintf(stderr, "%schemin du fichier de donnees trop long : le scenario precedent est conserve\n",
                     PREFIXE_ATTENTION);
        return 0;
    }
    return charge(chemin);
}

double Fx(int i, int n, const double *masses, const double *xs, const double *ys, const double *vxs,
          const double *vys, double thrust) {
    double somme = 0.0;
    for (int j = 1; j <= n; j++) {
        if (j == i) continue;
        double dx = xs[i] - xs[j];
        double dy = ys[i] - ys[j];
        double r2 = dx * dx + dy * dy;
        somme += pair(masses[j], r2, dx);
    }
    if (i == 2) somme += poussee(thrust, vxs[2], vxs[2], vys[2]);
    return somme;
}

double Fy(int i, int n, const double *masses, const double *xs, const double *ys, const double *vxs,
          const double *vys, double thrust) {
    double somme = 0.0;
    for (int j = 1; j <= n; j++) {
        if (j == i) continue;
        double dx = xs[i] - xs[j];
        double dy = ys[i] - ys[j];
        double r2 = dx * dx + dy * dy;
        somme += pair(masses[j], r2, dy);
    }
    if (i == 2) somme += poussee(thrust, vys[2], vxs[2], vys[2]);
    return somme;
}

namespace {

// One more step on the counter, wrapping at T_WRAP.
inline void compteUnPas() { t = (t >= T_WRAP - 1) ? t - (T_WRAP - 1) : t + 1; }

// Body 2's thrust, added last to its accelerations as Fx and Fy add it,
// along the velocity vxs[2], vys[2] of the stage.
inline void ajoutePoussee(double *ax, double *ay, const double *vxs, const double *vys) {
    if (nb < 2) return;
    ax[2] += poussee(px, vxs[2], vxs[2], vys[2]);
    ay[2] += poussee(px, vys[2], vxs[2], vys[2]);
}

// The end of every batch, whichever way its steps were computed.
void finDeLot() {
    px = 0.0;
    collision();
    if (t % SAMPLE_EVERY == 0) echantillonne();
}

} // namespace

void nextDReference() {
    // Mid-step state of one step; nothing carries from one step to the next.
    double xm[NSLOTS] = {0}, ym[NSLOTS] = {0}, xpm[NSLOTS] = {0}, ypm[NSLOTS] = {0};
    for (int s = 0; s < NSTEPS; s++) {
        compteUnPas();
        for (int j = 1; j <= nb; j++) {
            double ax = Fx(j, nbat, M, X, Y, Xp, Yp, px);
            xpm[j] = Xp[j] + (ax * dt) * 0.5;
            double ay = Fy(j, nbat, M, X, Y, Xp, Yp, px);
            ypm[j] = Yp[j] + (ay * dt) * 0.5;
            xm[j] = X[j] + (dt * 0.5) * xpm[j];
            ym[j] = Y[j] + (dt * 0.5) * ypm[j];
        }
        for (int j = 1; j <= nb; j++) {
            double ax = Fx(j, nbat, M, xm, ym, xpm, ypm, px);
            Xp[j] = Xp[j] + ax * dt;
            double ay = Fy(j, nbat, M, xm, ym, xpm, ypm, px);
            Yp[j] = Yp[j] + ay * dt;
            X[j] = X[j] + dt * Xp[j];
            Y[j] = Y[j] + dt * Yp[j];
        }
    }
    finDeLot();
}

void nextD() {
    // The reference batch's arithmetic, with each stage's accelerations
    // computed for all bodies at once (src/lot.h); the updates read the
    // accelerations in the same order as the reference, so the bits agree.
    double xm[NSLOTS] = {0}, ym[NSLOTS] = {0}, xpm[NSLOTS] = {0}, ypm[NSLOTS] = {0};
    double ax[NSLOTS], ay[NSLOTS];
    for (int s = 0; s < NSTEPS; s++) {
        compteUnPas();
        accelerations(nb, nbat, M, X, Y, ax, ay);
        ajoutePoussee(ax, ay, Xp, Yp);
        for (int j = 1; j <= nb; j++) {
            xpm[j] = Xp[j] + (ax[j] * dt) * 0.5;
            ypm[j] = Yp[j] + (ay[j] * dt) * 0.5;
            xm[j] = X[j] + (dt * 0.5) * xpm[j];
            ym[j] = Y[j] + (dt * 0.5) * ypm[j];
        }
        accelerations(nb, nbat, M, xm, ym, ax, ay);
        ajoutePoussee(ax, ay, xpm, ypm);
        for (int j = 1; j <= nb; j++) {
            Xp[j] = Xp[j] + ax[j] * dt;
            Yp[j] = Yp[j] + ay[j] * dt;
            X[j] = X[j] + dt * Xp[j];
            Y[j] = Y[j] + dt * Yp[j];
        }
    }
    finDeLot();
}

void collision() {
    // The radius depends on M[1] alone, which the loop never changes.
    double R = puissance0333(M[1]);
    for (int j = 2; j <= nb; j++) {
        double dx = X[1] - X[j];
        double dy = Y[1] - Y[j];
        double d = std::sqrt(dx * dx + dy * dy);
        if (d < R) {
            M[j] = 0;
            X[j] = 1e12;
            Y[j] = 1e7;
        }
    }
}

void echantillonne() {
    for (int j = 1; j <= nb; j++) {
        double *rx = tX[j];
        double *ry = tY[j];
        rx[niter] = (M[j] > 0) ? X[j] : rx[niter - 1];
        ry[niter] = (M[j] > 0) ? Y[j] : ry[niter - 1];
        for (int k = 0; k < niter; k++) {
            rx[k] = rx[k + 1];
            ry[k] = ry[k + 1];
        }
    }
}
