// The key table, the bindings loaded from the store, the button hints and the keyboard dispatch.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "input/keys.h"
#include "test_support.h"

namespace {

struct Keyed : TestGame {
  Controls c;
  Keyed() {
    // Tell the pressed and released pictures apart, so a face shows which routine ran last.
    for (int i = 0; i < el::COUNT; ++i) {
      const std::string name = Lcd_Name(static_cast<el::Id>(i));
      if (name.rfind("btn_", 0) == 0) Lcd_Set_Picture(g.lcd, static_cast<el::Id>(i), std::make_shared<Picture>());
    }
  }
  void Load() { Inp_Load_Bindings(c, store); }
  bool Pressed(const char *control) const {
    const std::string base = std::string("btn_") + control;
    return g.lcd.e[Lcd_Find(base + "_top")].pic == g.lcd.e[Lcd_Find(base + "_pressed")].pic;
  }
  bool Released(const char *control) const {
    const std::string base = std::string("btn_") + control;
    return g.lcd.e[Lcd_Find(base + "_top")].pic == g.lcd.e[Lcd_Find(base + "_released")].pic;
  }
  void Clock() {
    g.game_mode = kModeClock;
    Gam_Set_Mode(g);
  }
};

const char *const kControlNames[kControls + 1] = {"", "game_a", "game_b", "time", "move_up",
                                                  "move_left", "move_right", "move_down", "jump"};

}  // namespace

TEST(KeyTable, ListTextsNamesAndCodes) {
  std::set<uint16_t> codes;
  for (int i = 1; i <= kKeys; ++i) {
    EXPECT_TRUE(codes.insert(Inp_Key_Code(i)).second) << "code of key " << i << " used twice";
    const std::string name = Inp_Key_Name(i);
    if (i <= 36) {
      // Digits and letters: the list text is the character, the name the character in quotes,
      // the code the character's code (capital letters).
      const char ch = i <= 10 ? static_cast<char>('0' + i - 1) : static_cast<char>('A' + i - 11);
      EXPECT_EQ(std::string(Inp_Key_List_Text(i)), std::string(1, ch));
      EXPECT_EQ(name, std::string("'") + ch + "'");
      EXPECT_EQ(Inp_Key_Code(i), static_cast<uint16_t>(ch));
    }
  }
  EXPECT_EQ(Inp_Key_Code(2), 49);
  EXPECT_EQ(Inp_Key_Code(36), 90);
  struct Named {
    int index;
    const char *list, *name;
    uint16_t code;
  } named[] = {
      {37, "<UP ARROW>", "'up arrow' key", 38},       {38, "<DOWN ARROW>", "'down arrow' key", 40},
      {39, "<LEFT ARROW>", "'left arrow' key", 37},   {40, "<RIGHT ARROW>", "'right arrow' key", 39},
      {41, "<ALT>", "'alt' key", 18},                 {42, "<CTRL>", "'ctrl' key", 17},
      {43, "<SHIFT>", "'shift' key", 16},             {44, "<SPACEBAR>", "'spacebar'", 32},
  };
  for (const Named &n : named) {
    EXPECT_STREQ(Inp_Key_List_Text(n.index), n.list);
    EXPECT_STREQ(Inp_Key_Name(n.index), n.name);
    EXPECT_EQ(Inp_Key_Code(n.index), n.code) << n.index;
  }
  for (int bad : {0, -1, 45, 1000}) {
    EXPECT_STREQ(Inp_Key_List_Text(bad), "");
    EXPECT_STREQ(Inp_Key_Name(bad), "");
    EXPECT_EQ(Inp_Key_Code(bad), 0);
  }
}

TEST(Bindings, FirstStartStoresTheDefaults) {
  Keyed k;
  k.Load();
  const int32_t indexes[] = {2, 3, 4, 37, 39, 40, 38, 42};
  const uint16_t codes[] = {49, 50, 51, 38, 37, 39, 40, 17};
  for (int i = 1; i <= kControls; ++i) {
    EXPECT_EQ(k.store.values["Key" + std::to_string(i)], std::to_string(indexes[i - 1]));
    EXPECT_EQ(k.c.key_binding[i].key_index, indexes[i - 1]);
    EXPECT_EQ(k.c.key_binding[i].virtual_key, codes[i - 1]);
  }
}

