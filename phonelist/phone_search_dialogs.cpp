#include "phonelist/phone_search_dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_print.h"
#include "phonelist/phone_settings.h"
#include "storage/errors.h"
#include "storage/records/lc.h"
#include "storage/records/phone.h"
#include "storage/worktable.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace x1 = records::phone::x1;

namespace {

constexpr const char* kNoEntry = "No entry selected.";

QPointer<TSearchListClass>& Results() {
  static QPointer<TSearchListClass> results;
  return results;
}

// The user's work tables "Wa<n>" and "Wb<n>"; without a started user (a
// tool, a test) those of number 0.
std::string WorkName(WorkTableKind kind) {
  const UserState& user = CurrentUser();
  if (user.started && !user.workTableNames[kind].empty()) return user.workTableNames[kind];
  return kind == kWorkA ? "Wa0" : "Wb0";
}

std::string Text(const char* buffer) {
  return buffer;
}

}  // namespace

// ---- PHONE_SEARCH ----

TPhoneSearchClass::TPhoneSearchClass(QWidget* owner, PhoneCriteria* criteria)
    : TBaseDialog(owner, "PhoneList Search Criteria"), criteria_(criteria) {
  setProperty("helpAnchor", "phone-search");
  FormBuilder form(this);
  auto* categoryRow = new QWidget(this);
  auto* rowLayout = new QHBoxLayout(categoryRow);
  rowLayout->setContentsMargins(0, 0, 0, 0);
  state_ = new QLabel(categoryRow);
  SetControlId(state_, kIdCategoryState);
  auto* list = new QPushButton("&List...", categoryRow);
  list->setAutoDefault(false);
  SetControlId(list, kIdCategories);
  list->setAccessibleName("Category list");
  rowLayout->addWidget(state_, 1);
  rowLayout->addWidget(list);
  form.Row("Category:", categoryRow, 251);
  connect(list, &QPushButton::clicked, this, [this] { ChooseCategories(); });

  const bool caps = PhoneSettings().allCaps;
  const auto edit = [&](const QString& label, int id, char* buffer, size_t size) {
    form.Edit(label, id, size > 30 ? 30 : 0);
    Bind<TEditControl>(id, buffer, size, caps);
  };
  edit("List &Name:", kIdListname, b_.listname, sizeof b_.listname);
  edit("&ID:", kIdId, b_.id, sizeof b_.id);
  edit("C&ompany:", kIdCompany, b_.company, sizeof b_.company);
  edit("&Street1&&2:", kIdStreet, b_.street, sizeof b_.street);
  edit("Cit&y:", kIdCity, b_.city, sizeof b_.city);
  edit("S&t:", kIdState, b_.state, sizeof b_.state);
  edit("&ZIP:", kIdZip, b_.zip, sizeof b_.zip);
  edit("Co&untry:", kIdCountry, b_.country, sizeof b_.country);
  edit("Co&ntact:", kIdContact, b_.contact, sizeof b_.contact);
  edit("&Phone1-4:", kIdPhone, b_.phone, sizeof b_.phone);
  edit("&Email&&URL:", kIdEmail, b_.email, sizeof b_.email);
  FieldTextEdit* misc = form.MultiLine("&Misc Info:", kIdMisc, 2);
  misc->setMaximumHeight(misc->minimumHeight());
  Bind<TMultiLineEditControl>(kIdMisc, b_.misc, sizeof b_.misc);
  form.CheckBox("E&xact:", kIdExact);
  Bind<TCheckBoxControl>(kIdExact, &b_.exact);
  form.OkCancel(this);
  NameControlsByLabels(this);
  ShowCategoryState();
}

void TPhoneSearchClass::ShowCategoryState() {
  state_->setText(criteria_->categories.Empty() ? QString() : QString("Selected..."));
  state_->setAccessibleName(state_->text().isEmpty() ? QString("No categories") : state_->text());
}

void TPhoneSearchClass::ChooseCategories() {
  SelectCategories(this, &criteria_->categories);
  ShowCategoryState();
}

void TPhoneSearchClass::Ok() {
  if (!TransferOut()) return;
  PhoneCriteria& c = *criteria_;
  c.listname = Text(b_.listname);
  c.id = Text(b_.id);
  c.company = Text(b_.company);
  c.street = Text(b_.street);
  c.city = Text(b_.city);
  c.state = Text(b_.state);
  c.zip = Text(b_.zip);
  c.country = Text(b_.country);
  c.contact = Text(b_.contact);
  c.phone = Text(b_.phone);
  c.email = Text(b_.email);
  c.misc = Text(b_.misc);
  c.exact = b_.exact != 0;
  CloseWith(1);
}

// ---- The result rows ----

SearchResultModel::SearchResultModel(Table& results, int32_t count, QObject* parent)
    : QAbstractListModel(parent), results_(results), count_(count) {}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

bool SearchResultModel::Entry(int row, PhoneEntry* entry) const {
  if (row < 0 || row >= count_) return false;
  return DbReadCached(results_, row, entry->bytes) != 0;
}

bool SearchResultModel::Tagged(int row) const {
  PhoneEntry entry;
  return Entry(row, &entry) && entry.bytes[x1::kSpare.offset] != 0;
}

