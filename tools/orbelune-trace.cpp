// orbelune-trace — runs a scenario file without a window and prints the
// state of every body as CSV, so a scenario can be checked before class; it
// can also draw the run as an SVG figure for worksheets.
//
//   orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... [--elements]
//                  [--svg OUT.svg [--print] [--areas K] [--view XMIN,XMAX,YMIN,YMAX]] FILE
//   orbelune-trace --help | --version
//
// The file is loaded with the program's own loader (its console lines go to
// standard error), then N batches run (default 1000) with time step X
// (default 0.001).  --thrust B:+ sets the thrust to +0.5 (B:- to -0.5) just
// before batch B, counted from 1.  Standard output holds only the CSV:
//   batch,t,body,m,x,y,xp,yp
// one row per body for batch 0 and after every K-th batch (default 1);
// doubles printed with %.17g so that they read back exactly.
//
// --elements adds, after the last CSV row, one empty line and a second CSV
// block about the orbit of each body 2..nb around body 1 at the end of the
// run (without the option the output is exactly the CSV above):
//   body,status,energy,a,e,periapsis,apoapsis,period
// status is "bound", "unbound" or "absorbed" (an absorbed body has only its
// number and status).  Energy, semi-major axis a (negative for a hyperbola,
// inf for a parabola), eccentricity, periapsis and apoapsis distances (inf
// for an open path) come from the position and velocity relative to body 1,
// with the attracting mass M[1] + M[j] when body j attracts too (a count >= j)
// and M[1] alone for a test body.  period is measured, not computed: the
// time the direction from body 1 took for its last complete turn during the
// run (one turn counted from the start, or from the end of the previous
// turn, found at every batch end and interpolated inside the batch); empty
// when the body never went round.  These values use %.9g.
//
// --svg OUT.svg also draws the run (every batch end of every body) as the
// picture described in figure_svg.h, the CSV being printed as usual; with
// --elements the elements, with a³/T², stand in a table under the picture.
// --print draws dark lines on white instead of the window's colours on
// black; --areas K shades the sector each body sweeps from body 1 in every K
// batches and lists their areas (at most 200 sectors per body);
// --view sets the frame instead of fitting it (its height at most 10 times
// its width and at least a tenth of it).  The figure keeps every batch end in
// memory, so --svg takes at most 1000000 batches.  OUT is opened before the
// run, so a figure that cannot be written is refused at once.
//
// --help prints the usage and --version the version on standard output,
// status 0.  Bad usage, an unreadable file, or OUT naming FILE itself: one
// line on standard error, status 2.  A figure that cannot be written in
// full: one line, status 1, and no file (OUT is removed when it is a
// regular file).
#include "figure_svg.h"
#include "orbelune.h"
#include "puissance.h"
#include "simulation.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char USAGE[] = "usage: orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... [--elements] "
                     "[--svg OUT.svg [--print] [--areas K] [--view XMIN,XMAX,YMIN,YMAX]] FILE";
const long LOTS_FIGURE_MAX = 1000000;

[[noreturn]] void refuse(const std::string &why) {
    std::fprintf(stderr, "orbelune-trace: %s (%s)\n", why.c_str(), USAGE);
    std::exit(2);
}

long entier(const char *opt, const char *s, long min) {
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (errno || end == s || *end || v < min) refuse(std::string("bad value for ") + opt + ": " + s);
    return v;
}

void rows(long batch) {
    for (int i = 1; i <= nb; i++)
        std::printf("%ld,%d,%d,%.17g,%.17g,%.17g,%.17g,%.17g\n", batch, t, i, M[i], X[i], Y[i], Xp[i], Yp[i]);
}

// Turns of the direction from body 1 to each body, followed batch by batch.
struct Tours {
    double brut[NSLOTS] = {0};      // direction at the last batch end, -pi..pi
    double angle[NSLOTS] = {0};     // the same, unwrapped
    double depart[NSLOTS] = {0};    // unwrapped angle at which the current turn began
    double debut[NSLOTS] = {0};     // time at which the current turn began
    double periode[NSLOTS] = {0};   // duration of the last complete turn, 0 if none
};

double direction(int j) { return std::atan2(Y[j] - Y[1], X[j] - X[1]); }

void tours_depart(Tours &k) {
    for (int j = 2; j <= nb; j++) k.brut[j] = k.angle[j] = k.depart[j] = direction(j);
}

