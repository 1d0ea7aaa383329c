// Integer and colour values as the configuration files give them: any text either parses to the
// number it spells or is refused, and a number printed in decimal or hexadecimal parses back to
// itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/gfxinit.h"
#include "platform/ini.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const std::optional<int32_t> v = Ini_Parse_Int(text);
  uint32_t rgb = 0xDEADBEEFu;
  const bool color = Gfx_Parse_Color(text, &rgb);
  Check(color == v.has_value(), "a colour parses exactly when its integer does");
  if (v) {
    Check(rgb <= 0xFFFFFFu, "a colour has no bits above blue");
    const auto c = static_cast<uint32_t>(*v);
    Check(rgb == (((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu)), "colour bytes swapped red and blue");
    Check(Ini_Parse_Int(std::to_string(*v)) == v, "decimal round trip");
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%08X", c);
    Check(Ini_Parse_Int(hex) == v, "hexadecimal round trip");
    // Text after the digits is never accepted.
    Check(!Ini_Parse_Int(text + "g"), "trailing letter accepted");
  } else {
    Check(rgb == 0xDEADBEEFu, "a refused colour left the output alone");
  }
  return 0;
}
