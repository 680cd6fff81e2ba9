#include "tests/support/test_messages.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "storage/records/message.h"
#include "storage/records/name.h"

namespace {

namespace msg = records::message;
namespace nam = records::name;

constexpr const char* kRecipients[kRecipientCount] = {"ANNA", "bert",  "Carla", "DIRK",
                                                      "eva",  "Frank", "GRETA", "hugo"};

// The memo text: a readable head naming number and version, then letters
// that depend on both, so a record mixed from two versions is recognised.
std::string MemoText(uint32_t number, uint32_t version) {
  std::string text =
      "message " + std::to_string(number) + " version " + std::to_string(version) + ":";
  uint32_t h = number * 2654435761u ^ (version + 1) * 40503u;
  while (text.size() < 380) {
    h = h * 1103515245u + 12345u;
    text += char('a' + (h >> 16) % 26);
  }
  return text;
}

}  // namespace

const char* RecipientName(int to) {
  return kRecipients[to % kRecipientCount];
}

void BuildMessage(const MessageFacts& f, uint8_t* record) {
  std::memset(record, 0, msg::kRecordSize);
  SetFieldByte(record, msg::kKind, msg::kKindMemo);
  SetFieldI32(record, msg::kFolder, f.folder);
  SetFieldU32(record, msg::kNumber, f.number);
  SetFieldByte(record, msg::kFlags, f.flags);
  SetFieldText(record, msg::kTo, RecipientName(f.to));
  SetFieldText(record, msg::kFrom, ("WS" + std::to_string(f.owner)).c_str());
  SetFieldI32(record, msg::kTime, f.time);
  SetFieldI32(record, msg::kSender, f.owner);
  SetFieldText(record, msg::kMemoText, MemoText(f.number, f.version).c_str());
}

bool ReadMessageFacts(const uint8_t* record, MessageFacts* facts) {
  MessageFacts f;
  f.number = FieldU32(record, msg::kNumber);
  f.folder = FieldI32(record, msg::kFolder);
  f.time = FieldI32(record, msg::kTime);
  f.owner = FieldI32(record, msg::kSender);
  f.flags = FieldByte(record, msg::kFlags);
  const std::string to = FieldText(record, msg::kTo);
  f.to = -1;
  for (int i = 0; i < kRecipientCount; ++i)
    if (to == kRecipients[i]) f.to = i;
  if (f.to < 0) return false;
  const std::string text = FieldText(record, msg::kMemoText);
  unsigned number = 0, version = 0;
  if (std::sscanf(text.c_str(), "message %u version %u:", &number, &version) != 2) return false;
  f.version = version;
  std::vector<uint8_t> rebuilt(msg::kRecordSize);
  BuildMessage(f, rebuilt.data());
  if (std::memcmp(rebuilt.data(), record, msg::kRecordSize - 1) != 0) return false;
  *facts = f;
  return true;
}

std::string FactsText(const MessageFacts& f) {
  return std::to_string(f.number) + " " + std::to_string(f.folder) + " " + std::to_string(f.time) +
         " " + std::to_string(f.to) + " " + std::to_string(f.owner) + " " +
         std::to_string(int(f.flags)) + " " + std::to_string(f.version);
}

bool ParseFacts(const std::string& text, MessageFacts* facts) {
  std::istringstream in(text);
  MessageFacts f;
  int flags = 0;
  if (!(in >> f.number >> f.folder >> f.time >> f.to >> f.owner >> flags >> f.version))
    return false;
  f.flags = uint8_t(flags);
  *facts = f;
  return true;
}

void BuildName(const std::string& name, uint32_t number, uint8_t* record) {
  std::memset(record, 0, nam::kRecordSize);
  SetFieldText(record, nam::kName, name.c_str());
  SetFieldU32(record, nam::kNumber, number);
  SetFieldByte(record, nam::kAddedHere, nam::kAddedHereValue);
  SetFieldText(record, nam::kModemPrefix, "ATDT");
  SetFieldText(record, nam::kPhoneListName, "COMMON");
}