// After the batch that ended at time `temps` and lasted `duree`.  A body
// turns by less than half a turn per batch in any scenario worth tracing.
// An absorbed body sits on the parking point: its turns stop counting.
void tours_suite(Tours &k, double temps, double duree) {
    const double TOUR = 2.0 * M_PI;
    for (int j = 2; j <= nb; j++) {
        if (!(M[j] > 0)) continue;
        double dir = direction(j);
        double d = std::remainder(dir - k.brut[j], TOUR);
        double avant = k.angle[j];
        k.brut[j] = dir;
        k.angle[j] = avant + d;
        double fait = k.angle[j] - k.depart[j];
        if (std::fabs(fait) >= TOUR) {
            double fin = k.depart[j] + std::copysign(TOUR, fait);
            double fin_t = (temps - duree) + duree * ((fin - avant) / d);
            k.periode[j] = fin_t - k.debut[j];
            k.debut[j] = fin_t;
            k.depart[j] = fin;
        }
    }
}

std::string nombre(double v, const char *format = "%.9g") {
    char s[40];
    std::snprintf(s, sizeof s, format, v);
    return s;
}

// A body's orbit around body 1 at the present state.
struct Orbite {
    bool absorbe, lie;
    double energie, a, e, peri, apo, periode; // a and apo inf where they do not exist; periode 0 if none
};

Orbite orbite(const Tours &k, int j) {
    Orbite o{};
    o.absorbe = !(M[j] > 0);
    double mu = j <= nbat ? M[1] + M[j] : M[1];
    double rx = X[j] - X[1], ry = Y[j] - Y[1];
    double vx = Xp[j] - Xp[1], vy = Yp[j] - Yp[1];
    double r = std::sqrt(rx * rx + ry * ry);
    double v2 = vx * vx + vy * vy;
    o.energie = v2 / 2.0 - mu / r;
    double rv = rx * vx + ry * vy;
    double ex = ((v2 - mu / r) * rx - rv * vx) / mu;
    double ey = ((v2 - mu / r) * ry - rv * vy) / mu;
    o.e = std::sqrt(ex * ex + ey * ey);
    double h = rx * vy - ry * vx;
    o.lie = o.energie < 0;
    o.a = o.energie == 0 ? INFINITY : -mu / (2.0 * o.energie);
    o.peri = h * h / (mu * (1.0 + o.e));
    o.apo = o.lie ? o.a * (1.0 + o.e) : INFINITY;
    o.periode = k.periode[j] > 0 ? k.periode[j] : 0;
    return o;
}

// inf stays "inf" whatever the format.
std::string valeur(double v, const char *format) { return std::isinf(v) ? "inf" : nombre(v, format); }

// The elements block of --elements, at the present state.
void elements(const Tours &k) {
    std::printf("\nbody,status,energy,a,e,periapsis,apoapsis,period\n");
    for (int j = 2; j <= nb; j++) {
        Orbite o = orbite(k, j);
        if (o.absorbe) {
            std::printf("%d,absorbed,,,,,,\n", j);
            continue;
        }
        std::printf("%d,%s,%s,%s,%s,%s,%s,%s\n", j, o.lie ? "bound" : "unbound", nombre(o.energie).c_str(),
                    valeur(o.a, "%.9g").c_str(), nombre(o.e).c_str(), nombre(o.peri).c_str(),
                    valeur(o.apo, "%.9g").c_str(), o.periode > 0 ? nombre(o.periode).c_str() : "");
    }
}

// The same elements as a table for the figure, with a³/T² for the orbits
// that went round.
std::vector<std::vector<std::string>> tableau_elements(const Tours &k) {
    std::vector<std::vector<std::string>> t{
        {"corps", "orbite", "a", "e", "périapside", "apoapside", "période", "a³/T²"}};
    for (int j = 2; j <= nb; j++) {
        Orbite o = orbite(k, j);
        if (o.absorbe) {
            t.push_back({std::to_string(j), "absorbé"});
            continue;
        }
        const char *f = "%.6g";
        std::string kepler = o.lie && o.periode > 0 ? nombre(o.a * o.a * o.a / (o.periode * o.periode), f) : "";
        t.push_back({std::to_string(j), o.lie ? "liée" : "ouverte", valeur(o.a, f), nombre(o.e, f), nombre(o.peri, f),
                     valeur(o.apo, f), o.periode > 0 ? nombre(o.periode, f) : "", kepler});
    }
    return t;
}

