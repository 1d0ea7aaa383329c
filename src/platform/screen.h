// What the game needs to know of the desktop: the primary screen's size, text measuring for the
// labels it centres, and the local time for the clock.
#pragma once
#include <cstdint>
#include <string>

enum class Font { StageTitle, StageName };

class Screen {
 public:
  virtual ~Screen() = default;
  virtual int32_t Width() = 0;
  virtual int32_t Height() = 0;
  // Size in pixels of a label holding text in font, sized to its text.
  virtual void TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) = 0;
  // Local time of day.
  virtual void LocalTime(int32_t *hour, int32_t *minute) = 0;
  // Device pixels per screen pixel in each direction (pictures are loaded at that resolution).
  virtual double PixelScale() { return 1.0; }
};

// A fixed screen for tests and headless runs; text is measured at a fixed width per character.
class FixedScreen : public Screen {
 public:
  FixedScreen(int32_t w, int32_t h) : w_(w), h_(h) {}
  int32_t Width() override { return w_; }
  int32_t Height() override { return h_; }
  void TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) override {
    const int32_t ch = font == Font::StageTitle ? 49 : 31;
    *w = static_cast<int32_t>(text.size()) * ch / 2;
    *h = ch;
  }
  void LocalTime(int32_t *hour, int32_t *minute) override { *hour = hour_; *minute = minute_; }
  void SetTime(int32_t h, int32_t m) { hour_ = h; minute_ = m; }
  void SetSize(int32_t w, int32_t h) { w_ = w; h_ = h; }

 private:
  int32_t w_, h_;
  int32_t hour_ = 0, minute_ = 0;
};
