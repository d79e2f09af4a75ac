// test_puissance.cpp — x^0.333 against MPFR's correctly rounded power, bit
// for bit: random doubles of every exponent (subnormals included), every
// power of two and its neighbours, the inputs on which the fast path's
// rounding test gives up and their neighbours, and the special values.
//
// About 20 million inputs in all, in shards that ctest can run side by
// side; a sanitizer build, some twenty times slower, tries one input in 50.
#include "noms.h"
#include "puissance.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

#if defined(__SANITIZE_ADDRESS__)
const int ECHELLE = 50;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const int ECHELLE = 50;
#else
const int ECHELLE = 1;
#endif
#else
const int ECHELLE = 1;
#endif

// MPFR's x^0.333 rounded to nearest (0.333 as the double the program uses).
class Mpfr {
    mpfr_t x_, y_;

public:
    Mpfr() {
        mpfr_init2(x_, 53);
        mpfr_init2(y_, 53);
        mpfr_set_d(y_, 0.333, MPFR_RNDN);
    }
    ~Mpfr() {
        mpfr_clear(x_);
        mpfr_clear(y_);
    }
    double operator()(double x) {
        mpfr_set_d(x_, x, MPFR_RNDN); // exact: 53 bits, unbounded exponent range
        mpfr_pow(x_, x_, y_, MPFR_RNDN);
        return mpfr_get_d(x_, MPFR_RNDN);
    }
};

double de_bits(std::uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// Equal bits, or both not a number.
::testing::AssertionResult memes_bits(double x, double obtenu, double attendu) {
    if (std::memcmp(&obtenu, &attendu, sizeof obtenu) == 0 || (std::isnan(obtenu) && std::isnan(attendu)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hexfloat << "x = " << x << ": " << obtenu << " instead of "
                                         << attendu;
}

// Compares puissance0333 with MPFR; stops the test at the 10th difference.
struct Comparateur {
    Mpfr mpfr;
    int fautes = 0;
    bool operator()(double x) {
        ::testing::AssertionResult r = memes_bits(x, puissance0333(x), mpfr(x));
        if (!r) {
            ADD_FAILURE() << r.message();
            fautes++;
        }
        return fautes < 10;
    }
};

// Inputs the fast path hands to the slow one: all that its rounding test
// rejected among 150 million random doubles (about one in 2^25, as the
// bound of the test predicts).
const double DIFFICILES[] = {
    0x1.c9a7b2fcfd51p-883,  0x1.b1d8c7cc6768ep-757, 0x1.877d5af165454p-875,
    0x1.3d71fd701b335p+125, 0x1.bceb60cb3b085p-721, 0x1.aabbf94e21226p-671,
};

// ---- random doubles of every exponent --------------------------------------

const int SHARDS = 8;
const int PAR_EXPOSANT = 10000; // 2047 exponents: 20.5 million inputs

class EveryExponent : public ::testing::TestWithParam<int> {};

TEST_P(EveryExponent, RandomSignificandsRoundLikeMpfr) {
    const int shard = GetParam();
    std::mt19937_64 alea(0x5eed + shard);
    Comparateur compare;
    for (int e = shard; e < 2047; e += SHARDS) { // biased exponent; 0: subnormals
        for (int k = 0; k < PAR_EXPOSANT / ECHELLE; k++) {
            std::uint64_t mantisse = alea() & ((std::uint64_t{1} << 52) - 1);
            if (e == 0) mantisse >>= alea() % 52; // subnormals of every size
            if (mantisse == 0 && e == 0) continue;
            if (!compare(de_bits(static_cast<std::uint64_t>(e) << 52 | mantisse))) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, EveryExponent, ::testing::Range(0, SHARDS));

// ---- structured inputs -------------------------------------------------------

TEST(Puissance0333, PowersOfTwoAndTheirNeighbours) {
    Comparateur compare;
    for (int k = -1074; k <= 1023; k++) {
        double x = std::ldexp(1.0, k);
        for (double v : {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)})
            if (!compare(v)) return;
    }
}

TEST(Puissance0333, HardCasesGoToTheSlowPathAndRoundCorrectly) {
    Comparateur compare;
    for (double x : DIFFICILES) {
        double r;
        EXPECT_FALSE(puissance0333Rapide(x, &r)) << std::hexfloat << x << " no longer reaches the slow path";
        // the case and 200 neighbours on either side
        double bas = x, haut = x;
        for (int k = 0; k < 200; k++) {
            bas = std::nextafter(bas, 0.0);
            haut = std::nextafter(haut, INFINITY);
        }
        for (double v = bas; v <= haut; v = std::nextafter(v, INFINITY))
            if (!compare(v)) return;
    }
}

TEST(Puissance0333, SlowPathAloneRoundsLikeMpfr) {
    Mpfr mpfr;
    std::mt19937_64 alea(0x10e7e);
    for (int k = 0; k < 100000 / ECHELLE; k++) {
        double x = de_bits(alea() & 0x7fefffffffffffff); // finite, >= 0
        if (x == 0.0) continue;
        ASSERT_TRUE(memes_bits(x, puissance0333Lente(x), mpfr(x)));
    }
    for (double x : DIFFICILES) ASSERT_TRUE(memes_bits(x, puissance0333Lente(x), mpfr(x)));
}

TEST(Puissance0333, NextToOne) {
    // x^y is exact only at 1; just around it the result is 1 or its neighbours.
    Comparateur compare;
    double bas = 1.0, haut = 1.0;
    for (int k = 0; k < 5000; k++) {
        if (!compare(bas) || !compare(haut)) return;
        bas = std::nextafter(bas, 0.0);
        haut = std::nextafter(haut, 2.0);
    }
}

struct Special {
    const char *cas;
    double x, attendu;
};
void PrintTo(const Special &s, std::ostream *os) { *os << s.cas; }

class SpecialValues : public ::testing::TestWithParam<Special> {};

// As pow(x, 0.333) in C and as MPFR: a non-integer power of a negative number
// is not a number, but (-inf)^0.333 is +inf and (-0)^0.333 is +0.
TEST_P(SpecialValues, AsPowAndMpfr) {
    const Special &s = GetParam();
    Mpfr mpfr;
    EXPECT_TRUE(memes_bits(s.x, puissance0333(s.x), s.attendu));
    EXPECT_TRUE(memes_bits(s.x, puissance0333(s.x), mpfr(s.x)));
}

const double INF = std::numeric_limits<double>::infinity();
const double NAN_ = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, SpecialValues,
    ::testing::Values(Special{"plus zero", 0.0, 0.0}, Special{"minus zero", -0.0, 0.0},
                      Special{"plus infinity", INF, INF}, Special{"minus infinity", -INF, INF},
                      Special{"minus one", -1.0, NAN_}, Special{"negative subnormal", -0x1p-1074, NAN_},
                      Special{"largest negative", -0x1.fffffffffffffp1023, NAN_}, Special{"NaN", NAN_, NAN_},
                      Special{"negative NaN", -NAN_, NAN_}, Special{"one", 1.0, 1.0},
                      Special{"smallest subnormal", 0x1p-1074, 0x1.481a140f4116p-358},
                      Special{"largest double", 0x1.fffffffffffffp1023, 0x1.fd2b31a699259p+340},
                      Special{"a thousand", 1000.0, 0x1.3f4396d7ab319p+3}),
    [](const ::testing::TestParamInfo<Special> &i) { return nom_de_cas(i.param.cas, i.index); });

} // namespace
