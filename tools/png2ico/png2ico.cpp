// png2ico OUT.ico IN.png...: a Windows icon file holding the given square PNG pictures as they are
// (the icon format takes PNG entries), for the Windows program's resources.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<unsigned char> &o, uint32_t v) {
  o.push_back(v & 0xFF);
  o.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char> &o, uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}
uint32_t Be32(const std::string &s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: png2ico OUT.ico IN.png...\n");
    return 2;
  }
  std::vector<std::string> pngs;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
      std::fprintf(stderr, "png2ico: %s is not a PNG file\n", argv[i]);
      return 1;
    }
    pngs.push_back(std::move(bytes));
  }
  std::vector<unsigned char> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, static_cast<uint32_t>(pngs.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(pngs.size());
  for (const std::string &p : pngs) {
    const uint32_t w = Be32(p, 16), h = Be32(p, 20);
    out.push_back(w >= 256 ? 0 : static_cast<unsigned char>(w));  // 0 stands for 256
    out.push_back(h >= 256 ? 0 : static_cast<unsigned char>(h));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<uint32_t>(p.size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(p.size());
  }
  for (const std::string &p : pngs) out.insert(out.end(), p.begin(), p.end());
  std::ofstream f(argv[1], std::ios::binary);
  f.write(reinterpret_cast<const char *>(out.data()), static_cast<std::streamsize>(out.size()));
  return f ? 0 : 1;
}
