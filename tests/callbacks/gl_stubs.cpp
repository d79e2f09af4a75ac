// gl_stubs.cpp — recording stand-ins for the GLUT calls of the desktop's
// window module, and for the reshape callback and the lighting switch of the
// display module.
#include "gl_stubs.h"

#include "display.h"

#include <GL/glut.h>

#include <string>

namespace stubs {
std::vector<std::string> appels;
std::vector<Menu> menus;
int boutonAttache = -1;
int menuAttache = 0;
void (*reshape)(int, int) = nullptr;
int courant = 0;

void efface() {
    appels.clear();
    menus.clear();
    boutonAttache = -1;
    menuAttache = 0;
    reshape = nullptr;
    courant = 0;
}

int compte(const std::string &appel) {
    int n = 0;
    for (const std::string &a : appels) n += (a == appel);
    return n;
}
} // namespace stubs

using stubs::appels;

// The display module's reshape callback; "s" registers it again.
void ReSizeGLScene(int, int) { appels.push_back("ReSizeGLScene"); }

void eclairage(int allume) { appels.push_back("eclairage " + std::to_string(allume)); }
void glutPostRedisplay() { appels.push_back("glutPostRedisplay"); }
void glutFullScreen() { appels.push_back("glutFullScreen"); }

void glutReshapeFunc(void (*callback)(int, int)) {
    appels.push_back("glutReshapeFunc");
    stubs::reshape = callback;
}

int glutCreateMenu(void (*callback)(int)) {
    appels.push_back("glutCreateMenu");
    stubs::menus.push_back(Menu{callback, {}});
    stubs::courant = static_cast<int>(stubs::menus.size());
    return stubs::courant;
}

void glutAddMenuEntry(const char *label, int value) {
    appels.push_back("glutAddMenuEntry");
    if (stubs::courant > 0) stubs::menus[stubs::courant - 1].entrees.push_back({label, value, 0});
}

void glutAddSubMenu(const char *label, int subMenu) {
    appels.push_back("glutAddSubMenu");
    if (stubs::courant > 0) stubs::menus[stubs::courant - 1].entrees.push_back({label, 0, subMenu});
}

void glutAttachMenu(int button) {
    appels.push_back("glutAttachMenu");
    stubs::boutonAttache = button;
    stubs::menuAttache = stubs::courant;
}
