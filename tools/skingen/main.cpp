// kt_skingen: builds the default installation beside the executable from the editable sources in
// data/: the stage drawings (one template plus a palette per stage), the sound recipes, the stage
// intro drawings and the documents. The same sources always give the same bytes.
//
//   kt_skingen --data <data folder> --elements <element_list.h> --out <program folder> --work <folder>
#include <QFontDatabase>
#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "skin.h"
#include "synth.h"

namespace fs = std::filesystem;

namespace {

// Sections of key = value lines, in file order; ';' starts a comment line.
struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> values;
  std::string Get(const std::string &key, const std::string &def = "") const {
    for (const auto &v : values)
      if (v.first == key) return v.second;
    return def;
  }
};

std::string Trim(const std::string &s) {
  const size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool ReadText(const fs::path &file, std::string *text) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

bool WriteText(const fs::path &file, const std::string &text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

std::vector<Section> ParseSections(const std::string &text) {
  std::vector<Section> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      out.push_back(Section{line.substr(1, line.size() - 2), {}});
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || out.empty()) continue;
    out.back().values.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return out;
}

const Section *FindSection(const std::vector<Section> &sections, const std::string &name) {
  for (const auto &s : sections)
    if (s.name == name) return &s;
  return nullptr;
}

// The 146 skin elements in the order of the Image<n> sections, as the program lists them.
bool ReadElementOrder(const fs::path &file, std::vector<std::string> *order) {
  std::string text;
  if (!ReadText(file, &text)) return false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line) && order->size() < 146;) {
    if (line.rfind("EL(", 0) != 0) continue;
    order->push_back(line.substr(3, line.find(')') - 3));
  }
  return order->size() == 146;
}

