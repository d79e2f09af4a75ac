// interaction.cpp — keys, special keys, mouse drag, the right-button menu
// tree and the installation of preset scenarios.
//
// Every callback runs on the GLUT thread between two batches and two frames
// and only writes the shared state; nothing here draws.  Keys, codes and menu
// values outside the tables below are ignored without a message.
//
// Keys:    + - thrust of body 2 (+0.5 / -0.5 for the next batch, echoed)
//          g run, p pause, z reload the data file (paused)
//          l lighting toggle, r t v camera modes, s reshape again,
//          F full screen, Q quit (status 0)
// Special: left/right heading -/+0.5 degree, up/down vertical step -/+0.05,
//          page up/down eye z -/+5.
// Drag:    any button event sets the origin, every movement with a button
//          held sets the offset from that origin.
//
// The window (redisplay, full screen, reshape, menus, quit) is reached
// through fenetre.h, the copy of a preset and the opening of the help and the
// data file through hote.h, the lighting through display.h: the same dispatch
// serves the desktop and the browser page.  A failed copy leaves the previous
// data file, which is then reloaded.
#include "interaction.h"

#include "display.h"
#include "fenetre.h"
#include "hote.h"
#include "orbelune.h"
#include "simulation.h"

#include <GL/glut.h>  // key and button codes only

#include <cstdio>

namespace {

// Preset files, relative to the base directory, by menu value 1..15.
const char *const PRESET_FICHIER[16] = {
    nullptr,
    "DONNEES/donneesTIR.txt",
    "DONNEES/donneesIsoE.txt",
    "DONNEES/donneesLoiAires1.txt",
    "DONNEES/donneesLoiAires2.txt",
    "DONNEES/donneesA3T2.txt",
    "DONNEES/donneesPhaPos.txt",
    "DONNEES/donneesPhaNeg.txt",
    "DONNEES/donnees11.txt",
    "DONNEES/donnees10.txt",
    "DONNEES/donneesHom.txt",
    "DONNEES/donneesRDV1.txt",
    "DONNEES/donneesRDV2.txt",
    "DONNEES/donnees12.txt",
    "DONNEES/donneesEdoub.txt",
    "DONNEES/donneesTL.txt",
};

// Labels of the "Cas Initiaux" entries, same order.
const char *const PRESET_LIBELLE[16] = {
    nullptr,
    "tir",
    "iso Energie et iso T",
    "loi des aires 1",
    "loi des aires 2",
    "loi a^3/T^2",
    "Phasing Dv>0",
    "Phasing Dv<0",
    "ellipse",
    "hyperbole ",
    "transf. Homann",
    "Rendez Vous 1",
    "Rendez Vous 2",
    "syst. double 1",
    "syst. double 2",
    "syst. triple",
};

// Lighting toggle of key "l" and menu value 11.  lp starts at 0 while the
// lighting is already on, so the first toggle leaves it on.
void basculeLumiere() {
    lp = (lp == 0) ? 1 : 0;
    eclairage(lp);
}

// The camera mode: exactly one of the three flags is 1, always set together.
void mode(int r, int tr, int v) {
    rot = r;
    trans = tr;
    vol = v;
}

void modeTranslation() {
    mode(0, 1, 0);
    spin_x = 0;
    spin_y = 0;
}

void modeVol() {
    mode(0, 0, 1);
    vitesse = 0;
    thetay = 0;
}

// Back to the first view; the bodies, the run flag, the shape, the trail
// mode, the lighting and dt stay.
void razVue() {
    t = 0;
    fenetreRedessine();
    mode(1, 0, 0);
    xv = 0;
    yv = 0;
    zv = 50;
    cth = 1;
    sth = 0;
    vitesse = 0;
    thetay = 0;
    spin_x = 0;
    spin_y = 0;
}

} // namespace

