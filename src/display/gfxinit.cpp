#include "display/gfxinit.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <thread>

#include "config/config.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/ini.h"

namespace {

// The decoded pictures of one skin together may take this much memory. A skin for a 4K screen
// needs some tens of megabytes (the default skin a few); beyond this, pictures are left out like
// undecodable ones, so a skin of many huge pictures cannot exhaust the memory or take minutes.
constexpr uint64_t kSkinBudgetBytes = uint64_t{256} << 20;
// Pictures of earlier skins kept for reloads, beyond those of the skin last loaded.
constexpr uint64_t kCacheSpareBytes = uint64_t{64} << 20;
// File bytes read while the sizes are checked are kept for decoding up to this total; the rest
// are read again when decoded.
constexpr uint64_t kKeptFileBytes = uint64_t{64} << 20;

uint64_t Bytes(const Picture &p) { return static_cast<uint64_t>(p.pixels.size()) * 4; }

// Decoded pictures by file, so that reloading a skin at every game start and stage change does
// not decode the same files again. An entry is reused only while the file's size and time match.
struct CacheEntry {
  int64_t mtime_ns = 0;
  int64_t size = 0;
  PictureRef pic;
  uint64_t last_load = 0;  // number of the skin load that last used it
};
std::map<std::string, CacheEntry> g_cache;
uint64_t g_loads = 0;

// One picture file of a skin: taken from the cache, or decoded. scale > 1 marks a high-resolution
// variant of the named file (base); a variant that is not exactly scale times the base, or does
// not decode, gives way to the base: file and scale become the base's, and note says why.
struct Wanted {
  std::string asked;  // the file chosen for the skin (file, until a variant gives way)
  std::string file;
  int32_t scale = 1;
  std::string base;            // the 1x picture of a variant
  int32_t base_w = 0, base_h = 0;  // its size, once known
  std::string note;            // why the variant gave way
  int64_t mtime_ns = 0, size = 0;
  PictureRef pic;
  std::string error;
  std::string bytes;        // the file, when kept from the size check
  bool read = false;        // bytes holds the whole file
  uint64_t claimed = 0;     // decoded bytes its header claims; 0 when unknown
  bool admitted = true;     // within the skin's budget
  bool cached = false;      // pic came from the cache
};

bool IsFile(const std::string &path) {
  FileInfo info;
  return Sys_File_Info(path, info) && info.regular;
}

// A file's size and modification time, to tell whether it changed since it was last looked at.
struct Stamp {
  int64_t mtime_ns = -1, size = -1;
  bool operator==(const Stamp &) const = default;
};
Stamp StampOf(const std::string &path) {
  FileInfo info;
  if (!Sys_File_Info(path, info)) return {};
  return {info.mtime_ns, static_cast<int64_t>(info.size)};
}

// Variants found unusable (wrong size, undecodable) while they and their base stay unchanged: not
// chosen again, so each is decoded and reported once.
struct Unusable {
  Stamp variant, base;
};
std::map<std::string, Unusable> g_unusable;

// The high-resolution variants a skin may put beside any picture: "name@2x.png" and "name@3x.png"
// for "name.png" (same folder, same letter case), two and three times as wide and high. For a
// pixel scale the nearest variant at or above it is taken, else the largest there is; a skin that
// has none is drawn from its ordinary pictures.
constexpr int32_t kVariants[] = {2, 3};

std::string VariantName(const std::string &file, int32_t scale) {
  const size_t slash = file.find_last_of('/');
  size_t dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = file.size();
  return file.substr(0, dot) + "@" + std::to_string(scale) + "x" + file.substr(dot);
}

// The file to decode for a found picture file at a pixel scale, and that file's scale.
std::pair<std::string, int32_t> ChooseVariant(const std::string &file, double pixel_scale) {
  if (pixel_scale <= 1.0) return {file, 1};
  std::pair<std::string, int32_t> best{file, 1};
  for (int32_t k : kVariants) {
    const std::string v = VariantName(file, k);
    if (!IsFile(v)) continue;
    if (auto bad = g_unusable.find(v);
        bad != g_unusable.end() && bad->second.variant == StampOf(v) && bad->second.base == StampOf(file))
      continue;
    best = {v, k};
    if (k >= pixel_scale - 1e-9) break;
  }
  return best;
}

// Runs job on every item, shared out over a few helper threads (the skin's large background and
// its many small segments side by side); returns when all are done.
void ForEachShared(std::vector<Wanted *> &items, const std::function<void(Wanted &)> &job) {
  std::atomic<size_t> next{0};
  auto work = [&items, &next, &job] {
    for (size_t i; (i = next.fetch_add(1)) < items.size();) {
      // A helper thread must not let anything escape: that would end the program.
      try {
        job(*items[i]);
      } catch (const std::bad_alloc &) {
        items[i]->pic = nullptr;
        items[i]->error = "not enough memory to decode the picture";
      } catch (const std::exception &e) {
        items[i]->pic = nullptr;
        items[i]->error = e.what();
      }
    }
  };
  const size_t helpers = std::min<size_t>({std::max(1u, std::thread::hardware_concurrency()) - 1, 3, items.size() / 8});
  std::vector<std::thread> threads;
  try {
    for (size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
  } catch (const std::exception &) {
    // No memory for another thread's stack: the threads there are share the work.
  }
  work();
  for (std::thread &t : threads) t.join();
}

std::string OverBudget() {
  return "left out: the skin's pictures together would take more than " + std::to_string(kSkinBudgetBytes >> 20) +
         " MB once decoded";
}

// Keeps the pictures of this load and, of the others, the most recently used up to the spare
// allowance.
void TrimCache() {
  std::vector<std::map<std::string, CacheEntry>::iterator> old;
  for (auto it = g_cache.begin(); it != g_cache.end(); ++it)
    if (it->second.last_load != g_loads) old.push_back(it);
  std::sort(old.begin(), old.end(), [](const auto &a, const auto &b) { return a->second.last_load > b->second.last_load; });
  uint64_t kept = 0;
  for (const auto &it : old) {
    kept += Bytes(*it->second.pic);
    if (kept > kCacheSpareBytes) g_cache.erase(it);
  }
}

// Size and time of every wanted file; false (with the reason) for a file that cannot be opened.
bool StatFile(Wanted &w) {
  FileInfo info;
  if (!Sys_File_Info(w.file, info)) {
    w.error = "cannot open";
    return false;
  }
  w.mtime_ns = info.mtime_ns;
  w.size = info.size;
  return true;
}

// The file name without its folder.
std::string BaseName(const std::string &path) { return path.substr(path.find_last_of('/') + 1); }

std::string VariantNote(const Wanted &w, const std::string &why) {
  return w.file + ": not used (" + why + "); the picture " + BaseName(w.base) + " is shown instead";
}

// Empty when a variant of width x height is exactly its scale times its 1x picture, else what is
// wrong with it.
std::string WrongSize(const Wanted &w, int32_t width, int32_t height) {
  if (int64_t{width} == int64_t{w.base_w} * w.scale && int64_t{height} == int64_t{w.base_h} * w.scale) return {};
  return "it is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, not " + std::to_string(w.scale) +
         " times the " + std::to_string(w.base_w) + " x " + std::to_string(w.base_h) + " of " + BaseName(w.base);
}

// A variant that cannot be used gives way to its 1x picture.
void GiveWayToBase(Wanted &w) {
  w.file = w.base;
  w.scale = 1;
  w.read = false;
  w.pic = nullptr;
  w.error.clear();
  std::string().swap(w.bytes);
}

// Reads the headers of a variant of a PNG or JPEG and of its 1x picture: a variant of another
// size than its scale times the 1x picture gives way to it, as does any variant of a 1x picture
// whose size cannot be read (then that one is shown as it is, or reported). A variant whose own
// header cannot be read is left to the decoder, which says what is wrong. True when the chosen
// file's bytes are in w.bytes.
bool CheckVariantSize(Wanted &w) {
  std::string base;
  if (!Sys_Read_File(w.base, base) || !Img_Peek_Size(w.base, base, &w.base_w, &w.base_h)) {
    GiveWayToBase(w);
    w.bytes.swap(base);
    return !w.bytes.empty();
  }
  if (!Sys_Read_File(w.file, w.bytes)) {
    w.note = VariantNote(w, "it cannot be read");
    GiveWayToBase(w);
    w.bytes.swap(base);
    return true;
  }
  int32_t width = 0, height = 0;
  if (Img_Peek_Size(w.file, w.bytes, &width, &height)) {
    if (const std::string why = WrongSize(w, width, height); !why.empty()) {
      w.note = VariantNote(w, why);
      GiveWayToBase(w);
      w.bytes.swap(base);
    }
  }
  return true;
}

// Decodes w's file (from the bytes kept, or read now).
void DecodeOne(Wanted &w) {
  if (Img_Has_Own_Decoder(w.file) && !w.read && !Sys_Read_File(w.file, w.bytes)) {
    w.error = "cannot read the file";
    return;
  }
  w.pic = Img_Decode_File(w.file, w.bytes, &w.error);
  std::string().swap(w.bytes);
}

// Decodes the wanted files not taken from the cache (todo), in the skin's order of wanted: first
// the sizes the files' headers claim are read and charged to the skin's budget in order (pictures
// already there count with their size); then the admitted files are decoded, shared out over a
// few threads. Touches nothing but the wanted entries, so it may run on a helper thread.
void DecodePictures(std::vector<Wanted> &wanted, std::vector<Wanted *> todo) {
  // Largest first, so that the big pictures do not start last.
  std::sort(todo.begin(), todo.end(), [](const Wanted *a, const Wanted *b) { return a->size > b->size; });

  std::atomic<uint64_t> kept{0};
  ForEachShared(todo, [&kept](Wanted &w) {
    if (!Img_Has_Own_Decoder(w.file)) return;
    const bool have_bytes = w.scale > 1 && CheckVariantSize(w);
    if (!have_bytes && !Sys_Read_File(w.file, w.bytes)) {
      w.error = "cannot read the file";
      w.admitted = false;
      return;
    }
    int32_t width = 0, height = 0;
    uint64_t work = 0;  // what the decoder takes besides the pixels while it decodes
    if (Img_Peek_Size(w.file, w.bytes, &width, &height, &work) && width > 0 && height > 0 &&
        width <= kMaxPictureSide && height <= kMaxPictureSide && int64_t{width} * height <= kMaxPicturePixels)
      w.claimed = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 + work;
    if (kept.fetch_add(w.bytes.size()) + w.bytes.size() <= kKeptFileBytes) {
      w.read = true;
    } else {
      std::string().swap(w.bytes);
    }
  });

  uint64_t used = 0;
  for (Wanted &w : wanted) {
    const uint64_t need = w.pic ? Bytes(*w.pic) : w.claimed;
    if (w.admitted && used + need > kSkinBudgetBytes) {
      w.admitted = false;
      w.pic = nullptr;
      w.error = OverBudget();
    }
    if (w.admitted) used += need;
  }

  std::erase_if(todo, [](const Wanted *w) { return !w->admitted; });
  ForEachShared(todo, [](Wanted &w) {
    DecodeOne(w);
    if (w.scale > 1) {
      // A variant that does not decode gives way to the 1x picture, as does one that turns out to
      // be of another size (a format without a header reader) or whose 1x picture is unusable.
      if (w.pic && w.base_w == 0) {
        std::string why;
        if (const PictureRef base = Img_Load(w.base, &why)) {
          w.base_w = base->width;
          w.base_h = base->height;
        }
      }
      const std::string why = !w.pic ? w.error : w.base_w > 0 ? WrongSize(w, w.pic->width, w.pic->height) : "";
      if (!why.empty() || w.base_w <= 0) {
        if (!why.empty()) w.note = VariantNote(w, why);
        GiveWayToBase(w);
        DecodeOne(w);
      }
    }
    // Freshly decoded and not shared yet: its scale can still be set, its borders cut.
    if (w.pic) {
      Picture &fresh = *std::const_pointer_cast<Picture>(w.pic);
      fresh.scale = w.scale;
      Img_Trim(fresh);
    }
  });

  // Pictures whose size was not known before decoding (other formats) are charged now.
  for (Wanted &w : wanted) {
    if (!w.pic || w.claimed != 0 || w.cached) continue;
    if (used + Bytes(*w.pic) > kSkinBudgetBytes) {
      w.pic = nullptr;
      w.error = OverBudget();
    } else {
      used += Bytes(*w.pic);
    }
  }
}

// A skin's pictures decoded ahead on a helper thread (Gfx_Prefetch_Skin), waiting for the load
// that asks for the same files. Ended (waited for) at the latest when the program ends.
struct Prefetch {
  std::vector<Wanted> wanted;
  std::thread thread;
  bool done = false;  // the helper decoded them all (set by the helper before it ends)
  ~Prefetch() { Wait(); }
  void Wait() {
    if (thread.joinable()) thread.join();
  }
};
Prefetch g_prefetch;

// The files (and their resolutions) of two lists are the same, in the same order.
bool SameFiles(const std::vector<Wanted> &a, const std::vector<Wanted> &b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Wanted &x, const Wanted &y) { return x.asked == y.asked; });
}

