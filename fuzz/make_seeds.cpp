// Writes the seed corpora for the fuzz targets: small valid pictures in every PNG colour type
// and bit depth (plain, interlaced, with a transparent colour) and in every JPEG flavour the
// decoder handles (baseline, progressive, grey, CMYK, restart markers), small INI files and
// integer texts. Usage: kt_make_seeds <corpus folder>; one sub-folder per target.
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

std::string g_root;

void WriteFile(const std::string &target, const std::string &name, const void *data, size_t size) {
  const std::string dir = g_root + "/" + target;
  ::mkdir(g_root.c_str(), 0755);
  ::mkdir(dir.c_str(), 0755);
  FILE *f = std::fopen((dir + "/" + name).c_str(), "wb");
  if (!f) {
    std::perror(name.c_str());
    std::exit(1);
  }
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

void WriteText(const std::string &target, const std::string &name, const std::string &text) {
  WriteFile(target, name, text.data(), text.size());
}

void PngToMemory(png_structp png, png_bytep data, png_size_t length) {
  auto *out = static_cast<std::vector<unsigned char> *>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

// A w x h picture of the given colour type and depth with a simple gradient in every channel.
void MakePng(const std::string &name, int w, int h, int color, int depth, bool interlaced, bool trns) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "cannot write %s\n", name.c_str());
    std::exit(1);
  }
  png_set_write_fn(png, &out, PngToMemory, PngFlush);
  png_set_IHDR(png, info, w, h, depth, color, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (color == PNG_COLOR_TYPE_PALETTE) {
    png_color pal[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    png_set_PLTE(png, info, pal, 1 << std::min(depth, 2));
    if (trns) {
      png_byte alpha[2] = {0, 128};
      png_set_tRNS(png, info, alpha, 2, nullptr);
    }
  } else if (trns && !(color & PNG_COLOR_MASK_ALPHA)) {
    png_color_16 t{};
    t.red = t.green = t.blue = t.gray = 1;
    png_set_tRNS(png, info, nullptr, 0, &t);
  }
  png_write_info(png, info);
  if (interlaced) png_set_interlace_handling(png);
  const int channels = color == PNG_COLOR_TYPE_GRAY || color == PNG_COLOR_TYPE_PALETTE ? 1
                       : color == PNG_COLOR_TYPE_GRAY_ALPHA                             ? 2
                       : color == PNG_COLOR_TYPE_RGB                                    ? 3
                                                                                        : 4;
  const size_t rowbytes = (static_cast<size_t>(w) * channels * depth + 7) / 8;
  std::vector<unsigned char> row(rowbytes);
  // Palette indexes stay within the four colours given.
  const unsigned mask = color == PNG_COLOR_TYPE_PALETTE && depth == 8 ? 0x03 : depth < 8 ? 0x55 : 0xFF;
  const int passes = interlaced ? 7 : 1;
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < h; ++y) {
      for (size_t i = 0; i < rowbytes; ++i) row[i] = static_cast<unsigned char>((i * 37 + y * 11) & mask);
      png_write_row(png, row.data());
    }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  WriteFile("png", name, out.data(), out.size());
}