void Keyboard(unsigned char key, int, int) {
    switch (key) {
    case '+':
        std::printf("+\n");
        px = 0.5;
        break;
    case '-':
        std::printf("-\n");
        px = -0.5;
        break;
    case 'g': lect = 1; break;
    case 'p': lect = 0; break;
    case 'z':
        init();
        lect = 0;
        break;
    case 'l': basculeLumiere(); break;
    case 'r': mode(1, 0, 0); break;  // the drag offset stays
    case 't': modeTranslation(); break;
    case 'v': modeVol(); break;
    case 's': fenetreAdaptation(ReSizeGLScene); break;
    case 'F': fenetrePleinEcran(); break;
    case 'Q': fenetreQuitte(); break;
    default: break;
    }
}

void parsekey_special(int key, int, int) {
    switch (key) {
    case GLUT_KEY_LEFT: thetay = thetay - 0.5; break;
    case GLUT_KEY_RIGHT: thetay = thetay + 0.5; break;
    case GLUT_KEY_UP: vitesse = -0.05; break;
    case GLUT_KEY_DOWN: vitesse = 0.05; break;
    case GLUT_KEY_PAGE_UP: zv = zv - 5.0f; break;
    case GLUT_KEY_PAGE_DOWN: zv = zv + 5.0f; break;
    default: break;
    }
}

void mouse(int, int, int x, int y) {
    old_x = x;
    old_y = y;
    fenetreRedessine();
}

void motion(int x, int y) {
    spin_x = x - old_x;
    spin_y = y - old_y;
    fenetreRedessine();
}

void glutMenu() {
    int cas = menuCree(toutfait);
    for (int v = 1; v <= 15; v++) menuEntree(PRESET_LIBELLE[v], v);

    int vues = menuCree(M_menu_select);
    menuEntree("translation (t)", 4);
    menuEntree("rotation.....(r)", 5);
    menuEntree("vol............ (v)", 6);
    menuEntree("(pgup) (pgdn) ", 99);

    int aspect = menuCree(M_menu_select);
    menuEntree("solide/ squelette       ", 7);
    menuEntree("Trajectoire/Aire O/N    ", 8);
    menuEntree("couleur O/N         (l)", 11);

    menuCree(M_menu_select);
    menuSousMenu("Cas Initiaux", cas);
    menuEntree("Edition du fichier donnees", 13);
    menuEntree("Lance calcul (g)", 1);
    menuEntree("Pause calcul (p)", 2);
    menuSousMenu("vues ", vues);
    menuEntree("RAZ vue /RAZ calcul->(z)", 3);
    menuSousMenu("Aspect", aspect);
    menuEntree("dt*2                    ", 9);
    menuEntree("dt/2                   ", 10);
    menuEntree("Aide               ", 12);
    menuEntree("Quitte              (Q)", 22);
    menuAttache(GLUT_RIGHT_BUTTON);
}

void M_menu_select(int value) {
    switch (value) {
    case 1: lect = 1; break;
    case 2: lect = 0; break;
    case 3: razVue(); break;
    case 4: modeTranslation(); break;
    case 5:  // unlike key "r", the menu entry also clears the drag offset
        mode(1, 0, 0);
        spin_x = 0;
        spin_y = 0;
        break;
    case 6: modeVol(); break;
    case 7: skii = (skii + 1) % 4; break;
    case 8: cerc = (cerc + 1) % 3; break;
    case 9: dt = dt + dt; break;
    case 10: dt = dt / 2; break;
    case 11: basculeLumiere(); break;
    case 12: hoteOuvre("help.sh"); break;
    case 13: hoteOuvre("donnees.txt"); break;
    case 22: fenetreQuitte(); break;
    default: break;  // 99 "(pgup) (pgdn) " only shows the page keys
    }
}

void null_select(int) {}

void toutfait(int value) {
    lect = 0;
    if (value >= 1 && value <= 15) hoteCopie(PRESET_FICHIER[value], "donnees.txt");
    init();
    lect = 0;
    fenetreRedessine();
}
