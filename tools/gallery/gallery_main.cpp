// The toolkit's windows on demo values, one after another, so anyone can
// look at them. With DESKPOST_SCREENSHOT_DIR set each window is grabbed into
// "<dir>/NN-name.png" and the program ends; otherwise the windows stay open
// until the last one is closed.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/records/name.h"
#include "toolkit/base_dialog.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/field_rules.h"
#include "toolkit/form_builder.h"
#include "toolkit/list/name_list.h"
#include "toolkit/live_windows.h"
#include "toolkit/prompt_windows.h"
#include "tools/gallery/gallery_scheduler.h"
#include "tools/gallery/gallery_shell.h"
#include "tools/gallery/message_list_windows.h"
#include "tools/gallery/messaging_windows.h"
#include "tools/gallery/name_windows.h"
#include "tools/gallery/phone_windows.h"

namespace {

struct DemoRecord {
  char caller[21] = "Mary O'Brien";
  // Record text is Windows-1252, as on disk.
  char company[31] = "Caf\xE9 M\xFCller & S\xF6hne";
  char phone[21] = "617-555-1234";
  char time[8] = " 9:30AM";
  int32_t date = 0;
  char text[200] = "Please call back about the\rinvoice of last week.";
  int32_t kind = 0;
  uint8_t rush = 1;
  uint8_t callBack = 0;
};

const char* const kKinds[] = {"Phone message", "Memo", "E-mail"};

// Every field kind in one dialog, laid out as the windows will be.
class DemoDialog : public TBaseDialog {
 public:
  explicit DemoDialog(DemoRecord* r) : TBaseDialog(nullptr, "Field controls") {
    FormBuilder form(this);
    form.Edit("&Caller:", 101, 20);
    form.Edit("C&ompany:", 102, 20);
    form.Edit("&Phone:", 103);
    form.Edit("&Time:", 104);
    form.Edit("&Date:", 105);
    form.Combo("&Kind:", 106);
    form.MultiLine("Te&xt:", 107);
    form.CheckBox("&Rush", 108);
    form.CheckBox("Call &back", 109);
    form.OkCancel(this);
    Bind<TEditControl>(101, r->caller, sizeof r->caller, true);
    Bind<TEditControl>(102, r->company, sizeof r->company);
    Bind<TPhoneEditControl>(103, r->phone, sizeof r->phone);
    Bind<TTimeEditControl>(104, r->time, sizeof r->time);
    Bind<TDateControl>(105, &r->date);
    Bind<TComboControl>(106, kKinds, 3, &r->kind);
    Bind<TMultiLineEditControl>(107, r->text, sizeof r->text);
    Bind<TCheckBoxControl>(108, &r->rush);
    Bind<TCheckBoxControl>(109, &r->callBack);
  }
};

// A names table in a scratch directory, for the list control.
class DemoNames {
 public:
  DemoNames() : table_(kNameTable) {
    const std::string path = dir_.path().toStdString() + "/";
    if (!DbCreateTable(table_, path, 1) || !DbOpenTable(table_, path)) return;
    const char* const names[] = {"*Accounts",       "*Everybody",  "Adams, Ruth",   "Baker, Tom",
                                 "Carter, Ann",     "Dunn, Peter", "Evans, Mary",   "Fisher, Joe",
                                 "Garcia, Rosa",    "Hughes, Ian", "Ito, Ken",      "Jones, Beth",
                                 "M\xFCller, Hans", "Nash, Lee",   "O'Brien, Mary", "Young, Sam"};
    int32_t number = 1;
    for (const char* name : names) {
      uint8_t rec[records::name::kRecordSize] = {};
      SetFieldText(rec, records::name::kName, name);
      SetFieldI32(rec, records::name::kNumber, number++);
      DbAppendRecord(table_, rec);
    }
    DbFirst(table_);
  }
  ~DemoNames() {
    if (table_.IsOpen()) DbCloseTable(table_);
  }
  Table& table() { return table_; }

