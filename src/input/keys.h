// The eight controls, the 44 bindable keys and the dispatch of key presses to the control routines.
#pragma once
#include <cstdint>
#include <string>

struct Game;
class Store;

constexpr int kControls = 8;  // Game A, Game B, Time, Up, Left, Right, Down, Jump
constexpr int kKeys = 44;

struct KeyBinding {
  int32_t key_index = 0;     // 1 .. 44 into the key table
  uint16_t virtual_key = 0;  // the Windows virtual-key code the keyboard events carry; 0 = none
};

struct Controls {
  KeyBinding key_binding[kControls + 1];  // 1 .. 8
};

// Text of key index i (1..44) in the key settings lists: "0".."9", "A".."Z", "<UP ARROW>", ...
const char *Inp_Key_List_Text(int32_t key_index);
// Name of key index i in the hints: "'1'", "'up arrow' key", "'spacebar'"; empty outside 1..44.
const char *Inp_Key_Name(int32_t key_index);
// Virtual-key code of key index i; 0 outside 1..44.
uint16_t Inp_Key_Code(int32_t key_index);
// Virtual-key code of a physical key from its X key code (evdev numbering) and the keysym it carries
// on the unshifted level of the active layout: the digit row gives '0'..'9' on every layout, a key
// carrying a Latin letter that letter, a letter of another script the letter at its position on
// the common desktop layout, the named keys their codes (also Enter 13, Esc 27); otherwise 0.
uint16_t Inp_Native_Key_Code(uint32_t x_keycode, uint32_t keysym);
// Default key index of control c (1..8): 2, 3, 4, 37, 39, 40, 38, 42.
int32_t Inp_Default_Key(int c);

// Sets the record's virtual_key from its key_index; an index outside 1..44 leaves it as it was.
void AssignWord(int control, KeyBinding &binding);
// Start-up: reads Key1..Key8, writes each back and derives its code.
void Inp_Load_Bindings(Controls &c, Store &store);
// Hint text of control c's button face for the current bindings.
std::string Inp_Hint(const Controls &c, int control);
// Sets the hints of the eight button faces from the current bindings.
void Inp_Build_Hints(const Controls &c, Game &g);

// Keyboard dispatch: the first control bound to code vk gets its press / release routine.
// Returns true when a control took the key.
bool Inp_Key_Down(const Controls &c, Game &g, uint16_t vk);
bool Inp_Key_Up(const Controls &c, Game &g, uint16_t vk);
// Press / release routine of control c (1..8), as the mouse on its button face calls them.
void Inp_Control_Down(Game &g, int control);
void Inp_Control_Up(Game &g, int control);
