// regard.h — the camera's per-frame step, shared by the desktop and the
// browser renderers so that both move the eye identically.
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
// double precision then float for the heading and the flight step.  No GL.
#ifndef ORBELUNE_REGARD_H
#define ORBELUNE_REGARD_H

void regardImage(float oeil[3], float centre[3]);

#endif
