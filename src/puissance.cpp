// puissance.cpp — x^0.333 correctly rounded: a double-double evaluation with
// a rounding test, and a fixed-point slow path (method in puissance.h).
#include "puissance.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// y = 0.333 = Y / 2^54.
constexpr std::int64_t Y_ENTIER = 5998794703657501;
constexpr double Y_EXPOSANT = 0x1.54fdf3b645a1dp-2;
static_assert(Y_EXPOSANT == 0.333 && Y_EXPOSANT * 0x1p54 == Y_ENTIER, "0.333 is Y / 2^54");

// x = 2^e * m, 1 <= m < 2, for a finite x > 0 (subnormals included).
void decompose(double x, int *e, double *m) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    int biais = static_cast<int>(b >> 52);
    int decalage = 0;
    if (biais == 0) { // subnormal: scale by 2^64 exactly first
        x *= 0x1p64;
        std::memcpy(&b, &x, sizeof b);
        biais = static_cast<int>(b >> 52);
        decalage = 64;
    }
    *e = biais - 1023 - decalage;
    b = (b & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1023} << 52);
    std::memcpy(m, &b, sizeof b);
}

// y*e = k + f with k = floor(y*e): k, and f * 2^54 in [0, 2^54).  |Y*e| < 2^63.
void partage(int e, std::int64_t *k, std::int64_t *f54) {
    std::int64_t p = Y_ENTIER * e;
    std::int64_t q = p / (std::int64_t{1} << 54);
    std::int64_t r = p - q * (std::int64_t{1} << 54);
    if (r < 0) {
        q -= 1;
        r += std::int64_t{1} << 54;
    }
    *k = q;
    *f54 = r;
}

// ---- fast path: double-double ---------------------------------------------

struct DD {
    double hi, lo;
};

