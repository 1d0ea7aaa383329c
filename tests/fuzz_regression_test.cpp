// Inputs the fuzz targets and public test suites found troublesome (tests/data/fuzz/<decoder>/,
// tests/data/corpora/), replayed here. Each costly input is decoded in a child process under a
// CPU-time limit and an address-space limit, and its CPU time and peak memory are checked: a
// hostile header may claim anything, the decoder must refuse it cheaply.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/image.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using Decoder = PictureRef (*)(const void *, size_t, std::string *);

#if defined(__SANITIZE_ADDRESS__)
constexpr double kCpuSeconds = 6.0;  // the sanitizers slow decoding several times
constexpr long kPeakMb = 400;
#else
constexpr double kCpuSeconds = 2.0;
constexpr long kPeakMb = 100;
#endif

std::vector<fs::path> Files(const fs::path &dir, const std::string &prefix = "") {
  std::vector<fs::path> out;
  for (const fs::directory_entry &e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    const std::string ext = e.path().extension().string();
    if ((ext == ".png" || ext == ".jpg") && name.rfind(prefix, 0) == 0) out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Every file must be refused with a one-line reason, cheaply.
void ReplayRefused(const std::vector<fs::path> &files, Decoder decode) {
  ASSERT_FALSE(files.empty());
  for (const fs::path &file : files) {
    SCOPED_TRACE(file.string());
    std::string bytes;
    ASSERT_TRUE(Sys_Read_File(file.string(), bytes));
    const ChildCost c = Run_In_Child([&] {
      std::string error;
      const PictureRef pic = decode(bytes.data(), bytes.size(), &error);
      return pic ? 1 : error.empty() || error.find('\n') != std::string::npos ? 2 : 0;
    }, 20, 3072);
    EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
    EXPECT_EQ(c.status, 0) << (c.status == 1 ? "accepted" : "refused without a proper reason");
    EXPECT_LT(c.cpu, kCpuSeconds) << "CPU seconds";
    EXPECT_LT(c.peak_mb, kPeakMb) << "peak memory in MB";
    std::printf("  %-45s %6.3f s CPU %5ld MB\n", file.filename().string().c_str(), c.cpu, c.peak_mb);
  }
}

const fs::path kData = KT_TEST_DATA;

}  // namespace

// Headers that claim 8192 x 8192 pixels over a few bytes of data, text chunks that claim or
// inflate to a gigabyte, files cut between scans or in arithmetic-coded data, 10 001 scans.
TEST(FuzzRegression, HostileInputsAreRefusedCheaply) {
  ReplayRefused(Files(kData / "fuzz" / "png"), Img_Decode_Png);
  ReplayRefused(Files(kData / "fuzz" / "jpeg"), Img_Decode_Jpeg);
  ReplayRefused(Files(kData / "corpora" / "libpng" / "crashers", "huge_"), Img_Decode_Png);
}

// The PNG conformance suite: every valid file decodes to its own size, every corrupt one (names
// starting with x) is refused; the JPEG test pictures decode, except the 12-bit one.
TEST(FuzzRegression, PublicTestSuitesDecodeOrAreRefusedAsTheyShould) {
  int valid = 0, corrupt = 0;
  for (const fs::path &file : Files(kData / "corpora" / "pngsuite")) {
    SCOPED_TRACE(file.string());
    std::string bytes, error;
    ASSERT_TRUE(Sys_Read_File(file.string(), bytes));
    const PictureRef pic = Img_Decode_Png(bytes.data(), bytes.size(), &error);
    const std::string name = file.filename().string();
    if (name[0] == 'x') {
      EXPECT_FALSE(pic);
      ++corrupt;
      continue;
    }
    EXPECT_TRUE(pic) << error;
    ++valid;
  }
  EXPECT_EQ(valid, 161);
  EXPECT_EQ(corrupt, 14);
  for (const char *name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg", "monkey12.jpg"}) {
    SCOPED_TRACE(name);
    std::string bytes, error;
    ASSERT_TRUE(Sys_Read_File((kData / "corpora" / "libjpeg-turbo" / name).string(), bytes));
    const PictureRef pic = Img_Decode_Jpeg(bytes.data(), bytes.size(), &error);
    if (std::string(name) == "monkey12.jpg") {
      EXPECT_FALSE(pic);
    } else {
      ASSERT_TRUE(pic) << error;
      EXPECT_EQ(pic->width, 227);
      EXPECT_EQ(pic->height, 149);
    }
  }
}
