// The settings store over Qt: a per-user file under XDG_CONFIG_HOME, values kept as text,
// flushed at every write, garbage read as the default.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
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
    file_ = dir_->path() + "/Zandrel/KTuskoSE50.conf";
    QFile::remove(file_);
  }
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
