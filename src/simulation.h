// simulation.h — loading a scenario, the accelerations, the time stepping,
// absorption by body 1 and the trail store.  No GL here.
//
// Scenario file (donnees.txt and every preset), read with fixed formats:
//     nb=%i                     count; negative: only body 1 attracts
//     m=%lf                     then, for each body 1..nb:
//     x=%lf y=%lf z=%lf
//     u=%lf v=%lf w=%lf
// Blanks and newlines in a format match any run of white space, so records
// may be joined on one line or separated by blank lines.  A field that does
// not match keeps its previous value; a warning names the body and record.
// More than 15 bodies: a warning, and only the first 15 are read.
//
// A batch (nextD) is 50 steps of length dt with a midpoint scheme; the thrust
// px acts for one batch and is cleared; body 1 then absorbs what lies strictly
// inside M[1]^0.333; every 1000th step the trails take a sample.
#ifndef ORBELUNE_SIMULATION_H
#define ORBELUNE_SIMULATION_H

enum {
    NITER = 500,       // last trail column
    NSTEPS = 50,       // steps per batch
    SAMPLE_EVERY = 1000 // steps between two trail samples
};

// Loads ici + "donnees.txt"; echoes the scenario on standard output.  A file
// that cannot be opened or read (a directory, say) leaves every piece of
// state as it was, thrust included, and one French line on standard error
// names its path.  Returns 0.
int init();
// The same, from a path of the caller's (the trace tool reads any file).
int charge(const char *chemin);

// x and y acceleration of body i: attraction of bodies 1..n (i excluded),
// plus for body 2 the thrust along the velocity passed in.  Coincident bodies
// and body 2 at rest contribute 0 instead of a division by zero.
double Fx(int i, int n, const double *masses, const double *xs, const double *ys,
          const double *vxs, const double *vys, double thrust);
double Fy(int i, int n, const double *masses, const double *xs, const double *ys,
          const double *vxs, const double *vys, double thrust);

// One batch: 50 steps, then px = 0, collision(), and a trail sample when
// t is a multiple of 1000.  nextD is organised for speed (src/lot.h);
// nextDReference is the same batch written straight from the formulas, with
// Fx and Fy, which the tests hold nextD to bit for bit.
void nextD();
void nextDReference();
// Body 1 absorbs every body strictly within its radius M[1]^0.333.
void collision();
// Trail sample: the newest position (or a repeat for a massless body) goes
// into column niter, then every row shifts one column toward 0.
void echantillonne();

#endif
