// Picture decoding: every PNG colour type and depth, JPEG flavours, and files that must be
// refused without a crash, a print or a huge allocation. All files are written here.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

// libjpeg's header needs size_t and FILE first.
#include <jpeglib.h>

#include "platform/image.h"
#include "test_support.h"

namespace {

struct PngSpec {
  uint32_t w = 1, h = 1;
  int color = PNG_COLOR_TYPE_RGB_ALPHA;
  int depth = 8;
  bool interlace = false;
  std::vector<png_color> palette;
  std::vector<png_byte> trns_alpha;  // palette alpha
  bool trns_key = false;             // colour key for grey / RGB
  png_color_16 key{};
};

void WriteBytes(png_structp png, png_bytep data, png_size_t n) {
  auto *out = static_cast<std::string *>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char *>(data), n);
}
void Flush(png_structp) {}

// Writes a PNG whose rows are given as packed bytes in the file's own layout.
std::string WritePng(const PngSpec &s, const std::vector<std::vector<uint8_t>> &rows) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "writing the test PNG failed";
    return {};
  }
  png_set_write_fn(png, &out, WriteBytes, Flush);
  png_set_IHDR(png, info, s.w, s.h, s.depth, s.color, s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
  if (!s.trns_alpha.empty())
    png_set_tRNS(png, info, s.trns_alpha.data(), static_cast<int>(s.trns_alpha.size()), nullptr);
  if (s.trns_key) png_set_tRNS(png, info, nullptr, 0, &s.key);
  png_write_info(png, info);
  std::vector<png_bytep> ptrs;
  for (const auto &r : rows) ptrs.push_back(const_cast<png_bytep>(r.data()));
  png_write_image(png, ptrs.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct JpegSpec {
  int w = 16, h = 16;
  J_COLOR_SPACE space = JCS_RGB;
  int components = 3;
  bool progressive = false;
};

// Writes a JPEG at quality 95 from interleaved samples.
std::string WriteJpeg(const JpegSpec &s, const std::vector<uint8_t> &samples) {
  return Write_Jpeg(s.w, s.h, s.components, s.space, s.progressive, samples);
}

PictureRef DecodePng(const std::string &bytes, std::string *error = nullptr) {
  std::string e;
  PictureRef p = Img_Decode_Png(bytes.data(), bytes.size(), &e);
  if (error) *error = e;
  else EXPECT_TRUE(p) << e;
  return p;
}

PictureRef DecodeJpeg(const std::string &bytes, std::string *error = nullptr) {
  std::string e;
  PictureRef p = Img_Decode_Jpeg(bytes.data(), bytes.size(), &e);
  if (error) *error = e;
  else EXPECT_TRUE(p) << e;
  return p;
}

uint32_t Px(const PictureRef &p, int x, int y) { return p->pixels[static_cast<size_t>(y) * p->width + x]; }

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// Premultiplied ARGB of a straight-alpha colour, rounded to nearest.
uint32_t Premul(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  auto m = [a](uint32_t c) { return static_cast<uint32_t>(std::lround(c * a / 255.0)); };
  return Argb(a, m(r), m(g), m(b));
}

int Channel(uint32_t px, int shift) { return static_cast<int>((px >> shift) & 0xFF); }

// True when every channel of a and b differs by at most tol.
bool Near(uint32_t a, uint32_t b, int tol) {
  for (int s = 0; s < 32; s += 8)
    if (std::abs(Channel(a, s) - Channel(b, s)) > tol) return false;
  return true;
}

// Replaces the 4 bytes at offset and fixes the CRC of the chunk that holds them (IHDR tests).
void PatchIhdr(std::string &png, uint32_t w, uint32_t h) {
  auto put = [&png](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(v >> (24 - 8 * i));
  };
  put(16, w);
  put(20, h);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(png.data() + 12), 17);
  put(29, static_cast<uint32_t>(crc));
}

std::string SmallRgbaPng() {
  PngSpec s;
  s.w = 4;
  s.h = 4;
  std::vector<std::vector<uint8_t>> rows(4);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 4; ++x) rows[y].insert(rows[y].end(), {uint8_t(x * 60), uint8_t(y * 60), 90, uint8_t(x * 80 + 15)});
  return WritePng(s, rows);
}

std::string GradientJpeg(bool progressive, int w = 32, int h = 24) {
  JpegSpec s;
  s.w = w;
  s.h = h;
  s.progressive = progressive;
  std::vector<uint8_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.insert(px.end(), {uint8_t(x * 255 / w), uint8_t(y * 255 / h), 128});
  return WriteJpeg(s, px);
}

}  // namespace

