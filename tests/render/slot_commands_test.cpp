// The curve commands: showing a slot's curve over the picture, hiding it,
// reset, undo, reverse, the program's curve clipboard, curve files and text,
// and generated paths.
#include <filesystem>

#include "render/curve_fixture.h"
#include "settings/number_format.h"

namespace zorva::test {
namespace {

using SlotCommands = CurveEngine;

const std::vector<qCoord> kLine = {{-1, 0}, {-0.5, 0}, {0, 0}, {0.5, 0}, {1, 0}};

bool allWhite(const Bitmap24& picture) {
  return std::all_of(picture.bgr.begin(), picture.bgr.end(), [](std::uint8_t b) { return b == 255; });
}

TEST_F(SlotCommands, ShowingPaintsTheCurveAndItsMarkersOnThePictureOnly) {
  setCurve(kRadius, kLine);
  selectCurve(kRadius);
  engine.showSlotCurve();
  EXPECT_TRUE(engine.curveShown());
  EXPECT_FALSE(engine.curveDrawing());
  EXPECT_TRUE(engine.multiplierSlot(kRadius).marked);
  // The buffer is untouched: only the picture shows the curve.
  for (int c = 0; c < 3; ++c) EXPECT_EQ(engine.canvas().ColorArray(c, 350, 399), 255);
  // (-0.25, 0) lies on the curve: column (x + 2) * 200, row 800 - (y + 2) * 200;
  // white paper gives (255 + 127) mod 256 = 126.
  EXPECT_EQ(pixel(350, 400), (std::array<int, 3>{126, 126, 126}));
  EXPECT_EQ(pixel(350, 380), (std::array<int, 3>{255, 255, 255}));
  // Point 2 of 5 at (0, 0): a 9 x 9 marker, white border, red round(255 * 2 / 5) = 102, blue 153.
  EXPECT_EQ(pixel(400, 400), (std::array<int, 3>{153, 0, 102}));
  EXPECT_EQ(pixel(403, 397), (std::array<int, 3>{153, 0, 102}));
  EXPECT_EQ(pixel(404, 400), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(pixel(400, 396), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(engine.pointMapAt(404, 404), 2);
  EXPECT_EQ(engine.pointMapAt(405, 400), kNoPoint);
  EXPECT_EQ(engine.pointMapAt(600, 400), 4);
  EXPECT_EQ(markedIndexes(), (std::set<std::int32_t>{0, 1, 2, 3, 4}));

  // Hiding restores the picture and forgets the markers.
  engine.hideCurve();
  EXPECT_TRUE(allWhite(engine.picture()));
  EXPECT_TRUE(markedIndexes().empty());
  EXPECT_EQ(lastStatus(), "");

  // Without "Show Control Points?" the curve comes alone.
  engine.setShowControlPoints(false);
  engine.showSlotCurve();
  EXPECT_EQ(pixel(400, 400), (std::array<int, 3>{126, 126, 126}));  // on the curve, no marker
  EXPECT_EQ(pixel(400, 396), (std::array<int, 3>{255, 255, 255}));
  EXPECT_TRUE(markedIndexes().empty());
}

TEST_F(SlotCommands, HidingRestoresThePictureAsItWasBeforeTheFirstShow) {
  // A drawn picture: one grey pixel in the buffer.
  for (int c = 0; c < 3; ++c) engine.canvas().ColorArray(c, 350, 399) = 100.4;
  engine.drawArrayOnImage();
  const Bitmap24 drawn = engine.picture();
  engine.markPixel(10, 10);  // a right-click mark is no part of the drawing
  setCurve(kRadius, kLine);
  selectCurve(kRadius);
  engine.showSlotCurve();
  engine.showSlotCurve();  // a second show keeps the first snapshot
  EXPECT_NE(engine.picture().bgr, drawn.bgr);
  EXPECT_EQ(engine.pictureSnapshot().bgr, drawn.bgr);
  engine.hideCurve();
  EXPECT_EQ(engine.picture().bgr, drawn.bgr);
  EXPECT_EQ(engine.canvas().ColorArray(0, 350, 399), 100);  // refilled from the 8-bit snapshot
  // Clear empties the picture even while a curve is shown.
  engine.showSlotCurve();
  engine.ClearPicture();
  EXPECT_FALSE(engine.curveShown());
  EXPECT_TRUE(allWhite(engine.picture()));
  EXPECT_EQ(engine.canvas().ColorArray(0, 350, 399), 255);
  engine.hideCurve();  // nothing shown: nothing to bring back
  EXPECT_TRUE(allWhite(engine.picture()));
}

TEST_F(SlotCommands, StartAndEndCurvesAreShownWhereTheyLie) {
  // Built around its centre (0.5, 1); shown with the centre added back.
  setCurve(kStartCurve, {{0, 1}, {0.25, 1}, {0.5, 1}, {0.75, 1}, {1, 1}});
  EXPECT_EQ(engine.multiplierSlot(kStartCurve).bezier.GetXAt(0), -0.5);
  selectCurve(kStartCurve);
  engine.showSlotCurve();
  EXPECT_EQ(pixel(475, 200), (std::array<int, 3>{126, 126, 126}));  // (0.375, 1)
  EXPECT_EQ(pixel(375, 400), (std::array<int, 3>{255, 255, 255}));  // (-0.125, 0): not offset
  EXPECT_EQ(engine.pointMapAt(500, 200), 2);
}

TEST_F(SlotCommands, AnEmptySlotIsReportedAndUnmarked) {
  setCurve(kBumps, kLine);
  engine.resetAllCurves();
  EXPECT_EQ(engine.multiplierSlot(kBumps).undo.GetLength(), 5);
  selectCurve(kBumps);
  engine.showSlotCurve();
  EXPECT_TRUE(engine.curveShown());
  EXPECT_FALSE(engine.multiplierSlot(kBumps).marked);
  EXPECT_TRUE(allWhite(engine.picture()));
  // A curve of 1 to 4 points has no Bezier: its one sample sits at the origin.
  setCurve(kBumps, {{1, 1}, {1.5, 1}, {1, 1.5}});
  engine.showSlotCurve();
  EXPECT_EQ(pixel(400, 400), (std::array<int, 3>{126, 126, 126}));
  EXPECT_EQ(markedIndexes(), (std::set<std::int32_t>{0, 1, 2}));
}

TEST_F(SlotCommands, FiveHundredPointsGetTwoHundredAndOneMarkers) {
  size(300, 300);
  // Point i sits alone in a grid cell, so no marker hides another.
  std::vector<qCoord> points;
  for (int i = 0; i < 500; ++i) {
    const int column = 20 + (i % 25) * 10, row = 20 + (i / 25) * 12;
    points.emplace_back((column + 0.5) / 75 - 2, (300 - row + 0.5) / 75 - 2);
  }
  setCurve(kGrain, points);
  selectCurve(kGrain);
  engine.showSlotCurve();
  std::set<std::int32_t> expected;
  for (int j = 0; j <= 200; ++j) expected.insert(j * 499 / 200);
  EXPECT_EQ(expected.size(), 201u);
  EXPECT_EQ(markedIndexes(), expected);
  EXPECT_EQ(engine.pointMapAt(20 + 24 * 10, 20 + 19 * 12), 499);  // the last marker on the last point
  EXPECT_EQ(engine.pointMapAt(30, 20), kNoPoint);                 // point 1 has none
}

TEST_F(SlotCommands, SampleCountsAreCapped) {
  EXPECT_EQ(Engine::curveSampleCount(1), 20000);
  EXPECT_EQ(Engine::curveSampleCount(0.25), 5000);
  EXPECT_EQ(Engine::curveSampleCount(0), 0);
  EXPECT_EQ(Engine::curveSampleCount(50), Engine::kMaxCurveSamples);
  EXPECT_EQ(Engine::curveSampleCount(1e300), Engine::kMaxCurveSamples);
  EXPECT_EQ(Engine::curveSampleCount(std::nan("")), 0);
}

TEST_F(SlotCommands, PlottedPixelsTakeTheMarkingColourOfTheBuffer) {
  // (0.0025, 0.0025) is column 400, picture row 800 - 400, shown from buffer row 399.
  engine.canvas().ColorArray(0, 400, 399) = 300.6;  // 301 + 127 = 428 -> 172
  engine.canvas().ColorArray(1, 400, 399) = -3.4;   // -3 + 127 = 124
  engine.canvas().ColorArray(2, 400, 399) = 0.5;    // 0 (ties to even) + 127
  engine.displayPathCreation(0.0025, 0.0025);
  EXPECT_EQ(pixel(400, 400), (std::array<int, 3>{127, 124, 172}));
  // Off the picture nothing happens.
  const Bitmap24 before = engine.picture();
  for (double v : {5.0, -5.0, 1e300, std::nan("")}) engine.displayPathCreation(v, v);
  engine.displayCurveControls(0, 1e300, 0);
  EXPECT_EQ(engine.picture().bgr, before.bgr);
}

TEST_F(SlotCommands, ResetThenUndoGivesTheCurveBack) {
  setCurve(kRadius, circle(6, 1));
  selectCurve(kRadius);
  engine.showSlotCurve();
  engine.resetCurve();
  EXPECT_EQ(engine.multiplierSlot(kRadius).curve.GetLength(), 0);
  EXPECT_FALSE(engine.multiplierSlot(kRadius).marked);
  EXPECT_TRUE(markedIndexes().empty());
  engine.undoCurveEdit();
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).curve), circle(6, 1));
  EXPECT_TRUE(engine.multiplierSlot(kRadius).bezier.Valid());
  EXPECT_EQ(engine.multiplierSlot(kRadius).undo.GetLength(), 0);  // swapped
}

TEST_F(SlotCommands, ReverseNeedsFivePointsAndNamesTheSlot) {
  setCurve(kRadius, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  engine.reverseCurve();
  EXPECT_EQ(lastMessage(), "There is no curve selected at present.");
  selectCurve(kRadius);
  engine.reverseCurve();
  EXPECT_EQ(lastMessage(), "\"Values - Radius\"is not defined at present.");
  EXPECT_EQ(engine.multiplierSlot(kRadius).curve.GetXofI(1), 1);
  setCurve(kRadius, kLine);
  engine.reverseCurve();
  std::vector<qCoord> reversed(kLine.rbegin(), kLine.rend());
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kRadius).curve), reversed);
  EXPECT_EQ(engine.multiplierSlot(kRadius).bezier.GetXAt(0), 1);
  EXPECT_TRUE(engine.curveShown());
}

