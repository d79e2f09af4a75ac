// test_arrays.cpp — the offset-indexed allocators: layout, index ranges,
// release, and the fatal report when memory runs out.
//
// Under AddressSanitizer every index used here is checked against the real
// blocks, and a release that hands back the wrong address is reported, so
// these tests also prove that the displaced pointers land where they should.
#include "arrays.h"
#include "noms.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define ORBELUNE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORBELUNE_ASAN 1
#endif
#endif

#ifdef ORBELUNE_ASAN
// A refused allocation must come back as null for the allocators to report
// it, whatever ASAN_OPTIONS the run was given.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

TEST(Dmatrix, TrailShapeIsOneContiguousBlockOfRows) {
    double **m = dmatrix(0, 15, 0, 500);
    for (int i = 0; i <= 15; i++)
        for (int j = 0; j <= 500; j++) m[i][j] = i * 1000 + j;
    for (int i = 0; i < 15; i++) EXPECT_EQ(&m[i][500] + 1, &m[i + 1][0]) << "row " << i;
    EXPECT_EQ(&m[15][500] - &m[0][0], 16 * 501 - 1);
    // Each element kept its own value: no two indices share a slot.
    for (int i = 0; i <= 15; i++)
        for (int j = 0; j <= 500; j++) ASSERT_EQ(m[i][j], i * 1000 + j);
    free_dmatrix(m, 0, 15, 0, 500);
}

struct Bornes {
    long nrl, nrh, ncl, nch;
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Bornes &c, std::ostream *os) { *os << c.nrl << ".." << c.nrh << " x " << c.ncl << ".." << c.nch; }

class DmatrixRanges : public ::testing::TestWithParam<Bornes> {};

TEST_P(DmatrixRanges, AcceptsEveryIndexOfItsRanges) {
    const Bornes b = GetParam();
    double **m = dmatrix(b.nrl, b.nrh, b.ncl, b.nch);
    long ncol = b.nch - b.ncl + 1;
    for (long i = b.nrl; i <= b.nrh; i++)
        for (long j = b.ncl; j <= b.nch; j++) m[i][j] = 0.5 * static_cast<double>(i * 100 + j);
    for (long i = b.nrl; i <= b.nrh; i++) {
        if (i > b.nrl) {
            EXPECT_EQ(m[i], m[i - 1] + ncol);
        }
        for (long j = b.ncl; j <= b.nch; j++) ASSERT_EQ(m[i][j], 0.5 * static_cast<double>(i * 100 + j));
    }
    free_dmatrix(m, b.nrl, b.nrh, b.ncl, b.nch);
}

INSTANTIATE_TEST_SUITE_P(Ranges, DmatrixRanges,
                         ::testing::Values(Bornes{1, 3, 1, 3}, Bornes{0, 0, 0, 0}, Bornes{-4, -2, 7, 9},
                                           Bornes{5, 5, -3, 40}, Bornes{1000000, 1000002, 2000000, 2000001}),
    [](const ::testing::TestParamInfo<Bornes> &i) { return nom_de_cas("rows " + std::to_string(i.param.nrl) + " " + std::to_string(i.param.nrh), i.index); });

TEST(Vectors, EveryTypeIndexesItsRange) {
    float *v = vector(-3, 4);
    int *iv = ivector(1, 5);
    unsigned char *cv = cvector(10, 20);
    std::uint32_t *lv = lvector(0, 2);
    double *dv = dvector(-1, 1);
    for (long k = -3; k <= 4; k++) v[k] = static_cast<float>(k) / 2;
    for (long k = 1; k <= 5; k++) iv[k] = static_cast<int>(-k);
    for (long k = 10; k <= 20; k++) cv[k] = static_cast<unsigned char>(k + 200);
    for (long k = 0; k <= 2; k++) lv[k] = 0xFFFFFFF0u + static_cast<std::uint32_t>(k);
    for (long k = -1; k <= 1; k++) dv[k] = 1e300 * static_cast<double>(k);
    EXPECT_EQ(v[-3], -1.5f);
    EXPECT_EQ(v[4], 2.0f);
    EXPECT_EQ(iv[5], -5);
    EXPECT_EQ(cv[20], 220);
    EXPECT_EQ(lv[2], 0xFFFFFFF2u);
    EXPECT_EQ(dv[-1], -1e300);
    EXPECT_EQ(&v[4] - &v[-3], 7);
    free_vector(v, -3, 4);
    free_ivector(iv, 1, 5);
    free_cvector(cv, 10, 20);
    free_lvector(lv, 0, 2);
    free_dvector(dv, -1, 1);
}

