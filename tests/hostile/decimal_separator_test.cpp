// Numbers written under one locale read under another: "." and "," are both
// decimal separators when reading, and writing uses the user's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "curves/curve.h"
#include "hostile/run_render.h"
#include "settings/ini_file.h"
#include "settings/number_format.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::runRender;
using test::TempDir;

const std::string kExamples = std::string(ZORVA_SOURCE_DIR) + "/examples/";

TEST(DecimalSeparator, BothAreReadWhateverTheUsersIs) {
  const std::string saved = decimalSeparator();
  for (const char* user : {".", ","}) {
    setDecimalSeparator(user);
    EXPECT_EQ(parseFloat("1.5"), 1.5) << user;
    EXPECT_EQ(parseFloat("-0,25E2"), -25.0) << user;
    EXPECT_FALSE(parseFloat("1.5,5")) << user;
    qCurve curve;
    EXPECT_EQ(curve.LoadFromClipBoard("0,25 0.5"), std::nullopt) << user;
    EXPECT_EQ(curve.GetXofI(0), 0.5);
    EXPECT_EQ(curve.GetYofI(0), 1.0);
  }
  // Writing keeps the user's.
  EXPECT_EQ(formatFloat(0.1), "0,1");
  setDecimalSeparator(".");
  EXPECT_EQ(formatFloat(0.1), "0.1");
  setDecimalSeparator(saved);
}

// zorva-render under a German locale, made with localedef in a folder of the
// test's own (LOCPATH), so nothing needs installing system-wide but the
// locale sources of Debian's "locales" package.
class CommaLocale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDir>();
    const std::string command = "localedef -i de_DE -f UTF-8 '" + folder_->file("de_DE.UTF-8") + "' >/dev/null 2>&1";
    made_ = std::system(command.c_str()) == 0 && std::filesystem::exists(folder_->file("de_DE.UTF-8/LC_NUMERIC"));
    // glibc keeps the LOCPATH it parsed for the life of the process, which
    // LeakSanitizer would report at exit.
    test::writeFile(folder_->file("lsan.supp"), "leak:__argz_add_sep\n");
  }
  static void TearDownTestSuite() { folder_.reset(); }
  void SetUp() override {
    if (!made_)
      GTEST_SKIP() << "cannot make the de_DE.UTF-8 locale: localedef or the locale sources in /usr/share/i18n "
                      "(Debian package locales, installed by scripts/setup.sh) are missing";
  }
  std::vector<std::string> env() const {
    const char* lsan = std::getenv("LSAN_OPTIONS");
    return {"LOCPATH=" + folder_->path().string(), "LC_ALL=de_DE.UTF-8",
            std::string("LSAN_OPTIONS=") + (lsan ? std::string(lsan) + ":" : "") +
                "print_suppressions=0:suppressions=" + folder_->file("lsan.supp")};
  }
  test::RenderRun render(const std::vector<std::string>& args, const std::string& cwd = "") const {
    return runRender(args, cwd, env());
  }

  static std::unique_ptr<TempDir> folder_;
  static bool made_;
};
std::unique_ptr<TempDir> CommaLocale::folder_;
bool CommaLocale::made_ = false;

TEST_F(CommaLocale, ExampleSettingsAndCurvesReadWhole) {
  TempDir dir;
  std::filesystem::copy(kExamples, dir.path() / "ex");
  const std::string spiral = (dir.path() / "ex" / "spiral.ini").string();
  const std::string ribbons = (dir.path() / "ex" / "ribbons.ini").string();
  const std::string spiralText = readFile(spiral), ribbonsText = readFile(ribbons);
  // The same summary as under a locale with a decimal point.
  for (const std::string& file : {spiral, ribbons}) {
    const test::RenderRun comma = render({file, "--summary"});
    const test::RenderRun point = runRender({file, "--summary"}, "", {"LC_ALL=C"});
    ASSERT_FALSE(comma.hung || point.hung);
    EXPECT_EQ(comma.status, 0) << comma.err;
    EXPECT_EQ(comma.err, "");
    EXPECT_EQ(comma.out, point.out);
  }
  EXPECT_NE(render({ribbons, "--summary"}).out.find("keys read: 35\n"), std::string::npos);

  // A drawing made under the comma locale, redrawn under the point locale
  // from its saved set: the same picture.
  // --set takes either separator.
  const test::RenderRun drawn =
      render({spiral, "--stem", dir.file("comma"), "--set", "ImageWidth=120", "--set", "ImageHeight=90", "--set",
              "Steps=40", "--set", "SplodgeStartLimit=1.5", "--set", "EndGrain=250,5", "-q", "--seed", "4"});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_NE(readFile(dir.file("comma.ini")).find("SplodgeStartLimit=1,5"), std::string::npos);
  const test::RenderRun again =
      runRender({dir.file("comma.ini"), "-q", "--seed", "4", "--stem", dir.file("point")}, "", {"LC_ALL=C"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(readFile(dir.file("point.png")), readFile(dir.file("comma.png")));
  EXPECT_EQ(readFile(spiral), spiralText);
  EXPECT_EQ(readFile(ribbons), ribbonsText);
}

}  // namespace
}  // namespace zorva