void SearchResultModel::ToggleTag(int row) {
  PhoneEntry entry;
  if (!Entry(row, &entry)) return;
  entry.bytes[x1::kSpare.offset] = entry.bytes[x1::kSpare.offset] ? 0 : 1;
  if (!DbWriteWorkRow(results_, row, entry.bytes)) {
    ShowError();
    return;
  }
  emit dataChanged(index(row), index(row));
}

void SearchResultModel::Replace(int row, const PhoneEntry& saved) {
  PhoneEntry entry;
  if (!Entry(row, &entry)) return;
  const uint8_t tag = entry.bytes[x1::kSpare.offset];
  entry = saved;
  entry.bytes[x1::kSpare.offset] = tag;
  if (!DbWriteWorkRow(results_, row, entry.bytes)) ShowError();
  emit dataChanged(index(row), index(row));
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
  PhoneEntry entry;
  if (!index.isValid() || !Entry(index.row(), &entry)) return QVariant();
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    const std::string phone = entry.Phone1();
    return QString("      %1\t%2")
        .arg(FromCp1252(entry.Listname()), phone.empty() ? QString(" ") : FromCp1252(phone));
  }
  if (role == Qt::BackgroundRole && entry.bytes[x1::kSpare.offset])
    return QPalette().brush(QPalette::Highlight);
  if (role == Qt::ForegroundRole && entry.bytes[x1::kSpare.offset])
    return QPalette().brush(QPalette::HighlightedText);
  return QVariant();
}

void SearchResultView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {
    const QModelIndex at = indexAt(e->position().toPoint());
    if (at.isValid()) {
      setCurrentIndex(at);
      Results()->ToggleTag(at.row());
    }
    return;
  }
  QListView::mousePressEvent(e);
}

void SearchResultView::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && currentIndex().isValid()) {
    Results()->ToggleTag(currentIndex().row());
    return;
  }
  QListView::keyPressEvent(e);
}

// The two columns of a result row ("%s\t%s"), tagged rows in the
// highlight colours, the current row framed.
class ResultRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QString text = index.data().toString();
    const QString name = text.section('\t', 0, 0);
    const QString phone = text.section('\t', 1);
    const bool tagged = index.data(Qt::BackgroundRole).isValid();
    const QRect r = option.rect;
    p->save();
    p->fillRect(r, option.palette.brush(tagged ? QPalette::Highlight : QPalette::Base));
    p->setPen(option.palette.color(tagged ? QPalette::HighlightedText : QPalette::Text));
    const int tab = r.left() + std::max(140, r.width() * 3 / 5);
    p->drawText(QRect(r.left() + 2, r.top(), tab - r.left() - 6, r.height()),
                Qt::AlignVCenter | Qt::AlignLeft, name);
    p->drawText(QRect(tab, r.top(), r.right() - tab, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                phone);
    if (option.state & QStyle::State_HasFocus) {
      p->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
      p->drawRect(r.adjusted(0, 0, -1, -1));
    }
    p->restore();
  }
};

// ---- SEARCH_LIST ----

TSearchListClass::TSearchListClass(QWidget* owner, std::unique_ptr<Table> results, int32_t count,
                                   int mode)
    : TBaseDialog(owner, QString("Search result:   %1 found").arg(count)),
      results_(std::move(results)),
      mode_(mode) {
  setProperty("helpAnchor", "phone-search");
  auto* layout = new QHBoxLayout(this);
  view_ = new SearchResultView(this);
  SetControlId(view_, kIdList);
  view_->setAccessibleName("Search result");
  view_->setUniformItemSizes(true);
  // The tags are the rows' marks; the current row is framed.
  view_->setSelectionMode(QAbstractItemView::NoSelection);
  view_->setItemDelegate(new ResultRowDelegate(view_));
  view_->setMinimumSize(320, 260);
  model_ = new SearchResultModel(*results_, count, view_);
  view_->setModel(model_);
  if (count > 0) view_->setCurrentIndex(model_->index(0));
  layout->addWidget(view_, 1);
  auto* buttons = new QVBoxLayout;
  layout->addLayout(buttons);
  const auto button = [this, buttons](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    SetControlId(b, id);
    buttons->addWidget(b);
    return b;
  };
  connect(button("&Info", kIdInfo), &QPushButton::clicked, this, [this] { Info(); });
  connect(button("&Cat", kIdCat), &QPushButton::clicked, this, [this] { Categories(); });
  connect(button("C&opy", kIdCopy), &QPushButton::clicked, this, [this] { Copy(); });
  connect(button("&Print", kIdPrint), &QPushButton::clicked, this, [this] { Print(); });
  buttons->addStretch();
  connect(button("&Done", kIdDone), &QPushButton::clicked, this, [this] { reject(); });
  connect(view_, &QListView::doubleClicked, this, [this] { Info(); });
}

TSearchListClass::~TSearchListClass() {
  delete view_;
  view_ = nullptr;
  if (results_ && results_->IsOpen()) DbCloseWorkTable(*results_);
}