TEST(Bindings, StoredValuesAreReadAndWrittenBack) {
  Keyed k;
  k.store.values["Key1"] = "44";   // spacebar
  k.store.values["Key8"] = "abc";  // not a number: the default, ctrl
  k.store.values["Key4"] = "11";   // 'A'
  k.Load();
  EXPECT_EQ(k.c.key_binding[1].virtual_key, 32);
  EXPECT_EQ(k.c.key_binding[4].virtual_key, 65);
  EXPECT_EQ(k.c.key_binding[8].virtual_key, 17);
  EXPECT_EQ(k.store.values["Key8"], "42");
  EXPECT_EQ(k.store.values["Key1"], "44");
  // Only what was not stored as it is gets written: Key8, and the five missing defaults.
  EXPECT_EQ(k.store.writes, 6);
  // A second start with everything stored writes nothing.
  Keyed again;
  again.store.values = k.store.values;
  again.Load();
  EXPECT_EQ(again.store.writes, 0);
  EXPECT_EQ(again.c.key_binding[1].virtual_key, 32);
}

TEST(Hints, ExactTextsForTheBindings) {
  Keyed k;
  k.store.values["Key5"] = "44";
  k.store.values["Key6"] = "26";  // 'P'
  k.Load();
  Inp_Build_Hints(k.c, k.g);
  auto hint = [&](el::Id id) { return k.g.lcd.e[id].hint; };
  EXPECT_EQ(hint(el::btn_game_a_top), "click or press '1' to start game A (hold to view highscore)");
  EXPECT_EQ(hint(el::btn_game_b_top), "click or press '2' to start game B (hold to view highscore)");
  EXPECT_EQ(hint(el::btn_time_top), "click or press '3' to view current time");
  EXPECT_EQ(hint(el::btn_move_up_top), "click or press 'up arrow' key");
  EXPECT_EQ(hint(el::btn_move_left_top), "click or press 'spacebar'");
  EXPECT_EQ(hint(el::btn_move_right_top), "click or press 'P'");
  EXPECT_EQ(hint(el::btn_move_down_top), "click or press 'down arrow' key");
  EXPECT_EQ(hint(el::btn_jump_top), "click or press 'ctrl' key");
  // New bindings, new hints.
  k.c.key_binding[1].key_index = 41;
  Inp_Build_Hints(k.c, k.g);
  EXPECT_EQ(hint(el::btn_game_a_top), "click or press 'alt' key to start game A (hold to view highscore)");
}

TEST(Dispatch, DefaultKeysReachTheirRoutines) {
  Keyed k;
  k.Load();
  k.Clock();
  EXPECT_TRUE(Inp_Key_Down(k.c, k.g, 49));
  EXPECT_EQ(k.g.game_mode, kModeGameAHeld);
  EXPECT_TRUE(k.Pressed("game_a"));
  EXPECT_TRUE(Inp_Key_Up(k.c, k.g, 49));
  EXPECT_EQ(k.g.game_mode, kModeGameA);
  EXPECT_TRUE(k.Released("game_a"));
  // Every control answers to its own code and to no other control's.
  const uint16_t codes[] = {0, 49, 50, 51, 38, 37, 39, 40, 17};
  for (int i = 1; i <= kControls; ++i) {
    Inp_Key_Down(k.c, k.g, codes[i]);
    for (int j = 4; j <= kControls; ++j)
      EXPECT_EQ(k.Pressed(kControlNames[j]), j == i) << "key of control " << i << ", face " << j;
    Inp_Key_Up(k.c, k.g, codes[i]);
    EXPECT_TRUE(k.Released(kControlNames[i]));
  }
  // Keys bound to nothing (Enter, the keypad's 1 has no code, an unbound letter) do nothing.
  for (uint16_t vk : {13, 0, 81}) {
    EXPECT_FALSE(Inp_Key_Down(k.c, k.g, vk));
    EXPECT_FALSE(Inp_Key_Up(k.c, k.g, vk));
  }
}

TEST(Dispatch, AKeyBoundTwiceActsOnTheLowerNumberedControl) {
  Keyed k;
  k.store.values["Key3"] = "2";  // Time on '1', like Game A
  k.store.values["Key8"] = "37";  // Jump on the up arrow, like Up
  k.Load();
  k.Clock();
  Inp_Key_Down(k.c, k.g, 49);
  EXPECT_EQ(k.g.game_mode, kModeGameAHeld);
  EXPECT_FALSE(k.Pressed("time"));
  Inp_Key_Down(k.c, k.g, 38);
  EXPECT_TRUE(k.Pressed("move_up"));
  EXPECT_FALSE(k.Pressed("jump"));
}