TEST_F(SlotCommands, CopyCutAndPasteGoThroughTheProgramsClipboard) {
  setCurve(kRadius, kLine);
  setCurve(kAngle, {{0, 0}, {1, 1}, {2, 0}});
  engine.copyCurve();
  EXPECT_EQ(lastMessage(), "No curve selected, please select \"Set curve\" in the points form");
  engine.pasteCurve();
  EXPECT_EQ(lastMessage(), "There is no curve in the Zorva clipboard at present. No curve pasted.");
  selectCurve(kRadius);
  engine.pasteCurve();
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

  engine.setMouseMode(MouseMode::SetRotationPoints);
  engine.pasteCurve();
  EXPECT_EQ(lastMessage(), "No target curve selected, please select \"Set curve\" in the points form");
  engine.cutCurve();  // refused: nothing is emptied
  EXPECT_EQ(engine.multiplierSlot(kAngle).curve.GetLength(), 5);
}

TEST_F(SlotCommands, OnlyTheCurveModeSelectsACurve) {
  engine.setMouseMode(MouseMode::SetPathPoints);
  EXPECT_FALSE(engine.curveSelected());
  engine.setMouseMode(MouseMode::DrawMultiplierBezier);
  EXPECT_TRUE(engine.curveSelected());
  EXPECT_EQ(engine.selectedSlot(), kPathCurve);  // the chooser starts on "Main - Path curve"
}

