#include "toolkit/list/db_list.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstring>

#include "storage/check.h"
#include "storage/le.h"
#include "toolkit/control_id.h"
#include "toolkit/list/db_list_accessible.h"
#include "toolkit/list/scroll_tip.h"

// The list box: fixed-height owner-drawn rows. It keeps no items of its
// own; painting, keys and the mouse go to the list, which holds the page.
class TDBListBox : public QWidget {
 public:
  // The list is going: the focus leaving this box while the list's widget
  // is destroyed must not call back into it.
  void Detach() { list_ = nullptr; }
  explicit TDBListBox(TDBList* list) : QWidget(list), list_(list) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
  }
  int RowAt(int y) const { return y < 0 ? -1 : y / list_->RowHeight(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    list_->PaintRows(p, hasFocus());
  }
  void keyPressEvent(QKeyEvent* e) override {
    switch (e->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End:
      case Qt::Key_Space:
        list_->HandleKey(e->key(), e->modifiers());
        return;
      default:
        QWidget::keyPressEvent(e);
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    setFocus(Qt::MouseFocusReason);
    list_->ClickRow(RowAt(int(e->position().y())), e->modifiers(), e->button());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) list_->DragTo(int(e->position().y()));
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) list_->DoubleClickRow(RowAt(int(e->position().y())));
  }
  void focusInEvent(QFocusEvent*) override { update(); }
  void focusOutEvent(QFocusEvent*) override {
    update();
    if (list_) list_->ListBoxLostFocus();
  }

 private:
  TDBList* list_;
};

namespace {

// The page buffer for an entry that is not on the page.
const uint8_t kNoEntry[TDBList::kMaxEntryLength] = {};

void DrawTagMark(QPainter& p, int left, int top, const QColor& colour) {
  // A 16 by 16 tick.
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(colour, 2);
  p.setPen(pen);
  p.drawPolyline(QPolygon(
      {QPoint(left + 3, top + 8), QPoint(left + 6, top + 12), QPoint(left + 13, top + 3)}));
  p.restore();
}

}  // namespace

TDBList::TDBList(QWidget* parent, const QRect& rect, int id, Table& table, EntryFilter filter,
                 bool tagging)
    : QWidget(parent), table_(table), filter_(std::move(filter)), tagging_(tagging) {
  DP_CHECK(table_.IsOpen());
  SetControlId(this, id);
  InstallDbListAccessibility();
  box_ = new TDBListBox(this);
  SetControlId(box_, kListBoxId);
  if (parent) box_->setFont(parent->font());
  bar_ = new QScrollBar(Qt::Vertical, this);
  SetControlId(bar_, kScrollBarId);
  bar_->setRange(0, kLastPosition);
  bar_->setPageStep(1);
  bar_->setFocusPolicy(Qt::NoFocus);
  connect(bar_, &QScrollBar::actionTriggered, this, [this](int a) { ScrollAction(a); });
  connect(bar_, &QScrollBar::sliderMoved, this, [this](int p) { ThumbMoved(p); });
  connect(bar_, &QScrollBar::sliderReleased, this, [this] { ThumbReleased(); });
  setFocusProxy(box_);
  // A handle not yet positioned starts at the first entry.
  if (table_.IsOpen() && DbCurrentRecord(table_) == -1 && DbPositionState(table_) == kPosOrdinary)
    First();
  setGeometry(rect);
  Layout();
  Rebuild();
}

TDBList::~TDBList() {
  box_->Detach();
}

QWidget* TDBList::ListBox() const {
  return box_;
}

int TDBList::RowHeight() const {
  // Room for the 16-pixel tag mark or a line of text, whichever is taller.
  return std::max(16, box_->fontMetrics().height()) + 2;
}

// Counted movements. Each notes where it left the index (Moved), so that
// the page read that follows the list's own positioning starts there
// instead of finding its place again.

