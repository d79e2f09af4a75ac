// hote_web.cpp — hote.h in the browser page: copies in the page's own file
// system, and the help and the editor shown in the page.
//
// The base directory lives in emscripten's in-memory file system, filled
// from the files embedded in the page.  A preset is copied with stdio into a
// temporary file that then replaces donnees.txt, so a failed copy (a missing
// preset, a full memory) leaves the previous data file whole; the failure is
// one French line on standard error.  After a successful copy the page saves
// donnees.txt in the browser's storage (page.js), so it survives a reload.
//
// hoteOuvre shows "help.sh" as the help text and opens any other file in the
// page's editor; both are HTML layers over the view, and the simulation keeps
// running behind them, as with the desktop's editor.
#include "hote.h"

#include "orbelune.h"

#include <emscripten.h>

#include <cstdio>
#include <cstring>

namespace {

// ici + nom into chemin; false when it does not fit.
bool chemin(char *dest, std::size_t cap, const char *nom) {
    int n = std::snprintf(dest, cap, "%s%s", ici, nom);
    return n >= 0 && static_cast<std::size_t>(n) < cap;
}

// Copies the file `de` into `vers` (created or truncated); false on any
// failure to read or write.
bool copieOctets(const char *de, const char *vers) {
    std::FILE *in = std::fopen(de, "rb");
    if (!in) return false;
    std::FILE *out = std::fopen(vers, "wb");
    bool ok = out != nullptr;
    char tampon[4096];
    std::size_t n;
    while (ok && (n = std::fread(tampon, 1, sizeof tampon, in)) > 0) ok = std::fwrite(tampon, 1, n, out) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    if (out && std::fclose(out) != 0) ok = false;
    return ok;
}

} // namespace

void hoteCopie(const char *source, const char *cible) {
    char de[512], vers[512], provisoire[520];
    if (!chemin(de, sizeof de, source) || !chemin(vers, sizeof vers, cible) ||
        std::snprintf(provisoire, sizeof provisoire, "%s.copie", vers) >= static_cast<int>(sizeof provisoire)) {
        std::fprintf(stderr, "chemin trop long pour la copie : %s non installe\n", source);
        return;
    }
    if (!copieOctets(de, provisoire) || std::rename(provisoire, vers) != 0) {
        std::remove(provisoire);
        std::fprintf(stderr, "copie impossible de %s vers %s : %s garde son contenu\n", de, vers, cible);
        return;
    }
    EM_ASM(orbeluneSauve(UTF8ToString($0)), vers);
}

void hoteOuvre(const char *nom) {
    EM_ASM(orbeluneOuvre(UTF8ToString($0), UTF8ToString($1)), ici, nom);
}
