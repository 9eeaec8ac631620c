// Editing on the picture: right clicks that set points A and B, freehand
// strokes, and drags that move, rotate or scale a curve or one point.
#include "render/curve_fixture.h"
#include "settings/number_format.h"

namespace zorva::test {
namespace {

struct CanvasEditing : CurveEngine {
  CanvasEditor editor{engine};

  // A slot's curve, shown with its markers, in "Draw Multiplier Bezier" mode.
  void showCurve(int slot, const std::vector<qCoord>& points) {
    setCurve(slot, points);
    selectCurve(slot);
    engine.showSlotCurve();
  }
  void drag(std::pair<int, int> from, std::pair<int, int> to, unsigned modifiers) {
    editor.mouseDown(from.first, from.second, kLeftButton, modifiers);
    editor.mouseMove(to.first, to.second, kLeftButton);
    editor.mouseUp(to.first, to.second);
  }
  const qCurve& curve(int slot) { return engine.multiplierSlot(slot).curve; }
  void expectPoints(const qCurve& c, const std::vector<qCoord>& expected) {
    ASSERT_EQ(c.GetLength(), static_cast<std::int32_t>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_NEAR(c.Points()[i].X, expected[i].X, 1e-12) << i;
      EXPECT_NEAR(c.Points()[i].Y, expected[i].Y, 1e-12) << i;
    }
  }
};

TEST_F(CanvasEditing, PointTextsHaveThreeDecimalsAndTheUsersSeparator) {
  EXPECT_EQ(CanvasEditor::pointText(-0.25), "-0.250");
  EXPECT_EQ(CanvasEditor::pointText(0), "0.000");
  EXPECT_EQ(CanvasEditor::pointText(12.34567), "12.346");
  setDecimalSeparator(",");
  EXPECT_EQ(CanvasEditor::pointText(0.5), "0,500");
  setDecimalSeparator(".");
}

TEST_F(CanvasEditing, RightClicksSetPointAThenPointB) {
  size(800, 600);
  engine.settings.StartScale = 200;
  const Bitmap24 white = engine.picture();
  auto click = editor.contextClick(400, 300);  // rotation points at start
  ASSERT_TRUE(click);
  EXPECT_FALSE(click->pathPoint);
  EXPECT_TRUE(click->pointA);
  EXPECT_EQ(click->x, "0.000");
  EXPECT_EQ(click->y, "0.000");
  EXPECT_EQ(engine.settings.ZorvaPointsRotateXStart, 0);
  EXPECT_EQ(engine.settings.ZorvaPointsRotateYStart, 0);
  EXPECT_EQ(pixel(400, 300), (std::array<int, 3>{126, 126, 126}));  // the clicked pixel is marked

  click = editor.contextClick(0, 0);
  ASSERT_TRUE(click);
  EXPECT_FALSE(click->pointA);
  EXPECT_EQ(click->x, "-2.000");
  EXPECT_EQ(click->y, "2.000");
  EXPECT_EQ(engine.settings.ZorvaPointsRotateXEnd, -2);
  EXPECT_EQ(engine.settings.ZorvaPointsRotateYEnd, 2);
  click = editor.contextClick(200, 150);  // A again: x = 200 * 4 / 800 - 2, y = 2 - 150 * 4 / 600
  EXPECT_TRUE(click->pointA);
  EXPECT_EQ(engine.settings.ZorvaPointsRotateXStart, -1);
  EXPECT_EQ(engine.settings.ZorvaPointsRotateYStart, 1);

  // Path points keep their own turn; values come from the three-decimal texts.
  engine.setMouseMode(MouseMode::SetPathPoints);
  click = editor.contextClick(799, 1);
  EXPECT_TRUE(click->pathPoint);
  EXPECT_TRUE(click->pointA);
  EXPECT_EQ(click->x, "1.995");
  EXPECT_EQ(click->y, "1.993");
  EXPECT_EQ(engine.settings.ZorvaPointsXStart, 1.995);
  EXPECT_EQ(engine.settings.ZorvaPointsYStart, 1.993);
  EXPECT_FALSE(editor.pathStartNext());
  EXPECT_FALSE(editor.rotateStartNext());
  EXPECT_EQ(engine.settings.ZorvaPointsXEnd, 2);  // untouched

  // Nothing outside the picture or in the curve mode.
  EXPECT_FALSE(editor.contextClick(800, 10));
  EXPECT_FALSE(editor.contextClick(-1, 10));
  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
  EXPECT_FALSE(editor.contextClick(100, 100));
  EXPECT_EQ(pixel(100, 100), (std::array<int, 3>{255, 255, 255}));
}

TEST_F(CanvasEditing, AFreehandStrokeAddsPointsFartherApartThanTheSpacing) {
  engine.settings.ZorvaPointsBezierMouse = 25;
  showCurve(kPathCurve, circle(6, 1));
  const std::vector<qCoord> before = pointsOf(curve(kPathCurve));
  editor.mouseDown(5, 5, kRightButton, 0);
  EXPECT_TRUE(editor.freehandStart());
  EXPECT_EQ(editor.lastFreehandPixel(), (std::pair<int, int>(-10, -10)));
  EXPECT_EQ(curve(kPathCurve).GetLength(), 6);  // nothing changes before the first move

  // (5, 5) is 21.2 pixels from (-10, -10): too close. Then each point more than 25 from the last.
  const std::vector<std::pair<int, int>> moves = {{5, 5},   {10, 10}, {30, 10}, {35, 10},  {36, 10},
                                                  {36, 36}, {36, 61}, {36, 62}, {100, 100}};
  for (auto [c, r] : moves) editor.mouseMove(c, r, kRightButton);
  editor.mouseMove(300, 300, 0);  // the button is not held: no point
  std::vector<qCoord> expected;
  for (auto [c, r] : {std::pair{10, 10}, {36, 10}, {36, 36}, {36, 62}, {100, 100}})
    expected.push_back(engine.ConvertMouseToCoord(c, r));
  EXPECT_EQ(pointsOf(curve(kPathCurve)), expected);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kPathCurve).undo), before);
  EXPECT_TRUE(engine.freehandDrawn());
  EXPECT_EQ(pixel(35, 10), (std::array<int, 3>{126, 126, 126}));  // the stroke is painted as it goes

  editor.mouseUp(100, 100);
  EXPECT_FALSE(engine.freehandDrawn());
  EXPECT_TRUE(engine.multiplierSlot(kPathCurve).bezier.Valid());
  EXPECT_EQ(engine.multiplierSlot(kPathCurve).bezier.GetXAt(1), expected.back().X);
  EXPECT_EQ(engine.pointMapAt(36, 62), 3);
}