int TDBList::First() {
  ++reads_;
  return Moved(DbFirst(table_));
}

int TDBList::Last() {
  ++reads_;
  return Moved(DbLast(table_));
}

int TDBList::Next() {
  ++reads_;
  return Moved(DbNext(table_));
}

int TDBList::Prev() {
  ++reads_;
  return Moved(DbPrev(table_));
}

int TDBList::Find(const uint8_t* entry, int* exact) {
  ++reads_;
  return Moved(DbFind(table_, entry, exact));
}

int TDBList::Moved(int ok) {
  placed_ = ok != 0;
  placedRecord_ = DbCurrentRecord(table_);
  placedState_ = DbPositionState(table_);
  return ok;
}

// Whether the index still stands where the list's last movement left it:
// nobody else has moved the handle since.
bool TDBList::StillPlaced() {
  return placed_ && DbCurrentRecord(table_) == placedRecord_ &&
         DbPositionState(table_) == placedState_;
}

bool TDBList::IndexAtEnd() {
  return DbPositionState(table_) == kPosEnd;
}

// Layout and the page.

void TDBList::Layout() {
  const int w = std::max(0, width() - kScrollBarWidth);
  box_->setGeometry(0, 0, w, height());
  bar_->setGeometry(w, 0, kScrollBarWidth, height());
}

void TDBList::resizeEvent(QResizeEvent*) {
  const int before = selected_;
  Layout();
  Rebuild();
  if (before >= 0 && rowsFilled_ > 0) SelectRow(std::min(before, rowsFilled_ - 1));
  UpdateScrollBar();
}

void TDBList::Rebuild() {
  const int rows = std::max(0, box_->height() / RowHeight());
  if (rows == rowsPerPage_) return;
  rowsPerPage_ = rows;
  bar_->setRange(0, kLastPosition);
  if (!table_.IsOpen() || table_.indexes.empty()) return;
  entryLength_ = table_.Current().entryLength;
  page_.clear();
  rowsFilled_ = 0;
  if (!DP_CHECK(entryLength_ > 0 && entryLength_ <= kMaxEntryLength)) {
    entryLength_ = 0;
    return;
  }
  page_.assign(size_t(rowsPerPage_) * size_t(entryLength_), 0);
  // The refill must not be skipped by an end reached with the old size.
  atEnd_ = false;
  Fill(0);
}

// Puts the index back on the page's first entry, by key: another handle
// may have changed the tree since the page was read, and a deleted entry's
// successor is then the right place. Without a page, or when the owner has
// placed the index itself since (a name just added, a search), the entry
// the index stands on is found again.
int TDBList::Resync() {
  const int len = entryLength_;
  const bool leftByRead = DbCurrentRecord(table_) == placedRecord_ &&
                          DbPositionState(table_) == placedState_;
  if (topSet_ && len > 0 && leftByRead) {
    // Among equal keys the search finds the first: step on to the row's
    // own record.
    int exact = 0;
    if (!Find(top_, &exact)) return 0;
    const KeyComparator compare = table_.Current().compare;
    const int32_t record = GetI32(top_);
    while (DbCurrentRecord(table_) != record && !IndexAtEnd() &&
           compare(top_, table_.Current().currentEntry) == 0) {
      if (!Next()) return 0;
    }
    return 1;
  }
  const int32_t state = DbPositionState(table_);
  if (state == kPosEnd) return 1;
  if (DbCurrentRecord(table_) == -1 && state == kPosOrdinary) return First();
  uint8_t entry[kEntryBufferSize] = {};
  if (!DbCurrentEntry(table_, entry)) return 0;
  int exact = 0;
  return Find(entry, &exact);
}

