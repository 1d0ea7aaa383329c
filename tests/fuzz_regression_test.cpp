// Inputs the fuzz targets (fuzz/) found troublesome, kept under tests/data/fuzz/<decoder>/ and
// replayed here: each must be refused with a reason, and quickly, whatever its header claims.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/image.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr double kCpuSecondsPerFile = 0.5;
#else
constexpr double kCpuSecondsPerFile = 0.2;
#endif

void ReplayFolder(const std::string &name, PictureRef (*decode)(const void *, size_t, std::string *)) {
  const fs::path dir = fs::path(KT_TEST_DATA) / "fuzz" / name;
  int files = 0;
  for (const fs::directory_entry &entry : fs::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().string());
    std::string bytes;
    ASSERT_TRUE(Sys_Read_File(entry.path().string(), bytes));
    std::string error;
    const std::clock_t start = std::clock();
    const PictureRef pic = decode(bytes.data(), bytes.size(), &error);
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    EXPECT_EQ(pic, nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_LT(cpu, kCpuSecondsPerFile) << "decoding took " << cpu << " s of CPU";
    ++files;
  }
  EXPECT_GT(files, 0) << "no inputs in " << dir;
}

}  // namespace

// A 114-byte JPEG whose header claims 7936 x 7944 CMYK pixels: its scan runs out at once, and the
// decoder used to turn the whole made-up remainder into pixels before calling it truncated.
TEST(FuzzRegression, TruncatedHugeJpegIsRefusedWithoutDecodingTheRest) {
  ReplayFolder("jpeg", Img_Decode_Jpeg);
  std::string error;
  std::string bytes;
  ASSERT_TRUE(Sys_Read_File(std::string(KT_TEST_DATA) + "/fuzz/jpeg/slow_truncated_7936x7944_cmyk.jpg", bytes));
  EXPECT_EQ(Img_Decode_Jpeg(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_EQ(error, "JPEG: the file is truncated");
}
