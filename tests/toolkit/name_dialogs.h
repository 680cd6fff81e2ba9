// Drives the name windows without a modal loop: a queue of scripted steps
// answers each nested dialog (ADD_NAME, SELECT_MEMBERS, SELECT_NAME) the
// picker opens, by control id and real key and mouse events.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/names/add_name_dialog.h"
#include "toolkit/names/member_dialog.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/names/picker_list.h"
#include "toolkit/names/search_field.h"

// One opened dialog as the user saw it.
struct SeenDialog {
  QString caption;
  int maxLength = -1;  // of ADD_NAME's field
  QString initial;     // ADD_NAME's text on opening
};

class DialogScript {
 public:
  using Step = std::function<void(TBaseDialog&)>;

  DialogScript() {
    SetNameDialogRunner([this](TBaseDialog& d) {
      d.OpenModeless();
      SeenDialog seen;
      seen.caption = d.windowTitle();
      if (auto* e = FindControlAs<QLineEdit>(&d, AddNameDialog::kIdName)) {
        seen.maxLength = e->maxLength();
        seen.initial = e->text();
      }
      opened.push_back(seen);
      if (steps.empty()) {
        d.CloseWith(0);
      } else {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
      }
      return d.Result();
    });
  }
  ~DialogScript() { SetNameDialogRunner(nullptr); }

  void Then(Step step) { steps.push_back(std::move(step)); }
  // ADD_NAME: types the text and presses OK.
  void TypeName(const QString& text) {
    Then([text](TBaseDialog& d) {
      auto* e = FindControlAs<QLineEdit>(&d, AddNameDialog::kIdName);
      e->selectAll();
      QTest::keyClicks(e, text);
      Press(d, kIdOk);
    });
  }
  void Cancel() {
    Then([](TBaseDialog& d) { Press(d, kIdCancel); });
  }

  static void Press(QWidget& d, int id) {
    QTest::mouseClick(FindControlAs<QPushButton>(&d, id), Qt::LeftButton);
  }

  std::deque<Step> steps;
  std::vector<SeenDialog> opened;
};

// The names on a list's page, top to bottom.
inline std::vector<std::string> PageNames(const TDBList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.RowsFilled(); ++i) names.push_back(EntryName(list.EntryOfRow(i)));
  return names;
}

inline int RowOf(const TDBList& list, const std::string& name) {
  for (int i = 0; i < list.RowsFilled(); ++i)
    if (EntryName(list.EntryOfRow(i)) == name) return i;
  return -1;
}

inline QPoint RowPoint(const TDBList& list, int row) {
  return QPoint(40, row * list.RowHeight() + list.RowHeight() / 2);
}

inline void ClickRow(TDBList& list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier,
                     Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(list.ListBox(), button, mods, RowPoint(list, row));
}
inline void ClickRow(TDBList& list, const std::string& name,
                     Qt::KeyboardModifiers mods = Qt::NoModifier,
                     Qt::MouseButton button = Qt::LeftButton) {
  ClickRow(list, RowOf(list, name), mods, button);
}

inline std::string SelectedName(const TPickerList& list) {
  std::string name;
  list.SelectedName(&name);
  return name;
}

// Types into a search field as the user does: the old text replaced.
inline void TypeSearch(NameSearchField* field, const QString& text) {
  field->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(field, Qt::Key_Delete);
  } else {
    QTest::keyClicks(field, text);
  }
}