// Steps over count entries the filter accepts (backwards when negative),
// then comes to rest on the nearest accepted entry.
int TDBList::StepIndex(int count) {
  Index& index = table_.Current();
  int counted = 0;
  if (count > 0) {
    while (counted < count) {
      if (!Next()) return 0;
      if (index.positionState == kPosEnd) break;
      if (filter_) {
        const int answer = filter_(index.currentEntry);
        if (answer < 0) break;
        if (answer == 0) continue;
      }
      ++counted;
    }
  } else {
    while (counted < -count) {
      if (!Prev()) return 0;
      if (index.positionState == kPosBeforeFirst || index.positionState == kPosEnd) break;
      if (filter_) {
        const int answer = filter_(index.currentEntry);
        // A stop behind the list (a list cut out of the middle of the
        // index): the list's first entry is the one after it.
        if (answer < 0) return Next();
        if (answer == 0) continue;
      }
      ++counted;
    }
    // Stepped back onto a hidden entry: forwards to the next shown one.
    while (filter_ && index.positionState != kPosEnd && filter_(index.currentEntry) == 0) {
      if (!Next()) return 0;
    }
  }
  return 1;
}

// Reads the page from the current position: rows the filter hides are
// used again for the next entry, a stop ends the page. The index is left
// after the page; the next read finds the page again by its first entry.
int TDBList::ReadPage(std::vector<uint8_t>& page, int* kept, bool* ended) {
  const int len = entryLength_;
  *kept = 0;
  *ended = false;
  uint8_t entry[kEntryBufferSize] = {};
  while (*kept < rowsPerPage_ && !IndexAtEnd()) {
    if (!DbCurrentEntry(table_, entry)) return 0;
    const int answer = filter_ ? filter_(entry) : 1;
    if (answer < 0) {
      *ended = true;
      break;
    }
    if (answer != 0) {
      std::memcpy(&page[size_t(*kept) * size_t(len)], entry, size_t(len));
      ++*kept;
    }
    if (!Next()) return 0;
  }
  if (IndexAtEnd()) *ended = true;
  return 1;
}

// Reads the page that ends at the current position, stepping backwards
// until the page is full or the list begins: the last page costs a step an
// entry, as the first does. A position past the list's end (the index's
// end, or one stop after the list) is stepped back over first.
int TDBList::ReadPageBack(std::vector<uint8_t>& page, int* kept) {
  const int len = entryLength_;
  const int rows = rowsPerPage_;
  *kept = 0;
  bool first = true;
  bool steppedOverStop = false;
  uint8_t entry[kEntryBufferSize] = {};
  while (*kept < rows) {
    const int32_t state = DbPositionState(table_);
    // The index's end only where the reading starts (an empty index stays
    // at its end however far it steps back).
    if (state == kPosBeforeFirst || (state == kPosEnd && !first)) break;
    first = false;
    if (state != kPosEnd) {
      if (!DbCurrentEntry(table_, entry)) return 0;
      const int answer = filter_ ? filter_(entry) : 1;
      if (answer < 0) {
        if (*kept > 0 || steppedOverStop) break;
        steppedOverStop = true;
      } else if (answer != 0) {
        ++*kept;
        std::memcpy(&page[size_t(rows - *kept) * size_t(len)], entry, size_t(len));
        if (*kept == rows) break;
      }
    }
    if (!Prev()) return 0;
  }
  // The rows were filled from the bottom up: move them to the top.
  if (*kept > 0 && *kept < rows)
    std::memmove(&page[0], &page[size_t(rows - *kept) * size_t(len)], size_t(*kept) * size_t(len));
  return 1;
}

void TDBList::TakePage(std::vector<uint8_t>& page, int kept, bool ended) {
  atEnd_ = ended;
  const bool countChanged = kept != rowsFilled_;
  page_ = std::move(page);
  rowsFilled_ = kept;
  topSet_ = kept > 0;
  if (topSet_) std::memcpy(top_, &page_[0], size_t(entryLength_));
  if (countChanged && selected_ >= rowsFilled_) selected_ = -1;
  lastFocus_ = -1;
  // Where the reading left the index: as long as it stands there, the next
  // read finds the page again by its first entry.
  placed_ = false;
  placedRecord_ = DbCurrentRecord(table_);
  placedState_ = DbPositionState(table_);
  box_->update();
}

