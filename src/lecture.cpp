// lecture.cpp — the data file's records read with their place in the file.
// See lecture.h for the rules; here, how they are kept.
#include "lecture.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

const char PREFIXE_ATTENTION[] = "attention: ";

namespace {

// Bytes of the file's text quoted in a warning.
const size_t CITATION = 40;

// The file being read.  Characters looked at but not taken wait in `avance`
// from index `tete` on (a warning quotes the rest of a line without taking
// it; a number's digits are all looked at before they are taken).
std::FILE *fichier = nullptr;
std::string nom; // the path, made visible
std::string avance;
size_t tete = 0;
long long position = 0; // offset of the next character to take
long ligne = 1;         // line of the next character to take
long ligne_texte = 1;   // line of the last character taken that is not white space
long ligne_champ = 1;

// The end of the file inside the records: the body it came in, 0 if none.
int corps_fin = 0;

// The place where the last record stopped; records stopping there again
// are counted instead of each printing the same text.
long long arret = -1;
long ligne_arret = 0;
int arrets_repetes = 0, repete_de = 0, repete_a = 0;

bool blanc(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool chiffre(int c) { return c >= '0' && c <= '9'; }
bool lettre(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// A character that may stand in a number's text, nan(...) and 0,5 included.
bool de_nombre(int c) { return chiffre(c) || lettre(c) || (c != 0 && std::strchr(".,+-_()", c)); }
const char *pluriel(long n) { return n > 1 ? "s" : ""; }

// The k-th character ahead, not taken; EOF at the end or on a read error.
int voit(size_t k) {
    while (avance.size() - tete <= k) {
        int c = std::getc(fichier);
        if (c == EOF) return EOF;
        avance += static_cast<char>(c);
    }
    return static_cast<unsigned char>(avance[tete + k]);
}

int prend() {
    int c = voit(0);
    if (c == EOF) return EOF;
    if (++tete == avance.size()) {
        avance.clear();
        tete = 0;
    }
    position++;
    if (c == '\n') ligne++;
    else if (!blanc(c)) ligne_texte = ligne;
    return c;
}

void passe_blancs() {
    while (blanc(voit(0))) prend();
}

// Length of the valid UTF-8 sequence at t[i], 0 if there is none.
size_t sequence_utf8(const std::string &t, size_t i) {
    unsigned char c = static_cast<unsigned char>(t[i]);
    size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (i + n > t.size()) return 0;
    for (size_t j = 1; j < n; j++)
        if ((static_cast<unsigned char>(t[i + j]) & 0xC0) != 0x80) return 0;
    return n;
}

// A text made safe for a one-line message: UTF-8 kept whole, control
// characters, quotes, backslashes and other bytes as C escapes.  Cut with
// "..." when more than `limite` bytes of it would be shown.
std::string visible(const std::string &t, size_t limite = std::string::npos) {
    static const char chiffres[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0, n; i < t.size(); i += n) {
        unsigned char c = static_cast<unsigned char>(t[i]);
        n = c >= 0x80 ? sequence_utf8(t, i) : 0;
        if (i + (n ? n : 1) > limite) return s + "...";
        if (n) {
            s.append(t, i, n);
            continue;
        }
        n = 1;
        if (c == '\t') s += "\\t";
        else if (c == '\r') s += "\\r";
        else if (c == '\n') s += "\\n";
        else if (c == '"' || c == '\\') s += {'\\', static_cast<char>(c)};
        else if (c < 0x20 || c >= 0x7F) s += {'\\', 'x', chiffres[c >> 4], chiffres[c & 15]};
        else s += static_cast<char>(c);
    }
    return s;
}

// `deja` (the part of a label already taken) and the file's text from the
// next character to the end of the line, made visible and cut after
// CITATION bytes; nothing is taken.  A carriage return just before the
// newline belongs to the line's end.
std::string citation(const std::string &deja) {
    std::string brut = deja;
    for (size_t k = 0; brut.size() <= CITATION + 4; k++) {
        int c = voit(k);
        if (c == EOF || c == '\n' || (c == '\r' && voit(k + 1) == '\n')) break;
        brut += static_cast<char>(c);
    }
    return visible(brut, CITATION);
}

// The line with the count of records that stopped where the last one did.
void solde_arrets() {
    if (arrets_repetes == 0) return;
    std::string qui = "corps " + std::to_string(repete_de);
    if (repete_a != repete_de) qui += " à " + std::to_string(repete_a);
    if (arrets_repetes == 1)
        lecture_attention(ligne_arret,
                          "lecture bloquée sur ce texte : 1 autre enregistrement non lu (%s), ses champs gardent "
                          "leur valeur précédente",
                          qui.c_str());
    else
        lecture_attention(ligne_arret,
                          "lecture bloquée sur ce texte : %d autres enregistrements non lus (%s), leurs champs "
                          "gardent leur valeur précédente",
                          arrets_repetes, qui.c_str());
    arrets_repetes = 0;
}

// A record stopped here.  Returns true when it is the first to stop at this
// place (its warning is to be printed), false when it only adds to the count.
bool s_arrete(int corps) {
    if (position == arret) {
        if (arrets_repetes++ == 0) repete_de = corps;
        repete_a = corps;
        return false;
    }
    solde_arrets();
    arret = position;
    ligne_arret = ligne;
    return true;
}

// Length of the number starting at the next character for %lf (entier
// false) or %li (entier true), 0 if there is none; nothing is taken.
// strtod and strtoll (base 0, as %li) say where it ends, on the characters
// ahead that could belong to a number, so the forms accepted are exactly
// theirs: sign, digits, point, exponent, hexadecimal, inf, nan(...); for
// %li also 0x and a leading 0 for octal.  An incomplete exponent ("1e")
// is left out, as they leave it.
// *virgule: a decimal comma stands where the point would (after the sign
// and the integer digits, before a digit); *non_fini: nan or inf.
size_t longueur_nombre(bool entier, bool *virgule, bool *non_fini) {
    *virgule = *non_fini = false;
    std::string t;
    for (int c; de_nombre(c = voit(t.size()));) t += static_cast<char>(c);
    char *fin;
    if (entier) {
        std::strtoll(t.c_str(), &fin, 0);
        return static_cast<size_t>(fin - t.c_str());
    }
    size_t signe = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    size_t k = signe;
    while (k < t.size() && chiffre(t[k])) k++;
    if (k + 1 < t.size() && t[k] == ',' && chiffre(t[k + 1])) {
        *virgule = true;
        t[k] = '.';
    }
    std::strtod(t.c_str(), &fin);
    size_t n = static_cast<size_t>(fin - t.c_str());
    *non_fini = n > signe && lettre(t[signe]);
    return n;
}

enum Etat { LU, ARRET, FIN };

// Where a record that stopped stands, first words of its warning.
std::string lieu(int corps, const char *quoi) {
    if (corps == 0) return "enregistrement \"nb=\" illisible, nombre de corps inchangé";
    return "corps " + std::to_string(corps) + ", enregistrement \"" + quoi + "\" illisible ou incomplet";
}

// Runs `format` on the file (corps 0: the count).  Conversions are handed to
// `stocke` with the number's text (taken), its label and flags; literal
// characters must match.
// Returns LU when the whole format matched, ARRET where matching stopped
// (after printing its warning), FIN at the end of the file.
template <class Stocke>
Etat interprete(int corps, const char *format, const char *quoi, Stocke stocke) {
    std::string etiquette; // the label being matched, as far as it matched
    const char *attendue = format;
    for (const char *p = format; *p;) {
        if (blanc(static_cast<unsigned char>(*p))) {
            passe_blancs();
            p++;
            continue;
        }
        if (*p == '%') {
            bool entier = p[2] == 'i';
            p += 3; // %lf or %li
            passe_blancs();
            if (voit(0) == EOF) return FIN;
            bool virgule, non_fini;
            size_t n = longueur_nombre(entier, &virgule, &non_fini);
            if (n == 0) {
                if (s_arrete(corps))
                    lecture_attention(ligne, "%s : nombre%s attendu après \"%s\", trouvé \"%s\"",
                                      lieu(corps, quoi).c_str(), entier ? " entier" : "", etiquette.c_str(),
                                      citation("").c_str());
                return ARRET;
            }
            ligne_champ = ligne;
            std::string texte;
            for (size_t i = 0; i < n; i++) texte += static_cast<char>(prend());
            stocke(texte, etiquette, virgule, non_fini);
            etiquette.clear();
            continue;
        }
        // A label: its characters from here to the next blank or conversion.
        if (etiquette.empty()) attendue = p;
        int c = voit(0);
        if (c == EOF) return FIN;
        if (c != static_cast<unsigned char>(*p)) {
            if (s_arrete(corps)) {
                size_t l = 0;
                while (attendue[l] && attendue[l] != '%' && !blanc(static_cast<unsigned char>(attendue[l]))) l++;
                std::string voulu(attendue, l);
                lecture_attention(ligne, "%s : \"%s\" attendu, trouvé \"%s\"", lieu(corps, quoi).c_str(), voulu.c_str(),
                                  citation(etiquette).c_str());
            }
            return ARRET;
        }
        etiquette += static_cast<char>(prend());
        p++;
    }
    return LU;
}

} // namespace

int lecture_debut(std::FILE *f, const char *chemin) {
    fichier = f;
    nom = visible(chemin);
    avance.clear();
    tete = 0;
    position = 0;
    ligne = ligne_champ = 1;
    ligne_texte = 1;
    corps_fin = 0;
    arret = -1;
    arrets_repetes = 0;
    if (voit(0) == EOF && std::ferror(f)) return 0;
    if (voit(0) == 0xEF && voit(1) == 0xBB && voit(2) == 0xBF)
        for (int i = 0; i < 3; i++) prend();
    passe_blancs();
    return 1;
}

int lecture_compte(long long *compte) {
    bool lu = false;
    Etat etat = interprete(0, "nb=%li\n", "nb=", [&](const std::string &texte, const std::string &, bool, bool) {
        *compte = std::strtoll(texte.c_str(), nullptr, 0);
        lu = true;
    });
    if (etat == FIN && !lu)
        lecture_attention(ligne, "%s : %s", lieu(0, "nb=").c_str(), position == 0 ? "fichier vide" : "fin du fichier");
    return lu ? 1 : 0;
}

void lecture_enregistrement(int corps, const char *format, double *const champs[]) {
    if (corps_fin) return; // the end of the file is reported once, by lecture_fin
    int k = 0;
    auto stocke = [&](const std::string &texte, const std::string &etiquette, bool virgule, bool non_fini) {
        double *champ = champs[k++];
        std::string ecrit = etiquette + texte;
        std::string nombre = texte;
        if (virgule) nombre[nombre.find(',')] = '.';
        double v = non_fini ? 0.0 : std::strtod(nombre.c_str(), nullptr);
        if (non_fini || !std::isfinite(v)) {
            lecture_attention(ligne_champ,
                              "corps %d, \"%s\" : valeur non finie refusée, le champ garde sa valeur précédente", corps,
                              visible(ecrit, CITATION).c_str());
            return;
        }
        *champ = v;
        if (virgule) {
            std::string lu = visible(nombre, CITATION);
            lecture_attention(ligne_champ, "corps %d, \"%s\" : virgule décimale : écrivez %s (valeur prise : %s)",
                              corps, visible(ecrit, CITATION).c_str(), lu.c_str(), lu.c_str());
        }
    };
    std::string quoi;
    for (const char *p = format; *p; p++) {
        if (*p == '%') p += 2;
        else if (*p != '\n') quoi += *p;
    }
    while (!quoi.empty() && quoi.back() == ' ') quoi.pop_back();
    if (interprete(corps, format, quoi.c_str(), stocke) == FIN) corps_fin = corps;
}

long lecture_ligne_champ() { return ligne_champ; }

void lecture_attention(long l, const char *format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string texte(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    va_start(args, format);
    if (n > 0) std::vsnprintf(&texte[0], texte.size() + 1, format, args);
    va_end(args);
    // One write, so that a reader of standard error gets whole lines.
    std::string tout = PREFIXE_ATTENTION + nom + ":" + std::to_string(l) + ": " + texte + "\n";
    std::fwrite(tout.data(), 1, tout.size(), stderr);
    std::fflush(stderr);
}

void lecture_fin(int attendus, bool reste_prevu) {
    solde_arrets();
    if (corps_fin) {
        int lus = corps_fin - 1;
        lecture_attention(ligne_texte,
                          "fin du fichier : %d corps lu%s sur %d attendu%s, les champs manquants gardent leur valeur "
                          "précédente",
                          lus, pluriel(lus), attendus, pluriel(attendus));
    } else if (!reste_prevu && position != arret) {
        passe_blancs();
        if (voit(0) != EOF)
            lecture_attention(ligne, "texte en trop ignoré, le fichier annonce %d corps : \"%s\"", attendus,
                              citation("").c_str());
    }
    fichier = nullptr;
    avance.clear();
    tete = 0;
}
