// SELECT_EMAIL_TO ("To:"): picks e-mail recipients from the current phone
// list (its entries' E-mail fields) or from the name list (local names).
// Tagging an entry adds its text, untagging removes it; at most 100 names
// and 100 entries, and never more text than the calling field has room
// for. The caller appends the answer, items joined by ",", to its To or CC.
#pragma once

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "data/office/dpname.h"
#include "data/phone/dpphone.h"
#include "toolkit/base_dialog.h"

class QRadioButton;
class QStackedWidget;
class TEmailNameList;
class TEmailPhoneList;

class TSelectMailToClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdPhoneList = 102;
  static constexpr int kIdNameList = 103;
  static constexpr int kIdFind = 141;
  static constexpr int kIdNames = 213;
  static constexpr int kIdEntries = 501;
  static constexpr int kMaxTags = 100;

  // room: how many characters the calling field can still take.
  TSelectMailToClass(QWidget* owner, size_t room);
  ~TSelectMailToClass() override;
  // False when a table could not be opened (said already).
  bool Ready() const { return ready_; }

  // "&PHONElist" or "&Name list".
  void UsePhoneList(bool phone);
  void Ok() override;
  // The picked items, joined by "," (after OK).
  std::string Picked() const;
  // The items while the dialog is open, as the lists tag them.
  const std::vector<std::string>& NameItems() const { return names_; }
  const std::vector<std::string>& EntryItems() const { return entries_; }

  // A tag change asked for by a list; false refuses it (said already).
  bool Tag(std::vector<std::string>& items, const std::string& text, bool on);

 private:
  size_t CollectedLength(size_t extra) const;
  void Find(const QString& text);

  size_t room_;
  bool ready_ = true;
  NameTable nameTable_;
  PhoneTable phoneTable_;
  bool namesOpen_ = false;
  bool phonesOpen_ = false;
  std::vector<std::string> names_;
  std::vector<std::string> entries_;
  TEmailNameList* nameList_ = nullptr;
  TEmailPhoneList* phoneList_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QRadioButton* usePhone_ = nullptr;
  QRadioButton* useNames_ = nullptr;
};

// Opens SELECT_EMAIL_TO for a field holding current (its limit 255); true
// with *picked (items joined by ",") on OK with at least one item.
bool PickEmailAddresses(QWidget* owner, const std::string& current, std::string* picked);
// The field's text with the picked items appended, a "," put between when
// the old text does not end in one.
std::string AppendAddresses(const std::string& current, const std::string& picked);
