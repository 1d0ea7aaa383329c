#include "platform/image.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <new>

#include "platform/files.h"
#include "platform/image_pixels.h"

namespace {

ImageFallback g_fallback;

std::string Extension(const std::string &path) {
  const size_t dot = path.find_last_of('.');
  const size_t sep = path.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  std::string ext = path.substr(dot + 1);
  for (char &c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

bool Img_Premultiply(uint32_t *px, size_t count) {
  bool opaque = true;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = px[i];
    const uint32_t a = p >> 24;
    if (a == 255) continue;
    opaque = false;
    if (a == 0) {
      px[i] = 0;
      continue;
    }
    // Red and blue together, then green: t / 255 rounded is (t + t / 256 + 128) / 256 for t < 65536.
    uint32_t rb = (p & 0x00FF00FFu) * a;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    uint32_t g = ((p >> 8) & 0xFFu) * a;
    g = (g + (g >> 8) + 0x80u) & 0xFF00u;
    px[i] = (a << 24) | rb | g;
  }
  return opaque;
}

std::string Img_Size_Error(uint64_t width, uint64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width == 0 || height == 0) return "the picture has no pixels (" + size + ")";
  if (width <= static_cast<uint64_t>(kMaxPictureSide) && height <= static_cast<uint64_t>(kMaxPictureSide) &&
      width * height <= static_cast<uint64_t>(kMaxPicturePixels))
    return {};
  return "the picture is " + size + " pixels, more than the " + std::to_string(kMaxPictureSide) +
         " a side or " + std::to_string(kMaxPicturePixels) + " in all accepted";
}

uint64_t Img_Jpeg_Coefficient_Bytes(uint32_t width, uint32_t height, int components, const int *h_samp,
                                    const int *v_samp) {
  int max_h = 1, max_v = 1;
  for (int c = 0; c < components; ++c) {
    max_h = std::max(max_h, h_samp[c]);
    max_v = std::max(max_v, v_samp[c]);
  }
  auto up = [](uint64_t a, uint64_t b) { return (a + b - 1) / b; };
  uint64_t total = 0;
  for (int c = 0; c < components; ++c) {
    const uint64_t hs = std::max(1, h_samp[c]), vs = std::max(1, v_samp[c]);
    const uint64_t blocks_wide = up(uint64_t{width} * hs, uint64_t(max_h) * 8);
    const uint64_t blocks_high = up(uint64_t{height} * vs, uint64_t(max_v) * 8);
    total += up(blocks_wide, hs) * hs * up(blocks_high, vs) * vs * 128;
  }
  return total;
}

size_t Img_Grow_Capacity(size_t have, size_t need, size_t total) {
  if (need <= have) return have;
  return std::min(total, std::max({need, have * 2, size_t{1} << 23}));
}

void Img_Set_Fallback(ImageFallback fallback) { g_fallback = std::move(fallback); }

bool Img_Has_Own_Decoder(const std::string &path) {
  const std::string ext = Extension(path);
  return ext == "png" || ext == "jpg" || ext == "jpeg";
}

PictureRef Img_Decode_File(const std::string &path, const std::string &bytes, std::string *error) {
  // The pixels of a big picture are allocated while decoding; running out of memory refuses this
  // picture like a damaged one instead of ending the program (decoding runs on helper threads).
  try {
    const std::string ext = Extension(path);
    if (ext == "png") return Img_Decode_Png(bytes.data(), bytes.size(), error);
    if (ext == "jpg" || ext == "jpeg") return Img_Decode_Jpeg(bytes.data(), bytes.size(), error);
    if (g_fallback) return g_fallback(path, error);
    *error = "unsupported picture format";
  } catch (const std::bad_alloc &) {
    *error = "not enough memory to decode the picture";
  }
  return nullptr;
}

PictureRef Img_Load(const std::string &path, std::string *error) {
  std::string bytes;
  if (Img_Has_Own_Decoder(path) && !Sys_Read_File(path, bytes)) {
    *error = "cannot read the file";
    return nullptr;
  }
  return Img_Decode_File(path, bytes, error);
}

bool Img_Peek_Size(const std::string &path, const std::string &bytes, int32_t *width, int32_t *height,
                   uint64_t *work) {
  const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
  const size_t n = bytes.size();
  auto be16 = [b](size_t at) { return static_cast<uint32_t>(b[at] << 8 | b[at + 1]); };
  auto be32 = [&be16](size_t at) { return be16(at) << 16 | be16(at + 2); };
  auto give = [width, height](uint32_t w, uint32_t h) {
    if (w > static_cast<uint32_t>(INT32_MAX) || h > static_cast<uint32_t>(INT32_MAX)) return false;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return true;
  };
  if (work) *work = 0;
  const std::string ext = Extension(path);
  if (ext == "png") {
    // Signature, then the header chunk: length, "IHDR", width, height.
    if (n < 24 || bytes.compare(12, 4, "IHDR") != 0) return false;
    return give(be32(16), be32(20));
  }
  if (ext != "jpg" && ext != "jpeg") return false;
  // Marker segments after the start of image, up to the frame header (any SOFn) and, for the
  // decoder's memory, on to the first scan header.
  size_t pos = 2;
  bool have_frame = false, progressive = false;
  uint32_t w = 0, h = 0;
  int components = 0, h_samp[256] = {}, v_samp[256] = {};
  while (pos + 4 <= n) {
    if (b[pos] != 0xFF) break;
    const unsigned char m = b[pos + 1];
    if (m == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {  // markers without a length
      pos += 2;
      continue;
    }
    const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (frame && !have_frame) {
      if (pos + 10 > n) return false;
      have_frame = true;
      h = be16(pos + 5);
      w = be16(pos + 7);
      progressive = m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE;
      components = b[pos + 9];
      if (pos + 10 + 3 * static_cast<size_t>(components) > n) break;
      for (int c = 0; c < components; ++c) {
        h_samp[c] = b[pos + 11 + 3 * c] >> 4;
        v_samp[c] = b[pos + 11 + 3 * c] & 15;
      }
    }
    if (m == 0xDA || m == 0xD9) {
      // The first scan: with fewer components than the frame, the file has one scan per
      // component (or a few), and libjpeg keeps the whole picture's coefficients as for a
      // progressive one.
      if (have_frame && m == 0xDA && work && pos + 5 <= n && (progressive || b[pos + 4] < components))
        *work = Img_Jpeg_Coefficient_Bytes(w, h, components, h_samp, v_samp);
      break;
    }
    pos += 2 + be16(pos + 2);
  }
  return have_frame && give(w, h);
}

Rect Img_Shown_Part(const uint32_t *px, int32_t w, int32_t h, size_t stride) {
  auto row = [&](int64_t y) { return px + static_cast<size_t>(y) * stride; };
  auto clear = [&](int64_t y) { return std::all_of(row(y), row(y) + w, [](uint32_t p) { return p >> 24 == 0; }); };
  int32_t top = 0, bottom = h;
  while (top < h && clear(top)) ++top;
  if (top == h) return Rect{};
  while (clear(bottom - 1)) --bottom;
  // Each row is only searched in the columns not yet known to show.
  int32_t left = w, right = 0;
  for (int32_t y = top; y < bottom; ++y) {
    const uint32_t *r = row(y);
    for (int32_t x = 0; x < left; ++x)
      if (r[x] >> 24) left = x;
    for (int32_t x = w - 1; x >= right; --x)
      if (r[x] >> 24) right = x + 1;
  }
  return Rect{left, top, right - left, bottom - top};
}

void Img_Trim(Picture &pic) {
  constexpr size_t kWorthBytes = size_t{1} << 20;  // smaller pictures are kept whole
  const int64_t w = pic.width, h = pic.height;
  if (pic.opaque || !pic.trim.Empty() || w <= 0 || h <= 0 || pic.pixels.size() != static_cast<size_t>(w * h) ||
      pic.pixels.size() * 4 < kWorthBytes)
    return;
  const Rect shows = Img_Shown_Part(pic.pixels.data(), pic.width, pic.height, static_cast<size_t>(w));
  if (shows.Empty()) return;
  // Out by one skin pixel, to whole skin pixels (a side the picture fills stays as it is).
  const int64_t k = std::max(1, pic.scale);
  auto down = [k](int64_t v) { return std::max<int64_t>(0, (v / k - 1) * k); };
  auto up = [k](int64_t v, int64_t end) {
    const int64_t out = ((v + k - 1) / k + 1) * k;
    return out >= end ? end : out;
  };
  const int64_t left = down(shows.left), top = down(shows.top);
  const Rect keep{static_cast<int32_t>(left), static_cast<int32_t>(top),
                  static_cast<int32_t>(up(int64_t{shows.left} + shows.width, w) - left),
                  static_cast<int32_t>(up(int64_t{shows.top} + shows.height, h) - top)};
  const size_t kept = static_cast<size_t>(keep.width) * static_cast<size_t>(keep.height);
  if (kept > pic.pixels.size() / 4 * 3) return;
  PixelBuffer out(kept);
  for (int32_t y = 0; y < keep.height; ++y)
    std::copy_n(pic.pixels.data() + static_cast<size_t>(keep.top + y) * static_cast<size_t>(w) + keep.left, keep.width,
                out.data() + static_cast<size_t>(y) * static_cast<size_t>(keep.width));
  pic.pixels.swap(out);
  pic.trim = keep;
}

PictureRef Img_Placeholder() {
  static const PictureRef pic = [] {
    auto p = std::make_shared<Picture>();
    p->width = p->height = 10;
    p->pixels.assign(100, 0xFFFF0000u);
    for (int i = 0; i < 10; ++i) {
      p->pixels[i] = p->pixels[90 + i] = p->pixels[i * 10] = p->pixels[i * 10 + 9] = 0xFF000000u;
    }
    return p;
  }();
  return pic;
}
