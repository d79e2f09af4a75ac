// lot_avx512.cpp — the AVX-512 path of accelerations() (8 lanes, see lot.h).
// Compiled with -mavx512f and called only when the processor has AVX-512F.
#include <immintrin.h>

#define W 8
typedef double V __attribute__((vector_size(8 * sizeof(double))));
namespace {
// The masked form with every lane set: the unmasked one trips a false
// "may be used uninitialized" warning in GCC 12.
inline V racine(V v) { return _mm512_mask_sqrt_pd(v, 0xFF, v); }
} // namespace
#define NOM_NOYAU accelerationsAvx512
#include "lot_noyau.h"