DD deux_somme(double a, double b) {
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

DD somme_rapide(double a, double b) { // |a| >= |b| or a == 0
    double s = a + b;
    return {s, b - (s - a)};
}

void coupe(double a, double *h, double *l) {
    double c = 134217729.0 * a; // 2^27 + 1
    *h = c - (c - a);
    *l = a - *h;
}

DD deux_produit(double a, double b) {
    double p = a * b;
    double ah, al, bh, bl;
    coupe(a, &ah, &al);
    coupe(b, &bh, &bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

DD add(DD a, DD b) {
    DD s = deux_somme(a.hi, b.hi);
    DD t = deux_somme(a.lo, b.lo);
    s.lo += t.hi;
    s = somme_rapide(s.hi, s.lo);
    s.lo += t.lo;
    return somme_rapide(s.hi, s.lo);
}

DD mul(DD a, DD b) {
    DD p = deux_produit(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return somme_rapide(p.hi, p.lo);
}

DD mul(double a, DD b) {
    DD p = deux_produit(a, b.hi);
    p.lo += a * b.lo;
    return somme_rapide(p.hi, p.lo);
}

// a / b for a double a and a double-double b.
DD divise(double a, DD b) {
    double q1 = a / b.hi;
    DD p = mul(q1, b);
    DD r = add({a, 0.0}, {-p.hi, -p.lo});
    double q2 = r.hi / b.hi;
    return somme_rapide(q1, q2);
}

const DD LN2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};

// 1/(2k+1), k = 0..16: the series of atanh(u)/u in w = u^2.
const DD INV_IMPAIRS[17] = {
    {1.0, 0.0},
    {0x1.5555555555555p-2, 0x1.5555555555555p-56},
    {0x1.999999999999ap-3, -0x1.999999999999ap-57},
    {0x1.2492492492492p-3, 0x1.2492492492492p-57},
    {0x1.c71c71c71c71cp-4, 0x1.c71c71c71c71cp-58},
    {0x1.745d1745d1746p-4, -0x1.745d1745d1746p-59},
    {0x1.3b13b13b13b14p-4, -0x1.3b13b13b13b14p-58},
    {0x1.1111111111111p-4, 0x1.1111111111111p-60},
    {0x1.e1e1e1e1e1e1ep-5, 0x1.e1e1e1e1e1e1ep-61},
    {0x1.af286bca1af28p-5, 0x1.af286bca1af28p-59},
    {0x1.8618618618618p-5, 0x1.8618618618618p-59},
    {0x1.642c8590b2164p-5, 0x1.642c8590b2164p-60},
    {0x1.47ae147ae147bp-5, -0x1.eb851eb851eb8p-61},
    {0x1.2f684bda12f68p-5, 0x1.2f684bda12f68p-59},
    {0x1.1a7b9611a7b96p-5, 0x1.1a7b9611a7b96p-61},
    {0x1.0842108421084p-5, 0x1.0842108421084p-60},
    {0x1.f07c1f07c1f08p-6, -0x1.f07c1f07c1f08p-61},
};

// 1/n!, n = 0..20: the Taylor series of exp.
const DD INV_FACTORIELLES[21] = {
    {1.0, 0.0},
    {1.0, 0.0},
    {0x1.0000000000000p-1, 0.0},
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
    {0x1.27e4fb7789f5cp-22, 0x1.cbbc05b4fa99ap-76},
    {0x1.ae64567f544e4p-26, -0x1.c062e06d1f209p-80},
    {0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},
    {0x1.6124613a86d09p-33, 0x1.f28e0cc748ebep-87},
    {0x1.93974a8c07c9dp-37, 0x1.05d6f8a2efd1fp-92},
    {0x1.ae7f3e733b81fp-41, 0x1.1d8656b0ee8cbp-97},
    {0x1.ae7f3e733b81fp-45, 0x1.1d8656b0ee8cbp-101},
    {0x1.952c77030ad4ap-49, 0x1.ac981465ddc6cp-103},
    {0x1.6827863b97d97p-53, 0x1.eec01221a8b0bp-107},
    {0x1.2f49b46814157p-57, 0x1.2650f61dbdcb4p-112},
    {0x1.e542ba4020225p-62, 0x1.ea72b4afe3c2fp-120},
};

// ln m for m in [sqrt(2)/2, sqrt(2)): |u| < 0.172, w = u^2 < 0.0295, and the
// first omitted term is below 0.35 * 0.0295^17 / 35 < 2^-93.
DD ln_proche_de_un(double m) {
    DD u = divise(m - 1.0, deux_somme(m, 1.0)); // m - 1 is exact (Sterbenz)
    DD w = mul(u, u);
    DD s = INV_IMPAIRS[16];
    for (int k = 15; k >= 0; k--) s = add(INV_IMPAIRS[k], mul(w, s));
    DD l = mul(u, s);
    return {2.0 * l.hi, 2.0 * l.lo};
}

// exp z for |z| <= 0.35: the first omitted term is below 0.35^21 / 21! < 2^-97.
DD exp_petit(DD z) {
    DD s = INV_FACTORIELLES[20];
    for (int n = 19; n >= 0; n--) s = add(INV_FACTORIELLES[n], mul(z, s));
    return s;
}

// ---- slow path: fixed point on N 64-bit words -------------------------------
//
// A value is w[N-1] + sum over i < N-1 of w[i] * 2^(64 (i - N + 1)): one
// integer word and N-1 fraction words, F = 64 (N-1) fraction bits, always >= 0.

using u64 = std::uint64_t;
using u128 = unsigned __int128;

template <int N>
struct Fixe {
    u64 w[N];
};

template <int N>
Fixe<N> zero() {
    Fixe<N> r;
    for (int i = 0; i < N; i++) r.w[i] = 0;
    return r;
}

template <int N>
bool est_nul(const Fixe<N> &a) {
    for (int i = 0; i < N; i++)
        if (a.w[i]) return false;
    return true;
}

template <int N>
int compare(const Fixe<N> &a, const Fixe<N> &b) {
    for (int i = N - 1; i >= 0; i--)
        if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    return 0;
}

template <int N>
Fixe<N> plus(const Fixe<N> &a, const Fixe<N> &b) {
    Fixe<N> r;
    u64 retenue = 0;
    for (int i = 0; i < N; i++) {
        u128 s = static_cast<u128>(a.w[i]) + b.w[i] + retenue;
        r.w[i] = static_cast<u64>(s);
        retenue = static_cast<u64>(s >> 64);
    }
    return r;
}

// a - b for a >= b.
template <int N>
Fixe<N> moins(const Fixe<N> &a, const Fixe<N> &b) {
    Fixe<N> r;
    u64 emprunt = 0;
    for (int i = 0; i < N; i++) {
        u64 d = a.w[i] - b.w[i] - emprunt;
        emprunt = (a.w[i] < b.w[i]) || (a.w[i] == b.w[i] && emprunt) ? 1 : 0;
        r.w[i] = d;
    }
    return r;
}

// a * b truncated to F fraction bits (the product must stay below 2^64).
template <int N>
Fixe<N> fois(const Fixe<N> &a, const Fixe<N> &b) {
    u64 p[2 * N] = {};
    for (int i = 0; i < N; i++) {
        u64 retenue = 0;
        for (int j = 0; j < N; j++) {
            u128 t = static_cast<u128>(a.w[i]) * b.w[j] + p[i + j] + retenue;
            p[i + j] = static_cast<u64>(t);
            retenue = static_cast<u64>(t >> 64);
        }
        p[i + N] = retenue;
    }
    Fixe<N> r;
    for (int i = 0; i < N; i++) r.w[i] = p[i + N - 1];
    return r;
}

// a / d truncated, for an integer d > 0.
template <int N>
Fixe<N> divise_par(const Fixe<N> &a, u64 d) {
    Fixe<N> r;
    u128 reste = 0;
    for (int i = N - 1; i >= 0; i--) {
        u128 courant = (reste << 64) | a.w[i];
        r.w[i] = static_cast<u64>(courant / d);
        reste = courant % d;
    }
    return r;
}

// The value v * 2^-54 of an integer 0 <= v < 2^54: exact.
template <int N>
Fixe<N> sur_2_54(u64 v) {
    Fixe<N> r = zero<N>();
    r.w[N - 2] = v << 10;
    return r;
}

// 2 atanh(1/(2a+1))-like series sum: 2 * sum over k of u^(2k+1)/(2k+1), with
// u^(2k+1) from pas(), which turns u^(2k-1) into u^(2k+1).
template <int N, class Pas>
Fixe<N> deux_atanh(Fixe<N> p, Pas pas) {
    Fixe<N> s = p;
    for (u64 k = 1;; k++) {
        p = pas(p);
        if (est_nul(p)) break;
        s = plus(s, divise_par(p, 2 * k + 1));
    }
    return plus(s, s);
}

// x^y by fixed point; false when the value lies too close to a midpoint,
// unless forcer asks for the nearest double of the approximation anyway.
template <int N>
bool lente(double x, double *resultat, bool forcer = false) {
    const int F = 64 * (N - 1);
    int e;
    double m;
    decompose(x, &e, &m);
    std::int64_t k, f54;
    partage(e, &k, &f54);

    // ln 2 = 2 atanh(1/3)
    Fixe<N> un = zero<N>();
    un.w[N - 1] = 1;
    Fixe<N> ln2 = deux_atanh<N>(divise_par(un, 3), [](const Fixe<N> &p) { return divise_par(p, 9); });

    // ln m = 2 atanh(u), u = (m-1)/(m+1) = A/B with A = M - 2^52, B = M + 2^52
    u64 M = static_cast<u64>(std::ldexp(m, 52));
    u64 A = M - (u64{1} << 52), B = M + (u64{1} << 52);
    Fixe<N> u = zero<N>();
    u128 reste = A;
    for (int i = N - 2; i >= 0; i--) {
        u128 courant = reste << 64;
        u.w[i] = static_cast<u64>(courant / B);
        reste = courant % B;
    }
    Fixe<N> w = fois(u, u);
    Fixe<N> lnm = deux_atanh<N>(u, [&w](const Fixe<N> &p) { return fois(p, w); });

    // z = f ln 2 + y ln m, in [0, 0.93)
    Fixe<N> z = plus(fois(sur_2_54<N>(static_cast<u64>(f54)), ln2),
                     fois(sur_2_54<N>(static_cast<u64>(Y_ENTIER)), lnm));

    // E = exp z in [1, 2.52)
    Fixe<N> E = un, terme = un;
    for (u64 n = 1;; n++) {
        terme = divise_par(fois(terme, z), n);
        if (est_nul(terme)) break;
        E = plus(E, terme);
    }

    // Decide: the error bound is 2^16 units of 2^-F.
    Fixe<N> err = zero<N>();
    err.w[0] = u64{1} << 16;
    Fixe<N> deux = zero<N>();
    deux.w[N - 1] = 2;
    Fixe<N> bas = moins(E, err), haut = plus(E, err);
    // The binade must be known: 1 and 2 are doubles, not midpoints.
    if (!forcer && compare(bas, un) <= 0) return false;
    if (!forcer && compare(bas, deux) < 0 && compare(haut, deux) >= 0) return false;
    int demi_ulp = compare(E, deux) >= 0 ? 52 : 53; // half an ulp of E is 2^-demi_ulp
    int sh = F - demi_ulp;
    // t = floor(E / half-ulp), reste_t = E mod half-ulp (in units of 2^-F)
    u64 t = 0;
    Fixe<N> r = E;
    for (int bit = 64 * N - 1; bit >= sh; bit--) {
        u64 b = (E.w[bit / 64] >> (bit % 64)) & 1;
        t = (t << 1) | b;
        r.w[bit / 64] &= ~(u64{1} << (bit % 64));
    }
    Fixe<N> demi = zero<N>();
    demi.w[sh / 64] = u64{1} << (sh % 64);
    // t odd: E lies r above the midpoint t; t even: half-ulp - r below t + 1.
    bool proche = (t & 1) ? compare(r, err) <= 0 : compare(moins(demi, r), err) <= 0;
    if (proche && !forcer) return false;
    *resultat = std::ldexp(static_cast<double>((t + 1) >> 1), static_cast<int>(k) - demi_ulp + 1);
    return true;
}

} // namespace

bool puissance0333Rapide(double x, double *r) {
    int e;
    double m;
    decompose(x, &e, &m);
    if (m > 0x1.6a09e667f3bcdp+0) { // sqrt(2): keep |ln m| small
        m *= 0.5;
        e += 1;
    }
    std::int64_t k, f54;
    partage(e, &k, &f54);
    // f = f54 * 2^-54 as an exact pair: 27 high bits and 27 low bits
    DD f = somme_rapide(std::ldexp(static_cast<double>(f54 >> 27), -27),
                        std::ldexp(static_cast<double>(f54 & ((std::int64_t{1} << 27) - 1)), -54));
    DD z = add(mul(f, LN2), mul(Y_EXPOSANT, ln_proche_de_un(m)));
    if (z.hi > 0.5 * LN2.hi) { // z < 0.81: bring it within ln(2)/2
        z = add(z, {-LN2.hi, -LN2.lo});
        k += 1;
    }
    DD v = exp_petit(z);
    int ki = static_cast<int>(k);
    double hi = std::ldexp(v.hi, ki), lo = std::ldexp(v.lo, ki); // exact: results are normal
    double b = std::ldexp(std::fabs(hi), -78);
    double a1 = hi + (lo - b), a2 = hi + (lo + b);
    if (a1 != a2) return false;
    *r = a1;
    return true;
}

double puissance0333Lente(double x) {
    double r;
    if (lente<4>(x, &r) || lente<8>(x, &r)) return r;
    // 15 fraction words, and its nearest double even if still undecided (not
    // reached for any input tried, see puissance.h).
    lente<16>(x, &r, true);
    return r;
}

double puissance0333(double x) {
    if (std::isnan(x)) return x + x;
    if (x == 0.0) return 0.0;
    if (x < 0.0) return std::isinf(x) ? std::numeric_limits<double>::infinity()
                                      : std::numeric_limits<double>::quiet_NaN();
    if (std::isinf(x)) return x;
    if (x == 1.0) return 1.0;
    double r;
    if (puissance0333Rapide(x, &r)) return r;
    return puissance0333Lente(x);
}
