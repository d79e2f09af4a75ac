// test_gltx.cpp — the SGI image reader: files from three independent writers,
// the layout rules on hand-made files, and damaged files.
#include "gltx.h"
#include "gltx_internal.h"
#include "test_gltx_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The reader's result as a plain value, with what it wrote on standard error.
struct Read {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool hasData = false;
    Bytes pixels;  // 3 * width * height bytes
    std::string err;
};

Read readImage(const std::string &path) {
    Read r;
    testing::internal::CaptureStderr();
    GltxImage *image = gltxReadRGB(path.c_str());
    r.err = testing::internal::GetCapturedStderr();
    if (!image) return r;
    r.ok = true;
    r.width = image->width;
    r.height = image->height;
    r.components = image->components;
    r.hasData = image->data != nullptr;
    if (image->data) r.pixels.assign(image->data, image->data + 3 * (size_t)image->width * image->height);
    gltxDelete(image);
    return r;
}

Read readBytes(const Bytes &bytes) {
    TempDir dir;
    EXPECT_TRUE(writeFile(dir.file("image.sgi"), bytes));
    return readImage(dir.file("image.sgi"));
}

std::string cantOpen(const std::string &path) {
    return "gltxReadRGB() failed: can't open image file \"" + path + "\".\n";
}

// ---- hand-made files ------------------------------------------------------

void put16(Bytes &b, size_t at, unsigned v) {
    b[at] = (unsigned char)(v >> 8);
    b[at + 1] = (unsigned char)v;
}
void put32(Bytes &b, size_t at, unsigned v) {
    for (int k = 0; k < 4; k++) b[at + k] = (unsigned char)(v >> (24 - 8 * k));
}

Bytes header(unsigned x, unsigned y, unsigned z, unsigned storageWord, unsigned magic = 474) {
    Bytes b(512, 0);
    put16(b, 0, magic);
    put16(b, 2, storageWord);
    put16(b, 4, 3);
    put16(b, 6, x);
    put16(b, 8, y);
    put16(b, 10, z);
    return b;
}

// Verbatim file: channel-major planes, each row 0 first.
Bytes verbatim(unsigned x, unsigned y, unsigned z, const Bytes &planes, unsigned storageWord = 0x0001,
               unsigned magic = 474) {
    Bytes b = header(x, y, z, storageWord, magic);
    b.insert(b.end(), planes.begin(), planes.end());
    return b;
}

// Run-length file: rows[y + z * Y] stored one after the other after the
// tables; entries of `offsets` / `lengths` that are set replace the natural ones.
struct RowTable {
    std::vector<long> offsets, lengths;  // -1: natural
};
Bytes runLength(unsigned x, unsigned y, unsigned z, const std::vector<Bytes> &rows,
                const RowTable &override = {}, unsigned storageWord = 0x0101) {
    Bytes b = header(x, y, z, storageWord);
    const size_t n = (size_t)y * z;
    b.resize(512 + 8 * n, 0);
    for (size_t i = 0; i < n; i++) {
        const Bytes &row = rows[i < rows.size() ? i : rows.size() - 1];
        long offset = (long)b.size(), length = (long)row.size();
        if (i < override.offsets.size() && override.offsets[i] >= 0) offset = override.offsets[i];
        if (i < override.lengths.size() && override.lengths[i] >= 0) length = override.lengths[i];
        put32(b, 512 + 4 * i, (unsigned)offset);
        put32(b, 512 + 4 * (n + i), (unsigned)length);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// ---- layout rules ---------------------------------------------------------

TEST(GltxLayout, VerbatimTwoByTwoGivesRowsInFileOrderAndChannelsInterleaved) {
    // Plane of channel z, row y, column x holds 0x10 * (z + 1) + 4 * y + x.
    Bytes planes;
    for (unsigned z = 0; z < 3; z++)
        for (unsigned y = 0; y < 2; y++)
            for (unsigned x = 0; x < 2; x++) planes.push_back((unsigned char)(0x10 * (z + 1) + 4 * y + x));
    Read r = readBytes(verbatim(2, 2, 3, planes));
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.width, 2);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.components, 3);
    EXPECT_EQ(r.err, "");
    const Bytes want = {0x10, 0x20, 0x30, 0x11, 0x21, 0x31, 0x14, 0x24, 0x34, 0x15, 0x25, 0x35};
    EXPECT_EQ(r.pixels, want);
}

