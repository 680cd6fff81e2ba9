// MESSAGE_LIST ("View Message"): one person's messages of one view (New, a
// folder, the archive, every folder) or the user's send log, as a sortable
// list with a preview pane. Rows are tagged and marked for archiving,
// deleting or filing; the marks take effect when the list is updated or
// closed (the in-box list whenever its window goes, the send log list only
// through its "Close" button). Each row opens its view window, which can
// step to the previous and next row.
//
// The list holds no texts: each visible cell is read from the user's work
// table by row number, through the work table's read cache.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

#include "data/messages/dpmess.h"
#include "messaging/list_request.h"
#include "messaging/list_row.h"
#include "toolkit/base_dialog.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QFrame;
class TMessageListBaseClass;

// One column of a list: header, width in pixels, sort key, reverse flag.
struct ListColumn {
  QString header;
  int width = 0;
  int key = 0;
  bool reverse = false;
};

// The list view's model: the row count and, per cell, what the work table's
// row says.
class MessageListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Owned by the list window, which it reads its rows from.
  explicit MessageListModel(TMessageListBaseClass& list);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  void Reset() {
    beginResetModel();
    cachedRow_ = -1;
    endResetModel();
  }
  void RowChanged(int row);

 private:
  // The row whose cells are being painted: a row is painted cell by cell,
  // so it is read from the work table once, not once per column.
  const ListRow& RowAt(int row) const;

  TMessageListBaseClass& list_;
  mutable int cachedRow_ = -1;
  mutable ListRow cached_;
};

class TMessageListBaseClass : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdList = 502;
  static constexpr int kIdView = 252;
  static constexpr int kIdUpdate = 202;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdRemove = 215;
  static constexpr int kIdPrint = 220;
  static constexpr int kIdPreview = 102;
  static constexpr int kIdClose = 1;
  static constexpr int kIdPreviewFrom = 151;
  static constexpr int kIdPreviewSubject = 152;
  static constexpr int kIdPreviewText = 101;
  static constexpr int kIdFromLabel = 120;
  static constexpr int kIdSubjectLabel = 121;
  static constexpr int kIdPreviewFrame = 603;
  // Commands of the context menus.
  static constexpr int kCmdTag = 244;
  static constexpr int kCmdDelete = 205;
  static constexpr int kCmdArchive = 264;
  static constexpr int kCmdFolder = 258;
  static constexpr int kCmdUndo = 263;
  // What a view window sends when it closes.
  static constexpr int kCmdViewClosed = 407;

  TMessageListBaseClass(QWidget* owner, const ListRequest& request);
  ~TMessageListBaseClass() override;

  // Opens the tables and fills the list; false when there was nothing to
  // show ("No messages" said) or a failure was shown: the window is then
  // not to be opened.
  bool Start();

  const ListRequest& Request() const { return request_; }
  bool IsSendLog() const { return request_.sendLog; }
  int32_t RowCount() const { return rows_; }
  int MarkedCount() const { return marked_; }
  // The work table's row (a zeroed row when it cannot be read).
  ListRow Row(int row) const;
  bool WriteRow(int row, const ListRow& data);
  const std::vector<ListColumn>& Columns() const { return columns_; }
  // The cell's text, and its picture for the "*" and "Type" columns.
  QString CellText(int row, int column) const;
  QString CellPictureName(int row, int column) const;
  QString CellText(const ListRow& r, int column) const;
  QString CellPictureName(const ListRow& r, int column) const;
  // Work-table reads made by the model since the last reset.
  long CellReads() const { return reads_; }
  void ResetCellReads() { reads_ = 0; }

  QTableView* List() const { return list_; }
  MessageListModel* Model() const { return model_; }
  int FocusedRow() const;
  std::vector<int> SelectedRows() const;
  void SelectRow(int row);
  bool PreviewShown() const { return previewShown_; }

  // The list's operations.
  void ToggleTag(int row);
  void TagSelected();
  void Mark(uint8_t action);
  void ApplyMarks();
  void Sort(int column);
  void TogglePreview();
  void ShowPreview(int row);
  void Update();
  void Remove();
  void Copy();
  // "&Print": several selected rows print; otherwise "Print" asks for
  // "Just this one", "All" or "Tagged" as far as they apply (no focused
  // and no tagged row: all print).
  void Print();
  // The rows Print would print, after its question (empty: cancelled).
  std::vector<int> RowsToPrint();
  void OpenView(int row);
  // The "View" or "Sendlog" context menu at the pointer.
  QMenu* ContextMenu();
  // The system menu's entries of the main window's views.
  QMenu* SystemMenu();
  // Close: the send log applies its marks here.
  void Ok() override;
  // Closes as the close box does: the in-box applies its marks, the send
  // log does not.
  void CloseList() { Dismiss(); }

  // The open view window of a row, or nullptr.
  TBaseDialog* OpenViewWindow() const { return view_; }
  // The table the views read ("MESSAGE" or "SENDLOG").
  TableHandle& MessageHandle();

 signals:
  // The main window's command from the system menu.
  void MainCommand(int command);

 protected:
  void Initialise() override;
  void closeEvent(QCloseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void Build();
  bool Fill();
  void SetTitle();
  void ViewClosed(int result);
  int FolderOfTheOwner(int focusedRow, std::string* name, int32_t* number);
  // The close box and Escape.
  void Dismiss();
  std::vector<int> RowsConcerned() const;
  friend class MessageListModel;

  ListRequest request_;
  std::vector<ListColumn> columns_;
  MessageTable messages_;
  SendLogTable sendLog_;
  Table ownWork_;  // the send log's work table "Wc<n>"
  Table* work_ = nullptr;
  int32_t rows_ = 0;
  int marked_ = 0;
  bool previewShown_ = false;
  bool applied_ = false;
  mutable long reads_ = 0;
  int lastRemove_ = 0;
  QTableView* list_ = nullptr;
  MessageListModel* model_ = nullptr;
  QPushButton* previewButton_ = nullptr;
  QFrame* previewFrame_ = nullptr;
  QLineEdit* previewFrom_ = nullptr;
  QLineEdit* previewSubject_ = nullptr;
  QLabel* subjectLabel_ = nullptr;
  QPlainTextEdit* previewText_ = nullptr;
  QPointer<TBaseDialog> view_;
  int viewRow_ = -1;
};

// The in-box lists (New, a folder, the archive, every folder).
class TMessageListClass : public TMessageListBaseClass {
  Q_OBJECT
 public:
  TMessageListClass(QWidget* owner, const ListRequest& request)
      : TMessageListBaseClass(owner, request) { setProperty("helpAnchor", "message-list"); }
};

// The user's send log.
class TSendlogListClass : public TMessageListBaseClass {
  Q_OBJECT
 public:
  TSendlogListClass(QWidget* owner, const ListRequest& request)
      : TMessageListBaseClass(owner, request) { setProperty("helpAnchor", "send-log"); }
};