// Fills in the pictures of every wanted file, in the skin's order: those decoded ahead for the
// same files, else from the cache when the file is unchanged, else by decoding (DecodePictures).
// The caller waits for all of them, so to the rest of the program the load is one synchronous
// step. Only this thread touches the cache.
void LoadPictures(std::vector<Wanted> &wanted) {
  ++g_loads;
  g_prefetch.Wait();
  std::vector<Wanted> early = std::move(g_prefetch.wanted);
  const bool early_done = g_prefetch.done;
  g_prefetch.wanted.clear();
  g_prefetch.done = false;
  std::vector<Wanted *> todo;
  if (early_done && !early.empty() && SameFiles(early, wanted)) {
    wanted = std::move(early);
    for (Wanted &w : wanted) todo.push_back(&w);
  } else {
    for (Wanted &w : wanted) {
      if (!StatFile(w)) continue;
      auto it = g_cache.find(w.file);
      if (it != g_cache.end() && it->second.mtime_ns == w.mtime_ns && it->second.size == w.size) {
        w.pic = it->second.pic;
        w.cached = true;
        it->second.last_load = g_loads;
      } else {
        todo.push_back(&w);
      }
    }
    DecodePictures(wanted, todo);
  }
  for (Wanted *w : todo) {
    if (!w->note.empty()) {
      g_unusable[w->asked] = Unusable{StampOf(w->asked), StampOf(w->base)};
      // The stamp taken for the variant is not the 1x picture's.
      const Stamp base = StampOf(w->file);
      w->mtime_ns = base.mtime_ns;
      w->size = base.size;
    }
    if (w->pic) g_cache[w->file] = CacheEntry{w->mtime_ns, w->size, w->pic, g_loads};
  }
  TrimCache();
}

