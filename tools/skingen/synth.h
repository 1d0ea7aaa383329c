// Beeper-style tones written as 16-bit mono PCM wave files at 22050 Hz.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kSynthRate = 22050;

// One recipe: "<wave> <volume> <tone> <tone> ...", wave one of square, pulse, triangle, noise;
// volume 0..1; a tone is "<pitch>:<ms>" or "<pitch>><pitch>:<ms>" (a glide), where a pitch is a
// frequency in Hz, a note name such as C5, F#4 or Bb3, or "-" for silence.
// On a syntax error returns false and describes it in *error.
bool Synth_Render(const std::string &recipe, std::vector<int16_t> *samples, std::string *error);
// The samples as a RIFF wave file.
std::string Synth_Wave_File(const std::vector<int16_t> &samples);
// Length in milliseconds, rounded to the nearest.
int32_t Synth_Length_Ms(size_t sample_count);
