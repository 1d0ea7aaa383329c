// Helpers for the game-rule tests: a TestGame with recognisable sample handles whose playback is
// recorded with the virtual time, and short ways to reach the common states of play.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/vid.h"
#include "test_support.h"

// Sound n of the bank is played as handle 100 + n; the jingles as 201 (game start) and 202 (stage).
constexpr uintptr_t kGameStartJingle = 201, kStageJingle = 202;

class TimedSoundLib : public RecordingSoundLib {
 public:
  explicit TimedSoundLib(const VirtualClock *clock) : clock_(clock) {}
  void Play(SampleHandle s) override {
    RecordingSoundLib::Play(s);
    played.emplace_back(clock_->Now(), reinterpret_cast<uintptr_t>(s));
  }
  std::vector<std::pair<int64_t, uintptr_t>> played;  // (time, handle)

 private:
  const VirtualClock *clock_;
};

struct Play : TestGame {
  TimedSoundLib timed{&clock};

  explicit Play(int32_t screen_w = 1024, int32_t screen_h = 768) : TestGame(screen_w, screen_h) {
    snd.lib = &timed;
    InstallSounds();
    // Distinct glyph pictures, so that the score digits can be read back.
    for (int d = 0; d <= 9; ++d) {
      auto pic = std::make_shared<Picture>();
      pic->width = d + 1;
      Lcd_Set_Picture(g.lcd, g.lcd.panel_number_img[d], pic);
    }
  }

  static SampleHandle Handle(uintptr_t v) { return reinterpret_cast<SampleHandle>(v); }

  // Recognisable handles for the bank and the jingles; called again after every stage load.
  void InstallSounds(int32_t start_jingle_ms = 0, int32_t stage_jingle_ms = 0) {
    snd.sound_on = true;
    for (uintptr_t n = 1; n <= 8; ++n) snd.bank[n] = Handle(100 + n);
    snd.game_start_sound = Sample{Handle(kGameStartJingle), start_jingle_ms};
    snd.stage_new_sound = Sample{Handle(kStageJingle), stage_jingle_ms};
  }

  // Bank numbers (1..8) and jingle handles played since the last call, with their times.
  std::vector<std::pair<int64_t, int>> TakeSounds() {
    std::vector<std::pair<int64_t, int>> out;
    for (auto &[t, h] : timed.played) out.emplace_back(t, h > 200 ? static_cast<int>(h) : static_cast<int>(h - 100));
    timed.played.clear();
    return out;
  }

  // Expects exactly these sounds since the last check.
  void ExpectSounds(const std::vector<std::pair<int64_t, int>> &expected) { EXPECT_EQ(TakeSounds(), expected); }

  // GAME A (or B) pressed and released in clock mode.
  void PressGame(bool game_b = false) {
    if (g.game_mode == kModeTimeHeld) g.game_mode = kModeClock;
    if (game_b) {
      Inp_game_b_down(g);
      Inp_game_b_up(g);
    } else {
      Inp_game_a_down(g);
      Inp_game_a_up(g);
    }
    InstallSounds(snd.game_start_sound.length_ms, snd.stage_new_sound.length_ms);
  }

  // A game started and run through its start sequence to the moment Timer_Game is enabled.
  void StartPlaying(bool game_b = false) {
    PressGame(game_b);
    clock.Advance(1 + 1000 + snd.game_start_sound.length_ms + 1000 + 1000);
    TakeSounds();
  }

  // An empty playfield: no barrels, no irons, Pelko at (col,row) with his segment lit.
  void ClearBoard() {
    for (auto &col : g.barrel_grid)
      for (int32_t &cell : col) cell = 0;
    for (int c = 1; c <= 6; ++c)
      for (int r = 1; r <= 8; ++r)
        if (g.lcd.barrel_img[c][r] != el::NONE) Lcd_Set_Visible(g.lcd, g.lcd.barrel_img[c][r], false);
    for (int k = 1; k <= 5; ++k) Lcd_Set_Visible(g.lcd, g.lcd.iron_img[k], false);
  }

  void PutPelko(int32_t col, int32_t row) {
    if (g.pelko_col != 0) Vid_Show_Pelko(g.lcd, g.pelko_col, g.pelko_row, false);
    g.pelko_col = col;
    g.pelko_row = row;
    if (col != 0) Vid_Show_Pelko(g.lcd, col, row, true);
  }

  void Barrel(int32_t col, int32_t row, int32_t v = 1) {
    g.barrel_grid[col][row] = v;
    Lcd_Set_Visible(g.lcd, g.lcd.barrel_img[col][row], v == 1);
  }

  // The occupied barrel cells as "c,r" in column-then-row order.
  std::vector<std::string> Barrels() const {
    std::vector<std::string> out;
    for (int c = 0; c <= 6; ++c)
      for (int r = 0; r <= 8; ++r)
        if (g.barrel_grid[c][r]) out.push_back(std::to_string(c) + "," + std::to_string(r));
    return out;
  }

  // The lit barrel segments as "c,r", to compare with Barrels().
  std::vector<std::string> LitBarrels() const {
    std::vector<std::string> out;
    for (int c = 1; c <= 6; ++c)
      for (int r = 1; r <= 8; ++r)
        if (g.lcd.barrel_img[c][r] != el::NONE && IsLit(g.lcd.barrel_img[c][r]))
          out.push_back(std::to_string(c) + "," + std::to_string(r));
    return out;
  }

  // The five digit places as text: a digit, or a blank for an empty place.
  std::string Panel() const {
    std::string out;
    for (int pos = 1; pos <= 5; ++pos) {
      const PictureRef &pic = g.lcd.e[g.lcd.panel_digit_img[pos]].pic;
      char ch = ' ';
      for (int d = 0; d <= 9; ++d)
        if (pic && pic == g.lcd.e[g.lcd.panel_number_img[d]].pic) ch = static_cast<char>('0' + d);
      out += ch;
    }
    return out;
  }

};
