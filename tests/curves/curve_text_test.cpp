#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "curves/curve.h"
#include "settings/number_format.h"

namespace zorva {
namespace {

namespace fs = std::filesystem;

const char* const kFileProblem = "There is a problem with the .curve file";
const char* const kClipboardProblem = "There is a problem with the clipboard contents - not a valid curve";

qCurve curveOf(const std::vector<qCoord>& points) {
  qCurve curve;
  for (const qCoord& p : points) curve.AddPoint(p.X, p.Y);
  return curve;
}

class CurveText : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSeparator_ = decimalSeparator();
    setDecimalSeparator(".");
    std::string pattern = (fs::temp_directory_path() / "zorva-curve-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    setDecimalSeparator(savedSeparator_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static void write(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
  }
  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // A curve that a failed read must empty.
  static qCurve occupied() { return curveOf({{9, 9}, {8, 8}, {7, 7}}); }

  fs::path dir_;
  std::string savedSeparator_;
};

// --- writing --------------------------------------------------------------------

TEST_F(CurveText, SpamWritesOneNumberPerLineWithCrLf) {
  const qCurve curve = curveOf({{0.5, -1}, {2.25, 3}});
  EXPECT_EQ(curve.Spam(path("a.curve")), std::nullopt);
  EXPECT_EQ(read(path("a.curve")), "0.5\r\n-1\r\n2.25\r\n3\r\n");

  const qCurve odd = curveOf({{1e-6, 0}, {1.0 / 3, -123456789012345.0}, {1e20, -0.00001}});
  EXPECT_EQ(odd.Spam(path("b.curve")), std::nullopt);
  EXPECT_EQ(read(path("b.curve")), "1E-6\r\n0\r\n0.333333333333333\r\n-123456789012345\r\n1E20\r\n-0.00001\r\n");
}

TEST_F(CurveText, SpamUsesTheUsersDecimalSeparator) {
  setDecimalSeparator(",");
  EXPECT_EQ(curveOf({{0.5, -1.25}, {2, 3}}).Spam(path("c.curve")), std::nullopt);
  EXPECT_EQ(read(path("c.curve")), "0,5\r\n-1,25\r\n2\r\n3\r\n");
  qCurve back;
  EXPECT_EQ(back.Load(path("c.curve")), std::nullopt);
  EXPECT_EQ(back.Points(), (std::vector<qCoord>{{0.5, -1.25}, {2, 3}}));
  // Under another separator the same file is not a curve.
  setDecimalSeparator(".");
  EXPECT_EQ(back.Load(path("c.curve")), kFileProblem);
}

TEST_F(CurveText, SpamWritesNothingForFewerThanTwoPoints) {
  EXPECT_EQ(curveOf({{1, 2}}).Spam(path("one.curve")), std::nullopt);
  EXPECT_EQ(qCurve().Spam(path("none.curve")), std::nullopt);
  EXPECT_FALSE(fs::exists(path("one.curve")));
  EXPECT_FALSE(fs::exists(path("none.curve")));
}

TEST_F(CurveText, SpamReportsAFailedWriteAndKeepsTheCurve) {
  const qCurve curve = curveOf({{1, 2}, {3, 4}});
  const auto message = curve.Spam(path("no such folder/x.curve"));
  ASSERT_TRUE(message);
  EXPECT_EQ(message->rfind("There was a problem saving: ", 0), 0u) << *message;
  EXPECT_GT(message->size(), std::string("There was a problem saving: ").size());
  EXPECT_EQ(curve.GetLength(), 2);
  EXPECT_TRUE(fs::is_empty(dir_));

  // A folder in the way of the file.
  fs::create_directory(path("taken.curve"));
  ASSERT_TRUE(curve.Spam(path("taken.curve")));
  EXPECT_TRUE(fs::is_directory(path("taken.curve")));
}

TEST_F(CurveText, FileNamesLoseQuotesAndSpacesOnlyInTheLastPart) {
  EXPECT_EQ(curveFileName("/home/me/My Curves/my best curve.curve"), "/home/me/My Curves/my_best_curve.curve");
  EXPECT_EQ(curveFileName("/a \"b\"/pic_\"Main - Path curve\".curve"), "/a b/pic_Main_-_Path_curve.curve");
  EXPECT_EQ(curveFileName("\"Main - Start curve\""), "Main_-_Start_curve");
  EXPECT_EQ(curveFileName("dir with space/"), "dir with space/");
  EXPECT_EQ(curveFileName(""), "test.txt");
  EXPECT_EQ(curveFileName("\"\""), "");

  const qCurve curve = curveOf({{1, 2}, {3, 4}});
  fs::create_directory(path("My Curves"));
  EXPECT_EQ(curve.Spam(path("My Curves/my \"best\" curve.curve")), std::nullopt);
  EXPECT_EQ(read(path("My Curves/my_best_curve.curve")), "1\r\n2\r\n3\r\n4\r\n");
}

TEST_F(CurveText, AnEmptyNameMeansTestTxt) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  const qCurve curve = curveOf({{1, 2}, {3, 4}});
  EXPECT_EQ(curve.Spam(""), std::nullopt);
  const std::string written = read("test.txt");
  qCurve back;
  const auto message = back.Load("");
  fs::current_path(before);
  EXPECT_EQ(written, "1\r\n2\r\n3\r\n4\r\n");
  EXPECT_EQ(message, std::nullopt);
  EXPECT_EQ(back.Points(), curve.Points());
}

