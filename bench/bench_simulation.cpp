// bench_simulation — the cost of one batch (nextD) against a floor loop that
// does nothing but the pair terms of a batch written straight from the
// formulas.
//
//   BM_Batch15        one batch, 15 bodies, all attracting (the path the
//                     processor selects)
//   BM_Batch15Nbat1   one batch, 15 bodies, only body 1 attracting
//   BM_Batch15Reference  the same batch written straight (nextDReference)
//   BM_Batch15Path/P  BM_Batch15 on each path P this processor can run
//   BM_Floor42000     42,000 pair terms (dx, dy, r2, pow(r2, 0.5), the
//                     divide-multiply-divide term, a running sum): what a
//                     15-body batch costs when every call of Fx and Fy
//                     evaluates its own terms, 50 x 4 x 15 x 14
//   BM_AllocCounterCheck  one heap vector per iteration: shows allocs=1,
//                     proof that the counter below sees allocations
//
// Target: BM_Batch15 at most 0.15 x BM_Floor42000 of the same run, and no
// allocation during a batch.  Read the CPU column on a shared machine.  Every benchmark reports the calls to malloc,
// calloc and realloc made inside its timed loop, per iteration, as the
// counter "allocs" (this program wraps the C allocator; operator new and the
// rest of the C++ library allocate through it).
//
//   build-x/bench_simulation --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// The bodies are put back to their starting state before each batch (96
// doubles, negligible beside the batch) so that every iteration does the
// same work and no body is absorbed or flung away; the step counter runs on,
// so one batch in twenty also takes its trail sample, as in the program.
#include "arrays.h"
#include "lot.h"
#include "orbelune.h"
#include "simulation.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// ---- allocation counter ---------------------------------------------------

namespace {
std::atomic<bool> compte_actif{false};
std::atomic<long> allocations{0};
inline void note() {
    if (compte_actif.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void *malloc(std::size_t n) {
    note();
    return __libc_malloc(n);
}
void *calloc(std::size_t n, std::size_t s) {
    note();
    return __libc_calloc(n, s);
}
void *realloc(void *p, std::size_t n) {
    note();
    return __libc_realloc(p, n);
}
}

namespace {

// Counts the allocations of the timed loop of `state`.
struct Compteur {
    benchmark::State &state;
    explicit Compteur(benchmark::State &s) : state(s) {
        allocations = 0;
        compte_actif = true;
    }
    ~Compteur() {
        compte_actif = false;
        state.counters["allocs"] =
            benchmark::Counter(static_cast<double>(allocations.load()), benchmark::Counter::kAvgIterations);
    }
};

// Fifteen bodies: a heavy centre and fourteen planets on near-circular
// orbits at radii 11 to 41, spread in phase.
struct Depart {
    double m[NSLOTS], x[NSLOTS], y[NSLOTS], xp[NSLOTS], yp[NSLOTS];
    Depart() {
        std::memset(this, 0, sizeof *this);
        m[1] = 1000;
        for (int k = 2; k <= 15; k++) {
            double r = 11 + 2.3 * (k - 2), a = 2.399963 * k, v = std::sqrt(1000 / r);
            m[k] = 0.5 + 0.37 * ((k * 7) % 5);
            x[k] = r * std::cos(a);
            y[k] = r * std::sin(a);
            xp[k] = -v * std::sin(a);
            yp[k] = v * std::cos(a);
        }
    }
    void pose() const {
        std::memcpy(M, m, sizeof m);
        std::memcpy(X, x, sizeof x);
        std::memcpy(Y, y, sizeof y);
        std::memcpy(Xp, xp, sizeof xp);
        std::memcpy(Yp, yp, sizeof yp);
    }
};
const Depart depart;

void prepare(int attirants) {
    depart.pose();
    nb = 15;
    nbat = attirants;
    niter = NITER;
    if (!tX) {
        tX = dmatrix(0, NBMAX, 0, niter);
        tY = dmatrix(0, NBMAX, 0, niter);
        initial = 0;
    }
    dt = 0.001;
    t = 0;
}

void batch(benchmark::State &state, int attirants, void (*lot)() = nextD) {
    prepare(attirants);
    Compteur c(state);
    for (auto _ : state) {
        depart.pose();
        lot();
        benchmark::DoNotOptimize(X);
        benchmark::ClobberMemory();
    }
}

void BM_Batch15(benchmark::State &state) { batch(state, 15); }
void BM_Batch15Nbat1(benchmark::State &state) { batch(state, 1); }
void BM_Batch15Reference(benchmark::State &state) { batch(state, 15, nextDReference); }

// The fast batch on each path this processor can run, the chosen one last.
const bool chemins_enregistres = [] {
    const CheminLot *chemins;
    int n = cheminsLot(&chemins);
    for (int k = 0; k < n; k++) {
        const char *nom = chemins[k].nom;
        const char *choisi = chemins[n - 1].nom;
        benchmark::RegisterBenchmark((std::string("BM_Batch15Path/") + nom).c_str(), [nom, choisi](benchmark::State &st) {
            choisitCheminLot(nom);
            batch(st, 15);
            choisitCheminLot(choisi);
        })->Unit(benchmark::kMicrosecond);
    }
    choisitCheminLot(chemins[n - 1].nom);
    return true;
}();

// The pair terms of a 15-body batch and nothing else: 50 steps x 4 calls
// (x and y, two stages) x 15 bodies x 14 attracting others.
void BM_Floor42000(benchmark::State &state) {
    prepare(15);
    Compteur c(state);
    for (auto _ : state) {
        double somme = 0.0;
        for (int s = 0; s < NSTEPS; s++) {
            benchmark::ClobberMemory(); // positions are read anew each step, as in a batch
            for (int appel = 0; appel < 4; appel++)
                for (int i = 1; i <= 15; i++)
                    for (int j = 1; j <= 15; j++) {
                        if (j == i) continue;
                        double dx = X[i] - X[j];
                        double dy = Y[i] - Y[j];
                        double r2 = dx * dx + dy * dy;
                        double r = std::pow(r2, 0.5);
                        somme += (-(M[j] / r2) * ((appel & 1) ? dy : dx)) / r;
                    }
        }
        benchmark::DoNotOptimize(somme);
    }
}

// Proves the counter counts: one heap vector per iteration reads allocs=1.
void BM_AllocCounterCheck(benchmark::State &state) {
    Compteur c(state);
    for (auto _ : state) {
        std::vector<double> v(NSLOTS);
        benchmark::DoNotOptimize(v.data());
    }
}

} // namespace

BENCHMARK(BM_Batch15)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Batch15Nbat1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Batch15Reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor42000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllocCounterCheck);
BENCHMARK_MAIN();
