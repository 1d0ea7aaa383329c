// TAboutForm, "About the author...": the studio's portrait, five facts about the studio and two
// links (its web site and its e-mail address). Created hidden just after the first picture; the
// context menu's "About..." shows it, and closing only hides it again.
#pragma once
#include <QWidget>
#include <functional>
#include <string>

#include "app/studio.h"

class QLabel;


class TAboutForm : public QWidget {
  Q_OBJECT
 public:
  TAboutForm();

  // Centres the window on the screen and keeps it above the other windows.
  void FormCreate();
  // Escape closes the window, whatever modifiers are held; true when the key was taken.
  bool FormKeyDown(int key);
  // The two links: hand the address to the desktop shell, then close.
  void la_website_2Click();
  void la_email_2Click();

  // The desktop shell; failures are silent. Replaceable so that tests need not start a browser.
  std::function<void(const std::string &)> shell_open;

  QLabel *im_picture = nullptr;
  QLabel *la_name_1 = nullptr, *la_birthplace_1 = nullptr, *la_birthdate_1 = nullptr, *la_job_1 = nullptr;
  QLabel *la_hobby_1 = nullptr, *la_website_1 = nullptr, *la_email_1 = nullptr;
  QLabel *la_name_2 = nullptr, *la_birthplace_2 = nullptr, *la_birthdate_2 = nullptr, *la_job_2 = nullptr;
  QLabel *la_hobby_2 = nullptr, *la_website_2 = nullptr, *la_email_2 = nullptr;

 protected:
  void keyPressEvent(QKeyEvent *e) override;
  void changeEvent(QEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *e) override;
};