// Answers No to questions.
struct NoHost : RecordingHost {
  MessageAnswer message(const std::string& text, MessageKind kind) override {
    RecordingHost::message(text, kind);
    return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
  }
};

TEST_F(SlotCommands, CurveFilesAndClipboardTextLeaveTheSlotAloneWhenTheyAreNoCurve) {
  TempDir dir;
  const std::string file = dir.file("line.curve");
  setCurve(kRadius, {{0, 0}, {1, 1}, {2, 0}, {3, 1}});
  EXPECT_FALSE(engine.curveCanBeSaved());
  EXPECT_EQ(lastMessage(), "You must have a curve selected in the Points form.");
  EXPECT_FALSE(engine.curveCanBeOpened());
  EXPECT_EQ(lastMessage(), "You must have a bezier selected in the Points form.");
  selectCurve(kRadius);
  EXPECT_FALSE(engine.curveCanBeSaved());
  EXPECT_EQ(lastMessage(), "The currently selected curve is not defined at the moment.");
  setCurve(kRadius, kLine);
  ASSERT_TRUE(engine.curveCanBeSaved());
  engine.saveCurve(std::nullopt);
  engine.saveCurve(file);
  EXPECT_EQ(readFile(file), "-1\r\n0\r\n-0.5\r\n0\r\n0\r\n0\r\n0.5\r\n0\r\n1\r\n0\r\n");
  engine.saveCurve(file);  // the host says yes to overwriting
  EXPECT_EQ(lastMessage(), "Do you want to overwrite \r\n" + file + "?");

  // Opening: a good file replaces the slot; garbage, NaN and infinity do not.
  engine.selectSlot(kAngle);
  setCurve(kAngle, circle(6, 1));
  for (const char* bad : {"1\r\n2\r\nthree\r\n4\r\n", "nan\r\n1\r\n", "1\r\ninf\r\n", "1\r\n2\r\n3\r\n"}) {
    writeFile(dir.file("bad.curve"), bad);
    engine.openCurve(dir.file("bad.curve"));
    EXPECT_EQ(lastMessage().rfind("There is a problem with the .curve file \"" + dir.file("bad.curve") + "\": ", 0), 0u)
        << bad;
    EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve), circle(6, 1)) << bad;
  }
  engine.openCurve(std::nullopt);  // cancelled: shown all the same
  engine.openCurve(file);
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve), kLine);
  EXPECT_EQ(engine.settings.LoadDir, dir.path().string() + "/");
  EXPECT_TRUE(engine.multiplierSlot(kAngle).marked);

  // Clipboard text is doubled; text that is no curve changes nothing.
  engine.pasteFromClipboard("0.25 0.5\t-0.5\r\n1 0 0 1 1 2 2 7");
  EXPECT_EQ(pointsOf(engine.multiplierSlot(kAngle).curve),
            (std::vector<qCoord>{{0.5, 1}, {-1, 2}, {0, 0}, {2, 2}, {4, 4}}));
  for (const char* bad : {"1 two", "nan 1", "1 inf", "1e308 1"}) {
    engine.pasteFromClipboard(bad);
    EXPECT_EQ(lastMessage(), "There is a problem with the clipboard contents - not a valid curve") << bad;
    EXPECT_EQ(engine.multiplierSlot(kAngle).curve.GetLength(), 5) << bad;
  }
  engine.setMouseMode(MouseMode::SetRotationPoints);
  engine.pasteFromClipboard("1 2 3 4");
  EXPECT_EQ(lastMessage(), "You must have a bezier selected in the Points form.");

  NoHost no;
  engine.setHost(&no);
  selectCurve(kAngle);
  writeFile(file, "keep");
  engine.saveCurve(file);
  EXPECT_EQ(readFile(file), "keep");
  engine.setHost(&host);
}

