// display.cpp — OpenGL set-up, the frame with its three camera modes, the
// bodies, their trails and swept areas, and the textures.
//
// Projection: 60° vertical field of view, near 0.1, far 1000, aspect of the
// window (InitGL assumes the 1024 x 768 window that start-up opens; every
// reshape replaces it).  The matrix mode stays GL_MODELVIEW after set-up and
// each frame loads its own camera into it.  Only light 1 is used; material,
// colour and texture-environment state keep the GL defaults, so textures
// modulate the lit grey.
//
// Camera (flags rot, trans, vol; exactly one is 1): every mode looks from
// (xv, yv, zv) along (sth, 0, -cth) with y up.  Rotation turns the scene by
// the drag offset in degrees and re-sends light 1 from beside the eye;
// translation drifts the eye by the drag offset / 1000 per frame; flight
// advances the eye 0.015 per frame along the heading and applies the pending
// vertical step.  That state update is regardImage (scene.h), which the
// browser edition shares.  The frame ends by posting the next one, so the
// window is redrawn continuously, running or paused.
//
// Textures: the drawing binds names given as plain numbers — body i binds
// i - 1, trails and swept areas bind 3 — and LoadGLTextures fills them so
// that name 0 holds image 1 with the default (mipmapped, hence incomplete)
// filter, name 1 image 2 nearest-filtered, name 2 image 3 linear, name 3
// image 3 mipmapped; names 4 to 14 are never loaded.  Those numbers meet the
// generated names when the GL hands out 1, 2, 3, as a fresh context does;
// with other names the numbers are translated (nomTexture) so that the same
// pictures land on the same bodies.
//
// Failure: a texture image that cannot be read (the reader reports it on
// standard error), has no pixels, or whose path would not fit 256 bytes is
// skipped: the objects it would fill stay empty and the bodies bound to them
// show their lit colour.  A zero window height gives the aspect of height 1.
// A negative or undefined mass is drawn with the smallest radius, 0.1.
//
// With ORBELUNE_FRAME_BENCH, frames and batches per second and the time from
// start to the first frame are printed on standard error (lines "mesure:").
#include "display.h"

#include "gltx.h"
#include "images.h"
#include "orbelune.h"
#include "scene.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>

#if ORBELUNE_FRAME_BENCH
#include <chrono>
#include <ctime>
#endif

static_assert(sizeof(GLuint) == sizeof(texture[0]), "texture holds GL names");

namespace {

#if ORBELUNE_FRAME_BENCH
using Horloge = std::chrono::steady_clock;
// Set during static initialisation, before main: the start of the run.
const Horloge::time_point debutMesure = Horloge::now();
Horloge::time_point debutSeconde;
long images = 0;
long imagesSeconde = 0;
long lotsSeconde = 0;

// Called at the end of every frame: the first frame's delay, then one line
// per second of wall clock with the frames and batches of that second.
void compteImage() {
    Horloge::time_point maintenant = Horloge::now();
    if (images++ == 0) {
        glFinish(); // the first frame counts once it is really drawn
        maintenant = Horloge::now();
        timespec mur;
        clock_gettime(CLOCK_REALTIME, &mur);
        double ms = std::chrono::duration<double, std::milli>(maintenant - debutMesure).count();
        std::fprintf(stderr, "mesure: premiere image apres %.1f ms (horloge %ld.%06ld)\n", ms,
                     static_cast<long>(mur.tv_sec), static_cast<long>(mur.tv_nsec / 1000));
        debutSeconde = maintenant;
        return;
    }
    imagesSeconde++;
    double s = std::chrono::duration<double>(maintenant - debutSeconde).count();
    if (s >= 1.0) {
        std::fprintf(stderr, "mesure: %.1f images/s %.1f lots/s\n", imagesSeconde / s, lotsSeconde / s);
        imagesSeconde = 0;
        lotsSeconde = 0;
        debutSeconde = maintenant;
    }
}
#endif

// The texture object that the drawing's number n stands for (see the header
// comment).  The numbers 1..3 are the generated names; any other number is
// kept unless a generated name took it, in which case it is sent on to the
// number 1..3 that the generated names left free, so that a body meant to
// show no texture never shows one.  The chain is at most three steps long.
GLuint nomTexture(int n) {
    if (n >= 1 && n <= 3) return texture[n - 1];
    GLuint nom = static_cast<GLuint>(n);
    for (int pas = 0; pas < 3; pas++) {
        int k = 0;
        while (k < 3 && texture[k] != nom) k++;
        if (k == 3) break;
        nom = static_cast<GLuint>(k + 1);
    }
    return nom;
}

// Sends light 1's colours and position, in this order.
void envoieLumiere() {
    glLightfv(GL_LIGHT1, GL_AMBIENT, LightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, LightPosition);
}

// Level-0 upload of an image into the texture object bound now.
void envoieImage(const GltxImage *image, GLint format) {
    if (!image) return;
    glTexImage2D(GL_TEXTURE_2D, 0, format, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image->data);
}

void filtres(GLint agrandi, GLint reduit) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, agrandi);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, reduit);
}

