// gltx.cpp — reader of SGI RGB images for the textures.
//
// File layout (every multi-byte value big-endian):
//   0  MAGIC (2 bytes, any value accepted)
//   2  storage word: STORAGE byte then BPC byte; run-length encoded exactly
//      when STORAGE is 1 (word & 0xFF00 == 0x0100), verbatim otherwise; BPC is
//      ignored, one byte per channel is assumed
//   4  DIMENSION (ignored), 6 XSIZE, 8 YSIZE, 10 ZSIZE
//   512 verbatim: ZSIZE channels one after the other, each YSIZE rows of
//       XSIZE bytes, row 0 (the bottom of the picture) first;
//       run-length: a table of YSIZE * ZSIZE row offsets, then a table of as
//       many row lengths (32-bit each, indexed y + z * YSIZE), then the rows
//       anywhere in the file, in any order, possibly shared.
//   A compressed row is packets opened by a count byte b: n = b & 0x7F, n = 0
//   ends the row; b & 0x80 copies the next n bytes, otherwise the next byte is
//   repeated n times.
//
// Result: width, height, components (ZSIZE as given) and data, rows in file
// order, 3 bytes per pixel from channels 0, 1, 2; the buffer holds
// 4 * (width + 1) * (height + 1) bytes, all zeroed before the pixels land.
//
// Failure: null, after "gltxReadRGB() failed: can't open image file "NAME".",
// for a file that cannot be opened or read as an image (a name that is not a
// regular file, such as a directory or a named pipe, counts as unreadable), and after
// "gltxReadRGB() failed: insufficient memory." when the result record cannot
// be allocated; a record with null data (no message) when the pixel buffer
// cannot be allocated.
//
// What the reader refuses (the "can't open" message), so that a damaged file
// never makes it read or write outside its buffers, allocate without bound or
// loop for long:
//   - a file shorter than its 12-byte header or than 512 bytes;
//   - XSIZE, YSIZE or ZSIZE 0, a side above 16384 (no GL takes a larger
//     texture) or ZSIZE above 4;
//   - run-length: a file shorter than its two row tables, or a table entry
//     whose row starts inside the header or the tables, has length 0, or
//     runs past the end of the file;
//   - verbatim: a file that does not hold all of channel 0
//     (512 + XSIZE * YSIZE bytes), which bounds the pixel buffer by the
//     file's own size.
// What it reads with defined pixels instead:
//   - ZSIZE 1 or 2 (grey, grey + alpha): channel 0 is repeated into R, G
//     and B, so a grey picture shows grey; channel 1 is never used as green;
//   - verbatim data that ends before the last channel does: the bytes the
//     file lacks read as 0;
//   - a compressed row whose runs add up to more than XSIZE is cut at XSIZE;
//     one that stops short of XSIZE (a literal or repeat byte beyond its
//     stated length, no terminating 0 count, or simply too few runs) leaves
//     the rest of its row 0.  Only the first 2 * XSIZE + 1 bytes of a row
//     are read: no row that decodes to at most XSIZE bytes needs more.
//   - rows out of order, shared or overlapping in the file are read as the
//     tables say.
#include "gltx.h"
#include "gltx_internal.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const long HEADER_BYTES = 512;

