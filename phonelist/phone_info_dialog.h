// PHONEINFO, "PhoneList Detail": one entry of the current list, new or
// existing. The first change to an existing entry takes its record lock
// (another workstation holding it: "Record in use." and the dialog only
// shows); Save checks the Listname, asks whether a changed Listname or
// Phone 1 overwrites the entry or makes a new one, refuses a duplicate,
// and saves. The entry's note, categories, a copy to another list and its
// address on the clipboard are a button away.
#pragma once

#include <QString>

#include "data/phone/dpphone.h"
#include "toolkit/base_dialog.h"

class QCheckBox;

class TPhoneInfoClass : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdListname = 103;
  static constexpr int kIdId = 115;
  static constexpr int kIdCompany = 112;
  static constexpr int kIdStreet1 = 111;
  static constexpr int kIdStreet2 = 105;
  static constexpr int kIdCity = 106;
  static constexpr int kIdState = 107;
  static constexpr int kIdZip = 108;
  static constexpr int kIdCountry = 117;
  static constexpr int kIdContact = 109;
  static constexpr int kIdPhone1 = 143;
  static constexpr int kIdExt1 = 104;
  static constexpr int kIdPhone2 = 144;
  static constexpr int kIdExt2 = 119;
  static constexpr int kIdFax = 145;
  static constexpr int kIdCell = 146;
  static constexpr int kIdEmail = 114;
  static constexpr int kIdUrl = 116;
  static constexpr int kIdMisc = 156;
  static constexpr int kIdNoteTick = 262;
  static constexpr int kIdLinked = 218;
  static constexpr int kIdSave = 200;
  static constexpr int kIdNote = 201;
  static constexpr int kIdCat = 215;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdPaste = 231;
  static constexpr int kIdPrint = 220;

  // existing: the index entry of the entry to edit; nullptr for a new
  // entry of the current list. A failure to read is shown and leaves the
  // dialog not Ready().
  TPhoneInfoClass(QWidget* owner, const PhoneEntry* existing);
  ~TPhoneInfoClass() override;

  bool Ready() const { return ready_; }
  bool IsNew() const { return recordNumber_ < 0; }
  bool HoldsLock() const { return locked_; }
  const PhoneRecord& Record() const { return record_; }
  // The saved entry's index entry, after Save.
  const PhoneEntry& Saved() const { return saved_; }

  // Save (200).
  void Ok() override;
  // Cancel: asks when something was changed; the lock goes with the
  // dialog.
  void reject() override;
  void Note();
  void Categories();
  void CopyEntry();
  void PasteAddress();

 private:
  void Build();
  void UseTakeWindow();
  // The first change of an existing entry: its record lock.
  void Changed();
  bool TakeLock();
  void ReleaseLock();
  // The duplicate check of Save: another entry of the list (another entry
  // number) with the Listname and Phone 1.
  bool Duplicate();
  bool SaveExisting();
  bool SaveNew(bool asNew);
  void Finish(int result);

  PhoneTable phones_;
  PhoneRecord record_;
  PhoneEntry original_;
  PhoneEntry saved_;
  int32_t recordNumber_ = -1;
  bool ready_ = false;
  bool locked_ = false;
  bool lockRefused_ = false;
  QCheckBox* noteTick_ = nullptr;
};

// Opens the entry dialog through RunPhoneDialog; 1 when the entry was
// saved (saved then holds its index entry).
int EditPhoneEntry(QWidget* owner, const PhoneEntry* existing, PhoneEntry* saved);
