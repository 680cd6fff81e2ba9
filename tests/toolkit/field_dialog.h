// A dialog with one field of every kind, bound to a plain record, for the
// toolkit's tests: each field is found by its control id and driven with
// real key and mouse events on the offscreen platform.
#pragma once

#include <QApplication>
#include <QTest>
#include <cstring>
#include <string>
#include <vector>

#include "storage/records/name.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/field_rules.h"
#include "toolkit/form_builder.h"

enum FieldId {
  kIdCaller = 101,
  kIdPhone = 102,
  kIdTime = 103,
  kIdDate = 104,
  kIdText = 105,
  kIdKind = 106,
  kIdRush = 107,
  kIdTo = 108,
  kIdCompany = 109,
};

struct FieldRecord {
  char caller[21] = "";
  char phone[21] = "";
  char time[8] = "";
  int32_t date = 0;
  char text[200] = "";
  int32_t kind = 0;
  uint8_t rush = 0;
  uint8_t to[records::name::kRecordSize] = {};
  int32_t tags[100] = {};
  char company[31] = "";
};

// Answers every pick with a fixed name and records the text it was given.
class FakePicker : public NamePicker {
 public:
  bool PickName(uint8_t* record, int32_t*, int mode, const std::string& start) override {
    starts.push_back(start);
    modes.push_back(mode);
    SetFieldText(record, records::name::kName, answer.c_str());
    return true;
  }
  std::string answer = "SMITH";
  std::vector<std::string> starts;
  std::vector<int> modes;
};

// A phone list of a few sorted names.
class FakeQuickList : public PhoneQuickList {
 public:
  bool IsOpen() const override { return open; }
  bool FindFrom(const std::string& typed, std::string* name) override {
    for (const std::string& n : names) {
      if (QString::fromLatin1(n.c_str()).compare(QString::fromLatin1(typed.c_str()),
                                                 Qt::CaseInsensitive) >= 0) {
        *name = n;
        return true;
      }
    }
    return false;
  }
  void Open(QWidget*, const std::string& name) override {
    open = true;
    shown = name;
  }
  void Follow(const std::string& name) override { shown = name; }
  void Close() override { open = false; }
  std::vector<std::string> names{"ACME TOOLS", "BAKER & SONS", "BARLOW LTD"};
  bool open = false;
  std::string shown;
};

inline const char* const kKinds[] = {"Phone message", "Memo", "E-mail"};

class FieldDialog : public TBaseDialog {
 public:
  explicit FieldDialog(FieldRecord* rec, QWidget* owner = nullptr)
      : TBaseDialog(owner, "Fields"), rec_(rec) {
    FormBuilder form(this);
    form.Edit("&Caller:", kIdCaller);
    form.Edit("&Phone:", kIdPhone);
    form.Edit("&Time:", kIdTime);
    form.Edit("&Date:", kIdDate);
    form.MultiLine("Te&xt:", kIdText);
    form.Combo("&Kind:", kIdKind);
    form.CheckBox("&Rush", kIdRush);
    form.Edit("T&o:", kIdTo);
    form.Edit("C&ompany:", kIdCompany);
    form.OkCancel(this);
    Bind<TEditControl>(kIdCaller, rec->caller, sizeof rec->caller);
    Bind<TPhoneEditControl>(kIdPhone, rec->phone, sizeof rec->phone);
    Bind<TTimeEditControl>(kIdTime, rec->time, sizeof rec->time);
    Bind<TDateControl>(kIdDate, &rec->date);
    Bind<TMultiLineEditControl>(kIdText, rec->text, sizeof rec->text);
    Bind<TComboControl>(kIdKind, kKinds, 3, &rec->kind);
    Bind<TCheckBoxControl>(kIdRush, &rec->rush);
    Bind<TToControl>(kIdTo, rec->to, rec->tags, 0, &picker);
    Bind<TPhoneListControl>(kIdCompany, rec->company, sizeof rec->company, &quick);
  }

  template <class W>
  W* Control(int id) const {
    W* w = FindControlAs<W>(this, id);
    if (!w) qFatal("no control %d", id);
    return w;
  }

  FakePicker picker;
  FakeQuickList quick;

 private:
  FieldRecord* rec_;
};

// Shows the dialog and makes it the active window, so focus moves as it
// would for a user.
inline bool ShowActive(QWidget* w) {
  w->show();
  QApplication::setActiveWindow(w);
  return QTest::qWaitForWindowActive(w);
}

// Clicks into the field, types the text, and leaves with Tab.
inline void TypeAndLeave(QWidget* field, const QString& text) {
  field->setFocus(Qt::MouseFocusReason);
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Tab);
}

// Types any text, one key event per character (QTest::keyClicks takes
// ASCII only).
inline void TypeText(QWidget* field, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}
