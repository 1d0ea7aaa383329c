// Gamepads: the fixed mapping and the stick's dead zone on plain pad states, and press, hold,
// release and unplug sequences through SDL's virtual joystick reaching the control routines.
#include <SDL.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "input/pad.h"
#include "platform/pad.h"
#include "test_support.h"
#include "virtual_pad.h"

namespace {

PadState Buttons(std::initializer_list<PadButton> down, int32_t x = 0, int32_t y = 0) {
  PadState s;
  for (PadButton b : down) s.button[b] = true;
  s.stick_x = x;
  s.stick_y = y;
  return s;
}

// The controls a state holds, as "1 8" (control numbers in order), from a held direction.
std::string Held(const PadState &s, int current = 0) {
  const PadHeld h = Inp_Pad_Map(s, current);
  std::string out;
  for (int c = 1; c <= kControls; ++c)
    if (h.control[c]) out += (out.empty() ? "" : " ") + std::to_string(c);
  return out;
}

}  // namespace

TEST(PadMapping, ButtonsDpadAndStickToControls) {
  struct Case {
    const char *what;
    PadState s;
    int current;
    const char *held;
  } cases[] = {
      {"nothing", Buttons({}), 0, ""},
      {"south jumps", Buttons({kPadSouth}), 0, "8"},
      {"east jumps", Buttons({kPadEast}), 0, "8"},
      {"west does nothing", Buttons({kPadWest}), 0, ""},
      {"start, back, north", Buttons({kPadStart, kPadBack, kPadNorth}), 0, "1 2 3"},
      {"d-pad up", Buttons({kPadUp}), 0, "4"},
      {"d-pad left", Buttons({kPadLeft}), 0, "5"},
      {"d-pad right", Buttons({kPadRight}), 0, "6"},
      {"d-pad down", Buttons({kPadDown}), 0, "7"},
      {"d-pad diagonal: one direction", Buttons({kPadUp, kPadLeft}), 0, "4"},
      {"d-pad diagonal keeps the held one", Buttons({kPadUp, kPadLeft}), 5, "5"},
      {"d-pad before the stick", Buttons({kPadDown}, -30000, 0), 0, "7"},
      {"direction and jump together", Buttons({kPadSouth, kPadRight}), 0, "6 8"},
      // The stick: dead zone, then the stronger axis; y grows downwards.
      {"stick inside the dead zone", Buttons({}, kPadDeadZone - 1, -(kPadDeadZone - 1)), 0, ""},
      {"stick at the dead zone's edge", Buttons({}, kPadDeadZone, 0), 0, "6"},
      {"stick left", Buttons({}, -32768, 2000), 0, "5"},
      {"stick up", Buttons({}, 3000, -20000), 0, "4"},
      {"stick down", Buttons({}, 0, 32767), 0, "7"},
      {"stick diagonal, x stronger", Buttons({}, 25000, 20000), 0, "6"},
      {"stick near the diagonal keeps the held direction", Buttons({}, 20000, -24000), 6, "6"},
      {"stick clearly past the diagonal turns", Buttons({}, 15000, -24000), 6, "4"},
      {"held direction below the dead zone gives way", Buttons({}, 10000, 30000), 6, "7"},
  };
  for (const Case &c : cases) EXPECT_EQ(Held(c.s, c.current), c.held) << c.what;
}

namespace {

// A virtual pad on SDL, plugged in and out by the test.
struct VirtualPad {
  SDL_Joystick *js = nullptr;
  ~VirtualPad() { Unplug(); }
  bool Plug() {
    js = Test_Attach_Virtual_Pad("test pad");
    return js != nullptr;
  }
  void Unplug() {
    if (!js) return;
    Test_Detach_Virtual_Pad(js);
    js = nullptr;
  }
  void Button(SDL_GameControllerButton b, bool down) { SDL_JoystickSetVirtualButton(js, b, down ? 1 : 0); }
  void Stick(int16_t x, int16_t y) {
    SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTY, y);
  }
};

// A game in play whose button faces tell pressed from released, and a virtual pad on SDL.
struct PadGame : InPlayGame, VirtualPad {
  PadSource source;
  PadHeld held;
  PadGame() {
    for (int i = 0; i < el::COUNT; ++i)
      if (std::string(Lcd_Name(static_cast<el::Id>(i))).rfind("btn_", 0) == 0)
        Lcd_Set_Picture(g.lcd, static_cast<el::Id>(i), std::make_shared<Picture>());
    Place(2, 1);
  }
  // One poll as the program makes it.
  int Poll(bool presses_allowed = true) {
    PadState s;
    const int n = source.Read(&s);
    if (n == 0) Inp_Pad_Release_All(held, g);
    else Inp_Pad_Update(held, g, s, presses_allowed);
    return n;
  }
  bool Pressed(el::Id face, el::Id pressed) const { return g.lcd.e[face].pic == g.lcd.e[pressed].pic; }
};

}  // namespace

