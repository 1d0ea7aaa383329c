#include "input/keys.h"

#include "display/lcd.h"
#include "game/game.h"
#include "platform/store.h"

namespace {

struct Key {
  const char *list_text;
  const char *name;
  uint16_t code;
};

const Key kNamed[8] = {
    {"<UP ARROW>", "'up arrow' key", 38}, {"<DOWN ARROW>", "'down arrow' key", 40},
    {"<LEFT ARROW>", "'left arrow' key", 37}, {"<RIGHT ARROW>", "'right arrow' key", 39},
    {"<ALT>", "'alt' key", 18}, {"<CTRL>", "'ctrl' key", 17},
    {"<SHIFT>", "'shift' key", 16}, {"<SPACEBAR>", "'spacebar'", 32},
};

struct Table {
  char list[37][2];
  char names[37][4];
  Table() {
    for (int i = 1; i <= 36; ++i) {
      const char ch = i <= 10 ? static_cast<char>('0' + i - 1) : static_cast<char>('A' + i - 11);
      list[i][0] = ch;
      list[i][1] = 0;
      names[i][0] = '\'';
      names[i][1] = ch;
      names[i][2] = '\'';
      names[i][3] = 0;
    }
  }
};
const Table &T() {
  static const Table t;
  return t;
}

const char *const kHintTail[kControls + 1] = {
    "", " to start game A (hold to view highscore)", " to start game B (hold to view highscore)",
    " to view current time", "", "", "", "", ""};

const el::Id kFaces[kControls + 1] = {el::NONE, el::btn_game_a_top, el::btn_game_b_top, el::btn_time_top,
                                      el::btn_move_up_top, el::btn_move_left_top, el::btn_move_right_top,
                                      el::btn_move_down_top, el::btn_jump_top};

using Routine = void (*)(Game &);
const Routine kDown[kControls + 1] = {nullptr, Inp_game_a_down, Inp_game_b_down, Inp_time_down,
                                      Inp_move_up_down, Inp_move_left_down, Inp_move_right_down,
                                      Inp_move_down_down, Inp_jump_down};
const Routine kUp[kControls + 1] = {nullptr, Inp_game_a_up, Inp_game_b_up, Inp_time_up, Inp_move_up_up,
                                    Inp_move_left_up, Inp_move_right_up, Inp_move_down_up, Inp_jump_up};

int Match(const Controls &c, uint16_t vk) {
  if (vk == 0) return 0;
  for (int i = 1; i <= kControls; ++i)
    if (c.key_binding[i].virtual_key == vk) return i;
  return 0;
}

}  // namespace

const char *Inp_Key_List_Text(int32_t i) {
  if (i >= 1 && i <= 36) return T().list[i];
  if (i >= 37 && i <= 44) return kNamed[i - 37].list_text;
  return "";
}

const char *Inp_Key_Name(int32_t i) {
  if (i >= 1 && i <= 36) return T().names[i];
  if (i >= 37 && i <= 44) return kNamed[i - 37].name;
  return "";
}

uint16_t Inp_Key_Code(int32_t i) {
  if (i >= 1 && i <= 10) return static_cast<uint16_t>('0' + i - 1);
  if (i >= 11 && i <= 36) return static_cast<uint16_t>('A' + i - 11);
  if (i >= 37 && i <= 44) return kNamed[i - 37].code;
  return 0;
}

int32_t Inp_Default_Key(int c) {
  static const int32_t d[kControls + 1] = {0, 2, 3, 4, 37, 39, 40, 38, 42};
  return c >= 1 && c <= kControls ? d[c] : 0;
}

void AssignWord(int, KeyBinding &b) {
  if (b.key_index >= 1 && b.key_index <= kKeys) b.virtual_key = Inp_Key_Code(b.key_index);
}

void Inp_Load_Bindings(Controls &c, Store &store) {
  for (int i = 1; i <= kControls; ++i)
    c.key_binding[i].key_index = store.ReadInteger("Key" + std::to_string(i), Inp_Default_Key(i));
  // Only the bindings the store does not hold as they are are written back, all in one write:
  // every write is a durable rewrite of the settings file, and the start-up waited on the disk
  // eight times.
  std::vector<std::pair<std::string, std::string>> changed;
  for (int i = 1; i <= kControls; ++i) {
    const std::string name = "Key" + std::to_string(i), text = std::to_string(c.key_binding[i].key_index);
    if (store.ReadText(name) != text) changed.emplace_back(name, text);
    AssignWord(i, c.key_binding[i]);
  }
  if (!changed.empty()) store.WriteTexts(changed);
}

std::string Inp_Hint(const Controls &c, int control) {
  const int32_t k = c.key_binding[control].key_index;
  // A stored index outside the key table (only by editing the store) binds no key; the hint
  // says so rather than naming a key that does nothing.
  if (k < 1 || k > kKeys) return std::string("click (no key bound)") + kHintTail[control];
  return std::string("click or press ") + Inp_Key_Name(k) + kHintTail[control];
}

void Inp_Build_Hints(const Controls &c, Game &g) {
  for (int i = 1; i <= kControls; ++i) g.lcd.e[kFaces[i]].hint = Inp_Hint(c, i);
}

bool Inp_Key_Down(const Controls &c, Game &g, uint16_t vk) {
  const int i = Match(c, vk);
  if (i) kDown[i](g);
  return i != 0;
}

bool Inp_Key_Up(const Controls &c, Game &g, uint16_t vk) {
  const int i = Match(c, vk);
  if (i) kUp[i](g);
  return i != 0;
}

void Inp_Control_Down(Game &g, int control) {
  if (control >= 1 && control <= kControls) kDown[control](g);
}

void Inp_Control_Up(Game &g, int control) {
  if (control >= 1 && control <= kControls) kUp[control](g);
}
