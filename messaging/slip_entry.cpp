#include "messaging/slip_entry.h"

#include <QLineEdit>
#include <string>

#include "storage/records/message.h"
#include "storage/records/phone.h"
#include "toolkit/control_id.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

void TakeEntryIntoSlip(QWidget* form, const PhoneRecord& entry, QLineEdit* openedFrom) {
  auto set = [form](int id, const std::string& text) {
    if (auto* e = FindControlAs<QLineEdit>(form, id)) e->setText(FromCp1252(text));
  };
  auto* phone = FindControlAs<QLineEdit>(form, slip::kIdPhone);
  if (phone && (phone->text().isEmpty() || Prompter().AskYesNo("Overwrite phone number?"))) {
    set(slip::kIdPhone, entry.Text(records::phone::kPhone1));
    set(slip::kIdExt, entry.Text(records::phone::kExt1));
  }
  if (openedFrom && ControlId(openedFrom) == slip::kIdFrom) {
    const size_t fromChars = size_t(records::message::kFrom.width - 1);
    set(slip::kIdFrom, Trimmed(entry.Listname()).substr(0, fromChars));
    set(slip::kIdCompany, Trimmed(entry.Text(records::phone::kCompany)));
  } else {
    set(slip::kIdCompany, entry.Listname());
  }
  if (QWidget* text = FindControl(form, slip::kIdText)) text->setFocus();
}
