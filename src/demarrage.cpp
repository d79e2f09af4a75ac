// demarrage.cpp — start-up before the window: console lines, base directory,
// first load.
#include "demarrage.h"

#include "orbelune.h"
#include "simulation.h"

#include <cstdio>
#include <cstring>

void demarrage(int argc, char **argv) {
    // Logs and tests read the console while the window runs.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const char *arg[4];
    for (int k = 0; k < 4; k++) arg[k] = (k < argc && argv[k]) ? argv[k] : "";
    std::printf("argv[0]-> %s [1]-> %s  [2]-> %s [3]-> %s  \n", arg[0], arg[1], arg[2], arg[3]);

    size_t L = std::strlen(arg[0]);
    ici[0] = '\0';
    if (L >= 9 && L - 9 < sizeof ici) {
        std::memcpy(ici, arg[0], L - 9);
        ici[L - 9] = '\0';
    }
    std::printf("nous sommes ici -> %s \n", ici);

    init();

    std::printf("l'affichage OpenGL commence maintenant \n");
}
