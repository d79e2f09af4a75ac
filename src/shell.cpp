// shell.cpp — bounded building of shell commands and their launch.
#include "shell.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Appends n bytes of s at the end of cmd when they fit with the terminator;
// otherwise empties cmd.  Returns whether they fitted.
bool pousse(char *cmd, std::size_t cap, const char *s, std::size_t n) {
    std::size_t l = std::strlen(cmd);
    if (n >= cap - l) {
        cmd[0] = '\0';
        return false;
    }
    std::memcpy(cmd + l, s, n);
    cmd[l + n] = '\0';
    return true;
}

// Appends the text of s inside single quotes, each ' turned into '\''.
bool pousseCite(char *cmd, std::size_t cap, const char *s) {
    for (; *s; s++) {
        bool ok = (*s == '\'') ? pousse(cmd, cap, "'\\''", 4) : pousse(cmd, cap, s, 1);
        if (!ok) return false;
    }
    return true;
}

} // namespace

bool ajoute(char *cmd, std::size_t cap, const char *texte) {
    if (cap == 0) return false;
    return pousse(cmd, cap, texte, std::strlen(texte));
}

bool ajouteChemin(char *cmd, std::size_t cap, const char *dir, const char *nom) {
    if (cap == 0) return false;
    const char *debut = (dir[0] != '\0') ? dir : nom;
    return pousse(cmd, cap, "'", 1) && (debut[0] != '-' || pousse(cmd, cap, "./", 2)) &&
           pousseCite(cmd, cap, dir) && pousseCite(cmd, cap, nom) && pousse(cmd, cap, "'", 1);
}

bool commandeCopie(char *cmd, std::size_t cap, const char *dir, const char *source, const char *cible) {
    if (cap == 0) return false;
    cmd[0] = '\0';
    return ajoute(cmd, cap, "cp ") && ajouteChemin(cmd, cap, dir, source) && ajoute(cmd, cap, " ") &&
           ajouteChemin(cmd, cap, dir, cible);
}

bool commandeOuverture(char *cmd, std::size_t cap, const char *dir, const char *nom) {
    if (cap == 0) return false;
    cmd[0] = '\0';
    return ajoute(cmd, cap, "xdg-open ") && ajouteChemin(cmd, cap, dir, nom) && ajoute(cmd, cap, " &");
}

bool dansPath(const char *programme) {
    const char *path = std::getenv("PATH");
    if (!path) return false;
    for (const char *p = path;; ) {
        const char *fin = std::strchr(p, ':');
        std::size_t n = fin ? static_cast<std::size_t>(fin - p) : std::strlen(p);
        char essai[4096];
        int k = (n == 0) ? std::snprintf(essai, sizeof essai, "%s", programme)
                         : std::snprintf(essai, sizeof essai, "%.*s/%s", static_cast<int>(n), p, programme);
        struct stat st;
        if (k > 0 && static_cast<std::size_t>(k) < sizeof essai && stat(essai, &st) == 0 &&
            S_ISREG(st.st_mode) && access(essai, X_OK) == 0)
            return true;
        if (!fin) return false;
        p = fin + 1;
    }
}

int execute(const char *cmd) {
    // What the command prints must come after what the program printed.
    std::fflush(nullptr);
    return std::system(cmd);
}
