// ATTACH ("Attachments"): the attachments of an e-mail, one row each with
// its size, and their total. While an e-mail is written "&Add" copies a
// chosen file in and "&Delete" drops one; while one is read "&Save" copies
// one out, "&Delete" removes it from the e-mail file, and a double click
// opens it with the desktop's program after a warning.
#pragma once

#include <cstdint>
#include <string>

#include "data/messages/email_file.h"
#include "toolkit/base_dialog.h"

class QListWidget;
class QLabel;

class TAttachDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdAdd = 204;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdList = 253;
  static constexpr int kIdTotal = 301;

  // Composing: the header of the e-mail being written.
  TAttachDialog(QWidget* owner, EmailHeader& header);
  // Reading: the header of the stored e-mail of message number (or its
  // send-log copy), rewritten in place when an attachment is deleted;
  // readOnly forbids that.
  TAttachDialog(QWidget* owner, EmailHeader& header, int32_t number, bool sendLog, bool readOnly);

  // "&Add" (composing) or "&Save" (reading).
  void AddOrSave();
  void Delete();
  // The double click while reading.
  void OpenRow(int row);
  void Refill();
  QListWidget* List() const { return list_; }

 private:
  void Build();
  void Add();
  void Save();

  EmailHeader& header_;
  bool reading_ = false;
  int32_t number_ = 0;
  bool sendLog_ = false;
  bool readOnly_ = false;
  QListWidget* list_ = nullptr;
  QLabel* total_ = nullptr;
};

// ATTACH while composing; answers whether at least one entry remains.
bool EditAttachments(QWidget* owner, EmailHeader& header);
// ATTACH while reading.
void ShowAttachments(QWidget* owner, EmailHeader& header, int32_t number, bool sendLog,
                     bool readOnly);

// Copies a file under its own name, made safe for the desktop, into a
// folder of this program's own in the temporary directory (mode 0700), and
// hands it to the desktop's default program; readOnly leaves the copy
// without write permission. False when it failed (said already).
bool OpenPrivateCopy(const std::string& source, const std::string& ownName, bool readOnly);
// The own name as a plain file name: letters, digits and ". _ - ~ ( )"
// kept, anything else "_", no leading dot, never empty.
std::string SafeFileName(const std::string& ownName);
// The private folder (made at the first call); empty when it cannot be made.
std::string PrivateOpenFolder();
