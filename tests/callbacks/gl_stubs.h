// gl_stubs.h — what the GL and GLUT stand-ins of gl_stubs.cpp recorded.
//
// The interaction module is linked against these stand-ins instead of the
// real libraries, so its callbacks run without a window.  Each stand-in
// appends one line to `appels` ("eclairage 1", "glutPostRedisplay", ...)
// and the menu calls also build `menus`, the tree as GLUT would hold it.
#ifndef ORBELUNE_GL_STUBS_H
#define ORBELUNE_GL_STUBS_H

#include <string>
#include <vector>

struct EntreeMenu {
    std::string libelle;
    int valeur;       // menu value of an entry
    int sousMenu;     // identifier of the submenu, 0 for an entry
};

struct Menu {
    void (*rappel)(int);
    std::vector<EntreeMenu> entrees;
};

namespace stubs {
extern std::vector<std::string> appels;  // every GL/GLUT call, in order
extern std::vector<Menu> menus;          // menu identifier k is menus[k - 1]
extern int boutonAttache;                // button of glutAttachMenu, -1 if none
extern int menuAttache;                  // menu current at glutAttachMenu
extern void (*reshape)(int, int);        // last glutReshapeFunc callback
void efface();                           // forgets everything recorded
int compte(const std::string &appel);    // how many times appel was recorded
}

#endif