TEST(Matrices, FloatAndIntMatricesShareTheLayout) {
    float **a = matrix(1, 4, 0, 2);
    int **b = imatrix(-2, 0, 3, 5);
    for (long i = 1; i <= 4; i++)
        for (long j = 0; j <= 2; j++) a[i][j] = static_cast<float>(10 * i + j);
    for (long i = -2; i <= 0; i++)
        for (long j = 3; j <= 5; j++) b[i][j] = static_cast<int>(10 * i + j);
    EXPECT_EQ(&a[1][2] + 1, &a[2][0]);
    EXPECT_EQ(&b[-2][5] + 1, &b[-1][3]);
    EXPECT_EQ(a[4][2], 42.0f);
    EXPECT_EQ(b[-1][4], -6);
    free_matrix(a, 1, 4, 0, 2);
    free_imatrix(b, -2, 0, 3, 5);
}

TEST(Matrices, SubmatrixAndConvertMatrixViewExistingElements) {
    float **a = matrix(1, 5, 1, 5);
    for (long i = 1; i <= 5; i++)
        for (long j = 1; j <= 5; j++) a[i][j] = static_cast<float>(10 * i + j);
    // Rows 2..4, columns 3..5 of a, seen as rows 0..2, columns 0..2.
    float **s = submatrix(a, 2, 4, 3, 5, 0, 0);
    EXPECT_EQ(s[0][0], 23.0f);
    EXPECT_EQ(s[2][2], 45.0f);
    s[1][1] = -1;
    EXPECT_EQ(a[3][4], -1.0f);
    free_submatrix(s, 0, 2, 0, 2);

    float plat[6] = {0, 1, 2, 3, 4, 5};
    float **c = convert_matrix(plat, 1, 2, 7, 9);
    EXPECT_EQ(&c[1][7], &plat[0]);
    EXPECT_EQ(c[1][9], 2.0f);
    EXPECT_EQ(c[2][7], 3.0f);
    EXPECT_EQ(c[2][9], 5.0f);
    free_convert_matrix(c, 1, 2, 7, 9);
    free_matrix(a, 1, 5, 1, 5);
}

TEST(Tensor, F3tensorIsContiguousInAllThreeIndices) {
    float ***t3 = f3tensor(1, 2, -1, 1, 0, 3);
    for (long i = 1; i <= 2; i++)
        for (long j = -1; j <= 1; j++)
            for (long k = 0; k <= 3; k++) t3[i][j][k] = static_cast<float>(100 * i + 10 * j + k);
    EXPECT_EQ(&t3[1][-1][3] + 1, &t3[1][0][0]);
    EXPECT_EQ(&t3[1][1][3] + 1, &t3[2][-1][0]);
    EXPECT_EQ(&t3[2][1][3] - &t3[1][-1][0], 2 * 3 * 4 - 1);
    EXPECT_EQ(t3[2][-1][3], 193.0f);
    free_f3tensor(t3, 1, 2, -1, 1, 0, 3);
}

// ---- the fatal report ---------------------------------------------------

// The whole standard error of the dying process, as an anchored regular
// expression with every character taken literally.  AddressSanitizer may
// first say on a line of its own that it refused the allocation.
std::string rapport(const char *message) {
    std::string texte = "Numerical Recipes run-time error...\n" + std::string(message) +
                        "\n...now exiting to system...\n";
#ifdef ORBELUNE_ASAN
    std::string motif = "^(==[0-9]+==WARNING: AddressSanitizer failed to allocate [^\n]*\n)?";
#else
    std::string motif = "^";
#endif
    for (char c : texte) {
        if (std::strchr(".[]()*+?{}|^$\\", c)) motif += '\\';
        motif += c;
    }
    return motif + "$";
}

