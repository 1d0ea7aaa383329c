// Random play: whole games with random control presses and releases at random times, checking
// after every input and every timer call that the LCD agrees with the game state.
// KT_PROPERTY_GAMES sets the number of games, KT_PROPERTY_SEED the first seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>

#include "input/keys.h"
#include "test_support.h"

namespace {

int EnvInt(const char *name, int def) {
  const char *v = std::getenv(name);
  return v && *v ? std::atoi(v) : def;
}

struct Checker {
  explicit Checker(TestGame &game) : t(game) {}
  TestGame &t;
  int32_t last_score = 0;
  int32_t last_game_mode = 0;
  std::string failure;

  bool Lit(el::Id id) const { return t.g.lcd.e[id].visible; }

  // A turn is running or a jump is in the air: no sequence owns the picture.
  bool Playing() const {
    const Game &g = t.g;
    return (g.game_mode == kModeGameA || g.game_mode == kModeGameB) && !g.Timer_Stage_Start->Enabled() &&
           !g.Timer_Stage_New->Enabled() && !g.Timer_Miss->Enabled() && !g.Timer_Miss_Jump->Enabled() &&
           !g.Timer_Bonus->Enabled() && !g.Timer_Bonus_Complete->Enabled() && !g.Timer_Bonus_Chance->Enabled() &&
           !g.Timer_Game_Over->Enabled() && g.Timer_Game->Enabled();
  }

  void Fail(const std::string &what) {
    if (failure.empty()) failure = what;
  }

  void Check() {
    const Game &g = t.g;
    const Lcd &lcd = g.lcd;
    if (g.lives < 0 || g.lives > 3) Fail("lives out of range: " + std::to_string(g.lives));
    if (g.hiscore_a > 999 || g.hiscore_b > 999) Fail("high score above 999");
    const bool in_game = g.game_mode == kModeGameA || g.game_mode == kModeGameB;
    // A new game keeps the last game's score until its start sequence sets up the playfield.
    const bool starting = g.Timer_Stage_Start->Enabled();
    if (in_game && !starting && last_game_mode == g.game_mode && g.score < last_score)
      Fail("score went down from " + std::to_string(last_score) + " to " + std::to_string(g.score));
    last_score = in_game && !starting ? g.score : 0;
    last_game_mode = g.game_mode;
    // The held-button modes, the clock and its test picture light what they like.
    if (!in_game) return;

    int hooks = 0;
    for (int i = 1; i <= 5; ++i) hooks += Lit(lcd.hook_img[i]);
    if (hooks > 1) Fail("more than one hook place lit");
    for (int i = 1; i < 5; ++i)
      if (Lit(lcd.iron_img[i]) && Lit(lcd.iron_img[i + 1])) Fail("two neighbouring irons lit");

    if (!Playing()) return;
    if (Lit(lcd.lever_img[1]) + Lit(lcd.lever_img[2]) != 1) Fail("not exactly one lever picture");
    if (Lit(lcd.crane_img[1]) + Lit(lcd.crane_img[2]) + Lit(lcd.crane_img[3]) != 1) Fail("not exactly one crane picture");
    for (int c = 1; c <= 6; ++c)
      for (int r = 1; r <= 8; ++r)
        if (lcd.barrel_img[c][r] != el::NONE && Lit(lcd.barrel_img[c][r]) != (g.barrel_grid[c][r] != 0))
          Fail("barrel segment (" + std::to_string(c) + "," + std::to_string(r) + ") differs from the grid");
    if (g.pelko_col != 0 || g.pelko_row != 0) {
      int lit = 0;
      for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 7; ++r)
          if (lcd.pelko_img[c][r] != el::NONE) lit += Lit(lcd.pelko_img[c][r]);
      if (lit != 1) Fail(std::to_string(lit) + " Pelko position segments lit");
      else if (g.pelko_col < 1 || g.pelko_col > 5 || g.pelko_row < 1 || g.pelko_row > 7 ||
               lcd.pelko_img[g.pelko_col][g.pelko_row] == el::NONE || !Lit(lcd.pelko_img[g.pelko_col][g.pelko_row]))
        Fail("the lit Pelko segment is not at (" + std::to_string(g.pelko_col) + "," + std::to_string(g.pelko_row) + ")");
    }
  }
};

// Plays one game with the given seed; returns the first broken rule, or empty. Adds the hazard
// ticks it ran to *ticks and the simulated milliseconds it lasted to *sim_ms.
std::string PlayOneGame(uint32_t seed, int64_t max_ms, int64_t *ticks, int64_t *sim_ms) {
  TestGame t;
  t.rng = ScriptedRng(seed);
  std::mt19937 player(seed ^ 0x9e3779b9u);
  Checker check(t);
  Game &g = t.g;
  g.game_mode = kModeClock;
  const bool game_b = player() % 2;
  Inp_Control_Down(g, game_b ? 2 : 1);
  Inp_Control_Up(g, game_b ? 2 : 1);
  int64_t game_ticks = 0;
  bool held[9] = {};
  while (t.clock.Now() < max_ms) {
    // Run timers up to the next input, checking after each handler call.
    const int64_t gap = std::uniform_int_distribution<int>(0, 700)(player);
    const int64_t until = t.clock.Now() + gap;
    while (true) {
      // Every hazard tick advances the phase, so a changed phase counts one tick.
      const int32_t before_phase = g.tick_phase;
      if (!t.clock.Step(until - t.clock.Now())) break;
      if (g.tick_phase != before_phase) ++game_ticks;
      check.Check();
      if (!check.failure.empty()) break;
    }
    t.clock.Advance(until - t.clock.Now());
    if (!check.failure.empty()) break;
    if (g.game_mode == kModeGameOver || g.game_mode == kModeClock) break;
    // A random control: mostly directions and jump, rarely a mode button (which abandons the game).
    int c = 4 + static_cast<int>(player() % 5);
    if (player() % 400 == 0) c = 1 + static_cast<int>(player() % 3);
    if (held[c] && player() % 3) {
      Inp_Control_Up(g, c);
      held[c] = false;
    } else {
      Inp_Control_Down(g, c);  // a repeated press while held, as key auto-repeat gives
      held[c] = true;
    }
    check.Check();
    if (!check.failure.empty()) break;
    if (g.game_mode != kModeGameA && g.game_mode != kModeGameB && !held[1] && !held[2] && !held[3]) break;
  }
  *ticks += game_ticks;
  *sim_ms += t.clock.Now();
  if (check.failure.empty()) return {};
  std::ostringstream out;
  out << "seed " << seed << " at " << t.clock.Now() << " ms: " << check.failure;
  return out.str();
}

}  // namespace

TEST(GameProperty, RandomPlayKeepsPictureAndStateInAgreement) {
  const int games = EnvInt("KT_PROPERTY_GAMES", 2000);
  const auto first = static_cast<uint32_t>(EnvInt("KT_PROPERTY_SEED", 1));
  int64_t ticks = 0, sim_ms = 0;
  for (int i = 0; i < games; ++i) {
    const std::string failure = PlayOneGame(first + static_cast<uint32_t>(i), 30 * 60 * 1000, &ticks, &sim_ms);
    ASSERT_TRUE(failure.empty()) << failure << " (rerun with KT_PROPERTY_SEED=" << first + i
                                 << " KT_PROPERTY_GAMES=1)";
  }
  RecordProperty("hazard_ticks", std::to_string(ticks));
  RecordProperty("simulated_ms", std::to_string(sim_ms));
  // One line for the soak script, which adds up batches of games.
  std::cout << "random play: games " << games << " simulated_ms " << sim_ms << " hazard_ticks " << ticks << std::endl;
}
