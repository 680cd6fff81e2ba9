#include "printing/template_font.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "data/cp1252.h"

namespace {

std::optional<wmf::Font>& Held() {
  static std::optional<wmf::Font> font;
  return font;
}

}  // namespace

void OfferTemplateFont(const wmf::Font& font) {
  if (!Held()) Held() = font;
}

void ForgetTemplateFont() {
  Held().reset();
}

std::string TemplateFontFace() {
  return Held() ? Cp1252ToUtf8(Held()->face) : std::string();
}

QFont FontOfFace(const std::string& face) {
  QFont font;
  if (face.empty()) {
    font.setFamily("Sans Serif");
    font.setStyleHint(QFont::SansSerif);
  } else {
    font.setFamily(QString::fromStdString(Cp1252ToUtf8(face)));
  }
  return font;
}

QFont HandlerFont(int size, int weight, bool italic, double unit) {
  QFont font = FontOfFace(Held() ? Held()->face : std::string());
  const int height = std::max(1, size) * 1000 / 72;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * unit))));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
  font.setItalic(italic);
  return font;
}
