// orbelune-trace — runs a scenario file without a window and prints the
// state of every body as CSV, so a scenario can be checked before class.
//
//   orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... FILE
//
// The file is loaded with the program's own loader (its console lines go to
// standard error), then N batches run (default 1000) with time step X
// (default 0.001).  --thrust B:+ sets the thrust to +0.5 (B:- to -0.5) just
// before batch B, counted from 1.  Standard output holds only the CSV:
//   batch,t,body,m,x,y,xp,yp
// one row per body for batch 0 and after every K-th batch (default 1);
// doubles printed with %.17g so that they read back exactly.
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

const char USAGE[] = "usage: orbelune-trace [--batches N] [--every K] [--dt X] [--thrust B:+|B:-]... FILE";

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

} // namespace

int main(int argc, char **argv) {
    long batches = 1000, every = 1;
    double pas = 0.001;
    std::map<long, double> poussees;
    const char *file = nullptr;

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

    // The loader echoes on standard output; here that belongs on standard error.
    std::fflush(stdout);
    int saved = dup(1);
    dup2(2, 1);
    charge(file);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);

    dt = pas;
    std::printf("batch,t,body,m,x,y,xp,yp\n");
    rows(0);
    for (long b = 1; b <= batches; b++) {
        auto p = poussees.find(b);
        if (p != poussees.end()) px = p->second;
        nextD();
        if (b % every == 0) rows(b);
    }
    return 0;
}