TEST(PngDecode, RgbaIsPremultiplied) {
  PngSpec s;
  s.w = 4;
  s.h = 1;
  const PictureRef p = DecodePng(WritePng(s, {{200, 100, 50, 128, 10, 20, 30, 255, 255, 255, 255, 0, 255, 0, 0, 1}}));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->width, 4);
  EXPECT_EQ(p->height, 1);
  EXPECT_EQ(Px(p, 0, 0), Premul(128, 200, 100, 50));
  EXPECT_EQ(Px(p, 1, 0), Argb(255, 10, 20, 30));
  EXPECT_EQ(Px(p, 2, 0), 0u);  // fully transparent is all zero
  EXPECT_EQ(Px(p, 3, 0), Premul(1, 255, 0, 0));
  // The painter copies opaque pictures instead of blending them: one see-through pixel is enough
  // to be blended, and an alpha channel that is 255 everywhere is opaque.
  EXPECT_FALSE(p->opaque);
  const PictureRef solid = DecodePng(WritePng(s, {{200, 100, 50, 255, 10, 20, 30, 255, 1, 2, 3, 255, 0, 0, 0, 255}}));
  ASSERT_TRUE(solid);
  EXPECT_TRUE(solid->opaque);
}

TEST(PngDecode, PremultiplyRoundsLikeExactArithmetic) {
  // Every alpha for a few colour values, against rounding done in floating point.
  PngSpec s;
  s.w = 256;
  s.h = 3;
  const uint8_t colours[3][3] = {{255, 254, 1}, {128, 127, 3}, {200, 77, 13}};
  std::vector<std::vector<uint8_t>> rows(3);
  for (int y = 0; y < 3; ++y)
    for (int a = 0; a < 256; ++a) rows[y].insert(rows[y].end(), {colours[y][0], colours[y][1], colours[y][2], uint8_t(a)});
  const PictureRef p = DecodePng(WritePng(s, rows));
  ASSERT_TRUE(p);
  for (int y = 0; y < 3; ++y)
    for (int a = 0; a < 256; ++a)
      ASSERT_EQ(Px(p, a, y), Premul(a, colours[y][0], colours[y][1], colours[y][2])) << "alpha " << a << " row " << y;
}

TEST(PngDecode, PaletteWithTransparencyAtEveryDepth) {
  for (int depth : {1, 2, 4, 8}) {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_PALETTE;
    s.depth = depth;
    s.w = 2;
    s.h = 1;
    s.palette = {{255, 0, 0}, {0, 0, 255}};
    s.trns_alpha = {0, 128};  // entry 0 invisible, entry 1 half
    // Pixel 0 uses entry 1, pixel 1 entry 0, packed from the high bits.
    const uint8_t packed = depth == 8 ? 1 : static_cast<uint8_t>(1u << (8 - depth));
    std::vector<uint8_t> row = depth == 8 ? std::vector<uint8_t>{1, 0} : std::vector<uint8_t>{packed};
    const PictureRef p = DecodePng(WritePng(s, {row}));
    ASSERT_TRUE(p) << "depth " << depth;
    EXPECT_EQ(Px(p, 0, 0), Premul(128, 0, 0, 255)) << "depth " << depth;
    EXPECT_EQ(Px(p, 1, 0), 0u) << "depth " << depth;
    EXPECT_FALSE(p->opaque) << "depth " << depth;
  }
}

TEST(PngDecode, PaletteWithoutTransparencyIsOpaque) {
  PngSpec s;
  s.color = PNG_COLOR_TYPE_PALETTE;
  s.w = 3;
  s.palette = {{1, 2, 3}, {40, 50, 60}, {250, 251, 252}};
  const PictureRef p = DecodePng(WritePng(s, {{2, 0, 1}}));
  ASSERT_TRUE(p);
  EXPECT_EQ(Px(p, 0, 0), Argb(255, 250, 251, 252));
  EXPECT_EQ(Px(p, 1, 0), Argb(255, 1, 2, 3));
  EXPECT_EQ(Px(p, 2, 0), Argb(255, 40, 50, 60));
  EXPECT_TRUE(p->opaque);
}

