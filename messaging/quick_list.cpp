#include "messaging/quick_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "data/office/dpmain.h"
#include "storage/database.h"
#include "storage/index.h"
#include "storage/records/field.h"

namespace x1 = records::phone::x1;

namespace {

constexpr int kListHeight = 120;

}  // namespace

TakeQuickList::TakeQuickList(QWidget* window, QWidget* below, Take take)
    : QObject(window), window_(window), below_(below), take_(std::move(take)) {
  // Another field of the form taking the focus closes the list.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (!list_ || !now || now == field_ || now == list_->ListBox() || now->window() != window_)
      return;
    QMetaObject::invokeMethod(
        this, [this] { Close(); }, Qt::QueuedConnection);
  });
}

TakeQuickList::~TakeQuickList() {
  Close();
  CloseTable();
}

int TakeQuickList::OpenTable() {
  if (phones_.open) return 1;
  return PhoneOpen(phones_);
}

void TakeQuickList::CloseTable() {
  Close();
  if (phones_.open) PhoneClose(phones_);
}

bool TakeQuickList::FindFrom(const std::string& typed, std::string* name) {
  if (taking_ || !phones_.open) return false;
  uint8_t key[kEntryBufferSize] = {};
  const int32_t list = PhoneCurrentList().number;
  SetFieldI32(key, x1::kList, list);
  SetFieldText(key, x1::kListname, typed.c_str());
  int exact = 0;
  if (!DbSetCurrentIndex(phones_.table, 0) || !DbFind(phones_.table, key, &exact)) return false;
  if (DbPositionState(phones_.table) == kPosEnd) return false;
  const uint8_t* entry = phones_.table.Current().currentEntry;
  if (FieldI32(entry, x1::kList) != list) return false;
  *name = FieldText(entry, x1::kListname);
  return true;
}

void TakeQuickList::Open(QWidget* field, const std::string& name) {
  if (!phones_.open) return;
  Close();
  field_ = qobject_cast<QLineEdit*>(field);
  // Under the Company field, across the form, 120 pixels high.
  const QPoint at = below_->mapTo(window_, QPoint(0, below_->height()));
  const QRect rect(8, at.y(), window_->width() - 16, kListHeight);
  list_ = new TPhoneQuickList(window_, rect, phones_, PhoneCurrentList().number, false);
  list_->setAccessibleName("Phone list");
  list_->ListBox()->setAccessibleName("Phone list");
  list_->ListBox()->installEventFilter(this);
  if (field_) field_->installEventFilter(this);
  connect(list_, &TDBList::Notify, this, [this](int code) {
    if (code == kListDoubleClick) TakeSelected();
    // Leaving the list closes it; the close waits for the loop, since the
    // list is still busy with its own focus change.
    if (code == kListKillFocus && list_)
      QMetaObject::invokeMethod(
          this, [this] { Close(); }, Qt::QueuedConnection);
  });
  list_->ShowFrom(name);
  list_->raise();
  list_->show();
}

void TakeQuickList::Follow(const std::string& name) {
  if (list_) list_->ShowFrom(name);
}

void TakeQuickList::Close() {
  if (!list_) return;
  TPhoneQuickList* list = list_;
  list_ = nullptr;
  list->ListBox()->removeEventFilter(this);
  if (field_) field_->removeEventFilter(this);
  list->hide();
  list->deleteLater();
}

void TakeQuickList::TakeSelected() {
  if (!list_) return;
  PhoneEntry entry;
  PhoneRecord record;
  if (!list_->Selected(&entry)) return;
  if (!PhoneRead(phones_, entry.RecordNumber(), &record)) {
    ShowError();
    return;
  }
  QPointer<QLineEdit> from = field_;
  Close();
  taking_ = true;
  if (take_) take_(record, from);
  taking_ = false;
}

bool TakeQuickList::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !list_) return QObject::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (watched == field_ && key == Qt::Key_Down) {
    list_->ListBox()->setFocus(Qt::OtherFocusReason);
    return true;
  }
  if (watched == list_->ListBox()) {
    if (key == Qt::Key_Escape) {
      QPointer<QLineEdit> field = field_;
      Close();
      if (field) field->setFocus();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      TakeSelected();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
