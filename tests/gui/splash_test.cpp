// The splash window over a game window that runs on the virtual clock with a fixed screen and an
// in-memory store; message boxes, the end of the program and the desktop shell are recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/form1.h"
#include "app/qt/pictures.h"
#include "app/qt/splash.h"
#include "app/studio.h"

namespace {

// A sound library whose loads all fail: the stage jingle is missing.
class NoFilesSoundLib : public SoundLib {
 public:
  bool Init(int, int) override { return true; }
  bool SetOutput(int) override { return true; }
  SampleHandle SampleLoad(const std::string &, int32_t) override { return nullptr; }
  void Play(SampleHandle) override {}
  void StopAll() override {}
  void SampleFree(SampleHandle) override {}
  void Close() override {}
};

struct Rig {
  // The clock outlives the game window's timers.
  VirtualClock clock;
  FixedScreen screen{1024, 768};
  NoFilesSoundLib no_files;
  TForm1 form1;
  MemStore *store = nullptr;
  std::unique_ptr<TSplashForm> splash;
  std::vector<QString> boxes;
  int ends = 0;
  std::vector<std::string> opened;

  Rig() {
    auto s = std::make_unique<MemStore>();
    store = s.get();
    form1.store = std::move(s);
    form1.cfg.program_folder = "/nonexistent-ktusko/";
    form1.cfg.resources_path = "Resources\\Common\\";
    form1.snd.store = store;
    form1.snd.cfg = &form1.cfg;
    Game &g = form1.game;
    g.cfg = &form1.cfg;
    g.snd = &form1.snd;
    g.store = store;
    g.screen = &screen;
    g.timers = &clock;
    Gam_Create(g);
  }
  ~Rig() { form1.snd.lib = nullptr; }

