#include "data/messages/email_error.h"

#include "storage/errors.h"

namespace {
std::string lastError;
constexpr size_t kPrintableLength = 64;
}  // namespace

const std::string& EmailError() {
  return lastError;
}

void ClearEmailError() {
  lastError.clear();
}

int FailEmail(std::string_view sentence) {
  lastError.assign(sentence);
  return 0;
}

int FailEmailApp(int code, std::string_view name, std::string_view sentence) {
  SetAppError(code, name);
  if (sentence.empty()) return FailEmailFromAppError();
  return FailEmail(sentence);
}

int FailEmailFromAppError() {
  return FailEmail(FormatAppError());
}

void EmailFirstFailure::Note() {
  if (failed_) return;
  failed_ = true;
  sentence_ = lastError;
  error_ = CurrentAppError();
}

int EmailFirstFailure::Result() const {
  if (!failed_) return 1;
  RestoreAppError(error_);
  return FailEmail(sentence_);
}

std::string Printable(std::string_view text) {
  std::string out(text.substr(0, kPrintableLength));
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '?';
  }
  return out;
}
