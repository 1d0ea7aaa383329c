// Inputs the fuzz targets and public test suites found troublesome (tests/data/fuzz/<decoder>/,
// tests/data/corpora/), replayed here. Each costly input is decoded in a child process under a
// CPU-time limit and an address-space limit, and its CPU time and peak memory are checked: a
// hostile header may claim anything, the decoder must refuse it cheaply.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/image.h"

namespace {

namespace fs = std::filesystem;
using Decoder = PictureRef (*)(const void *, size_t, std::string *);

#if defined(__SANITIZE_ADDRESS__)
#define KT_ASAN 1
#endif
#ifdef KT_ASAN
constexpr double kCpuSeconds = 6.0;  // the sanitizers slow decoding several times
constexpr long kPeakMb = 400;
#else
constexpr double kCpuSeconds = 2.0;
constexpr long kPeakMb = 100;
#endif

// What a child process used, and how it ended.
struct Cost {
  bool exited = false;  // ended by itself, not by a signal (the CPU limit sends SIGXCPU)
  int status = -1;
  double cpu = 0;
  long peak_mb = 0;
};

// Runs job in a child with a hard CPU limit and (without the address sanitizer, which reserves
// terabytes) a 3 GB address-space limit that keeps a bad input from exhausting the machine; the
// limits are far above the checked figures, so a slow machine does not turn into a failure.
Cost RunLimited(const std::function<int()> &job) {
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit cpu{20, 20};
    setrlimit(RLIMIT_CPU, &cpu);
#ifndef KT_ASAN
    const rlimit as{3ul << 30, 3ul << 30};
    setrlimit(RLIMIT_AS, &as);
#endif
    _exit(job());
  }
  Cost c;
  int status = 0;
  rusage ru{};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) return c;
  c.exited = WIFEXITED(status);
  c.status = c.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  c.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  c.peak_mb = ru.ru_maxrss / 1024;
  return c;
}

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
    const Cost c = RunLimited([&] {
      std::string error;
      const PictureRef pic = decode(bytes.data(), bytes.size(), &error);
      return pic ? 1 : error.empty() || error.find('\n') != std::string::npos ? 2 : 0;
    });
    EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
    EXPECT_EQ(c.status, 0) << (c.status == 1 ? "accepted" : "refused without a proper reason");
    EXPECT_LT(c.cpu, kCpuSeconds) << "CPU seconds";
    EXPECT_LT(c.peak_mb, kPeakMb) << "peak memory in MB";
    std::printf("  %-45s %6.3f s CPU %5ld MB\n", file.filename().c_str(), c.cpu, c.peak_mb);
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
