#include "toolkit/controls/picker_controls.h"

#include "storage/records/name.h"
#include "toolkit/record_text.h"

namespace {
char* NameField(uint8_t* record) {
  return reinterpret_cast<char*>(record + records::name::kName.offset);
}
}  // namespace

TToControl::TToControl(int id, uint8_t* nameRecord, int32_t* tagSet, int mode, NamePicker* picker)
    : TEditControl(id, NameField(nameRecord), size_t(records::name::kName.width)),
      record_(nameRecord),
      tagSet_(tagSet),
      mode_(mode),
      picker_(picker) {}

void TToControl::TransferIn() {
  QString name = FromRecordText(buffer_, size_);
  if (mode_ == kModeSchedule && name == "* - ALL") name = "* COMMON";
  SetTextQuietly(name);
  if (QLineEdit* e = Edit()) e->end(false);
}

void TToControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n != Notification::Change) {
    TEditControl::HandleNotification(n, modified);
    return;
  }
  if (picking_ || !picker_) return;
  picking_ = true;
  std::string typed = ToCp1252(Edit()->text());
  picker_->PickName(record_, tagSet_, mode_, typed);
  TransferIn();
  picking_ = false;
  if (QWidget* next = Edit()->nextInFocusChain()) next->setFocus(Qt::TabFocusReason);
}

TPhoneListControl::TPhoneListControl(int id, char* buffer, size_t size, PhoneQuickList* quickList)
    : TEditControl(id, buffer, size), quick_(quickList) {}

void TPhoneListControl::HandleNotification(Notification n, uint32_t& modified) {
  if (n == Notification::Change && quick_) {
    std::string typed = ToCp1252(Edit()->text());
    std::string name;
    bool match = !typed.empty() && quick_->FindFrom(typed, &name) &&
                 QString::fromLatin1(name.c_str())
                     .startsWith(QString::fromLatin1(typed.c_str()), Qt::CaseInsensitive);
    if (!quick_->IsOpen()) {
      if (match) {
        quick_->Open(Edit(), name);
        Edit()->end(false);
      }
    } else if (match) {
      quick_->Follow(name);
    } else {
      quick_->Close();
    }
  }
  TEditControl::HandleNotification(n, modified);
}
