#include "synth.h"

#include <cmath>
#include <sstream>

namespace {

enum class Wave { Square, Pulse, Triangle, Noise };

struct Tone {
  double from_hz = 0, to_hz = 0;  // 0 = silence
  int ms = 0;
};

// "A4" = 440 Hz; sharps with '#', flats with 'b'.
bool ParsePitch(const std::string &s, double *hz) {
  if (s == "-") {
    *hz = 0;
    return true;
  }
  if (!s.empty() && (std::isdigit(static_cast<unsigned char>(s[0])))) {
    char *end = nullptr;
    *hz = std::strtod(s.c_str(), &end);
    return end && *end == 0 && *hz > 0 && *hz < kSynthRate / 2;
  }
  static const int kSemis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (s.size() < 2 || s[0] < 'A' || s[0] > 'G') return false;
  int semi = kSemis[s[0] - 'A'];
  size_t i = 1;
  if (s[i] == '#') semi++, i++;
  else if (s[i] == 'b') semi--, i++;
  if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])) || i + 1 != s.size()) return false;
  const int octave = s[i] - '0';
  const int from_a4 = semi - 9 + (octave - 4) * 12;
  *hz = 440.0 * std::pow(2.0, from_a4 / 12.0);
  return true;
}

bool ParseTone(const std::string &s, Tone *t) {
  const size_t colon = s.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string pitch = s.substr(0, colon);
  t->ms = std::atoi(s.c_str() + colon + 1);
  if (t->ms <= 0 || t->ms > 10000) return false;
  const size_t glide = pitch.find('>');
  if (glide == std::string::npos) {
    if (!ParsePitch(pitch, &t->from_hz)) return false;
    t->to_hz = t->from_hz;
    return true;
  }
  return ParsePitch(pitch.substr(0, glide), &t->from_hz) && ParsePitch(pitch.substr(glide + 1), &t->to_hz);
}

}  // namespace

bool Synth_Render(const std::string &recipe, std::vector<int16_t> *samples, std::string *error) {
  std::istringstream in(recipe);
  std::string wave_name;
  double volume = 0;
  in >> wave_name >> volume;
  Wave wave;
  if (wave_name == "square") wave = Wave::Square;
  else if (wave_name == "pulse") wave = Wave::Pulse;
  else if (wave_name == "triangle") wave = Wave::Triangle;
  else if (wave_name == "noise") wave = Wave::Noise;
  else {
    *error = "unknown wave \"" + wave_name + "\"";
    return false;
  }
  if (!(volume > 0 && volume <= 1)) {
    *error = "volume must lie in 0..1";
    return false;
  }
  std::vector<Tone> tones;
  for (std::string word; in >> word;) {
    Tone t;
    if (!ParseTone(word, &t)) {
      *error = "bad tone \"" + word + "\"";
      return false;
    }
    tones.push_back(t);
  }
  if (tones.empty()) {
    *error = "no tones";
    return false;
  }
  samples->clear();
  double phase = 0;
  uint32_t lfsr = 0xACE1u;  // fixed seed: the same recipe always gives the same bytes
  double noise_value = 1;
  const int attack = kSynthRate * 15 / 10000, release = kSynthRate * 3 / 1000;
  for (const Tone &t : tones) {
    const int n = t.ms * kSynthRate / 1000;
    for (int i = 0; i < n; ++i) {
      const double f = t.from_hz + (t.to_hz - t.from_hz) * i / n;
      double v = 0;
      if (f > 0) {
        const double before = phase;
        phase += f / kSynthRate;
        phase -= std::floor(phase);
        switch (wave) {
          case Wave::Square: v = phase < 0.5 ? 1 : -1; break;
          case Wave::Pulse: v = phase < 0.25 ? 1 : -1; break;
          case Wave::Triangle: v = phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase; break;
          case Wave::Noise:
            if (phase < before) {  // a new period: next pseudo-random level
              const uint32_t bit = ((lfsr >> 0) ^ (lfsr >> 2) ^ (lfsr >> 3) ^ (lfsr >> 5)) & 1u;
              lfsr = (lfsr >> 1) | (bit << 15);
              noise_value = (lfsr & 1u) ? 1 : -1;
            }
            v = noise_value;
            break;
        }
        // Short ramps at both ends of a tone keep the edges free of clicks.
        double env = 1;
        if (i < attack) env = static_cast<double>(i) / attack;
        if (n - i < release) env = std::min(env, static_cast<double>(n - i) / release);
        v *= env;
      }
      samples->push_back(static_cast<int16_t>(std::lround(v * volume * 32000)));
    }
  }
  return true;
}

std::string Synth_Wave_File(const std::vector<int16_t> &samples) {
  std::string out;
  auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&out](uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
  };
  const auto data_bytes = static_cast<uint32_t>(samples.size() * 2);
  out += "RIFF";
  u32(36 + data_bytes);
  out += "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(kSynthRate);
  u32(kSynthRate * 2);
  u16(2);
  u16(16);
  out += "data";
  u32(data_bytes);
  for (int16_t s : samples) u16(static_cast<uint16_t>(s));
  return out;
}

int32_t Synth_Length_Ms(size_t sample_count) {
  return static_cast<int32_t>((sample_count * 1000 + kSynthRate / 2) / kSynthRate);
}
