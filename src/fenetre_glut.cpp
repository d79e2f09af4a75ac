// fenetre_glut.cpp — the window calls of fenetre.h on the desktop: GLUT.
#include "fenetre.h"

#include <GL/glut.h>

#include <cstdlib>

void fenetreRedessine() { glutPostRedisplay(); }
void fenetrePleinEcran() { glutFullScreen(); }
void fenetreAdaptation(void (*rappel)(int, int)) { glutReshapeFunc(rappel); }
int menuCree(void (*rappel)(int)) { return glutCreateMenu(rappel); }
void menuEntree(const char *libelle, int valeur) { glutAddMenuEntry(libelle, valeur); }
void menuSousMenu(const char *libelle, int menu) { glutAddSubMenu(libelle, menu); }
void menuAttache(int bouton) { glutAttachMenu(bouton); }

// No confirmation and nothing to save: the data file is only ever written by
// a preset copy that has already finished.
void fenetreQuitte() { std::exit(0); }
