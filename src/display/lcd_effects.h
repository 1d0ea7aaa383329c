// The look of a real reflective LCD, worked out from the pictures any skin already has:
//  - ghosts: unlit segments show faintly, as unpowered segments do at an angle (for a digit place,
//    every glyph at once: the faint "8");
//  - shadows: a lit segment casts a soft shadow down and to the right onto the LCD's backdrop,
//    as the segment layer sits above the reflector;
//  - response fade: a segment darkens over 80 ms when it turns on and clears over 120 ms when it
//    turns off. Only the picture follows: the game shows and hides segments at once as before.
// Nothing here draws; the painter asks for the pictures, places and levels.
#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "display/lcd.h"

class Store;

constexpr int32_t kLcdGhostMax = 30;

struct LcdEffectSettings {
  bool enabled = true;  // false: the classic flat LCD, no effect at all
  int32_t ghost = 5;    // ghost strength in percent of a lit segment, 0 .. kLcdGhostMax
  bool shadow = true;
  bool fade = true;
  bool operator==(const LcdEffectSettings &) const = default;
};

// Reads LcdEffects, LcdGhost, LcdShadow and LcdFade; a missing or unreadable value gives its default.
LcdEffectSettings Lcd_Read_Effects(Store &store);
// Writes all four values.
void Lcd_Write_Effects(Store &store, const LcdEffectSettings &s);

// A picture placed in window coordinates.
struct LcdLayer {
  Rect at;
  PictureRef pic;
};

class LcdEffects {
 public:
  // Fade lengths in milliseconds.
  static constexpr int32_t kOnMs = 80, kOffMs = 120;
  // A fade shows its first step in the paint that follows the change, the step a display frame
  // (60 Hz) into the fade, and still ends its full length after the change.
  static constexpr int32_t kFirstStepMs = 16;
  // Shadow offset down and to the right, and how far its soft edge spreads, in skin pixels.
  static constexpr int32_t kShadowOffset = 3, kShadowBlur = 2;

  // Changing the settings takes effect at the next Sync.
  void Set(const LcdEffectSettings &s);
  const LcdEffectSettings &Settings() const { return settings_; }
  bool Active() const { return settings_.enabled; }

  // Call before painting. Rebuilds the ghost and shadow layers when the skin changed (a segment's
  // or glyph's picture or place, the background, the window colour) and starts the fades of the
  // segments switched since the last call.
  void Sync(const Lcd &lcd, int64_t now_ms);

  // What a segment shows at now_ms: up to two pictures with their levels (0 clear .. 1 lit),
  // the one it is leaving and its own. Elements that are not LCD segments are not asked.
  struct Shown {
    PictureRef pic;
    float level = 0;
  };
  int Segment_Pictures(const Lcd &lcd, el::Id id, int64_t now_ms, Shown out[2]) const;
  // The shadow a segment's picture casts (null picture when none), clipped to the LCD area.
  const LcdLayer *Shadow_Of(el::Id id, const PictureRef &pic) const;
  // The ghost layer at the set strength: one picture per LCD screen.
  const std::vector<LcdLayer> &Ghosts() const { return ghosts_; }
  // The LCD screens: the segments' places grouped into screens, widened over the backdrop as far as
  // a shadow can reach while the backdrop keeps the LCD's colour.
  const std::vector<Rect> &Lcd_Areas() const { return areas_; }

  // The area to repaint when an element's area r changes: r and the shadow it may cast.
  Rect Reach(const Rect &r) const;
  // True while a fade runs.
  bool Fading() const { return !fades_.empty(); }
  // The areas of the fades running at now_ms, and of those that ended by then, which are dropped:
  // repainting them once more shows them settled.
  std::vector<Rect> Step(int64_t now_ms);

 private:
  struct Fade {
    float from = 0, to = 0;
    int64_t start = 0;
    int32_t length = 0;
    float At(int64_t now) const;
  };
  struct SegmentFade {
    Fade own;
    PictureRef leaving;  // the picture it showed before its picture changed
    Fade leave;
    bool has_own = false;
  };
  struct Seen {
    bool visible = false;
    PictureRef pic;
  };
  float Own_Level(const Lcd &lcd, el::Id id, int64_t now) const;
  void Rebuild(const Lcd &lcd);
  void Build_Ghosts(const Lcd &lcd);
  LcdLayer Make_Shadow(const Rect &r, const PictureRef &pic) const;
  Rect Fade_Area(const Lcd &lcd, el::Id id) const;

  LcdEffectSettings settings_;
  bool dirty_settings_ = true;
  std::vector<std::pair<const Picture *, Rect>> skin_key_;  // what the layers were made from
  uint32_t window_color_ = 0;
  std::vector<Rect> areas_;
  std::vector<LcdLayer> ghost_full_;  // ghost layer at full strength
  std::vector<LcdLayer> ghosts_;      // at the set strength
  int32_t ghost_made_ = -1;
  // Shadows per segment and picture (a digit place has one per glyph it showed).
  std::map<std::pair<int, const Picture *>, std::pair<PictureRef, LcdLayer>> shadows_;
  Seen seen_[el::COUNT];
  std::map<int, SegmentFade> fades_;
  const Lcd *lcd_ = nullptr;  // the model of the last Sync, for the fade areas
};
