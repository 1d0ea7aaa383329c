// Key codes from the physical key: the X key code (evdev numbering, as X servers and Wayland
// compositors on Linux deliver it) and the symbol the key carries on the unshifted level of the
// active layout (an X keysym). The typed text plays no part, so neither Shift, Caps Lock nor the
// layout's punctuation changes which control a key works.
#include "input/keys.h"

namespace {

// Keysyms of the named keys.
constexpr uint32_t kSymSpace = 0x20, kSymReturn = 0xff0d, kSymEscape = 0xff1b, kSymKpEnter = 0xff8d;
constexpr uint32_t kSymLeft = 0xff51, kSymUp = 0xff52, kSymRight = 0xff53, kSymDown = 0xff54;
constexpr uint32_t kSymShiftL = 0xffe1, kSymShiftR = 0xffe2, kSymCtrlL = 0xffe3, kSymCtrlR = 0xffe4;
constexpr uint32_t kSymMetaL = 0xffe7, kSymMetaR = 0xffe8, kSymAltL = 0xffe9, kSymAltR = 0xffea;
constexpr uint32_t kSymAltGr = 0xfe03;  // the right Alt key of many European layouts
constexpr uint32_t kSymUnicode = 0x1000000;  // keysyms 0x1000000 + code point name any character

// The digit row 1 .. 9, 0 has X key codes 10 .. 19 whatever it types.
constexpr uint32_t kDigitRowFirst = 10, kDigitRowLast = 19;

// The letters of the common desktop layout by X key code (24 'Q' .. 58 'M'), 0 where that layout
// has no letter. Keys that carry letters of another script take the letter of their position.
constexpr uint32_t kPositionFirst = 24;
constexpr char kPositionLetters[] = "QWERTYUIOP\0\0\0\0ASDFGHJKL\0\0\0\0\0ZXCVBNM";

// True when the keysym is a letter (or syllable) of a script other than Latin.
bool OtherScript(uint32_t sym) {
  // Legacy keysym blocks: kana 0x4a1.., Arabic 0x5.., Cyrillic 0x6.., Greek 0x7..; Hebrew 0xc..,
  // Thai 0xd.., Korean 0xe.. (0x8.. - 0xb.. are technical symbols).
  if (sym >= 0x4a1 && sym <= 0x7ff) return true;
  if (sym >= 0xc00 && sym <= 0xeff) return true;
  if (sym > kSymUnicode && sym <= kSymUnicode + 0x10ffff) {
    const uint32_t cp = sym - kSymUnicode;
    // Greek to Mongolian (before Latin Extended Additional), then kana, CJK and Hangul.
    return (cp >= 0x370 && cp < 0x1e00) || (cp >= 0x3040 && cp <= 0xd7af);
  }
  return false;
}

}  // namespace

uint16_t Inp_Native_Key_Code(uint32_t x_keycode, uint32_t keysym) {
  if (x_keycode >= kDigitRowFirst && x_keycode <= kDigitRowLast)
    return static_cast<uint16_t>(x_keycode == kDigitRowLast ? '0' : '1' + (x_keycode - kDigitRowFirst));
  if (keysym >= 'a' && keysym <= 'z') return static_cast<uint16_t>(keysym - 'a' + 'A');
  if (keysym >= 'A' && keysym <= 'Z') return static_cast<uint16_t>(keysym);
  switch (keysym) {
    case kSymUp: return 38;
    case kSymDown: return 40;
    case kSymLeft: return 37;
    case kSymRight: return 39;
    case kSymAltL: case kSymAltR: case kSymMetaL: case kSymMetaR: case kSymAltGr: return 18;
    case kSymCtrlL: case kSymCtrlR: return 17;
    case kSymShiftL: case kSymShiftR: return 16;
    case kSymSpace: return 32;
    case kSymReturn: case kSymKpEnter: return 13;
    case kSymEscape: return 27;
    default: break;
  }
  if (OtherScript(keysym) && x_keycode >= kPositionFirst &&
      x_keycode < kPositionFirst + sizeof(kPositionLetters) - 1)
    return static_cast<uint16_t>(kPositionLetters[x_keycode - kPositionFirst]);
  return 0;
}
