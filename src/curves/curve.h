// Curves: points, polylines with a running centre, and the smooth piecewise
// cubic form that drawings evaluate at a fraction of its length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {

// One point of the drawing plane. Angles are radians.
class qCoord {
 public:
  double X = 0;
  double Y = 0;

  qCoord() = default;
  qCoord(double x, double y) : X(x), Y(y) {}

  static qCoord Create(double x, double y) { return qCoord(x, y); }
  static qCoord Create(const qCoord& other) { return other; }

  double GetX() const { return X; }
  double GetY() const { return Y; }
  // Distance from the origin.
  double Length() const;
  void SetXY(double x, double y);
  void Assign(const qCoord& other);
  void Add(const qCoord& other);
  void Scale(double f);
  // Multiplies by 1/f (not a division per coordinate: the last bits differ).
  void Divide(double f);
  void ExpandAround(qCoord c, double f);
  void RotateAround(qCoord c, double a);

  static qCoord Difference(const qCoord& p, const qCoord& q);
  static double DiffX(const qCoord& p, const qCoord& q) { return p.X - q.X; }
  static double DiffY(const qCoord& p, const qCoord& q) { return p.Y - q.Y; }

  friend bool operator==(const qCoord&, const qCoord&) = default;
};

// The most points a curve may have: curve files and curve text with more are
// refused, and every curve within it has a working Bezier.
inline constexpr std::int32_t kMaxCurvePoints = 1 << 20;

// An ordered list of points with a running sum and mean. Sum and Centre are
// not always the true sum and mean: each operation keeps them its own way
// (MoveBy shifts Centre only, Rotate and Expand keep both), and later
// operations build on that, so they are only changed through the operations.
class qCurve {
 public:
  // Appends a point: Sum += point, Centre = Sum / count.
  void AddPoint(double x, double y);
  // Inserts a copy of p at index i (0 .. count); Sum and Centre are
  // recomputed from all points. Any other index inserts nothing.
  void InsertPoint(const qCoord& p, std::int32_t i);
  // No points; Sum = Centre = (0, 0).
  void Empty();

  // Number of points (not a geometric length).
  std::int32_t GetLength() const { return static_cast<std::int32_t>(points_.size()); }
  std::int32_t GetHighOfPoints() const { return GetLength() - 1; }

  // Coordinates of point i; 0 for an index outside the curve.
  double GetXofI(std::int32_t i) const;
  double GetYofI(std::int32_t i) const;
  // The stored point i itself: writing to it changes the curve (Sum and
  // Centre stay). Invalidated by anything that adds or removes points. An
  // index outside the curve gives a detached (0, 0) whose changes go nowhere.
  qCoord& GetPointI(std::int32_t i);
  const qCoord& GetPointI(std::int32_t i) const;
  // Replaces point i; Sum and Centre stay. An index outside does nothing.
  void SetXYofI(const qCoord& p, std::int32_t i);

  // About Centre; Sum and Centre stay.
  void Rotate(double a);
  void Expand(double f);
  // Moves every point and Centre, but not Sum.
  void MoveBy(double dx, double dy);

  // Index of the point at a percentage (clamped to 0..100) of the point list:
  // floor((count - 1) * p / 100). An empty curve gives -1 (0 at p = 0).
  std::int32_t GetPointByPercentage(std::int32_t p) const;

  // Curve files and curve text. Nothing is shown here: each returns the
  // message for the user on failure (for a file: naming it and saying what
  // is wrong), nullopt on success and on the quiet cases (missing file, empty
  // text, fewer than 2 points to write). After a failed read the curve is
  // empty. More than kMaxCurvePoints points are refused, for a file before
  // any point is read.
  std::optional<std::string> Load(const std::string& fileName);
  std::optional<std::string> Spam(const std::string& fileName) const;
  std::optional<std::string> LoadFromClipBoard(std::string_view text);

  const std::vector<qCoord>& Points() const { return points_; }
  const qCoord& Sum() const { return sum_; }
  const qCoord& Centre() const { return centre_; }

