// maillage.h — the geometry of the browser renderer, free of GL so that it
// can be checked natively: 4 x 4 matrices in GL's column-major layout, the
// projection and the look-at the desktop gets from GLU, the meshes of the
// shapes GLUT draws there (spheres and the teapot, solid and wire), and the
// colour a texture gives at the coordinate (0, 0).
//
// Matrices: float[16], element (row r, column c) at [c * 4 + r], applied to
// column vectors, as GL stores them.  The operations multiply on the right,
// as glRotatef and glTranslatef do: matRotation(m, ...) makes m = m * R.
//
// Meshes: vertices of 8 floats (x, y, z, normal x, y, z, s, t) for shapes of
// size 1 (radius 1, or glutSolidTeapot(1)); the renderer scales the
// positions by the body's radius in its vertex shader and keeps the unit
// normals.  Solid shapes are triangle lists, wire shapes line lists, both
// indexed by 16-bit numbers.  Spheres have their poles on the z axis, as
// GLUT's, and texture coordinates (0, 0) on every vertex: the desktop's
// spheres send none, so they sample the texture's corner.  The teapot is the
// Utah teapot (theiere_donnees.h) with normals averaged from its triangles
// and texture coordinates wrapped around its height axis; its wire form is
// the edges of its quadrilateral patches, without their diagonals, and
// samples the corner like the spheres (the desktop's wire teapot is one
// colour too).  The desktop draws each patch on a finer grid (10 x 10 lines
// where this mesh has 4 x 4) and wraps the texture once per patch.
#ifndef ORBELUNE_MAILLAGE_H
#define ORBELUNE_MAILLAGE_H

#include <cstdint>
#include <vector>

enum { SOMMET_FLOATS = 8 };

void matIdentite(float m[16]);
void matProduit(float m[16], const float a[16], const float b[16]); // m = a * b; m may be a or b
// gluPerspective: computed in double precision, stored as float.  A zero
// aspect is the caller's to avoid.
void matPerspective(float m[16], double fovy, double aspect, double proche, double loin);
// gluLookAt (identity, then the look-at): eye, centre, up.
void matRegard(float m[16], const float oeil[3], const float centre[3], const float haut[3]);
void matRotation(float m[16], float degres, float x, float y, float z);
void matTranslation(float m[16], float x, float y, float z);
void matVecteur(float r[4], const float m[16], const float v[4]); // r = m * v; r may be v

// What GL samples at the texture coordinate (0, 0) of an RGB image (rows of
// w packed three-byte pixels, t = 0 first) when a draw has that coordinate
// on every vertex: no derivatives, so magnification on level 0, with wrap
// GL_REPEAT.  Nearest gives texel (0, 0); linear the mean of the four corner
// texels, as the sample point lies on the corner that the repeated image's
// four corners share.  Channels in 0..1.
void texelOrigine(float rgb[3], const unsigned char *pixels, int w, int h, bool lineaire);

// Window pixel (x from the left, y from the top, fractional) of the eye-space
// point p seen through projection p4 in a viewport of w x h pixels.
void pixelDe(float px[2], const float projection[16], const float vueModele[16], const float p[3], int w,
             int h);

struct Maillage {
    std::vector<float> sommets;          // SOMMET_FLOATS per vertex
    std::vector<std::uint16_t> indices;  // triangles or lines
};

Maillage sphereSolide(int tranches, int piles);
Maillage sphereFilaire(int tranches, int piles);
Maillage theiereSolide();
Maillage theiereFilaire();

#endif
