#include "app/qt/pad_poller.h"

#include <QMetaObject>

PadPoller::PadPoller(Handler handler, PadWatch::NodeOpener open)
    : handler_(std::move(handler)), open_(std::move(open)) {}

bool PadPoller::Start() {
  last_ = PadState{};
  last_pads_ = 0;
  running_ = watch_.Start(
      [this](const PadState &s, int pads) {
        if (pads == last_pads_ && Inp_Pad_Same_Controls(s, last_)) return;
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