// Pictures that cannot be shown, and variants that gave way to their 1x picture.
void ReportProblems(const std::vector<Wanted> &wanted, std::vector<std::string> &problems) {
  for (const Wanted &w : wanted) {
    if (!w.note.empty()) problems.push_back(w.note);
    if (!w.pic) problems.push_back(w.file + ": " + w.error);
  }
}

int32_t ReadMainInt(const Config &cfg, const char *key, int32_t def);

// Skin values are any 32-bit numbers; sums of them are worked out in 64 bits and pinned to the
// 32-bit range rather than wrapped around.
int32_t Pin(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t ReadMainInt(const Config &cfg, const char *key, int32_t def) {
  IniFile ini;
  ini.Load(Sys_Find_File(cfg.MainIni()));
  return ini.ReadInteger("Common", key, def);
}

// The offset of the design canvas (DesignWidth x DesignHeight of the main Config.ini) centred on
// the screen.
struct DesignShift {
  int32_t dx, dy;
};
DesignShift DesignOffset(const Config &cfg, const SkinLayout &screen) {
  IniFile main;
  main.Load(Sys_Find_File(cfg.MainIni()));
  return {Gfx_Design_Offset(screen.screen_w, main.ReadInteger("Common", "DesignWidth", 1024)),
          Gfx_Design_Offset(screen.screen_h, main.ReadInteger("Common", "DesignHeight", 768))};
}

// Step 5.4 of the load: the rectangle of element n from its section, shifted by the design offset.
void SetRect(Lcd &lcd, const IniFile &ini, int n, int32_t dx, int32_t dy) {
  const std::string section = "Image" + std::to_string(n);
  Rect r;
  r.height = ini.ReadInteger(section, "Height", 0);
  r.left = Pin(int64_t{ini.ReadInteger(section, "Left", 0)} + dx);
  r.top = Pin(int64_t{ini.ReadInteger(section, "Top", 0)} + dy);
  r.width = ini.ReadInteger(section, "Width", 0);
  Lcd_Set_Rect(lcd, static_cast<el::Id>(n - 1), r);
}

void ArrangeButtons(Lcd &lcd, const Config &cfg, const SkinLayout &screen);

// The index in `wanted` of a picture file at its scale (a variant of found, or found itself),
// added when the skin names it first.
int AddWanted(std::vector<Wanted> &wanted, std::map<std::string, int> &index_of, const std::string &found,
              const std::pair<std::string, int32_t> &variant) {
  auto [it, added] = index_of.try_emplace(variant.first, static_cast<int>(wanted.size()));
  if (added) {
    Wanted &w = wanted.emplace_back();
    w.asked = w.file = variant.first;
    w.scale = variant.second;
    if (w.scale > 1) w.base = found;
  }
  return it->second;
}

// The picture files of a stage's skin (its Config.ini read into ini) for a screen: one entry per
// distinct file, in element order. wanted_index[n] (n = 1 .. kSkinElements) gets the entry of
// element n, -1 for a file that is missing (the placeholder) or -2 for none (the element keeps its
// picture).
std::vector<Wanted> WantedFiles(const IniFile &ini, const std::string &stage_path, const SkinLayout &screen,
                                int *wanted_index) {
  std::vector<Wanted> wanted;
  std::map<std::string, int> index_of;
  for (int n = 1; n <= el::kSkinElements; ++n) {
    wanted_index[n] = -2;
    const std::string filename = ini.ReadString("Image" + std::to_string(n), "Filename", "");
    if (filename.empty() || filename == "nil") continue;
    const std::string found = Sys_Find_Value_File(stage_path + filename);
    if (found.empty()) {
      wanted_index[n] = -1;
      continue;
    }
    wanted_index[n] = AddWanted(wanted, index_of, found, ChooseVariant(found, screen.pixel_scale));
  }
  return wanted;
}

}  // namespace

