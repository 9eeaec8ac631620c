// The curve commands (showing a slot's curve over the picture, hiding it,
// reset, undo, reverse, the program's curve clipboard and curve files) and the
// editing on the picture: right clicks that set points A and B, freehand
// strokes, and drags that move, rotate or scale a curve or one point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "render/canvas_editing.h"
#include "render/engine.h"
#include "settings/number_format.h"
#include "support/curves.h"
#include "support/test_support.h"

namespace zorva::test {
namespace {

using Bgr = std::array<int, 3>;
using Points = std::vector<qCoord>;

const Points kLine = {{-1, 0}, {-0.5, 0}, {0, 0}, {0.5, 0}, {1, 0}};
const Bgr kWhite{255, 255, 255}, kOnCurve{126, 126, 126};  // white paper: (255 + 127) mod 256

// n points on a circle about the origin, the first at (radius, 0), counter-clockwise.
Points circle(int n, double radius) {
  Points points;
  for (int k = 0; k < n; ++k)
    points.emplace_back(radius * std::cos(2 * M_PI * k / n), radius * std::sin(2 * M_PI * k / n));
  return points;
}

bool allWhite(const Bitmap24& picture) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [](std::uint8_t b) { return b == 255; });
}

// An engine on a small white picture at the start scale of 200.
struct CurveEditing : ::testing::Test {
  RecordingHost host;
  Engine engine{&host};
  CanvasEditor editor{engine};

  void SetUp() override {
    engine.setThreads(1);
    size(800, 800);
  }
  void size(int w, int h) {
    engine.settings.ImageWidth = w;
    engine.settings.ImageHeight = h;
    engine.SetImageDimensions();
    engine.MakePictureBlack();
  }
  // A slot's curve, with its Bezier.
  void setCurve(int slot, const Points& points) { engine.setSlotCurve(slot, curveOf(points)); }
  const qCurve& curve(int slot) { return engine.multiplierSlot(slot).curve; }
  void selectCurve(int slot) {
    engine.setMouseMode(MouseMode::DrawMultiplierBezier);
    engine.selectSlot(slot);
  }
  // A slot's curve, shown with its markers, in "Draw Multiplier Bezier" mode.
  void showCurve(int slot, const Points& points) {
    setCurve(slot, points);
    selectCurve(slot);
    engine.showSlotCurve();
  }
  // The point indexes the point map holds.
  std::set<std::int32_t> markedIndexes() {
    std::set<std::int32_t> seen;
    for (int r = 0; r < engine.H(); ++r)
      for (int c = 0; c < engine.W(); ++c)
        if (std::int32_t v = engine.pointMapAt(c, r); v != kNoPoint) seen.insert(v);
    return seen;
  }
  // Blue, green, red of a picture pixel.
  Bgr pixel(int column, int row) const {
    const std::uint8_t* p = engine.picture().row(row) + static_cast<std::size_t>(column) * 3;
    return {p[0], p[1], p[2]};
  }
  void drag(std::pair<int, int> from, std::pair<int, int> to, unsigned modifiers) {
    editor.mouseDown(from.first, from.second, kLeftButton, modifiers);
    editor.mouseMove(to.first, to.second, kLeftButton);
    editor.mouseUp(to.first, to.second);
  }
};

// ---- showing and hiding ------------------------------------------------------------

