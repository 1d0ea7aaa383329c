// The splash, about and key settings windows: every element's place, text, font and colour.
#include <cstring>
#include <deque>
#include <vector>

#include "app/studio.h"
#include "app/ui/ui.h"
#include "input/pad.h"
#include "sound/snd.h"

namespace {

constexpr UiColor kBlack{0, 0, 0}, kWhite{255, 255, 255}, kYellow{255, 255, 0};
constexpr UiColor kBrown{170, 85, 30};      // the about and key settings windows, the splash check box
constexpr UiColor kLinkBlue{24, 82, 148};   // the splash window's links
constexpr UiColor kPadColor{255, 225, 190};  // the gamepad buttons under the control names

// The studio's own details in the about window.
const char *const kBirthplace = "Zandrel Harbour";
const char *const kBirthdate = "1st April, 2009";
const char *const kJob = "Handheld game makers";
const char *const kHobby = "Old LCD games";

UiFont F(int height, bool bold = false, bool italic = false, bool underline = false) {
  return UiFont{height, bold, italic, underline};
}

std::vector<UiElement> SplashElements() {
  using K = UiKind;
  const UiAlign centre = UiAlign::Centre;
  std::string drivers;
  for (const char *d : kSoundDrivers) drivers += std::string(d) + "\n";
  return {
      {"im_background", K::Picture, {0, 0, 460, 420}, "splash_background", {}, {}},
      {"im_box_picture", K::Picture, {0, 0, 460, 220}, "splash_scene", {}, {}, centre},
      {"la_game_title", K::Text, {0, 8, 460, 20}, "Kellup Tusko Lumo Special Edition", F(16, true), kBlack, centre},
      {"la_version", K::Text, {0, 32, 460, 15}, "Version 5.00 * Final *", F(12, true), kBlack, centre},
      {"la_release_date", K::Text, {0, 236, 460, 15},
       std::string("Released by ") + kStudioName + " on 24th December, 2017", F(12), kBlack, centre},
      {"la_website_1", K::Text, {118, 259, 56, 15}, "website:", F(12), kBlack},
      {"la_website_2", K::Link, {174, 259, 168, 15}, kStudioWebsiteText, F(12, true, false, true), kLinkBlue},
      {"la_email_1", K::Text, {118, 282, 56, 15}, "email:", F(12), kBlack},
      {"la_email_2", K::Link, {174, 282, 168, 15}, kStudioEmail, F(12, true, false, true), kLinkBlue},
      {"la_sound_select", K::Text, {98, 308, 116, 15}, "Select sound driver:", F(12), kBlack},
      // One driver a line, in the order of the stored SoundMode.
      {"cb_sound", K::DropDown, {217, 308, 144, 21}, drivers, F(12), kBlack},
      {"btn_play", K::PictureButton, {116, 340, 107, 30}, "splash_play", {}, {}},
      {"btn_play_disabled", K::Picture, {116, 340, 107, 30}, "splash_play_grey", {}, {}, UiAlign::Left,
       "please select sound driver first"},
      {"btn_paypal", K::PictureButton, {237, 340, 107, 30}, "splash_donate", {}, {}},
      {"chb_splashscreen", K::CheckBox, {12, 391, 444, 17}, "Display this splash screen at startup", F(12, true),
       kBrown},
  };
}

std::vector<UiElement> AboutElements() {
  using K = UiKind;
  const UiFont plain = F(11), bold = F(11, true), link = F(12, true, false, true);
  return {
      {"im_picture", K::Picture, {8, 8, 116, 160}, "about_portrait", {}, {}},
      {"la_name_1", K::Text, {132, 8, 72, 14}, "Name:", plain, kWhite},
      {"la_birthplace_1", K::Text, {132, 32, 72, 14}, "Birthplace:", plain, kWhite},
      {"la_birthdate_1", K::Text, {132, 56, 72, 14}, "Birth date:", plain, kWhite},
      {"la_job_1", K::Text, {132, 80, 72, 14}, "Occupation:", plain, kWhite},
      {"la_hobby_1", K::Text, {132, 104, 34, 14}, "Hobby:", plain, kWhite},
      {"la_website_1", K::Text, {132, 128, 42, 14}, "Website:", plain, kWhite},
      {"la_email_1", K::Text, {132, 152, 27, 14}, "Email:", plain, kWhite},
      {"la_name_2", K::Text, {212, 8, 147, 14}, kStudioName, bold, kWhite},
      {"la_birthplace_2", K::Text, {212, 32, 101, 14}, kBirthplace, bold, kWhite},
      {"la_birthdate_2", K::Text, {212, 56, 101, 14}, kBirthdate, bold, kWhite},
      {"la_job_2", K::Text, {212, 80, 149, 14}, kJob, bold, kWhite},
      {"la_hobby_2", K::Text, {212, 104, 93, 14}, kHobby, F(11, true, true), kWhite},
      {"la_website_2", K::Link, {212, 128, 168, 15}, kStudioWebsiteText, link, kYellow},
      {"la_email_2", K::Link, {212, 152, 168, 15}, kStudioEmail, link, kYellow},
  };
}

// Element names of the key settings window, kept alive with the table.
std::deque<std::string> &KeysNames() {
  static std::deque<std::string> names;
  return names;
}

std::vector<UiElement> KeysElements() {
  using K = UiKind;
  static const char *const kNames[kControls + 1] = {"", "Game A", "Game B", "Time", "Up", "Left", "Right", "Down", "Jump"};
  std::deque<std::string> &names = KeysNames();
  std::vector<UiElement> v = {
      {"la_main", K::Text, {8, 8, 104, 13}, "Main operations", F(11, true, false, true), kWhite},
      {"la_controls", K::Text, {336, 8, 104, 13}, "Game controls", F(11, true, false, true), kWhite, UiAlign::Right},
  };
  std::string keys;
  for (int k = 1; k <= kKeys; ++k) keys += std::string(Inp_Key_List_Text(k)) + "\n";
  for (int i = 1; i <= kControls; ++i) {
    const bool left = i <= 3;
    const int row = left ? i - 1 : i - 4;
    const char *la = names.emplace_back("la_" + std::to_string(i)).c_str();
    const char *cb = names.emplace_back("cb_" + std::to_string(i)).c_str();
    const char *pad = names.emplace_back("la_pad_" + std::to_string(i)).c_str();
    // Names beside the lists: the left column's to the right of them, the right column's before them.
    v.push_back({la, K::Text, left ? Rect{136, 33 + row * 32, 72, 14} : Rect{216, 33 + row * 32, 96, 14}, kNames[i],
                 F(11, true), kWhite, left ? UiAlign::Left : UiAlign::Right});
    v.push_back({cb, K::DropDown, left ? Rect{8, 29 + row * 32, 120, 21} : Rect{320, 29 + row * 32, 120, 21}, keys,
                 F(11), kBlack});
    // The gamepad button that works the control: under the names on the left, before them on the right.
    v.push_back({pad, K::Text, left ? Rect{136, 47 + row * 32, 72, 12} : Rect{216, 34 + row * 32, 60, 12},
                 Inp_Pad_Button_Name(i), F(9), kPadColor});
  }
  v.push_back({"btn_accept", K::Button, {183, 194, 82, 25}, "- ACCEPT -", F(11, true), kBlack});
  return v;
}

}  // namespace

