// Scratch space of the fast path, kept by the engine between steps so the
// step loop allocates nothing once it has warmed up. Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/engine.h"

namespace zorva {

// What the inking of a point reads on every pixel, kept small: the worker
// threads read it while the next step's points are written.
struct InkPoint {
  int px = 0, py = 0;  // the point's own pixel
  double z = 1;        // ZFactor
};

// The rest of a point.
struct PointDetail {
  double x = 0, y = 0;  // in the plane
  std::int32_t k = 0;   // number within the step, from 1
  bool failed = false;  // working it out failed: the step ends before it
  double colour[3] = {1, 1, 1};  // alternative colouring or source sample, before weights
};

struct Offset {
  int dx, dy;
  double w;   // 1 - e / limit
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
  double w;  // (1 - d / L)^2
};

// One point of the ring of angles that steps with the same grain share.
struct RingEntry {
  double theta, c, s;  // the angle, its cosine and sine
  double q;             // the bump factor
  bool qOk;             // working q out did not fail
};

struct Engine::FastScratch {
  std::vector<RingEntry> ring;
  double ringStep = 0, ringBumps = 0, ringDepth = 0;  // what the ring was made for
  bool ringTan = false;
  bool ringTooFine = false;  // the grain of ringStep has more points than are kept
  std::vector<double> theta;
  std::vector<std::uint32_t> random;
  std::vector<InkPoint> ink;
  std::vector<PointDetail> detail;
  std::vector<Offset> offsets;
  std::vector<OffsetPair> pairs;
  // What the splodge table was made for.
  struct TableKey {
    long long R;
    double limit, centre, fuzzy;
    bool source, opaque;
    bool operator==(const TableKey&) const = default;
  } tableKey{};
  bool tableValid = false;
  double tableBound = 0;  // the largest colour weight in the table
  int pairsWidth = 0;     // the picture width the pairs were made for; 0: none
  std::vector<int> rowStart;  // offsets of row dy start at rowStart[dy + R]
  std::vector<Offset246> offsets246;
  std::vector<long long> bandEdges;
  std::vector<int> rowCount;
  std::vector<std::uint64_t> bandUpdates;
  std::vector<std::vector<int>> cols246, rows246;  // per band: pixels of the older inking's sub-points
};

}  // namespace zorva
