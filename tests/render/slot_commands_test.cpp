// The curve commands: showing a slot's curve over the picture, hiding it,
// reset, undo, reverse, the program's curve clipboard and curve files.
#include "render/curve_fixture.h"

namespace zorva::test {
namespace {

using SlotCommands = CurveEngine;
using Bgr = std::array<int, 3>;

const std::vector<qCoord> kLine = {{-1, 0}, {-0.5, 0}, {0, 0}, {0.5, 0}, {1, 0}};
const Bgr kWhite{255, 255, 255}, kOnCurve{126, 126, 126};  // white paper: (255 + 127) mod 256

bool allWhite(const Bitmap24& picture) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [](std::uint8_t b) { return b == 255; });
}

TEST_F(SlotCommands, ShowingPaintsTheCurveAndItsMarkersOnThePictureOnly) {
  setCurve(kRadius, kLine);
  selectCurve(kRadius);
  engine.showSlotCurve();
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
  setCurve(kStartCurve, {{0, 1}, {0.25, 1}, {0.5, 1}, {0.75, 1}, {1, 1}});
  selectCurve(kStartCurve);
  engine.showSlotCurve();
  EXPECT_EQ(pixel(475, 200), kOnCurve);  // (0.375, 1)
  EXPECT_EQ(pixel(375, 400), kWhite);    // (-0.125, 0): not offset
  EXPECT_EQ(engine.pointMapAt(500, 200), 2);
}

TEST_F(SlotCommands, HidingRestoresThePictureAsItWasBeforeTheFirstShow) {
  for (int c = 0; c < 3; ++c) engine.canvas().ColorArray(c, 350, 399) = 100.4;
  engine.drawArrayOnImage();
  const Bitmap24 drawn = engine.picture();
  engine.markPixel(10, 10);  // a right-click mark is no part of the drawing
  setCurve(kRadius, kLine);
  selectCurve(kRadius);
  engine.showSlotCurve();
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

TEST_F(SlotCommands, EmptyShortAndLongCurves) {
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
  std::vector<qCoord> points;
  for (int i = 0; i < 500; ++i)
    points.emplace_back((20 + (i % 25) * 10 + 0.5) / 75 - 2, (300 - 20 - (i / 25) * 12 + 0.5) / 75 - 2);
  setCurve(kGrain, points);
  selectCurve(kGrain);
  engine.showSlotCurve();
  std::set<std::int32_t> expected;
  for (int j = 0; j <= 200; ++j) expected.insert(j * 499 / 200);
  EXPECT_EQ(markedIndexes(), expected);
  EXPECT_EQ(Engine::curveSampleCount(0.25), 5000);
  EXPECT_EQ(Engine::curveSampleCount(1e300), Engine::kMaxCurveSamples);
  EXPECT_EQ(Engine::curveSampleCount(std::nan("")), 0);
}

TEST_F(SlotCommands, PlottedPixelsTakeTheMarkingColourOfTheBuffer) {
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

TEST_F(SlotCommands, ResetUndoAndReverse) {
  setCurve(kRadius, circle(6, 1));
  selectCurve(kRadius);
  engine.showSlotCurve();
  engine.resetCurve();
  EXPECT_EQ(engine.multiplierSlot(kRadius).curve.GetLength(), 0);
  EXPECT_TRUE(markedIndexes().empty());
  engine.undoCurveEdit();
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).curve), circle(6, 1));
  EXPECT_TRUE(engine.multiplierSlot(kRadius).bezier.Valid());
  EXPECT_EQ(engine.multiplierSlot(kRadius).undo.GetLength(), 0);  // swapped

  // Reverse needs five points.
  setCurve(kRadius, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  engine.reverseCurve();
  EXPECT_EQ(engine.multiplierSlot(kRadius).curve.GetXofI(1), 1);
  setCurve(kRadius, kLine);
  engine.reverseCurve();
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).curve), std::vector<qCoord>(kLine.rbegin(), kLine.rend()));
  EXPECT_EQ(engine.multiplierSlot(kRadius).bezier.GetXAt(0), 1);
}

TEST_F(SlotCommands, CopyCutAndPasteGoThroughTheProgramsClipboard) {
  setCurve(kRadius, kLine);
  setCurve(kAngle, {{0, 0}, {1, 1}, {2, 0}});
  engine.copyCurve();  // no curve mode: nothing copied
  EXPECT_EQ(engine.clipboardCurve().GetLength(), 0);
  selectCurve(kRadius);
  engine.pasteCurve();  // an empty clipboard pastes nothing
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).curve), kLine);
  engine.copyCurve();
  EXPECT_EQ(pointsOf(engine.clipboardCurve()), kLine);

  // Cutting three points: not copied, but the slot is emptied all the same.
  engine.selectSlot(kAngle);
  engine.cutCurve();
  EXPECT_EQ(engine.multiplierSlot(kAngle).curve.GetLength(), 0);
  EXPECT_EQ(engine.multiplierSlot(kAngle).undo.GetLength(), 3);
  EXPECT_EQ(pointsOf(engine.clipboardCurve()), kLine);

  engine.pasteCurve();
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve), kLine);
  EXPECT_EQ(engine.multiplierSlot(kAngle).undo.GetLength(), 0);  // the empty curve before the paste
  EXPECT_TRUE(engine.multiplierSlot(kAngle).bezier.Valid());

  // Outside the curve mode a cut is refused and empties nothing.
  engine.setMouseMode(MouseMode::SetRotationPoints);
  engine.cutCurve();
  EXPECT_EQ(engine.multiplierSlot(kAngle).curve.GetLength(), 5);
}

// Answers No to questions.
struct NoHost : RecordingHost {
  MessageAnswer message(const std::string& text, MessageKind kind) override {
    RecordingHost::message(text, kind);
    return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
  }
};

TEST_F(SlotCommands, CurveFilesLeaveTheSlotAloneWhenTheyAreNoCurve) {
  TempDir dir;
  const std::string file = dir.file("line.curve");
  setCurve(kRadius, {{0, 0}, {1, 1}, {2, 0}, {3, 1}});
  EXPECT_FALSE(engine.curveCanBeSaved());
  EXPECT_FALSE(engine.curveCanBeOpened());
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
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve), circle(6, 1));
  engine.openCurve(file);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve), kLine);
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

}  // namespace
}  // namespace zorva::test
