// Where printed text goes: the line printer of a print job, or an export
// file. Reports, labels and message slips write through TextOutput alone,
// so the same layout reaches paper and file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class TextOutput {
 public:
  virtual ~TextOutput() = default;
  // Writes UTF-8 text: "\r\n" starts a line, a form feed ends the page.
  // False once the output failed or was cancelled: the caller stops.
  virtual bool Output(std::string_view text) = 0;
};

// What a failed export says: the file error box's caption and the file.
struct FileFailure {
  std::string caption;  // "ACCESS DENIED, COULD NOT OPEN:", "ERROR WRITING:", ...
  std::string name;     // the file
  bool Failed() const { return !caption.empty(); }
};

// An export file. The text is written to a file beside the chosen one
// ("<name>.part"), which takes the chosen name only once it is whole, so a
// failed or cancelled export never leaves a half-written file under that
// name, and a file already there stays as it was.
class ExportFile : public TextOutput {
 public:
  ExportFile() = default;
  ~ExportFile() override;  // an export never committed is removed
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Creates the file beside path; false with Failure() set.
  bool Open(const std::string& path);
  bool Output(std::string_view text) override;
  // Closes the file and gives it the chosen name; false with Failure() set
  // (the partial file is then removed).
  bool Commit();
  // Removes the partial file.
  void Discard();
  const FileFailure& Failure() const { return failure_; }
  const std::string& Path() const { return path_; }

 private:
  void Fail(const char* caption, const std::string& name);
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string partPath_;
  FileFailure failure_;
};
