// Program entry: creates the windows in their fixed order (game window, then the splash window,
// whose creation reads what the game window's creation stored; the about and key settings windows
// once the first picture is on screen), then runs the event loop until the program ends. The small
// windows are destroyed before the game window whose state they use.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/qt/about.h"
#include "app/qt/form1.h"
#include "app/qt/layout_log.h"
#include "app/qt/menus.h"
#include "app/qt/quit_signals.h"
#include "app/qt/splash.h"
#include "platform/startup_log.h"
#include "app/ui/ui.h"
#include "display/vid.h"
#include "input/keys_form.h"
#include "platform/qt/qt_instance.h"

namespace {

TForm1 *g_game_window = nullptr;

// A close request from a signal: the game window's close, as the window manager's close would be.
// A modal box runs its own event loop inside code that goes on once the box is gone: the box is
// closed first and the request comes again a moment after it (its loop has ended by then).
void CloseRequest() {
  if (QWidget *box = QApplication::activeModalWidget()) {
    box->close();
    QTimer::singleShot(20, qApp, CloseRequest);
    return;
  }
  if (g_game_window) g_game_window->close();
  else QCoreApplication::exit(0);
}

}  // namespace

int main(int argc, char **argv) {
  Plat_Startup_Phase("main entered");
  // The desktop's scale is followed as Qt follows it (fonts, small windows, menus, hints, message
  // boxes); the game window draws the skin at the device's own pixels whatever the scale.
  QApplication app(argc, argv);
  QApplication::setApplicationName("KTuskoSE50");
  QApplication::setOrganizationName("Zandrel");
  Plat_Startup_Phase("application made");
  Plat_Register_Image_Fallback();
  // A logout, Ctrl+C or a closed terminal ends the program through its shutdown: everything is
  // saved and the instance lock's socket is removed.
  if (!App_Close_On_Signals(&app, CloseRequest)) std::fprintf(stderr, "ktusko: signals are not handled\n");
  App_Start_Layout_Log();

  // A second copy for the same settings would write its older values over the running one's:
  // it says so, brings the running copy to the front and ends before it reads or writes anything.
  InstanceLock instance;
  if (!instance.Acquire(QtStore::FilePath())) {
    std::fprintf(stderr, "ktusko: already running for this user; this copy ends\n");
    QMessageBox box(QMessageBox::Information, kUiProgramTitle, kUiAlreadyRunning, QMessageBox::Ok);
    box.exec();
    instance.AskRunningToFront();
    return 0;
  }

  TForm1 form1;
  g_game_window = &form1;
  const bool ok = form1.FormCreate();
  Plat_Startup_Phase("game window created");
  // The about and key settings windows play no part in the first picture (the about window's
  // labels alone would load the system's fonts before it): they are made in an idle moment just
  // after it, each on its own so that input goes on between them, or at once when the menu asks
  // for one before then.
  std::unique_ptr<TAboutForm> about_form;
  std::unique_ptr<TKeysForm> keys_form;
  const auto make_about = [&] {
    if (about_form) return;
    about_form = std::make_unique<TAboutForm>();
    form1.AddSmallWindow(about_form.get());
    if (form1.menus) form1.menus->about_form = about_form.get();
  };
  const auto make_keys = [&] {
    if (keys_form) return;
    keys_form = std::make_unique<TKeysForm>(form1.controls, form1.game, &form1);
    form1.AddSmallWindow(keys_form.get());
    if (form1.menus) form1.menus->keys_form = keys_form.get();
  };
  if (form1.menus) form1.menus->make_windows = [&] { make_about(); make_keys(); };
  QObject::connect(&form1, &TForm1::FirstPicture, &form1, [&] {
    QTimer::singleShot(0, &form1, make_about);
    QTimer::singleShot(0, &form1, make_keys);
  });
  form1.LoadFirstStage();
  Plat_Startup_Phase("first stage loaded");
  // A start-up failure was reported and the end of the program is on its way: no splash, no game.
  if (!ok) return app.exec();

  TSplashForm splash(form1);
  form1.AddSmallWindow(&splash);
  if (form1.menus) {
    // The context menu's check mark defaults to the splash window's check box and follows the
    // preference the play action stores.
    form1.menus->splash_checkbox = [s = QPointer<TSplashForm>(&splash)] { return !s || s->SplashChecked(); };
    QObject::connect(&splash, &TSplashForm::SplashScreenStored, form1.menus->pm_11_splashscreen,
                     &QAction::setChecked);
  }
  splash.FormCreate();
  Plat_Startup_Phase("splash window created");
  // A later copy was started: the one that runs comes to the front, with the window that takes
  // input (the splash window while it is still up, key settings while it is open).
  QObject::connect(&instance, &InstanceLock::FrontRequested, &form1, &TForm1::BringToFront);
  // The game window stays unmapped until the play action brings it on screen: nothing of it can
  // be seen or take input before. The program's first activation, as the event loop starts, shows
  // the splash window (unless its creation took the direct path and started the clock already).
  QObject::connect(&form1, &TForm1::FirstActivation, &splash, &TSplashForm::ShowSplash);
  QTimer::singleShot(0, &form1, &TForm1::FormActivate);
  const int status = app.exec();
  g_game_window = nullptr;  // a signal from now on finds no window to close
  return status;
}
