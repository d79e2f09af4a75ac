// orbelune-trace — runs a scenario file without a window and prints the
// state of every body as CSV, so a scenario can be checked before class.
//
//   orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... [--elements] FILE
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
// Bad usage or an unreadable file: one line on standard error, status 2.
#include "orbelune.h"
#include "simulation.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>

namespace {

const char USAGE[] = "usage: orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... [--elements] FILE";

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

std::string nombre(double v) {
    char s[40];
    std::snprintf(s, sizeof s, "%.9g", v);
    return s;
}

// The elements block of --elements, at the present state.
void elements(const Tours &k) {
    std::printf("\nbody,status,energy,a,e,periapsis,apoapsis,period\n");
    for (int j = 2; j <= nb; j++) {
        if (!(M[j] > 0)) {
            std::printf("%d,absorbed,,,,,,\n", j);
            continue;
        }
        double mu = j <= nbat ? M[1] + M[j] : M[1];
        double rx = X[j] - X[1], ry = Y[j] - Y[1];
        double vx = Xp[j] - Xp[1], vy = Yp[j] - Yp[1];
        double r = std::sqrt(rx * rx + ry * ry);
        double v2 = vx * vx + vy * vy;
        double energie = v2 / 2.0 - mu / r;
        double rv = rx * vx + ry * vy;
        double ex = ((v2 - mu / r) * rx - rv * vx) / mu;
        double ey = ((v2 - mu / r) * ry - rv * vy) / mu;
        double e = std::sqrt(ex * ex + ey * ey);
        double h = rx * vy - ry * vx;
        bool lie = energie < 0;
        std::string a = energie == 0 ? "inf" : nombre(-mu / (2.0 * energie));
        std::string peri = nombre(h * h / (mu * (1.0 + e)));
        std::string apo = lie ? nombre(-mu / (2.0 * energie) * (1.0 + e)) : "inf";
        std::string periode = k.periode[j] > 0 ? nombre(k.periode[j]) : "";
        std::printf("%d,%s,%s,%s,%s,%s,%s,%s\n", j, lie ? "bound" : "unbound", nombre(energie).c_str(), a.c_str(),
                    nombre(e).c_str(), peri.c_str(), apo.c_str(), periode.c_str());
    }
}

} // namespace

int main(int argc, char **argv) {
    long batches = 1000, every = 1;
    double pas = 0.001;
    std::map<long, double> poussees;
    const char *file = nullptr;
    bool avec_elements = false;

    for (int a = 1; a < argc; a++) {
        std::string o = argv[a];
        bool valued = o == "--batches" || o == "--every" || o == "--dt" || o == "--thrust";
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
        } else if (o == "-h" || o == "--help") {
            std::printf("%s\n", USAGE);
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
    std::FILE *probe = std::fopen(file, "r");
    if (!probe) refuse(std::string("cannot read ") + file + ": " + std::strerror(errno));
    // A directory opens but does not read.
    if (std::fgetc(probe) == EOF && std::ferror(probe)) refuse(std::string("cannot read ") + file + ": " + std::strerror(errno));
    std::fclose(probe);

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
    }
    if (avec_elements) elements(tours);
    return 0;
}
