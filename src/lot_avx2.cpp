// lot_avx2.cpp — the AVX2 path of accelerations() (4 lanes, see lot.h).
// Compiled with -mavx2 and called only when the processor has AVX2.
#include <immintrin.h>

#define W 4
typedef double V __attribute__((vector_size(4 * sizeof(double))));
namespace {
inline V racine(V v) { return _mm256_sqrt_pd(v); }
} // namespace
#define NOM_NOYAU accelerationsAvx2
#include "lot_noyau.h"