// Byte order is looked at once, at run time: the first byte in memory of an
// int holding 1 is 1 on a little-endian host.
bool hostIsLittleEndian() {
    const int one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

bool isRunLength(const RawImage *raw) {
    return (raw->type & 0xFF00) == 0x0100;
}

// Reads up to `count` bytes at `offset`; returns how many it got (0 past the
// end, or when the position cannot be reached).  Rows that follow one another
// in the file are read without a seek.
size_t readAt(RawImage *raw, long offset, unsigned char *buf, size_t count) {
    if (offset != raw->position) {
        raw->position = -1;
        if (std::fseek(raw->file, offset, SEEK_SET) != 0) return 0;
    }
    const size_t got = std::fread(buf, 1, count, raw->file);
    raw->position = got == count ? offset + (long)count : -1;
    return got;
}

// Opens a regular file for binary reading; null for anything else.  The
// open does not wait: a named pipe with no writer, given by mistake, would
// otherwise block the program before its window appears.
std::FILE *openImageFile(const char *name) {
    if (!name) return nullptr;
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE *file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

// Checks the header against the limits above and the file's length.
bool headerIsUsable(const RawImage *raw) {
    if (raw->sizeX == 0 || raw->sizeY == 0 || raw->sizeZ == 0) return false;
    if (raw->sizeX > GLTX_MAX_SIDE || raw->sizeY > GLTX_MAX_SIDE || raw->sizeZ > GLTX_MAX_ZSIZE) return false;
    if (raw->fileSize < HEADER_BYTES) return false;
    const long plane = (long)raw->sizeX * raw->sizeY;
    if (isRunLength(raw)) {
        const long tables = 2L * 4 * raw->sizeY * raw->sizeZ;
        return raw->fileSize - HEADER_BYTES >= tables;
    }
    return raw->fileSize - HEADER_BYTES >= plane;
}

// Every row of the tables must lie after the tables and inside the file.
bool tablesAreUsable(const RawImage *raw) {
    const long rows = (long)raw->sizeY * raw->sizeZ;
    const long dataStart = HEADER_BYTES + 2 * 4 * rows;
    for (long i = 0; i < rows; i++) {
        const long start = raw->rowStart[i];
        const long size = raw->rowSize[i];
        if (start < dataStart || size == 0 || size > raw->fileSize - start) return false;
    }
    return true;
}

// Decodes one compressed row of `have` bytes into `width` bytes of out; what
// the row does not provide is 0.
void expandRow(unsigned char *out, long width, const unsigned char *in, long have) {
    long o = 0, i = 0;
    while (i < have && o < width) {
        const unsigned char pixel = in[i++];
        const long count = pixel & 0x7F;
        if (count == 0) break;
        if (pixel & 0x80) {
            long n = count;
            if (n > have - i) n = have - i;
            if (n > width - o) n = width - o;
            std::memcpy(out + o, in + i, (size_t)n);
            o += n;
            i += count;
        } else {
            if (i >= have) break;
            long n = count;
            if (n > width - o) n = width - o;
            std::memset(out + o, in[i++], (size_t)n);
            o += n;
        }
    }
    if (o < width) std::memset(out + o, 0, (size_t)(width - o));
}

} // namespace

void ConvertShort(unsigned short *array, long length) {
    unsigned char *bytes = reinterpret_cast<unsigned char *>(array);
    for (long k = 0; k < length; k++) {
        const unsigned b1 = bytes[2 * k], b2 = bytes[2 * k + 1];
        array[k] = (unsigned short)((b1 << 8) | b2);
    }
}

void ConvertLong(unsigned *array, long length) {
    unsigned char *bytes = reinterpret_cast<unsigned char *>(array);
    for (long k = 0; k < length; k++) {
        const unsigned b1 = bytes[4 * k], b2 = bytes[4 * k + 1], b3 = bytes[4 * k + 2], b4 = bytes[4 * k + 3];
        array[k] = (b1 << 24) | (b2 << 16) | (b3 << 8) | b4;
    }
}

RawImage *RawImageOpenStream(std::FILE *file) {
    if (!file) return nullptr;
    RawImage *raw = static_cast<RawImage *>(std::calloc(1, sizeof(RawImage)));
    if (!raw) {
        std::fclose(file);
        return nullptr;
    }
    raw->file = file;
    const bool swap = hostIsLittleEndian();

    unsigned short header[6];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) {
        RawImageClose(raw);
        return nullptr;
    }
    if (swap) ConvertShort(header, 6);
    raw->imagic = header[0];
    raw->type = header[1];
    raw->dim = header[2];
    raw->sizeX = header[3];
    raw->sizeY = header[4];
    raw->sizeZ = header[5];

    raw->position = -1;
    if (std::fseek(file, 0, SEEK_END) != 0 || (raw->fileSize = std::ftell(file)) < 0 || !headerIsUsable(raw)) {
        RawImageClose(raw);
        return nullptr;
    }

    const size_t rowBuffer = 256 * (size_t)raw->sizeX;
    raw->tmp = static_cast<unsigned char *>(std::malloc(rowBuffer));
    raw->tmpR = static_cast<unsigned char *>(std::malloc(rowBuffer));
    raw->tmpG = static_cast<unsigned char *>(std::malloc(rowBuffer));
    raw->tmpB = static_cast<unsigned char *>(std::malloc(rowBuffer));
    if (!raw->tmp || !raw->tmpR || !raw->tmpG || !raw->tmpB) {
        RawImageClose(raw);
        return nullptr;
    }

    if (isRunLength(raw)) {
        const long rows = (long)raw->sizeY * raw->sizeZ;
        const size_t n = (size_t)rows * 4;
        raw->rowStart = static_cast<unsigned *>(std::malloc(n));
        raw->rowSize = static_cast<unsigned *>(std::malloc(n));
        if (!raw->rowStart || !raw->rowSize
            || readAt(raw, HEADER_BYTES, reinterpret_cast<unsigned char *>(raw->rowStart), n) != n
            || readAt(raw, HEADER_BYTES + (long)n, reinterpret_cast<unsigned char *>(raw->rowSize), n) != n) {
            RawImageClose(raw);
            return nullptr;
        }
        if (swap) {
            ConvertLong(raw->rowStart, rows);
            ConvertLong(raw->rowSize, rows);
        }
        if (!tablesAreUsable(raw)) {
            RawImageClose(raw);
            return nullptr;
        }
    }
    return raw;
}