  TSplashForm &Create() {
    splash = std::make_unique<TSplashForm>(form1);
    splash->error_box = [this](const QString &text) { boxes.push_back(text); };
    splash->end_program = [this] { ++ends; };
    splash->shell_open = [this](const std::string &what) { opened.push_back(what); };
    splash->FormCreate();
    return *splash;
  }
  bool Has(const std::string &name) const { return store->values.count(name) != 0; }
  std::string Value(const std::string &name) const { return Has(name) ? store->values.at(name) : "<none>"; }
};

// A key press as the keyboard delivers it to the focused element.
void Key(QWidget *target, int qt_key, const QString &text = QString()) {
  QKeyEvent press(QEvent::KeyPress, qt_key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
}

void Click(QWidget *target) {
  const QPointF at(5, 5);
  QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

bool PlayShown(const TSplashForm &s) {
  EXPECT_NE(s.btn_play->isVisibleTo(&s), s.btn_play_disabled->isVisibleTo(&s)) << "exactly one Play is shown";
  return s.btn_play->isVisibleTo(&s) && s.btn_play->isEnabled();
}

}  // namespace

TEST(Splash, FirstStartAsksForADriverWithPlayGreyed) {
  Rig r;
  TSplashForm &s = r.Create();
  EXPECT_EQ(s.windowTitle(), "About this game...");
  EXPECT_EQ(s.size(), QSize(460, 420));
  EXPECT_EQ(s.la_game_title->text(), "Kellup Tusko Lumo Special Edition");
  EXPECT_EQ(s.la_version->text(), "Version 5.00 * Final *");
  EXPECT_TRUE(s.la_release_date->text().startsWith("Released by "));
  EXPECT_TRUE(s.la_release_date->text().endsWith(" on 24th December, 2017"));
  ASSERT_EQ(s.cb_sound->count(), 3);
  EXPECT_EQ(s.cb_sound->itemText(0), "Microsoft DirectSound");
  EXPECT_EQ(s.cb_sound->itemText(1), "Windows MultiMedia");
  EXPECT_EQ(s.cb_sound->itemText(2), "(no sound)");
  EXPECT_EQ(s.cb_sound->currentIndex(), -1);
  EXPECT_TRUE(s.chb_splashscreen->isChecked());
  EXPECT_FALSE(PlayShown(s));
  EXPECT_EQ(s.btn_play_disabled->toolTip(), "please select sound driver first");
  // Centred on the desktop's screen (the offscreen platform's, not the game's 1024 x 768 one),
  // waiting for the game window's first activation.
  const QRect desk = QGuiApplication::primaryScreen()->geometry();
  ASSERT_NE(desk.size(), QSize(1024, 768));
  EXPECT_EQ(s.pos(), QPoint((desk.width() - 460) / 2, (desk.height() - 420) / 2));
  EXPECT_TRUE(r.form1.splash_pending);
  EXPECT_FALSE(s.isVisible());

  // Enter and '1' do nothing without a driver; nor does a click on the grey Play.
  Key(s.cb_sound, Qt::Key_Return);
  Key(s.cb_sound, Qt::Key_1, "1");
  Key(s.chb_splashscreen, Qt::Key_Enter);
  Click(s.btn_play_disabled);
  EXPECT_FALSE(r.Has("SoundMode"));
  EXPECT_FALSE(r.Has("SplashScreen"));
  EXPECT_EQ(r.form1.game.game_mode, kModeTimeHeld);
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_EQ(r.ends, 0);

  // Choosing a driver brings the blue Play.
  s.cb_sound->setCurrentIndex(1);
  EXPECT_TRUE(PlayShown(s));
}

TEST(Splash, NoSoundAndEnterStartsTheClock) {
  Rig r;
  TSplashForm &s = r.Create();
  s.ShowSplash();
  s.cb_sound->setCurrentIndex(2);
  Key(s.cb_sound, Qt::Key_Return);
  EXPECT_EQ(r.Value("SoundMode"), "2");
  EXPECT_EQ(r.Value("SplashScreen"), "1");
  EXPECT_EQ(r.form1.game.game_mode, kModeClock);
  EXPECT_TRUE(r.form1.game.Timer_Clock->Enabled());
  EXPECT_FALSE(s.isVisible());
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_EQ(r.ends, 0);
  // The game window covers the screen (the offscreen platform's screen here).
  EXPECT_EQ(r.form1.pos(), QPoint(0, 0));
  // The clock runs: test picture after 1 ms.
  r.clock.Advance(1);
  EXPECT_EQ(r.form1.game.clock_phase, 2);
  // A second Enter (a repeat reaching the hidden window) does not play again.
  const int writes = r.store->writes;
  Key(s.cb_sound, Qt::Key_Return);
  EXPECT_EQ(r.store->writes, writes);
}

TEST(Splash, ClearedCheckBoxAndOneKeyStoreTheSplashOff) {
  Rig r;
  TSplashForm &s = r.Create();
  s.cb_sound->setCurrentIndex(2);
  s.chb_splashscreen->setChecked(false);
  bool stored = true;
  QObject::connect(&s, &TSplashForm::SplashScreenStored, [&](bool on) { stored = on; });
  Key(s.cb_sound, Qt::Key_1, "1");
  EXPECT_EQ(r.Value("SplashScreen"), "0");
  EXPECT_FALSE(stored);
  EXPECT_FALSE(s.SplashChecked());
  EXPECT_EQ(r.form1.game.game_mode, kModeClock);
}

TEST(Splash, StoredDriverWithSplashOffTakesTheDirectPath) {
  Rig r;
  r.store->values["SoundMode"] = "2";
  r.store->values["SplashScreen"] = "0";
  TSplashForm &s = r.Create();
  EXPECT_FALSE(r.form1.splash_pending);
  EXPECT_EQ(r.form1.game.game_mode, kModeClock);
  EXPECT_EQ(s.pos(), QPoint(-460, -420));
  EXPECT_FALSE(s.isVisible());
  EXPECT_EQ(r.Value("SplashScreen"), "0");
  EXPECT_TRUE(r.boxes.empty());
}

TEST(Splash, StoredDriverOutsideTheListShowsTheSplash) {
  for (const char *bad : {"7", "-1", "abc", "3"}) {
    Rig r;
    r.store->values["SoundMode"] = bad;
    r.store->values["SplashScreen"] = "0";
    TSplashForm &s = r.Create();
    EXPECT_EQ(s.cb_sound->currentIndex(), -1) << bad;
    EXPECT_FALSE(s.chb_splashscreen->isChecked()) << bad;
    EXPECT_TRUE(r.form1.splash_pending) << bad;
    EXPECT_EQ(r.form1.game.game_mode, kModeTimeHeld) << bad;
    EXPECT_FALSE(PlayShown(s));
  }
  // A stored driver with the splash on: selected, Play ready, the window still shown.
  Rig r;
  r.store->values["SoundMode"] = "1";
  TSplashForm &s = r.Create();
  EXPECT_EQ(s.cb_sound->currentIndex(), 1);
  EXPECT_TRUE(PlayShown(s));
  EXPECT_TRUE(r.form1.splash_pending);
}

TEST(Splash, EscEndsTheProgramWithoutWriting) {
  Rig r;
  TSplashForm &s = r.Create();
  s.cb_sound->setCurrentIndex(0);
  Key(s.cb_sound, Qt::Key_Escape);
  EXPECT_EQ(r.ends, 1);
  EXPECT_FALSE(r.Has("SoundMode"));
  EXPECT_FALSE(r.Has("SplashScreen"));
  EXPECT_EQ(r.form1.game.game_mode, kModeTimeHeld);
}

TEST(Splash, TheScreenIsCheckedAsTheGameLaysItOut) {
  // "Original size" chosen in the menu on a 1280 x 720 screen, in full screen and in a small
  // window: the handheld is shown reduced while it does not fit, and every later start plays.
  for (bool window : {false, true}) {
    Rig r;
    r.screen.SetSize(1280, 720);
    r.form1.desktop = &r.screen;
    r.store->values["WindowGeometry"] = "10,10,800,600";
    r.form1.SetFitToScreen(false);
    r.form1.SetWindowMode(window);
    r.store->values["SoundMode"] = "2";
    r.store->values["SplashScreen"] = "0";
    r.Create();
    EXPECT_TRUE(r.boxes.empty()) << window;
    EXPECT_EQ(r.ends, 0) << window;
    EXPECT_EQ(r.form1.game.game_mode, kModeClock) << window;
  }
  // A skin laid out for 1024 x 480 fits a 1280 x 720 screen at 1.25 times its size, which leaves
  // it a screen of 1024 x 576: too low.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile ini(dir.filePath("Config.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Common]\nDesignWidth=1024\nDesignHeight=480\n");
  ini.close();
  Rig r;
  r.screen.SetSize(1280, 720);
  r.form1.desktop = &r.screen;
  r.form1.cfg.program_folder = dir.path().toStdString() + "/";
  TSplashForm &s = r.Create();
  s.cb_sound->setCurrentIndex(2);
  Click(s.btn_play);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0],
            "Your screen resolution is below the minimum required 1024x768.\r\n\r\n"
            "Please increase your screen resolution and restart the game.");
  EXPECT_EQ(r.ends, 1);
  EXPECT_EQ(r.Value("SoundMode"), "2");  // written at the start of the action
  EXPECT_FALSE(r.Has("SplashScreen"));
  EXPECT_EQ(r.form1.game.game_mode, kModeTimeHeld);
  // Too narrow is refused as well: a skin for 800 x 768 on a screen of 1000 x 768.
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ini.write("[Common]\nDesignWidth=800\nDesignHeight=768\n");
  ini.close();
  Rig narrow;
  narrow.screen.SetSize(1000, 768);
  narrow.form1.desktop = &narrow.screen;
  narrow.form1.cfg.program_folder = r.form1.cfg.program_folder;
  narrow.store->values["SoundMode"] = "2";
  narrow.store->values["SplashScreen"] = "0";
  narrow.Create();
  EXPECT_EQ(narrow.boxes.size(), 1u);
  EXPECT_EQ(narrow.ends, 1);
  EXPECT_EQ(narrow.form1.game.game_mode, kModeTimeHeld);
}

