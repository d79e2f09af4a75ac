// lot.cpp — the portable path of accelerations() and the choice of path at
// the first call (see lot.h).
#include "lot.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---- portable path: 2 lanes ------------------------------------------------
#define W 2
typedef double V __attribute__((vector_size(2 * sizeof(double))));
namespace {
inline V racine(V v) {
#if defined(__SSE2__)
    return _mm_sqrt_pd(v);
#else
    V r;
    for (int l = 0; l < W; l++) r[l] = __builtin_sqrt(v[l]);
    return r;
#endif
}
} // namespace
#define NOM_NOYAU accelerationsPortable
#include "lot_noyau.h"
#undef NOM_NOYAU
#undef W

// ---- choice of path ----------------------------------------------------------

#if defined(ORBELUNE_LOT_X86)
void accelerationsAvx2(int, int, const double *, const double *, const double *, double *, double *);
#endif

namespace {

CheminLot disponibles[2];
int nombre = 0;
NoyauAccelerations choisi = nullptr;

void recense() {
    if (nombre) return;
    disponibles[nombre++] = {"portable", accelerationsPortable};
#if defined(ORBELUNE_LOT_X86)
    __builtin_cpu_init();
    // The batch waits on the divider, which takes as many doubles a cycle
    // from 2, 4 or 8 lanes: wider than AVX2 measured no faster (AVX-512 took
    // 66 us a 15-body batch against 60 us here), so there is no such path.
    if (__builtin_cpu_supports("avx2")) disponibles[nombre++] = {"avx2", accelerationsAvx2};
#endif
    choisi = disponibles[nombre - 1].noyau;
}

} // namespace

int cheminsLot(const CheminLot **chemins) {
    recense();
    *chemins = disponibles;
    return nombre;
}

bool choisitCheminLot(const char *nom) {
    recense();
    for (int k = 0; k < nombre; k++)
        if (std::strcmp(disponibles[k].nom, nom) == 0) {
            choisi = disponibles[k].noyau;
            return true;
        }
    return false;
}

void accelerations(int nb, int n, const double *masses, const double *xs, const double *ys, double *ax,
                   double *ay) {
    if (!choisi) recense();
    choisi(nb, n, masses, xs, ys, ax, ay);
}