TEST(PadDevice, PressHoldReleaseAndUnplugReachTheControlRoutines) {
  setenv("SDL_JOYSTICK_HIDAPI", "0", 1);
  PadGame t;
  ASSERT_TRUE(t.source.Open()) << SDL_GetError();
  EXPECT_EQ(t.Poll(), 0);  // no pad: nothing happens
  ASSERT_TRUE(t.Plug()) << SDL_GetError();
  EXPECT_EQ(t.Poll(), 1);

  // Right on the D-pad, held over many polls: one press, Pelko's move held; then the release.
  t.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  for (int i = 0; i < 5; ++i) {
    t.Poll();
    EXPECT_TRUE(t.g.move_key_held);
    EXPECT_TRUE(t.Pressed(el::btn_move_right_top, el::btn_move_right_pressed));
  }
  t.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
  t.Poll();
  EXPECT_FALSE(t.g.move_key_held);
  EXPECT_FALSE(t.Pressed(el::btn_move_right_top, el::btn_move_right_pressed));

  // The stick pushed left, then turned up past the diagonal: Left is let go before Up goes down.
  t.Stick(-30000, 0);
  t.Poll();
  EXPECT_TRUE(t.Pressed(el::btn_move_left_top, el::btn_move_left_pressed));
  t.Stick(-5000, -30000);
  t.Poll();
  EXPECT_FALSE(t.Pressed(el::btn_move_left_top, el::btn_move_left_pressed));
  EXPECT_TRUE(t.Pressed(el::btn_move_up_top, el::btn_move_up_pressed));
  t.Stick(0, 0);
  t.Poll();
  EXPECT_FALSE(t.g.move_key_held);

  // While the game window does not have the keyboard presses do nothing, releases still do.
  t.Button(SDL_CONTROLLER_BUTTON_A, true);
  t.Poll(false);
  EXPECT_FALSE(t.g.jump_key_held);

  // South held for Jump and Down on the D-pad, then the pad is unplugged: both are let go.
  t.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  t.Poll();
  EXPECT_TRUE(t.g.jump_key_held);
  EXPECT_TRUE(t.g.move_key_held);
  t.Unplug();
  EXPECT_EQ(t.Poll(), 0);
  EXPECT_FALSE(t.g.jump_key_held);
  EXPECT_FALSE(t.g.move_key_held);
  EXPECT_FALSE(t.Pressed(el::btn_jump_top, el::btn_jump_pressed));
  EXPECT_FALSE(t.Pressed(el::btn_move_down_top, el::btn_move_down_pressed));

  // Plugged in again mid-game: Start is Game A's button; held, it shows the high score, and its
  // release starts a game.
  ASSERT_TRUE(t.Plug());
  t.Poll();
  t.Button(SDL_CONTROLLER_BUTTON_START, true);
  t.Poll();
  t.Poll();
  EXPECT_EQ(t.g.game_mode, kModeGameAHeld);
  t.Button(SDL_CONTROLLER_BUTTON_START, false);
  t.Poll();
  EXPECT_EQ(t.g.game_mode, kModeGameA);
  t.source.Close();
  t.source.Close();
  PadState s;
  EXPECT_EQ(t.source.Read(&s), 0);  // closed: no pad, nothing read
}

namespace {

// What a pad watcher reported last, as its thread reports it.
struct Reports {
  std::mutex m;
  std::condition_variable cv;
  int pads = 0;
  bool jump = false;
  void Changed(const PadState &s, int n) {
    std::lock_guard l(m);
    pads = n;
    jump = Inp_Pad_Map(s, 0).control[8];
    cv.notify_all();
  }
  // Whether pads and Jump reach the given values within `ms`.
  bool Reach(int want_pads, bool want_jump, int ms) {
    std::unique_lock l(m);
    return cv.wait_for(l, std::chrono::milliseconds(ms), [&] { return pads == want_pads && jump == want_jump; });
  }
};

}  // namespace

#ifdef _WIN32
// Windows pads have no device node: the watcher reads a connected pad on its short clock, looks
// for new pads once a second, and lets an unplugged pad go.
TEST(PadWatch, PadsArePolledFoundAndLetGo) {
  Reports seen;
  PadWatch watch;
  ASSERT_TRUE(watch.Start([&](const PadState &s, int n) { seen.Changed(s, n); })) << SDL_GetError();
  VirtualPad pad;
  ASSERT_TRUE(pad.Plug()) << SDL_GetError();
  ASSERT_TRUE(seen.Reach(1, false, 3000));
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_TRUE(seen.Reach(1, true, 400));
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_TRUE(seen.Reach(1, false, 400));
  pad.Unplug();
  EXPECT_TRUE(seen.Reach(0, false, 1000));
  const auto t0 = std::chrono::steady_clock::now();
  watch.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500)) << "stopping waited for the next look";
}
#else
// A pad with a device node is read when its node has something to read, not on a clock; when the
// node goes away (the pad unplugged) the pad is let go at once, even while SDL still lists it. A
// pipe stands in for the node.
TEST(PadWatch, NodeWakesTheWatcherAndItsLossReleasesThePad) {
  setenv("SDL_JOYSTICK_HIDAPI", "0", 1);
  int node[2];
  ASSERT_EQ(pipe2(node, O_CLOEXEC | O_NONBLOCK), 0);
  Reports seen;
  PadWatch watch;
  ASSERT_TRUE(watch.Start([&](const PadState &s, int n) { seen.Changed(s, n); },
                          [&](const PadNode &) { return fcntl(node[0], F_DUPFD_CLOEXEC, 0); }))
      << SDL_GetError();
  VirtualPad pad;
  ASSERT_TRUE(pad.Plug()) << SDL_GetError();
  // A new pad is found by the once-a-second look; the next look is a second away from here.
  ASSERT_TRUE(seen.Reach(1, false, 3000));

  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_FALSE(seen.Reach(1, true, 150)) << "a pad with a node was read without its node waking the watcher";
  ASSERT_EQ(write(node[1], "e", 1), 1);
  EXPECT_TRUE(seen.Reach(1, true, 400));
  // What woke the watcher was taken: it sleeps again instead of waking over and over.
  const std::clock_t cpu = std::clock();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC * 3 / 100) << "the watcher keeps waking on a node already read";

  // The node closes while Jump is held and SDL still has the pad.
  close(node[1]);
  EXPECT_TRUE(seen.Reach(0, false, 400));
  pad.Unplug();
  watch.Stop();
  close(node[0]);
}
#endif
