// The category dialogs: "Categories" of one entry (CAT), where choosing a
// row assigns or unassigns the category and categories are added, renamed
// and deleted, and "Categories" of a search or report (SCAT), where choosing
// a row only toggles it in the selection set. Both list the current list's
// categories by name in the frame 550, each row six blanks and the name,
// marked when its category is in the set, with "Search:" (101) above.
#pragma once

#include <functional>
#include <string>

#include "data/phone/phone_category.h"
#include "toolkit/base_dialog.h"
#include "toolkit/list/db_list.h"

class QLineEdit;

// The list of one list's categories ("CAT" X1).
class TCategoryList : public TDBList {
  Q_OBJECT

 public:
  static constexpr int kId = 502;
  TCategoryList(QWidget* parent, const QRect& rect, CategoryTable& cats, int32_t list,
                const CategorySet* set);
  int ScrollPosition(const uint8_t* entry) override;
  int SeekPosition(int position) override;
  bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool focused) override;
  // Positions the list on the first category whose name starts with the
  // text and selects it, or selects nothing.
  int SearchText(const std::string& text);
  bool Selected(CategoryEntry* entry) const;
  // The space bar and the right button choose the row.
  void ActOnEntry(const uint8_t* entry) override;
  std::function<void()> onAct;

 private:
  int Seek(const std::string& name);
  int32_t list_;
  const CategorySet* set_;
};

class TCategoryDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdSearch = 101;
  static constexpr int kIdFrame = 550;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdEdit = 206;
  static constexpr int kIdClose = 2;

  // CAT: the entry's categories, assignments written as rows are chosen.
  TCategoryDialog(QWidget* owner, int32_t entryNumber);
  // SCAT: the selection set of a search or report, nothing written.
  TCategoryDialog(QWidget* owner, CategorySet* selection);
  ~TCategoryDialog() override;

  bool Ready() const { return ready_; }
  TCategoryList* List() const { return list_; }
  QLineEdit* Search() const { return search_; }
  const CategorySet& Set() const { return *set_; }

  // Choosing a row (a double click, Enter, the space bar).
  void Choose();
  void Add();
  void Edit();
  void Delete();

 private:
  void Build(bool selectionOnly);
  bool OpenTables(bool assignments);

  int32_t entryNumber_ = 0;
  CategorySet own_;
  CategorySet* set_;
  bool selectionOnly_ = false;
  CategoryTable cats_;
  AssignmentTable links_;
  bool ready_ = false;
  TCategoryList* list_ = nullptr;
  QLineEdit* search_ = nullptr;
};

// ADDCAT ("Add new category", "New category:") and EDITCAT ("Edit category
// name", "Category:"): one field (103) of at most 20 characters.
class TCategoryNameDialog : public TBaseDialog {
  Q_OBJECT

 public:
  static constexpr int kIdName = 103;
  TCategoryNameDialog(QWidget* owner, const QString& caption, const QString& label,
                      const std::string& initial);
  void Ok() override;
  std::string Name() const;

 private:
  char name_[kMaxCategoryNameLength + 1] = {};
};

// CAT through RunPhoneDialog.
void EditEntryCategories(QWidget* owner, int32_t entryNumber);
// SCAT through RunPhoneDialog.
void SelectCategories(QWidget* owner, CategorySet* set);
