// fuzz_loader — feeds arbitrary bytes to the scenario loader as a data file,
// then runs a few batches on whatever it loaded, so that the counts, the
// fixed-format reads, the trail store and the physics all see hostile input.
// The loader must never store a value that is not finite: a field may hold
// one after a load only if it held the same one before (the batches of an
// earlier input may have overflowed), otherwise the run aborts.
//
// The input is written to a private temporary file (the loader reads a path).
// Standard output is sent to /dev/null once, at start; the loader's warnings
// on standard error are muted through the stdio stream only, so sanitizer
// reports and libFuzzer's own lines, written straight to descriptor 2, still
// show.  The shared state carries over from one input to the next, as it does
// from one reload to the next in the program.
#include "orbelune.h"
#include "simulation.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {
std::string chemin;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    char modele[] = "/tmp/orbelune-fuzz-XXXXXX";
    int fd = mkstemp(modele);
    if (fd < 0) std::abort();
    close(fd);
    chemin = modele;
    std::atexit([] { unlink(chemin.c_str()); });

    int nul = open("/dev/null", O_WRONLY);
    if (nul < 0) std::abort();
    std::fflush(stdout);
    dup2(nul, 1);
    if (std::FILE *muet = fdopen(nul, "w")) stderr = muet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::FILE *f = std::fopen(chemin.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    double *const champs[] = {M, X, Y, Z, Xp, Yp};
    double avant[6][NSLOTS];
    for (int k = 0; k < 6; k++) std::memcpy(avant[k], champs[k], sizeof avant[k]);
    charge(chemin.c_str());
    for (int k = 0; k < 6; k++)
        for (int i = 0; i < NSLOTS; i++)
            if (!std::isfinite(champs[k][i]) && std::memcmp(&champs[k][i], &avant[k][i], sizeof(double)) != 0)
                std::abort();

    // Three batches, the first with thrust.  The step counter starts two
    // batches short of its wrap-around, so the second batch wraps it to 0
    // and samples the trails; the unit tests check the figures, here the
    // run only has to stay free of undefined behaviour.
    dt = 0.001;
    t = 2147482900;
    px = 0.5;
    for (int b = 0; b < 3; b++) nextD();
    return 0;
}
