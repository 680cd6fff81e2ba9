#include "toolkit/controls/date_control.h"

#include "toolkit/field_rules.h"
#include "toolkit/record_text.h"

TDateControl::TDateControl(int id, int32_t* value, bool endOfDay)
    : TEditControl(id, text_, sizeof text_), value_(value), endOfDay_(endOfDay) {}

bool TDateControl::Connect(QWidget* widget) {
  if (!TEditControl::Connect(widget)) return false;
  Edit()->setMaxLength(9);
  return true;
}

void TDateControl::TransferIn() {
  SetTextQuietly(QString::fromLatin1(FormatDate(*value_)));
}

bool TDateControl::TransferOut() {
  return ParseDate(ToCp1252(Edit()->text()), value_, endOfDay_);
}