TEST(PngDecode, GreyAtLowDepthsAndWithColourKey) {
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_GRAY;
    s.depth = 1;
    s.w = 8;
    const PictureRef p = DecodePng(WritePng(s, {{0xA0}}));  // 1 0 1 0 0 0 0 0
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(p, 1, 0), 0xFF000000u);
    EXPECT_EQ(Px(p, 2, 0), 0xFFFFFFFFu);
  }
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_GRAY;
    s.depth = 4;
    s.w = 2;
    const PictureRef p = DecodePng(WritePng(s, {{0x5F}}));  // 5 -> 0x55, 15 -> 0xFF
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), Argb(255, 0x55, 0x55, 0x55));
    EXPECT_EQ(Px(p, 1, 0), 0xFFFFFFFFu);
  }
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_GRAY;
    s.w = 3;
    s.trns_key = true;
    s.key.gray = 77;
    const PictureRef p = DecodePng(WritePng(s, {{77, 78, 0}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), 0u);
    EXPECT_EQ(Px(p, 1, 0), Argb(255, 78, 78, 78));
    EXPECT_EQ(Px(p, 2, 0), 0xFF000000u);
  }
}

TEST(PngDecode, GreyAlphaAndRgbColourKey) {
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_GRAY_ALPHA;
    s.w = 2;
    const PictureRef p = DecodePng(WritePng(s, {{200, 64, 30, 255}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), Premul(64, 200, 200, 200));
    EXPECT_EQ(Px(p, 1, 0), Argb(255, 30, 30, 30));
  }
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_RGB;
    s.w = 2;
    s.trns_key = true;
    s.key.red = 1;
    s.key.green = 2;
    s.key.blue = 3;
    const PictureRef p = DecodePng(WritePng(s, {{1, 2, 3, 1, 2, 4}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), 0u);
    EXPECT_EQ(Px(p, 1, 0), Argb(255, 1, 2, 4));
  }
}

