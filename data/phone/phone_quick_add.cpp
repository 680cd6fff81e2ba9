#include "data/phone/phone_quick_add.h"

#include <string>

#include "storage/errors.h"

namespace ph = records::phone;
namespace msg = records::message;

namespace {

bool Blank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

int PhoneQuickAdd(PhoneTable& handle, int32_t list, std::string_view company, std::string_view from,
                  std::string_view phone, std::string_view extension, QuickAdd* result) {
  *result = QuickAdd::kNothing;
  if (Blank(company) && Blank(from) && Blank(phone)) return 1;
  PhoneRecord record;
  record.SetText(ph::kListname, Blank(company) ? from : company);
  record.SetText(ph::kCompany, company);
  record.SetText(ph::kContact, from);
  record.SetText(ph::kPhone1, phone);
  record.SetText(ph::kExt1, extension);
  SetFieldI32(record.bytes, ph::kList, list);
  PhoneEntry found;
  if (PhoneFind(handle, list, record.Listname(), record.Phone1(), &found)) {
    *result = QuickAdd::kExists;
    return 1;
  }
  if (AppErrorCode() != kAppNotFound) return 0;
  ClearAppError();
  if (!PhoneAdd(handle, record)) return 0;
  *result = QuickAdd::kAdded;
  return 1;
}

int PhoneQuickAddMessage(PhoneTable& handle, int32_t list, const MessageRecord& message,
                         QuickAdd* result) {
  const uint8_t* b = message.bytes;
  return PhoneQuickAdd(handle, list, FieldText(b, msg::kCompany), FieldText(b, msg::kFrom),
                       FieldText(b, msg::kPhone), FieldText(b, msg::kExtension), result);
}