// --- reading files ----------------------------------------------------------------

TEST_F(CurveText, LoadReadsWhatSpamWrote) {
  const qCurve curve = curveOf({{0.5, -1}, {2.25, 3}, {1.0 / 7, -2e-9}, {-12345.678, 1e15}});
  ASSERT_EQ(curve.Spam(path("r.curve")), std::nullopt);
  qCurve back = occupied();
  EXPECT_EQ(back.Load(path("r.curve")), std::nullopt);
  ASSERT_EQ(back.GetLength(), 4);
  for (std::int32_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(back.GetXofI(i), curve.GetXofI(i), std::abs(curve.GetXofI(i)) * 1e-14) << i;
    EXPECT_NEAR(back.GetYofI(i), curve.GetYofI(i), std::abs(curve.GetYofI(i)) * 1e-14) << i;
  }
  EXPECT_EQ(back.Points()[0], qCoord(0.5, -1));
  // Sum and Centre as AddPoint leaves them; values are not scaled.
  qCurve added;
  for (const qCoord& p : back.Points()) added.AddPoint(p.X, p.Y);
  EXPECT_EQ(back.Sum(), added.Sum());
  EXPECT_EQ(back.Centre(), added.Centre());
}

TEST_F(CurveText, LoadAcceptsEitherLineEnd) {
  const std::vector<qCoord> expected{{0.5, -1}, {2.25, 3}};
  const char* const files[] = {"0.5\r\n-1\r\n2.25\r\n3\r\n", "0.5\n-1\n2.25\n3\n", "0.5\n-1\r\n2.25\n3",
                               " 0.5 \r\n-1\t\r\n2.25\r\n3\r\n"};
  for (const char* content : files) {
    write(path("e.curve"), content);
    qCurve curve;
    EXPECT_EQ(curve.Load(path("e.curve")), std::nullopt) << content;
    EXPECT_EQ(curve.Points(), expected) << content;
  }
}

TEST_F(CurveText, LoadOfAMissingFileChangesNothing) {
  qCurve curve = occupied();
  EXPECT_EQ(curve.Load(path("absent.curve")), std::nullopt);
  EXPECT_EQ(curve.Points(), occupied().Points());
  fs::create_symlink(path("nowhere"), path("dangling.curve"));
  EXPECT_EQ(curve.Load(path("dangling.curve")), std::nullopt);
  EXPECT_EQ(curve.GetLength(), 3);
}

TEST_F(CurveText, LoadOfAnEmptyFileGivesAnEmptyCurve) {
  write(path("empty.curve"), "");
  qCurve curve = occupied();
  EXPECT_EQ(curve.Load(path("empty.curve")), std::nullopt);
  EXPECT_EQ(curve.GetLength(), 0);
  EXPECT_EQ(curve.Centre(), qCoord());
}

