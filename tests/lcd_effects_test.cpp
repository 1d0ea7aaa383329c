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
