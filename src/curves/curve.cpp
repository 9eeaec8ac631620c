#include "curves/curve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "base/math_util.h"

// Pictures are compared bit for bit, so every formula here is evaluated in the
// order it is written, left to right, with powers as repeated products.

namespace zorva {

// --- qCoord -------------------------------------------------------------------

double qCoord::Length() const { return std::sqrt(X * X + Y * Y); }

void qCoord::SetXY(double x, double y) {
  X = x;
  Y = y;
}

void qCoord::Assign(const qCoord& other) { *this = other; }

void qCoord::Add(const qCoord& other) {
  X += other.X;
  Y += other.Y;
}

void qCoord::Scale(double f) {
  X = X * f;
  Y = Y * f;
}

void qCoord::Divide(double f) { Scale(1 / f); }

void qCoord::ExpandAround(qCoord c, double f) {
  X = (X - c.X) * f + c.X;
  Y = (Y - c.Y) * f + c.Y;
}

void qCoord::RotateAround(qCoord c, double a) {
  const double dx = X - c.X;
  const double dy = Y - c.Y;
  const double cosA = cosZ(a);
  const double sinA = sinZ(a);
  X = cosA * dx - sinA * dy + c.X;
  Y = sinA * dx + cosA * dy + c.Y;
}

qCoord qCoord::Difference(const qCoord& p, const qCoord& q) { return qCoord(p.X - q.X, p.Y - q.Y); }

// --- qCurve -------------------------------------------------------------------

void qCurve::AddPoint(double x, double y) {
  // Indexes are 32-bit; a curve never grows past what they can address.
  if (points_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return;
  points_.emplace_back(x, y);
  sum_.X += x;
  sum_.Y += y;
  const auto n = static_cast<double>(points_.size());
  centre_.X = sum_.X / n;
  centre_.Y = sum_.Y / n;
}

void qCurve::recomputeSumAndCentre() {
  sum_ = qCoord();
  for (const qCoord& p : points_) {
    sum_.X += p.X;
    sum_.Y += p.Y;
  }
  if (points_.empty()) {
    centre_ = qCoord();
    return;
  }
  const auto n = static_cast<double>(points_.size());
  centre_.X = sum_.X / n;
  centre_.Y = sum_.Y / n;
}

void qCurve::InsertPoint(const qCoord& p, std::int32_t i) {
  if (i < 0 || i > GetLength() || GetLength() == std::numeric_limits<std::int32_t>::max()) return;
  const qCoord copy = p;  // p may be one of our own points
  points_.insert(points_.begin() + i, copy);
  recomputeSumAndCentre();
}

void qCurve::Empty() {
  points_.clear();
  sum_ = qCoord();
  centre_ = qCoord();
}

double qCurve::GetXofI(std::int32_t i) const {
  return i >= 0 && i < GetLength() ? points_[static_cast<std::size_t>(i)].X : 0.0;
}

double qCurve::GetYofI(std::int32_t i) const {
  return i >= 0 && i < GetLength() ? points_[static_cast<std::size_t>(i)].Y : 0.0;
}

qCoord& qCurve::GetPointI(std::int32_t i) {
  if (i >= 0 && i < GetLength()) return points_[static_cast<std::size_t>(i)];
  detached_ = qCoord();
  return detached_;
}

const qCoord& qCurve::GetPointI(std::int32_t i) const {
  if (i >= 0 && i < GetLength()) return points_[static_cast<std::size_t>(i)];
  detached_ = qCoord();
  return detached_;
}

void qCurve::SetXYofI(const qCoord& p, std::int32_t i) {
  if (i >= 0 && i < GetLength()) points_[static_cast<std::size_t>(i)] = p;
}

void qCurve::Rotate(double a) {
  for (qCoord& p : points_) p.RotateAround(centre_, a);
}

void qCurve::Expand(double f) {
  for (qCoord& p : points_) p.ExpandAround(centre_, f);
}

void qCurve::MoveBy(double dx, double dy) {
  for (qCoord& p : points_) {
    p.X += dx;
    p.Y += dy;
  }
  centre_.X += dx;
  centre_.Y += dy;
}

std::int32_t qCurve::GetPointByPercentage(std::int32_t p) const {
  p = std::clamp(p, 0, 100);
  // The product in 64 bits cannot overflow; the division is floating point.
  const std::int64_t product = (std::int64_t{GetLength()} - 1) * p;
  return static_cast<std::int32_t>(std::floor(static_cast<double>(product) / 100.0));
}

void qCurve::CopyCurve(const qCurve& source, qCurve& dest) {
  if (&source != &dest) dest.points_ = source.points_;
  dest.recomputeSumAndCentre();
}

void qCurve::ReverseCurve(const qCurve& source, qCurve& dest) {
  const std::vector<qCoord> points = source.points_;  // source may be dest
  dest.Empty();
  for (auto it = points.rbegin(); it != points.rend(); ++it) dest.AddPoint(it->X, it->Y);
}

void qCurve::RemovePoint(std::int32_t i, qCurve& curve, qCurve& scratch) {
  if (&scratch == &curve) {
    qCurve own;
    RemovePoint(i, curve, own);
    return;
  }
  scratch.Empty();
  for (std::int32_t k = 0; k < curve.GetLength(); ++k)
    if (k != i)
      scratch.AddPoint(curve.points_[static_cast<std::size_t>(k)].X, curve.points_[static_cast<std::size_t>(k)].Y);
  CopyCurve(scratch, curve);
}

void qCurve::TranslateCurve(qCurve& curve, qCoord offset) { curve.MoveBy(offset.X, offset.Y); }

void qCurve::RotateCurve(qCurve& curve, qCoord c, double a) {
  for (qCoord& p : curve.points_) p.RotateAround(c, a);
}

void qCurve::ExpandCurve(qCurve& curve, qCoord c, double f) {
  for (qCoord& p : curve.points_) p.ExpandAround(c, f);
}

void qCurve::InsertCurve(qCurve& main, const qCurve& inserted, std::int32_t atIndex, double factor) {
  // A non-finite factor is as meaningless as 0 and is treated the same way;
  // a huge one would ask for billions of points, so the run is capped at
  // kMaxInsertedRun (k then counts down from the cap).
  if (factor == 0 || !std::isfinite(factor)) return;
  const std::int64_t mainCount = main.GetLength();
  const std::int64_t insertedCount = inserted.GetLength();
  const std::int64_t head = std::min<std::int64_t>(atIndex, mainCount - 1);  // main's points 0 .. head first

  qCurve temporary;
  for (std::int64_t i = 0; i <= head; ++i) {
    const qCoord& p = main.points_[static_cast<std::size_t>(i)];
    temporary.AddPoint(p.X, p.Y);
  }
  const double runLength = std::floor(static_cast<double>(insertedCount - 1) * factor);
  const std::int64_t n = runLength >= kMaxInsertedRun ? kMaxInsertedRun
                         : runLength >= 1             ? static_cast<std::int64_t>(runLength)
                                                      : 0;
  for (std::int64_t k = n; k >= 1; --k) {
    const double index = std::floor(static_cast<double>(k) / factor);
    // Only a negative factor on an empty curve can point outside; skip it.
    if (index < 0 || index >= static_cast<double>(insertedCount)) continue;
    const qCoord& p = inserted.points_[static_cast<std::size_t>(index)];
    temporary.AddPoint(p.X, p.Y);
  }
  for (std::int64_t i = std::max<std::int64_t>(head + 1, 0); i < mainCount; ++i) {
    const qCoord& p = main.points_[static_cast<std::size_t>(i)];
    temporary.AddPoint(p.X, p.Y);
  }
  CopyCurve(temporary, main);
}

// --- qBezier ------------------------------------------------------------------

bool qBezier::Init(std::int32_t count, std::int32_t samples) {
  valid_ = false;
  added_ = 0;
  totalLength_ = 0;
  points_.clear();
  controls_.clear();
  sections_.clear();
  count_ = count;
  samples_ = samples;
  if (count < 2 || count > kMaxCount || samples < 1) return false;
  if ((std::int64_t{count} - 1) * samples > kMaxSampleWork) return false;
  try {
    points_.resize(static_cast<std::size_t>(count));
    controls_.resize(3 * static_cast<std::size_t>(count) - 2);
  } catch (const std::bad_alloc&) {
    points_.clear();
    controls_.clear();
    return false;
  }
  valid_ = true;
  return true;
}

void qBezier::AddPoint(double x, double y) {
  if (!valid_) return;
  if (added_ < count_) points_[static_cast<std::size_t>(added_)] = qCoord(x, y);
  if (added_ <= count_) ++added_;
}

qCoord qBezier::pieceAt(std::int32_t piece, double t) const {
  const qCoord* c = &controls_[3 * static_cast<std::size_t>(piece)];
  const double m = 1 - t;
  const double w0 = (m * m) * m;
  const double w1 = (3 * (m * m)) * t;
  const double w2 = (3 * m) * (t * t);
  const double w3 = (t * t) * t;
  return qCoord(w0 * c[0].X + w1 * c[1].X + w2 * c[2].X + w3 * c[3].X,
                w0 * c[0].Y + w1 * c[1].Y + w2 * c[2].Y + w3 * c[3].Y);
}

double qBezier::Calculate() {
  if (added_ != count_) valid_ = false;
  if (!valid_) return 0;
  const std::vector<qCoord>& p = points_;
  const auto count = static_cast<std::size_t>(count_);

  for (std::size_t i = 0; i + 1 < count; ++i) {
    controls_[3 * i + 1] = qCoord((2 * p[i].X + p[i + 1].X) / 3, (2 * p[i].Y + p[i + 1].Y) / 3);
    controls_[3 * i + 2] = qCoord((p[i].X + 2 * p[i + 1].X) / 3, (p[i].Y + 2 * p[i + 1].Y) / 3);
  }
  for (std::size_t i = 1; i + 1 < count; ++i)
    controls_[3 * i] = qCoord((controls_[3 * i - 1].X + controls_[3 * i + 1].X) / 2,
                              (controls_[3 * i - 1].Y + controls_[3 * i + 1].Y) / 2);
  controls_[0] = p[0];
  controls_[3 * (count - 1)] = p[count - 1];

  // Recalculating starts the lengths over rather than adding to them.
  totalLength_ = 0;
  sections_.assign(count - 1, Section{});
  const auto samples = static_cast<double>(samples_);
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const auto piece = static_cast<std::int32_t>(i);
    Section& section = sections_[i];
    // Each sample's end is the next one's start: the same parameter, hence
    // the same point, so it is evaluated once.
    qCoord from = pieceAt(piece, 0 / samples);
    for (std::int32_t j = 1; j <= samples_; ++j) {
      const qCoord to = pieceAt(piece, j / samples);
      const double dx = to.X - from.X;
      const double dy = to.Y - from.Y;
      section.Length += std::sqrt(dx * dx + dy * dy);
      from = to;
    }
    totalLength_ += section.Length;
    section.Cumulative = totalLength_;
  }
  return totalLength_;
}

qCoord qBezier::pointAt(double p) const {
  if (p < 0) p = 0;
  if (p > 1) p = 1;
  const std::int32_t last = count_ - 2;
  const double target = p * sections_[static_cast<std::size_t>(last)].Cumulative;

  // The first piece whose Cumulative exceeds the target, else the last one.
  std::int32_t lo = 0;
  std::int32_t hi = last;
  while (lo <= hi) {
    const std::int32_t mid = (lo + hi) / 2;  // lo + hi >= 0 here, so this is the floor
    if (target >= sections_[static_cast<std::size_t>(mid)].Cumulative)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  const std::int32_t piece = std::min(lo, last);
  const Section& section = sections_[static_cast<std::size_t>(piece)];
  const double start = section.Cumulative - section.Length;
  const double span = section.Cumulative - start;
  const double t = span == 0 ? 0.5 : (target - start) / span;
  return pieceAt(piece, t);
}

// Valid from Init on, but there is nothing to evaluate before Calculate.
bool qBezier::ready() const { return valid_ && sections_.size() + 1 == static_cast<std::size_t>(count_); }

double qBezier::GetXAt(double p) const { return ready() ? pointAt(p).X : 0.0; }

double qBezier::GetYAt(double p) const { return ready() ? pointAt(p).Y : 0.0; }

qCoord qBezier::GetXYAt(double p) const { return ready() ? pointAt(p) : qCoord(); }

// --- working Bezier -------------------------------------------------------------

void buildBezier(qBezier& target, const qCurve& curve, bool aroundCentre) {
  target = qBezier();
  if (curve.GetLength() <= 4) return;
  const qCoord offset = aroundCentre ? curve.Centre() : qCoord();
  target.Init(curve.GetLength(), 100);
  for (const qCoord& p : curve.Points()) target.AddPoint(p.X - offset.X, p.Y - offset.Y);
  target.Calculate();
}

}  // namespace zorva
