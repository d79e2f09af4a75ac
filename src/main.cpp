// main.cpp — start-up and the idle callback.
//
// The executable's file name is exactly 9 characters long and it sits in the
// base directory beside donnees.txt, help.sh, DONNEES/ and TEXTURES/, so
// dropping the last 9 characters of the program path gives that directory,
// trailing separator included.
#include "display.h"
#include "interaction.h"
#include "orbelune.h"
#include "simulation.h"

#include <GL/glut.h>

#include <cstdio>
#include <cstring>

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
    // Logs and tests read the console while the window runs.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const char *arg[4];
    for (int k = 0; k < 4; k++) arg[k] = (k < argc && argv[k]) ? argv[k] : "";
    std::printf("argv[0]-> %s [1]-> %s  [2]-> %s [3]-> %s  \n", arg[0], arg[1], arg[2], arg[3]);

    // A path too short to hold the 9-character name, or whose directory would
    // not fit the buffer, gives the empty base: the current directory.
    size_t L = std::strlen(arg[0]);
    ici[0] = '\0';
    if (L >= 9 && L - 9 < sizeof ici) {
        std::memcpy(ici, arg[0], L - 9);
        ici[L - 9] = '\0';
    }
    std::printf("nous sommes ici -> %s \n", ici);

    init();

    std::printf("l'affichage OpenGL commence maintenant \n");
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_SINGLE | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Orbelune VOQ 2003 ~ ~ ~ ~ ~ ~ ~");
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