TEST_F(CanvasEditing, ARightPressOnAMarkerDeletesExactlyThatPoint) {
  const std::vector<qCoord> points = circle(6, 1);
  setCurve(kRadius, circle(7, 1));
  engine.PutCurveToUndo(kRadius);
  showCurve(kRadius, points);
  // Point 2 sits at (-0.5, 0.866): column 300, row 800 - floor(2.866 * 200).
  editor.mouseDown(300, 227, kRightButton, 0);
  std::vector<qCoord> expected = points;
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(pointsOf(curve(kRadius)), expected);
  EXPECT_EQ(engine.multiplierSlot(kRadius).undo.GetLength(), 7);  // no undo copy for a deletion
  EXPECT_EQ(engine.pointMapAt(300, 227), kNoPoint);
  // Moving on with the button held draws nothing: no stroke was started.
  editor.mouseMove(350, 350, kRightButton);
  editor.mouseMove(500, 500, kRightButton);
  editor.mouseUp(500, 500);
  EXPECT_EQ(pointsOf(curve(kRadius)), expected);
}

TEST_F(CanvasEditing, CtrlDraggingAPointAQuarterTurnTurnsTheWholeCurve) {
  const std::vector<qCoord> points = circle(8, 1);
  showCurve(kRadius, points);
  const Bitmap24 shown = engine.picture();
  // Point 0 at (1, 0) is column 600, row 400; (0, 1) is column 400, row 200.
  editor.mouseDown(600, 400, kLeftButton, kCtrlKey);
  EXPECT_TRUE(editor.dragPoint());
  EXPECT_EQ(editor.dragKind(), DragKind::Rotate);
  EXPECT_EQ(editor.cursor(), EditCursor::CurveRotate);
  EXPECT_EQ(editor.selectedPoint(), 0);
  editor.mouseMove(400, 200, kLeftButton);
  // The preview is the turned curve, and the picture is left alone.
  EXPECT_FALSE(editor.preview().empty());
  // The curve starts at point 0, which the turn takes to (0, 1).
  const auto& first = editor.preview().front();
  EXPECT_NEAR(first.first, 400, 1);
  EXPECT_NEAR(first.second, 200, 1);
  EXPECT_EQ(engine.picture().bgr, shown.bgr);
  EXPECT_EQ(pointsOf(curve(kRadius)), points);

  editor.mouseUp(400, 200);
  EXPECT_FALSE(editor.dragPoint());
  EXPECT_EQ(editor.cursor(), EditCursor::Normal);
  EXPECT_TRUE(editor.preview().empty());
  std::vector<qCoord> expected;
  for (const qCoord& p : points) expected.emplace_back(-p.Y, p.X);
  expectPoints(curve(kRadius), expected);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).undo), points);
  EXPECT_EQ(engine.pointMapAt(400, 200), 0);  // shown again where it went
}

TEST_F(CanvasEditing, AltDraggingToTwiceTheDistanceDoublesTheCurve) {
  const std::vector<qCoord> points = circle(8, 0.5);
  showCurve(kRadius, points);
  drag({500, 400}, {600, 400}, kAltKey);  // (0.5, 0) to (1, 0)
  std::vector<qCoord> expected;
  for (const qCoord& p : points) expected.emplace_back(2 * p.X, 2 * p.Y);
  expectPoints(curve(kRadius), expected);
}

