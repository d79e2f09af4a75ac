// lot_noyau.h — the body of one path of accelerations() (see lot.h), written
// once for W lanes.  Each path's source file defines W, the vector type V
// (GCC/Clang vector extension of W doubles), racine(V) (lane-wise sqrt),
// NOM_NOYAU (the function's name), then includes this file.  Everything here
// has internal linkage except NOM_NOYAU, so translation units compiled for
// different instruction sets never share a function, and this file includes
// no header for the same reason.

namespace {

typedef long long Masque __attribute__((vector_size(sizeof(V))));

inline V charge(const double *p) {
    V v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

// The term where r2 != 0, +0.0 where r2 == 0 (the pair is skipped).
inline V sauf_nul(V terme, V r2) {
    Masque nul = r2 == 0.0;
    Masque bits;
    __builtin_memcpy(&bits, &terme, sizeof bits);
    bits &= ~nul;
    V r;
    __builtin_memcpy(&r, &bits, sizeof r);
    return r;
}

} // namespace

void NOM_NOYAU(int nb, int n, const double *masses, const double *xs, const double *ys, double *ax, double *ay) {
    enum { BLOCS = 16 / W };
    const int blocs = (nb + W) / W; // lanes 0..nb
    V xi[BLOCS], yi[BLOCS], sx[BLOCS], sy[BLOCS];
    for (int b = 0; b < blocs; b++) {
        xi[b] = charge(xs + b * W);
        yi[b] = charge(ys + b * W);
        sx[b] = V{};
        sy[b] = V{};
    }
    for (int j = 1; j <= n; j++) {
        const double xj = xs[j], yj = ys[j], mj = masses[j];
        for (int b = 0; b < blocs; b++) {
            V dx = xi[b] - xj;
            V dy = yi[b] - yj;
            V r2 = dx * dx + dy * dy;
            V r = racine(r2);
            V q = -(mj / r2);
            sx[b] = sx[b] + sauf_nul((q * dx) / r, r2);
            sy[b] = sy[b] + sauf_nul((q * dy) / r, r2);
        }
    }
    for (int b = 0; b < blocs; b++) {
        __builtin_memcpy(ax + b * W, &sx[b], sizeof(V));
        __builtin_memcpy(ay + b * W, &sy[b], sizeof(V));
    }
}
