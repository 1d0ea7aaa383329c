// The game's single pseudo-random generator.
#pragma once
#include <cstdint>
#include <random>

class Rng {
 public:
  virtual ~Rng() = default;
  // A uniform integer 0 .. n - 1 (0 when n < 1).
  virtual int32_t Random(int32_t n) = 0;
};

// Mersenne twister, seeded once (from the clock at start-up).
class DefaultRng : public Rng {
 public:
  explicit DefaultRng(uint32_t seed) : gen_(seed) {}
  int32_t Random(int32_t n) override {
    if (n < 1) return 0;
    return static_cast<int32_t>(std::uniform_int_distribution<int32_t>(0, n - 1)(gen_));
  }

 private:
  std::mt19937 gen_;
};