  // Dest gets copies of Source's points; its Sum and Centre are recomputed.
  static void CopyCurve(const qCurve& source, qCurve& dest);
  // Dest gets Source's points from last to first, by AddPoint.
  static void ReverseCurve(const qCurve& source, qCurve& dest);
  // Curve loses point i (nothing for an index outside; Sum and Centre are
  // recomputed either way). Scratch ends up holding the same points.
  static void RemovePoint(std::int32_t i, qCurve& curve, qCurve& scratch);
  static void TranslateCurve(qCurve& curve, qCoord offset);
  // About an arbitrary centre; Sum and Centre stay.
  static void RotateCurve(qCurve& curve, qCoord c, double a);
  static void ExpandCurve(qCurve& curve, qCoord c, double f);
  // Splices a resampled, reversed run of Inserted into Main after index
  // atIndex: Inserted's points floor(k / factor) for k = n .. 1, with
  // n = floor((count of Inserted - 1) * factor). A factor of 0 or one that is
  // not finite changes nothing; n is capped at kMaxInsertedRun.
  static constexpr std::int32_t kMaxInsertedRun = 1 << 20;
  static void InsertCurve(qCurve& main, const qCurve& inserted, std::int32_t atIndex, double factor);

 private:
  void recomputeSumAndCentre();

  std::vector<qCoord> points_;
  qCoord sum_;
  qCoord centre_;
  mutable qCoord detached_;  // handed out by GetPointI for a bad index
};

// Smooth curve through the first and last of Count points: the clamped
// uniform cubic B-spline of the points, one cubic Bezier piece per gap.
// Life: Init -> AddPoint x Count -> Calculate -> GetXAt/GetYAt. Evaluating one
// that is not Valid gives 0.
class qBezier {
 public:
  // One cubic piece. Nested because zorva::Section names the settings file's
  // sections.
  struct Section {
    double Length = 0;      // measured along Samples chords
    double Cumulative = 0;  // Length of this and all earlier pieces
  };

  // Largest point count and (Count - 1) * Samples accepted by Init, so that a
  // huge curve cannot exhaust memory or stall the program in Calculate.
  static constexpr std::int32_t kMaxCount = kMaxCurvePoints;
  static constexpr std::int64_t kMaxSampleWork = std::int64_t{1} << 30;

  // Starts afresh; Valid when 2 <= count <= kMaxCount, samples >= 1 and the
  // work stays within kMaxSampleWork.
  bool Init(std::int32_t count, std::int32_t samples);
  // Stores the next point; points beyond Count are counted, not stored, so
  // Calculate refuses them.
  void AddPoint(double x, double y);
  // Builds Controls and Sections; not Valid unless exactly Count points were
  // added. Returns TotalLength (0 when not Valid).
  double Calculate();
  // Coordinates at fraction p (clamped to 0..1) of the length. The length
  // picks the piece; inside it the curve parameter grows linearly with p.
  // A NaN p gives NaN, so callers can tell an arithmetic failure.
  double GetXAt(double p) const;
  double GetYAt(double p) const;
  // Both coordinates at once (one search for the piece): (GetXAt, GetYAt).
  qCoord GetXYAt(double p) const;
  double GetTotalLength() const { return totalLength_; }

  bool Valid() const { return valid_; }
  std::int32_t Count() const { return count_; }
  std::int32_t Added() const { return added_; }
  std::int32_t Samples() const { return samples_; }
  const std::vector<qCoord>& Points() const { return points_; }
  const std::vector<qCoord>& Controls() const { return controls_; }
  const std::vector<Section>& Sections() const { return sections_; }

 private:
  bool ready() const;
  qCoord pieceAt(std::int32_t piece, double t) const;
  qCoord pointAt(double p) const;

  bool valid_ = false;
  std::int32_t count_ = 0;
  std::int32_t added_ = 0;
  std::int32_t samples_ = 0;
  double totalLength_ = 0;
  std::vector<qCoord> points_;
  std::vector<qCoord> controls_;
  std::vector<Section> sections_;
};

// The working Bezier of a curve: target starts afresh (not Valid); a curve of
// 5 points or more is built with 100 samples per piece from its points minus
// an offset, the curve's Centre when aroundCentre, else (0, 0).
void buildBezier(qBezier& target, const qCurve& curve, bool aroundCentre);

// The name a curve file is written under: "test.txt" for an empty name,
// every double quote removed, and spaces in the part after the last "/"
// replaced by "_" (the directories keep theirs).
std::string curveFileName(std::string name);

}  // namespace zorva
