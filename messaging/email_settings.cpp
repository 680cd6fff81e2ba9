#include "messaging/email_settings.h"

#include <algorithm>

#include "data/messages/dpnote.h"
#include "data/messages/email_address.h"
#include "data/messages/email_text.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/office_config.h"
#include "storage/records/field.h"
#include "storage/records/name.h"

namespace nm = records::name;

namespace {

// The user's record as stored now; the start-up copy when it cannot be read.
NameRecord UserRecord() {
  NameRecord record;
  if (!NameLookup(CurrentUser().name, &record)) record = CurrentUser().record;
  return record;
}

// The note keeps signature 1 at 0 and signature 2 at 251, each NUL-ended.
constexpr size_t kSignatureWidth = 251;
constexpr size_t kSignatureNoteSize = 2 * kSignatureWidth;

}  // namespace

std::string UserDefaultFrom() {
  const NameRecord record = UserRecord();
  return DefaultFrom(CurrentUser().name, FieldText(record.bytes, nm::kEmailFrom),
                     ReadOfficeConfig(DataDirectory()).domain);
}

EmailSignatures ReadSignatures() {
  const NameRecord record = UserRecord();
  EmailSignatures s;
  s.defaultChoice = FieldByte(record.bytes, nm::kSignature);
  if (s.defaultChoice > 2) s.defaultChoice = 0;
  s.note = FieldI32(record.bytes, nm::kSignatureNote);
  std::string bytes;
  if (s.note != 0 && NoteReadBytes(s.note, &bytes)) {
    s.text[0] = SignatureFromNote(bytes, 1);
    s.text[1] = SignatureFromNote(bytes, 2);
  }
  return s;
}

int SaveSignatures(const EmailSignatures& signatures) {
  NameRecord record;
  if (!NameLookup(CurrentUser().name, &record)) return 0;
  int32_t note = FieldI32(record.bytes, nm::kSignatureNote);
  if (note == 0 && !NoteNew(&note)) return 0;
  std::string bytes(kSignatureNoteSize, '\0');
  for (int i = 0; i < 2; ++i) {
    const std::string text = signatures.text[i].substr(0, kSignatureWidth - 1);
    std::copy(text.begin(), text.end(), bytes.begin() + long(i * kSignatureWidth));
  }
  if (!NoteWrite(note, bytes)) return 0;
  SetFieldI32(record.bytes, nm::kSignatureNote, note);
  SetFieldByte(record.bytes, nm::kSignature, uint8_t(signatures.defaultChoice));
  return NameUpdate(record);
}

std::string SignatureText(int choice) {
  if (choice != 1 && choice != 2) return std::string();
  return ReadSignatures().text[choice - 1];
}

bool AutoFormat() {
  return FieldByte(UserRecord().bytes, nm::kAutoFormat) != 0;
}

int SaveAutoFormat(bool on) {
  NameRecord record;
  if (!NameLookup(CurrentUser().name, &record)) return 0;
  SetFieldByte(record.bytes, nm::kAutoFormat, on ? 1 : 0);
  return NameUpdate(record);
}