TEST_F(SlotCommands, MakePathFillsTheSelectedSlotAndShowsIt) {
  engine.makePathCommand(PathShape::Circle);
  EXPECT_EQ(lastMessage(), "No target curve selected, please select \"Set curve\" in the points form");
  EXPECT_EQ(engine.multiplierSlot(kPathCurve).curve.GetLength(), 0);
  selectCurve(kAngle);
  engine.settings.NumberOfPathSteps = 4;
  engine.settings.PathCircleClockwise = false;
  engine.makePathCommand(PathShape::Circle);
  const qCurve& made = engine.multiplierSlot(kAngle).curve;
  ASSERT_EQ(made.GetLength(), 5);
  EXPECT_NEAR(made.GetYofI(1), 1, 1e-15);
  EXPECT_TRUE(engine.multiplierSlot(kAngle).bezier.Valid());
  EXPECT_TRUE(engine.curveShown());
  for (const char* status : {"drawing path...", "Made new circle path"})
    EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(), status), host.statuses.end()) << status;
  EXPECT_EQ(engine.pointMapAt(400, 200), 1);  // (0, 1)

  // A value no field can show: the slot keeps its curve.
  engine.settings.PathCircleRadius = std::nan("");
  engine.makePathCommand(PathShape::Circle);
  EXPECT_NE(lastMessage().find("PathCircleRadius"), std::string::npos);
  EXPECT_EQ(made.GetLength(), 5);
  // A trochoid without a rolling circle empties the slot.
  engine.settings.PathEpitrochoidB = 0;
  engine.makePathCommand(PathShape::Epitrochoid);
  EXPECT_EQ(made.GetLength(), 0);
  EXPECT_FALSE(engine.multiplierSlot(kAngle).bezier.Valid());
}

}  // namespace
}  // namespace zorva::test
