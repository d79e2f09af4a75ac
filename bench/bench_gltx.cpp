// bench_gltx.cpp — decoding a 1024 x 1024 run-length encoded RGB SGI file:
// gltxReadRGB side by side with ImageMagick (`convert x.sgi ppm:-`) and
// netpbm (`sgitopnm x.sgi`), in one run on one file.  The two tools run as
// child processes whose output is read to the end, so their times are wall
// times including their start-up, as a user meets them; every case is timed
// in real time.  The file is written by ImageMagick at start.
//
//   build-x/bench_gltx --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "gltx.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int SIDE = 1024;
std::string dir, sgiPath;

// A planet-like picture: smooth wavy bands with a little noise, the kind of
// content the textures have (both long runs and literal stretches).
std::vector<unsigned char> picture() {
    std::vector<unsigned char> px;
    px.reserve(3 * SIDE * SIDE);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE; x++) {
            const double band = std::sin(y / 23.0 + 2.0 * std::sin(x / 97.0));
            std::uint32_t h = (std::uint32_t)(x * 73856093u ^ y * 19349663u);
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            const int noise = (band > 0.6) ? (int)(h >> 28) : 0;
            px.push_back((unsigned char)(150 + 90 * band + noise));
            px.push_back((unsigned char)(110 + 70 * band));
            px.push_back((unsigned char)(70 + 40 * band + noise));
        }
    return px;
}

bool makeFile() {
    char tmpl[] = "/tmp/bench-gltx-XXXXXX";
    if (!mkdtemp(tmpl)) return false;
    dir = tmpl;
    sgiPath = dir + "/x.sgi";
    const std::string cmd = "/usr/bin/convert ppm:- -depth 8 -type TrueColor -compress RLE sgi:" + sgiPath;
    std::FILE *p = popen(cmd.c_str(), "w");
    if (!p) return false;
    std::fprintf(p, "P6\n%d %d\n255\n", SIDE, SIDE);
    const std::vector<unsigned char> px = picture();
    const bool ok = std::fwrite(px.data(), 1, px.size(), p) == px.size();
    return pclose(p) == 0 && ok;
}

void BM_gltxReadRGB(benchmark::State &state) {
    for (auto _ : state) {
        GltxImage *image = gltxReadRGB(sgiPath.c_str());
        if (!image || !image->data) {
            state.SkipWithError("gltxReadRGB failed");
            break;
        }
        benchmark::DoNotOptimize(image->data[3 * SIDE * SIDE - 1]);
        gltxDelete(image);
    }
}

// Runs the command and reads all it prints; the size read must be a PPM of
// the image, which also proves the tool decoded it.
void runTool(benchmark::State &state, const std::string &cmd) {
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        std::FILE *p = popen(cmd.c_str(), "r");
        if (!p) {
            state.SkipWithError("popen failed");
            break;
        }
        size_t total = 0, n;
        while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) total += n;
        if (pclose(p) != 0 || total < (size_t)3 * SIDE * SIDE) {
            state.SkipWithError("the tool did not decode the file");
            break;
        }
    }
}

void BM_convert_ppm(benchmark::State &state) { runTool(state, "/usr/bin/convert " + sgiPath + " ppm:-"); }
void BM_sgitopnm(benchmark::State &state) { runTool(state, "/usr/bin/sgitopnm -quiet " + sgiPath); }

} // namespace

BENCHMARK(BM_gltxReadRGB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_convert_ppm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_sgitopnm)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    if (!makeFile()) {
        std::fprintf(stderr, "bench_gltx: could not write the test file with /usr/bin/convert\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
