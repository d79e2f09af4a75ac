// images.h — reading a texture image of the base directory, shared by the
// desktop and the browser renderers.
//
// litTexture(nom) reads ici + nom with gltxReadRGB.  It returns null when the
// path would not fit 256 bytes (with a message on standard error), when the
// reader fails (it prints its own message), or when the image has no pixels
// (with a message; the record is released).  The caller releases a returned
// record with gltxDelete.  No GL.
#ifndef ORBELUNE_IMAGES_H
#define ORBELUNE_IMAGES_H

#include "gltx.h"

GltxImage *litTexture(const char *nom);

#endif