// XMIN,XMAX,YMIN,YMAX, finite, in order, neither side more than ten times
// the other.
figure::Vue vue(const char *s) {
    double v[4];
    const char *p = s;
    for (int i = 0; i < 4; i++) {
        char *end = nullptr;
        v[i] = std::strtod(p, &end);
        if (end == p || !std::isfinite(v[i]) || *end != (i < 3 ? ',' : '\0'))
            refuse(std::string("bad value for --view: ") + s + " (expected XMIN,XMAX,YMIN,YMAX)");
        p = end + 1;
    }
    double l = v[1] - v[0], h = v[3] - v[2];
    if (!(l > 0) || !(h > 0) || !std::isfinite(l) || !std::isfinite(h))
        refuse(std::string("bad value for --view: ") + s + " (XMIN < XMAX and YMIN < YMAX)");
    if (h > 10 * l || l > 10 * h) refuse(std::string("bad value for --view: ") + s + " (one side over ten times the other)");
    return {v[0], v[1], v[2], v[3]};
}

// Parked by body 1 at this batch end (collision puts it exactly there).
bool gare(int j) { return X[j] == 1e12 && Y[j] == 1e7; }

// A press on each batch of a run of consecutive batches, all of one sign,
// makes one mark.
std::vector<figure::Poussee> marques(const std::map<long, double> &poussees, long lots) {
    std::vector<figure::Poussee> m;
    for (const auto &p : poussees) {
        if (p.first > lots) break;
        bool plus = p.second > 0;
        if (!m.empty() && m.back().plus == plus && m.back().lot + m.back().nombre == p.first)
            m.back().nombre++;
        else
            m.push_back({p.first, 1, plus});
    }
    return m;
}

} // namespace