int TDBList::Fill(int step) {
  if (atEnd_ && step > 0) return 1;
  if (rowsPerPage_ <= 0 || entryLength_ <= 0 || !table_.IsOpen()) return 1;
  const int len = entryLength_;
  // Unless the list has just placed the index itself, the page starts at
  // the shown page's first entry: find it again.
  if (!StillPlaced() && !Resync()) return 0;
  if (step != 0 && !StepIndex(step)) return 0;

  std::vector<uint8_t> page(size_t(rowsPerPage_) * size_t(len), 0);
  int kept = 0;
  bool ended = false;
  if (!ReadPage(page, &kept, &ended)) return 0;
  // Another workstation may have deleted every entry from here to the end,
  // or a step ran past the list's last entry onto a stop: rather than an
  // empty list, show the last page there is.
  if (kept == 0 && ended) {
    if (!StepIndex(-rowsPerPage_) || !ReadPage(page, &kept, &ended)) return 0;
  }
  TakePage(page, kept, ended);
  return 1;
}

int TDBList::SelectedRow() const {
  return selected_ >= 0 && selected_ < rowsFilled_ ? selected_ : -1;
}

const uint8_t* TDBList::EntryOfRow(int row) const {
  if (!DP_CHECK(row >= 0 && row < rowsFilled_)) return kNoEntry;
  return &page_[size_t(row) * size_t(entryLength_)];
}

void TDBList::SelectRow(int row) {
  if (row >= rowsFilled_) row = rowsFilled_ - 1;
  if (row < -1) row = -1;
  selected_ = row;
  box_->update();
  // One notification per change of the focused row.
  if (row >= 0 && row != lastFocus_) {
    lastFocus_ = row;
    NotifyDbListFocus(*this, row);
    emit Notify(kListSelChanged);
  }
}

void TDBList::UpdateScrollBar() {
  const int row = SelectedRow();
  const int position = row >= 0 ? std::clamp(ScrollPosition(EntryOfRow(row)), 0, kLastPosition) : 0;
  bar_->setSliderPosition(position);
  bar_->setValue(position);
}

int TDBList::Refresh(int step, int row) {
  const int ok = Fill(step);
  if (row >= rowsFilled_) row = rowsFilled_ - 1;
  selected_ = std::max(-1, row);
  lastFocus_ = selected_;
  box_->update();
  emit Notify(kListSelChanged);
  if (tagging_) {
    ClearTags();
    if (SelectedRow() >= 0) {
      const uint8_t* entry = EntryOfRow(selected_);
      std::memcpy(anchor_, entry, size_t(entryLength_));
      anchorSet_ = true;
      SetTag(entry, true);
    }
  }
  UpdateScrollBar();
  return ok;
}

// Movements.

void TDBList::LineUp() {
  if (selected_ <= 0) {
    Fill(-1);
    SelectRow(0);
  } else {
    SelectRow(selected_ - 1);
  }
}

void TDBList::LineDown() {
  if (selected_ < 0) {
    SelectRow(0);
  } else if (selected_ >= rowsFilled_ - 1) {
    Fill(1);
    SelectRow(rowsFilled_ - 1);
  } else {
    SelectRow(selected_ + 1);
  }
}

void TDBList::PageUp() {
  Fill(-rowsPerPage_);
  SelectRow(0);
}

void TDBList::PageDown() {
  Fill(rowsPerPage_);
  SelectRow(rowsFilled_ == rowsPerPage_ ? 0 : rowsFilled_ - 1);
}

void TDBList::Home() {
  if (SeekPosition(0)) Fill(0);
  SelectRow(0);
}

