// orbelune.h — the shared state of the simulator.
//
// Every piece of state lives in a variable of static storage duration and is
// read and written directly by name from the GLUT callbacks, all of which run
// on one thread, one at a time: no locks, no accessors.  This header has no GL
// include, so the simulation core, the tools and the tests can use it.
//
// Bodies are numbered 1..nb (at most 15); slot 0 of every body array never
// holds a body and stays 0.0.  Bodies 1..nbat attract; body 1 absorbs, body 2
// takes the thrust.
#ifndef ORBELUNE_H
#define ORBELUNE_H

#include <cstdint>

// Capacity: 16 slots per body array, slot 0 unused, so at most 15 bodies.
enum { NSLOTS = 16, NBMAX = 15 };

// ---- bodies -------------------------------------------------------------
extern int nb;                 // number of bodies, 0..15
extern int nbat;               // bodies 1..nbat attract (nb, or 1 for a negative count)
extern double M[NSLOTS];       // masses; absorption sets a body's mass to 0
extern double X[NSLOTS];       // x positions
extern double Y[NSLOTS];       // y positions
extern double Z[NSLOTS];       // z positions: loaded and drawn, never integrated
extern double Xp[NSLOTS];      // x velocities
extern double Yp[NSLOTS];      // y velocities

// ---- simulation control -------------------------------------------------
extern double dt;              // time step, 0.001 at start; never reset by a load
extern int t;                  // step counter; trails are sampled when t % 1000 == 0
extern int lect;               // run flag: 1 = the idle callback runs batches
extern double px;              // thrust of body 2 for the next batch (+0.5 / -0.5)

// ---- trails -------------------------------------------------------------
extern int niter;              // last trail column: 500 once bodies have been loaded
extern double **tX;            // trail x, rows 0..15 (body number), columns 0..niter
extern double **tY;            // trail y, same shape
extern int initial;            // 1 until the trail matrices are allocated

// ---- view and camera ----------------------------------------------------
extern int rot;                // 1 in rotation mode
extern int trans;              // 1 in translation mode
extern int vol;                // 1 in flight mode
extern float spin_x;           // drag offset x, pixels
extern float spin_y;           // drag offset y, pixels
extern float xv;               // eye x
extern float yv;               // eye y
extern float zv;               // eye z, 50 at start
extern float cth;              // cosine of the heading, as last computed
extern float sth;              // sine of the heading, as last computed
extern float thetay;           // heading in degrees (flight mode)
extern float vitesse;          // vertical eye step pending for the next flight frame
extern int skii;               // body shape 0..3: solid/wire sphere, solid/wire teapot
extern int cerc;               // trail mode 0..2: none, trails, trails and swept areas

// ---- lighting -----------------------------------------------------------
extern float LightAmbient[4];  // ambient colour of light 1
extern float LightDiffuse[4];  // diffuse colour of light 1
extern float LightPosition[4]; // position of light 1 (recomputed in rotation mode)
extern int lp;                 // lighting toggle state; starts at 0 although lighting is on

// ---- input --------------------------------------------------------------
extern int old_x;              // pointer x at the last mouse button event
extern int old_y;              // pointer y at the last mouse button event

// ---- textures and paths -------------------------------------------------
extern std::uint32_t texture[3]; // texture names from glGenTextures (GLuint)
enum { ICI_SIZE = 256 };
extern char ici[ICI_SIZE];     // base directory, ends with '/', prefixed to every data path

#endif
