// gltx_internal.h — the private side of the SGI image reader, exposed for its
// own tests, fuzz target and benchmark.  The window program uses gltx.h only.
#ifndef ORBELUNE_GLTX_INTERNAL_H
#define ORBELUNE_GLTX_INTERNAL_H

#include "gltx.h"

#include <cstdio>

// Largest side accepted (no GL takes a larger texture) and largest ZSIZE.
const unsigned GLTX_MAX_SIDE = 16384;
const unsigned GLTX_MAX_ZSIZE = 4;

// An open image file.  Fields follow the file's header, then what the reader
// owns: the file, the packed-row buffer, three channel-row buffers and, for a
// run-length encoded file, the two row tables.
struct RawImage {
    unsigned short imagic;  // MAGIC, not tested
    unsigned short type;    // storage word: STORAGE in the high byte, BPC in the low
    unsigned short dim;     // DIMENSION, not used
    unsigned short sizeX;   // XSIZE
    unsigned short sizeY;   // YSIZE
    unsigned short sizeZ;   // ZSIZE
    std::FILE *file;
    unsigned char *tmp;     // one compressed row, 256 * XSIZE bytes
    unsigned char *tmpR;    // one decoded row of channel 0
    unsigned char *tmpG;    // of channel 1
    unsigned char *tmpB;    // of channel 2
    unsigned *rowStart;     // run-length only: file offset of each compressed row
    unsigned *rowSize;      // run-length only: length of each compressed row
    long fileSize;          // bytes in the file, measured at open
    long position;          // where the next read starts, -1 when not known
};

// Rewrite `length` big-endian 16-bit / 32-bit values in place into host order.
void ConvertShort(unsigned short *array, long length);
void ConvertLong(unsigned *array, long length);

// Opens `name`; null when it cannot be opened or is not a readable image.
RawImage *RawImageOpen(const char *name);
// The same on a stream already open for binary reading (a file or an
// fmemopen buffer); the stream belongs to the reader from then on, and is
// closed on failure too.
RawImage *RawImageOpenStream(std::FILE *file);
void RawImageClose(RawImage *raw);
// Writes row y of channel z, decoded, as XSIZE bytes into buf.
void RawImageGetRow(RawImage *raw, unsigned char *buf, int y, int z);
// Allocates final->data and fills it with the RGB pixels.
void RawImageGetData(RawImage *raw, GltxImage *final);

// gltxReadRGB on an open stream (taken over, as RawImageOpenStream does);
// `name` is only used in the failure message.
GltxImage *gltxReadRGBStream(std::FILE *file, const char *name);

#endif
