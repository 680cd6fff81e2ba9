// PHONELIST, "PhoneList (<list>)": the current phone list with its quick
// find (141), the list (501), the detail pane (101) shown and hidden by
// "&>>" / "&<<" (102), and the buttons Info, Dial, Cat, Paste, Add,
// Delete, Copy and Close. The list tags: Delete and Copy work on the tagged
// entries. A right click on the list opens the "PhoneList" menu.
#pragma once

#include <QPointer>
#include <QString>

#include "data/phone/dpphone.h"
#include "toolkit/base_dialog.h"

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TPhoneListView;

class TPhoneListClass : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdFind = 141;
  static constexpr int kIdList = 501;
  static constexpr int kIdPane = 101;
  static constexpr int kIdPaneButton = 102;
  static constexpr int kIdInfo = 210;
  static constexpr int kIdDial = 221;
  static constexpr int kIdCat = 215;
  static constexpr int kIdPaste = 231;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdClose = 216;
  static constexpr int kIdImport = 241;
  static constexpr int kIdExport = 242;
  static constexpr int kFindLength = 28;

  // Opens "PHONE"; a failure is shown and leaves the window not Ready().
  explicit TPhoneListClass(QWidget* owner);
  ~TPhoneListClass() override;

  bool Ready() const { return ready_; }
  TPhoneListView* List() const { return list_; }
  QLineEdit* FindField() const { return find_; }
  QPlainTextEdit* Pane() const { return pane_; }
  bool PaneShown() const { return paneShown_; }
  PhoneTable& Phones() { return phones_; }
  // A modal child (the entry dialog, the categories, a copy) is open: the
  // other entry points beep instead of acting.
  bool Busy() const { return busy_ > 0; }

  // The buttons and menu entries.
  void Info();
  void Dial();
  void Categories();
  void Paste();
  void Add();
  void Delete();
  void Copy();
  void ShowPane(bool shown);
  // "I&mport..." and "E&xport...": the list from and to a CSV or vCard
  // file (phone_transfer_window.h).
  void Import();
  void Export();
  // Close: stores the placement and the pane state, closes the table.
  void reject() override;

  // After Select List: retitled, Find cleared, the list from its first
  // entry.
  void Reload();
  // Re-reads the page where it stands, keeping the selected row.
  void RefreshList();
  // Puts the list on the entry and selects it.
  void ShowEntry(const PhoneEntry& entry);

  // The "PhoneList" menu for a right click on the row (-1: below the
  // rows): when nothing is tagged the row is selected first. The menu is
  // the caller's to show (and delete).
  QMenu* ContextMenu(int row);

 signals:
  // The window has closed; its owner may delete it.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class BusyScope;
  void Build();
  void SelectionChanged();
  void UpdatePane();
  void Finish();

  PhoneTable phones_;
  bool ready_ = false;
  bool paneShown_ = false;
  bool finished_ = false;
  int busy_ = 0;
  QLineEdit* find_ = nullptr;
  TPhoneListView* list_ = nullptr;
  QPlainTextEdit* pane_ = nullptr;
  QPushButton* paneButton_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* cat_ = nullptr;
  QPushButton* dial_ = nullptr;
  QPushButton* paste_ = nullptr;
};

// The window's title for the current list: "PhoneList (%s)".
QString PhoneListTitle();
