// images.cpp — reading a texture image of the base directory (see images.h).
#include "images.h"

#include "orbelune.h"

#include <cstdio>

GltxImage *litTexture(const char *nom) {
    char chemin[256];
    int n = std::snprintf(chemin, sizeof chemin, "%s%s", ici, nom);
    if (n < 0 || static_cast<size_t>(n) >= sizeof chemin) {
        std::fprintf(stderr, "chemin de texture trop long, %s ignoree\n", nom);
        return nullptr;
    }
    GltxImage *image = gltxReadRGB(chemin);
    if (image && (!image->data || image->width <= 0 || image->height <= 0)) {
        std::fprintf(stderr, "texture %s sans pixels, ignoree\n", chemin);
        gltxDelete(image);
        image = nullptr;
    }
    return image;
}
