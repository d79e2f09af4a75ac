// hote_bureau.cpp — hote.h on the desktop: cp and xdg-open through the shell.
//
// Paths are single-quoted by shell.cpp; a command that would not fit its
// buffer, or a missing xdg-open, gives one French line on standard error and
// nothing is run.  cp reports its own failures on standard error.
#include "hote.h"

#include "orbelune.h"
#include "shell.h"

#include <cstdio>

void hoteCopie(const char *source, const char *cible) {
    char cmd[COMMANDE_TAILLE];
    if (commandeCopie(cmd, sizeof cmd, ici, source, cible))
        execute(cmd);
    else
        std::fprintf(stderr, "chemin trop long pour la commande de copie : %s non installe\n", source);
}

void hoteOuvre(const char *nom) {
    if (!dansPath("xdg-open")) {
        std::fprintf(stderr, "xdg-open introuvable : impossible d'ouvrir %s%s\n", ici, nom);
        return;
    }
    char cmd[COMMANDE_TAILLE];
    if (!commandeOuverture(cmd, sizeof cmd, ici, nom)) {
        std::fprintf(stderr, "chemin trop long pour la commande d'ouverture : %s non ouvert\n", nom);
        return;
    }
    execute(cmd);
}
