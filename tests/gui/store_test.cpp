// The settings store over Qt: a per-user file under XDG_CONFIG_HOME, values kept as text,
// flushed at every write, garbage read as the default.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <vector>
#include <sstream>

#include "platform/qt/qt_platform.h"

namespace {

std::string ReadAll(const QString &path) {
  std::ifstream in(path.toStdString());
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Qt works out the per-user configuration folder once per process, so all cases share one
// folder and each starts from an empty settings file.
class QtStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", dir_->path().toLocal8Bit());
  }
  static void TearDownTestSuite() { delete dir_; }
  void SetUp() override {
    ASSERT_TRUE(dir_->isValid());
    folder_ = dir_->path() + "/Zandrel";
    file_ = folder_ + "/KTuskoSE50.conf";
    QFile::remove(file_);
  }
  void TearDown() override {
    if (mounted_) umount2(folder_.toLocal8Bit().constData(), MNT_DETACH);
    QFile(folder_).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(file_).removeRecursively();
    QFile::remove(file_);
  }
  // A small file system of its own in the settings folder; false (with the reason) when this
  // process may not mount one.
  bool MountFolder(const char *options) {
    QDir(folder_).removeRecursively();
    QDir().mkpath(folder_);
    if (mount("tmpfs", folder_.toLocal8Bit().constData(), "tmpfs", 0, options) != 0) {
      mount_error_ = std::strerror(errno);
      return false;
    }
    mounted_ = true;
    return true;
  }
  QString folder_;
  std::string mount_error_;
  bool mounted_ = false;
  static QTemporaryDir *dir_;
  QString file_;
};
QTemporaryDir *QtStoreTest::dir_ = nullptr;

}  // namespace

TEST_F(QtStoreTest, WritesReachTheFileAtOnceAsText) {
  QtStore store;
  store.WriteInteger("HiScore1", 123);
  store.WriteBool("SplashScreen", false);
  store.WriteInteger("SoundMode", -1);
  // Read the file while the store is still open: nothing waits for shutdown.
  const std::string text = ReadAll(file_);
  EXPECT_NE(text.find("HiScore1=123"), std::string::npos) << text;
  EXPECT_NE(text.find("SplashScreen=0"), std::string::npos) << text;
  EXPECT_NE(text.find("SoundMode=-1"), std::string::npos) << text;
}

TEST_F(QtStoreTest, SeveralValuesReachTheFileInOneWrite) {
  QtStore store;
  store.WriteInteger("HiScore1", 7);
  EXPECT_TRUE(store.WriteTexts({{"Key1", "44"}, {"Key8", "42"}}));
  const std::string text = ReadAll(file_);
  EXPECT_NE(text.find("Key1=44"), std::string::npos) << text;
  EXPECT_NE(text.find("Key8=42"), std::string::npos) << text;
  EXPECT_NE(text.find("HiScore1=7"), std::string::npos) << text;
}

TEST_F(QtStoreTest, ReadsDefaultsForMissingAndGarbageValues) {
  {
    QFile f(file_);
    QDir().mkpath(dir_->path() + "/Zandrel");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\nKey1=abc\nKey2=12x\nKey3=7\nHiScore2=\nSplashScreen=0\nSoundMode=  2\n\x01\x02garbage line\n");
  }
  QtStore store;
  EXPECT_EQ(store.ReadInteger("Key1", 2), 2);
  EXPECT_EQ(store.ReadInteger("Key2", 3), 3);
  EXPECT_EQ(store.ReadInteger("Key3", 4), 7);
  EXPECT_EQ(store.ReadInteger("HiScore2", 0), 0);
  EXPECT_EQ(store.ReadInteger("HiScore1", 0), 0);
  EXPECT_FALSE(store.ReadBool("SplashScreen", true));
  EXPECT_EQ(store.ReadInteger("SoundMode", -1), 2);
  EXPECT_TRUE(store.ReadBool("Missing", true));
}

TEST_F(QtStoreTest, ValuesSurviveANewStore) {
  {
    QtStore store;
    store.WriteInteger("Key8", 44);
  }
  QtStore again;
  EXPECT_EQ(again.ReadInteger("Key8", 42), 44);
}

