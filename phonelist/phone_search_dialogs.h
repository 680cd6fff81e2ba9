// The phone list search: PHONE_SEARCH ("PhoneList Search Criteria"), where
// the criteria and the categories are chosen, and SEARCH_LIST ("Search
// result:   %ld found"), the matching entries in index order, from which
// entries are opened, given categories and copied, and where reports and
// labels are printed (phone_print.h).
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <cstdint>
#include <memory>

#include "data/phone/phone_search.h"
#include "toolkit/base_dialog.h"

class QLabel;

class TPhoneSearchClass : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdCategoryState = 250;
  static constexpr int kIdCategories = 215;
  static constexpr int kIdListname = 103;
  static constexpr int kIdId = 115;
  static constexpr int kIdCompany = 112;
  static constexpr int kIdStreet = 111;
  static constexpr int kIdCity = 106;
  static constexpr int kIdState = 107;
  static constexpr int kIdZip = 108;
  static constexpr int kIdCountry = 117;
  static constexpr int kIdContact = 109;
  static constexpr int kIdPhone = 143;
  static constexpr int kIdEmail = 114;
  static constexpr int kIdMisc = 156;
  static constexpr int kIdExact = 120;

  TPhoneSearchClass(QWidget* owner, PhoneCriteria* criteria);
  // OK: the fields into the criteria.
  void Ok() override;
  // "&List...": the categories of the search.
  void ChooseCategories();

 private:
  struct Buffers {
    char listname[30] = {};
    char id[16] = {};
    char company[41] = {};
    char street[46] = {};
    char city[25] = {};
    char state[3] = {};
    char zip[17] = {};
    char country[17] = {};
    char contact[45] = {};
    char phone[21] = {};
    char email[46] = {};
    char misc[157] = {};
    uint8_t exact = 0;
  };
  void ShowCategoryState();

  PhoneCriteria* criteria_;
  Buffers b_;
  QLabel* state_ = nullptr;
};

// The rows of the result work table, read as they are shown.
class SearchResultModel : public QAbstractListModel {
  Q_OBJECT

 public:
  SearchResultModel(Table& results, int32_t count, QObject* parent);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Row i's index entry; false when it cannot be read (shown).
  bool Entry(int row, PhoneEntry* entry) const;
  // The row's tag (the byte at offset 63 of the row).
  bool Tagged(int row) const;
  void ToggleTag(int row);
  // A row after its entry was saved with another Listname or Phone 1.
  void Replace(int row, const PhoneEntry& entry);

 private:
  Table& results_;
  int32_t count_;
};

class SearchResultView : public QListView {
  Q_OBJECT

 public:
  using QListView::QListView;
  SearchResultModel* Results() const { return static_cast<SearchResultModel*>(model()); }

 protected:
  // A right click on a row and the space bar toggle its tag.
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

class TSearchListClass : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdList = 501;
  static constexpr int kIdInfo = 210;
  static constexpr int kIdCat = 215;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdPrint = 220;
  static constexpr int kIdDone = 216;

  // Takes the open result work table with its row count; mode 0 search,
  // 1 labels, 2 reports.
  TSearchListClass(QWidget* owner, std::unique_ptr<Table> results, int32_t count, int mode);
  ~TSearchListClass() override;

  SearchResultView* View() const { return view_; }
  int Mode() const { return mode_; }
  void Info();
  void Categories();
  void Copy();
  // "&Print": labels in mode 1, a report otherwise, of the result rows.
  void Print();
  void reject() override;

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  bool SelectedEntry(PhoneEntry* entry, int* row) const;

  std::unique_ptr<Table> results_;
  int mode_;
  SearchResultView* view_ = nullptr;
  SearchResultModel* model_ = nullptr;
  bool closed_ = false;
  bool printing_ = false;
};

// The search in the mode: the criteria dialog, the categories collected,
// the query under a "Searching..." box, then "No matches found." or the
// result list (the previous one closed).
void RunPhoneSearch(QWidget* owner, int mode);
// The open result list, or nullptr.
TSearchListClass* SearchResults();
void CloseSearchResults();
