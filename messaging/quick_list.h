// The quick list of the Take window's phone message: while the caller's
// company (or, with the "FROM search" option, the caller's name) is typed,
// a list of the current phone list (control 501) opens under the Company
// field at the first entry not less than the text. Down arrow goes into
// it, Enter or a double click takes the entry's name, company, phone and
// extension into the slip, Escape and leaving it close it.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

#include "data/phone/dpphone.h"
#include "phonelist/phone_list_view.h"
#include "toolkit/pickers.h"

class QLineEdit;

// The list itself is the phone list window's list of one phone list
// (control 501), without tags.
using TPhoneQuickList = TPhoneListView;

class TakeQuickList : public QObject, public PhoneQuickList {
  Q_OBJECT

 public:
  // What taking an entry does: the entry's record and the field the list
  // was opened from.
  using Take = std::function<void(const PhoneRecord& entry, QLineEdit* from)>;

  // window: where the list shows; below: the field it shows under (the
  // Company field).
  TakeQuickList(QWidget* window, QWidget* below, Take take);
  ~TakeQuickList() override;

  // Opens and closes the phone list table (while the window is active).
  int OpenTable();
  void CloseTable();
  bool TableOpen() const { return phones_.open; }
  PhoneTable& Phones() { return phones_; }

  bool IsOpen() const override { return list_ != nullptr; }
  bool FindFrom(const std::string& typed, std::string* name) override;
  void Open(QWidget* field, const std::string& name) override;
  void Follow(const std::string& name) override;
  void Close() override;
  // Enter: takes the selected entry.
  void TakeSelected();
  TPhoneQuickList* List() const { return list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  QWidget* below_;
  Take take_;
  PhoneTable phones_;
  TPhoneQuickList* list_ = nullptr;
  QPointer<QLineEdit> field_;
  bool taking_ = false;
};