bool TSearchListClass::SelectedEntry(PhoneEntry* entry, int* row) const {
  const QModelIndex at = view_->currentIndex();
  if (!at.isValid()) return false;
  *row = at.row();
  if (!model_->Entry(*row, entry)) {
    ShowError();
    return false;
  }
  return true;
}

void TSearchListClass::Info() {
  PhoneEntry entry;
  int row = -1;
  if (!SelectedEntry(&entry, &row)) {
    if (row < 0) Prompter().Inform(kNoEntry, "Info");
    return;
  }
  entry.bytes[x1::kSpare.offset] = 0;
  PhoneEntry saved;
  // The row takes the saved Listname and Phone 1; the list window is left
  // as it stands.
  if (EditPhoneEntry(this, &entry, &saved)) model_->Replace(row, saved);
}

void TSearchListClass::Print() {
  // A second Print while one runs is ignored.
  if (printing_) return;
  printing_ = true;
  std::vector<ResultRow> rows;
  const int count = model_->rowCount();
  rows.reserve(size_t(count));
  bool readable = true;
  for (int row = 0; row < count && readable; ++row) {
    PhoneEntry entry;
    readable = model_->Entry(row, &entry);
    if (readable) rows.push_back({entry.RecordNumber(), model_->Tagged(row)});
  }
  if (readable) mode_ == 1 ? PrintPhoneLabels(this, rows) : PrintPhoneReport(this, rows);
  printing_ = false;
}

void TSearchListClass::Categories() {
  PhoneEntry entry;
  int row = -1;
  if (!SelectedEntry(&entry, &row)) {
    if (row < 0) Prompter().Inform(kNoEntry, "Category");
    return;
  }
  EditEntryCategories(this, entry.EntryNumber());
}

void TSearchListClass::Copy() {
  PhoneEntry entry;
  int row = -1;
  if (!SelectedEntry(&entry, &row)) {
    if (row < 0) Prompter().Inform(kNoEntry, "Copy");
    return;
  }
  PhoneList target;
  if (!PickTargetList(this, &target)) return;
  PhoneTable phones;
  if (!PhoneOpen(phones)) {
    ShowError();
    return;
  }
  if (!PhoneCopyToList(phones, entry.RecordNumber(), target.number, false)) {
    if (AppErrorCode() != kAppDuplicate) {
      ShowError();
    } else {
      ClearAppError();
      if (Prompter().AskYesNo("Overwrite existing entry? Y/N") &&
          !PhoneCopyToList(phones, entry.RecordNumber(), target.number, true))
        ShowError();
    }
  }
  PhoneClose(phones);
}

void TSearchListClass::reject() {
  if (closed_) return;
  closed_ = true;
  CloseWith(0);
  emit Closed();
}

void TSearchListClass::closeEvent(QCloseEvent* e) {
  reject();
  e->accept();
}

// ---- The search ----

namespace {

// Collects the assignments of the chosen categories into "Wb<n>"; false
// after a failure (shown).
bool CollectAssignments(const CategorySet& set, AssignmentPairs* assigned) {
  if (set.Empty()) return true;
  AssignmentTable links;
  if (!AssignmentOpen(links)) {
    ShowError();
    return false;
  }
  Table picked(WorkName(kWorkB), records::lc::x1::kLength);
  const int ok = PhoneCollectAssignments(links, set, picked, assigned);
  if (!ok) ShowError();
  if (picked.IsOpen()) DbCloseWorkTable(picked);
  AssignmentClose(links);
  return ok != 0;
}

}  // namespace

void RunPhoneSearch(QWidget* owner, int mode) {
  PhoneCriteria criteria;
  {
    TPhoneSearchClass dialog(owner, &criteria);
    if (RunPhoneDialog(dialog) != 1) return;
  }
  AssignmentPairs assigned;
  if (!CollectAssignments(criteria.categories, &assigned)) return;
  // The rows of the last search go with its list.
  CloseSearchResults();
  PhoneTable phones;
  if (!PhoneOpen(phones)) {
    ShowError();
    return;
  }
  auto results = std::make_unique<Table>(WorkName(kWorkA), x1::kLength);
  const int ok = PhoneSearch(phones, PhoneCurrentList().number, criteria, assigned, *results,
                             [] { return Prompter().Searching(false) != 0; });
  Prompter().Searching(true);
  PhoneClose(phones);
  if (!ok) {
    ShowError();
    if (results->IsOpen()) DbCloseWorkTable(*results);
    return;
  }
  const int32_t count = results->scratch;
  if (count == 0) {
    if (results->IsOpen()) DbCloseWorkTable(*results);
    Prompter().Inform("No matches found.");
    return;
  }
  if (!results->IsOpen() && !DbOpenWorkTable(*results, DataDirectory())) {
    ShowError();
    return;
  }
  auto* list = new TSearchListClass(owner, std::move(results), count, mode);
  QObject::connect(list, &TSearchListClass::Closed, list, &QObject::deleteLater);
  Results() = list;
  list->OpenModeless();
}

TSearchListClass* SearchResults() {
  return Results().data();
}

void CloseSearchResults() {
  if (TSearchListClass* list = Results()) {
    list->reject();
    delete list;
  }
}
