// The two menus' entries, the game menu's rows and the LCD effects submenu's steps.
#include <cstdlib>

#include "app/ui/ui.h"

namespace {

// Virtual-key codes of the shortcut keys.
enum : uint16_t { kVkEscape = 27, kVkF1 = 0x70, kVkF2 = 0x71, kVkF3 = 0x72, kVkF11 = 0x7A };

using C = MenuCommand;
constexpr MenuEntry kEntries[] = {
    {"pm_1_about", "About...", "F1", kVkF1, C::About, true, false, true},
    {"pm_2_readme", "View 'Readme.txt'", "F2", kVkF2, C::Readme, true, false, false},
    {"pm_3_whatsnew", "View 'Whatsnew.txt'", "F3", kVkF3, C::Whatsnew, false, false, false},
    {"pm_5_n1", "-", nullptr, 0, C::None, true, false, false},
    {"pm_6_config", "Edit configuration file", nullptr, 0, C::Config, true, false, false},
    {"pm_7_keys", "Key settings", nullptr, 0, C::Keys, true, false, false},
    {"pm_8_hiscore", "Reset Hiscores", nullptr, 0, C::ResetHiscores, true, false, false},
    {"pm_9_n2", "-", nullptr, 0, C::None, true, false, false},
    {"pm_11_splashscreen", "Display splash screen at startup", nullptr, 0, C::SplashScreen, true, true, false},
    {"pm_13_n3", "-", nullptr, 0, C::None, true, false, false},
    {"pm_14_exit", "Exit", "Esc", kVkEscape, C::Exit, true, false, false},
    // The context menu only: how the handheld meets the screen.
    {"pm_15_n4", "-", nullptr, 0, C::None, true, false, false},
    {"pm_16_original_size", "Original size", nullptr, 0, C::OriginalSize, true, true, false},
    {"pm_17_window", "Play in a window", "F11", kVkF11, C::WindowMode, true, true, false},
};
static_assert(std::size(kEntries) > kMenuItems);

constexpr int kGhostSteps[] = {0, 3, 5, 8, 12, 20, 30};

}  // namespace

std::span<const MenuEntry> Ui_Menu_Entries() { return kEntries; }

const MenuEntry *Ui_Menu_Shortcut(uint16_t vk, bool shift, bool ctrl, bool alt) {
  if (vk == 0 || shift || ctrl || alt) return nullptr;
  for (const MenuEntry &e : kEntries)
    if (e.shortcut_vk == vk) return &e;
  return nullptr;
}

std::string Ui_Game_Menu_Row_Text(const MenuEntry &e, bool checked) {
  if (e.Separator()) return std::string();
  return std::string("   ") + e.caption + (checked ? " [V]" : "");
}

Rect Ui_Game_Menu_Row(int i) { return Rect{0, i * kGameMenuRowHeight, kGameMenuWidth, kGameMenuRowHeight}; }

int Ui_Game_Menu_Row_At(int32_t x, int32_t y) {
  if (x < 0 || x >= kGameMenuWidth || y < kGameMenuRowHeight) return 0;
  const int i = y / kGameMenuRowHeight;
  return i <= kMenuItems ? i : 0;
}

std::span<const int> Ui_Ghost_Steps() { return kGhostSteps; }

std::string Ui_Ghost_Step_Caption(int step) { return step == 0 ? std::string("Off") : std::to_string(step) + " %"; }

int Ui_Nearest_Ghost_Step(int ghost) {
  int nearest = kGhostSteps[0];
  for (int g : kGhostSteps)
    if (std::abs(g - ghost) < std::abs(nearest - ghost)) nearest = g;
  return nearest;
}
