#include "skin.h"

#include "pngout.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

namespace {

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
};

// Groups whose rectangle is fixed by the drawing (data-box), by id.
std::map<std::string, Box> FixedBoxes(const std::string &svg) {
  std::map<std::string, Box> boxes;
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto attrs = xml.attributes();
    if (!attrs.hasAttribute("data-box")) continue;
    std::istringstream in(attrs.value("data-box").toString().toStdString());
    Box b;
    if (in >> b.left >> b.top >> b.width >> b.height)
      boxes[attrs.value("id").toString().toStdString()] = b;
  }
  return boxes;
}

constexpr int kHighResolutions[] = {2, 3};

bool IsLcdSegment(const std::string &name) {
  return name.rfind("im_", 0) == 0 && name != "im_background" && name != "im_logo";
}

// Soft segment edges: a [1 2 1] blur across both axes of a premultiplied picture.
void SoftenEdges(QImage &img) {
  const int w = img.width(), h = img.height();
  QImage tmp = img.copy();
  for (int pass = 0; pass < 2; ++pass) {
    const QImage &src = pass == 0 ? img : tmp;
    QImage &dst = pass == 0 ? tmp : img;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        int acc[4] = {0, 0, 0, 0};
        for (int k = -1; k <= 1; ++k) {
          const int xx = pass == 0 ? x + k : x, yy = pass == 0 ? y : y + k;
          if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
          const QRgb p = reinterpret_cast<const QRgb *>(src.constScanLine(yy))[xx];
          const int weight = k == 0 ? 2 : 1;
          acc[0] += qAlpha(p) * weight, acc[1] += qRed(p) * weight;
          acc[2] += qGreen(p) * weight, acc[3] += qBlue(p) * weight;
        }
        reinterpret_cast<QRgb *>(dst.scanLine(y))[x] =
            qRgba((acc[1] + 2) / 4, (acc[2] + 2) / 4, (acc[3] + 2) / 4, (acc[0] + 2) / 4);
      }
    }
  }
}

// The faint shadow a dark segment casts on the reflector behind the liquid crystal.
void AddShadow(QImage &img, int dx, int dy, double strength) {
  const QImage seg = img.copy();
  const int w = img.width(), h = img.height();
  for (int y = 0; y < h; ++y) {
    QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const int sx = x - dx, sy = y - dy;
      int sa = 0;
      if (sx >= 0 && sy >= 0 && sx < w && sy < h)
        sa = static_cast<int>(std::lround(qAlpha(reinterpret_cast<const QRgb *>(seg.constScanLine(sy))[sx]) * strength));
      const QRgb p = line[x];
      const int a = qAlpha(p);
      const int add = sa * (255 - a) / 255;  // black shadow under the segment
      line[x] = qRgba(qRed(p), qGreen(p), qBlue(p), a + add);
    }
  }
}

// Smallest rectangle holding every pixel that is not fully transparent; empty when there is none.
QRect VisiblePart(const QImage &img) {
  int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < img.height(); ++y) {
    const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      if (qAlpha(line[x]) == 0) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  }
  return x1 < 0 ? QRect() : QRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

bool SavePng(const QImage &img, const std::string &file, std::string *error) {
  if (Tool_Save_Png(img, file)) return true;
  *error = "cannot write " + file;
  return false;
}

}  // namespace

