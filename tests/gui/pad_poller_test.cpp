// The gamepad poller hands the watcher's changes to the GUI thread, and only those that change the
// controls held. SDL's virtual pad, with a pipe standing in for its device node.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

#include "app/qt/pad_poller.h"
#include "../virtual_pad.h"

namespace {

// Runs the GUI thread's events until `done` or `ms` have passed.
bool Until(const std::function<bool()> &done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return done();
}

}  // namespace

TEST(PadPoller, OnlyChangesOfTheControlsReachTheGuiThread) {
  setenv("SDL_JOYSTICK_HIDAPI", "0", 1);
  int node[2];
  ASSERT_EQ(pipe2(node, O_CLOEXEC | O_NONBLOCK), 0);
  int calls = 0, pads = 0, direction = 0;
  bool gui_thread = true;
  PadPoller poller(
      [&](const PadState &s, int n) {
        ++calls;
        pads = n;
        direction = Inp_Pad_Map(s, direction).direction;
        gui_thread = gui_thread && QThread::currentThread() == QCoreApplication::instance()->thread();
      },
      [&](const PadNode &) { return fcntl(node[0], F_DUPFD_CLOEXEC, 0); });
  ASSERT_TRUE(poller.Start()) << SDL_GetError();
  SDL_Joystick *js = Test_Attach_Virtual_Pad("test pad");
  ASSERT_TRUE(js) << SDL_GetError();
  auto stick = [&](int16_t x, int16_t y) {
    SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTX, x);
    SDL_JoystickSetVirtualAxis(js, SDL_CONTROLLER_AXIS_LEFTY, y);
    ASSERT_EQ(write(node[1], "e", 1), 1);
  };
  ASSERT_TRUE(Until([&] { return pads == 1; }, 3000));
  const int found = calls;

  // The stick trembling inside its dead zone, then pushed right, then moved along that direction.
  stick(5000, -3000);
  EXPECT_FALSE(Until([&] { return calls > found; }, 150)) << "a stick inside its dead zone woke the GUI thread";
  stick(30000, 0);
  EXPECT_TRUE(Until([&] { return direction == 6; }, 400));
  const int pushed = calls;
  stick(31000, 9000);
  EXPECT_FALSE(Until([&] { return calls > pushed; }, 150));
  // Turned up: near the diagonal Right is kept, clearly past it Up is taken.
  stick(20000, -24000);
  EXPECT_FALSE(Until([&] { return direction != 6; }, 150));
  stick(15000, -24000);
  EXPECT_TRUE(Until([&] { return direction == 4; }, 400));
  EXPECT_TRUE(gui_thread) << "the handler ran on the watching thread";

  Test_Detach_Virtual_Pad(js);
  poller.Stop();
  close(node[0]);
  close(node[1]);
}
