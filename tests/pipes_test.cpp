// Named pipes and devices where the program expects a file: refused at once, never waited on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "config/config.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/soundlib.h"
#include "test_support.h"

namespace {

// Runs f on a helper thread; false when it is still busy after a bound far above any file read.
// A read stuck opening the pipe is freed by opening the pipe's other end, so a failing test ends.
bool DoneWithoutWaiting(const std::string &fifo, const std::function<void()> &f) {
  auto done = std::async(std::launch::async, f);
  if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return true;
  const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
  done.wait();
  return false;
}

}  // namespace

TEST(Pipes, ConfigPicturesAndSoundsThatAreNotFilesAreRefusedAtOnce) {
  TempDir dir;
  for (const char *name : {"Config.ini", "im_pelko.png", "beep.wav"})
    ASSERT_EQ(::mkfifo((dir.path + name).c_str(), 0600), 0) << name;

  Config cfg;
  cfg.program_folder = dir.path;
  std::string message;
  ConfigStatus status = ConfigStatus::Ok;
  EXPECT_TRUE(DoneWithoutWaiting(dir.path + "Config.ini", [&] { status = Cfg_Read(cfg, &message); }));
  EXPECT_EQ(status, ConfigStatus::MainUnreadable);
  EXPECT_EQ(message, "Configuration file (Config.ini) is not a regular file. Please reinstall the game.");

  PictureRef pic = Img_Placeholder();
  std::string error;
  EXPECT_TRUE(DoneWithoutWaiting(dir.path + "im_pelko.png", [&] { pic = Img_Load(dir.path + "im_pelko.png", &error); }));
  EXPECT_EQ(pic, nullptr);
  // A device that never ends is not read either.
  std::string bytes;
  FileProblem problem;
  EXPECT_FALSE(Sys_Read_File("/dev/zero", bytes, 1u << 20, &problem));
  EXPECT_EQ(problem.kind, FileProblem::NotAFile);

  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::unique_ptr<SoundLib> lib = Plat_Create_SoundLib();
  lib->Init(22050, 64);
  lib->SetOutput(2);
  SampleHandle h = &pic;
  EXPECT_TRUE(DoneWithoutWaiting(dir.path + "beep.wav", [&] {
    h = lib->SampleLoad(dir.path + "beep.wav", 60000);
    SDL_TLSCleanup();  // the sound library keeps its error text per thread; this thread ends here
  }));
  EXPECT_EQ(h, nullptr);
  lib->Close();
  unsetenv("SDL_AUDIODRIVER");
}