int main(int argc, char **argv) {
    // A pipe or a file sees each CSV line as soon as it is printed, like the
    // window program's console.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    long batches = 1000, every = 1, aires = 0;
    double pas = 0.001;
    std::map<long, double> poussees;
    const char *file = nullptr, *svg = nullptr;
    bool avec_elements = false, papier = false, avec_vue = false;
    figure::Vue cadre{};

    for (int a = 1; a < argc; a++) {
        std::string o = argv[a];
        bool valued = o == "--batches" || o == "--every" || o == "--dt" || o == "--thrust" || o == "--svg" ||
                      o == "--areas" || o == "--view";
        if (valued && a + 1 >= argc) refuse("missing value after " + o);
        if (o == "--batches") {
            batches = entier("--batches", argv[++a], 0);
        } else if (o == "--every") {
            every = entier("--every", argv[++a], 1);
        } else if (o == "--dt") {
            const char *s = argv[++a];
            char *end = nullptr;
            pas = std::strtod(s, &end);
            if (end == s || *end || !std::isfinite(pas) || pas <= 0) refuse(std::string("bad value for --dt: ") + s);
        } else if (o == "--thrust") {
            std::string v = argv[++a];
            size_t colon = v.rfind(':');
            if (colon == std::string::npos || colon + 2 != v.size() || (v[colon + 1] != '+' && v[colon + 1] != '-'))
                refuse("bad value for --thrust: " + v + " (expected B:+ or B:-)");
            long b = entier("--thrust", v.substr(0, colon).c_str(), 1);
            poussees[b] = v[colon + 1] == '+' ? 0.5 : -0.5;
        } else if (o == "--elements") {
            avec_elements = true;
        } else if (o == "--svg") {
            svg = argv[++a];
            if (!*svg) refuse("bad value for --svg: empty file name");
        } else if (o == "--print") {
            papier = true;
        } else if (o == "--areas") {
            aires = entier("--areas", argv[++a], 1);
        } else if (o == "--view") {
            cadre = vue(argv[++a]);
            avec_vue = true;
        } else if (o == "-h" || o == "--help") {
            std::printf("%s\n", USAGE);
            return 0;
        } else if (o == "--version") {
            std::printf("orbelune-trace %s\n", ORBELUNE_VERSION);
            return 0;
        } else if (o.size() > 1 && o[0] == '-') {
            refuse("unknown option " + o);
        } else if (file) {
            refuse("only one FILE may be given");
        } else {
            file = argv[a];
        }
    }
    if (!file) refuse("no FILE given");
    if (!svg && (papier || aires || avec_vue)) refuse("--print, --areas and --view need --svg");
    if (svg && batches > LOTS_FIGURE_MAX) refuse("--svg takes at most " + std::to_string(LOTS_FIGURE_MAX) + " batches");
    if (aires && batches / aires > figure::SECTEURS_MAX)
        refuse("--areas " + std::to_string(aires) + " gives more than " + std::to_string(figure::SECTEURS_MAX) +
               " sectors per body; take K >= batches / " + std::to_string(figure::SECTEURS_MAX));
    std::FILE *probe = std::fopen(file, "r");
    if (!probe) refuse(std::string("cannot read ") + file + ": " + std::strerror(errno));
    // A directory opens but does not read.
    if (std::fgetc(probe) == EOF && std::ferror(probe)) refuse(std::string("cannot read ") + file + ": " + std::strerror(errno));
    std::fclose(probe);
    // Opening OUT empties it: it must not be the scenario about to be read.
    struct stat scenario, cible;
    if (svg && stat(svg, &cible) == 0 && stat(file, &scenario) == 0 && scenario.st_dev == cible.st_dev &&
        scenario.st_ino == cible.st_ino)
        refuse(std::string("--svg ") + svg + " is FILE itself");
    std::FILE *sortie = nullptr;
    if (svg && !(sortie = std::fopen(svg, "w"))) refuse(std::string("cannot write ") + svg + ": " + std::strerror(errno));

    // The loader keeps dt, so setting it first gives the same run and an echo
    // that shows the step actually used.
    dt = pas;
    // The loader echoes on standard output; here that belongs on standard error.
    std::fflush(stdout);
    int saved = dup(1);
    dup2(2, 1);
    charge(file);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);

    figure::Figure fig;
    if (svg) {
        fig.corps.resize(nb + 1);
        for (int j = 1; j <= nb; j++) {
            fig.corps[j].chemin.reserve(batches + 1);
            fig.corps[j].chemin.push_back({X[j], Y[j]});
        }
    }

    std::printf("batch,t,body,m,x,y,xp,yp\n");
    rows(0);
    Tours tours; // followed only for --elements
    if (avec_elements) tours_depart(tours);
    for (long b = 1; b <= batches; b++) {
        auto p = poussees.find(b);
        if (p != poussees.end()) px = p->second;
        nextD();
        if (avec_elements) tours_suite(tours, static_cast<double>(b) * (NSTEPS * pas), NSTEPS * pas);
        if (b % every == 0) rows(b);
        for (int j = 1; svg && j <= nb; j++) {
            figure::Corps &c = fig.corps[j];
            if (c.absorbe) continue;
            if (gare(j))
                c.absorbe = true;
            else
                c.chemin.push_back({X[j], Y[j]});
        }
    }
    if (avec_elements) elements(tours);
    if (!svg) return 0;

    std::fflush(stdout);
    // The caption names the file, not the directory it was found in.
    const char *barre = std::strrchr(file, '/');
    fig.nom = barre ? barre + 1 : file;
    fig.dt = pas;
    fig.lots = batches;
    fig.duree_lot = NSTEPS * pas;
    // The radius within which collision() absorbs, computed as it computes it.
    fig.rayon = nb >= 1 ? puissance0333(M[1]) : 0;
    for (int j = 2; j <= nb; j++) fig.corps[j].proche = fig.corps[j].absorbe || orbite(tours, j).lie;
    fig.poussees = marques(poussees, batches);
    fig.aires = aires;
    if (avec_elements) fig.elements = tableau_elements(tours);
    fig.papier = papier;
    fig.avec_vue = avec_vue;
    fig.vue = cadre;
    const std::string texte = figure::dessine(fig);
    bool ecrit = std::fwrite(texte.data(), 1, texte.size(), sortie) == texte.size();
    int erreur = errno;
    if (std::fclose(sortie) != 0 && ecrit) {
        ecrit = false;
        erreur = errno;
    }
    if (!ecrit) {
        std::fprintf(stderr, "orbelune-trace: cannot write %s: %s\n", svg, std::strerror(erreur));
        // A cut figure is removed; a device or pipe given as OUT is not ours to remove.
        struct stat st;
        if (stat(svg, &st) == 0 && S_ISREG(st.st_mode)) std::remove(svg);
        return 1;
    }
    return 0;
}