 private:
  QTemporaryDir dir_;
  Table table_;
};

// The names list with a few rows tagged, in a plain window.
class NameListWindow : public QWidget {
 public:
  explicit NameListWindow(Table& names) {
    setWindowTitle("Names");
    list_ = new TNameList(this, QRect(8, 8, 240, 260), 300, names, nullptr, true);
    resize(256, 276);
  }
  void TagDemoRows() {
    list_->Refresh(0, 2);
    for (int row : {4, 6})
      if (row < list_->RowsFilled()) list_->SetTag(list_->EntryOfRow(row), true);
  }

 private:
  TNameList* list_;
};

void Save(QWidget* w, const QString& dir, int n, const char* name) {
  QString path = QString("%1/%2-%3.png").arg(dir).arg(n, 2, 10, QChar('0')).arg(name);
  if (!w->grab().save(path)) {
    std::fprintf(stderr, "gallery: cannot write %s\n", qPrintable(path));
  } else {
    std::printf("%s\n", qPrintable(path));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString dir = qEnvironmentVariable("DESKPOST_SCREENSHOT_DIR");
  bool shots = !dir.isEmpty();
  if (shots) QDir().mkpath(dir);

  int rc = 0;
  {
    DemoRecord rec;
    ParseDate("3-14-99", &rec.date);
    DemoDialog demo(&rec);
    YesNoAllBox yesNoAll("Replace the entry \"Weekly meeting\"?", nullptr);
    OptionBox option("Print", "Print the day or the week?", "&Day", "&Week", nullptr);
    PickListBox pick("Folders", {"Inbox", "Clients", "Suppliers", "Archive 1999"}, 1, nullptr);
    ProgressBox progress(nullptr);
    progress.Show({"Progress...", "Exporting", 42, 100, true, false});
    SearchingBox searching(nullptr);
    WorkingBox working("Sorting the phone list...", nullptr);
    FlashBox* flash = new FlashBox("Entry added.", nullptr);
    flash->setAttribute(Qt::WA_DeleteOnClose, false);
    std::unique_ptr<FlashBox> flashOwner(flash);
    auto question = MakeMessageBox(BoxKind::Question, "Changes not saved, are you sure?");
    DemoNames names;
    NameListWindow nameList(names.table());

    std::vector<std::pair<const char*, QWidget*>> windows = {
        {"fields", &demo},        {"yes-no-all", &yesNoAll}, {"option", &option},
        {"pick-list", &pick},     {"progress", &progress},   {"searching", &searching},
        {"working", &working},    {"flash", flash},          {"question", question.get()},
        {"name-list", &nameList},
    };
    GalleryNameWindows nameWindows;
    for (auto& window : nameWindows.Windows()) windows.push_back(window);
    GalleryMessagingWindows messagingWindows;
    for (auto& window : messagingWindows.Windows()) windows.push_back(window);
    GalleryListWindows listWindows;
    for (auto& window : listWindows.Windows()) windows.push_back(window);
    ShellGallery shell;
    for (auto& window : shell.Windows()) windows.push_back(window);
    GalleryScheduler scheduler;
    for (auto& window : scheduler.Windows()) windows.push_back(window);
    std::shared_ptr<void> phoneWindows = AddPhoneWindows(windows);
    demo.OpenModeless();
    nameList.show();
    nameList.TagDemoRows();
    nameList.hide();
    if (shots) {
      int n = 1;
      for (auto& [name, w] : windows) {
        w->show();
        w->adjustSize();
        QApplication::processEvents();
        Save(w, dir, n++, name);
        w->hide();
      }
      demo.CloseWith(0);
      nameWindows.Close();
      messagingWindows.Close();
      listWindows.Close();
      scheduler.Close();
    } else {
      int x = 40;
      for (auto& [name, w] : windows) {
        w->move(x, x);
        w->show();
        x += 30;
      }
      rc = app.exec();
    }
  }
  // Every window object is gone by now.
  return CheckNoLiveWindows() ? rc : 1;
}
