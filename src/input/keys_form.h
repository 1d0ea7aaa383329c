// TKeysForm, "Key settings": one list of the 44 bindable keys per control. Clashing choices are
// painted red and cannot be accepted; accepting stores Key1 .. Key8, makes the new keys work at once
// and rebuilds the button hints. Created once, just after the first picture, and only shown and hidden afterwards.
#pragma once
#include <QWidget>

#include "input/keys.h"

class QComboBox;
class QLabel;
class QPushButton;
struct Game;

class TKeysForm : public QWidget {
  Q_OBJECT
 public:
  // Shows the bindings of controls; on accept writes them to game's store (none once the program
  // has shut down), rebuilds the hints in game and enables game_window again.
  TKeysForm(Controls &controls, Game &game, QWidget *game_window);

  // Fills the lists and selects the current bindings (at creation only).
  void FormCreate();
  // Paints the names of clashing controls red and enables Accept only without a clash.
  void cbChange();
  // True when two lists show the same key, or a list shows none.
  bool CheckKeys() const;
  // Stores the chosen keys, makes them effective, enables the game window and closes.
  void btn_acceptClick();
  // Enter accepts (when allowed), Esc closes without storing; true when the key was taken.
  bool FormKeyDown(int key);
  // The window manager's close, Alt+F4 or minimise of the shown window: as Esc, the game window
  // enabled and active again, nothing stored; the lists keep the choices shown.
  void Cancel();

  QLabel *la_main = nullptr, *la_controls = nullptr;
  QLabel *la[kControls + 1] = {};      // la_1 .. la_8, the control names
  QComboBox *cb[kControls + 1] = {};   // cb_1 .. cb_8, the key lists
  QLabel *pad[kControls + 1] = {};     // la_pad_1 .. la_pad_8, the gamepad button of each control
  QPushButton *btn_accept = nullptr;

 protected:
  bool event(QEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *e) override;
  void closeEvent(QCloseEvent *e) override;
  void changeEvent(QEvent *e) override;

 private:
  // The controls whose choice clashes with another one or is missing (index 1 .. 8).
  void FindClashes(bool clash[kControls + 1]) const;
  void CloseWindow();

  Controls &controls_;
  Game &game_;
  QWidget *game_window_;
};