TEST(GltxLayout, LiteralThenRepeatPacket) {
    // Channel 0: 0x83 p q r, 0x02 s, 0x00 -> p q r s s.  Channels 1 and 2
    // show the two packet kinds on their own.
    const Bytes c0 = {0x83, 'p', 'q', 'r', 0x02, 's', 0x00};
    const Bytes c1 = {0x05, 'g', 0x00};
    const Bytes c2 = {0x85, 'a', 'b', 'c', 'd', 'e', 0x00};
    Read r = readBytes(runLength(5, 1, 3, {c0, c1, c2}));
    ASSERT_TRUE(r.ok) << r.err;
    const Bytes want = {'p', 'g', 'a', 'q', 'g', 'b', 'r', 'g', 'c', 's', 'g', 'd', 's', 'g', 'e'};
    EXPECT_EQ(r.pixels, want);
}

TEST(GltxLayout, StorageByteAloneChoosesRunLength) {
    // The same bytes after the header, read under several storage words: only
    // STORAGE 1 (whatever BPC holds) makes them row tables.
    const std::vector<Bytes> rows = {{0x81, 7, 0}, {0x81, 8, 0}, {0x81, 9, 0}};
    const Bytes rle = runLength(1, 1, 3, rows);
    const Bytes body(rle.begin() + 512, rle.end());
    struct Case {
        unsigned word;
        Bytes want;
    } cases[] = {
        {0x0101, {7, 8, 9}},
        {0x0102, {7, 8, 9}},
        {0x01FF, {7, 8, 9}},
        {0x0001, {body[0], body[1], body[2]}},  // verbatim: the first table bytes are the pixels
        {0x0201, {body[0], body[1], body[2]}},
    };
    for (const Case &c : cases) {
        Bytes file = rle;
        put16(file, 2, c.word);
        Read r = readBytes(file);
        ASSERT_TRUE(r.ok) << std::hex << c.word;
        EXPECT_EQ(r.pixels, c.want) << "storage word 0x" << std::hex << c.word;
    }
}

TEST(GltxLayout, FourChannelsGiveThreeBytePixelsAndAnyMagicIsRead) {
    // Alpha plane holds 0xEE, a value the colour planes never take.
    Bytes planes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};
    for (unsigned magic : {474u, 0u, 0xFFFFu, 0x1234u}) {
        Read r = readBytes(verbatim(3, 1, 4, planes, 0x0001, magic));
        ASSERT_TRUE(r.ok) << "magic " << magic;
        EXPECT_EQ(r.components, 4);
        EXPECT_EQ(r.pixels, (Bytes{1, 4, 7, 2, 5, 8, 3, 6, 9})) << "magic " << magic;
    }
}

TEST(GltxLayout, GreyImagesRepeatChannelZero) {
    // ZSIZE 1, and ZSIZE 2 whose second plane (alpha) must not show up as green.
    Read one = readBytes(verbatim(2, 1, 1, {10, 20}));
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(one.components, 1);
    EXPECT_EQ(one.pixels, (Bytes{10, 10, 10, 20, 20, 20}));
    Read two = readBytes(runLength(2, 1, 2, {{0x82, 30, 40, 0}, {0x02, 0xEE, 0}}));
    ASSERT_TRUE(two.ok);
    EXPECT_EQ(two.components, 2);
    EXPECT_EQ(two.pixels, (Bytes{30, 30, 30, 40, 40, 40}));
}

TEST(GltxLayout, RowsOutOfOrderSharedAndOverlapping) {
    // Two rows, three channels.  The rows are stored backwards, channel 1's two
    // rows share one stored row, and channel 2's row 1 starts inside row 0.
    Bytes file = header(2, 2, 3, 0x0101);
    file.resize(512 + 8 * 6, 0);
    auto store = [&file](const Bytes &row) {
        const unsigned at = (unsigned)file.size();
        file.insert(file.end(), row.begin(), row.end());
        return at;
    };
    const unsigned c2 = store({0x02, 'A', 0x82, 'B', 'C', 0x00});  // row 0: A A; from +2: B C
    const unsigned c1 = store({0x02, 'g', 0x00});
    const unsigned c0y1 = store({0x82, 'r', 's', 0x00});
    const unsigned c0y0 = store({0x82, 'p', 'q', 0x00});
    const unsigned offsets[6] = {c0y0, c0y1, c1, c1, c2, c2 + 2};
    const unsigned lengths[6] = {4, 4, 3, 3, 6, 4};
    for (int i = 0; i < 6; i++) {
        put32(file, 512 + 4 * i, offsets[i]);
        put32(file, 512 + 24 + 4 * i, lengths[i]);
    }
    Read r = readBytes(file);
    ASSERT_TRUE(r.ok) << r.err;
    EXPECT_EQ(r.pixels, (Bytes{'p', 'g', 'A', 'q', 'g', 'A', 'r', 'g', 'B', 's', 'g', 'C'}));
}