void Gfx_Prefetch_Skin(const Config &cfg, const SkinLayout &screen, int32_t stage_number) {
  g_prefetch.Wait();
  IniFile ini;
  ini.Load(Sys_Find_Value_File(cfg.Stage(stage_number).path + "Config.ini"));
  int wanted_index[el::kSkinElements + 1];
  g_prefetch.wanted = WantedFiles(ini, cfg.Stage(stage_number).path, screen, wanted_index);
  g_prefetch.done = false;
  try {
    g_prefetch.thread = std::thread([] {
      // Nothing may escape a helper thread; a failure leaves the work to the load.
      try {
        std::vector<Wanted *> todo;
        for (Wanted &w : g_prefetch.wanted)
          if (StatFile(w)) todo.push_back(&w);
        DecodePictures(g_prefetch.wanted, todo);
        g_prefetch.done = true;
      } catch (const std::exception &) {
      }
    });
  } catch (const std::exception &) {
    g_prefetch.wanted.clear();  // no thread: the load decodes them itself
  }
}

void Gfx_Flush_Cache() {
  g_prefetch.Wait();
  g_prefetch.wanted.clear();
  g_prefetch.done = false;
  g_cache.clear();
  g_unusable.clear();
}

int32_t Gfx_Design_Offset(int32_t screen, int32_t design) {
  return Pin((static_cast<int64_t>(screen) - design) / 2);
}