TEST(Splash, MissingStageJingleIsReportedAndTheChoiceForgotten) {
  Rig r;
  r.form1.snd.lib = &r.no_files;
  TSplashForm &s = r.Create();
  s.cb_sound->setCurrentIndex(0);
  s.chb_splashscreen->setChecked(false);
  Key(s.cb_sound, Qt::Key_Enter);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0], "Sound folder unproperly installed. Please reinstall the game.");
  EXPECT_EQ(r.ends, 1);
  EXPECT_EQ(r.Value("SoundMode"), "-1");
  EXPECT_EQ(r.Value("SplashScreen"), "1");
  EXPECT_EQ(r.form1.game.game_mode, kModeTimeHeld);
}

TEST(Splash, LinksOpenTheStudiosAddresses) {
  Rig r;
  TSplashForm &s = r.Create();
  Click(s.la_website_2);
  Click(s.la_email_2);
  Click(s.btn_paypal);
  ASSERT_EQ(r.opened.size(), 3u);
  EXPECT_EQ(r.opened[0], "https://www.zandrel.example/");
  EXPECT_EQ(r.opened[1], "mailto:ktusko@zandrel.example");
  EXPECT_EQ(r.opened[2], kStudioDonatePage);
  EXPECT_EQ(s.la_website_2->text().toStdString(), kStudioWebsiteText);
  EXPECT_EQ(s.la_email_2->text().toStdString(), kStudioEmail);
  // A right click is no click.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
                    Qt::NoModifier);
  QApplication::sendEvent(s.la_website_2, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(s.la_website_2, &release);
  EXPECT_EQ(r.opened.size(), 3u);
}

