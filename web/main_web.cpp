// main_web.cpp — the browser edition's start-up and frame loop.
//
// Start-up is the desktop's (demarrage.h: the same console lines, base
// directory and first load), then a WebGL 2 context on the page's canvas,
// the renderer's set-up (display.h), the menu tree (interaction.cpp, through
// fenetre_web.cpp) and the frame loop on the browser's animation frames.
// The page script (page.js) sends keys, special keys and the mouse to the
// desktop's own callbacks through the page* functions below.
//
// Pace.  A desktop runs one batch per idle call, about 200 to 250 batches a
// second on a modest machine, and the help counts its press timings in
// batches.  The browser has no idle call; each animation frame therefore
// runs the batches owed since the previous frame at LOTS_PAR_SECONDE of wall
// clock (about 3.75 per frame at 60 Hz, 1.9 at 120 Hz), carrying the
// fraction over, then draws once.  At most LOTS_MAX_PAR_IMAGE run in one
// frame: what is owed beyond is dropped, so a slow machine or a tab coming
// back from the background sees the simulation slow down, never a frozen
// page catching up.  Batches only run while lect is 1; a pause drops the debt.
//
// Failure: without WebGL 2 the console says so and nothing is drawn; the
// batches, keys, menu, editor and help still work, and the console still
// shows the loads and the thrusts.
#include "demarrage.h"
#include "display.h"
#include "fenetre.h"
#include "interaction.h"
#include "orbelune.h"
#include "simulation.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <string>

namespace {

constexpr double LOTS_PAR_SECONDE = 225.0;
constexpr int LOTS_MAX_PAR_IMAGE = 12;

double dette = 0.0;       // batches owed, fraction included
double precedente = -1;   // time of the previous frame, ms; -1 before the first
double lots = 0;          // batches run since start (doubles count exactly far beyond any run)
double images = 0;        // frames drawn since start
bool dessin = false;      // a WebGL 2 context is current: frames are drawn

void image() {
    double maintenant = emscripten_get_now();
    if (lect == 1 && precedente >= 0) {
        dette += (maintenant - precedente) * (LOTS_PAR_SECONDE / 1000.0);
        int n = static_cast<int>(dette);
        if (n > LOTS_MAX_PAR_IMAGE) {
            n = LOTS_MAX_PAR_IMAGE;
            dette = 0.0;
        } else {
            dette -= n;
        }
        for (int k = 0; k < n; k++) {
            nextD();
            lots++;
        }
    } else {
        dette = 0.0;
    }
    precedente = maintenant;

    if (!dessin) return;
    DrawGLSceneF();
    if (images++ == 0) EM_ASM(orbelunePremiereImage());
}

} // namespace

int main(int argc, char **argv) {
    demarrage(argc, argv);
    EM_ASM(document.title = UTF8ToString($0), TITRE_FENETRE);

    EmscriptenWebGLContextAttributes attributs;
    emscripten_webgl_init_context_attributes(&attributs);
    attributs.majorVersion = 2;
    attributs.minorVersion = 0;
    attributs.alpha = false;
    attributs.depth = true;
    attributs.stencil = false;
    attributs.antialias = false;
    attributs.preserveDrawingBuffer = false;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE contexte = emscripten_webgl_create_context("#canvas", &attributs);
    dessin = contexte > 0 && emscripten_webgl_make_context_current(contexte) == EMSCRIPTEN_RESULT_SUCCESS;
    if (dessin) {
        InitGL();
        ReSizeGLScene(LARGEUR_FENETRE, HAUTEUR_FENETRE);
    } else {
        std::fprintf(stderr, "WebGL 2 indisponible dans ce navigateur : la vue ne peut pas etre dessinee\n");
    }
    glutMenu();
    EM_ASM(orbelunePret());
    emscripten_set_main_loop(image, 0, 0);
    return 0;
}

// ---- called by page.js ----------------------------------------------------
extern "C" {

EMSCRIPTEN_KEEPALIVE void pageTouche(int touche, int x, int y) {
    Keyboard(static_cast<unsigned char>(touche), x, y);
}

EMSCRIPTEN_KEEPALIVE void pageToucheSpeciale(int touche, int x, int y) { parsekey_special(touche, x, y); }

EMSCRIPTEN_KEEPALIVE void pageSouris(int bouton, int etat, int x, int y) { mouse(bouton, etat, x, y); }

EMSCRIPTEN_KEEPALIVE void pageMouvement(int x, int y) { motion(x, y); }

EMSCRIPTEN_KEEPALIVE double pageLots() { return lots; }

EMSCRIPTEN_KEEPALIVE double pageImages() { return images; }

// The state the page's tests look at, as JSON; doubles with 17
// digits so they read back exactly.  The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char *pageEtat() {
    static std::string json;
    char tampon[200];
    std::snprintf(tampon, sizeof tampon,
                  "{\"lect\":%d,\"nb\":%d,\"t\":%d,\"dt\":%.17g,\"old_x\":%d,\"old_y\":%d,"
                  "\"spin_x\":%.9g,\"spin_y\":%.9g,\"zv\":%.9g,\"thetay\":%.9g,\"corps\":[",
                  lect, nb, t, dt, old_x, old_y, spin_x, spin_y, zv, thetay);
    json = tampon;
    for (int i = 1; i <= nb; i++) {
        std::snprintf(tampon, sizeof tampon, "%s[%.17g,%.17g,%.17g]", i > 1 ? "," : "", M[i], X[i], Y[i]);
        json += tampon;
    }
    json += "]}";
    return json.c_str();
}

} // extern "C"