TEST(GltxLayout, ConversionsReadBigEndianBytesOnAnyHost) {
    // The values are built from the bytes, not from the host's order, so the
    // same file gives the same numbers on either kind of host.
    unsigned char shorts[6] = {0x01, 0xDA, 0x01, 0x02, 0xFF, 0x00};
    unsigned short s[3];
    std::memcpy(s, shorts, sizeof s);
    ConvertShort(s, 3);
    EXPECT_EQ(s[0], 0x01DA);
    EXPECT_EQ(s[1], 0x0102);
    EXPECT_EQ(s[2], 0xFF00);

    unsigned char longs[8] = {0x00, 0x00, 0x02, 0x00, 0xFF, 0xFE, 0x01, 0x80};
    unsigned l[2];
    std::memcpy(l, longs, sizeof l);
    ConvertLong(l, 2);
    EXPECT_EQ(l[0], 0x00000200u);
    EXPECT_EQ(l[1], 0xFFFE0180u);

    // A count shorter than the array leaves the rest alone.
    unsigned short partial[2];
    std::memcpy(partial, shorts, sizeof partial);
    ConvertShort(partial, 1);
    EXPECT_EQ(partial[0], 0x01DA);
    EXPECT_EQ(std::memcmp(&partial[1], shorts + 2, 2), 0);
}

TEST(GltxLayout, RowFetchGivesOneChannelRow) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("a.sgi"), runLength(3, 2, 3, {{0x03, 1, 0}, {0x83, 4, 5, 6, 0}, {0x03, 2, 0},
                                                      {0x03, 7, 0}, {0x03, 3, 0}, {0x03, 9, 0}})));
    RawImage *raw = RawImageOpen(dir.file("a.sgi").c_str());
    ASSERT_NE(raw, nullptr);
    unsigned char row[3];
    RawImageGetRow(raw, row, 1, 0);
    EXPECT_EQ(Bytes(row, row + 3), (Bytes{4, 5, 6}));
    RawImageGetRow(raw, row, 0, 2);
    EXPECT_EQ(Bytes(row, row + 3), (Bytes{3, 3, 3}));
    RawImageClose(raw);
}

// ---- failures -------------------------------------------------------------

TEST(GltxFailure, NullImageToDeleteAbortsWithTheAssertionText) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        gltxDelete(nullptr);
        _exit(0);  // not reached when the assertion works
    }
    close(fds[1]);
    std::string err;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) err.append(buf, (size_t)n);
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    EXPECT_EQ(err, "src/gltx:209: failed assertion `image'\n");
}

TEST(GltxFailure, UnreadablePathsGiveTheOpenMessage) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("empty.sgi"), {}));
    ASSERT_EQ(mkdir(dir.file("folder.sgi").c_str(), 0755), 0);
    // A named pipe nobody writes to must not block the reader.
    ASSERT_EQ(mkfifo(dir.file("pipe.sgi").c_str(), 0644), 0);
    for (const std::string &path :
         {dir.file("missing.sgi"), dir.file("empty.sgi"), dir.file("folder.sgi"), dir.file("pipe.sgi")}) {
        Read r = readImage(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_EQ(r.err, cantOpen(path));
    }
}

// Damaged files: each either is refused with the open message, or gives
// exactly the pixels listed (what the file lacks reads as 0).
struct Damaged {
    const char *what;
    Bytes file;
    bool refused;
    Bytes pixels;
};

