// gltx.h — reader of SGI RGB images (verbatim or run-length encoded, one byte
// per channel), returning the first three channels as interleaved RGB bytes.
#ifndef ORBELUNE_GLTX_H
#define ORBELUNE_GLTX_H

struct GltxImage {
    int width;           // XSIZE: pixels per row
    int height;          // YSIZE: number of rows
    int components;      // ZSIZE as the file gives it; data has 3 bytes per pixel regardless
    unsigned char *data; // rows in file order (bottom row first), 3 * width bytes each; null if not allocated
};

// Reads the file; null after a message on standard error.
GltxImage *gltxReadRGB(const char *name);
// Releases the image; a null image is a programming error and aborts.
void gltxDelete(GltxImage *image);

#endif