void TDBList::End() {
  // The last page, not just the last entry: read backwards from it to fill
  // the rows above.
  if (SeekPosition(kLastPosition) && rowsPerPage_ > 0 && entryLength_ > 0) {
    std::vector<uint8_t> page(size_t(rowsPerPage_) * size_t(entryLength_), 0);
    int kept = 0;
    if (ReadPageBack(page, &kept)) TakePage(page, kept, true);
  }
  SelectRow(rowsFilled_ - 1);
}

void TDBList::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  if (key == Qt::Key_Space) {
    const int row = SelectedRow();
    if (row < 0) return;
    if (tagging_ && (modifiers & Qt::ControlModifier)) {
      const uint8_t* entry = EntryOfRow(row);
      SetTag(entry, !IsTagged(entry));
    } else {
      ActOnEntry(EntryOfRow(row));
    }
    box_->update();
    return;
  }
  switch (key) {
    case Qt::Key_Up:
      LineUp();
      break;
    case Qt::Key_Down:
      LineDown();
      break;
    case Qt::Key_PageUp:
      PageUp();
      break;
    case Qt::Key_PageDown:
      PageDown();
      break;
    case Qt::Key_Home:
      Home();
      break;
    case Qt::Key_End:
      End();
      break;
    default:
      return;
  }
  ApplyTagging(SelectedRow(), modifiers, false);
  UpdateScrollBar();
}

void TDBList::ScrollAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      LineUp();
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      LineDown();
      break;
    case QAbstractSlider::SliderPageStepSub:
      PageUp();
      break;
    case QAbstractSlider::SliderPageStepAdd:
      PageDown();
      break;
    case QAbstractSlider::SliderToMinimum:
      Home();
      break;
    case QAbstractSlider::SliderToMaximum:
      End();
      break;
    default:
      // Thumb drags come through sliderMoved and sliderReleased.
      return;
  }
  UpdateScrollBar();
}

void TDBList::ThumbMoved(int position) {
  if (!tip_) {
    const QPoint topRight = bar_->mapToGlobal(QPoint(bar_->width(), 0));
    const int arrow = bar_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar_);
    tip_ = std::make_unique<TDBScrollTip>(topRight.x(), topRight.y(),
                                          std::max(0, bar_->height() - 3 * arrow));
  }
  tip_->Show(position, ScrollTipCharacter(position));
}

void TDBList::ThumbReleased() {
  const int position = bar_->sliderPosition();
  tip_.reset();
  if (SeekPosition(position)) Fill(0);
  SelectRow(0);
  UpdateScrollBar();
}

// Mouse.

void TDBList::ClickRow(int row, Qt::KeyboardModifiers modifiers, Qt::MouseButton button) {
  if (row < 0 || row >= rowsFilled_) return;
  if (button == Qt::RightButton) {
    ActOnEntry(EntryOfRow(row));
    SelectRow(row);
  } else if (button == Qt::LeftButton) {
    SelectRow(row);
    ApplyTagging(row, modifiers, true);
  } else {
    return;
  }
  UpdateScrollBar();
}

void TDBList::DragTo(int y) {
  // Past the top or bottom row the list scrolls one row at a time.
  if (y < 0) {
    Fill(-1);
    SelectRow(0);
  } else if (y >= box_->height()) {
    Fill(1);
    SelectRow(rowsFilled_ - 1);
  } else if (y >= rowsFilled_ * RowHeight()) {
    SelectRow(rowsFilled_ - 1);
  } else {
    SelectRow(y / RowHeight());
  }
  UpdateScrollBar();
}

void TDBList::DoubleClickRow(int row) {
  if (row >= 0 && row < rowsFilled_) emit Notify(kListDoubleClick);
}

void TDBList::ListBoxLostFocus() {
  emit Notify(kListKillFocus);
}

// Tags.

uint32_t TDBList::TagValue(const uint8_t* entry) const {
  return uint32_t(GetI32(entry)) + 1u;
}

void TDBList::ActOnEntry(const uint8_t*) {}

