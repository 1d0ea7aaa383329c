// Reads the gamepads on the GUI thread, between the other events: every 4 ms while a pad is
// connected (a press reaches its control within that), once a second otherwise to notice a pad
// being plugged in. With no game-controller subsystem nothing is polled at all.
#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/pad.h"

class PadPoller : public QObject {
 public:
  // handler(state, pads): called after every poll with the merged state of the connected pads
  // and their number (0: no pad; the state is then all released).
  using Handler = std::function<void(const PadState &, int)>;
  explicit PadPoller(Handler handler);

  // Opens the subsystem and starts polling; false when there is no subsystem (nothing polls).
  bool Start();
  // Stops polling and closes the pads; the handler is not called again.
  void Stop();

  static constexpr int kFastMs = 4, kSlowMs = 1000;

 private:
  void Poll();
  PadSource source_;
  QTimer timer_;
  Handler handler_;
};
