// Program entry: creates the game window, then runs the event loop until the program ends.
#include <QApplication>
#include <QTimer>

#include "app/about.h"
#include "app/form1.h"
#include "app/menus.h"
#include "display/vid.h"
#include "input/keys_form.h"

int main(int argc, char **argv) {
  // The skin is drawn pixel for pixel: no scaling on high-density screens.
  if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING")) qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication app(argc, argv);
  QApplication::setApplicationName("KTuskoSE50");
  QApplication::setOrganizationName("Zandrel");
  Plat_Register_Image_Fallback();

  TForm1 form1;
  const bool ok = form1.FormCreate();
  TAboutForm about_form;
  TKeysForm keys_form(form1.controls, form1.game, *form1.store, &form1);
  if (form1.menus) {
    form1.menus->about_form = &about_form;
    form1.menus->keys_form = &keys_form;
  }
  if (!ok) return app.exec();

  // Until the splash window takes over the start: bring the window on screen and start the clock.
  QObject::connect(&form1, &TForm1::FirstActivation, [&form1] {
    form1.CenterOnScreen();
    form1.game.game_mode = kModeClock;
    Gam_Set_Mode(form1.game);
  });
  form1.show();
  form1.activateWindow();
  return app.exec();
}