std::vector<Damaged> damagedFiles() {
    const Bytes good2x1 = {0x82, 'a', 'b', 0x00};
    const std::vector<Bytes> rows3 = {good2x1, good2x1, good2x1};
    const Bytes rle = runLength(2, 1, 3, rows3);
    const long firstRow = 512 + 8 * 3;
    std::vector<Damaged> cases;
    auto refuse = [&cases](const char *what, Bytes file) { cases.push_back({what, std::move(file), true, {}}); };
    auto give = [&cases](const char *what, Bytes file, Bytes pixels) {
        cases.push_back({what, std::move(file), false, std::move(pixels)});
    };

    // Too short for the header, the 512-byte block or the row tables.
    refuse("11 bytes", Bytes(rle.begin(), rle.begin() + 11));
    refuse("header only, 300 bytes", Bytes(rle.begin(), rle.begin() + 300));
    refuse("run-length, 512 bytes", Bytes(rle.begin(), rle.begin() + 512));
    refuse("tables cut short", Bytes(rle.begin(), rle.begin() + 530));
    // Sizes.
    refuse("XSIZE 0", verbatim(0, 2, 3, Bytes(64, 1)));
    refuse("YSIZE 0", verbatim(2, 0, 3, Bytes(64, 1)));
    refuse("ZSIZE 0", verbatim(2, 2, 0, Bytes(64, 1)));
    refuse("ZSIZE 5", verbatim(1, 1, 5, Bytes(5, 1)));
    refuse("XSIZE 16385", verbatim(16385, 1, 3, Bytes(3 * 16385, 1)));
    refuse("YSIZE 16385", verbatim(1, 16385, 3, Bytes(3 * 16385, 1)));
    {
        Bytes absurd = header(65535, 65535, 3, 0x0101);
        absurd.resize(1024, 0x01);
        refuse("65535 x 65535 run-length in 1 KB", absurd);
        refuse("16384 x 16384 verbatim in 1 KB", verbatim(16384, 16384, 3, Bytes(512, 7)));
        refuse("verbatim without all of channel 0", verbatim(4, 4, 3, Bytes(15, 7)));
    }
    // Row tables.
    refuse("offset inside the header", runLength(2, 1, 3, rows3, {{100}, {}}));
    refuse("offset inside the tables", runLength(2, 1, 3, rows3, {{-1, 520}, {}}));
    refuse("offset at the end of the file", runLength(2, 1, 3, rows3, {{-1, -1, (long)rle.size()}, {}}));
    refuse("offset past the end of the file", runLength(2, 1, 3, rows3, {{-1, 0xFFFFFFF0L}, {}}));
    refuse("length 0", runLength(2, 1, 3, rows3, {{}, {-1, 0}}));
    refuse("length 0xFFFFFFFF", runLength(2, 1, 3, rows3, {{}, {-1, -1, 0xFFFFFFFFL}}));
    refuse("length past the end of the file", runLength(2, 1, 3, rows3, {{}, {-1, -1, 5}}));
    refuse("alpha table entry past the end", runLength(2, 1, 4, {good2x1}, {{-1, -1, -1, 1L << 20}, {}}));

    // Rows whose contents are wrong: cut at XSIZE, the rest of a row 0.
    give("runs add up past XSIZE", runLength(3, 1, 3, {{0x05, 'a', 0x83, 'x', 'y', 'z', 0}, {0x02, 'b', 0x7F, 'c', 0},
                                                     {0x84, 'd', 'e', 'f', 'g', 0}}),
         {'a', 'b', 'd', 'a', 'b', 'e', 'a', 'c', 'f'});
    give("literal bytes beyond the row's length", runLength(3, 1, 3, {{0x83, 'x', 'y'}, good2x1, good2x1}),
         {'x', 'a', 'a', 'y', 'b', 'b', 0, 0, 0});
    give("repeat byte beyond the row's length", runLength(3, 1, 3, {{0x81, 'x', 0x02}, good2x1, good2x1}),
         {'x', 'a', 'a', 0, 'b', 'b', 0, 0, 0});
    give("no terminating count", runLength(3, 1, 3, {{0x02, 'x'}, {0x81, 'y', 0x81, 'z'}, {0x83, 'p', 'q', 'r'}}),
         {'x', 'y', 'p', 'x', 'z', 'q', 0, 0, 'r'});
    give("row ends early with a 0 count", runLength(3, 1, 3, {{0x01, 'x', 0x00, 0x02, 'w'}, good2x1, good2x1}),
         {'x', 'a', 'a', 0, 'b', 'b', 0, 0, 0});
    give("channel 2 reusing channel 0's stored row",
         runLength(2, 1, 3, rows3, {{-1, -1, firstRow}, {}}), {'a', 'a', 'a', 'b', 'b', 'b'});
    {
        // The row's stated length is longer than any row of 2 pixels needs;
        // the bytes after the terminator are never used.
        Bytes longRow = {0x82, 'm', 'n', 0x00};
        longRow.resize(200, 0x7F);
        give("overlong stated length", runLength(2, 1, 3, {longRow, good2x1, good2x1}),
             {'m', 'a', 'a', 'n', 'b', 'b'});
    }
    // Verbatim data ending inside channel 2, then inside channel 1.
    give("verbatim ends in channel 2", verbatim(2, 2, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
         {1, 5, 9, 2, 6, 0, 3, 7, 0, 4, 8, 0});
    give("verbatim ends in channel 1", verbatim(2, 2, 3, {1, 2, 3, 4, 5}), {1, 5, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0});
    give("grey verbatim complete", verbatim(1, 2, 1, {1, 2}), {1, 1, 1, 2, 2, 2});
    return cases;
}

TEST(GltxFailure, DamagedFilesAreRefusedOrGiveDefinedPixels) {
    TempDir dir;
    const std::string path = dir.file("damaged.sgi");
    for (const Damaged &c : damagedFiles()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFile(path, c.file));
        Read r = readImage(path);
        if (c.refused) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.err, cantOpen(path));
        } else {
            ASSERT_TRUE(r.ok) << r.err;
            EXPECT_EQ(r.err, "");
            EXPECT_TRUE(r.hasData);
            EXPECT_EQ(r.pixels, c.pixels);
        }
    }
}