// Reads one image and uploads it (internal format GL_RGB) into the object
// bound at this moment, the one filled before it.
GltxImage *litEtEnvoie(const char *nom) {
    GltxImage *image = litTexture(nom);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of packed three-byte pixels
    envoieImage(image, GL_RGB);
    return image;
}

} // namespace

void LoadGLTextures() {
    // Each image goes first into the object bound at that moment, then into
    // its own; this order decides what every name holds.
    GltxImage *image1 = litEtEnvoie("TEXTURES/texture1.sgi"); // the default object, name 0
    glGenTextures(3, texture);
    glBindTexture(GL_TEXTURE_2D, texture[0]);
    filtres(GL_NEAREST, GL_NEAREST);
    envoieImage(image1, 3);

    GltxImage *image2 = litEtEnvoie("TEXTURES/texture2.sgi"); // replaces image 1 in texture[0]
    glBindTexture(GL_TEXTURE_2D, texture[1]);
    filtres(GL_LINEAR, GL_LINEAR);
    envoieImage(image2, 3);

    GltxImage *image3 = litEtEnvoie("TEXTURES/texture3.sgi"); // replaces image 2 in texture[1]
    glBindTexture(GL_TEXTURE_2D, texture[2]);
    filtres(GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST);
    if (image3)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image3->width, image3->height, GL_RGB, GL_UNSIGNED_BYTE,
                          image3->data);

    // The GL keeps its own copies; the records are not needed any more.
    for (GltxImage *image : {image1, image2, image3})
        if (image) gltxDelete(image);
}

void InitGL() {
    LoadGLTextures();
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glFrontFace(GL_CCW);
    glCullFace(GL_FRONT); // culling itself is never enabled
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1024.0f / 768.0f, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    // The modelview is the identity here: the position is in eye coordinates.
    envoieLumiere();
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
}

void ReSizeGLScene(int width, int height) {
    // A window of no height (minimised, dragged shut) keeps a finite
    // projection: its aspect is taken as if it were one pixel high.
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<float>(width) / static_cast<float>(height), 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DrawGLSceneF() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The camera state steps in regardImage, shared with the browser edition.
    float oeil[3], centre[3];
    regardImage(oeil, centre);
    glLoadIdentity();
    gluLookAt(oeil[0], oeil[1], oeil[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0);
    if (rot == 1) {
        glRotatef(spin_y, 5.0f, 0.0f, 0.0f);
        glRotatef(spin_x, 0.0f, 1.0f, 0.0f);
        // Sent after the rotations: the light turns with the bodies.
        envoieLumiere();
    }

    dessineCorps();

    glutSwapBuffers(); // single-buffered window: the flush delivers the frame
    glutPostRedisplay();
    glFlush();
#if ORBELUNE_FRAME_BENCH
    compteImage();
#endif
}

void planete(double x, double y, double z, double m, int i) {
    float r = rayonCorps(m);
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    glBindTexture(GL_TEXTURE_2D, nomTexture(i - 1));
    switch (skii) {
    case 0: glutSolidSphere(r, 20, 20); break;
    case 1: glutWireSphere(r, 10, 10); break;
    case 2: glutSolidTeapot(r); break;
    case 3: glutWireTeapot(r); break;
    default: break;
    }
    glPopMatrix();
}

void tracplanete(double, double, double, int i) {
    if (!tX || !tY) return;
    glBindTexture(GL_TEXTURE_2D, nomTexture(3));
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j <= niter; j++)
        glVertex3f(static_cast<float>(tX[i][j]), static_cast<float>(tY[i][j]), 0.0f);
    glEnd();
}

void tracaire(double, double, double, int i) {
    if (!tX || !tY || niter < 20) return;
    glBindTexture(GL_TEXTURE_2D, nomTexture(3));
    glBegin(GL_POLYGON);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glTexCoord1f(0.0f);
    glVertex3f(static_cast<float>(X[1]), static_cast<float>(Y[1]), static_cast<float>(Z[1]));
    for (int j = niter - 20; j <= niter; j++)
        glVertex3f(static_cast<float>(tX[i][j]), static_cast<float>(tY[i][j]), 0.0f);
    glEnd();
}

void eclairage(int allume) {
    if (allume)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

#if ORBELUNE_FRAME_BENCH
void benchBatch() { lotsSeconde++; }
#endif
