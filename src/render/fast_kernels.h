// The fast inker's kernels and the data they read: what the worker threads
// run. Internal to the fast inker; every function here only reads its
// inputs and writes the pixels of its own band.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "render/ink_step.h"
#include "render/plane.h"

namespace zorva::fast {

// What the inking of a point reads on every pixel, kept small: the workers
// read it while the next chunk's points are written.
struct InkPoint {
  int px = 0, py = 0;  // the point's own pixel
  double z = 1;        // its shade
};

// The rest of a point.
struct PointDetail {
  double x = 0, y = 0;    // in the plane
  std::int32_t k = 0;     // number within the step, from 1
  bool failed = false;    // working it out failed: the step ends before it
  bool unplaced = false;  // its pixel could not be worked out (numerator: the failing value)
  double unplacedNumerator = 0;
  bool badColour = false;        // its colour term is not a finite number
  double colour[3] = {1, 1, 1};  // alternative colouring or source sample, before weights
};

struct Offset {
  int dx, dy;
  double w;   // the splodge weight
  double wp;  // after the intensity power
};

// Two pixels of a splodge inked together: their distances in pixels from
// the point's own pixel in memory, and their weights.
struct OffsetPair {
  std::ptrdiff_t a, b;
  double wpA, wpB;
};

struct Offset246 {
  int i, j;
  double w;  // the older inking's weight
};

// One point of the ring of angles that steps with the same grain share.
struct RingEntry {
  double theta, c, s;  // the angle, its cosine and sine
  double q;            // the bump factor
  bool qOk;            // working q out did not fail
};

// Two doubles in one vector register; lane by lane the same IEEE arithmetic
// as scalar code.
typedef double v2d __attribute__((vector_size(16)));

inline v2d load2(const double* p) {
  v2d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store2(double* p, v2d v) { std::memcpy(p, &v, sizeof v); }

// std::clamp(x, 0, 255) lane by lane.
inline v2d clamp255(v2d x) {
  const v2d zero = {0.0, 0.0}, top = {255.0, 255.0};
  x = x < zero ? zero : x;
  return top < x ? top : x;
}

// The common case, clamped Add or Subtract with plain weights and one amount
// for the three channels: the step's constants of its kernel.
struct PlainInk {
  v2d s01, s20, s12, s22;  // the step colour (less 255 when subtracting), by channel pairs
  double amount;
  bool dimmer;
  double dimmerFactor;
  std::int32_t step;
};

inline double plainAmount(double wp, double z, const PlainInk& k) {
  double x = wp;
  if (k.dimmer) x = x * k.dimmerFactor;
  x = x * z;
  return k.amount * x;
}

// The plain kernel: computes exactly what inkPixel would, for two pixels at
// once (A and B, anywhere in memory): their six channels in three pairs,
// each pair one vector operation.
inline void inkPlainPair(double* A, double* B, std::int32_t& firstA, std::int32_t& firstB, double wpA, double wpB,
                         double z, const PlainInk& k) {
  const double aa = plainAmount(wpA, z, k), ab = plainAmount(wpB, z, k);
  const v2d v1 = clamp255(load2(A) + v2d{aa, aa} * k.s01 / 255.0);
  const v2d v2 = clamp255(v2d{A[2], B[0]} + v2d{aa, ab} * k.s20 / 255.0);
  const v2d v3 = clamp255(load2(B + 1) + v2d{ab, ab} * k.s12 / 255.0);
  store2(A, v1);
  A[2] = v2[0];
  B[0] = v2[1];
  store2(B + 1, v3);
  firstA = std::min(k.step, firstA);
  firstB = std::min(k.step, firstB);
}

inline void inkPlainSingle(double* v, std::int32_t& first, double wp, double z, const PlainInk& k) {
  const double a = plainAmount(wp, z, k);
  store2(v, clamp255(load2(v) + v2d{a, a} * k.s01 / 255.0));
  v[2] = clamp255(v2d{v[2], v[2]} + v2d{a, a} * k.s22 / 255.0)[0];
  first = std::min(k.step, first);
}

// Any other pixel: the general colour vector and kernel.
inline void inkGeneral(double* v, std::int32_t& first, const InkStep& ink, const double term[3], double sourceWeight,
                       double weight, double z) {
  double col[3];
  pixelColour(ink, term, sourceWeight, weight, z, col);
  inkPixel(v, first, col, ink.rules);
}

// What one worker needs to ink the splodges of a chunk into its band.
struct SplodgeBand {
  double* colour;
  std::int32_t* firstStep;
  int W;
  long long y0, y1;  // the band's rows
  const InkPoint* points;
  const PointDetail* detail;
  int good;
  long long R;
  bool table, plainClamp, pairsReady;
  const std::vector<Offset>* offsets;
  const std::vector<int>* rowStart;  // offsets of row dy start at rowStart[dy + R]
  const std::vector<OffsetPair>* pairs;
  const InkStep* ink;
  const PlainInk* plain;
};

// What one worker needs to ink the older inking's sub-points of a chunk.
struct OldBand {
  double* colour;
  std::int32_t* firstStep;
  int W, H;
  long long y0, y1;
  const InkPoint* points;
  const PointDetail* detail;
  int good;
  double Nd, p, L;
  long long N;
  const std::vector<Offset246>* table;  // null: worked out per sub-point
  std::vector<int>* colOf;              // this band's scratch for the table
  std::vector<int>* rowOf;
  const InkStep* ink;
  const PixelMapper* pixels;
};

// Rows split into bands of about equal work, one band a thread: the work of
// a row is the number of splodges that reach it (points reach `reach` rows
// up and down from their own pixel).
void splitBands(std::vector<long long>& edges, std::vector<int>& rowCount, const InkPoint* points, int good, int bands,
                long long reach, int H);

// Inks every point of the chunk into one band, in point order; returns the
// pixel updates.
std::uint64_t inkSplodgeBand(const SplodgeBand& b);

// The older inking of a chunk into one band: sub-points i (outer) and j
// (inner) in order; returns the pixel updates.
std::uint64_t inkOldBand(const OldBand& b);

}  // namespace zorva::fast