TEST(GltxFailure, LargestSidesAreAccepted) {
    // 16384 is the largest side taken: one row of it, and one column of it.
    Bytes wide(3 * 16384), tall(3 * 16384);
    for (size_t k = 0; k < wide.size(); k++) wide[k] = tall[k] = (unsigned char)(k * 7);
    Read w = readBytes(verbatim(16384, 1, 3, wide));
    ASSERT_TRUE(w.ok) << w.err;
    Read t = readBytes(verbatim(1, 16384, 3, tall));
    ASSERT_TRUE(t.ok) << t.err;
    // Pixel x of the row takes plane bytes x, 16384 + x, 32768 + x.
    for (size_t x : {0u, 1u, 8191u, 16383u}) {
        EXPECT_EQ(w.pixels[3 * x], wide[x]);
        EXPECT_EQ(w.pixels[3 * x + 2], wide[2 * 16384 + x]);
        EXPECT_EQ(t.pixels[3 * x + 1], tall[16384 + x]);
    }
}

} // namespace

namespace {

// The three textures the program loads: power-of-two RGB pictures stored
// run-length encoded, each with real contrast (not a flat colour).
TEST(GltxTextures, ShippedImagesArePowerOfTwoRunLengthPictures) {
    for (int k = 1; k <= 3; k++) {
        const std::string path = std::string(ORBELUNE_SOURCE_DIR) + "/data/TEXTURES/texture" + std::to_string(k) + ".sgi";
        SCOPED_TRACE(path);
        const Bytes file = readFile(path);
        ASSERT_GE(file.size(), 512u);
        EXPECT_EQ(file[2], 1) << "run-length encoded";
        Read r = readImage(path);
        ASSERT_TRUE(r.ok) << r.err;
        EXPECT_EQ(r.components, 3);
        for (int side : {r.width, r.height}) {
            EXPECT_GE(side, 64);
            EXPECT_EQ(side & (side - 1), 0) << side << " is not a power of two";
        }
        // Brightness spread: the darkest and brightest tenth differ clearly.
        std::vector<int> luma;
        for (size_t p = 0; p + 2 < r.pixels.size(); p += 3)
            luma.push_back(r.pixels[p] * 3 + r.pixels[p + 1] * 6 + r.pixels[p + 2]);
        std::sort(luma.begin(), luma.end());
        EXPECT_GT(luma[luma.size() * 9 / 10] - luma[luma.size() / 10], 10 * 60);
    }
}

} // namespace