TEST(Dispatch, AStoredIndexOutsideTheTableBindsNoKey) {
  Keyed k;
  k.store.values["Key2"] = "45";
  k.store.values["Key7"] = "0";
  k.Load();
  // The program starts; the value stays as stored, the control has no key.
  EXPECT_EQ(k.store.values["Key2"], "45");
  EXPECT_EQ(k.c.key_binding[2].virtual_key, 0);
  EXPECT_EQ(k.c.key_binding[7].virtual_key, 0);
  Inp_Build_Hints(k.c, k.g);
  EXPECT_EQ(k.g.lcd.e[el::btn_game_b_top].hint, "click (no key bound) to start game B (hold to view highscore)");
  EXPECT_EQ(k.g.lcd.e[el::btn_move_down_top].hint, "click (no key bound)");
  k.Clock();
  for (int vk = 0; vk < 256; ++vk) {
    if (vk == 49 || vk == 51) continue;  // Game A and Time take over the clock
    Inp_Key_Down(k.c, k.g, static_cast<uint16_t>(vk));
  }
  EXPECT_EQ(k.g.game_mode, kModeClock);
  EXPECT_FALSE(k.Pressed("move_down"));
  // The mouse still works the control.
  Inp_Control_Down(k.g, 2);
  EXPECT_EQ(k.g.game_mode, kModeGameBHeld);
  // AssignWord leaves the code as it was for an index outside the table.
  KeyBinding b{12, 0};
  AssignWord(1, b);
  EXPECT_EQ(b.virtual_key, 66);
  b.key_index = 99;
  AssignWord(1, b);
  EXPECT_EQ(b.virtual_key, 66);
}

// Physical keys under several layouts: X key code and the symbol on the key's unshifted level.
TEST(NativeKeys, TheKeyNotTheTypedSymbolDecides) {
  struct Case {
    const char *what;
    uint32_t keycode, keysym;
    uint16_t vk;
  } cases[] = {
      {"us 1", 10, '1', '1'},                     {"us 0", 19, '0', '0'},
      {"fr 1 (types &)", 10, '&', '1'},           {"fr 2 (types eacute)", 11, 0xe9, '2'},
      {"fr 0 (types agrave)", 19, 0xe0, '0'},     {"fr A where us has Q", 24, 'a', 'A'},
      {"fr Q where us has A", 38, 'q', 'Q'},      {"fr M where us has ;", 47, 'm', 'M'},
      {"fr comma where us has M", 58, ',', 0},    {"de Z where us has Y", 29, 'z', 'Z'},
      {"de Y where us has Z", 52, 'y', 'Y'},      {"de odiaeresis", 47, 0xf6, 0},
      {"caps lock or shift", 38, 'A', 'A'},       {"ru ef where us has A", 38, 0x6c6, 'A'},
      {"ru shorti where us has Q", 24, 0x6ca, 'Q'}, {"ru zhe where us has ;", 47, 0x6d6, 0},
      {"gr alpha", 38, 0x7e1, 'A'},               {"armenian by code point", 57, 0x1000576, 'N'},
      {"keypad 1", 87, 0xffb1, 0},                {"keypad End", 87, 0xff9c, 0},
      {"up", 111, 0xff52, 38},                    {"down", 116, 0xff54, 40},
      {"left", 113, 0xff51, 37},                  {"right", 114, 0xff53, 39},
      {"alt", 64, 0xffe9, 18},                    {"alt gr", 108, 0xfe03, 18},
      {"right ctrl", 105, 0xffe4, 17},            {"right shift", 62, 0xffe2, 16},
      {"space", 65, ' ', 32},                     {"enter", 36, 0xff0d, 13},
      {"keypad enter", 104, 0xff8d, 13},          {"esc", 9, 0xff1b, 27},
      {"F1", 67, 0xffbe, 0},                      {"tab", 23, 0xff09, 0},
      {"unknown key", 200, 0, 0},
  };
  for (const Case &c : cases) EXPECT_EQ(Inp_Native_Key_Code(c.keycode, c.keysym), c.vk) << c.what;
}