// Writes that cannot reach the disk: each is reported with the file's path and the system's reason,
// the value stays readable for the rest of the run, and a settings file already there stays whole.
TEST_F(QtStoreTest, FailedWritesAreReportedAndLeaveTheFileWhole) {
  const std::string old_text = "[General]\nHiScore1=5\nKey1=2\n";
  auto write_old_file = [&] {
    std::ofstream(file_.toStdString()) << old_text;
  };
  struct Case {
    const char *name;
    std::function<bool(std::string *skip)> make;  // false: cannot be made here, *skip says why
    const char *reason;
  };
  const Case cases[] = {
      {"a folder in the way of the file",
       [&](std::string *) { return QDir().mkpath(file_ + "/sub"); }, "folder of that name is in the way"},
      {"a read-only folder",
       [&](std::string *skip) {
         if (geteuid() == 0) {
           *skip = "root writes into read-only folders";
           return false;
         }
         QDir().mkpath(folder_);
         write_old_file();
         return QFile(folder_).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
       },
       "Permission denied"},
      {"a read-only file system",
       [&](std::string *skip) {
         if (!MountFolder("size=64k")) return *skip = "cannot mount: " + mount_error_, false;
         write_old_file();
         if (mount("tmpfs", folder_.toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
           return *skip = std::string("cannot remount read-only: ") + std::strerror(errno), false;
         return true;
       },
       "Read-only file system"},
      {"a full file system",
       [&](std::string *skip) {
         if (!MountFolder("size=64k")) return *skip = "cannot mount: " + mount_error_, false;
         write_old_file();
         std::ofstream filler((folder_ + "/filler").toStdString());
         const std::string block(4096, 'x');
         while (filler.write(block.data(), block.size()) && filler.flush()) {}
         return true;
       },
       "No space left on device"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string skip;
    if (!c.make(&skip)) {
      std::printf("[  SKIPPED ] %s: %s\n", c.name, skip.c_str());
      TearDown();
      continue;
    }
    const bool had_file = QFileInfo(file_).isFile();
    {
      QtStore store;
      std::vector<std::string> told;
      store.write_failed = [&](const std::string &why) { told.push_back(why); };
      EXPECT_FALSE(store.WriteInteger("HiScore1", 77));
      ASSERT_EQ(told.size(), 1u);
      EXPECT_NE(told[0].find(file_.toStdString()), std::string::npos) << told[0];
      EXPECT_NE(told[0].find(c.reason), std::string::npos) << told[0];
      EXPECT_EQ(store.ReadInteger("HiScore1", 0), 77);
    }
    if (had_file) {
      EXPECT_EQ(ReadAll(file_), old_text);
    }
    TearDown();
  }
}

// A named pipe in place of the settings file is never opened (opening it would wait for a writer
// for ever): the player is told at each write, with the path and what is wrong, values are kept
// for the run, and once the pipe is gone the next write saves them all. Each step runs on a
// helper thread, bounded; a step stuck on the pipe is freed from the pipe's other end.
TEST_F(QtStoreTest, APipeInPlaceOfTheFileIsNeverOpened) {
  QDir().mkpath(folder_);
  const std::string fifo = file_.toStdString();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> told;
  bool first_write = true, second_write = false;
  int held = 0;
  auto steps = std::async(std::launch::async, [&] {
    QtStore store;
    store.write_failed = [&](const std::string &why) { told.push_back(why); };
    first_write = store.WriteInteger("HiScore1", 77);
    store.WriteInteger("Key1", 5);
    held = store.ReadInteger("HiScore1", 0);
    ::unlink(fifo.c_str());
    second_write = store.WriteInteger("HiScore2", 9);
  });
  if (steps.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    steps.wait();
    FAIL() << "the store waited on the pipe";
  }
  EXPECT_FALSE(first_write);
  ASSERT_EQ(told.size(), 2u);  // both writes while the pipe was there
  EXPECT_NE(told[0].find(fifo), std::string::npos) << told[0];
  EXPECT_NE(told[0].find("named pipe"), std::string::npos) << told[0];
  EXPECT_EQ(held, 77);
  EXPECT_TRUE(second_write);
  const std::string text = ReadAll(file_);
  for (const char *v : {"HiScore1=77", "Key1=5", "HiScore2=9"}) EXPECT_NE(text.find(v), std::string::npos) << text;
}