TEST_F(CurveEditing, ShowingPaintsTheCurveAndItsMarkersOnThePictureOnly) {
  showCurve(kRadius, kLine);
  EXPECT_TRUE(engine.multiplierSlot(kRadius).marked);
  EXPECT_EQ(engine.canvas().ColorArray(0, 350, 399), 255);  // the buffer is untouched
  // (-0.25, 0) lies on the curve: column (x + 2) * 200, row 800 - (y + 2) * 200.
  EXPECT_EQ(pixel(350, 400), kOnCurve);
  EXPECT_EQ(pixel(350, 380), kWhite);
  // Point 2 of 5 at (0, 0): a 9 x 9 marker, white border, red round(255 * 2 / 5) = 102, blue 153.
  EXPECT_EQ(pixel(403, 397), (Bgr{153, 0, 102}));
  EXPECT_EQ(pixel(404, 400), kWhite);
  EXPECT_EQ(engine.pointMapAt(404, 404), 2);
  EXPECT_EQ(engine.pointMapAt(405, 400), kNoPoint);
  EXPECT_EQ(markedIndexes(), (std::set<std::int32_t>{0, 1, 2, 3, 4}));

  engine.hideCurve();
  EXPECT_TRUE(allWhite(engine.picture()));
  EXPECT_TRUE(markedIndexes().empty());

  // Without "Show Control Points?" the curve comes alone.
  engine.setShowControlPoints(false);
  engine.showSlotCurve();
  EXPECT_EQ(pixel(400, 400), kOnCurve);
  EXPECT_TRUE(markedIndexes().empty());

  // Start and end curves are built around their centre and shown with it added back.
  engine.setShowControlPoints(true);
  showCurve(kStartCurve, {{0, 1}, {0.25, 1}, {0.5, 1}, {0.75, 1}, {1, 1}});
  EXPECT_EQ(pixel(475, 200), kOnCurve);  // (0.375, 1)
  EXPECT_EQ(pixel(375, 400), kWhite);    // (-0.125, 0): not offset
  EXPECT_EQ(engine.pointMapAt(500, 200), 2);
}

TEST_F(CurveEditing, HidingRestoresThePictureAsItWasBeforeTheFirstShow) {
  for (int c = 0; c < 3; ++c) engine.canvas().ColorArray(c, 350, 399) = 100.4;
  engine.drawArrayOnImage();
  const Bitmap24 drawn = engine.picture();
  engine.markPixel(10, 10);  // a right-click mark is no part of the drawing
  showCurve(kRadius, kLine);
  engine.showSlotCurve();  // a second show keeps the first snapshot
  engine.hideCurve();
  EXPECT_EQ(engine.picture().bgr, drawn.bgr);
  EXPECT_EQ(engine.canvas().ColorArray(0, 350, 399), 100);  // refilled from the 8-bit snapshot
  // Clear empties the picture even while a curve is shown.
  engine.showSlotCurve();
  engine.ClearPicture();
  EXPECT_FALSE(engine.curveShown());
  engine.hideCurve();  // nothing shown: nothing to bring back
  EXPECT_TRUE(allWhite(engine.picture()));
}

TEST_F(CurveEditing, EmptyShortAndLongCurves) {
  // An empty slot is not marked; 1 to 4 points have no Bezier: its one sample sits at the origin.
  setCurve(kBumps, kLine);
  engine.resetAllCurves();
  selectCurve(kBumps);
  engine.showSlotCurve();
  EXPECT_FALSE(engine.multiplierSlot(kBumps).marked);
  EXPECT_TRUE(allWhite(engine.picture()));
  setCurve(kBumps, {{1, 1}, {1.5, 1}, {1, 1.5}});
  engine.showSlotCurve();
  EXPECT_EQ(pixel(400, 400), kOnCurve);
  EXPECT_EQ(markedIndexes(), (std::set<std::int32_t>{0, 1, 2}));

  // 500 points get 201 markers; point i sits alone in a grid cell, so no marker hides another.
  engine.hideCurve();
  size(300, 300);
  Points points;
  for (int i = 0; i < 500; ++i)
    points.emplace_back((20 + (i % 25) * 10 + 0.5) / 75 - 2, (300 - 20 - (i / 25) * 12 + 0.5) / 75 - 2);
  showCurve(kGrain, points);
  std::set<std::int32_t> expected;
  for (int j = 0; j <= 200; ++j) expected.insert(j * 499 / 200);
  EXPECT_EQ(markedIndexes(), expected);
  EXPECT_EQ(Engine::curveSampleCount(0.25), 5000);
  EXPECT_EQ(Engine::curveSampleCount(1e300), Engine::kMaxCurveSamples);
  EXPECT_EQ(Engine::curveSampleCount(std::nan("")), 0);
}

