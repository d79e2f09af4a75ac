// state.cpp — definitions and start-up values of the shared state.
#include "orbelune.h"

int nb = 0;
int nbat = 0;
double M[NSLOTS];
double X[NSLOTS];
double Y[NSLOTS];
double Z[NSLOTS];
double Xp[NSLOTS];
double Yp[NSLOTS];

double dt = 0.001;
int t = 0;
int lect = 0;
double px = 0.0;

int niter = 0;
double **tX = nullptr;
double **tY = nullptr;
int initial = 1;

int rot = 1;
int trans = 0;
int vol = 0;
float spin_x = 0.0f;
float spin_y = 0.0f;
float xv = 0.0f;
float yv = 0.0f;
float zv = 50.0f;
float cth = 1.0f;
float sth = 0.0f;
float thetay = 0.0f;
float vitesse = 0.0f;
int skii = 0;
int cerc = 1;

float LightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
float LightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float LightPosition[4] = {10.0f, 15.0f, -5.0f, 1.0f};
int lp = 0;

int old_x = 0;
int old_y = 0;

std::uint32_t texture[3] = {0, 0, 0};
char ici[ICI_SIZE] = "";