bool Gfx_Parse_Color(const std::string &text, uint32_t *rgb) {
  std::optional<int32_t> v = Ini_Parse_Int(text);
  if (!v) return false;
  const auto c = static_cast<uint32_t>(*v);
  const uint32_t r = c & 0xFF, gr = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  *rgb = (r << 16) | (gr << 8) | b;
  return true;
}

void Gfx_Load_Skin(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number,
                   std::vector<std::string> *problems) {
  const StageEntry &stage = cfg.Stage(stage_number);
  const auto [dx, dy] = DesignOffset(cfg, screen);

  IniFile ini;
  const std::string ini_path = stage.path + "Config.ini";
  ini.Load(Sys_Find_Value_File(ini_path));

  const std::string bg = ini.ReadString("Common", "BgColor", "$00000000");
  uint32_t rgb = 0;
  if (Gfx_Parse_Color(bg, &rgb)) Lcd_Set_Window_Color(lcd, rgb);
  else if (problems) problems->push_back(ini_path + ": BgColor \"" + bg + "\" is not a colour number");

  // First the file of every element (one entry per distinct file), then all pictures at once.
  int wanted_index[el::kSkinElements + 1];
  std::vector<Wanted> wanted = WantedFiles(ini, stage.path, screen, wanted_index);
  LoadPictures(wanted);
  if (problems) ReportProblems(wanted, *problems);

  for (int n = 1; n <= el::kSkinElements; ++n) {
    const auto id = static_cast<el::Id>(n - 1);
    if (wanted_index[n] == -1) {
      Lcd_Set_Picture(lcd, id, Img_Placeholder());
    } else if (wanted_index[n] >= 0) {
      const PictureRef &pic = wanted[wanted_index[n]].pic;
      Lcd_Set_Picture(lcd, id, pic ? pic : Img_Placeholder());
    }
    SetRect(lcd, ini, n, dx, dy);
  }
}

