// fuzz_gltx.cpp — libFuzzer target for the SGI image reader.  Each input is
// read as an image file through an in-memory stream (fmemopen), the path a
// real file takes from its open stream on; whatever the bytes, the reader
// must stay inside its buffers and, when it returns pixels, define them all.
#include "gltx.h"
#include "gltx_internal.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer; tests/unit covers empty files
    std::FILE *file = fmemopen(const_cast<std::uint8_t *>(bytes), size, "rb");
    if (!file) return 0;
    GltxImage *image = gltxReadRGBStream(file, "fuzz-input");
    if (!image) return 0;
    if (image->width < 1 || image->height < 1 || image->width > 16384 || image->height > 16384
        || image->components < 1 || image->components > 4)
        std::abort();  // the header checks let through a size they promise to refuse
    if (image->data) {
        // Touch every pixel byte so that a short buffer shows up under ASan.
        const std::size_t n = 3 * (std::size_t)image->width * (std::size_t)image->height;
        unsigned sum = 0;
        for (std::size_t k = 0; k < n; k++) sum += image->data[k];
        volatile unsigned sink = sum;
        (void)sink;
    }
    gltxDelete(image);
    return 0;
}
