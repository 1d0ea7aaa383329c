// Rasterises the element groups of a stage drawing into one PNG per element and describes them
// as the Image<n> sections of the stage's Config.ini.
#pragma once
#include <string>
#include <vector>

struct SkinElement {
  std::string name;  // element name, also the id of its group in the drawing
  std::string file;  // picture file in the stage folder
  int left = 0, top = 0, width = 0, height = 0;  // rectangle on the design canvas
};

// Renders every element of `order` from the SVG text into out_dir (one "<name>.png" each; a
// "..._top" button without a group of its own shares the picture of its "..._released" element).
// LCD segments get soft edges and their shadow on the reflector. A group may fix its rectangle
// with data-box="left top width height"; otherwise the rectangle is the group's drawn bounds.
// Returns false with *error on the first element that is missing or does not fit.
bool Skin_Render(const std::string &svg, const std::vector<std::string> &order, const std::string &out_dir,
                 std::vector<SkinElement> *out, std::string *error);
// Renders a whole drawing at its own size into a PNG file.
bool Skin_Render_Picture(const std::string &svg, const std::string &file, std::string *error);
// The drawing of a stage: every colour of `colours` (pairs of "#rrggbb" in the drawing and the
// stage's colour, compared without regard to case) replaced, elements marked data-stage="<n> ..."
// displayed only in the stages they name, and every reference to a shape "#x" turned to the
// stage's own variant "#x-s<n>" where the drawing has one.
std::string Skin_Apply_Stage(const std::string &svg, const std::vector<std::pair<std::string, std::string>> &colours,
                             int stage);
