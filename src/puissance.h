// puissance.h — x raised to the power 0.333, correctly rounded.
//
// 0.333 here is the double nearest 0.333, y = 5998794703657501 * 2^-54.  The
// result is the double nearest the exact real x^y (round to nearest), so it
// is the same on every processor and compiler: the routine uses only + - * /
// on doubles, integer arithmetic and ldexp, all of which IEEE 754 and C fix
// bit for bit.  Build without fused multiply-add contraction.
//
// Method.  x = 2^e * m with m near 1.  Since y = Y / 2^54 with Y an integer,
// y*e = k + f exactly (k an integer, 0 <= f < 1, f a multiple of 2^-54), so
//     x^y = 2^k * exp(f*ln 2 + y*ln m),
// and the only rounding errors are those of ln m, the sum and exp, on small
// arguments.
//   Fast path: m in [sqrt(2)/2, sqrt(2)); ln m = 2 atanh(u), u = (m-1)/(m+1),
//   by 17 terms of its series, and exp by 21 Taylor terms after bringing the
//   argument within ln(2)/2; everything in double-double (pairs hi + lo,
//   Dekker's exact products, no fma).  The omitted terms weigh less than
//   2^-92 (ln) and 2^-97 (exp), each double-double operation errs by less
//   than 2^-103 relative and there are some eighty of them, mostly on
//   quantities well below 1: the relative error of the result is below
//   2^-91, far inside the 2^-80 the rounding test assumes.
//   Rounding test: with v = hi + lo and the bound b = 2^-78 |hi|, the result
//   is fl(hi + (lo - b)) when it equals fl(hi + (lo + b)): rounding is
//   monotone and the exact value lies between the two.
//   Slow path, for what the test rejects (about one input in 2^25): the same
//   formula in fixed point on 64-bit words (1 integer word, 3 fraction words:
//   192 fraction bits), with m in [1, 2) so every quantity is >= 0.  Each
//   operation truncates by less than one unit of 2^-F; the total, counted
//   term by term, is below 2^13 units, and the decision uses 2^16.  If the
//   value still lies within that bound of a midpoint between two doubles the
//   evaluation is repeated with 7 and then 15 fraction words.  x^y is exact
//   only for x = 1 (y's significand is odd, so no other double has a
//   rational power y, let alone a double or a midpoint), hence a high enough
//   precision always decides; 192 bits already decide every input the tests
//   have tried.
//
// Special values, as pow(x, 0.333) in C: +0 and -0 give +0; +inf and -inf
// give +inf; a negative x gives NaN; NaN gives NaN.  Subnormal x are exact
// inputs like any other; the result is always a normal double
// (2^-358 < x^y < 2^341).
//
// Cost: a few hundred nanoseconds on the fast path, some microseconds on the
// slow one.  No allocation, no state: safe to call from any thread.
#ifndef ORBELUNE_PUISSANCE_H
#define ORBELUNE_PUISSANCE_H

// x^0.333, correctly rounded (see above).
double puissance0333(double x);

// The two halves, for the tests.  puissance0333Rapide returns false when its
// rounding test cannot decide (then *r is untouched); it expects a finite
// x > 0, x != 1.  puissance0333Lente decides every finite x > 0 by the
// fixed-point evaluation alone.
bool puissance0333Rapide(double x, double *r);
double puissance0333Lente(double x);

#endif
