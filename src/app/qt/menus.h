// The game window's two menus with the same eleven entries: the context menu pm_0_menu (right-click,
// shortcut keys F1, F2, F3 and Esc) and the on-screen game menu in the top-left corner, whose labels
// exist only while it is open. Also the logo, which leads to the studio's web site.
#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/ui.h"
#include "platform/types.h"

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class TAboutForm;
class TForm1;
class TKeysForm;

class GameMenus : public QObject {
  Q_OBJECT
 public:
  // Builds the context menu and the closed game menu on form; form's store and game must be ready.
  explicit GameMenus(TForm1 &form);
  ~GameMenus() override;

  // The windows the entries open; set once they exist.
  QPointer<TAboutForm> about_form;
  QPointer<TKeysForm> keys_form;
  // Makes those windows when an entry asks for one before they exist (they are made just after
  // the first picture).
  std::function<void()> make_windows;
  // State of the splash window's "Display this splash screen at startup" check box; ticked while unset.
  std::function<bool()> splash_checkbox;
  // The desktop shell: false when no program opens the file or address. Replaceable so that tests
  // need not start programs.
  std::function<bool(const std::string &)> shell_open;
  // Ends the event loop at once ("Exit", Esc); replaceable so that tests keep their own loop.
  std::function<void()> end_program;

  QMenu *pm_0_menu = nullptr;
  QAction *pm_1_about = nullptr, *pm_2_readme = nullptr, *pm_3_whatsnew = nullptr, *pm_5_n1 = nullptr;
  QAction *pm_6_config = nullptr, *pm_7_keys = nullptr, *pm_8_hiscore = nullptr, *pm_9_n2 = nullptr;
  QAction *pm_11_splashscreen = nullptr, *pm_13_n3 = nullptr, *pm_14_exit = nullptr;
  // After the eleven entries, the context menu only: how the handheld meets the screen.
  QAction *pm_15_n4 = nullptr, *pm_16_original_size = nullptr, *pm_17_window = nullptr;
  QAction *menu_items[kMenuItems + 1] = {};  // 1 .. 11 in menu order
  std::vector<QAction *> entries;             // every entry of Ui_Menu_Entries(), in its order
  // "LCD effects": a submenu of the context menu only, after the splash entry.
  QMenu *pm_lcd_menu = nullptr;
  QAction *pm_lcd_classic = nullptr, *pm_lcd_shadow = nullptr, *pm_lcd_fade = nullptr;
  QMenu *pm_lcd_ghost_menu = nullptr;
  std::vector<QAction *> pm_lcd_ghost;  // one per strength step, the step in data()
  std::vector<QPointer<QLabel>> menu_labels;  // the game menu's rows while it is open

  // Makes the screen agree with menu_open: creates or removes the labels, sizes the background.
  void Vid_Display_Game_Menu();
  // Gives the game menu its picture at the resolution the window is drawn at (device pixels per
  // skin pixel): sharp on a large or high-density screen.
  void Use_Pixel_Scale(double pixel_scale);
  // The three-line icon: opens or closes the game menu.
  void btn_game_menu_topClick();
  // Before the context menu opens: check mark from the store, game menu closed.
  void pm_0_menuPopup();
  // Opens the context menu at a screen position.
  void Popup(const QPoint &global);

  // Entry actions.
  void pm_1_aboutClick();
  void pm_2_readmeClick();
  void pm_6_configClick();
  void pm_7_keysClick();
  void pm_8_hiscoreClick();
  void pm_11_splashscreenClick();  // runs after the entry's check mark was inverted
  void pm_14_exitClick();
  void pm_16_original_sizeClick();  // runs after the check mark was inverted
  void pm_17_windowClick();         // the same; also F11
  void im_logoClick();

  // Hover and release of a game-menu row.
  void la_menu_itemMouseEnter(QObject *sender);
  void la_menu_itemMouseLeave(QObject *sender);
  void la_menu_itemMouseUp(QObject *sender);

  // Hooks of the game window. Key press: the shortcut keys, before the key bindings; true when taken.
  bool FormShortcut(int qt_key, Qt::KeyboardModifiers mods);
  // Mouse press and release on the window (not on a game-menu row); true when the menus took them.
  // Positions are taken into the skin's screen.
  bool MouseDown(QMouseEvent *e);
  bool MouseUp(QMouseEvent *e);
  // True where the pointer shows a hand (the menu icon); p on the skin's screen.
  bool HandCursorAt(const QPoint &p) const;

 protected:
  bool eventFilter(QObject *watched, QEvent *e) override;

 private:
  QAction *AddEntry(const MenuEntry &e);
  void Run(MenuCommand c);  // the action of an entry that was triggered
  void CloseGameMenu();
  void BuildLcdMenu();
  void ShowLcdEffects();  // check marks from the window's settings
  void LcdEffectsChosen(int ghost = -1);  // ghost: the strength step chosen, or -1
  bool Inside(int element_id, const QPoint &p) const;
  void ShowMenuPicture();  // the whole picture while the menu is open, its icon while closed

  TForm1 &form_;
  double pixel_scale_ = 1.0;
  PictureRef icon_;  // the closed menu's part of the picture, at pixel_scale_
  enum class Pressed { None, Icon, Logo } pressed_ = Pressed::None;
};
