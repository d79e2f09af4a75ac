// lot.h — the accelerations of every body at once, for the fast batch.
//
// accelerations() gives, for each body i = 1..nb, exactly the bits of
// Fx(i, n, ...) and Fy(i, n, ...) without the thrust term (the caller adds
// it last, as Fx and Fy do): the same operations on the same operands in the
// same order, organised differently:
//   - vectorised across the bodies i, the sum over j kept in ascending order
//     for each i;
//   - the squared separation, its root and -(m_j / r2) are computed once and
//     serve both components;
//   - the pair of a body with itself, and any pair at zero separation, adds
//     +0.0 instead of being skipped: the running sum starts at +0.0 and can
//     never become -0.0 in round-to-nearest, so adding a zero is the identity.
// Every array has 16 slots (slot 0 is read as a lane but never counted);
// ax and ay receive slots 0..15, only 1..nb mean anything.  n and nb are at
// most 15.  No allocation.
//
// The roots are shared: row j of a stage computes them only for the blocks
// of lanes that hold some i > j and copies them across the diagonal.
//
// Paths: a portable one in plain C++ vector arithmetic (2 lanes: SSE2 on
// x86-64, NEON on aarch64, scalar or SIMD128 in WebAssembly) and, on x86-64,
// AVX2 (4 lanes), chosen at the first call when the processor has it (the
// choice is not guarded against a concurrent first call: the program runs
// the physics on one thread).  None uses fused multiply-add; both give the
// same bits.
#ifndef ORBELUNE_LOT_H
#define ORBELUNE_LOT_H

using NoyauAccelerations = void (*)(int nb, int n, const double *masses, const double *xs, const double *ys,
                                    double *ax, double *ay);

void accelerations(int nb, int n, const double *masses, const double *xs, const double *ys, double *ax,
                   double *ay);

// The paths this processor can run, best last, for the tests and the bench.
struct CheminLot {
    const char *nom;
    NoyauAccelerations noyau;
};
int cheminsLot(const CheminLot **chemins);
// Makes accelerations() use the named path; false (and no change) when this
// processor cannot run it.
bool choisitCheminLot(const char *nom);

#endif