// "#rrggbb" as the Config.ini colour number: low byte red, then green, then blue.
std::string BgColorValue(const std::string &hex) {
  const unsigned long rgb = std::stoul(hex.substr(1), nullptr, 16);
  char buf[16];
  std::snprintf(buf, sizeof buf, "$00%02lX%02lX%02lX", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return buf;
}

struct Sound {
  std::string file;
  int32_t length_ms = 0;
};

// "<file> <recipe>" -> the wave file in dir.
bool MakeSound(const std::string &recipe, const fs::path &dir, Sound *sound, std::string *error) {
  const size_t sp = recipe.find(' ');
  sound->file = recipe.substr(0, sp);
  std::vector<int16_t> samples;
  if (sp == std::string::npos || !Synth_Render(recipe.substr(sp + 1), &samples, error)) {
    *error = sound->file + ": " + (error->empty() ? "no recipe" : *error);
    return false;
  }
  sound->length_ms = Synth_Length_Ms(samples.size());
  if (!WriteText(dir / sound->file, Synth_Wave_File(samples))) {
    *error = "cannot write " + (dir / sound->file).string();
    return false;
  }
  return true;
}

int Fail(const std::string &what) {
  std::fprintf(stderr, "kt_skingen: %s\n", what.c_str());
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  std::map<std::string, std::string> args;
  for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
  for (const char *need : {"--data", "--elements", "--out", "--work"})
    if (!args.count(need)) return Fail(std::string("missing ") + need);
  const fs::path data = args["--data"], out = args["--out"], work = args["--work"];

  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  // Texts in the pictures are set in the Liberation faces, whatever else the machine has.
  for (const char *face : {"LiberationSans-Regular", "LiberationSans-Bold", "LiberationSans-Italic",
                           "LiberationSans-BoldItalic", "LiberationSansNarrow-Bold", "LiberationSerif-Bold"})
    QFontDatabase::addApplicationFont(QString("/usr/share/fonts/truetype/liberation/%1.ttf").arg(face));

  std::vector<std::string> order;
  if (!ReadElementOrder(args["--elements"], &order)) return Fail("cannot read the element list");
  std::string template_svg, stages_text, sounds_text;
  if (!ReadText(data / "skin" / "skin.svg", &template_svg)) return Fail("cannot read skin/skin.svg");
  if (!ReadText(data / "stages" / "stages.txt", &stages_text)) return Fail("cannot read stages/stages.txt");
  if (!ReadText(data / "sounds" / "sounds.txt", &sounds_text)) return Fail("cannot read sounds/sounds.txt");
  const std::vector<Section> stages = ParseSections(stages_text), sounds = ParseSections(sounds_text);
  const Section *common = FindSection(stages, "Common");
  if (!common) return Fail("stages.txt has no [Common] section");

  // The resources tree is generated as a whole: start from nothing so no stale file survives.
  std::error_code ec;
  fs::remove_all(out / "Resources", ec);
  fs::create_directories(work, ec);
  const std::string res_value = common->Get("ResourcesPath", "Resources\\Common\\");
  std::string res_native = res_value;
  for (char &c : res_native)
    if (c == '\\') c = '/';
  const fs::path res_dir = out / res_native;
  fs::create_directories(res_dir, ec);

  std::string main_ini = "; Kellup Tusko Lumo Special Edition - main configuration\n"
                         "; Folders are relative to the program folder. Each stage folder holds its own\n"
                         "; Config.ini with the pictures (Image1 .. Image146) and sounds (Sound1 .. Sound8).\n\n";
  std::string stage_sections;
  int stage_count = 0;
  std::string error;
  for (int n = 1;; ++n) {
    const Section *st = FindSection(stages, "Stage" + std::to_string(n));
    if (!st) break;
    stage_count = n;
    const std::string folder = st->Get("Folder", "Level" + std::to_string(n));
    const std::string path_value = "Resources\\" + folder + "\\";
    const fs::path dir = out / "Resources" / folder;
    fs::create_directories(dir, ec);

    std::vector<std::pair<std::string, std::string>> colours;
    for (const auto &v : st->values)
      if (!v.first.empty() && v.first[0] == '#') colours.push_back(v);
    // The opaque corners of the button pictures take the colour of the window around the skin.
    colours.emplace_back(common->Get("Ground", "#1d2226"), st->Get("Ground", "#000000"));
    const std::string svg = Skin_Apply_Stage(template_svg, colours, n);
    WriteText(work / ("level" + std::to_string(n) + ".svg"), svg);  // for looking at in an editor
    std::vector<SkinElement> elements;
    if (!Skin_Render(svg, order, dir.string(), &elements, &error)) return Fail("stage " + std::to_string(n) + ": " + error);

    std::string ini = "; " + st->Get("Name") + ": pictures and sounds of this stage.\n"
                      "; Left/Top are design-canvas pixels (" + common->Get("DesignWidth", "1024") + " x " +
                      common->Get("DesignHeight", "768") + "), Width/Height screen pixels.\n\n"
                      "[Common]\nBgColor=" + BgColorValue(st->Get("Ground", "#000000")) + "\n";
    for (size_t i = 0; i < elements.size(); ++i) {
      const SkinElement &e = elements[i];
      ini += "\n[Image" + std::to_string(i + 1) + "]\n; " + e.name + "\nFilename=" + e.file +
             "\nLeft=" + std::to_string(e.left) + "\nTop=" + std::to_string(e.top) +
             "\nWidth=" + std::to_string(e.width) + "\nHeight=" + std::to_string(e.height) + "\n";
    }
    const Section *snd = FindSection(sounds, st->Get("Sounds", folder));
    if (!snd) return Fail("sounds.txt has no section for stage " + std::to_string(n));
    for (int m = 1; m <= 8; ++m) {
      Sound s;
      if (!MakeSound(snd->Get(std::to_string(m)), dir, &s, &error)) return Fail(snd->name + " sound " + std::to_string(m) + ": " + error);
      ini += "\n[Sound" + std::to_string(m) + "]\nFilename=" + s.file + "\n";
    }
    if (!WriteText(dir / "Config.ini", ini)) return Fail("cannot write the Config.ini of stage " + std::to_string(n));

    const std::string image = "im_stage" + std::to_string(n) + ".png";
    std::string intro;
    if (!ReadText(data / "intro" / ("stage" + std::to_string(n) + ".svg"), &intro)) return Fail("no intro drawing for stage " + std::to_string(n));
    if (!Skin_Render_Picture(intro, (res_dir / image).string(), &error)) return Fail("intro " + std::to_string(n) + ": " + error);
    stage_sections += "\n[Stage" + std::to_string(n) + "]\nPath=" + path_value + "\nName=" + st->Get("Name") +
                      "\nImage=" + image + "\n";
  }
  if (stage_count == 0) return Fail("stages.txt lists no stage");

  const Section *jingles = FindSection(sounds, "Common");
  if (!jingles) return Fail("sounds.txt has no [Common] section");
  Sound stage_jingle, start_jingle;
  if (!MakeSound(jingles->Get("stage"), res_dir, &stage_jingle, &error)) return Fail("stage jingle: " + error);
  if (!MakeSound(jingles->Get("start"), res_dir, &start_jingle, &error)) return Fail("start jingle: " + error);

  main_ini += "[Common]\nResourcesPath=" + res_value + "\nStages=" + std::to_string(stage_count) +
              "\nDesignWidth=" + common->Get("DesignWidth", "1024") + "\nDesignHeight=" + common->Get("DesignHeight", "768") +
              "\nButtonsOffset=" + common->Get("ButtonsOffset", "32") + "\n" + stage_sections +
              "\n[Sound]\n; The jingle keys begin with the ResourcesPath value; durations in milliseconds.\n" +
              res_value + "StageFileName=" + res_value + stage_jingle.file + "\n" + res_value + "StartFileName=" +
              res_value + start_jingle.file + "\nStageDuration=" + std::to_string(stage_jingle.length_ms) +
              "\nStartDuration=" + std::to_string(start_jingle.length_ms) + "\n";
  if (!WriteText(out / "Config.ini", main_ini)) return Fail("cannot write Config.ini");

  for (const char *doc : {"Readme.txt", "Whatsnew.txt"}) {
    std::string text;
    if (!ReadText(data / "docs" / doc, &text) || !WriteText(out / doc, text)) return Fail(std::string("cannot copy ") + doc);
  }
  return 0;
}
