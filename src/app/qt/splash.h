// TSplashForm, the splash window: title, version and release line, the links to the studio, the
// sound driver list and the play action that brings the game window on screen in clock mode.
// When a driver is stored and the splash is switched off, its creation runs the play action at
// once and the window is never seen.
#pragma once
#include <vector>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class TForm1;

class TSplashForm : public QWidget {
  Q_OBJECT
 public:
  // Builds the elements; FormCreate (below) is the creation logic proper.
  explicit TSplashForm(TForm1 &form1);

  // Creation: texts, driver and check box from the store, then either the direct path (play at
  // once, window never shown) or the window prepared for the game window's first activation.
  void FormCreate();
  // Shows the window in front of the game window (the game window's first activation).
  void ShowSplash();
  // The selection in the driver list changed: Play or grey Play.
  void cb_soundChange();
  // The play action.
  void btn_playClick();
  // Enter / '1': play when a driver is chosen; Esc: end the program. True when the key acted.
  bool FormKeyDown(uint16_t vk);
  void btn_paypalClick();
  void la_website_2Click();
  void la_email_2Click();

  // Is "Display this splash screen at startup" ticked (read by the context menu).
  bool SplashChecked() const;

  // What the window reaches outside itself; the program's defaults are set by the constructor and
  // replaced by tests.
  std::function<void(const QString &)> error_box;   // error-type message box with OK
  std::function<void()> end_program;                 // asks the event loop to finish
  std::function<void(const std::string &)> shell_open;

  QLabel *im_background, *im_box_picture;
  QLabel *la_game_title, *la_version, *la_release_date;
  QLabel *la_website_1, *la_website_2, *la_email_1, *la_email_2, *la_sound_select;
  QComboBox *cb_sound;
  QLabel *btn_play, *btn_play_disabled, *btn_paypal;
  QCheckBox *chb_splashscreen;

 signals:
  // The play action stored the splash preference (the context menu's check mark follows it).
  void SplashScreenStored(bool on);

 protected:
  bool event(QEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;
  void closeEvent(QCloseEvent *e) override;

 private:
  void UpdatePlayButton();
  // Widens the texts made with their text, and the driver list, where the fonts at hand draw
  // them wider than their places. Measuring loads the system's fonts: only a splash that shows
  // does it, never the direct path to the clock.
  void FitTexts();

  TForm1 &form1_;
  std::vector<QLabel *> fitted_;  // the texts FitTexts widens
  QObject *pressed_ = nullptr;  // the link or button the left mouse button went down on
  bool played_ = false;         // the play action runs at most once per run
};
