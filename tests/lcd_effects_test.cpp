// The LCD effect settings in the settings store: text values, defaults for anything missing or
// unreadable.
#include <gtest/gtest.h>

#include "display/lcd_effects.h"
#include "platform/store.h"

TEST(LcdEffectSettings, StoredTextValuesAndDefaultsForMissingOrGarbage) {
  const LcdEffectSettings def;
  EXPECT_TRUE(def.enabled && def.shadow && def.fade);
  EXPECT_GT(def.ghost, 0);
  EXPECT_LE(def.ghost, 10);  // a few percent: the game looks the same at a glance
  const struct {
    const char *name, *text;
    LcdEffectSettings want;
  } cases[] = {
      {"LcdEffects", "0", {false, def.ghost, true, true}},
      {"LcdEffects", "1", def},
      {"LcdEffects", "yes", def},
      {"LcdEffects", "2", def},
      {"LcdGhost", "0", {true, 0, true, true}},
      {"LcdGhost", "30", {true, 30, true, true}},
      {"LcdGhost", "31", def},
      {"LcdGhost", "-1", def},
      {"LcdGhost", "12abc", def},
      {"LcdShadow", "0", {true, def.ghost, false, true}},
      {"LcdShadow", "", def},
      {"LcdFade", "0", {true, def.ghost, true, false}},
      {"LcdFade", "off", def},
  };
  for (const auto &c : cases) {
    MemStore store;
    store.values[c.name] = c.text;
    EXPECT_EQ(Lcd_Read_Effects(store), c.want) << c.name << "=" << c.text;
  }
  MemStore empty;
  EXPECT_EQ(Lcd_Read_Effects(empty), def);

  MemStore store;
  const LcdEffectSettings set{false, 12, false, true};
  Lcd_Write_Effects(store, set);
  EXPECT_EQ(store.values["LcdEffects"], "0");
  EXPECT_EQ(store.values["LcdGhost"], "12");
  EXPECT_EQ(Lcd_Read_Effects(store), set);
}

TEST(LcdEffects, FadesRepaintOnlyTheFadingSegmentsUntilTheyEnd) {
  Lcd lcd;
  Lcd_Init(lcd);
  auto pic = std::make_shared<Picture>();
  pic->width = pic->height = 10;
  pic->pixels.assign(100, 0xFF000000u);
  for (el::Id id : {el::im_barrel_01_01, el::im_barrel_02_01}) Lcd_Set_Picture(lcd, id, pic);
  Lcd_Set_Rect(lcd, el::im_barrel_01_01, Rect{20, 20, 10, 10});
  Lcd_Set_Rect(lcd, el::im_barrel_02_01, Rect{60, 20, 10, 10});
  LcdEffects fx;
  fx.Sync(lcd, 0);
  EXPECT_FALSE(fx.Fading());

  Lcd_Set_Visible(lcd, el::im_barrel_01_01, true);
  fx.Sync(lcd, 100);
  ASSERT_TRUE(fx.Fading());
  const Rect with_shadow = fx.Reach(Rect{20, 20, 10, 10});
  EXPECT_GT(with_shadow.width, 10);
  const std::vector<Rect> want{with_shadow};
  EXPECT_EQ(fx.Step(150), want);
  // Once more after its end, to show it settled; then nothing runs.
  EXPECT_EQ(fx.Step(100 + LcdEffects::kOnMs), want);
  EXPECT_FALSE(fx.Fading());
  EXPECT_TRUE(fx.Step(400).empty());

  // Without the fade nothing runs; classic casts no shadow either.
  fx.Set(LcdEffectSettings{true, 5, true, false});
  Lcd_Set_Visible(lcd, el::im_barrel_02_01, true);
  fx.Sync(lcd, 500);
  EXPECT_FALSE(fx.Fading());
  fx.Set(LcdEffectSettings{false, 5, true, true});
  EXPECT_EQ(fx.Reach(Rect{20, 20, 10, 10}), (Rect{20, 20, 10, 10}));
}
