// What every shell shows alike in its menus and small windows: the menu entries and what they do,
// the on-screen game menu's rows, the splash, about and key settings windows' elements (place,
// text, font, colour) and the messages. Plain data; each shell only draws and wires it.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "input/keys.h"
#include "platform/types.h"

// ---- Menus ----

// What a menu entry does.
enum class MenuCommand {
  None,           // a separator
  About,          // show the about window
  Readme,         // open "Readme.txt" with the desktop shell
  Whatsnew,       // never offered
  Config,         // open "Config.ini" with the desktop shell
  Keys,           // open the key settings window
  ResetHiscores,  // both high scores 0, stored, system beep
  SplashScreen,   // toggle the splash preference (checkable)
  Exit,           // end the program
  OriginalSize,   // one skin pixel a screen pixel (checkable; context menu only)
  WindowMode,     // play in a window (checkable; context menu only)
};

struct MenuEntry {
  const char *name;       // element name, "pm_1_about"
  const char *caption;    // "-" for a separator
  const char *shortcut;   // the key's name shown at the right, or nullptr
  uint16_t shortcut_vk;   // the virtual-key code that runs the entry without modifiers, or 0
  MenuCommand command;
  bool enabled;           // at start-up (the only entry ever disabled stays so)
  bool checkable;
  bool is_default;        // drawn bold
  bool Separator() const { return command == MenuCommand::None; }
};

// The game menu's rows: the first eleven entries of the context menu, in order.
constexpr int kMenuItems = 11;
// The context menu's entries in order: the eleven of both menus, then those of the context menu only.
std::span<const MenuEntry> Ui_Menu_Entries();
// The entry whose shortcut key is vk (pressed without Shift, Ctrl or Alt), or nullptr.
const MenuEntry *Ui_Menu_Shortcut(uint16_t vk, bool shift, bool ctrl, bool alt);
// The text of a game-menu row: three spaces, the caption, " [V]" while checked; empty for a separator.
std::string Ui_Game_Menu_Row_Text(const MenuEntry &e, bool checked);

// The game menu on the skin's screen: its picture shows the icon closed and the rows open.
constexpr int kGameMenuRowHeight = 32;
constexpr int kGameMenuWidth = 256;
constexpr int kGameMenuFontHeight = 14;  // pixel size of the rows' Arial (a 16-pixel character cell)
constexpr Rect kGameMenuClosed{0, 0, 36, 32};
constexpr Rect kGameMenuOpen{0, 0, kGameMenuWidth, kGameMenuRowHeight * (kMenuItems + 1)};
// The place of row i (1 .. 11).
Rect Ui_Game_Menu_Row(int i);
// The row (1 .. 11) under a point of the skin's screen while the menu is open, else 0.
int Ui_Game_Menu_Row_At(int32_t x, int32_t y);

// "LCD effects", a submenu of the context menu: the ghost strengths offered (percent, 0 = off).
std::span<const int> Ui_Ghost_Steps();
std::string Ui_Ghost_Step_Caption(int step);  // "Off", "3 %", ...
int Ui_Nearest_Ghost_Step(int ghost);         // the step shown for a strength set by hand

// ---- Small windows ----

struct UiColor {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const UiColor &) const = default;
};
enum class UiKind { Text, Link, Picture, PictureButton, DropDown, CheckBox, Button };
enum class UiAlign { Left, Centre, Right };

struct UiFont {
  int height = 12;  // character height in pixels (Arial)
  bool bold = false, italic = false, underline = false;
};

struct UiElement {
  const char *name;
  UiKind kind;
  Rect rect;
  std::string text;       // caption or text; for pictures the compiled-in picture's name
  UiFont font;
  UiColor color;          // text colour (background for the check box)
  UiAlign align = UiAlign::Left;
  const char *hint = nullptr;
};

struct UiWindow {
  const char *caption;
  int32_t width, height;  // client area
  UiColor background;
  std::span<const UiElement> elements;
  // The element of that name; the program's own tables name every element asked for.
  const UiElement &operator[](const char *name) const;
};

const UiWindow &Ui_Splash_Window();
const UiWindow &Ui_About_Window();
// The key settings window: la_main, la_controls, la_<i>, cb_<i>, la_pad_<i> (i = 1 .. 8), btn_accept.
const UiWindow &Ui_Keys_Window();

// Which controls (1 .. 8) the key settings window paints red: those whose list shows the same key
// as another list, and those whose list shows none. selected[i] is list i's key index (1 .. 44) or
// 0 for none. True when any clashes (Accept is then refused).
bool Ui_Keys_Clashes(const int32_t selected[kControls + 1], bool clash[kControls + 1]);
constexpr UiColor kUiClashColor{255, 0, 0};

// ---- Messages ----

extern const char *const kUiProgramTitle;     // message boxes' title
extern const char *const kUiResolutionMessage;  // the screen is below 1024 x 768
extern const char *const kUiAlreadyRunning;     // a second copy for the same user
// The once-per-run notice of settings that cannot be written, with the reason.
std::string Ui_Store_Failure_Message(const std::string &why);
