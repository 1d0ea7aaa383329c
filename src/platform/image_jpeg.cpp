// JPEG decoding through libjpeg: baseline and progressive, colour, grey and CMYK, into opaque
// ARGB32. libjpeg's fatal errors come to our handler, which records the message and jumps back;
// its messages are never printed.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// libjpeg's headers need size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "platform/image.h"
#include "platform/image_pixels.h"

namespace {

// Progressive files have about ten scans; each scan is a pass over the picture, so a file with
// thousands of them costs seconds. Nothing legitimate comes near these limits: 300 scans, and no
// more scans than 64 passes over the largest picture would make (64 scans at 8192 x 8192).
constexpr int kMaxScans = 300;
constexpr uint64_t kMaxScanPixels = 64 * static_cast<uint64_t>(kMaxPicturePixels);

struct JpegReader {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  jpeg_source_mgr src{};
  jpeg_progress_mgr progress{};
  jmp_buf jump;
  bool created = false;
  bool ran_out = false;       // the data ended before the decoder had what it needed
  bool short_scan = false;    // a scan ended before its image data was complete
  // The whole file is read before any pixel comes out (progressive, or one scan per component):
  // when the data runs out, whether every scan was there decides.
  bool multi_scan = false;
  uint32_t scanned = 0;       // bit c: component c had a scan (files of one scan per component)
  std::string error;
  std::shared_ptr<Picture> pic;
  std::vector<unsigned char> row;  // one CMYK row

