// arrays.cpp — the offset-indexed allocators and their fatal error report.
#include "arrays.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Moves a pointer by k elements through its integer address, so that a
// displaced pointer lying before its block is never formed by pointer
// arithmetic.  Indexing the result with a valid index lands inside the block.
template <class T> T *shift(T *p, long k) {
    std::uintptr_t a = reinterpret_cast<std::uintptr_t>(p);
    a += static_cast<std::uintptr_t>(k) * sizeof(T);
    return reinterpret_cast<T *>(a);
}

// Number of indices in first..last.  An empty range has no first element to
// point at, so it is refused like an allocation that cannot be made.
std::size_t span(long first, long last) {
    if (last < first) return std::numeric_limits<std::size_t>::max();
    unsigned long n = static_cast<unsigned long>(last) - static_cast<unsigned long>(first) + 1;
    return n;
}

// malloc of count elements of size bytes plus the spare one; null when the
// size does not fit a size_t or memory runs out.
void *alloc(std::size_t count, std::size_t size) {
    std::size_t max = std::numeric_limits<std::size_t>::max() / size;
    if (count >= max) return nullptr;
    return std::malloc((count + 1) * size);
}

// rows × cols, or a value alloc() refuses when the product overflows.
std::size_t area(std::size_t rows, std::size_t cols) {
    if (cols != 0 && rows > std::numeric_limits<std::size_t>::max() / cols)
        return std::numeric_limits<std::size_t>::max();
    return rows * cols;
}

template <class T> T *make_vector(long nl, long nh, const char *msg) {
    T *v = static_cast<T *>(alloc(span(nl, nh), sizeof(T)));
    if (!v) nrerror(msg);
    return shift(v, 1 - nl);
}

template <class T> void drop_vector(T *v, long nl) { std::free(shift(v, nl - 1)); }

// The matrix scheme shared by matrix, dmatrix and imatrix.
template <class T> T **make_matrix(long nrl, long nrh, long ncl, long nch) {
    std::size_t nrow = span(nrl, nrh), ncol = span(ncl, nch);
    T **m = static_cast<T **>(alloc(nrow, sizeof(T *)));
    if (!m) nrerror("allocation failure 1 in matrix()");
    m = shift(m, 1 - nrl);
    T *block = static_cast<T *>(alloc(area(nrow, ncol), sizeof(T)));
    if (!block) nrerror("allocation failure 2 in matrix()");
    m[nrl] = shift(block, 1 - ncl);
    for (long i = nrl + 1; i <= nrh; i++) m[i] = shift(m[i - 1], static_cast<long>(ncol));
    return m;
}

template <class T> void drop_matrix(T **m, long nrl, long ncl) {
    std::free(shift(m[nrl], ncl - 1));
    std::free(shift(m, nrl - 1));
}

} // namespace

void nrerror(const char *error_text) {
    std::fprintf(stderr, "Numerical Recipes run-time error...\n");
    std::fprintf(stderr, "%s\n", error_text);
    std::fprintf(stderr, "...now exiting to system...\n");
    std::exit(1);
}

float *vector(long nl, long nh) { return make_vector<float>(nl, nh, "allocation failure in vector()"); }
int *ivector(long nl, long nh) { return make_vector<int>(nl, nh, "allocation failure in ivector()"); }
unsigned char *cvector(long nl, long nh) {
    return make_vector<unsigned char>(nl, nh, "allocation failure in cvector()");
}
std::uint32_t *lvector(long nl, long nh) {
    return make_vector<std::uint32_t>(nl, nh, "allocation failure in lvector()");
}
double *dvector(long nl, long nh) { return make_vector<double>(nl, nh, "allocation failure in dvector()"); }

void free_vector(float *v, long nl, long) { drop_vector(v, nl); }
void free_ivector(int *v, long nl, long) { drop_vector(v, nl); }
void free_cvector(unsigned char *v, long nl, long) { drop_vector(v, nl); }
void free_lvector(std::uint32_t *v, long nl, long) { drop_vector(v, nl); }
void free_dvector(double *v, long nl, long) { drop_vector(v, nl); }