void MakeJpeg(const std::string &name, int w, int h, J_COLOR_SPACE space, int components, bool progressive,
              int restart_rows, int quality) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &mem, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = components;
  c.in_color_space = space;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  c.restart_in_rows = restart_rows;
  if (space == JCS_CMYK) c.write_Adobe_marker = TRUE;
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(w) * components);
  while (c.next_scanline < c.image_height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 29 + c.next_scanline * 7);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  WriteFile("jpeg", name, mem, size);
  std::free(mem);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  g_root = argv[1];

  MakePng("gray1.png", 7, 5, PNG_COLOR_TYPE_GRAY, 1, false, false);
  MakePng("gray2_trns.png", 6, 3, PNG_COLOR_TYPE_GRAY, 2, false, true);
  MakePng("gray4_interlaced.png", 9, 9, PNG_COLOR_TYPE_GRAY, 4, true, false);
  MakePng("gray8.png", 4, 4, PNG_COLOR_TYPE_GRAY, 8, false, false);
  MakePng("gray16_trns.png", 3, 2, PNG_COLOR_TYPE_GRAY, 16, false, true);
  MakePng("graya8.png", 4, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false);
  MakePng("graya16_interlaced.png", 5, 5, PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false);
  MakePng("rgb8.png", 8, 2, PNG_COLOR_TYPE_RGB, 8, false, false);
  MakePng("rgb8_trns.png", 3, 3, PNG_COLOR_TYPE_RGB, 8, false, true);
  MakePng("rgb16.png", 2, 2, PNG_COLOR_TYPE_RGB, 16, false, false);
  MakePng("rgba8.png", 6, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false);
  MakePng("rgba8_interlaced.png", 10, 10, PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false);
  MakePng("rgba16.png", 2, 3, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false);
  MakePng("palette1.png", 9, 2, PNG_COLOR_TYPE_PALETTE, 1, false, false);
  MakePng("palette2_trns.png", 5, 5, PNG_COLOR_TYPE_PALETTE, 2, false, true);
  MakePng("palette8_interlaced.png", 4, 6, PNG_COLOR_TYPE_PALETTE, 8, true, true);

  MakeJpeg("rgb_baseline.jpg", 16, 16, JCS_RGB, 3, false, 0, 75);
  MakeJpeg("rgb_odd_size.jpg", 13, 7, JCS_RGB, 3, false, 0, 90);
  MakeJpeg("rgb_progressive.jpg", 24, 9, JCS_RGB, 3, true, 0, 60);
  MakeJpeg("rgb_restart.jpg", 32, 32, JCS_RGB, 3, false, 1, 50);
  MakeJpeg("gray.jpg", 9, 11, JCS_GRAYSCALE, 1, false, 0, 80);
  MakeJpeg("gray_progressive.jpg", 8, 8, JCS_GRAYSCALE, 1, true, 0, 80);
  MakeJpeg("cmyk.jpg", 8, 8, JCS_CMYK, 4, false, 0, 85);
  MakeJpeg("cmyk_progressive.jpg", 5, 12, JCS_CMYK, 4, true, 0, 85);

  WriteText("ini", "stage.ini",
            "\xEF\xBB\xBF; a stage\r\n[Common]\r\nBgColor=$00FF8040\r\nDesignWidth = 1024\r\n\r\n"
            "[Image1]\r\nFilename=bg.png\r\nLeft=0x10\r\nTop=-12\r\n[image1]\r\nLeft=99\r\n");
  WriteText("ini", "main.ini",
            "[Common]\nDesignWidth=800\nDesignHeight=600\nStages=3\n[Stage1]\nPath=Resources\\Stage1\\\n"
            "Name=  First stage  \n[Stage2]\nPath=x\nPath=y\n[Keys]\nLeft=$25\nRight=+39\nJump=2147483647\n");
  WriteText("ini", "odd.ini", "key=before any section\n[unclosed\na=1\n[]\n=empty key\nb\t=\t-2147483648\n[Sounds]\nOn=1");
  for (const char *t : {"0", "-1", "+42", "  17", "$FF", "0x7fffffff", "0XFFFFFFFF", "-$80000000", "2147483647",
                        "-2147483648", "2147483648", "$", "0x", "12a", "$00FF8040", "\t-0x10"}) {
    WriteText("int_color", std::string("v_") + std::to_string(std::strlen(t)) + "_" + std::to_string(t[0] & 0x7F) +
                                   "_" + std::to_string(t[std::strlen(t) - 1] & 0x7F), t);
    WriteText("store", std::string("v_") + std::to_string(std::strlen(t)) + "_" + std::to_string(t[0] & 0x7F) +
                               "_" + std::to_string(t[std::strlen(t) - 1] & 0x7F), t);
  }
  return 0;
}