TEST(Splash, DriverNamesAndLabelsShowWhole) {
  Rig r;
  TSplashForm &s = r.Create();
  s.show();
  // The driver list keeps its place; its text field holds the longest driver name.
  EXPECT_EQ(s.cb_sound->pos(), QPoint(217, 308));
  QStyleOptionComboBox opt;
  opt.initFrom(s.cb_sound);
  opt.rect = s.cb_sound->rect();
  const QRect field = s.cb_sound->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField,
                                                          s.cb_sound);
  for (int i = 0; i < s.cb_sound->count(); ++i)
    EXPECT_LE(s.cb_sound->fontMetrics().horizontalAdvance(s.cb_sound->itemText(i)), field.width())
        << s.cb_sound->itemText(i).toStdString();
  EXPECT_LE(s.cb_sound->geometry().right(), 459);
  for (QLabel *la : {s.la_website_1, s.la_email_1, s.la_sound_select, s.la_website_2, s.la_email_2})
    EXPECT_LE(la->fontMetrics().horizontalAdvance(la->text()), la->contentsRect().width())
        << la->objectName().toStdString();
}

// On a high-density desktop the splash and about pictures come from their larger renderings and
// stand at the same size as at 1x.
TEST(WindowPictures, SharpOnHighDensityDesktopsAtTheSameSize) {
  for (const char *name : {"splash_background", "splash_scene", "splash_play", "splash_play_grey", "splash_donate",
                           "about_portrait"}) {
    const QPixmap one = App_Picture_Pixmap(name, 1.0);
    ASSERT_FALSE(one.isNull()) << name;
    for (double dpr : {2.0, 3.0}) {
      const QPixmap sharp = App_Picture_Pixmap(name, dpr);
      EXPECT_EQ(sharp.width(), one.width() * static_cast<int>(dpr)) << name << " at " << dpr;
      EXPECT_EQ(sharp.deviceIndependentSize(), one.deviceIndependentSize()) << name << " at " << dpr;
    }
  }
}
