// main.cpp — the desktop program: start-up (demarrage.h), the GLUT window
// and its callbacks, and the idle callback that runs one batch per call.
#include "demarrage.h"
#include "display.h"
#include "fenetre.h"
#include "interaction.h"
#include "orbelune.h"
#include "simulation.h"

#include <GL/glut.h>

// Runs one batch while the simulation runs; nothing otherwise.
void idleFunc() {
    if (lect == 1) {
        nextD();
#if ORBELUNE_FRAME_BENCH
        benchBatch();
#endif
    }
}

int main(int argc, char **argv) {
    demarrage(argc, argv);

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_SINGLE | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(LARGEUR_FENETRE, HAUTEUR_FENETRE);
    glutInitWindowPosition(0, 0);
    glutCreateWindow(TITRE_FENETRE);
    InitGL();
    glutMenu();
    glutDisplayFunc(DrawGLSceneF);
    glutReshapeFunc(ReSizeGLScene);
    glutMotionFunc(motion);
    glutMouseFunc(mouse);
    glutKeyboardFunc(Keyboard);
    glutSpecialFunc(parsekey_special);
    glutIdleFunc(idleFunc);
#if ORBELUNE_FRAME_BENCH
    // The measuring build draws the heaviest frame from the start: trails and
    // swept areas (the trail mode the aspect menu reaches second).
    cerc = 2;
#endif
    glutMainLoop();
    return 0;
}