TEST(PngDecode, SixteenBitSamplesScaleToEightBits) {
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_RGB;
    s.depth = 16;
    s.w = 1;
    const PictureRef p = DecodePng(WritePng(s, {{0xFF, 0xFF, 0x80, 0x80, 0x00, 0x00}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), Argb(255, 255, 128, 0));
  }
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_GRAY_ALPHA;
    s.depth = 16;
    s.w = 1;
    // grey 0xC8C8 (200), alpha 0x8080 (128)
    const PictureRef p = DecodePng(WritePng(s, {{0xC8, 0xC8, 0x80, 0x80}}));
    ASSERT_TRUE(p);
    EXPECT_TRUE(Near(Px(p, 0, 0), Premul(128, 200, 200, 200), 1)) << std::hex << Px(p, 0, 0);
  }
  {
    PngSpec s;
    s.color = PNG_COLOR_TYPE_RGB_ALPHA;
    s.depth = 16;
    s.w = 1;
    const PictureRef p = DecodePng(WritePng(s, {{0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(Px(p, 0, 0), Argb(255, 255, 0, 0));
  }
}

TEST(PngDecode, InterlacedMatchesProgressiveRows) {
  // A picture with a different colour in every pixel, stored both ways.
  PngSpec s;
  s.w = 13;
  s.h = 11;
  std::vector<std::vector<uint8_t>> rows(s.h);
  for (uint32_t y = 0; y < s.h; ++y)
    for (uint32_t x = 0; x < s.w; ++x) rows[y].insert(rows[y].end(), {uint8_t(x * 19), uint8_t(y * 23), uint8_t(x ^ y), uint8_t(255 - x - y)});
  const PictureRef plain = DecodePng(WritePng(s, rows));
  s.interlace = true;
  const std::string interlaced = WritePng(s, rows);
  const PictureRef adam7 = DecodePng(interlaced);
  ASSERT_TRUE(plain && adam7);
  EXPECT_EQ(plain->pixels, adam7->pixels);
  EXPECT_EQ(Px(adam7, 12, 10), Premul(255 - 22, 12 * 19, 10 * 23, 12 ^ 10));
}

TEST(PngDecode, RefusesBrokenFilesWithAReason) {
  const std::string good = SmallRgbaPng();
  ASSERT_TRUE(DecodePng(good));
  struct Case {
    const char *what;
    std::string bytes;
    const char *reason;  // part of the reason given
  };
  std::string bad_sig = good;
  bad_sig[1] = 'Q';
  std::string huge = good;
  PatchIhdr(huge, 100000, 100000);
  std::string wide = good;
  PatchIhdr(wide, kMaxPictureSide + 1, 1);
  std::string many = good;
  PatchIhdr(many, 8193, 8192);
  std::string zero = good;
  PatchIhdr(zero, 0, 4);
  std::string bad_crc = good;
  bad_crc[20] ^= 1;  // height changed, CRC not fixed
  const Case cases[] = {
      {"empty", "", "empty"},
      {"signature only", good.substr(0, 6), "truncated"},
      {"wrong signature", bad_sig, "signature"},
      {"a JPEG named .png", GradientJpeg(false), "signature"},
      {"cut inside the header", good.substr(0, 20), "truncated"},
      {"cut inside the image data", good.substr(0, good.size() - 20), "truncated"},
      {"100000 x 100000", huge, "100000 x 100000"},
      {"one pixel too wide", wide, "32769 x 1"},
      {"one row too many pixels", many, "8193 x 8192"},
      {"zero width", zero, ""},
      {"damaged header", bad_crc, ""},
  };
  for (const Case &c : cases) {
    testing::internal::CaptureStderr();
    std::string error;
    const PictureRef p = DecodePng(c.bytes, &error);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(p) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(printed, "") << c.what;
  }
}

TEST(ImageDecode, LongThinPicturesAreWithinTheLimits) {
  PngSpec s;
  s.w = 9000;
  s.color = PNG_COLOR_TYPE_GRAY;
  std::vector<std::vector<uint8_t>> row(1, std::vector<uint8_t>(9000, 77));
  const PictureRef wide = DecodePng(WritePng(s, row));
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->width, 9000);
  EXPECT_EQ(Px(wide, 8999, 0), Argb(255, 77, 77, 77));
  const PictureRef tall = DecodeJpeg(GradientJpeg(false, 8, 9000));
  ASSERT_TRUE(tall);
  EXPECT_EQ(tall->height, 9000);
  // Exactly at the side limit.
  s.w = kMaxPictureSide;
  const PictureRef widest = DecodePng(WritePng(s, {std::vector<uint8_t>(kMaxPictureSide, 77)}));
  ASSERT_TRUE(widest);
  EXPECT_EQ(Px(widest, kMaxPictureSide - 1, 0), Argb(255, 77, 77, 77));
  const PictureRef tallest = DecodeJpeg(GradientJpeg(false, 2, kMaxPictureSide));
  ASSERT_TRUE(tallest);
  EXPECT_EQ(tallest->height, kMaxPictureSide);
}

// A large picture keeps only what shows, with one skin pixel of border, cut between skin pixels;
// every pixel reads as before. Small, opaque, empty and nearly full pictures stay whole.
TEST(ImageTrim, KeepsWhatShowsBetweenSkinPixels) {
  auto bordered = [](int w, int h, int k, Rect shows) {
    Picture p;
    p.width = w;
    p.height = h;
    p.scale = k;
    p.pixels.assign(static_cast<size_t>(w) * h, 0);
    for (int y = shows.top; y < shows.top + shows.height; ++y)
      for (int x = shows.left; x < shows.left + shows.width; ++x)
        p.pixels[static_cast<size_t>(y) * w + x] = 0xFF000000u | static_cast<uint32_t>(x * 977 + y);
    return p;
  };
  const Picture whole = bordered(1200, 900, 3, Rect{301, 100, 499, 601});
  Picture cut = whole;
  Img_Trim(cut);
  // Column 301 lies in skin pixel 100 (300..302): one skin pixel out is 297. The last column, 799,
  // lies in skin pixel 266 (798..800): out to 801, and one more skin pixel to 804.
  EXPECT_EQ(cut.trim, (Rect{297, 96, 507, 609}));
  EXPECT_EQ(cut.pixels.size(), size_t{507} * 609);
  for (int y = -1; y <= whole.height; ++y)
    for (int x = -1; x <= whole.width; ++x) ASSERT_EQ(cut.At(x, y), whole.At(x, y)) << x << "," << y;

  // Content touching the bottom and right edges keeps them.
  Picture corner = bordered(1200, 900, 2, Rect{700, 500, 500, 400});
  Img_Trim(corner);
  EXPECT_EQ(corner.trim, (Rect{698, 498, 502, 402}));

  for (Picture p : {bordered(400, 400, 1, Rect{100, 100, 10, 10}),   // under a megabyte
                    bordered(1200, 900, 1, Rect{0, 0, 0, 0}),         // nothing shows
                    bordered(1200, 900, 1, Rect{10, 10, 1100, 850})}) {  // cutting saves too little
    const size_t before = p.pixels.size();
    Img_Trim(p);
    EXPECT_TRUE(p.trim.Empty());
    EXPECT_EQ(p.pixels.size(), before);
  }
}

TEST(JpegDecode, BaselineAndProgressiveGiveTheSamePicture) {
  const PictureRef base = DecodeJpeg(GradientJpeg(false));
  const PictureRef prog = DecodeJpeg(GradientJpeg(true));
  ASSERT_TRUE(base && prog);
  EXPECT_EQ(base->width, 32);
  EXPECT_EQ(base->height, 24);
  EXPECT_EQ(prog->width, 32);
  for (int y = 0; y < 24; y += 5)
    for (int x = 0; x < 32; x += 7) {
      const uint32_t want = Argb(255, x * 255 / 32, y * 255 / 24, 128);
      EXPECT_TRUE(Near(Px(base, x, y), want, 12)) << x << "," << y << " " << std::hex << Px(base, x, y);
      EXPECT_TRUE(Near(Px(prog, x, y), want, 12)) << x << "," << y << " " << std::hex << Px(prog, x, y);
      EXPECT_EQ(Px(base, x, y) >> 24, 255u);
    }
}

TEST(JpegDecode, GreyAndCmyk) {
  {
    JpegSpec s;
    s.space = JCS_GRAYSCALE;
    s.components = 1;
    std::vector<uint8_t> px(16 * 16);
    for (int i = 0; i < 256; ++i) px[i] = i < 128 ? 40 : 210;
    const PictureRef p = DecodeJpeg(WriteJpeg(s, px));
    ASSERT_TRUE(p);
    EXPECT_TRUE(Near(Px(p, 3, 2), Argb(255, 40, 40, 40), 3)) << std::hex << Px(p, 3, 2);
    EXPECT_TRUE(Near(Px(p, 3, 13), Argb(255, 210, 210, 210), 3)) << std::hex << Px(p, 3, 13);
  }
  {
    // Inverted inks as Adobe writes them (255 = no ink): no cyan, full magenta, no yellow, K 200.
    JpegSpec s;
    s.space = JCS_CMYK;
    s.components = 4;
    std::vector<uint8_t> px;
    for (int i = 0; i < 256; ++i) px.insert(px.end(), {255, 0, 255, 200});
    const PictureRef p = DecodeJpeg(WriteJpeg(s, px));
    ASSERT_TRUE(p);
    EXPECT_TRUE(Near(Px(p, 8, 8), Argb(255, 200, 0, 200), 4)) << std::hex << Px(p, 8, 8);
  }
}

// A file that only lacks its end marker is shown, baseline or progressive; a progressive one cut
// between two scans (a blurred picture, or colours missing) is refused.
TEST(JpegDecode, MissingEndMarkerIsToleratedButMissingScansAreNot) {
  for (const bool progressive : {false, true}) {
    const std::string good = GradientJpeg(progressive);
    ASSERT_EQ(static_cast<uint8_t>(good[good.size() - 1]), 0xD9);
    const PictureRef whole = DecodeJpeg(good);
    const PictureRef cut = DecodeJpeg(good.substr(0, good.size() - 2));
    ASSERT_TRUE(whole && cut) << progressive;
    EXPECT_EQ(whole->pixels, cut->pixels) << progressive;
  }
  const std::string prog = GradientJpeg(true);
  int cuts = 0;
  for (size_t at = prog.find("\xFF\xDA") + 2; (at = prog.find("\xFF\xDA", at)) != std::string::npos; at += 2) {
    std::string error;
    EXPECT_FALSE(DecodeJpeg(prog.substr(0, at), &error)) << "cut at " << at;
    EXPECT_NE(error.find("between two scans"), std::string::npos) << error;
    ++cuts;
  }
  EXPECT_GE(cuts, 5);
}

TEST(JpegDecode, RefusesBrokenFilesWithAReason) {
  const std::string good = GradientJpeg(false, 64, 64);
  const std::string prog = GradientJpeg(true, 64, 64);
  // The frame header: FF C0 (or C2), length, precision, height, width.
  auto with_size = [](std::string j, uint16_t w, uint16_t h) {
    for (size_t i = 2; i + 9 < j.size(); ++i)
      if (static_cast<uint8_t>(j[i]) == 0xFF && (static_cast<uint8_t>(j[i + 1]) & 0xFE) == 0xC0) {
        j[i + 5] = static_cast<char>(h >> 8);
        j[i + 6] = static_cast<char>(h & 0xFF);
        j[i + 7] = static_cast<char>(w >> 8);
        j[i + 8] = static_cast<char>(w & 0xFF);
        return j;
      }
    ADD_FAILURE() << "no frame header";
    return j;
  };
  struct Case {
    const char *what;
    std::string bytes;
    const char *reason;
  };
  // A progressive CMYK header claiming 8192 x 8192: its coefficients alone would take 512 MB.
  std::string cmyk_8192 = Write_Jpeg(16, 16, 4, JCS_CMYK, true, std::vector<uint8_t>(16 * 16 * 4, 90));
  const size_t sof = cmyk_8192.find("\xFF\xC2");
  ASSERT_NE(sof, std::string::npos);
  cmyk_8192.replace(sof + 5, 4, std::string("\x20\x00\x20\x00", 4));
  const Case cases[] = {
      {"progressive CMYK 8192 x 8192", cmyk_8192, "512 MB"},
      {"empty", "", "empty"},
      {"PNG data", SmallRgbaPng(), "signature"},
      {"cut in the headers", good.substr(0, 100), "truncated"},
      {"cut in the image data", good.substr(0, good.size() * 2 / 3), "truncated"},
      {"progressive cut in the scans", prog.substr(0, prog.size() / 2), "truncated"},
      {"65000 x 65000", with_size(good, 65000, 65000), "65000 x 65000"},
      {"one pixel too wide", with_size(good, kMaxPictureSide + 1, 8), "32769 x 8"},
      {"one row too many pixels", with_size(good, 8192, 8193), "8192 x 8193"},
      {"zero height", with_size(good, 64, 0), ""},
  };
  for (const Case &c : cases) {
    testing::internal::CaptureStderr();
    std::string error;
    const PictureRef p = DecodeJpeg(c.bytes, &error);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(p) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(printed, "") << c.what;
  }
}

TEST(ImageDecode, DamagedBytesNeverCrash) {
  // Flipped and cut bytes anywhere in valid files: each decode either succeeds or gives a reason.
  const std::string files[] = {SmallRgbaPng(), GradientJpeg(false), GradientJpeg(true)};
  std::mt19937 rng(12345);
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    const int which = round % 3;
    std::string b = files[which];
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) b[rng() % b.size()] = static_cast<char>(rng());
    if (rng() % 3 == 0) b.resize(rng() % b.size());
    std::string error;
    PictureRef p = which == 0 ? Img_Decode_Png(b.data(), b.size(), &error) : Img_Decode_Jpeg(b.data(), b.size(), &error);
    if (p) {
      EXPECT_GT(p->width, 0);
      EXPECT_EQ(p->pixels.size(), static_cast<size_t>(p->width) * p->height);
    } else {
      EXPECT_FALSE(error.empty());
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(ImageLoad, ChoosesTheDecoderByExtension) {
  TempDir dir;
  dir.Write("a.PNG", SmallRgbaPng());
  dir.Write("b.JpEg", GradientJpeg(false));
  dir.Write("c.jpg", SmallRgbaPng());  // PNG data under a JPEG name
  dir.Write("d.bmp", "BM");
  std::string error;
  PictureRef a = Img_Load(dir.path + "a.PNG", &error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->width, 4);
  PictureRef b = Img_Load(dir.path + "b.JpEg", &error);
  ASSERT_TRUE(b) << error;
  EXPECT_EQ(b->width, 32);
  EXPECT_FALSE(Img_Load(dir.path + "c.jpg", &error));
  EXPECT_NE(error.find("JPEG"), std::string::npos) << error;
  EXPECT_FALSE(Img_Load(dir.path + "missing.png", &error));
  EXPECT_FALSE(error.empty());

  Img_Set_Fallback(nullptr);
  EXPECT_FALSE(Img_Load(dir.path + "d.bmp", &error));
  std::string asked;
  Img_Set_Fallback([&asked](const std::string &path, std::string *) {
    asked = path;
    return Img_Placeholder();
  });
  EXPECT_EQ(Img_Load(dir.path + "d.bmp", &error), Img_Placeholder());
  EXPECT_EQ(asked, dir.path + "d.bmp");
  Img_Set_Fallback(nullptr);
}

TEST(ImageLoad, PlaceholderIsARedSquareWithABlackOutline) {
  const PictureRef p = Img_Placeholder();
  ASSERT_EQ(p->width, 10);
  ASSERT_EQ(p->height, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool edge = x == 0 || y == 0 || x == 9 || y == 9;
      EXPECT_EQ(Px(p, x, y), edge ? 0xFF000000u : 0xFFFF0000u) << x << "," << y;
    }
}
