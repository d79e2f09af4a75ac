// fenetre_web.cpp — the window calls of fenetre.h in the browser page.
//
// The menu tree that interaction.cpp builds through menuCree/menuEntree/
// menuSousMenu is recorded here as GLUT would hold it; the page (page.js)
// reads it back through the page* functions below to build its HTML menu,
// and a chosen entry comes back through pageMenuChoix, which calls the
// callback of the menu that holds it with the entry's value.  Identifiers,
// labels, values and callbacks are therefore exactly those of the desktop.
//
// The canvas is redrawn at every animation frame, so a redisplay request has
// nothing to do; the drawing buffer keeps its 1024 x 768 pixels whatever the
// page's size, so the reshape callback is registered but never needs calling
// again.
#include "fenetre.h"

#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Entree {
    std::string libelle;
    int valeur;    // menu value of an entry
    int sousMenu;  // identifier of a submenu, 0 for an entry
};

struct Menu {
    void (*rappel)(int);
    std::vector<Entree> entrees;
};

std::vector<Menu> menus;  // identifier k is menus[k - 1]
int courant = 0;          // menu that entries go to
int attache = 0;          // menu on the right button, 0 before menuAttache

const Entree *entree(int menu, int k) {
    if (menu < 1 || menu > static_cast<int>(menus.size())) return nullptr;
    const std::vector<Entree> &e = menus[menu - 1].entrees;
    return (k >= 0 && k < static_cast<int>(e.size())) ? &e[k] : nullptr;
}

} // namespace

void fenetreRedessine() {}

void fenetrePleinEcran() {
    EM_ASM(orbelunePleinEcran());
}

void fenetreAdaptation(void (*)(int, int)) {}

int menuCree(void (*rappel)(int)) {
    menus.push_back(Menu{rappel, {}});
    courant = static_cast<int>(menus.size());
    return courant;
}

void menuEntree(const char *libelle, int valeur) {
    if (courant > 0) menus[courant - 1].entrees.push_back(Entree{libelle, valeur, 0});
}

void menuSousMenu(const char *libelle, int menu) {
    if (courant > 0) menus[courant - 1].entrees.push_back(Entree{libelle, 0, menu});
}

// The page has a single pop-up menu, on the right button; the button number
// only matters to GLUT.
void menuAttache(int) { attache = courant; }

void fenetreQuitte() {
    emscripten_cancel_main_loop();
    std::printf("Simulation arretee : la page peut etre fermee (rechargez-la pour recommencer).\n");
    EM_ASM(orbeluneArrete());
}

// ---- read back by page.js -------------------------------------------------
extern "C" {

EMSCRIPTEN_KEEPALIVE int pageMenuAttache() { return attache; }

EMSCRIPTEN_KEEPALIVE int pageMenuTaille(int menu) {
    return (menu >= 1 && menu <= static_cast<int>(menus.size()))
               ? static_cast<int>(menus[menu - 1].entrees.size())
               : 0;
}

EMSCRIPTEN_KEEPALIVE const char *pageMenuLibelle(int menu, int k) {
    const Entree *e = entree(menu, k);
    return e ? e->libelle.c_str() : "";
}

EMSCRIPTEN_KEEPALIVE int pageMenuValeur(int menu, int k) {
    const Entree *e = entree(menu, k);
    return e ? e->valeur : 0;
}

EMSCRIPTEN_KEEPALIVE int pageMenuSous(int menu, int k) {
    const Entree *e = entree(menu, k);
    return e ? e->sousMenu : 0;
}

// Runs the callback of `menu` with `valeur`, as GLUT does for a chosen entry.
EMSCRIPTEN_KEEPALIVE void pageMenuChoix(int menu, int valeur) {
    if (menu >= 1 && menu <= static_cast<int>(menus.size()) && menus[menu - 1].rappel)
        menus[menu - 1].rappel(valeur);
}

} // extern "C"
