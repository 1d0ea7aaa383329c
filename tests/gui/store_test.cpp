// The settings store over Qt: a per-user file under XDG_CONFIG_HOME, values kept as text,
// flushed at every write, garbage read as the default.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>
#include <sstream>

#include "platform/qt/qt_instance.h"
#include "platform/qt/qt_platform.h"

namespace {

// While it lives, root's power to read and write any file is taken from this thread (capabilities
// belong to threads), so that files' permissions hold for root as they do for a player.
class NoFileOverride {
 public:
  NoFileOverride() {
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct less[2] = {saved_[0], saved_[1]};
    less[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = syscall(SYS_capset, &header_, less) == 0;
  }
  ~NoFileOverride() {
    if (active_) syscall(SYS_capset, &header_, saved_);
  }
  // Whether files' permissions hold for this thread now.
  bool Holds() const { return active_ || geteuid() != 0; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
};

// What f printed on the standard error.
std::string Stderr(const std::function<void()> &f) {
  std::fflush(stderr);
  const int saved = dup(2);
  FILE *out = std::tmpfile();
  dup2(fileno(out), 2);
  f();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

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
    if (mounted_) umount2(mounted_at_.toLocal8Bit().constData(), MNT_DETACH);
    mounted_ = false;
    QFile(folder_).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(file_).removeRecursively();
    QFile::remove(file_);
  }
  // A small file system of its own at folder (the settings folder by default), seen only by this
  // test process: the mount lives in a mount namespace of its own. False (with the reason) when
  // this process may not make one.
  bool MountFolder(const char *options, const QString &folder = {}) {
    const QString at = folder.isEmpty() ? folder_ : folder;
    QDir(at).removeRecursively();
    QDir().mkpath(at);
    static const int unshared = unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                                    ? 0
                                    : errno;
    if (unshared) {
      mount_error_ = std::string("no mount namespace: ") + std::strerror(unshared);
      return false;
    }
    if (mount("tmpfs", at.toLocal8Bit().constData(), "tmpfs", 0, options) != 0) {
      mount_error_ = std::strerror(errno);
      return false;
    }
    mounted_ = true;
    mounted_at_ = at;
    return true;
  }
  QString folder_, mounted_at_;
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

TEST_F(QtStoreTest, WhileAskedUnchangedValuesAreNotRewrittenAndEverythingElseIs) {
  {
    QtStore first;
    first.WriteTexts({{"SoundMode", "2"}, {"SplashScreen", "0"}});
  }
  // Whether the file was replaced since the last call: a second name for it keeps its inode
  // from being reused by the replacement.
  const std::string file = file_.toStdString(), probe = file + ".probe";
  const auto rewritten = [&] {
    struct stat a {}, b {};
    const bool replaced = ::stat(file.c_str(), &a) != 0 || ::stat(probe.c_str(), &b) != 0 || a.st_ino != b.st_ino;
    ::unlink(probe.c_str());
    EXPECT_EQ(::link(file.c_str(), probe.c_str()), 0);
    return replaced;
  };
  rewritten();
  QtStore store;
  store.LeaveUnchangedUnwritten(true);
  store.WriteInteger("SoundMode", 2);
  store.WriteBool("SplashScreen", false);
  EXPECT_FALSE(rewritten()) << "a value the file holds as it is was rewritten";
  store.WriteText("Key1", "");
  EXPECT_TRUE(rewritten()) << "a value the file lacks (even an empty one) was not written";
  store.WriteInteger("SoundMode", 1);
  EXPECT_TRUE(rewritten());
  EXPECT_NE(ReadAll(file_).find("SoundMode=1"), std::string::npos);
  store.LeaveUnchangedUnwritten(false);
  store.WriteInteger("SoundMode", 1);
  EXPECT_TRUE(rewritten()) << "once asked no more, every write rewrites the file";
  ::unlink(probe.c_str());
}

TEST_F(QtStoreTest, NewFilesLeftByCopiesThatEndedMidWriteAreRemoved) {
  // The pid of a process that has ended, and of one that runs (the test's parent).
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  QDir().mkpath(folder_);
  const QString dead = file_ + ".new-" + QString::number(child) + "-0";
  const QString alive = file_ + ".new-" + QString::number(getppid()) + "-3";
  const QString other = folder_ + "/Other.conf.new-" + QString::number(child) + "-0";
  for (const QString &f : {dead, alive, other}) {
    QFile w(f);
    ASSERT_TRUE(w.open(QIODevice::WriteOnly));
  }
  QtStore store;
  EXPECT_TRUE(QFile::exists(dead)) << "nothing is removed before the store writes";
  store.WriteInteger("HiScore1", 5);
  EXPECT_FALSE(QFile::exists(dead));
  EXPECT_TRUE(QFile::exists(alive));
  EXPECT_TRUE(QFile::exists(other));
  EXPECT_EQ(QDir(folder_).entryList(QDir::Files).size(), 3) << QDir(folder_).entryList(QDir::Files).join(' ').toStdString();
  QFile::remove(alive);
  QFile::remove(other);
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
// Once the cause is gone, the next write succeeds without a report and saves everything.
TEST_F(QtStoreTest, FailedWritesAreReportedAndLeaveTheFileWhole) {
  const std::string old_text = "[General]\nHiScore1=5\nKey1=2\n";
  const NoFileOverride no_override;
  auto write_old_file = [&] {
    std::ofstream(file_.toStdString()) << old_text;
  };
  const QByteArray folder = folder_.toLocal8Bit();
  struct Case {
    const char *name;
    std::function<bool(std::string *skip)> make;  // false: cannot be made here, *skip says why
    std::function<void()> undo;
    const char *reason;
  };
  const Case cases[] = {
      {"a folder in the way of the file",
       [&](std::string *) { return QDir().mkpath(file_ + "/sub"); }, [&] { QDir(file_).removeRecursively(); },
       "folder of that name is in the way"},
      {"a read-only folder",
       [&](std::string *skip) {
         if (!no_override.Holds()) {
           *skip = "root writes into read-only folders";
           return false;
         }
         QDir().mkpath(folder_);
         write_old_file();
         return QFile(folder_).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
       },
       [&] { QFile(folder_).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); },
       "Permission denied"},
      {"a read-only file system",
       [&](std::string *skip) {
         if (!MountFolder("size=64k")) return *skip = "cannot mount: " + mount_error_, false;
         write_old_file();
         if (mount("tmpfs", folder.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
           return *skip = std::string("cannot remount read-only: ") + std::strerror(errno), false;
         return true;
       },
       [&] { mount("tmpfs", folder.constData(), "tmpfs", MS_REMOUNT, "size=64k"); }, "Read-only file system"},
      {"a full file system with one block free",
       [&](std::string *skip) {
         if (!MountFolder("size=64k")) return *skip = "cannot mount: " + mount_error_, false;
         write_old_file();
         const std::string filler = (folder_ + "/filler").toStdString();
         {
           std::ofstream out(filler);
           const std::string block(4096, 'x');
           while (out.write(block.data(), block.size()) && out.flush()) {}
         }
         return truncate(filler.c_str(), std::ifstream(filler, std::ios::ate).tellg() / 4096 * 4096 - 4096) == 0;
       },
       [&] { QFile::remove(folder_ + "/filler"); }, "No space left on device"},
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
      // A value large enough to need a second block.
      const std::string big(6000, '7');
      EXPECT_FALSE(store.WriteText("Big", big));
      ASSERT_EQ(told.size(), 1u);
      EXPECT_NE(told[0].find(file_.toStdString()), std::string::npos) << told[0];
      EXPECT_NE(told[0].find(c.reason), std::string::npos) << told[0];
      EXPECT_FALSE(store.WriteInteger("HiScore1", 77));
      EXPECT_EQ(store.ReadInteger("HiScore1", 0), 77);
      if (had_file) {
        EXPECT_EQ(ReadAll(file_), old_text);
      }
      c.undo();
      EXPECT_TRUE(store.WriteInteger("Key2", 9));
      EXPECT_EQ(told.size(), 2u);
      const std::string text = ReadAll(file_);
      for (const std::string &v : {std::string("HiScore1=77"), std::string("Key2=9"), "Big=" + big})
        EXPECT_NE(text.find(v + "\n"), std::string::npos) << text;
      if (had_file) {
        EXPECT_NE(text.find("Key1=2\n"), std::string::npos) << text;
      }
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


// Players' files were written by the settings library: a file it wrote reads the same value for
// value, the same values written by the store give the same bytes, and a file edited by hand
// (comments, quotes, lists, escapes, other sections, Windows line ends) reads as the library read
// it and keeps what the store does not write.
TEST_F(QtStoreTest, FilesReadAndWriteAsTheyAlwaysHave) {
  QDir().mkpath(folder_);
  const std::vector<std::pair<QString, QString>> values = {
      {"Key1", "2"},           {"HiScore1", "999"},       {"SoundMode", "-1"},         {"SplashScreen", "0"},
      {"WindowGeometry", "10,20,1280,720"},               {"Empty", ""},               {"At", "@home"},
      {"Spaces", " a b "},     {"Quotes", "say \"x\"\\y;z=1"},                          {"Controls", "a\tb\nc\x01" "2\x1f"},
      {"Utf8", QString::fromUtf8("\xc3\xa9\xe2\x82\xac")}, {"lower", "1"},
  };
  auto reference = [&](const QString &path, auto &&fill) {
    QSettings settings(path, QSettings::IniFormat);
    fill(settings);
  };
  const QString ref_file = dir_->path() + "/reference.conf";
  QFile::remove(ref_file);
  reference(ref_file, [&](QSettings &s) {
    for (const auto &[k, v] : values) s.setValue(k, v);
  });
  QFile::copy(ref_file, file_);
  {
    QtStore store;
    for (const auto &[k, v] : values) EXPECT_EQ(store.ReadText(k.toStdString()), v.toStdString()) << k.toStdString();
  }
  QFile::remove(file_);
  {
    QtStore store;
    for (const auto &[k, v] : values) store.WriteText(k.toStdString(), v.toStdString());
  }
  EXPECT_EQ(ReadAll(file_), ReadAll(ref_file));

  const char *edited =
      "; made by hand\r\ntop = 1\r\n[Zeta]\r\nz=1\r\n\r\n[general]\r\nA=v ; comment\r\n#B=2\r\nC = \"x\" y \r\n"
      "D=a\\\r\nb\r\nE=\\x41\\101z\r\nF=a, b\r\nG=\"1,2\"\r\nH=@@x\r\nI=@Invalid()\r\nJ=\\\"q\\\"\r\n[Alpha]\r\nq=1,2\r\n"
      "[General]\r\nK=  padded  \r\nA=second\r\n";
  std::ofstream(file_.toStdString(), std::ios::binary) << edited;
  auto library_reads = [&](const QString &copy) {
    std::map<std::string, std::string> seen;
    reference(copy, [&](QSettings &s) {
      for (const QString &k : s.allKeys()) seen[k.toStdString()] = s.value(k).toString().toStdString();
    });
    return seen;
  };
  QFile::copy(file_, dir_->path() + "/edited.conf");
  const std::map<std::string, std::string> before = library_reads(dir_->path() + "/edited.conf");
  {
    QtStore store;
    for (const auto &[k, v] : before)
      if (k.find('/') == std::string::npos && k != "I") {
        EXPECT_EQ(store.ReadText(k).value_or("(none)"), v) << k;
      }
    EXPECT_FALSE(store.ReadText("I"));
    EXPECT_TRUE(store.WriteText("Key1", "5"));
  }
  QFile::copy(file_, dir_->path() + "/rewritten.conf");
  std::map<std::string, std::string> after = library_reads(dir_->path() + "/rewritten.conf");
  EXPECT_EQ(after["Key1"], "5");
  after.erase("Key1");
  EXPECT_EQ(after, before);
}

// A settings file larger than the store reads, or one it cannot read, is never overwritten however
// many writes the run makes: the player is told at each, and the file stays as it was. One of
// exactly the largest size is read.
TEST_F(QtStoreTest, AFileTooLargeOrUnreadableIsLeftAsItIs) {
  const NoFileOverride no_override;
  QDir().mkpath(folder_);
  struct Case {
    int64_t size;
    bool readable;
    const char *told;  // nullptr: read and written
  };
  for (const Case &c : {Case{QtStore::kMaxFileBytes, true, nullptr},
                        Case{QtStore::kMaxFileBytes + 1, true, "it is larger than 1 MB"},
                        Case{100, false, "it cannot be read (Permission denied)"}}) {
    SCOPED_TRACE(c.told ? c.told : "read");
    if (!c.readable && !no_override.Holds()) continue;
    std::string text = "[General]\nHiScore1=5\n;";
    text += std::string(static_cast<size_t>(c.size) - text.size() - 1, 'x') + "\n";
    QFile::remove(file_);
    std::ofstream(file_.toStdString(), std::ios::binary) << text;
    if (!c.readable) chmod(file_.toLocal8Bit().constData(), 0200);
    QtStore store;
    std::vector<std::string> told;
    store.write_failed = [&](const std::string &why) { told.push_back(why); };
    EXPECT_EQ(store.ReadInteger("HiScore1", 0), c.told ? 0 : 5);
    EXPECT_EQ(store.WriteInteger("Key1", 4), !c.told);
    EXPECT_EQ(store.WriteInteger("Key2", 3), !c.told);
    EXPECT_EQ(store.ReadInteger("Key1", 0), 4);
    chmod(file_.toLocal8Bit().constData(), 0600);
    if (!c.told) {
      EXPECT_TRUE(told.empty());
      EXPECT_EQ(ReadAll(file_), "[General]\nHiScore1=5\nKey1=4\nKey2=3\n");
    } else {
      ASSERT_EQ(told.size(), 2u);
      EXPECT_NE(told[0].find(file_.toStdString() + ": " + c.told), std::string::npos) << told[0];
      EXPECT_TRUE(ReadAll(file_) == text);
    }
  }
}

// Whatever is left beside the settings file under the name of the settings library's lock (a
// folder, a link to nowhere, garbage) never holds up the store: it is made and written at once.
TEST_F(QtStoreTest, OldLockFilesBesideTheSettingsNeverHoldTheStoreUp) {
  const QString lock = file_ + ".lock";
  const std::vector<std::pair<const char *, std::function<void()>>> cases = {
      {"a folder", [&] { QDir().mkpath(lock); }},
      {"a link to nowhere", [&] { QFile::link(dir_->path() + "/nowhere/x", lock); }},
      {"garbage", [&] { std::ofstream(lock.toStdString()) << "garbage\n\x01\x02"; }},
  };
  for (const auto &[name, make] : cases) {
    SCOPED_TRACE(name);
    QDir().mkpath(folder_);
    make();
    auto steps = std::async(std::launch::async, [&] {
      QtStore store;
      return store.WriteInteger("HiScore2", 12);
    });
    if (steps.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      std::printf("%s: the store waited on the old lock\n", name);
      std::fflush(stdout);
      _exit(1);  // it would wait for ever
    }
    EXPECT_TRUE(steps.get());
    EXPECT_NE(ReadAll(file_).find("HiScore2=12"), std::string::npos);
    QDir(lock).removeRecursively();
    QFile::remove(lock);
  }
}

// One copy per settings folder, whatever was left beside the settings under the name of the older
// lock file (unreadable, a link to nowhere, a folder, a pipe): a second copy is refused and asks
// the first to come to the front, which hears it; nothing is left in the temporary folder. When the
// folder cannot even be made (a read-only file system), the message gives the reason of the call
// that failed, and still only one copy runs.
TEST_F(QtStoreTest, OneCopyRunsWhateverLiesBesideTheSettings) {
  const NoFileOverride no_override;
  QTemporaryDir tmp;
  const QByteArray old_tmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", tmp.path().toLocal8Bit());
  const QString lock = folder_ + "/KTuskoSE50.lock";
  const std::vector<std::pair<const char *, std::function<void()>>> cases = {
      {"nothing", [] {}},
      {"an unreadable lock file",
       [&] {
         std::ofstream(lock.toStdString()) << "";
         chmod(lock.toLocal8Bit().constData(), 0);
       }},
      {"a link to nowhere", [&] { QFile::link(dir_->path() + "/nowhere/x", lock); }},
      {"a folder", [&] { QDir().mkpath(lock + "/sub"); }},
      {"a pipe", [&] { mkfifo(lock.toLocal8Bit().constData(), 0600); }},
  };
  auto one_copy = [&](const QString &settings) {
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(settings));
    bool asked = false;
    QObject::connect(&first, &InstanceLock::FrontRequested, [&] { asked = true; });
    {
      InstanceLock second;
      EXPECT_FALSE(second.Acquire(settings));
      EXPECT_TRUE(second.AskRunningToFront());
    }
    for (int i = 0; i < 200 && !asked; ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(10);
    }
    EXPECT_TRUE(asked);
    EXPECT_TRUE(QDir(tmp.path()).isEmpty(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot));
  };
  for (const auto &[name, make] : cases) {
    SCOPED_TRACE(name);
    QDir().mkpath(folder_);
    make();
    one_copy(file_);
    InstanceLock after;
    EXPECT_TRUE(after.Acquire(file_));  // the first copy has ended
    QDir(lock).removeRecursively();
    QFile::remove(lock);
  }

  const QString ro = dir_->path() + "/ro";
  if (!MountFolder("size=64k,ro", ro)) {
    std::printf("[  SKIPPED ] a read-only file system: %s\n", mount_error_.c_str());
  } else {
    SCOPED_TRACE("a read-only file system");
    const std::string told = Stderr([&] { one_copy(ro + "/Zandrel/KTuskoSE50.conf"); });
    EXPECT_NE(told.find("Read-only file system"), std::string::npos) << told;
  }
  if (old_tmp.isNull())
    qunsetenv("TMPDIR");
  else
    qputenv("TMPDIR", old_tmp);
}
