#include "messaging/message_list.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cstring>

#include "data/messages/dpnote.h"
#include "data/messages/email_file.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/flags.h"
#include "messaging/dialog_runner.h"
#include "messaging/email_compose.h"
#include "messaging/folder_choice.h"
#include "messaging/mail_copy.h"
#include "messaging/message_copy.h"
#include "messaging/message_pictures.h"
#include "messaging/message_printing.h"
#include "messaging/message_services.h"
#include "messaging/remove_dialog.h"
#include "messaging/view_message.h"
#include "messaging/window_places.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/worktable.h"
#include "toolkit/control_id.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;

namespace {

// The preview's state, kept for the next list window while the program
// runs.
bool& PreviewRemembered() {
  static bool shown = false;
  return shown;
}

int KeyOf(const std::vector<ListColumn>& columns, int column) {
  return column >= 0 && column < int(columns.size()) ? columns[size_t(column)].key : -1;
}

std::string Trimmed20(const std::string& name, uint8_t kind) {
  // The stored e-mail name was cut at 20 characters.
  if (kind == msg::kKindEmail && name.size() == 20) return name + "..";
  return name;
}

int Compare(int32_t a, int32_t b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

int CompareNoCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(uint8_t(a[i])), cb = std::tolower(uint8_t(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return Compare(int32_t(a.size()), int32_t(b.size()));
}

}  // namespace

// ---- Model ----

int MessageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.RowCount();
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(list_.Columns().size());
}

const ListRow& MessageListModel::RowAt(int row) const {
  if (row != cachedRow_) {
    cached_ = list_.Row(row);
    cachedRow_ = row;
  }
  return cached_;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
      return list_.CellText(RowAt(index.row()), index.column());
    case Qt::AccessibleTextRole: {
      const ListRow& r = RowAt(index.row());
      QString picture = list_.CellPictureName(r, index.column());
      return picture.isEmpty() ? list_.CellText(r, index.column()) : picture;
    }
    case Qt::DecorationRole: {
      const QString name = list_.CellPictureName(RowAt(index.row()), index.column());
      if (name.isEmpty()) return QVariant();
      if (name == "Tagged") return MarkPixmap(MarkPicture::kTag);
      if (name == "Urgent") return MarkPixmap(MarkPicture::kUrgent);
      if (name == "Not viewed") return MarkPixmap(MarkPicture::kNotViewed);
      if (name == "Phone message") return KindPixmap(msg::kKindPhone);
      if (name == "Memo") return KindPixmap(msg::kKindMemo);
      return KindPixmap(msg::kKindEmail);
    }
    default:
      return QVariant();
  }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
  const auto& c = list_.Columns();
  return section >= 0 && section < int(c.size()) ? c[size_t(section)].header : QVariant();
}

