// Brings the gamepads' changes to the GUI thread. The pads are watched on a thread of their own
// (a pad with a device node wakes it by itself; one without is read every 4 ms); the handler runs
// between the GUI thread's other events, only when the controls the pads hold may have changed (a
// stick trembling inside its dead zone wakes nothing). With no game-controller subsystem nothing
// runs at all.
#pragma once
#include <QObject>
#include <functional>

#include "platform/pad.h"

class PadPoller : public QObject {
 public:
  // handler(state, pads): called on the GUI thread with the merged state of the connected pads
  // and their number, each time the number or the controls the state holds change (0: no pad;
  // the state is then all released).
  using Handler = std::function<void(const PadState &, int)>;
  explicit PadPoller(Handler handler, PadWatch::NodeOpener open = PadWatch::OpenEventNode);
  ~PadPoller() override { Stop(); }

  // Opens the subsystem and starts watching; false when there is no subsystem (nothing runs).
  bool Start();
  // Stops watching and closes the pads; the handler is not called again.
  void Stop();

 private:
  PadWatch watch_;
  Handler handler_;
  PadWatch::NodeOpener open_;
  bool running_ = false;
  PadState last_;      // on the watching thread: the last state handed on
  int last_pads_ = 0;  // and its number of pads
};
