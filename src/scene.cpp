// scene.cpp — the camera's per-frame step and a body's display radius (see
// scene.h).
#include "scene.h"

#include "orbelune.h"
#include "puissance.h"

#include <cmath>

namespace {

// The look-at of the camera as it stands: from the eye along the heading.
void vise(float oeil[3], float centre[3]) {
    oeil[0] = xv;
    oeil[1] = yv;
    oeil[2] = zv;
    centre[0] = xv + sth;
    centre[1] = yv;
    centre[2] = zv - cth;
}

} // namespace

void regardImage(float oeil[3], float centre[3]) {
    vise(oeil, centre); // rotation and flight look from the eye as it stands
    if (rot == 1) {
        LightPosition[0] = xv + 10.0f;
        LightPosition[1] = yv + 15.0f;
        LightPosition[2] = zv - 10.0f;
        LightPosition[3] = 1.0f;
    }
    if (trans == 1) {
        xv = xv - spin_x / 1000.0f;
        zv = zv + spin_y / 1000.0f;
        vise(oeil, centre);
    }
    if (vol == 1) {
        // This frame looks along the heading computed by the one before.
        cth = static_cast<float>(std::cos(thetay * 3.1415 / 180));
        sth = static_cast<float>(std::sin(thetay * 3.1415 / 180));
        xv = static_cast<float>(xv + sth * 0.015);
        zv = static_cast<float>(zv - cth * 0.015);
        yv = yv + vitesse;
        vitesse = 0.0f;
    }
}

float rayonCorps(double m) {
    float r = static_cast<float>(puissance0333(m));
    if (!(r >= 0.1)) r = 0.1f; // also a negative mass: its power is not a number
    if (r > 2.0) r = 2.0f;
    return r;
}
