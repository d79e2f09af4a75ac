// display.h — OpenGL set-up, the frame with its three camera modes, bodies,
// trails, swept areas and textures.  The only GL-facing module besides
// start-up and interaction.
#ifndef ORBELUNE_DISPLAY_H
#define ORBELUNE_DISPLAY_H

#include "orbelune.h"

void InitGL();                       // textures, depth, light 1, first projection
void ReSizeGLScene(int width, int height); // reshape: viewport and 60° perspective
void DrawGLSceneF();                 // display: clear, camera, bodies, next frame
void planete(double x, double y, double z, double m, int i); // body i, sized by mass
void tracplanete(double x, double y, double z, int i);       // trail line of body i
void tracaire(double x, double y, double z, int i);          // swept area from body 1
void LoadGLTextures();               // the three SGI images into texture objects
void eclairage(int allume);          // lighting on (1) or off (0), from the next frame

// The bodies of one frame, after the camera: body i, then with cerc 1 its
// trail, with cerc 2 its trail and its swept area.  Inline so that both
// renderers (display.cpp, the browser's rendu_webgl.cpp) draw in the same
// order, and so that no object file of the GL-free core refers to the
// drawing functions above.
inline void dessineCorps() {
    for (int i = 1; i <= nb; i++) {
        planete(X[i], Y[i], Z[i], M[i], i);
        if (cerc == 1) tracplanete(X[i], Y[i], Z[i], i);
        if (cerc == 2) {
            tracplanete(X[i], Y[i], Z[i], i);
            tracaire(X[i], Y[i], Z[i], i);
        }
    }
}

#if ORBELUNE_FRAME_BENCH
void benchBatch();                   // counts one batch run by the idle callback
#endif

#endif
