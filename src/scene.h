// scene.h — what the desktop and the browser renderers compute alike, so
// that both show the same picture: the camera's per-frame step and a body's
// display radius.  No GL.
//
// rayonCorps(m): the mass to the power 0.333 (correctly rounded, puissance.h)
// as a float, clamped to 0.1 .. 2.0; a negative or undefined mass, whose power
// is not a number, gets the smallest radius, 0.1.
//
// Every camera mode looks from the eye along the heading (sth, 0, -cth) with
// y up.  regardImage advances the camera state (orbelune.h) by one frame for
// the active mode and gives the eye and the centre of that frame's look-at:
//   rotation     no move; LightPosition becomes (xv + 10, yv + 15, zv - 10, 1),
//                which the caller sends after turning the scene by the drag
//                offset (spin_y degrees about x, then spin_x about y);
//   translation  the eye drifts by (-spin_x / 1000, 0, spin_y / 1000) first,
//                and the frame looks from the moved eye;
//   flight       the frame looks from the eye as it stands, then the heading
//                is recomputed from thetay and the eye advances 0.015 along it
//                and takes the pending vertical step vitesse.
// Single precision where the desktop has always used it (eye, centre, drift),
// double precision then float for the heading and the flight step.
#ifndef ORBELUNE_SCENE_H
#define ORBELUNE_SCENE_H

void regardImage(float oeil[3], float centre[3]);
float rayonCorps(double m);

#endif
