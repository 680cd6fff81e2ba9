#include "data/phone/label_table.h"

#include <cstring>

#include "data/table_handle.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/file.h"

namespace label = records::label;

namespace {

constexpr char kLabelTableName[] = "LABEL";

// The most blank lines before the first row of a page: a page holds 66.
constexpr int kMostTopMargin = 60;

void Problem(std::vector<FieldProblem>* out, const char* field, const std::string& what) {
  out->push_back({field, what});
}

}  // namespace

std::vector<FieldProblem> LabelRecordProblems(const uint8_t (&record)[label::kRecordSize]) {
  std::vector<FieldProblem> out;
  field_check::Text(record, label::kName, "name", &out);
  if (out.empty() && record[label::kName.offset] == 0) Problem(&out, "name", "empty");
  const int width = FieldByte(record, label::kWidth);
  const int pitch = FieldByte(record, label::kPitch);
  const int height = FieldByte(record, label::kHeight);
  const int across = FieldByte(record, label::kAcross);
  const int left = FieldByte(record, label::kLeftMargin);
  const int top = FieldByte(record, label::kTopMargin);
  if (width == 0) Problem(&out, "label width", "0: a label needs a character");
  if (height < label::kPrintedLines)
    Problem(&out, "label height",
            std::to_string(height) + ": below the " + std::to_string(label::kPrintedLines) +
                " printed lines");
  if (across == 0) Problem(&out, "labels across", "0: no label in a row");
  if (across > 1 && pitch < width)
    Problem(&out, "pitch",
            std::to_string(pitch) + ": narrower than the label width " + std::to_string(width));
  if (width > 0 && across > 0) {
    const int reach = left + (across - 1) * pitch + width;
    if (reach > label::kLineWidth)
      Problem(&out, "left margin",
              "labels reach column " + std::to_string(reach) + ", past " +
                  std::to_string(label::kLineWidth));
  }
  if (top > kMostTopMargin)
    Problem(&out, "top margin",
            std::to_string(top) + ": more than " + std::to_string(kMostTopMargin) + " lines");
  return out;
}

LabelFormat LabelFormatOf(const uint8_t (&record)[label::kRecordSize]) {
  LabelFormat f;
  f.name = FieldText(record, label::kName);
  f.width = FieldByte(record, label::kWidth);
  f.pitch = FieldByte(record, label::kPitch);
  f.height = FieldByte(record, label::kHeight);
  f.across = FieldByte(record, label::kAcross);
  f.leftMargin = FieldByte(record, label::kLeftMargin);
  f.topMargin = FieldByte(record, label::kTopMargin);
  f.rowsPerPage = FieldByte(record, label::kRowsPerPage);
  return f;
}

void LabelRecordOf(const LabelFormat& f, uint8_t (&record)[label::kRecordSize]) {
  std::memset(record, 0, sizeof record);
  SetFieldText(record, label::kName, f.name.c_str());
  SetFieldByte(record, label::kWidth, uint8_t(f.width));
  SetFieldByte(record, label::kPitch, uint8_t(f.pitch));
  SetFieldByte(record, label::kHeight, uint8_t(f.height));
  SetFieldByte(record, label::kAcross, uint8_t(f.across));
  SetFieldByte(record, label::kLeftMargin, uint8_t(f.leftMargin));
  SetFieldByte(record, label::kTopMargin, uint8_t(f.topMargin));
  SetFieldByte(record, label::kRowsPerPage, uint8_t(f.rowsPerPage));
}

int LabelReadFormats(const std::string& directory, std::vector<LabelFormat>* formats) {
  formats->clear();
  // Read as a plain file: the program never locks or writes LABEL.DAT, and
  // its last byte of each record is a field (rows per page), not a lock
  // byte the engine would keep out of the read.
  const std::string path = DbDataPath(directory, kLabelTableName);
  File file;
  if (!file.Open(path, OpenMode::kReadOnly)) {
    DbSetError(kDbOpenFailed, path);
    return 0;
  }
  const int64_t size = file.Size();
  if (size < 0) {
    DbSetError(kDbReadFailed, path);
    return 0;
  }
  // A record cut short at the end of the file is no format.
  const int64_t count = size / label::kRecordSize;
  for (int64_t n = 0; n < count; ++n) {
    uint8_t record[label::kRecordSize] = {};
    if (file.ReadAt(n * label::kRecordSize, record, label::kRecordSize) != label::kRecordSize) {
      DbSetError(kDbReadFailed, path);
      formats->clear();
      return 0;
    }
    const std::vector<FieldProblem> problems = LabelRecordProblems(record);
    if (!problems.empty()) {
      SetAppError(kAppIndexCorrupt, "LABEL.DAT record " + std::to_string(n + 1) + ": " +
                                        problems.front().field + " " + problems.front().what);
      formats->clear();
      return 0;
    }
    formats->push_back(LabelFormatOf(record));
  }
  return 1;
}

const LabelFormat* FindLabelFormat(const std::vector<LabelFormat>& formats, std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const LabelFormat& f : formats) {
    std::string_view own = f.name;
    while (!own.empty() && own.back() == ' ') own.remove_suffix(1);
    if (SameName(own, name)) return &f;
  }
  return nullptr;
}

std::vector<LabelFormat> StandardLabelFormats() {
  // At 10 characters to the inch and 6 lines to the inch: a 1 inch label is
  // 6 lines high, a 2-5/8 inch label takes 24 characters with room to
  // spare, and a half-inch top margin is 3 lines.
  return {
      {"3 across, 30 a sheet", 24, 27, 6, 3, 2, 3, 10},
      {"2 across, 20 a sheet", 37, 41, 6, 2, 2, 3, 10},
      {"2 across, 14 a sheet", 37, 41, 8, 2, 2, 5, 7},
      {"2 across, 10 a sheet", 37, 41, 12, 2, 2, 3, 5},
      {"1 across continuous", 34, 35, 6, 1, 0, 0, 0},
      {"2 across continuous", 34, 36, 6, 2, 1, 0, 0},
      {"3 across continuous", 24, 27, 6, 3, 1, 0, 0},
  };
}

std::string LabelFileBytes(const std::vector<LabelFormat>& formats) {
  std::string bytes;
  for (const LabelFormat& f : formats) {
    uint8_t record[label::kRecordSize];
    LabelRecordOf(f, record);
    bytes.append(reinterpret_cast<const char*>(record), sizeof record);
  }
  return bytes;
}