void MessageListModel::RowChanged(int row) {
  if (row == cachedRow_) cachedRow_ = -1;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// ---- The list window ----

TMessageListBaseClass::TMessageListBaseClass(QWidget* owner, const ListRequest& request)
    : TBaseDialog(owner, "View Message"), request_(request) {
  setObjectName("MESSAGE_LIST");
  // Received and Sent start reversed when the list runs old to new, so the
  // first click shows the newest first.
  const bool timeReverse = !request_.newestFirst;
  if (request_.sendLog) {
    columns_ = {{"*", 25, 0, false},
                {"To", 200, 1, false},
                {"Sent", 120, 3, timeReverse},
                {"Viewed", 120, 5, false},
                {"Type", 50, 4, false}};
  } else if (!request_.person.empty() && request_.person[0] == '*') {
    columns_ = {{"*", 25, 0, false},
                {"To", 120, 1, false},
                {"From", 200, 2, false},
                {"Received", 120, 3, timeReverse},
                {"Type", 50, 4, false}};
  } else {
    columns_ = {{"*", 25, 0, false},
                {"From", 180, 2, false},
                {"Received", 140, 3, timeReverse},
                {"Type", 50, 4, false}};
  }
  Build();
}

TMessageListBaseClass::~TMessageListBaseClass() {
  if (view_) delete view_.data();
  // The in-box list applies its marks whenever its window goes.
  if (!request_.sendLog && work_ != nullptr) ApplyMarks();
  // The view asks its model while the window goes; the columns go first.
  hide();
  list_->setModel(nullptr);
  if (messages_.open) MsgClose(messages_);
  if (sendLog_.open) SendLogClose(sendLog_);
  if (ownWork_.IsOpen()) DbCloseWorkTable(ownWork_);
}

MessageListModel::MessageListModel(TMessageListBaseClass& list)
    : QAbstractTableModel(&list), list_(list) {}

void TMessageListBaseClass::Build() {
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  outer->addLayout(top, 1);

  list_ = new QTableView(this);
  SetControlId(list_, kIdList);
  list_->setAccessibleName("Messages");
  model_ = new MessageListModel(*this);
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(20);
  list_->horizontalHeader()->setSectionsClickable(true);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->horizontalHeader()->setStretchLastSection(true);
  int listWidth = 24;
  for (size_t i = 0; i < columns_.size(); ++i) {
    list_->setColumnWidth(int(i), columns_[i].width);
    listWidth += columns_[i].width;
  }
  list_->setMinimumWidth(listWidth);
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { Sort(column); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowPreview(current.row()); });
  connect(list_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { OpenView(index.row()); });
  top->addWidget(list_, 3);

  previewFrame_ = new QFrame(this);
  SetControlId(previewFrame_, kIdPreviewFrame);
  previewFrame_->setFrameShape(QFrame::StyledPanel);
  previewFrame_->setAccessibleName("Preview pane");
  auto* pane = new QVBoxLayout(previewFrame_);
  auto* grid = new QFormLayout;
  auto* fromLabel = new QLabel("From:", previewFrame_);
  SetControlId(fromLabel, kIdFromLabel);
  previewFrom_ = new QLineEdit(previewFrame_);
  SetControlId(previewFrom_, kIdPreviewFrom);
  previewFrom_->setReadOnly(true);
  previewFrom_->setAccessibleName("From:");
  fromLabel->setBuddy(previewFrom_);
  subjectLabel_ = new QLabel("Subject:", previewFrame_);
  SetControlId(subjectLabel_, kIdSubjectLabel);
  previewSubject_ = new QLineEdit(previewFrame_);
  SetControlId(previewSubject_, kIdPreviewSubject);
  previewSubject_->setReadOnly(true);
  previewSubject_->setAccessibleName("Subject:");
  subjectLabel_->setBuddy(previewSubject_);
  grid->addRow(fromLabel, previewFrom_);
  grid->addRow(subjectLabel_, previewSubject_);
  pane->addLayout(grid);
  previewText_ = new QPlainTextEdit(previewFrame_);
  SetControlId(previewText_, kIdPreviewText);
  previewText_->setReadOnly(true);
  previewText_->setAccessibleName("Preview");
  pane->addWidget(previewText_, 1);
  for (QWidget* w : {static_cast<QWidget*>(previewFrom_), static_cast<QWidget*>(previewSubject_),
                     static_cast<QWidget*>(previewText_), previewText_->viewport()})
    w->installEventFilter(this);
  previewFrame_->setMinimumWidth(260);
  previewFrame_->hide();
  top->addWidget(previewFrame_, 2);

  auto* buttons = new QHBoxLayout;
  auto button = [this, buttons](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    SetControlId(b, id);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  connect(button("&View", kIdView), &QPushButton::clicked, this,
          [this] { OpenView(FocusedRow()); });
  connect(button("&Update", kIdUpdate), &QPushButton::clicked, this, [this] { Update(); });
  connect(button("&Copy", kIdCopy), &QPushButton::clicked, this, [this] { Copy(); });
  connect(button("&Remove", kIdRemove), &QPushButton::clicked, this, [this] { Remove(); });
  connect(button("&Print", kIdPrint), &QPushButton::clicked, this, [this] { Print(); });
  previewButton_ = button("&>>", kIdPreview);
  // Its arrows say which way the pane goes; a screen reader says what for.
  previewButton_->setAccessibleName("Show preview");
  connect(previewButton_, &QPushButton::clicked, this, [this] { TogglePreview(); });
  buttons->addStretch(1);
  connect(button("Close", kIdClose), &QPushButton::clicked, this, [this] { Ok(); });
  outer->addLayout(buttons);
  resize(480, 320);
}

std::vector<int> TMessageListBaseClass::RowsToPrint() {
  std::vector<int> rows = SelectedRows();
  if (rows.size() > 1) return rows;
  std::vector<int> tagged;
  for (int32_t row = 0; row < rows_; ++row)
    if (Row(row).Tagged()) tagged.push_back(row);
  const int focused = FocusedRow();
  std::vector<int> all(static_cast<size_t>(rows_), 0);
  for (int32_t row = 0; row < rows_; ++row) all[size_t(row)] = row;
  if (focused < 0 && tagged.empty()) return all;
  QStringList items;
  int first = 0;
  if (focused >= 0) items << "Just this one";
  items << "All";
  if (!tagged.empty()) {
    items << "Tagged";
    first = int(items.size()) - 1;
  }
  const int chosen = Prompter().PickList("Print", items, first);
  if (chosen < 0 || chosen >= int(items.size())) return {};
  if (items[chosen] == "Just this one") return {focused};
  if (items[chosen] == "Tagged") return tagged;
  return all;
}

void TMessageListBaseClass::Print() {
  std::vector<MessageRef> refs;
  for (int row : RowsToPrint()) {
    const ListRow r = Row(row);
    refs.push_back({r.RecordNumber(), r.Number()});
  }
  if (!refs.empty()) PrintMessageRows(this, request_, refs);
}

bool TMessageListBaseClass::Start() {
  const UserState& user = CurrentUser();
  int ok = 1;
  if (request_.sendLog) {
    ok = SendLogOpen(sendLog_);
    if (ok) {
      ownWork_ = Table(user.workTableNames[kWorkC], records::sendlog::kListRowLength);
      ok = DbOpenWorkTable(ownWork_, DataDirectory());
      if (ok) work_ = &ownWork_;
    }
  } else {
    ok = MsgOpen(messages_);
    if (ok) work_ = &MessageWorkTable();
  }
  if (!ok) {
    ShowError();
    return false;
  }
  if (!Fill()) return false;
  return true;
}

bool TMessageListBaseClass::Fill() {
  const UserState& user = CurrentUser();
  // The user's own New view: the new messages are seen.
  if (!request_.sendLog && request_.view == kViewNew && request_.owner == user.number) {
    // A flag file that cannot be written is set right by the next send.
    if (GetFlagValue(user.flagPath) != 0 && !SetFlag(1, false, user.number)) ClearAppError();
    if (Services().newMessagesSeen) Services().newMessagesSeen();
  }
  Prompter().Working(true, "Building list...");
  int ok;
  if (request_.sendLog) {
    ok = SendLogQuery(sendLog_, CriteriaOf(request_), *work_);
  } else {
    ok = MsgQuery(messages_, CriteriaOf(request_), *work_);
  }
  Prompter().Working(false);
  rows_ = ok ? std::max<int32_t>(0, work_->scratch) : 0;
  marked_ = 0;
  model_->Reset();
  if (!ok) {
    ShowError();
    return false;
  }
  if (rows_ == 0) {
    Prompter().Inform("No messages");
    return false;
  }
  SetTitle();
  SelectRow(0);
  return true;
}

void TMessageListBaseClass::SetTitle() {
  setWindowTitle(FromCp1252(ListTitle(request_, rows_)));
}

void TMessageListBaseClass::Initialise() {
  TBaseDialog::Initialise();
  if (PreviewRemembered() != previewShown_) TogglePreview();
  PlaceWindowCentred(*this, Places().list);
  list_->setFocus();
}

ListRow TMessageListBaseClass::Row(int row) const {
  ListRow r(request_.sendLog);
  if (work_ == nullptr || row < 0 || row >= rows_) return r;
  ++reads_;
  if (!DbReadCached(*work_, row, r.Bytes())) {
    ClearAppError();
    return ListRow(request_.sendLog);
  }
  return r;
}

bool TMessageListBaseClass::WriteRow(int row, const ListRow& data) {
  if (work_ == nullptr || row < 0 || row >= rows_) return false;
  if (!DbWriteWorkRow(*work_, row, data.Bytes())) {
    ShowError();
    return false;
  }
  model_->RowChanged(row);
  return true;
}

QString TMessageListBaseClass::CellText(int row, int column) const {
  const int key = KeyOf(columns_, column);
  if (key == 0 || key == 4 || key < 0) return QString();
  return CellText(Row(row), column);
}

QString TMessageListBaseClass::CellPictureName(int row, int column) const {
  const int key = KeyOf(columns_, column);
  if (key != 0 && key != 4) return QString();
  return CellPictureName(Row(row), column);
}

QString TMessageListBaseClass::CellText(const ListRow& r, int column) const {
  const int key = KeyOf(columns_, column);
  switch (key) {
    case 1:
      return FromCp1252(Trimmed20(r.To(), r.Kind()));
    case 2:
      return FromCp1252(Trimmed20(r.From(), r.Kind()));
    case 3:
      if (!request_.sendLog) {
        if (r.Action() == msg::list_row::kActionArchive) return "-> ARCHIVE";
        if (r.Action() == msg::list_row::kActionDelete) return "-> DELETE";
        if (r.Action() == msg::list_row::kActionPut) return "-> " + FromCp1252(r.TargetName());
      }
      return FromCp1252(RowTimeText(r.Time()));
    case 5:
      if (r.Action() == msg::list_row::kActionArchive) return "-> ARCHIVE";
      if (r.Action() == msg::list_row::kActionDelete) return "-> DELETE";
      return FromCp1252(RowTimeText(r.ViewedTime()));
    default:
      return QString();
  }
}

QString TMessageListBaseClass::CellPictureName(const ListRow& r, int column) const {
  const int key = KeyOf(columns_, column);
  if (key != 0 && key != 4) return QString();
  if (key == 0) {
    if (r.Tagged()) return "Tagged";
    if (request_.sendLog) return QString();
    if (r.Flags() & msg::kFlagUrgent) return "Urgent";
    if (r.Flags() & msg::kFlagNotViewed) return "Not viewed";
    return QString();
  }
  switch (r.Kind()) {
    case msg::kKindPhone:
      return "Phone message";
    case msg::kKindMemo:
      return "Memo";
    case msg::kKindEmail:
      return "E-mail";
    default:
      return QString();
  }
}

int TMessageListBaseClass::FocusedRow() const {
  const QModelIndex current = list_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

std::vector<int> TMessageListBaseClass::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TMessageListBaseClass::SelectRow(int row) {
  if (row < 0 || row >= rows_) return;
  list_->setCurrentIndex(model_->index(row, 0));
  list_->selectionModel()->select(model_->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (previewShown_) ShowPreview(row);
}

// ---- Tags and marks ----

void TMessageListBaseClass::ToggleTag(int row) {
  ListRow r = Row(row);
  if (row < 0 || row >= rows_) return;
  r.SetTagged(!r.Tagged());
  marked_ += r.Tagged() ? 1 : -1;
  WriteRow(row, r);
}

void TMessageListBaseClass::TagSelected() {
  for (int row : SelectedRows()) ToggleTag(row);
}

int TMessageListBaseClass::FolderOfTheOwner(int focusedRow, std::string* name, int32_t* number) {
  int32_t start = 0;
  const ListRow focused = Row(focusedRow);
  if (focusedRow >= 0 && focused.Action() == msg::list_row::kActionPut) {
    start = focused.TargetNumber();
  } else if (request_.owner == CurrentUser().number) {
    start = CurrentUser().defaultFolder;
  }
  return ChooseOwnersFolder(this, request_.owner, start, name, number) ? 1 : 0;
}

void TMessageListBaseClass::Mark(uint8_t action) {
  std::string folderName;
  int32_t folderNumber = 0;
  if (action == msg::list_row::kActionPut &&
      !FolderOfTheOwner(FocusedRow(), &folderName, &folderNumber))
    return;
  std::vector<int> rows;
  if (marked_ > 0) {
    for (int row = 0; row < rows_; ++row)
      if (Row(row).Tagged()) rows.push_back(row);
  } else {
    rows = SelectedRows();
  }
  for (int row : rows) {
    ListRow r = Row(row);
    r.SetAction(action);
    r.SetTagged(false);
    if (action == msg::list_row::kActionPut) r.SetTarget(folderName, folderNumber);
    WriteRow(row, r);
  }
  marked_ = 0;
}

void TMessageListBaseClass::ApplyMarks() {
  if (work_ == nullptr) return;
  std::vector<int> rows;
  for (int row = 0; row < rows_; ++row)
    if (Row(row).Action() != 0) rows.push_back(row);
  if (rows.empty()) return;
  ProgressStep step;
  step.caption = "Progress...";
  step.label = "Updating list...";
  step.total = int32_t(rows.size());
  step.cancelAllowed = false;
  Prompter().Progress(step);
  for (size_t i = 0; i < rows.size(); ++i) {
    ListRow r = Row(rows[i]);
    int ok = 1;
    DbClearError();
    ClearAppError();
    if (request_.sendLog) {
      const SendLogEntry entry = r.LogEntry();
      if (r.Action() == msg::list_row::kActionArchive) {
        ok = SendLogMoveToFolder(sendLog_, entry, msg::kFolderArchive);
      } else if (r.Action() == msg::list_row::kActionDelete) {
        ok = SendLogDelete(sendLog_, entry);
      }
    } else {
      const MessageEntry entry = r.Entry();
      // A message the user saw in the preview counts as viewed.
      if ((r.Flags() & msg::kFlagNotViewed) && previewShown_) {
        MessageRecord record;
        if (!MsgStampViewed(messages_, entry, &record)) ShowError();
      }
      if (r.Action() == msg::list_row::kActionArchive) {
        ok = MsgMoveToFolder(messages_, entry, msg::kFolderArchive);
      } else if (r.Action() == msg::list_row::kActionPut) {
        ok = MsgMoveToFolder(messages_, entry, r.TargetNumber());
      } else if (r.Action() == msg::list_row::kActionDelete) {
        ok = MsgDelete(messages_, entry);
      }
    }
    if (!ok) {
      if (AppErrorCode() == 0 && DbGetError() == kDbRecordLocked) {
        Prompter().Inform("Record in use.");
      } else {
        ShowError();
      }
    }
    // Done (or reported): a second apply leaves the row alone.
    r.SetAction(0);
    DbWriteWorkRow(*work_, rows[i], r.Bytes());
    step.done = int32_t(i + 1);
    Prompter().Progress(step);
  }
  step.finished = true;
  Prompter().Progress(step);
  model_->Reset();
}

void TMessageListBaseClass::Update() {
  ApplyMarks();
  if (!Fill()) {
    CloseWith(0);
    deleteLater();
    return;
  }
}

void TMessageListBaseClass::Remove() {
  TRemoveDialog dialog(this, request_.sendLog, lastRemove_);
  const int chosen = RunMessagingDialog(dialog);
  if (chosen == 0) return;
  // After Undo the default goes to Folder... (in-box) or Delete (send log).
  lastRemove_ = chosen != kCmdUndo ? chosen : (request_.sendLog ? kCmdDelete : kCmdFolder);
  switch (chosen) {
    case kCmdDelete:
      Mark(msg::list_row::kActionDelete);
      break;
    case kCmdArchive:
      Mark(msg::list_row::kActionArchive);
      break;
    case kCmdFolder:
      Mark(msg::list_row::kActionPut);
      break;
    default:
      Mark(0);
      break;
  }
}

// ---- Sorting ----

void TMessageListBaseClass::Sort(int column) {
  if (column < 0 || column >= int(columns_.size()) || rows_ < 2) return;
  ListColumn& c = columns_[size_t(column)];
  const int key = c.key;
  const bool sendLog = request_.sendLog;
  const bool reverse = c.reverse;
  auto order = [key, sendLog](const uint8_t* a, const uint8_t* b) {
    ListRow ra(sendLog), rb(sendLog);
    std::memcpy(ra.Bytes(), a, size_t(ra.Length()));
    std::memcpy(rb.Bytes(), b, size_t(rb.Length()));
    int r = 0;
    switch (key) {
      case 0:
        r = -Compare(ra.Flags() & 6, rb.Flags() & 6);
        break;
      case 1:
        r = CompareNoCase(ra.To(), rb.To());
        break;
      case 2:
        r = CompareNoCase(ra.From(), rb.From());
        break;
      case 4:
        r = Compare(ra.Kind(), rb.Kind());
        break;
      case 5:
        r = Compare(ra.ViewedTime(), rb.ViewedTime());
        break;
      default:
        break;
    }
    if (r == 0) r = Compare(ra.Time(), rb.Time());
    if (r == 0 && !sendLog) r = -Compare(ra.Number(), rb.Number());
    return r;
  };
  RowCompare compare = order;
  if (reverse) compare = [order](const uint8_t* a, const uint8_t* b) { return -order(a, b); };
  Prompter().Working(true, "Sorting...");
  const int32_t rows = rows_;
  const int ok = DbSortWorkTable(*work_, CurrentUser().number, compare);
  work_->scratch = rows;
  Prompter().Working(false);
  if (!ok) ShowError();
  c.reverse = !c.reverse;
  model_->Reset();
  SelectRow(0);
}

// ---- Preview ----

void TMessageListBaseClass::TogglePreview() {
  previewShown_ = !previewShown_;
  PreviewRemembered() = previewShown_;
  previewButton_->setText(previewShown_ ? "&<<" : "&>>");
  previewButton_->setAccessibleName(previewShown_ ? "Hide preview" : "Show preview");
  previewFrame_->setVisible(previewShown_);
  if (previewShown_) {
    resize(std::max(width(), 760), height());
    ShowPreview(FocusedRow());
  }
}

void TMessageListBaseClass::ShowPreview(int row) {
  if (!previewShown_) return;
  previewFrom_->clear();
  previewSubject_->clear();
  previewText_->clear();
  if (row < 0 || row >= rows_) return;
  const ListRow r = Row(row);
  MessageRecord record;
  Table& table = request_.sendLog ? sendLog_.table : messages_.table;
  if (!DbReadRecord(table, r.RecordNumber(), record.bytes) || record.Number() != r.Number() ||
      record.bytes[msg::kMark.offset] == kDeletedMark) {
    ClearAppError();
    previewText_->setPlainText("Error reading message.");
    return;
  }
  auto wholeText = [&record](Field field) {
    std::string text;
    if (record.LongTextNote() != 0) {
      if (NoteRead(record.LongTextNote(), &text)) return text;
      ClearAppError();
    }
    return FieldText(record.bytes, field);
  };
  auto show = [this](const std::string& text) {
    QString t = FromCp1252(text);
    t.replace('\r', '\n');
    previewText_->setPlainText(t);
  };
  switch (record.Kind()) {
    case msg::kKindPhone:
      previewFrom_->setText(
          FromCp1252(record.From() + ", " + FieldText(record.bytes, msg::kCompany)));
      subjectLabel_->setText("Phone:");
      subjectLabel_->show();
      previewSubject_->show();
      previewSubject_->setAccessibleName("Phone:");
      previewSubject_->setText(FromCp1252(FieldText(record.bytes, msg::kPhone) + " " +
                                          FieldText(record.bytes, msg::kExtension)));
      show(wholeText(msg::kPhoneText));
      break;
    case msg::kKindMemo:
      previewFrom_->setText(FromCp1252(record.From()));
      subjectLabel_->hide();
      previewSubject_->hide();
      show(wholeText(msg::kMemoText));
      break;
    default: {
      previewFrom_->setText(FromCp1252(FieldText(record.bytes, msg::kSenderAddress)));
      subjectLabel_->setText("Subject:");
      subjectLabel_->show();
      previewSubject_->show();
      previewSubject_->setAccessibleName("Subject:");
      previewSubject_->setText(FromCp1252(FieldText(record.bytes, msg::kSubject)));
      // The body from its start, as the e-mail file holds it.
      std::string body;
      bool truncated = false;
      if (EmailReadBody(EmailFilePath(record.Number(), request_.sendLog), &body, kEmailBodyLimit,
                        &truncated)) {
        previewText_->setPlainText(FromCp1252(FromEmailLines(body)));
      } else {
        previewText_->setPlainText("Error reading email file.");
      }
      break;
    }
  }
  // A long caller and company read from their start.
  previewFrom_->setCursorPosition(0);
  previewSubject_->setCursorPosition(0);
}

// ---- Copy ----

std::vector<int> TMessageListBaseClass::RowsConcerned() const {
  std::vector<int> selected = SelectedRows();
  if (selected.size() >= 2) return selected;
  if (marked_ > 0) {
    std::vector<int> tagged;
    for (int row = 0; row < rows_; ++row)
      if (Row(row).Tagged()) tagged.push_back(row);
    return tagged;
  }
  return selected;
}

void TMessageListBaseClass::Copy() {
  // Phone messages and memos are copied apart from e-mails.
  std::vector<MessageRecord> records;
  std::vector<MessageRecord> emails;
  Table& table = request_.sendLog ? sendLog_.table : messages_.table;
  for (int row : RowsConcerned()) {
    const ListRow r = Row(row);
    MessageRecord record;
    if (!DbReadRecord(table, r.RecordNumber(), record.bytes) || record.Number() != r.Number() ||
        record.bytes[msg::kMark.offset] == kDeletedMark) {
      if (AppErrorCode() == 0) SetAppError(kAppIndexCorrupt, table.name);
      ShowError();
      return;
    }
    (r.Kind() == msg::kKindEmail ? emails : records).push_back(record);
  }
  if (records.empty() && emails.empty()) {
    QApplication::beep();
    return;
  }
  if (records.size() == 1) {
    CopyOneMessage(this, records[0], false, (records[0].Flags() & msg::kFlagUrgent) != 0);
  } else if (records.size() > 1) {
    CopySeveralMessages(this, records);
  }
  if (emails.size() == 1) {
    CopyOneEmail(this, emails[0], request_.sendLog, (emails[0].Flags() & msg::kFlagUrgent) != 0);
  } else if (emails.size() > 1) {
    CopySeveralEmails(this, emails, request_.sendLog);
  }
}

// ---- Views ----

TableHandle& TMessageListBaseClass::MessageHandle() {
  if (request_.sendLog) return sendLog_;
  return messages_;
}

void TMessageListBaseClass::OpenView(int row) {
  if (row < 0 || row >= rows_ || view_) return;
  const ListRow r = Row(row);
  TViewMessageBaseClass* view =
      MakeMessageView(this, MessageHandle(), r, row, rows_ - row - 1, request_, false);
  if (view == nullptr) return;
  view_ = view;
  viewRow_ = row;
  connect(view, &TBaseDialog::OwnerCommand, this, [this](int, int result) { ViewClosed(result); });
  view->OpenModelessDisablingOwner(kCmdViewClosed);
}

void TMessageListBaseClass::ViewClosed(int result) {
  auto* view = qobject_cast<TViewMessageBaseClass*>(view_.data());
  if (view == nullptr) return;
  const int row = viewRow_;
  const ListRow before = Row(row);
  const ListRow after = view->Row();
  if (before.Tagged() != after.Tagged()) marked_ += after.Tagged() ? 1 : -1;
  WriteRow(row, after);
  view_ = nullptr;
  view->deleteLater();
  if (previewShown_) ShowPreview(row);
  if (result == TViewMessageBaseClass::kIdNext && row + 1 < rows_) {
    SelectRow(row + 1);
    OpenView(row + 1);
  } else if (result == TViewMessageBaseClass::kIdPrev && row > 0) {
    SelectRow(row - 1);
    OpenView(row - 1);
  }
}

// ---- Menus and keys ----

QMenu* TMessageListBaseClass::ContextMenu() {
  if (SelectedRows().empty() && FocusedRow() >= 0) SelectRow(FocusedRow());
  auto* menu = new QMenu(this);
  menu->setObjectName(request_.sendLog ? "Sendlog" : "View");
  auto add = [this, menu](const QString& text, int id, std::function<void()> act) {
    QAction* a = menu->addAction(text);
    a->setProperty("commandId", id);
    connect(a, &QAction::triggered, this, std::move(act));
  };
  add("&View", kIdView, [this] { OpenView(FocusedRow()); });
  add("&Tag/Untag", kCmdTag, [this] { TagSelected(); });
  add("&Delete", kCmdDelete, [this] { Mark(msg::list_row::kActionDelete); });
  add("&Archive", kCmdArchive, [this] { Mark(msg::list_row::kActionArchive); });
  if (!request_.sendLog) add("&Folder...", kCmdFolder, [this] { Mark(msg::list_row::kActionPut); });
  add("&Undo", kCmdUndo, [this] { Mark(0); });
  return menu;
}

QMenu* TMessageListBaseClass::SystemMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("SystemMenu");
  menu->addSeparator();
  const std::pair<const char*, int> entries[] = {{"View &New", 600},
                                                 {"&Folder", 601},
                                                 {"&Archive", 602},
                                                 {"&Sendlog (new)", 620},
                                                 {"S&endlog (archive)", 621}};
  for (const auto& [text, id] : entries) {
    QAction* a = menu->addAction(text);
    a->setProperty("commandId", id);
    const int command = id;
    connect(a, &QAction::triggered, this, [this, command] { emit MainCommand(command); });
  }
  return menu;
}

void TMessageListBaseClass::contextMenuEvent(QContextMenuEvent* e) {
  // Outside the list: the window's own menu.
  QMenu* menu = SystemMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

bool TMessageListBaseClass::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Delete:
        Mark(msg::list_row::kActionDelete);
        return true;
      case Qt::Key_Space:
        ToggleTag(FocusedRow());
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        OpenView(FocusedRow());
        return true;
      default:
        break;
    }
  }
  if (watched == list_->viewport() && event->type() == QEvent::ContextMenu) {
    auto* e = static_cast<QContextMenuEvent*>(event);
    QMenu* menu = ContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
    return true;
  }
  if (watched != list_ && watched != list_->viewport() &&
      event->type() == QEvent::MouseButtonPress) {
    // A click into the preview opens the message.
    OpenView(FocusedRow());
    return true;
  }
  return TBaseDialog::eventFilter(watched, event);
}

// ---- Closing ----

void TMessageListBaseClass::Ok() {
  // "Close": the send log applies its marks here, the in-box whenever its
  // window goes.
  ApplyMarks();
  KeepPlacement(*this, Places().list);
  CloseWith(1);
  deleteLater();
}

void TMessageListBaseClass::closeEvent(QCloseEvent* e) {
  Dismiss();
  e->accept();
}

void TMessageListBaseClass::reject() {
  Dismiss();
}

void TMessageListBaseClass::Dismiss() {
  if (!IsOpen()) return;
  // The close box: the send log leaves its marks unapplied.
  if (request_.sendLog) {
    for (int row = 0; row < rows_; ++row) {
      ListRow r = Row(row);
      if (r.Action() != 0) {
        r.SetAction(0);
        DbWriteWorkRow(*work_, row, r.Bytes());
        model_->RowChanged(row);
      }
    }
  } else {
    ApplyMarks();
  }
  KeepPlacement(*this, Places().list);
  CloseWith(0);
  deleteLater();
}