TEST_F(CurveText, BadFilesGiveTheMessageAndAnEmptyCurve) {
  const std::string megabyteLine(4 << 20, '7');
  const char garbage[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe";
  const std::string binary(garbage, sizeof garbage - 1);
  const std::vector<std::string> bad{
      "1\r\n2\r\n3\r\n4\r\n5\r\n",    // five lines: the last X has no Y
      "1\r\n",                        // one line
      "1\r\n2\r\n\r\n",               // a trailing empty line
      "1\r\n\r\n3\r\n4\r\n",          // an empty line inside
      "\n",                           // only an empty line
      "1\r\n2\r\nthree\r\n4\r\n",     // not a number
      "1\r\n2\r\n3,5\r\n4\r\n",       // the wrong decimal separator
      "1\r\n2\r\n3\r4\r\n",           // a lone CR does not end a line
      std::string("1\r\n2\0\r\n", 6), // a NUL byte
      "1\r\n2\r\nINF\r\n4\r\n",       // infinities are not numbers
      "1\r\n2\r\n1e999\r\n4\r\n",     // out of range
      binary,                         // binary garbage
      megabyteLine + "\r\n1\r\n",     // a line of megabytes
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    write(path("bad.curve"), bad[i]);
    qCurve curve = occupied();
    EXPECT_EQ(curve.Load(path("bad.curve")), kFileProblem) << "case " << i;
    EXPECT_EQ(curve.GetLength(), 0) << "case " << i;
    EXPECT_EQ(curve.Sum(), qCoord()) << "case " << i;
    EXPECT_EQ(curve.Centre(), qCoord()) << "case " << i;
  }
}

TEST_F(CurveText, UnreadableFilesGiveTheMessage) {
  // A folder.
  qCurve curve = occupied();
  EXPECT_EQ(curve.Load(dir_.string()), kFileProblem);
  EXPECT_EQ(curve.GetLength(), 0);

  // A file above the size limit is refused without being read (sparse, so
  // the test costs no disk).
  write(path("huge.curve"), "1\r\n2\r\n");
  fs::resize_file(path("huge.curve"), (std::uintmax_t{256} << 20) + 1);
  curve = occupied();
  EXPECT_EQ(curve.Load(path("huge.curve")), kFileProblem);
  EXPECT_EQ(curve.GetLength(), 0);

  // A FIFO would block a plain read: refused as not a file.
  ASSERT_EQ(mkfifo(path("pipe.curve").c_str(), 0600), 0);
  curve = occupied();
  EXPECT_EQ(curve.Load(path("pipe.curve")), kFileProblem);
  EXPECT_EQ(curve.GetLength(), 0);
}

// --- curve text ----------------------------------------------------------------------

TEST_F(CurveText, ClipboardTextIsReadInPairsAndDoubled) {
  struct Case {
    std::string text;
    std::vector<qCoord> expected;
  };
  const std::vector<Case> cases{
      {"0.25 0.5 -0.5 1", {{0.5, 1}, {-1, 2}}},
      {"\r\n 0.25\t\t0.5\r\n-0.5\x01\x1f\x0b" "1 \r\n", {{0.5, 1}, {-1, 2}}},
      {"1 2 3", {{2, 4}}},
      {"1", {}},
      {" \r\n\t", {}},
      {"1 2 oops", {{2, 4}}},  // a last token without a partner is never read
      {"0.5\r\n-1\r\n2.25\r\n3\r\n", {{1, -2}, {4.5, 6}}},  // the tracer's file layout
  };
  for (const Case& c : cases) {
    qCurve curve = occupied();
    EXPECT_EQ(curve.LoadFromClipBoard(c.text), std::nullopt) << c.text;
    EXPECT_EQ(curve.Points(), c.expected) << c.text;
    qCurve added;
    for (const qCoord& p : c.expected) added.AddPoint(p.X, p.Y);
    EXPECT_EQ(curve.Centre(), added.Centre()) << c.text;
  }

  setDecimalSeparator(",");
  qCurve comma;
  EXPECT_EQ(comma.LoadFromClipBoard("0,25 1"), std::nullopt);
  EXPECT_EQ(comma.Points(), (std::vector<qCoord>{{0.5, 2}}));
}

TEST_F(CurveText, EmptyClipboardTextChangesNothing) {
  qCurve curve = occupied();
  EXPECT_EQ(curve.LoadFromClipBoard(""), std::nullopt);
  EXPECT_EQ(curve.Points(), occupied().Points());
  EXPECT_EQ(curve.Centre(), occupied().Centre());
}

TEST_F(CurveText, ClipboardTextThatIsNotACurveEmptiesIt) {
  const std::vector<std::string> bad{
      "1 two",
      "1 2 3 x",
      std::string("1 2\0 3 4", 8),  // NUL is not a separator
      "1 2\x7f" "3 4",              // nor is DEL
      "1\xa0" "2 3",                // nor a non-breaking space
      "1,5 2",                      // the wrong decimal separator
      "1e308 1",                    // doubling overflows
      "nan 1",
  };
  for (const std::string& text : bad) {
    qCurve curve = occupied();
    EXPECT_EQ(curve.LoadFromClipBoard(text), kClipboardProblem) << text;
    EXPECT_EQ(curve.GetLength(), 0) << text;
    EXPECT_EQ(curve.Centre(), qCoord()) << text;
  }
}

TEST_F(CurveText, LargeClipboardTextLoads) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += std::to_string(i) + "\t-0.5\r\n";
  qCurve curve;
  EXPECT_EQ(curve.LoadFromClipBoard(text), std::nullopt);
  ASSERT_EQ(curve.GetLength(), 200000);
  EXPECT_EQ(curve.Points().back(), qCoord(399998, -1));
}

}  // namespace
}  // namespace zorva
