// A page template of arbitrary bytes, read and laid out as a print would
// before drawing anything: a file the reader takes must hold only records
// the player can use as they are.
#include <string>

#include "fuzz/harness.h"
#include "printing/metafile/metafile_reader.h"
#include "printing/metafile/template_layout.h"

namespace {

bool UsesSlot(wmf::Op op) {
  switch (op) {
    case wmf::Op::kCreatePen:
    case wmf::Op::kCreateBrush:
    case wmf::Op::kCreateFont:
    case wmf::Op::kCreateOther:
    case wmf::Op::kSelectObject:
    case wmf::Op::kDeleteObject:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string RunTemplateInput(const uint8_t* data, size_t size) {
  wmf::Metafile file;
  if (!wmf::ReadMetafile(data, size, &file)) {
    return file.records.empty() ? "" : "a refused file left records behind";
  }
  for (const wmf::Record& r : file.records) {
    if (UsesSlot(r.op) && (r.value < 0 || r.value >= file.objectSlots))
      return "an object slot outside the table";
    size_t parts = 0;
    for (int n : r.parts) {
      if (n < 0) return "a polygon of negative size";
      parts += static_cast<size_t>(n);
    }
    if (r.op == wmf::Op::kPolyPolygon && parts != r.points.size())
      return "polygon sizes not matching their points";
    if (r.font.face.size() > 32) return "a face name longer than its field";
  }
  const wmf::TemplateLayout layout = wmf::LayOutTemplate(file);
  size_t labels = 0;
  for (size_t i = 0; i < layout.steps.size(); ++i) {
    const wmf::Step& s = layout.steps[i];
    if (s.kind == wmf::Step::kDraw && s.record >= file.records.size())
      return "a step drawing a record that is not there";
    if (s.kind == wmf::Step::kStop && i + 1 != layout.steps.size())
      return "steps after the page stopped";
    if (s.kind == wmf::Step::kLabel) ++labels;
  }
  if (labels > layout.regions.size()) return "more labels served than regions";
  if (layout.regions.size() > static_cast<size_t>(wmf::kMaxRegions)) return "too many regions";
  return "";
}