std::string Skin_Apply_Stage(const std::string &svg, const std::vector<std::pair<std::string, std::string>> &colours,
                             int stage) {
  auto lower = [](std::string t) {
    for (char &c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  std::string out = svg;
  // Colours are swapped through placeholders so that a map such as a = b, b = a works.
  for (size_t i = 0; i < colours.size(); ++i) {
    const std::string from = lower(colours[i].first), mark = "\x01" + std::to_string(i) + "\x01";
    std::string low = lower(out);
    for (size_t pos = low.find(from); pos != std::string::npos; pos = low.find(from, pos + mark.size())) {
      out.replace(pos, from.size(), mark);
      low.replace(pos, from.size(), mark);
    }
  }
  for (size_t i = 0; i < colours.size(); ++i) {
    const std::string mark = "\x01" + std::to_string(i) + "\x01";
    for (size_t pos = out.find(mark); pos != std::string::npos; pos = out.find(mark, pos + colours[i].second.size()))
      out.replace(pos, mark.size(), colours[i].second);
  }
  // Stage scenery: an element with data-stage="<n>" (or several numbers, "2 4") shows in those
  // stages only.
  const std::string key = "data-stage=\"";
  for (size_t pos = out.find(key); pos != std::string::npos; pos = out.find(key, pos + 1)) {
    const size_t value = pos + key.size(), value_end = out.find('"', value);
    std::istringstream list(out.substr(value, value_end - value));
    bool shown = false;
    for (int n; list >> n;) shown = shown || n == stage;
    const size_t open = out.rfind('<', pos), close = out.find('>', pos);
    const size_t attr = out.find("display=\"", open);
    if (attr != std::string::npos && attr < close) {
      const size_t v = attr + 9;
      out.replace(v, out.find('"', v) - v, shown ? "inline" : "none");
    } else {
      const std::string display = std::string("display=\"") + (shown ? "inline" : "none") + "\" ";
      out.insert(pos, display);
      pos += display.size();
    }
  }
  // A shape with a variant of its own for this stage ("barrel" and "barrel-s3"): every use of the
  // shape takes the variant, so a stage can draw its segments in its own style at the same places.
  const std::string suffix = "-s" + std::to_string(stage) + "\"";
  std::vector<std::string> varied;
  for (size_t pos = out.find(suffix); pos != std::string::npos; pos = out.find(suffix, pos + 1)) {
    const size_t start = out.rfind("id=\"", pos);
    if (start == std::string::npos || out.find('"', start + 4) != pos + suffix.size() - 1) continue;
    if (pos > start + 4) varied.push_back(out.substr(start + 4, pos - start - 4));
  }
  for (const std::string &base : varied) {
    const std::string from = "\"#" + base + "\"", to = "\"#" + base + suffix;
    for (size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size()))
      out.replace(at, from.size(), to);
  }
  return out;
}

bool Skin_Render(const std::string &svg, const std::vector<std::string> &order, const std::string &out_dir,
                 std::vector<SkinElement> *out, std::string *error) {
  QSvgRenderer renderer(QByteArray::fromStdString(svg));
  if (!renderer.isValid()) {
    *error = "the drawing cannot be read";
    return false;
  }
  const std::map<std::string, Box> boxes = FixedBoxes(svg);
  std::map<std::string, SkinElement> done;
  out->clear();
  for (const std::string &name : order) {
    const QString id = QString::fromStdString(name);
    SkinElement e;
    e.name = name;
    if (!renderer.elementExists(id)) {
      const std::string suffix = "_top";
      const bool is_top = name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
      const auto released = is_top ? done.find(name.substr(0, name.size() - suffix.size()) + "_released") : done.end();
      if (released == done.end()) {
        *error = "no group with id " + name;
        return false;
      }
      e = released->second;
      e.name = name;
      out->push_back(e);
      continue;
    }
    const QRectF b = renderer.boundsOnElement(id);
    const bool lcd = IsLcdSegment(name);
    const auto fixed = boxes.find(name);
    const int margin = 4;
    QRect canvas;
    if (fixed != boxes.end()) {
      const Box &fb = fixed->second;
      canvas = QRect(fb.left - margin, fb.top - margin, fb.width + 2 * margin, fb.height + 2 * margin);
    } else {
      canvas = QRect(static_cast<int>(std::floor(b.left())) - margin, static_cast<int>(std::floor(b.top())) - margin, 0, 0);
      canvas.setRight(static_cast<int>(std::ceil(b.right())) + margin);
      canvas.setBottom(static_cast<int>(std::ceil(b.bottom())) + margin);
    }
    // The element drawn on its canvas at k device pixels per design pixel.
    auto draw = [&](int k) {
      QImage img(canvas.size() * k, QImage::Format_ARGB32_Premultiplied);
      img.fill(Qt::transparent);
      {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(k, k);
        renderer.render(&p, id, QRectF(b.left() - canvas.left(), b.top() - canvas.top(), b.width(), b.height()));
      }
      if (lcd) {
        SoftenEdges(img);
        AddShadow(img, k, k, 0.25);
      }
      return img;
    };
    const QImage img = draw(1);
    const QRect visible = VisiblePart(img);
    if (visible.isEmpty()) {
      *error = name + " draws nothing";
      return false;
    }
    QRect rect;
    if (fixed != boxes.end()) {
      rect = QRect(margin, margin, fixed->second.width, fixed->second.height);
      if (!rect.contains(visible)) {
        *error = name + " spills out of its data-box: drawn at " + std::to_string(canvas.left() + visible.left()) + "," +
                 std::to_string(canvas.top() + visible.top()) + " size " + std::to_string(visible.width()) + "x" +
                 std::to_string(visible.height());
        return false;
      }
    } else {
      rect = visible;
    }
    e.left = canvas.left() + rect.left();
    e.top = canvas.top() + rect.top();
    e.width = rect.width();
    e.height = rect.height();
    e.file = name + ".png";
    if (!SavePng(img.copy(rect), out_dir + "/" + e.file, error)) return false;
    // The same element for screens with two and three times the pixels (the program takes the
    // file named with "@2x" or "@3x" before the extension where it draws the skin enlarged).
    for (int k : kHighResolutions) {
      const std::string file = out_dir + "/" + name + "@" + std::to_string(k) + "x.png";
      if (!SavePng(draw(k).copy(QRect(rect.topLeft() * k, rect.size() * k)), file, error)) return false;
    }
    done[name] = e;
    out->push_back(e);
  }
  return true;
}

bool Skin_Render_Picture(const std::string &svg, const std::string &file, std::string *error) {
  QSvgRenderer renderer(QByteArray::fromStdString(svg));
  if (!renderer.isValid()) {
    *error = "the drawing cannot be read";
    return false;
  }
  QImage img(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p);
  }
  return SavePng(img, file, error);
}