bool TDBList::IsTagged(const uint8_t* entry) {
  return tags_.Contains(TagValue(entry));
}

void TDBList::SetTag(const uint8_t* entry, bool on) {
  tags_.Set(TagValue(entry), on);
}

void TDBList::ClearTags() {
  tags_.ClearAll();
}

void TDBList::ApplyTagging(int row, Qt::KeyboardModifiers modifiers, bool mouse) {
  if (!tagging_ || row < 0) return;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool shift = modifiers & Qt::ShiftModifier;
  const uint8_t* entry = EntryOfRow(row);
  if (!ctrl) ClearTags();
  if (!shift) {
    std::memcpy(anchor_, entry, size_t(entryLength_));
    anchorSet_ = true;
  }
  if (!shift && !ctrl) SetTag(entry, true);
  if (ctrl && !shift && mouse) SetTag(entry, !IsTagged(entry));
  if (shift) {
    uint8_t to[kMaxEntryLength];
    std::memcpy(to, entry, size_t(entryLength_));
    TagRange(to);
  }
  box_->update();
}

// Tags every accepted entry from the anchor to the given entry, whichever
// comes first in the index, walking the index between them; then puts the
// index and the page back.
void TDBList::TagRange(const uint8_t* to) {
  if (!anchorSet_) {
    std::memcpy(anchor_, to, size_t(entryLength_));
    anchorSet_ = true;
  }
  const KeyComparator compare = table_.Current().compare;
  if (!DP_CHECK(compare != nullptr) || rowsFilled_ <= 0) return;
  uint8_t low[kEntryBufferSize] = {};
  uint8_t high[kEntryBufferSize] = {};
  const bool anchorFirst = compare(anchor_, to) <= 0;
  std::memcpy(low, anchorFirst ? anchor_ : to, size_t(entryLength_));
  std::memcpy(high, anchorFirst ? to : anchor_, size_t(entryLength_));
  uint8_t firstRow[kEntryBufferSize] = {};
  std::memcpy(firstRow, EntryOfRow(0), size_t(entryLength_));

  int exact = 0;
  if (Find(low, &exact)) {
    Index& index = table_.Current();
    while (!IndexAtEnd()) {
      const uint8_t* entry = index.currentEntry;
      const int answer = filter_ ? filter_(entry) : 1;
      if (answer < 0) break;
      if (answer != 0) SetTag(entry, true);
      if (compare(high, entry) <= 0) break;
      if (!Next()) break;
    }
  }
  // Back to the page's first entry, and the page read again.
  Find(firstRow, &exact);
  const int row = selected_;
  Fill(0);
  if (row >= 0 && rowsFilled_ > 0) selected_ = std::min(row, rowsFilled_ - 1);
  lastFocus_ = selected_;
}

// Drawing.

void TDBList::PaintRows(QPainter& p, bool hasFocus) {
  const QPalette& pal = box_->palette();
  const int h = RowHeight();
  const int w = box_->width();
  p.fillRect(box_->rect(), pal.color(QPalette::Base));
  for (int i = 0; i < rowsFilled_; ++i) {
    const QRect row(0, i * h, w, h);
    const uint8_t* entry = EntryOfRow(i);
    const bool lit = tagging_ ? IsTagged(entry) : i == selected_;
    p.fillRect(row, pal.color(lit ? QPalette::Highlight : QPalette::Base));
    const QColor ink = pal.color(lit ? QPalette::HighlightedText : QPalette::Text);
    p.setPen(ink);
    const bool focused = i == selected_ && hasFocus;
    if (DrawEntry(p, row, entry, focused)) DrawTagMark(p, 0, row.top() + (h - 16) / 2, ink);
    if (i == selected_) {
      QPen pen(ink, 1, Qt::DotLine);
      p.setPen(pen);
      p.drawRect(row.adjusted(0, 0, -1, -1));
    }
  }
}
