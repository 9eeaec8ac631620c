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

// Right clicks mark their pixel and set point A, then B, of the rotation or
// the path, each with its own turn; the values come from the three-decimal
// texts the fields show, in the user's decimal separator.
TEST_F(CanvasEditing, RightClicksSetPointAThenPointB) {
  size(800, 600);
  EXPECT_TRUE(editor.contextClick(400, 300)->pointA);  // rotation points at start
  EXPECT_EQ(pixel(400, 300), (std::array<int, 3>{126, 126, 126}));
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
  EXPECT_EQ(curve(kPathCurve).GetLength(), 6);  // nothing changes before the first move

  // The stroke starts at (-10, -10), so (5, 5) is too close. Then each point more than 25 from the last.
  for (auto [c, r] : std::vector<std::pair<int, int>>{
           {5, 5}, {10, 10}, {30, 10}, {35, 10}, {36, 10}, {36, 36}, {36, 61}, {36, 62}, {100, 100}})
    editor.mouseMove(c, r, kRightButton);
  editor.mouseMove(300, 300, 0);  // the button is not held: no point
  std::vector<qCoord> expected;
  for (auto [c, r] : {std::pair{10, 10}, {36, 10}, {36, 36}, {36, 62}, {100, 100}})
    expected.push_back(engine.ConvertMouseToCoord(c, r));
  EXPECT_EQ(pointsOf(curve(kPathCurve)), expected);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kPathCurve).undo), before);
  EXPECT_EQ(pixel(35, 10), (std::array<int, 3>{126, 126, 126}));  // the stroke is painted as it goes

  editor.mouseUp(100, 100);
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
  // Moving on with the button held draws nothing: no stroke was started.
  editor.mouseMove(350, 350, kRightButton);
  editor.mouseMove(500, 500, kRightButton);
  editor.mouseUp(500, 500);
  EXPECT_EQ(pointsOf(curve(kRadius)), expected);
}

// Ctrl turns, Alt turns and scales, Shift moves the whole curve; no key or
// two keys move the one point. Each drag is previewed without touching the
// picture and can be undone.
TEST_F(CanvasEditing, DragsByModifierKeys) {
  const struct {
    unsigned keys;
    DragKind kind;
    EditCursor cursor;
    std::pair<int, int> to;  // from point 0 at (0.5, 0), column 500, row 400
    qCoord (*moved)(qCoord);
  } cases[] = {
      {kCtrlKey, DragKind::Rotate, EditCursor::CurveRotate, {400, 300}, [](qCoord p) { return qCoord(-p.Y, p.X); }},
      {kAltKey,
       DragKind::Expand,
       EditCursor::CurveExpand,
       {600, 400},
       [](qCoord p) { return qCoord(2 * p.X, 2 * p.Y); }},
      {kShiftKey,
       DragKind::Move,
       EditCursor::SizeAll,
       {520, 380},
       [](qCoord p) { return qCoord(p.X + 0.1, p.Y + 0.1); }},
      {0, DragKind::SinglePoint, EditCursor::Drag, {540, 380}, nullptr},
      {kCtrlKey | kShiftKey, DragKind::SinglePoint, EditCursor::Drag, {540, 380}, nullptr},
      {kAltKey | kCtrlKey, DragKind::SinglePoint, EditCursor::Drag, {540, 380}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    const std::vector<qCoord> points = circle(8, 0.5);
    setCurve(kRadius, {});
    engine.PutCurveToUndo(kRadius);
    showCurve(kRadius, points);
    const Bitmap24 shown = engine.picture();
    editor.mouseDown(500, 400, kLeftButton, c.keys);
    EXPECT_EQ(editor.dragKind(), c.kind);
    EXPECT_EQ(editor.cursor(), c.cursor);
    editor.mouseMove(c.to.first, c.to.second, kLeftButton);
    // The preview starts at point 0, taken where the drag takes it; the picture is left alone.
    ASSERT_FALSE(editor.preview().empty());
    EXPECT_NEAR(editor.preview().front().first, c.to.first, 1);
    EXPECT_NEAR(editor.preview().front().second, c.to.second, 1);
    EXPECT_EQ(engine.picture().bgr, shown.bgr);
    EXPECT_EQ(pointsOf(curve(kRadius)), points);

    editor.mouseUp(c.to.first, c.to.second);
    EXPECT_FALSE(editor.dragPoint());
    EXPECT_TRUE(editor.preview().empty());
    std::vector<qCoord> expected = points;
    if (c.moved)
      for (qCoord& p : expected) p = c.moved(p);
    else
      expected[0] = engine.ConvertMouseToCoord(c.to.first, c.to.second);
    expectPoints(curve(kRadius), expected);
    EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).undo), points);
    EXPECT_EQ(engine.pointMapAt(c.to.first, c.to.second), 0);  // shown again where it went
  }
}

TEST_F(CanvasEditing, HoveringTellsWhichPointIsUnderTheMouse) {
  showCurve(kRadius, circle(8, 1));
  editor.mouseMove(602, 399, 0);
  EXPECT_EQ(editor.cursor(), EditCursor::HandPoint);
  editor.mouseMove(300, 300, 0);
  EXPECT_EQ(editor.cursor(), EditCursor::Normal);
  editor.mouseDown(300, 300, kLeftButton, 0);  // off the markers: no drag
  EXPECT_FALSE(editor.dragPoint());
}

TEST_F(CanvasEditing, PressesOutsideTheCurveModeOrDuringADrawingChangeNothing) {
  const std::vector<qCoord> points = circle(8, 1);
  showCurve(kRadius, points);
  engine.setMouseMode(MouseMode::SetRotationPoints);
  drag({600, 400}, {400, 200}, kCtrlKey);
  editor.mouseDown(600, 400, kRightButton, 0);
  EXPECT_EQ(pointsOf(curve(kRadius)), points);

  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
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

  // A release on a point that is gone changes nothing.
  editor.mouseDown(600, 400, kLeftButton, kShiftKey);
  engine.resetCurve();
  editor.mouseUp(400, 200);
  EXPECT_EQ(curve(kRadius).GetLength(), 0);
}

}  // namespace
}  // namespace zorva::test