void Gfx_Relayout(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number) {
  const StageEntry &stage = cfg.Stage(stage_number);
  const auto [dx, dy] = DesignOffset(cfg, screen);
  IniFile ini;
  ini.Load(Sys_Find_Value_File(stage.path + "Config.ini"));
  for (int n = 1; n <= el::kSkinElements; ++n) SetRect(lcd, ini, n, dx, dy);
  Gfx_Place_Background_Logo(lcd, cfg, screen);
  ArrangeButtons(lcd, cfg, screen);
}

void Gfx_Reload_Pictures(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number,
                         std::vector<std::string> *problems) {
  const StageEntry &stage = cfg.Stage(stage_number);
  IniFile ini;
  ini.Load(Sys_Find_Value_File(stage.path + "Config.ini"));
  // Every resolution of every picture file of the skin that is in use, and the one wanted now.
  std::vector<Wanted> wanted;
  std::map<std::string, int> index_of;
  std::vector<std::pair<PictureRef, int>> swaps;  // a picture in use and the index of its replacement
  for (int n = 1; n <= el::kSkinElements; ++n) {
    const std::string filename = ini.ReadString("Image" + std::to_string(n), "Filename", "");
    if (filename.empty() || filename == "nil") continue;
    const std::string found = Sys_Find_Value_File(stage.path + filename);
    if (found.empty()) continue;
    const auto variant = ChooseVariant(found, screen.pixel_scale);
    const int index = AddWanted(wanted, index_of, found, variant);
    for (int32_t k : {1, 2, 3}) {
      auto old = g_cache.find(k == 1 ? found : VariantName(found, k));
      if (old != g_cache.end() && old->first != variant.first) swaps.emplace_back(old->second.pic, index);
    }
  }
  if (swaps.empty()) return;
  LoadPictures(wanted);
  if (problems) ReportProblems(wanted, *problems);
  for (int i = 0; i < el::COUNT; ++i) {
    const PictureRef &pic = lcd.e[i].pic;
    if (!pic) continue;
    for (const auto &[old, index] : swaps)
      if (pic == old && wanted[index].pic) {
        Lcd_Set_Picture(lcd, static_cast<el::Id>(i), wanted[index].pic);
        break;
      }
  }
}

double Gfx_Fit_Scale(int32_t w, int32_t h, int32_t design_w, int32_t design_h, int32_t bg_w, int32_t bg_h) {
  // The design canvas holds the background with the skin's own margin around it; a background
  // larger than the canvas gets kFitMargin of its own.
  auto need = [](int32_t design, int32_t bg) {
    return std::max(1.0, bg > design ? bg + 2.0 * kFitMargin : static_cast<double>(design));
  };
  const double need_w = need(design_w, bg_w), need_h = need(design_h, bg_h);
  const double s = std::min(std::max(1, w) / need_w, std::max(1, h) / need_h);
  return s > 0 ? s : 1.0;
}

double Gfx_Fit_Scale(const Config &cfg, int32_t w, int32_t h) {
  IniFile main;
  main.Load(Sys_Find_File(cfg.MainIni()));
  int32_t bg_w = 0, bg_h = 0;
  if (cfg.stage_count >= 1) {
    IniFile ini;
    ini.Load(Sys_Find_Value_File(cfg.Stage(1).path + "Config.ini"));
    bg_w = ini.ReadInteger("Image1", "Width", 0);
    bg_h = ini.ReadInteger("Image1", "Height", 0);
  }
  return Gfx_Fit_Scale(w, h, main.ReadInteger("Common", "DesignWidth", 1024),
                       main.ReadInteger("Common", "DesignHeight", 768), bg_w, bg_h);
}