RawImage *RawImageOpen(const char *name) {
    return RawImageOpenStream(openImageFile(name));
}

void RawImageClose(RawImage *raw) {
    if (!raw) return;
    if (raw->file) std::fclose(raw->file);
    std::free(raw->tmp);
    std::free(raw->tmpR);
    std::free(raw->tmpG);
    std::free(raw->tmpB);
    std::free(raw->rowStart);
    std::free(raw->rowSize);
    std::free(raw);
}

void RawImageGetRow(RawImage *raw, unsigned char *buf, int y, int z) {
    const long width = raw->sizeX;
    if (y < 0 || y >= raw->sizeY || z < 0 || z >= raw->sizeZ) {
        std::memset(buf, 0, (size_t)width);
        return;
    }
    if (isRunLength(raw)) {
        const long i = y + (long)z * raw->sizeY;
        long want = raw->rowSize[i];
        if (want > 2 * width + 1) want = 2 * width + 1;
        const size_t got = readAt(raw, (long)raw->rowStart[i], raw->tmp, (size_t)want);
        expandRow(buf, width, raw->tmp, (long)got);
    } else {
        const long offset = HEADER_BYTES + y * width + (long)z * width * raw->sizeY;
        const size_t got = readAt(raw, offset, buf, (size_t)width);
        if ((long)got < width) std::memset(buf + got, 0, (size_t)(width - (long)got));
    }
}

void RawImageGetData(RawImage *raw, GltxImage *final) {
    const size_t width = raw->sizeX, height = raw->sizeY;
    final->data = static_cast<unsigned char *>(std::calloc(4 * (width + 1) * (height + 1), 1));
    if (!final->data) return;

    // Grey images (ZSIZE 1 or 2) show channel 0 in all three colours.
    const bool colour = raw->sizeZ >= 3;
    const unsigned char *g = colour ? raw->tmpG : raw->tmpR;
    const unsigned char *b = colour ? raw->tmpB : raw->tmpR;
    unsigned char *ptr = final->data;
    for (size_t y = 0; y < height; y++) {
        RawImageGetRow(raw, raw->tmpR, (int)y, 0);
        if (colour) {
            RawImageGetRow(raw, raw->tmpG, (int)y, 1);
            RawImageGetRow(raw, raw->tmpB, (int)y, 2);
        }
        for (size_t x = 0; x < width; x++) {
            *ptr++ = raw->tmpR[x];
            *ptr++ = g[x];
            *ptr++ = b[x];
        }
    }
}

GltxImage *gltxReadRGBStream(std::FILE *file, const char *name) {
    RawImage *raw = RawImageOpenStream(file);
    if (!raw) {
        std::fprintf(stderr, "gltxReadRGB() failed: can't open image file \"%s\".\n", name ? name : "(null)");
        return nullptr;
    }
    GltxImage *final = static_cast<GltxImage *>(std::malloc(sizeof(GltxImage)));
    if (!final) {
        std::fprintf(stderr, "gltxReadRGB() failed: insufficient memory.\n");
        RawImageClose(raw);
        return nullptr;
    }
    final->width = raw->sizeX;
    final->height = raw->sizeY;
    final->components = raw->sizeZ;
    final->data = nullptr;
    RawImageGetData(raw, final);
    RawImageClose(raw);
    return final;
}

GltxImage *gltxReadRGB(const char *name) {
    return gltxReadRGBStream(openImageFile(name), name);
}

void gltxDelete(GltxImage *image) {
    // A null image is the caller's error: report it as an assertion does.
    if (!image) {
        std::fprintf(stderr, "%s:%u: failed assertion `%s'\n", "src/gltx", 209u, "image");
        std::fflush(stderr);
        std::abort();
    }
    std::free(image->data);
    std::free(image);
}
