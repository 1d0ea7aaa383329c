// Key codes of Qt key events. Under X11 and Wayland the code comes from the physical key (its X
// key code and the symbol it carries on the unshifted level of the active layout), never from the
// typed text; events without native key information (made up by a program) fall back on Qt's key.
#include <QGuiApplication>
#include <QKeyEvent>

#include "input/keys.h"
#include "platform/qt/qt_platform.h"

#ifdef KT_HAVE_XCB
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#endif

namespace {

// X key codes lie in 8 .. 255; other platforms' scan codes are not looked at.
bool IsXKeycode(quint32 code) { return code >= 8 && code <= 255; }

#ifdef KT_HAVE_XCB
// The keysym of an X key code on the unshifted level of the event's layout group, asked of the X
// server at each event so that a layout switched while the program runs is followed at once; 0
// when the server has none.
uint32_t UnshiftedKeysym(quint32 keycode, quint32 state) {
  auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t *c = x11 ? x11->connection() : nullptr;
  if (!c) return 0;
  const auto cookie = xcb_get_keyboard_mapping(c, static_cast<xcb_keycode_t>(keycode), 1);
  xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
  if (!reply) return 0;
  const uint32_t sym = Plat_Group_Keysym(xcb_get_keyboard_mapping_keysyms(reply),
                                         xcb_get_keyboard_mapping_keysyms_length(reply), state);
  std::free(reply);
  return sym;
}
#else
uint32_t UnshiftedKeysym(quint32, quint32) { return 0; }
#endif

// Events without native key information: digits of the main keyboard, letters, the named keys.
uint16_t FromQtKey(const QKeyEvent *e) {
  const int k = e->key();
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return keypad ? 0 : static_cast<uint16_t>(k);
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<uint16_t>(k);
  switch (k) {
    case Qt::Key_Up: return 38;
    case Qt::Key_Down: return 40;
    case Qt::Key_Left: return 37;
    case Qt::Key_Right: return 39;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_Control: return 17;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Space: return 32;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    default: return 0;
  }
}

}  // namespace

uint32_t Plat_Group_Keysym(const uint32_t *syms, int n, uint32_t state) {
  const int group = static_cast<int>((state >> 13) & 3);  // the XKB group bits of the key event's state
  uint32_t sym = 0;
  if (group == 1 && n > 2) sym = syms[2];
  if (sym == 0 && n > 0) sym = syms[0];  // a key with one group has it in every group
  return sym;
}

uint16_t Plat_Virtual_Key(const QKeyEvent *e) {
  const quint32 code = e->nativeScanCode();
  if (!IsXKeycode(code)) return FromQtKey(e);
  uint32_t sym = 0;
  if (QGuiApplication::platformName() == QLatin1String("xcb")) sym = UnshiftedKeysym(code, e->nativeModifiers());
  // Elsewhere (or when the server did not answer) the event's own keysym; letters count in
  // either case.
  if (sym == 0) sym = e->nativeVirtualKey();
  return Inp_Native_Key_Code(code, sym);
}
