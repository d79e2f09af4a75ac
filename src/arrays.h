// arrays.h — vectors, matrices and a 3-D tensor indexed over any integer range.
//
// Each object is one contiguous block of elements (plus one block of row
// pointers per level of indexing), each block with one spare slot in front
// that never holds data.  The pointer handed back is displaced so that
// indexing it with the caller's first index reaches the first element after
// the spare slot: dmatrix(1, 3, 1, 3) is indexed m[1..3][1..3], and
// dmatrix(0, 15, 0, 500) gives 16 rows of 501 doubles laid end to end, so the
// element after m[i][500] is m[i + 1][0].
//
// The displacement is done in integer arithmetic on the address, so a first
// index above 1 never forms an out-of-range pointer in the C++ sense.
//
// Failure: an allocator never returns null.  When memory runs out (or the
// size cannot be represented) it calls nrerror with its message, which prints
// three lines on standard error and ends the process with status 1.
// Release: each free_* takes the object and the allocator's bounds; only the
// first indices are needed to find the blocks again.  submatrix and
// convert_matrix own only their pointer block: free_submatrix takes the
// submatrix's own bounds (its new first row), not those of the matrix it
// views, and neither release touches the elements.
// An empty range (last below first) is refused like memory running out.
#ifndef ORBELUNE_ARRAYS_H
#define ORBELUNE_ARRAYS_H

#include <cstdint>

[[noreturn]] void nrerror(const char *error_text);

float *vector(long nl, long nh);
int *ivector(long nl, long nh);
unsigned char *cvector(long nl, long nh);
std::uint32_t *lvector(long nl, long nh);
double *dvector(long nl, long nh);

float **matrix(long nrl, long nrh, long ncl, long nch);
double **dmatrix(long nrl, long nrh, long ncl, long nch);
int **imatrix(long nrl, long nrh, long ncl, long nch);
float **submatrix(float **a, long oldrl, long oldrh, long oldcl, long oldch,
                  long newrl, long newcl);
float **convert_matrix(float *a, long nrl, long nrh, long ncl, long nch);
float ***f3tensor(long nrl, long nrh, long ncl, long nch, long ndl, long ndh);

void free_vector(float *v, long nl, long nh);
void free_ivector(int *v, long nl, long nh);
void free_cvector(unsigned char *v, long nl, long nh);
void free_lvector(std::uint32_t *v, long nl, long nh);
void free_dvector(double *v, long nl, long nh);
void free_matrix(float **m, long nrl, long nrh, long ncl, long nch);
void free_dmatrix(double **m, long nrl, long nrh, long ncl, long nch);
void free_imatrix(int **m, long nrl, long nrh, long ncl, long nch);
void free_submatrix(float **b, long nrl, long nrh, long ncl, long nch);
void free_convert_matrix(float **b, long nrl, long nrh, long ncl, long nch);
void free_f3tensor(float ***t, long nrl, long nrh, long ncl, long nch, long ndl, long ndh);

#endif
