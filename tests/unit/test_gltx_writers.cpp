// test_gltx_writers.cpp — the reader against SGI files written by writers it
// did not come from: ImageMagick, netpbm and Pillow, run at test time on the
// same known pixels.  A missing writer is a failure, not a skip: the tools
// come with scripts/setup.sh.
#include "gltx.h"
#include "test_gltx_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char *const CONVERT = "/usr/bin/convert";  // ImageMagick; /usr/local/bin may hold a stand-in
const char *const PNMTOSGI = "/usr/bin/pnmtosgi";
const char *const PYTHON = "/usr/bin/python3";   // Debian's, the one with Pillow

// Known pixels with long runs (every third band of 6 columns is flat along
// the row) and noise elsewhere, so run-length writers emit both packet kinds.
unsigned char value(unsigned x, unsigned y, unsigned c) {
    if ((x / 6) % 3 == 0) return (unsigned char)(y * 7 + c * 40 + x / 18);
    std::uint32_t h = x * 73856093u ^ y * 19349663u ^ (c + 1) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (unsigned char)h;
}

// The picture top row first, as PPM/PAM and Pillow take it; `channels` 3 or 4.
Bytes picture(unsigned w, unsigned h, unsigned channels) {
    Bytes px;
    px.reserve((size_t)w * h * channels);
    for (unsigned y = 0; y < h; y++)
        for (unsigned x = 0; x < w; x++)
            for (unsigned c = 0; c < channels; c++) px.push_back(value(x, y, c));
    return px;
}

// What the reader must return: the file stores the bottom row first and the
// reader keeps file order, so picture row h - 1 - r comes r-th; alpha dropped.
Bytes expected(unsigned w, unsigned h) {
    Bytes px;
    px.reserve((size_t)w * h * 3);
    for (unsigned r = 0; r < h; r++)
        for (unsigned x = 0; x < w; x++)
            for (unsigned c = 0; c < 3; c++) px.push_back(value(x, h - 1 - r, c));
    return px;
}

enum Input { PNM, RAW };  // what the writer is fed: PPM/PAM, or bare bytes (Pillow)

struct Writer {
    const char *name;
    const char *tool;
    unsigned channels;
    bool runLength;
    Input input;
    const char *command;  // %1$s input file, %2$s output file, %3$u width, %4$u height
};

const Writer WRITERS[] = {
    {"ImageMagick RLE RGB", CONVERT, 3, true, PNM,
     "/usr/bin/convert %1$s -depth 8 -type TrueColor -compress RLE sgi:%2$s"},
    {"ImageMagick verbatim RGB", CONVERT, 3, false, PNM,
     "/usr/bin/convert %1$s -depth 8 -type TrueColor -compress None sgi:%2$s"},
    {"ImageMagick RLE RGBA", CONVERT, 4, true, PNM,
     "/usr/bin/convert %1$s -depth 8 -type TrueColorAlpha -compress RLE sgi:%2$s"},
    {"ImageMagick verbatim RGBA", CONVERT, 4, false, PNM,
     "/usr/bin/convert %1$s -depth 8 -type TrueColorAlpha -compress None sgi:%2$s"},
    {"netpbm -rle", PNMTOSGI, 3, true, PNM, "/usr/bin/pnmtosgi -rle %1$s > %2$s"},
    {"netpbm -verbatim", PNMTOSGI, 3, false, PNM, "/usr/bin/pnmtosgi -verbatim %1$s > %2$s"},
    {"Pillow RGB", PYTHON, 3, false, RAW,
     "/usr/bin/python3 -c 'import sys; from PIL import Image; "
     "Image.frombytes(\"RGB\", (%3$u, %4$u), open(sys.argv[1], \"rb\").read()).save(sys.argv[2], \"SGI\")' "
     "%1$s %2$s"},
    {"Pillow RGBA", PYTHON, 4, false, RAW,
     "/usr/bin/python3 -c 'import sys; from PIL import Image; "
     "Image.frombytes(\"RGBA\", (%3$u, %4$u), open(sys.argv[1], \"rb\").read()).save(sys.argv[2], \"SGI\")' "
     "%1$s %2$s"},
};

struct Size {
    unsigned w, h;
};
// 1 x 1; 5 x 3, whose rows of 15 bytes are not a multiple of 4; 1024 x 1024.
const Size SIZES[] = {{1, 1}, {5, 3}, {1024, 1024}};

std::string pnmHeader(unsigned w, unsigned h, unsigned channels) {
    char head[128];
    if (channels == 3)
        std::snprintf(head, sizeof head, "P6\n%u %u\n255\n", w, h);
    else
        std::snprintf(head, sizeof head, "P7\nWIDTH %u\nHEIGHT %u\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                      w, h);
    return head;
}

TEST(GltxWriters, EveryWriterDecodesToTheKnownPixels) {
    TempDir dir;
    ASSERT_FALSE(dir.path.empty());
    for (const Writer &wr : WRITERS) {
        if (access(wr.tool, X_OK) != 0) {
            ADD_FAILURE() << wr.name << ": " << wr.tool << " is missing; scripts/setup.sh installs it";
            continue;
        }
        for (const Size &s : SIZES) {
            SCOPED_TRACE(std::string(wr.name) + ", " + std::to_string(s.w) + " x " + std::to_string(s.h));
            const std::string in = dir.path + (wr.input == RAW ? "/in.raw" : wr.channels == 3 ? "/in.ppm" : "/in.pam");
            const std::string out = dir.path + "/out.sgi";
            std::remove(out.c_str());
            ASSERT_TRUE(writeFile(in, picture(s.w, s.h, wr.channels),
                                  wr.input == RAW ? "" : pnmHeader(s.w, s.h, wr.channels)));
            char command[1024];
            std::snprintf(command, sizeof command, wr.command, in.c_str(), out.c_str(), s.w, s.h);
            ASSERT_EQ(std::system(command), 0) << command;

            // The writer made the kind of file this case is about.
            const Bytes file = readFile(out);
            ASSERT_GE(file.size(), 512u);
            EXPECT_EQ(file[2], wr.runLength ? 1 : 0) << "storage byte";
            EXPECT_EQ(file[3], 1) << "bytes per channel";

            GltxImage *image = gltxReadRGB(out.c_str());
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->width, (int)s.w);
            EXPECT_EQ(image->height, (int)s.h);
            EXPECT_EQ(image->components, (int)wr.channels);
            ASSERT_NE(image->data, nullptr);
            const Bytes want = expected(s.w, s.h);
            const Bytes got(image->data, image->data + want.size());
            gltxDelete(image);
            if (got != want) {
                size_t k = 0;
                while (got[k] == want[k]) k++;
                const size_t pixel = k / 3;
                ADD_FAILURE() << "first difference at row " << pixel / s.w << ", column " << pixel % s.w
                              << ", channel " << k % 3 << ": got " << (int)got[k] << ", want " << (int)want[k];
            }
        }
    }
}

} // namespace