TEST_F(CanvasEditing, ShiftMovesTheCurveAndAPlainDragMovesOnePoint) {
  const std::vector<qCoord> points = circle(8, 0.5);
  showCurve(kRadius, points);
  drag({500, 400}, {520, 380}, kShiftKey);  // by (0.1, 0.1)
  std::vector<qCoord> moved;
  for (const qCoord& p : points) moved.emplace_back(p.X + 0.1, p.Y + 0.1);
  expectPoints(curve(kRadius), moved);
  EXPECT_NEAR(curve(kRadius).Centre().X, 0.1, 1e-12);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).undo), points);

  const std::vector<qCoord> afterMove = pointsOf(curve(kRadius));
  drag({520, 380}, {540, 380}, 0);  // point 0 alone to (0.7, 0.1)
  std::vector<qCoord> one = afterMove;
  one[0] = engine.ConvertMouseToCoord(540, 380);
  EXPECT_EQ(pointsOf(curve(kRadius)), one);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).undo), afterMove);
  // Two modifier keys at once drag a single point too.
  for (unsigned keys : {kCtrlKey | kShiftKey, kAltKey | kShiftKey, kAltKey | kCtrlKey}) {
    editor.mouseDown(540, 380, kLeftButton, keys);
    EXPECT_EQ(editor.dragKind(), DragKind::SinglePoint) << keys;
    EXPECT_EQ(editor.cursor(), EditCursor::Drag) << keys;
    editor.mouseUp(540, 380);
  }
}

TEST_F(CanvasEditing, HoveringTellsWhichPointIsUnderTheMouse) {
  showCurve(kRadius, circle(8, 1));
  editor.mouseMove(602, 399, 0);
  EXPECT_EQ(editor.cursor(), EditCursor::HandPoint);
  editor.mouseMove(300, 300, 0);
  EXPECT_EQ(lastStatus(), "");
  EXPECT_EQ(editor.cursor(), EditCursor::Normal);
  editor.mouseDown(300, 300, kLeftButton, 0);  // off the markers: no drag
  EXPECT_FALSE(editor.dragPoint());
  editor.mouseMove(900, 300, kLeftButton);
  EXPECT_EQ(editor.cursor(), EditCursor::Normal);
}

TEST_F(CanvasEditing, PressesOutsideTheCurveModeOrDuringADrawingChangeNothing) {
  const std::vector<qCoord> points = circle(8, 1);
  showCurve(kRadius, points);
  engine.setMouseMode(MouseMode::SetRotationPoints);
  drag({600, 400}, {400, 200}, kCtrlKey);
  editor.mouseDown(600, 400, kRightButton, 0);
  EXPECT_EQ(pointsOf(curve(kRadius)), points);

  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
  engine.settings.ImageWidth = engine.settings.ImageHeight = 800;
  engine.settings.Steps = 3;
  engine.settings.StartGrain = engine.settings.EndGrain = 1;
  int steps = 0;
  // A drag that started before the drawing shows no preview while it runs.
  editor.mouseDown(600, 400, kLeftButton, kShiftKey);
  engine.onStep = [&](int) {
    ++steps;
    editor.mouseMove(300, 300, kLeftButton);
    EXPECT_TRUE(editor.preview().empty());
    editor.mouseUp(300, 300);
    engine.setMouseMode(MouseMode::SetPathPoints);
    EXPECT_FALSE(editor.contextClick(100, 100));  // no points set either
    engine.setMouseMode(MouseMode::DrawMultiplierBezier);
    engine.showSlotCurve();  // "Show Curve" works during a drawing: the markers are there
    EXPECT_EQ(engine.pointMapAt(600, 400), 0);
    drag({600, 400}, {400, 200}, kCtrlKey);
    editor.mouseDown(600, 400, kRightButton, 0);
    editor.mouseDown(100, 100, kRightButton, 0);
    editor.mouseMove(200, 200, kRightButton);
    editor.mouseUp(200, 200);
  };
  engine.DrawOrStop();
  EXPECT_GT(steps, 0);
  EXPECT_EQ(pointsOf(curve(kRadius)), points);
  EXPECT_EQ(engine.settings.ZorvaPointsXStart, -2);
}

TEST_F(CanvasEditing, AReleaseOnAPointThatIsGoneChangesNothing) {
  showCurve(kRadius, circle(8, 1));
  editor.mouseDown(600, 400, kLeftButton, kShiftKey);
  engine.resetCurve();
  editor.mouseUp(400, 200);
  EXPECT_EQ(curve(kRadius).GetLength(), 0);
  EXPECT_FALSE(editor.dragPoint());
}

}  // namespace
}  // namespace zorva::test
