// Writes the hand-made hostile pictures kept in tests/data/fuzz: files whose headers claim far
// more than their data holds, or whose structure costs much to walk. Each one once cost seconds or
// hundreds of megabytes; the regression test replays them under CPU and memory limits.
// Usage: kt_make_hostile <folder>; writes <folder>/png and <folder>/jpeg.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

std::string g_root;

void Save(const std::string &sub, const std::string &name, const std::string &bytes) {
  ::mkdir(g_root.c_str(), 0755);
  ::mkdir((g_root + "/" + sub).c_str(), 0755);
  FILE *f = std::fopen((g_root + "/" + sub + "/" + name).c_str(), "wb");
  if (!f) {
    std::perror(name.c_str());
    std::exit(1);
  }
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// A chunk whose length field says length; only body is written after it.
std::string Chunk(const char *type, const std::string &body, uint32_t length) {
  std::string c = Be32(length) + type + body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(c.data() + 4), static_cast<uInt>(c.size() - 4));
  return c + Be32(static_cast<uint32_t>(crc));
}
std::string Chunk(const char *type, const std::string &body) {
  return Chunk(type, body, static_cast<uint32_t>(body.size()));
}

std::string Ihdr(uint32_t w, uint32_t h, int depth, int color) {
  return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", Be32(w) + Be32(h) + static_cast<char>(depth) + static_cast<char>(color) +
                                                 std::string(3, '\0'));
}

std::string Deflate(const std::string &raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

void Pngs() {
  // A text chunk whose length says 1 GiB, in a file of a few dozen bytes.
  Save("png", "text_chunk_claims_1gib.png", Ihdr(1, 1, 8, 0) + Be32(1u << 30) + "tEXtkey\0val");
  // 150 compressed text chunks, each inflating to 7 MB, before the (missing) image data.
  std::string many = Ihdr(1, 1, 8, 0);
  const std::string text = Deflate(std::string(7u << 20, 'a'));
  for (int i = 0; i < 150; ++i) many += Chunk("zTXt", std::string("k\0\0", 3) + text);
  Save("png", "compressed_texts_inflate_to_1gb.png", many);
  // The largest accepted picture, cut a few bytes into its image data.
  std::string rows;
  for (int y = 0; y < 4; ++y) rows += '\0' + std::string(8192 * 4, '\x40');
  Save("png", "truncated_8192x8192_rgba.png", Ihdr(8192, 8192, 8, 6) + Chunk("IDAT", Deflate(rows).substr(0, 40), 5000));
}

struct JpegOut {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  unsigned char *mem = nullptr;
  unsigned long size = 0;
};

// A w x h picture of components samples per pixel (1 grey, 3 RGB), written with the settings
// tune() makes on top of the defaults.
template <typename Tune>
std::string Jpeg(int w, int h, int components, Tune tune, bool flat = false) {
  JpegOut o;
  o.c.err = jpeg_std_error(&o.err);
  jpeg_create_compress(&o.c);
  jpeg_mem_dest(&o.c, &o.mem, &o.size);
  o.c.image_width = w;
  o.c.image_height = h;
  o.c.input_components = components;
  o.c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&o.c);
  tune(o.c);
  jpeg_start_compress(&o.c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(w) * components);
  while (o.c.next_scanline < o.c.image_height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = flat ? 128 : static_cast<unsigned char>(i * 29 + o.c.next_scanline * 7);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&o.c, &r, 1);
  }
  jpeg_finish_compress(&o.c);
  jpeg_destroy_compress(&o.c);
  std::string out(reinterpret_cast<char *>(o.mem), o.size);
  std::free(o.mem);
  return out;
}

// Offsets of every marker FF xx (xx given) in a JPEG's header and scan headers.
std::vector<size_t> Markers(const std::string &j, unsigned char code) {
  std::vector<size_t> at;
  for (size_t i = 0; i + 1 < j.size(); ++i)
    if (static_cast<unsigned char>(j[i]) == 0xFF && static_cast<unsigned char>(j[i + 1]) == code) at.push_back(i);
  return at;
}

// The frame header's height and width set to w x h.
std::string Resized(std::string j, unsigned char sof, int w, int h) {
  const size_t at = Markers(j, sof).at(0);
  j[at + 5] = static_cast<char>(h >> 8);
  j[at + 6] = static_cast<char>(h);
  j[at + 7] = static_cast<char>(w >> 8);
  j[at + 8] = static_cast<char>(w);
  return j;
}

void Jpegs() {
  // Progressive, claiming 8192 x 8192, cut a few bytes into its first scan.
  const std::string prog = Jpeg(64, 64, 3, [](jpeg_compress_struct &c) { jpeg_simple_progression(&c); });
  const size_t first_scan = Markers(prog, 0xDA).at(0);
  Save("jpeg", "progressive_truncated_8192x8192.jpg", Resized(prog, 0xC2, 8192, 8192).substr(0, first_scan + 24));
  // Arithmetic-coded, claiming 8192 x 8192, cut right after its scan header.
  const std::string arith = Jpeg(64, 64, 3, [](jpeg_compress_struct &c) { c.arith_code = TRUE; });
  const size_t arith_scan = Markers(arith, 0xDA).at(0);
  Save("jpeg", "arithmetic_truncated_8192x8192.jpg", Resized(arith, 0xC9, 8192, 8192).substr(0, arith_scan + 16));
  // Sequential with one scan per component, cut where the second scan begins.
  static const jpeg_scan_info kOnePerComponent[3] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
  const std::string seq = Jpeg(64, 64, 3, [](jpeg_compress_struct &c) {
    c.scan_info = kOnePerComponent;
    c.num_scans = 3;
  });
  Save("jpeg", "sequential_cut_between_scans.jpg", seq.substr(0, Markers(seq, 0xDA).at(1)));
  // A flat grey 2048 x 2048 progressive picture whose last scan is repeated until there are
  // 10 001 of them: each adds a few bytes and a pass over the whole picture.
  const std::string grey = Jpeg(2048, 2048, 1, [](jpeg_compress_struct &c) { jpeg_simple_progression(&c); }, true);
  const size_t last_scan = Markers(grey, 0xDA).back();
  const std::string scan = grey.substr(last_scan, grey.size() - 2 - last_scan);
  std::string many = grey.substr(0, grey.size() - 2);
  const size_t scans = Markers(grey, 0xDA).size();
  for (size_t i = scans; i < 10001; ++i) many += scan;
  Save("jpeg", "progressive_10001_scans.jpg", many + "\xFF\xD9");
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  g_root = argv[1];
  Pngs();
  Jpegs();
  return 0;
}
