// Measuring aid for the key-to-screen benchmark: with KT_BENCH_PAD=<fifo> in the environment, the
// game window attaches one of SDL's virtual game controllers once its gamepads are watched, and a
// thread presses it as the fifo says, one character a change: the D-pad's left, right, up and down
// and the south button as L R U D A down, l r u d a up. The pad is read like any other pad without a
// device node. Without the variable nothing is made.
#pragma once
#include <memory>

class Plat_Bench_Pad {
 public:
  // The aid when KT_BENCH_PAD names a fifo and a virtual pad could be attached; otherwise null.
  static std::unique_ptr<Plat_Bench_Pad> FromEnvironment();
  ~Plat_Bench_Pad();

 private:
  Plat_Bench_Pad() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