TEST_F(CurveEditing, PlottedPixelsTakeTheMarkingColourOfTheBuffer) {
  // (0.0025, 0.0025) is column 400, picture row 800 - 400, shown from buffer row 399.
  engine.canvas().ColorArray(0, 400, 399) = 300.6;  // 301 + 127 = 428 -> 172
  engine.canvas().ColorArray(1, 400, 399) = -3.4;   // -3 + 127 = 124
  engine.canvas().ColorArray(2, 400, 399) = 0.5;    // 0 (ties to even) + 127
  engine.displayPathCreation(0.0025, 0.0025);
  EXPECT_EQ(pixel(400, 400), (Bgr{127, 124, 172}));
  // Off the picture nothing happens.
  const Bitmap24 before = engine.picture();
  for (double v : {5.0, -5.0, 1e300, std::nan("")}) engine.displayPathCreation(v, v);
  engine.displayCurveControls(0, 1e300, 0);
  EXPECT_EQ(engine.picture().bgr, before.bgr);
}

// ---- the curve commands --------------------------------------------------------------

TEST_F(CurveEditing, ResetUndoAndReverse) {
  showCurve(kRadius, circle(6, 1));
  engine.resetCurve();
  EXPECT_EQ(curve(kRadius).GetLength(), 0);
  EXPECT_TRUE(markedIndexes().empty());
  engine.undoCurveEdit();
  EXPECT_EQ(curve(kRadius).Points(), circle(6, 1));
  EXPECT_TRUE(engine.multiplierSlot(kRadius).bezier.Valid());
  EXPECT_EQ(engine.multiplierSlot(kRadius).undo.GetLength(), 0);  // swapped
  // Reverse needs five points.
  setCurve(kRadius, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  engine.reverseCurve();
  EXPECT_EQ(curve(kRadius).GetXofI(1), 1);
  setCurve(kRadius, kLine);
  engine.reverseCurve();
  EXPECT_EQ(curve(kRadius).Points(), Points(kLine.rbegin(), kLine.rend()));
  EXPECT_EQ(engine.multiplierSlot(kRadius).bezier.GetXAt(0), 1);
}

TEST_F(CurveEditing, CopyCutAndPasteGoThroughTheProgramsClipboard) {
  setCurve(kRadius, kLine);
  setCurve(kAngle, {{0, 0}, {1, 1}, {2, 0}});
  engine.copyCurve();  // no curve mode: nothing copied
  EXPECT_EQ(engine.clipboardCurve().GetLength(), 0);
  selectCurve(kRadius);
  engine.pasteCurve();  // an empty clipboard pastes nothing
  EXPECT_EQ(curve(kRadius).Points(), kLine);
  engine.copyCurve();
  EXPECT_EQ(engine.clipboardCurve().Points(), kLine);
  // Cutting three points: not copied, but the slot is emptied all the same.
  engine.selectSlot(kAngle);
  engine.cutCurve();
  EXPECT_EQ(curve(kAngle).GetLength(), 0);
  EXPECT_EQ(engine.multiplierSlot(kAngle).undo.GetLength(), 3);
  EXPECT_EQ(engine.clipboardCurve().Points(), kLine);
  engine.pasteCurve();
  EXPECT_EQ(curve(kAngle).Points(), kLine);
  EXPECT_EQ(engine.multiplierSlot(kAngle).undo.GetLength(), 0);  // the empty curve before the paste
  EXPECT_TRUE(engine.multiplierSlot(kAngle).bezier.Valid());
  // Outside the curve mode a cut is refused and empties nothing.
  engine.setMouseMode(MouseMode::SetRotationPoints);
  engine.cutCurve();
  EXPECT_EQ(curve(kAngle).GetLength(), 5);
}

// Answers No to questions.
struct NoHost : RecordingHost {
  MessageAnswer message(const std::string&, MessageKind) override { return MessageAnswer::No; }
};

TEST_F(CurveEditing, CurveFilesLeaveTheSlotAloneWhenTheyAreNoCurve) {
  TempDir dir;
  const std::string file = dir.file("line.curve");
  setCurve(kRadius, {{0, 0}, {1, 1}, {2, 0}, {3, 1}});
  EXPECT_FALSE(engine.curveCanBeSaved() || engine.curveCanBeOpened());  // no slot selected
  selectCurve(kRadius);
  EXPECT_FALSE(engine.curveCanBeSaved());  // four points
  setCurve(kRadius, kLine);
  ASSERT_TRUE(engine.curveCanBeSaved());
  engine.saveCurve(file);
  // Opening: a good file replaces the slot, garbage does not.
  engine.selectSlot(kAngle);
  setCurve(kAngle, circle(6, 1));
  writeFile(dir.file("bad.curve"), "1\r\n2\r\nthree\r\n4\r\n");
  engine.openCurve(dir.file("bad.curve"));
  EXPECT_EQ(curve(kAngle).Points(), circle(6, 1));
  engine.openCurve(file);
  EXPECT_EQ(curve(kAngle).Points(), kLine);
  EXPECT_EQ(engine.settings.LoadDir, dir.path().string() + "/");
  EXPECT_TRUE(engine.multiplierSlot(kAngle).marked);
  // Overwriting needs a yes.
  NoHost no;
  engine.setHost(&no);
  writeFile(file, "keep");
  engine.saveCurve(file);
  EXPECT_EQ(readFile(file), "keep");
  engine.setHost(&host);
  engine.saveCurve(file);
  EXPECT_NE(readFile(file), "keep");
}

// ---- editing on the picture -----------------------------------------------------------

// Right clicks mark their pixel and set point A, then B, of the rotation or
// the path, each with its own turn; the values come from the three-decimal
// texts the fields show, in the user's decimal separator.
TEST_F(CurveEditing, RightClicksSetPointAThenPointB) {
  size(800, 600);
  EXPECT_TRUE(editor.contextClick(400, 300)->pointA);  // rotation points at start
  EXPECT_EQ(pixel(400, 300), kOnCurve);
  EXPECT_FALSE(editor.contextClick(200, 150)->pointA);  // x = 200 * 4 / 800 - 2, y = 2 - 150 * 4 / 600
  EXPECT_EQ(engine.settings.ZorvaPointsRotateXEnd, -1);
  EXPECT_EQ(engine.settings.ZorvaPointsRotateYEnd, 1);

  engine.setMouseMode(MouseMode::SetPathPoints);
  setDecimalSeparator(",");
  auto click = editor.contextClick(799, 1);
  setDecimalSeparator(".");
  EXPECT_TRUE(click->pathPoint && click->pointA);
  EXPECT_EQ(click->y, "1,993");
  EXPECT_EQ(engine.settings.ZorvaPointsXStart, 1.995);
  EXPECT_EQ(engine.settings.ZorvaPointsYStart, 1.993);

  // Nothing outside the picture or in the curve mode.
  EXPECT_FALSE(editor.contextClick(800, 10) || editor.contextClick(-1, 10));
  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
  EXPECT_FALSE(editor.contextClick(100, 100));
  EXPECT_EQ(pixel(100, 100), kWhite);
}

TEST_F(CurveEditing, AFreehandStrokeAddsPointsFartherApartThanTheSpacing) {
  engine.settings.ZorvaPointsBezierMouse = 25;
  showCurve(kPathCurve, circle(6, 1));
  editor.mouseDown(5, 5, kRightButton, 0);
  EXPECT_EQ(curve(kPathCurve).GetLength(), 6);  // nothing changes before the first move

  // The stroke starts at (-10, -10), so (5, 5) is too close. Then each point more than 25 from the last.
  for (auto [c, r] : std::vector<std::pair<int, int>>{
           {5, 5}, {10, 10}, {30, 10}, {35, 10}, {36, 10}, {36, 36}, {36, 61}, {36, 62}, {100, 100}})
    editor.mouseMove(c, r, kRightButton);
  editor.mouseMove(300, 300, 0);  // the button is not held: no point
  Points expected;
  for (auto [c, r] : {std::pair{10, 10}, {36, 10}, {36, 36}, {36, 62}, {100, 100}})
    expected.push_back(engine.ConvertMouseToCoord(c, r));
  EXPECT_EQ(curve(kPathCurve).Points(), expected);
  EXPECT_EQ(engine.multiplierSlot(kPathCurve).undo.Points(), circle(6, 1));
  EXPECT_EQ(pixel(35, 10), kOnCurve);  // the stroke is painted as it goes

  editor.mouseUp(100, 100);
  EXPECT_EQ(engine.multiplierSlot(kPathCurve).bezier.GetXAt(1), expected.back().X);
  EXPECT_EQ(engine.pointMapAt(36, 62), 3);
}

TEST_F(CurveEditing, TheMarkerUnderTheMouseIsPointedAtAndARightPressDeletesIt) {
  const Points points = circle(6, 1);
  setCurve(kRadius, circle(7, 1));
  engine.PutCurveToUndo(kRadius);
  showCurve(kRadius, points);
  editor.mouseMove(602, 399, 0);  // point 0 at (1, 0)
  EXPECT_EQ(editor.cursor(), EditCursor::HandPoint);
  editor.mouseMove(300, 300, 0);
  EXPECT_EQ(editor.cursor(), EditCursor::Normal);
  editor.mouseDown(300, 300, kLeftButton, 0);  // off the markers: no drag
  EXPECT_FALSE(editor.dragPoint());
  // Point 2 sits at (-0.5, 0.866): column 300, row 800 - floor(2.866 * 200).
  editor.mouseDown(300, 227, kRightButton, 0);
  Points expected = points;
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(curve(kRadius).Points(), expected);
  EXPECT_EQ(engine.multiplierSlot(kRadius).undo.GetLength(), 7);  // no undo copy for a deletion
  // Moving on with the button held draws nothing: no stroke was started.
  editor.mouseMove(350, 350, kRightButton);
  editor.mouseMove(500, 500, kRightButton);
  editor.mouseUp(500, 500);
  EXPECT_EQ(curve(kRadius).Points(), expected);
}

// Ctrl turns, Alt turns and scales, Shift moves the whole curve; no key or
// two keys move the one point. Each drag is previewed without touching the
// picture and can be undone.
TEST_F(CurveEditing, DragsByModifierKeys) {
  const struct {
    unsigned keys;
    DragKind kind;
    EditCursor cursor;
    int column, row;      // where point 0 goes from (0.5, 0), column 500, row 400
    double scale, shift;  // a quarter turn for Rotate, else scaled about the origin and moved
  } cases[] = {
      {kCtrlKey, DragKind::Rotate, EditCursor::CurveRotate, 400, 300, 1, 0},
      {kAltKey, DragKind::Expand, EditCursor::CurveExpand, 600, 400, 2, 0},
      {kShiftKey, DragKind::Move, EditCursor::SizeAll, 520, 380, 1, 0.1},
      {0, DragKind::SinglePoint, EditCursor::Drag, 540, 380, 1, 0},
      {kCtrlKey | kShiftKey, DragKind::SinglePoint, EditCursor::Drag, 540, 380, 1, 0},
      {kAltKey | kCtrlKey, DragKind::SinglePoint, EditCursor::Drag, 540, 380, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    const Points points = circle(8, 0.5);
    setCurve(kRadius, {});
    engine.PutCurveToUndo(kRadius);
    showCurve(kRadius, points);
    const Bitmap24 shown = engine.picture();
    editor.mouseDown(500, 400, kLeftButton, c.keys);
    EXPECT_EQ(editor.dragKind(), c.kind);
    EXPECT_EQ(editor.cursor(), c.cursor);
    editor.mouseMove(c.column, c.row, kLeftButton);
    // The preview starts at point 0, taken where the drag takes it; the picture is left alone.
    ASSERT_FALSE(editor.preview().empty());
    EXPECT_NEAR(editor.preview().front().first, c.column, 1);
    EXPECT_NEAR(editor.preview().front().second, c.row, 1);
    EXPECT_EQ(engine.picture().bgr, shown.bgr);
    EXPECT_EQ(curve(kRadius).Points(), points);

    editor.mouseUp(c.column, c.row);
    EXPECT_FALSE(editor.dragPoint());
    EXPECT_TRUE(editor.preview().empty());
    Points expected = points;
    if (c.kind == DragKind::SinglePoint)
      expected[0] = engine.ConvertMouseToCoord(c.column, c.row);
    else
      for (qCoord& p : expected)
        p = c.kind == DragKind::Rotate ? qCoord(-p.Y, p.X) : qCoord(c.scale * p.X + c.shift, c.scale * p.Y + c.shift);
    ASSERT_EQ(curve(kRadius).GetLength(), static_cast<std::int32_t>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
      EXPECT_LT(qCoord::Difference(curve(kRadius).Points()[i], expected[i]).Length(), 1e-12) << i;
    EXPECT_EQ(engine.multiplierSlot(kRadius).undo.Points(), points);
    EXPECT_EQ(engine.pointMapAt(c.column, c.row), 0);  // shown again where it went
  }
}

TEST_F(CurveEditing, PressesOutsideTheCurveModeOrDuringADrawingChangeNothing) {
  const Points points = circle(8, 1);  // point 0 at column 600, row 400
  showCurve(kRadius, points);
  engine.setMouseMode(MouseMode::SetRotationPoints);
  drag({600, 400}, {400, 200}, kCtrlKey);
  editor.mouseDown(600, 400, kRightButton, 0);
  EXPECT_EQ(curve(kRadius).Points(), points);

  // During a drawing: no preview of a drag begun before it, no point set, no drag, deletion or stroke; "Show
  // Curve" still shows the markers.
  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
  engine.settings.Steps = 3;
  int steps = 0;
  editor.mouseDown(600, 400, kLeftButton, kShiftKey);
  engine.onStep = [&](int) {
    ++steps;
    editor.mouseMove(300, 300, kLeftButton);
    EXPECT_TRUE(editor.preview().empty());
    editor.mouseUp(300, 300);
    engine.setMouseMode(MouseMode::SetPathPoints);
    EXPECT_FALSE(editor.contextClick(100, 100));
    engine.setMouseMode(MouseMode::DrawMultiplierBezier);
    engine.showSlotCurve();
    EXPECT_EQ(engine.pointMapAt(600, 400), 0);
    drag({600, 400}, {400, 200}, kCtrlKey);
    editor.mouseDown(600, 400, kRightButton, 0);
    editor.mouseDown(100, 100, kRightButton, 0);
    editor.mouseMove(200, 200, kRightButton);
  };
  engine.DrawOrStop();
  EXPECT_GT(steps, 0);
  EXPECT_EQ(curve(kRadius).Points(), points);

  // A release on a point that is gone changes nothing.
  editor.mouseDown(600, 400, kLeftButton, kShiftKey);
  engine.resetCurve();
  editor.mouseUp(400, 200);
  EXPECT_EQ(curve(kRadius).GetLength(), 0);
}

}  // namespace
}  // namespace zorva::test
