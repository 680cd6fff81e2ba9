#include "toolkit/list/db_list_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <algorithm>
#include <map>
#include <vector>

#include "toolkit/list/db_list.h"

namespace {

// A paint device that keeps the texts drawn on it and nothing else: the
// row is drawn onto it exactly as on the screen, so what a screen reader
// reads is what a sighted user sees, elided columns and all.
class TextEngine : public QPaintEngine {
 public:
  struct Piece {
    QPointF at;
    QString text;
  };
  std::vector<Piece> pieces;

  TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    if (!item.text().trimmed().isEmpty()) pieces.push_back({p, item.text()});
  }
  Type type() const override { return QPaintEngine::User; }
};

class TextDevice : public QPaintDevice {
 public:
  TextDevice(const QWidget* like, QSize size) : like_(like), size_(size) {}
  QPaintEngine* paintEngine() const override { return &engine_; }
  TextEngine& Engine() { return engine_; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmWidthMM:
        return size_.width() * 254 / (10 * like_->logicalDpiX());
      case PdmHeightMM:
        return size_.height() * 254 / (10 * like_->logicalDpiY());
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
      case PdmNumColors:
        return 0x7fffffff;
      case PdmDepth:
        return 32;
      case PdmDpiX:
      case PdmPhysicalDpiX:
        return like_->logicalDpiX();
      case PdmDpiY:
      case PdmPhysicalDpiY:
        return like_->logicalDpiY();
      default:
        return 0;
    }
  }

 private:
  const QWidget* like_;
  QSize size_;
  mutable TextEngine engine_;
};

// The list box is the list's one child of plain QWidget class (the scroll
// bar is a QScrollBar). It may be asked about before the list's
// constructor has finished, so it is known by that and not by ListBox().
TDBList* ListOf(QObject* box) {
  if (box == nullptr || box->metaObject() != &QWidget::staticMetaObject) return nullptr;
  return qobject_cast<TDBList*>(box->parent());
}

class RowAccessible;

// The list box: a list whose children are the rows of the visible page.
class ListBoxAccessible : public QAccessibleWidget {
 public:
  explicit ListBoxAccessible(QWidget* box) : QAccessibleWidget(box, QAccessible::List) {}
  ~ListBoxAccessible() override;

  TDBList* List() const { return ListOf(widget()); }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    // The window names the list on the list box or on the list itself.
    QString name = widget()->accessibleName();
    if (name.isEmpty() && List()) name = List()->accessibleName();
    return name.isEmpty() ? QAccessibleWidget::text(t) : name;
  }
  int childCount() const override { return List() ? List()->RowsFilled() : 0; }
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override {
    TDBList* list = List();
    if (!list) return nullptr;
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    if (!widget()->rect().contains(local)) return nullptr;
    const int row = local.y() / list->RowHeight();
    return row < list->RowsFilled() ? child(row) : nullptr;
  }

 private:
  mutable std::map<int, QAccessible::Id> rows_;
};

// One row of the visible page; it answers for whatever entry fills it now.
class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  RowAccessible(QWidget* box, int row) : box_(box), row_(row) {}

  TDBList* List() const { return ListOf(box_); }
  bool isValid() const override { return List() && row_ < List()->RowsFilled(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return box_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(box_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    TDBList* list = List();
    if (t != QAccessible::Name || !list) return QString();
    return DbListRowText(*list, row_);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    TDBList* list = List();
    if (!list) return QRect();
    const int h = list->RowHeight();
    return QRect(box_->mapToGlobal(QPoint(0, row_ * h)), QSize(box_->width(), h));
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State s;
    TDBList* list = List();
    if (!list) {
      s.invalid = true;
      return s;
    }
    s.selectable = true;
    s.focusable = true;
    const bool selected = list->SelectedRow() == row_;
    s.selected = selected;
    s.focused = selected && box_->hasFocus();
    s.active = selected;
    if (list->Tagging()) {
      s.checkable = true;
      s.checked = list->IsTagged(list->EntryOfRow(row_));
    }
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  // "SetFocus" selects the row as a click does; "Press" opens it as a
  // double click does.
  QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
  void doAction(const QString& name) override {
    TDBList* list = List();
    if (!list || row_ >= list->RowsFilled()) return;
    list->ListBox()->setFocus(Qt::OtherFocusReason);
    list->ClickRow(row_, Qt::NoModifier, Qt::LeftButton);
    if (name == pressAction()) list->DoubleClickRow(row_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QWidget* box_;
  int row_;
};

ListBoxAccessible::~ListBoxAccessible() {
  for (const auto& [row, id] : rows_) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* ListBoxAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  auto found = rows_.find(index);
  if (found == rows_.end()) {
    auto* row = new RowAccessible(widget(), index);
    found = rows_.emplace(index, QAccessible::registerAccessibleInterface(row)).first;
  }
  return QAccessible::accessibleInterface(found->second);
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (const auto& [row, id] : rows_) {
    if (QAccessible::accessibleInterface(id) == child) return row < childCount() ? row : -1;
  }
  return -1;
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* box = qobject_cast<QWidget*>(object); box && ListOf(box)) {
    return new ListBoxAccessible(box);
  }
  return nullptr;
}

}  // namespace

QString DbListRowText(TDBList& list, int row) {
  if (row < 0 || row >= list.RowsFilled()) return QString();
  const QWidget* box = list.ListBox();
  const int h = list.RowHeight();
  TextDevice device(box, QSize(box->width(), h));
  {
    QPainter painter(&device);
    painter.setFont(box->font());
    list.DrawEntry(painter, QRect(0, 0, box->width(), h), list.EntryOfRow(row), false);
  }
  std::vector<TextEngine::Piece> pieces = device.Engine().pieces;
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const auto& a, const auto& b) { return a.at.x() < b.at.x(); });
  QStringList texts;
  for (const auto& piece : pieces) texts << piece.text.trimmed();
  return texts.join("  ");
}

void InstallDbListAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}

void NotifyDbListFocus(TDBList& list, int row) {
  if (!QAccessible::isActive() || row < 0 || !list.ListBox()->hasFocus()) return;
  QAccessibleEvent event(list.ListBox(), QAccessible::Focus);
  event.setChild(row);
  QAccessible::updateAccessibility(&event);
}
