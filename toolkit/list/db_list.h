// TDBList: a list window over one index of one open table that never loads
// the table. It holds only the page of index entries that is visible and
// reads the next or previous entries from the index as the user scrolls, so
// it stays instant on any number of entries. Its scroll bar has 28 fixed
// positions (the top, "A" to "Z", the bottom) that a subclass maps to and
// from entries. A filter may hide entries or end the list; tagging lets the
// user mark many entries with the mouse and keys.
//
// The parent hears from the list through Notify(code): 1 the selected row
// changed, 2 a double click, 5 the list box lost the focus.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/database.h"
#include "toolkit/list/tag_store.h"
#include "toolkit/live_windows.h"

class QPainter;
class QScrollBar;
class TDBScrollTip;
class TDBListBox;

// Notification codes.
constexpr int kListSelChanged = 1;
constexpr int kListDoubleClick = 2;
constexpr int kListKillFocus = 5;

class TDBList : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kListBoxId = 101;
  static constexpr int kScrollBarId = 102;
  static constexpr int kScrollBarWidth = 20;
  static constexpr int kLastPosition = 27;
  // The anchor copy holds at most this many bytes of an entry.
  static constexpr int kMaxEntryLength = 75;

  // The table must be open; its current index is the one listed, from its
  // current position (a handle not yet positioned starts at the first
  // entry).
  TDBList(QWidget* parent, const QRect& rect, int id, Table& table, EntryFilter filter,
          bool tagging);
  ~TDBList() override;

  // Re-reads the page after stepping step entries (0: from the page's first
  // entry), selects the row (clipped to the last filled one; -1 none),
  // notifies the parent, and with tagging on makes the selected row the
  // only tagged one. Answers 0 when the index could not be read; the page
  // is then left as it was.
  int Refresh(int step, int row);

  // The selection when it lies among the filled rows, else -1.
  int SelectedRow() const;
  // Row i of the page; a row outside the filled ones fails the consistency
  // check and answers a zeroed entry.
  const uint8_t* EntryOfRow(int row) const;
  int RowsPerPage() const { return rowsPerPage_; }
  int RowsFilled() const { return rowsFilled_; }
  int EntryLength() const { return entryLength_; }
  bool AtEnd() const { return atEnd_; }
  bool Tagging() const { return tagging_; }
  int RowHeight() const;

  QWidget* ListBox() const;
  QScrollBar* ScrollBar() const { return bar_; }
  // The tip while the thumb is dragged, else nullptr.
  TDBScrollTip* ScrollTip() const { return tip_.get(); }
  TagStore& Tags() { return tags_; }

  // Index steps and searches made by the list since the last reset: tests
  // hold the list to "a page and a few steps" with it.
  long IndexReads() const { return reads_; }
  void ResetIndexReads() { reads_ = 0; }

  // Overridable operations.
  // The scroll position (0 to 27) of an entry.
  virtual int ScrollPosition(const uint8_t* entry) = 0;
  // Positions the table's current index at a scroll position.
  virtual int SeekPosition(int position) = 0;
  // Draws the entry in the row; answers whether the tag mark is drawn.
  virtual bool DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry,
                         bool focused) = 0;
  // Space bar and right button; the base does nothing.
  virtual void ActOnEntry(const uint8_t* entry);
  virtual bool IsTagged(const uint8_t* entry);
  virtual void SetTag(const uint8_t* entry, bool on);
  virtual void ClearTags();

  // The keys the list box handles, and its mouse actions (the list box
  // sends its events here).
  void HandleKey(int key, Qt::KeyboardModifiers modifiers);
  void ClickRow(int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button);
  void DragTo(int y);
  void DoubleClickRow(int row);
  void ListBoxLostFocus();
  void PaintRows(QPainter& painter, bool hasFocus);

 signals:
  void Notify(int code);

 protected:
  // The value the tag store keeps for an entry: the record number plus 1,
  // so that record 0 is not taken for a free slot. Subclasses with a
  // better identifier (a name number) override it.
  virtual uint32_t TagValue(const uint8_t* entry) const;

  // Counted index movements for the list and its subclasses.
  int First();
  int Last();
  int Next();
  int Prev();
  int Find(const uint8_t* entry, int* exact);

  Table& table_;

  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  void Rebuild();
  int Fill(int step);
  int ReadPage(std::vector<uint8_t>& page, int* kept, bool* ended);
  int ReadPageBack(std::vector<uint8_t>& page, int* kept);
  void TakePage(std::vector<uint8_t>& page, int kept, bool ended);
  int StepIndex(int step);
  int Resync();
  int Moved(int ok);
  bool StillPlaced();
  bool IndexAtEnd();
  void SelectRow(int row);
  void UpdateScrollBar();
  void ApplyTagging(int row, Qt::KeyboardModifiers modifiers, bool mouse);
  void TagRange(const uint8_t* to);
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();
  void Home();
  void End();
  void ThumbMoved(int position);
  void ThumbReleased();
  void ScrollAction(int action);

  LiveWindow live_;
  EntryFilter filter_;
  bool tagging_;
  int rowsPerPage_ = 0;
  int rowsFilled_ = 0;
  int entryLength_ = 0;
  std::vector<uint8_t> page_;
  uint8_t anchor_[kMaxEntryLength] = {};
  bool anchorSet_ = false;
  // The page's first entry, by which a page is found again in the index.
  uint8_t top_[kMaxEntryLength] = {};
  bool topSet_ = false;
  // Where the list's own last movement left the index: a page read right
  // after the list placed the index starts there without finding it again.
  bool placed_ = false;
  int32_t placedRecord_ = -1;
  int32_t placedState_ = 0;
  bool atEnd_ = false;
  int selected_ = -1;
  int lastFocus_ = -1;
  long reads_ = 0;
  TDBListBox* box_;
  QScrollBar* bar_;
  std::unique_ptr<TDBScrollTip> tip_;
  TagStore tags_;
};
