// figure_svg.h — draws a run of the simulator, seen from above, as an SVG
// picture for worksheets and slides.  No GL and no simulation state here:
// the caller records the run and hands it over as plain data.
//
// Picture: x to the right, y up, one scale for both axes, the plot LARGEUR
// pixels wide (the height follows the frame's shape); under it the caption,
// then the elements table and the table of swept areas when asked for.
//
// Frame: --view gives it; otherwise it fits every point of the bodies that
// stay near (body 1, bodies still bound at the end, absorbed bodies up to
// their absorption), and of every other body the points no farther from
// body 1 than the farthest near point or that body's own start, with a
// margin of MARGE of the width and height on each side; a frame flatter than
// 1:2 or taller than 3:2 is widened to that shape, and a frame with no
// extent (bodies all in one point) gets one around body 1.  A body that
// escapes or lies parked after absorption therefore never shrinks the
// picture: what leaves the frame is cut at its edge.
//
// Structure, for scripts that read the figures back:
//   <polyline class="trajet" data-corps="N">  a body's path; a path that
//      leaves the frame and comes back is one polyline per visible stretch;
//   <path class="aire" data-corps="N" data-aire="A" data-lots="B1-B2">  the
//      sector swept from body 1 between batch ends B1 and B2, A its area in
//      simulation units (%.6g), computed from the unthinned path as a polygon
//      in body 1's frame; only complete sectors are drawn;
//   <circle class="corps" data-corps="1">  body 1, a disc of its absorption
//      radius (at least 2 pixels, to be seen);
//   <circle class="depart">, <circle class="arrivee">, <path class="absorption">
//      start, end and absorption marks (data-corps="N");
//   <text class="poussee" data-lot="B" data-nombre="n">  n presses of + or −
//      on consecutive batches from batch B, at body 2's position before B;
//   <line class="echelle" data-longueur="L">  the scale bar, L units long.
//
// Paths are thinned (Douglas-Peucker, TOLERANCE pixels) after clipping, so
// that a long run stays small and every drawn point lies within a fraction
// of a pixel of the computed path.  Pixel coordinates carry one decimal.
#ifndef ORBELUNE_FIGURE_SVG_H
#define ORBELUNE_FIGURE_SVG_H

#include <string>
#include <vector>

namespace figure {

constexpr double LARGEUR = 760.0;  // plot width, pixels
constexpr double MARGE = 0.06;     // frame margin, share of width and height
constexpr double TOLERANCE = 0.3;  // thinning, pixels
constexpr long SECTEURS_MAX = 200; // sectors per body that --areas may ask for

struct Point {
    double x, y;
};

struct Corps {
    std::vector<Point> chemin; // position at batch ends 0, 1, 2, ... while free
    bool absorbe = false;      // body 1 took it in the batch after the last point
    bool proche = true;        // bound at the end (or absorbed): sets the frame
};

// Presses of + or − on the consecutive batches lot .. lot + nombre - 1.
struct Poussee {
    long lot;
    int nombre;
    bool plus;
};

struct Vue {
    double xmin, xmax, ymin, ymax;
};

struct Figure {
    std::string nom;                // scenario file, named in the caption
    double dt = 0.001;
    long lots = 0;                  // batches run
    double duree_lot = 0.05;        // simulated time of one batch
    std::vector<Corps> corps;       // index 0 unused, bodies 1..nb
    double rayon = 0;               // body 1's absorption radius at the end
    std::vector<Poussee> poussees;  // body 2's presses, in batch order
    long aires = 0;                 // sectors of this many batches; 0: none
    std::vector<std::vector<std::string>> elements; // header row, then a row per body; empty: none
    bool papier = false;            // dark lines on white
    bool avec_vue = false;
    Vue vue{};
};

// The whole SVG document.
std::string dessine(const Figure &f);

// Area swept from body 1 by body j between batch ends k0 and k1, from the
// two paths as a polygon in body 1's frame; positive counter-clockwise.
double aire_balayee(const std::vector<Point> &centre, const std::vector<Point> &chemin, size_t k0, size_t k1);

// Indices of the points that Douglas-Peucker keeps at this tolerance; the
// first and last point always stay.
std::vector<size_t> amincit(const std::vector<Point> &p, double tolerance);

// Text with &, <, >, " and ' replaced by their entities.
std::string echappe(const std::string &s);

} // namespace figure

#endif