float **matrix(long nrl, long nrh, long ncl, long nch) { return make_matrix<float>(nrl, nrh, ncl, nch); }
double **dmatrix(long nrl, long nrh, long ncl, long nch) { return make_matrix<double>(nrl, nrh, ncl, nch); }
int **imatrix(long nrl, long nrh, long ncl, long nch) { return make_matrix<int>(nrl, nrh, ncl, nch); }

void free_matrix(float **m, long nrl, long, long ncl, long) { drop_matrix(m, nrl, ncl); }
void free_dmatrix(double **m, long nrl, long, long ncl, long) { drop_matrix(m, nrl, ncl); }
void free_imatrix(int **m, long nrl, long, long ncl, long) { drop_matrix(m, nrl, ncl); }

float **submatrix(float **a, long oldrl, long oldrh, long oldcl, long, long newrl, long newcl) {
    float **m = static_cast<float **>(alloc(span(oldrl, oldrh), sizeof(float *)));
    if (!m) nrerror("allocation failure in submatrix()");
    m = shift(m, 1 - newrl);
    for (long i = oldrl, j = newrl; i <= oldrh; i++, j++) m[j] = shift(a[i], oldcl - newcl);
    return m;
}

void free_submatrix(float **b, long nrl, long, long, long) { std::free(shift(b, nrl - 1)); }

float **convert_matrix(float *a, long nrl, long nrh, long ncl, long nch) {
    std::size_t ncol = span(ncl, nch);
    float **m = static_cast<float **>(alloc(span(nrl, nrh), sizeof(float *)));
    if (!m) nrerror("allocation failure in convert_matrix()");
    m = shift(m, 1 - nrl);
    m[nrl] = shift(a, -ncl);
    for (long i = nrl + 1; i <= nrh; i++) m[i] = shift(m[i - 1], static_cast<long>(ncol));
    return m;
}

void free_convert_matrix(float **b, long nrl, long, long, long) { std::free(shift(b, nrl - 1)); }

float ***f3tensor(long nrl, long nrh, long ncl, long nch, long ndl, long ndh) {
    std::size_t nrow = span(nrl, nrh), ncol = span(ncl, nch), ndep = span(ndl, ndh);
    float ***t3 = static_cast<float ***>(alloc(nrow, sizeof(float **)));
    if (!t3) nrerror("allocation failure 1 in f3tensor()");
    t3 = shift(t3, 1 - nrl);
    float **cols = static_cast<float **>(alloc(area(nrow, ncol), sizeof(float *)));
    if (!cols) nrerror("allocation failure 2 in f3tensor()");
    t3[nrl] = shift(cols, 1 - ncl);
    float *elems = static_cast<float *>(alloc(area(area(nrow, ncol), ndep), sizeof(float)));
    if (!elems) nrerror("allocation failure 3 in f3tensor()");
    t3[nrl][ncl] = shift(elems, 1 - ndl);
    for (long j = ncl + 1; j <= nch; j++) t3[nrl][j] = shift(t3[nrl][j - 1], static_cast<long>(ndep));
    for (long i = nrl + 1; i <= nrh; i++) {
        t3[i] = shift(t3[i - 1], static_cast<long>(ncol));
        t3[i][ncl] = shift(t3[i - 1][ncl], static_cast<long>(ncol * ndep));
        for (long j = ncl + 1; j <= nch; j++) t3[i][j] = shift(t3[i][j - 1], static_cast<long>(ndep));
    }
    return t3;
}

void free_f3tensor(float ***t3, long nrl, long, long ncl, long, long ndl, long) {
    std::free(shift(t3[nrl][ncl], ndl - 1));
    std::free(shift(t3[nrl], ncl - 1));
    std::free(shift(t3, nrl - 1));
}