const UiElement &UiWindow::operator[](const char *name) const {
  for (const UiElement &e : elements)
    if (std::strcmp(e.name, name) == 0) return e;
  return elements.front();
}

const UiWindow &Ui_Splash_Window() {
  static const std::vector<UiElement> elements = SplashElements();
  static const UiWindow w{"About this game...", 460, 420, kWhite, elements};
  return w;
}

const UiWindow &Ui_About_Window() {
  static const std::vector<UiElement> elements = AboutElements();
  static const UiWindow w{"About the author...", 397, 176, kBrown, elements};
  return w;
}

const UiWindow &Ui_Keys_Window() {
  static const std::vector<UiElement> elements = KeysElements();
  static const UiWindow w{"Key settings", 448, 227, kBrown, elements};
  return w;
}

bool Ui_Keys_Clashes(const int32_t selected[kControls + 1], bool clash[kControls + 1]) {
  bool any = false;
  for (int j = 1; j <= kControls; ++j) {
    // A list without a choice would store 0, which names no key: it counts as a clash too.
    clash[j] = selected[j] < 1 || selected[j] > kKeys;
    for (int k = 1; k <= kControls; ++k)
      if (k != j && selected[j] == selected[k]) clash[j] = true;
    any = any || clash[j];
  }
  return any;
}
