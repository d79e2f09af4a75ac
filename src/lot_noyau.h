// lot_noyau.h — the body of one path of accelerations() (see lot.h), written
// once for W lanes.  Each path's source file defines W, the vector type V
// (GCC/Clang vector extension of W doubles), racine(V) (lane-wise sqrt),
// NOM_NOYAU (the function's name), then includes this file.  Everything here
// has internal linkage except NOM_NOYAU, so translation units compiled for
// different instruction sets never share a function, and this file includes
// no header for the same reason.

namespace {

typedef long long Masque __attribute__((vector_size(sizeof(V))));

template <class T>
inline T charge(const double *p) {
    T v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

// The term, or +0.0 where the pair is skipped: a body with itself (even
// when its own separation is not a number) or r2 == 0.
inline V sauf(V terme, V r2, Masque lanes, long long j) {
    Masque nul = (r2 == 0.0) | (lanes == j);
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
        xi[b] = charge<V>(xs + b * W);
        yi[b] = charge<V>(ys + b * W);
        sx[b] = V{};
        sy[b] = V{};
    }
    // The roots, once per pair: row j computes the blocks that hold a lane
    // i > j and copies each root to R[i][j] as well; a block of lanes all
    // < j then finds its roots there, written by rows i < j.  A row beyond
    // the last lane (more attracting bodies than bodies, which only a test
    // asks for) computes all its blocks.  The only places read that no row
    // writes, lane 0 and the diagonal, are set to 0; they are never counted.
    double R[16][16];
    for (int j = 1; j <= n; j++) R[j][0] = R[j][j] = 0.0;
    for (int j = 1; j <= n; j++) {
        const double xj = xs[j], yj = ys[j];
        for (int b = j < blocs * W ? (j + 1) / W : 0; b < blocs; b++) {
            V dx = xi[b] - xj;
            V dy = yi[b] - yj;
            V r = racine(dx * dx + dy * dy);
            __builtin_memcpy(&R[j][b * W], &r, sizeof r);
            for (int l = 0; l < W; l++) R[b * W + l][j] = r[l];
        }
    }
    Masque lanes[BLOCS];
    for (int b = 0; b < blocs; b++)
        for (int l = 0; l < W; l++) lanes[b][l] = b * W + l;
    for (int j = 1; j <= n; j++) {
        const double xj = xs[j], yj = ys[j], mj = masses[j];
        for (int b = 0; b < blocs; b++) {
            V dx = xi[b] - xj;
            V dy = yi[b] - yj;
            V r2 = dx * dx + dy * dy;
            V r = charge<V>(&R[j][b * W]);
            V q = -(mj / r2);
            sx[b] = sx[b] + sauf((q * dx) / r, r2, lanes[b], j);
            sy[b] = sy[b] + sauf((q * dy) / r, r2, lanes[b], j);
        }
    }
    for (int b = 0; b < blocs; b++) {
        __builtin_memcpy(ax + b * W, &sx[b], sizeof(V));
        __builtin_memcpy(ay + b * W, &sy[b], sizeof(V));
    }
}
