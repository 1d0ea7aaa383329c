// Values in the settings store: whatever text a hand-edited store holds, reading it as an integer
// gives either the number it spells or the default, reading it as a boolean agrees with that, and
// what the store writes reads back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ini.h"
#include "platform/store.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  MemStore store;
  store.WriteText("HiScoreA", text);
  const std::optional<int32_t> parsed = Ini_Parse_Int(text);
  const int32_t a = store.ReadInteger("HiScoreA", 7);
  const int32_t b = store.ReadInteger("HiScoreA", -7);
  if (parsed) {
    Check(a == *parsed && b == *parsed, "a valid number reads as itself");
  } else {
    Check(a == 7 && b == -7, "garbage reads as the default");
  }
  Check(store.ReadBool("HiScoreA", true) == (parsed ? *parsed != 0 : true), "boolean with default true");
  Check(store.ReadBool("HiScoreA", false) == (parsed ? *parsed != 0 : false), "boolean with default false");
  Check(store.ReadInteger("Missing", 42) == 42 && store.ReadBool("Missing", true), "missing value gives default");

  store.WriteInteger("HiScoreA", a);
  Check(store.ReadInteger("HiScoreA", a ^ 1) == a, "written integer reads back");
  store.WriteBool("Sound", a & 1);
  Check(store.ReadBool("Sound", !(a & 1)) == static_cast<bool>(a & 1), "written boolean reads back");
  return 0;
}
