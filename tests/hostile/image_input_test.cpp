// Images that are no images: a FIFO, a device, a huge file behind a small
// header. Each is refused at once with its reason, costing neither time nor
// memory, and left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostile/run_render.h"
#include "io/image_io.h"
#include "support/test_support.h"

namespace zorva {
namespace {

using test::readFile;
using test::runRender;
using test::TempDir;
using test::writeFile;

const std::vector<std::string> kSmall = {"--set", "ImageWidth=20", "--set", "ImageHeight=20", "--set", "Steps=2", "-q"};

test::RenderRun renderWith(const std::string& option, const std::string& image, const TempDir& dir) {
  std::vector<std::string> args = {option, image, "--stem", dir.file("out")};
  args.insert(args.end(), kSmall.begin(), kSmall.end());
  return runRender(args, dir.path().string());
}

void expectRefused(const test::RenderRun& run, const std::string& image, const std::string& reason) {
  ASSERT_FALSE(run.hung) << image;
  EXPECT_EQ(run.status, 1) << image;
  EXPECT_NE(run.err.find("Cannot read image \"" + image + "\": "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  if (!test::kSanitized) {
    EXPECT_LT(run.maxRssKb, test::kMemoryLimitKb) << image;
  }
}

// A FIFO is refused without waiting for a writer, a device without reading it.
TEST(ImageInput, AFifoOrADeviceIsRefusedUnread) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("f.png").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.file("z.jpg"));
  for (const char* option : {"--source-image", "--background-image"})
    for (const char* name : {"f.png", "z.jpg"}) expectRefused(renderWith(option, name, dir), name, "not a plain file");
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("f.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

// Files of 1000 MiB (sparse: no disk is used) whose header announces a small
// image: no image of that size needs them, so nothing beyond the header is read.
TEST(ImageInput, AHugeFileBehindASmallHeaderIsRefusedUnread) {
  TempDir dir;
  const std::uintmax_t huge = std::uintmax_t{1000} << 20;
  const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x0a\0\0\0\x0a\x08\x02\0\0\0", 29) +
                          std::string("\x02\x50\x58\xea", 4);
  const std::string jpeg =
      std::string("\xff\xd8\xff\xc0\0\x11\x08\0\x10\0\x10\x03\x01\x22\0\x02\x11\x01\x03\x11\x01", 21);
  std::string bmp = std::string("BM") + std::string(8, '\0') + std::string("\x36\0\0\0\x28\0\0\0", 8) +
                    std::string("\x04\0\0\0\x04\0\0\0\x01\0\x18\0", 12) + std::string(24, '\0');
  const std::vector<std::pair<std::string, std::string>> files = {
      {"big.png", png}, {"big.jpg", jpeg}, {"big.bmp", bmp}, {"zeros.png", ""}, {"zeros.jpg", ""}, {"zeros.bmp", ""}};
  for (const auto& [name, header] : files) {
    writeFile(dir.file(name), header);
    std::filesystem::resize_file(dir.file(name), huge);
    const bool small = !header.empty();
    const std::string reason = small ? "pixels can need" : "";
    expectRefused(renderWith("--background-image", name, dir), name, reason);
    EXPECT_EQ(std::filesystem::file_size(dir.file(name)), huge);
  }
}

// A real image with some trailing bytes, as some programs leave, still loads.
TEST(ImageInput, AnImageWithALittleTrailingDataStillLoads) {
  TempDir dir;
  const std::vector<std::uint8_t> rgb(5 * 3 * 3, 90);
  ASSERT_EQ(writePng(dir.file("ok.png"), 5, 3, rgb.data(), 15, nullptr), std::nullopt);
  writeFile(dir.file("tail.png"), readFile(dir.file("ok.png")) + std::string(1 << 20, 'x'));
  const auto result = loadImage(dir.file("tail.png"));
  ASSERT_TRUE(std::holds_alternative<RgbImage>(result)) << std::get<std::string>(result);
  EXPECT_EQ(std::get<RgbImage>(result).rgb, rgb);
}

}  // namespace
}  // namespace zorva