int32_t Gfx_Virtual_Size(int32_t real, double scale) {
  if (!(scale > 0)) return std::max(1, real);
  // A hair below a whole number counts as that number (1920 / 1.40625 is 1365.33, 768 / 1 is 768).
  const double v = std::ceil(real / scale - 1e-6);
  return static_cast<int32_t>(std::clamp(v, 1.0, static_cast<double>(INT32_MAX)));
}

void Gfx_Place_Background_Logo(Lcd &lcd, const Config &cfg, const SkinLayout &screen) {
  const int32_t b = ReadMainInt(cfg, "ButtonsOffset", 32);
  const int64_t SW = screen.screen_w, SH = screen.screen_h;
  Rect bg = lcd.e[el::im_background].rect;
  bg.top = Pin((SH - bg.height) / 2);
  bg.left = Pin((SW - bg.width) / 2);
  Lcd_Set_Rect(lcd, el::im_background, bg);
  Rect logo = lcd.e[el::im_logo].rect;
  logo.top = b;
  logo.left = Pin(SW - logo.width - b);
  Lcd_Set_Rect(lcd, el::im_logo, logo);
}

void Gfx_Place_Buttons(Lcd &lcd, const Config &cfg, const SkinLayout &screen) {
  const el::Id faces[8][2] = {
      {el::btn_game_a_top, el::btn_game_a_released},       {el::btn_game_b_top, el::btn_game_b_released},
      {el::btn_time_top, el::btn_time_released},           {el::btn_move_up_top, el::btn_move_up_released},
      {el::btn_move_left_top, el::btn_move_left_released}, {el::btn_move_right_top, el::btn_move_right_released},
      {el::btn_move_down_top, el::btn_move_down_released}, {el::btn_jump_top, el::btn_jump_released}};
  for (const auto &f : faces) Lcd_Set_Picture(lcd, f[0], lcd.e[f[1]].pic);
  ArrangeButtons(lcd, cfg, screen);
}

namespace {

void ArrangeButtons(Lcd &lcd, const Config &cfg, const SkinLayout &screen) {
  const int32_t b = ReadMainInt(cfg, "ButtonsOffset", 32);
  const int64_t SW = screen.screen_w, SH = screen.screen_h;
  // Left, top, width and height of a face, in 64 bits while the layout is worked out.
  struct Box {
    int64_t L, T, W, H;
  };
  auto box = [&lcd](el::Id id) {
    const Rect &r = lcd.e[id].rect;
    return Box{r.left, r.top, r.width, r.height};
  };
  Box up = box(el::btn_move_up_top), left = box(el::btn_move_left_top), right = box(el::btn_move_right_top);
  Box down = box(el::btn_move_down_top), jump = box(el::btn_jump_top), ga = box(el::btn_game_a_top);
  Box gb = box(el::btn_game_b_top), time = box(el::btn_time_top);

  down.T = SH - down.H - b;
  left.T = down.T - left.H;
  right.T = left.T;
  up.T = left.T - up.H;
  left.L = b;
  up.L = left.L + left.W;
  down.L = up.L;
  right.L = up.L + up.W;

  jump.L = SW - jump.W - b;
  jump.T = left.T + left.H / 2 - jump.H / 2;

  gb.T = SH / 2 - gb.H / 2;
  gb.L = jump.L + jump.W / 2 - gb.W / 2;
  ga.T = gb.T - ga.H - b;
  ga.L = gb.L;
  time.T = gb.T + gb.H + b;
  time.L = gb.L;

  auto place = [&lcd](el::Id id, const Box &x) { Lcd_Set_Rect(lcd, id, Rect{Pin(x.L), Pin(x.T), Pin(x.W), Pin(x.H)}); };
  place(el::btn_move_up_top, up);
  place(el::btn_move_left_top, left);
  place(el::btn_move_right_top, right);
  place(el::btn_move_down_top, down);
  place(el::btn_jump_top, jump);
  place(el::btn_game_b_top, gb);
  place(el::btn_game_a_top, ga);
  place(el::btn_time_top, time);
}

}  // namespace