TEST(NrerrorDeathTest, PrintsThreeLinesAndExitsWithStatusOne) {
    EXPECT_EXIT(nrerror("un message"), ::testing::ExitedWithCode(1), rapport("un message"));
}

// Requests that no allocator can satisfy: far more than any address space
// of this machine class, yet representable, so they reach malloc.
const long ENORME = 1L << 41;

struct Echec {
    const char *cas;
    void (*appel)();
    const char *message;
};
// What ctest lists after the case name: its description, not its bytes.
void PrintTo(const Echec &c, std::ostream *os) { *os << c.cas; }

class AllocationDeathTest : public ::testing::TestWithParam<Echec> {};

TEST_P(AllocationDeathTest, ReportsAndExitsWithStatusOne) {
    EXPECT_EXIT(GetParam().appel(), ::testing::ExitedWithCode(1), rapport(GetParam().message))
        << GetParam().cas;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, AllocationDeathTest,
    ::testing::Values(
        Echec{"dmatrix elements", [] { dmatrix(0, 15, 0, ENORME); }, "allocation failure 2 in matrix()"},
        Echec{"dmatrix rows", [] { dmatrix(0, ENORME, 0, 0); }, "allocation failure 1 in matrix()"},
        Echec{"dmatrix size overflow", [] { dmatrix(0, 3, 0, LONG_MAX - 1); }, "allocation failure 2 in matrix()"},
        Echec{"imatrix elements", [] { imatrix(1, 2, 1, ENORME); }, "allocation failure 2 in matrix()"},
        Echec{"vector", [] { vector(1, ENORME); }, "allocation failure in vector()"},
        Echec{"ivector", [] { ivector(1, ENORME); }, "allocation failure in ivector()"},
        Echec{"cvector", [] { cvector(1, ENORME * 8); }, "allocation failure in cvector()"},
        Echec{"lvector", [] { lvector(1, ENORME); }, "allocation failure in lvector()"},
        Echec{"dvector", [] { dvector(1, ENORME); }, "allocation failure in dvector()"},
        Echec{"dvector, empty range", [] { dvector(5, 4); }, "allocation failure in dvector()"},
        Echec{"f3tensor elements", [] { f3tensor(1, 2, 1, 2, 1, ENORME); }, "allocation failure 3 in f3tensor()"},
        Echec{"f3tensor columns", [] { f3tensor(1, 2, 1, ENORME, 1, 1); }, "allocation failure 2 in f3tensor()"}),
    [](const ::testing::TestParamInfo<Echec> &i) { return nom_de_cas(i.param.cas, i.index); });

// A modest request refused because memory really runs out: the address
// space of the dying child is lowered so that the small pointer block still
// fits and the element block does not.  AddressSanitizer reserves terabytes
// of address space, so this one runs without it.
TEST(DmatrixDeathTest, ElementBlockRefusedWhenAddressSpaceRunsOut) {
#ifdef ORBELUNE_ASAN
    GTEST_SKIP() << "address-space limit not usable under AddressSanitizer";
#else
    auto sans_memoire = [] {
        // Room for what the process already maps plus 32 MiB, less than
        // the 128 MB of 16 rows of a million doubles.
        struct rlimit r;
        getrlimit(RLIMIT_AS, &r);
        std::FILE *f = std::fopen("/proc/self/statm", "r");
        unsigned long pages = 0;
        if (!f || std::fscanf(f, "%lu", &pages) != 1) std::_Exit(3);
        std::fclose(f);
        r.rlim_cur = pages * 4096 + (32UL << 20);
        if (setrlimit(RLIMIT_AS, &r) != 0) std::_Exit(4);
        dmatrix(0, 15, 0, 999999);
    };
    EXPECT_EXIT(sans_memoire(), ::testing::ExitedWithCode(1), rapport("allocation failure 2 in matrix()"));
#endif
}

} // namespace
