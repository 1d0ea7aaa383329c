#include "app/pad_poller.h"

#include <QMetaObject>

namespace {

// Whether two states hold the same controls whatever direction is held before (the mapping keeps
// a held direction near a diagonal, so each is tried).
bool SameControls(const PadState &a, const PadState &b) {
  for (int held : {0, 4, 5, 6, 7})
    if (!(Inp_Pad_Map(a, held) == Inp_Pad_Map(b, held))) return false;
  return true;
}

}  // namespace

PadPoller::PadPoller(Handler handler, PadWatch::NodeOpener open)
    : handler_(std::move(handler)), open_(std::move(open)) {}

bool PadPoller::Start() {
  last_ = PadState{};
  last_pads_ = 0;
  running_ = watch_.Start(
      [this](const PadState &s, int pads) {
        if (pads == last_pads_ && SameControls(s, last_)) return;
        last_ = s;
        last_pads_ = pads;
        QMetaObject::invokeMethod(
            this, [this, s, pads] { if (running_) handler_(s, pads); }, Qt::QueuedConnection);
      },
      open_);
  return running_;
}

void PadPoller::Stop() {
  // Changes already on their way to the GUI thread are dropped when they arrive.
  running_ = false;
  watch_.Stop();
}
