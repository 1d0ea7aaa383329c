// The skin the benchmarks load and paint: the built program's stage 1 skin when there is one,
// otherwise a synthetic skin of the same shape written to a temporary folder.
#pragma once
#include <string>
#include <vector>

#include "config/config.h"
#include "display/lcd.h"

struct BenchSkin {
  std::string description;
  Config cfg;                       // one stage: the skin's folder
  std::vector<std::string> files;   // every picture file the skin names, as found on disk
};

// Built on first use. A synthetic skin is written once into the build folder.
const BenchSkin &Bench_Skin();
// Loads and lays out the skin into lcd on a screen of w x h (1024 x 768 unless given).
void Bench_Load(Lcd &lcd, int w = 1024, int h = 768);