  ~JpegReader() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

JpegReader *Owner(j_common_ptr c) { return static_cast<JpegReader *>(c->client_data); }

void OnErrorExit(j_common_ptr c) {
  JpegReader *r = Owner(c);
  // Once the data has run out, whatever libjpeg then stumbles on is a symptom of that.
  if (r->error.empty() && r->ran_out) r->error = "the file is truncated";
  if (r->error.empty()) {
    char msg[JMSG_LENGTH_MAX];
    (*c->err->format_message)(c, msg);
    r->error = msg;
  }
  std::longjmp(r->jump, 1);
}

void OnEmitMessage(j_common_ptr c, int level) {
  // Level -1 is a warning about corrupt data; the one that matters is a scan that ran short.
  if (level == -1 && c->err->msg_code == JWRN_HIT_MARKER) Owner(c)->short_scan = true;
}

void OnOutputMessage(j_common_ptr) {}

[[noreturn]] void Refuse(JpegReader *r, const char *why) {
  if (r->error.empty()) r->error = why;
  std::longjmp(r->jump, 1);
}

// A scan ran short, or the data ran out where the decoder cannot tell whether it made data up
// (arithmetic coding).
bool CutInAScan(const JpegReader *r) { return r->short_scan || (r->ran_out && r->cinfo.arith_code); }

// Once a file of several scans has been read: every coefficient of every component has had its
// last scan (a progressive file), or every component its scan (one scan per component). A file
// that only lacks its end marker has them all; one cut between two scans has not.
bool AllScansThere(const JpegReader *r) {
  const jpeg_decompress_struct &ci = r->cinfo;
  if (!ci.progressive_mode) return r->scanned == (uint32_t{1} << ci.num_components) - 1;
  if (!ci.coef_bits) return false;
  for (int c = 0; c < ci.num_components; ++c)
    for (int k = 0; k < DCTSIZE2; ++k)
      if (ci.coef_bits[c][k] != 0) return false;
  return true;
}

// Called by libjpeg after every row of blocks it reads or decodes: stops a file that has run out
// of data, or has too many scans, before the rest of a picture that is never shown is worked on.
void OnProgress(j_common_ptr c) {
  JpegReader *r = Owner(c);
  if (CutInAScan(r)) Refuse(r, "the file is truncated");
  if (r->multi_scan)
    for (int i = 0; i < r->cinfo.comps_in_scan; ++i)
      if (r->cinfo.cur_comp_info[i]) r->scanned |= uint32_t{1} << (r->cinfo.cur_comp_info[i]->component_index & 31);
  const auto scans = static_cast<uint64_t>(r->cinfo.input_scan_number);
  if (scans > kMaxScans || scans * r->cinfo.image_width * r->cinfo.image_height > kMaxScanPixels)
    Refuse(r, "the file has too many scans");
}

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
  // All the data was handed over at once, so being asked for more means the file ended early.
  // Hand over an end-of-image marker so that the decoder stops cleanly; the caller decides.
  static const JOCTET kEoi[2] = {0xFF, JPEG_EOI};
  Owner(reinterpret_cast<j_common_ptr>(cinfo))->ran_out = true;
  cinfo->src->next_input_byte = kEoi;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr *src = cinfo->src;
  if (static_cast<size_t>(count) > src->bytes_in_buffer) {
    src->next_input_byte += src->bytes_in_buffer;
    src->bytes_in_buffer = 0;
    FillInput(cinfo);
    return;
  }
  src->next_input_byte += count;
  src->bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

uint32_t Div255(uint32_t t) { return (t + (t >> 8) + 0x80u) >> 8; }

// Everything between setjmp and the last libjpeg call works through r (see the PNG decoder).
bool Decode(JpegReader *r, const void *data, size_t size) {
  jpeg_decompress_struct *ci = &r->cinfo;
  ci->err = jpeg_std_error(&r->err);
  r->err.error_exit = OnErrorExit;
  r->err.emit_message = OnEmitMessage;
  r->err.output_message = OnOutputMessage;
  ci->client_data = r;
  if (setjmp(r->jump)) return false;
  jpeg_create_decompress(ci);
  r->created = true;
  r->src.init_source = InitSource;
  r->src.fill_input_buffer = FillInput;
  r->src.skip_input_data = SkipInput;
  r->src.resync_to_restart = jpeg_resync_to_restart;
  r->src.term_source = TermSource;
  r->src.next_input_byte = static_cast<const JOCTET *>(data);
  r->src.bytes_in_buffer = size;
  ci->src = &r->src;

  jpeg_read_header(ci, TRUE);
  if (r->ran_out) {
    r->error = "the file is truncated";
    return false;
  }
  r->error = Img_Size_Error(ci->image_width, ci->image_height);
  if (!r->error.empty()) return false;
  r->multi_scan = ci->progressive_mode || ci->comps_in_scan < ci->num_components;
  if (r->multi_scan) {
    // libjpeg keeps the coefficients of the whole picture until the last scan: bounded like the
    // pixels, and refused before it allocates them.
    int h_samp[MAX_COMPONENTS], v_samp[MAX_COMPONENTS];
    for (int c = 0; c < ci->num_components; ++c) {
      h_samp[c] = ci->comp_info[c].h_samp_factor;
      v_samp[c] = ci->comp_info[c].v_samp_factor;
    }
    const uint64_t need =
        Img_Jpeg_Coefficient_Bytes(ci->image_width, ci->image_height, ci->num_components, h_samp, v_samp);
    if (need > kMaxJpegCoefficientBytes) {
      r->error = "decoding this picture of several scans would take " + std::to_string(need >> 20) +
                 " MB besides its pixels, more than the " + std::to_string(kMaxJpegCoefficientBytes >> 20) +
                 " MB accepted";
      return false;
    }
    for (int i = 0; i < ci->comps_in_scan; ++i)
      r->scanned |= uint32_t{1} << (ci->cur_comp_info[i]->component_index & 31);
  }
  r->progress.progress_monitor = OnProgress;
  ci->progress = &r->progress;
  const bool cmyk = ci->jpeg_color_space == JCS_CMYK || ci->jpeg_color_space == JCS_YCCK;
  ci->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;  // grey and colour both come out as B, G, R, 255
  ci->dct_method = JDCT_ISLOW;
  jpeg_start_decompress(ci);
  // A file of several scans has been read whole by now; if it ended early, nothing is worth
  // decoding. One that only lacks its end marker is shown, like a picture of one scan.
  if (CutInAScan(r)) {
    r->error = "the file is truncated";
    return false;
  }
  if (r->multi_scan && r->ran_out && !AllScansThere(r)) {
    r->error = "the file is truncated: it ends between two scans, before the last";
    return false;
  }
  const JDIMENSION w = ci->output_width, h = ci->output_height;
  if (ci->output_components != 4 || w == 0 || h == 0) {
    r->error = "unexpected output layout";
    return false;
  }
  r->pic = std::make_shared<Picture>();
  r->pic->width = static_cast<int32_t>(w);
  r->pic->height = static_cast<int32_t>(h);
  r->pic->opaque = true;  // the decoder's fourth byte is always 0xFF
  // The rows are added as they are decoded (new pixels are not cleared), so a file that stops
  // early never costs the memory of all the pixels its header claims.
  const size_t total = static_cast<size_t>(w) * h;
  if (cmyk) r->row.resize(static_cast<size_t>(w) * 4);
  while (ci->output_scanline < h) {
    PixelBuffer &px = r->pic->pixels;
    px.reserve(Img_Grow_Capacity(px.capacity(), px.size() + w, total));
    px.resize(px.size() + w);
    uint32_t *out = r->pic->pixels.data() + static_cast<size_t>(ci->output_scanline) * w;
    JSAMPROW row = cmyk ? r->row.data() : reinterpret_cast<JSAMPROW>(out);
    if (jpeg_read_scanlines(ci, &row, 1) != 1) {
      r->error = "the image data stops early";
      return false;
    }
    // Once a scan has run out of data the rest would be made-up grey; a header of a few bytes may
    // claim 8192 x 8192 pixels, so stop here rather than decode them all.
    if (CutInAScan(r)) break;
    if (cmyk) {
      // Adobe's CMYK files store inverted inks: 255 means no ink, so red = C * K / 255.
      const unsigned char *in = r->row.data();
      for (JDIMENSION x = 0; x < w; ++x, in += 4) {
        const uint32_t k = in[3];
        out[x] = 0xFF000000u | (Div255(in[0] * k) << 16) | (Div255(in[1] * k) << 8) | Div255(in[2] * k);
      }
    }
  }
  if (CutInAScan(r)) {
    r->error = "the file is truncated";
    return false;
  }
  // jpeg_finish_decompress would only look for the end marker; a missing one is tolerated.
  jpeg_abort_decompress(ci);
  return true;
}

}  // namespace

PictureRef Img_Decode_Jpeg(const void *data, size_t size, std::string *error) {
  if (size == 0) {
    *error = "the file is empty";
    return nullptr;
  }
  const auto *b = static_cast<const unsigned char *>(data);
  if (size < 3 || b[0] != 0xFF || b[1] != 0xD8 || b[2] != 0xFF) {
    *error = "not a JPEG file (wrong signature)";
    return nullptr;
  }
  auto r = std::make_unique<JpegReader>();
  bool ok = false;
  try {
    ok = Decode(r.get(), data, size);
  } catch (const std::bad_alloc &) {
    r->error = "not enough memory for the picture";
  }
  if (!ok) {
    *error = "JPEG: " + (r->error.empty() ? std::string("cannot decode") : r->error);
    return nullptr;
  }
  return r->pic;
}
