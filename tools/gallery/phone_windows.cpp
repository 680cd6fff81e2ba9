// The phone list windows of the gallery: the list with its detail pane, the
// entry dialog and its note, the categories of an entry (CAT) and of a
// search (SCAT), ADDCAT and EDITCAT, the search criteria and a search's
// results, on a small office whose tables live in a scratch directory that
// is the data directory while they are shown.
#include "tools/gallery/phone_windows.h"

#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

#include "data/messages/dpnote.h"
#include "data/office/datadir.h"
#include "data/office/empty_office.h"
#include "data/phone/dpphone.h"
#include "data/phone/phone_category.h"
#include "data/phone/phone_search.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_print.h"
#include "phonelist/phone_search_dialogs.h"
#include "phonelist/phone_settings.h"
#include "phonelist/phone_transfer_window.h"
#include "storage/catalogue.h"
#include "storage/records/phone.h"
#include "storage/worktable.h"
#include "toolkit/notes/note_editor.h"

namespace {

namespace ph = records::phone;

struct DemoEntry {
  const char* listname;
  const char* company;
  const char* street;
  const char* city;
  const char* state;
  const char* zip;
  const char* contact;
  const char* phone;
  const char* fax;
};

const DemoEntry kEntries[] = {
    {"Acme Supplies", "Acme Supplies Inc.", "1 Main St", "Boston", "MA", "02110", "John Smith",
     "617-555-1234", "617-555-9999"},
    {"Baker & Sons", "Baker & Sons", "22 Elm St", "Cambridge", "MA", "02139", "Ruth Baker",
     "617-555-2211", ""},
    {"Caf\xE9 M\xFCller", "Caf\xE9 M\xFCller", "5 Harbor Rd", "Salem", "MA", "01970",
     "Hans M\xFCller", "978-555-0142", ""},
    {"Carter Plumbing", "", "90 Oak Ave", "Quincy", "MA", "02169", "Ann Carter", "617-555-7788",
     ""},
    {"City Hall", "City of Boston", "1 City Hall Sq", "Boston", "MA", "02201", "", "617-555-4500",
     ""},
    {"Dunn, Peter", "", "", "", "", "", "", "555-3030", ""},
    {"Evans Travel", "Evans Travel", "8 Park Plaza", "Boston", "MA", "02116", "Mary Evans",
     "617-555-8000", "617-555-8001"},
    {"Fisher Legal", "Fisher & Hughes LLP", "100 State St", "Boston", "MA", "02109", "Joe Fisher",
     "617-555-6100", ""},
    {"Garcia, Rosa", "", "", "", "", "", "", "508-555-0199", ""},
    {"Hughes Printing", "Hughes Printing Co.", "4 Mill St", "Lowell", "MA", "01852", "Ian Hughes",
     "978-555-3131", ""},
    {"Nash Electric", "", "", "Newton", "MA", "", "Lee Nash", "617-555-2020", ""},
    {"O'Brien Catering", "O'Brien Catering", "7 Beacon St", "Boston", "MA", "02108", "Mary O'Brien",
     "617-555-5151", ""},
    {"Young Design", "Young Design Studio", "", "Somerville", "MA", "02143", "Sam Young",
     "617-555-9090", ""},
};

class PhoneWindows {
 public:
  PhoneWindows() {
    path_ = dir_.path().toStdString() + "/";
    CreateCatalogueTables(path_);
    SetDataDirectory(path_);
    PhoneSetCurrentList(PhoneList());
    Fill();
    PhoneSettings().placement.spare = 1;

    list_ = std::make_unique<TPhoneListClass>(nullptr);
    list_->resize(720, 420);
    PhoneEntry acme = Find("Acme Supplies", "617-555-1234");
    info_ = std::make_unique<TPhoneInfoClass>(nullptr, &acme);
    categories_ = std::make_unique<TCategoryDialog>(nullptr, acme.EntryNumber());
    criteria_.categories.Add(clients_);
    search_ = std::make_unique<TPhoneSearchClass>(nullptr, &criteria_);
    selection_.Add(suppliers_);
    searchCategories_ = std::make_unique<TCategoryDialog>(nullptr, &selection_);
    addCategory_ = std::make_unique<TCategoryNameDialog>(nullptr, "Add new category",
                                                         "&New category:", "Caterers");
    editCategory_ = std::make_unique<TCategoryNameDialog>(nullptr, "Edit category name",
                                                          "&Category:", "Contractors");
    note_ = std::make_unique<NoteEditorDialog>(nullptr, noteNumber_, kNoteEdit);
    MakeResults();
    importSummary_ = std::make_unique<PhoneImportSummaryDialog>(
        nullptr, "212 entries imported, 3 refused: see details",
        QStringList{"line 1: unknown column \"Birthday\" skipped",
                    "line 17: refused: duplicate: Acme Supplies with phone \"617-555-1234\" is "
                    "in the list already",
                    "line 58: refused: Listname holds \"\u2603\", which Windows-1252 lacks",
                    "line 140: Young Design: TITLE was not stored",
                    "line 201: refused: Company is longer than 40 characters"});
    reportSettings_.type = 1;
    report_ = std::make_unique<TReportSetupClass>(nullptr, &reportSettings_);
    labelSettings_.contact = 1;
    labels_ = std::make_unique<TLabelSetupClass>(nullptr, StandardLabelFormats(), &labelSettings_);
  }
  ~PhoneWindows() {
    importSummary_.reset();
    note_.reset();
    editCategory_.reset();
    searchCategories_.reset();
    labels_.reset();
    report_.reset();
    results_.reset();
    search_.reset();
    addCategory_.reset();
    categories_.reset();
    info_.reset();
    list_.reset();
    PhoneSettings() = PhoneListSettings();
    SetDataDirectory("");
  }

  void Add(std::vector<std::pair<const char*, QWidget*>>& windows) {
    if (list_->Ready()) {
      list_->OpenModeless();
      list_->List()->Refresh(0, 0);
      list_->List()->SetTag(list_->List()->EntryOfRow(3), true);
      list_->List()->SetTag(list_->List()->EntryOfRow(4), true);
      list_->hide();
      windows.emplace_back("phone-list", list_.get());
    }
    if (info_->Ready()) {
      info_->OpenModeless();
      info_->hide();
      windows.emplace_back("phone-entry", info_.get());
    }
    if (categories_->Ready()) {
      categories_->OpenModeless();
      categories_->List()->Refresh(0, 1);
      categories_->hide();
      windows.emplace_back("phone-categories", categories_.get());
    }
    if (searchCategories_->Ready()) {
      searchCategories_->OpenModeless();
      searchCategories_->List()->Refresh(0, 0);
      searchCategories_->hide();
      windows.emplace_back("phone-search-categories", searchCategories_.get());
    }
    addCategory_->OpenModeless();
    addCategory_->hide();
    windows.emplace_back("phone-add-category", addCategory_.get());
    editCategory_->OpenModeless();
    editCategory_->hide();
    windows.emplace_back("phone-edit-category", editCategory_.get());
    if (note_->Ready()) {
      note_->OpenModeless();
      note_->hide();
      windows.emplace_back("phone-entry-note", note_.get());
    }
    search_->OpenModeless();
    search_->hide();
    windows.emplace_back("phone-search", search_.get());
    if (results_) {
      results_->OpenModeless();
      results_->hide();
      windows.emplace_back("phone-search-results", results_.get());
    }
    importSummary_->OpenModeless();
    importSummary_->hide();
    windows.emplace_back("phone-import-summary", importSummary_.get());
    report_->OpenModeless();
    report_->hide();
    windows.emplace_back("phone-report-setup", report_.get());
    labels_->OpenModeless();
    labels_->hide();
    windows.emplace_back("phone-label-setup", labels_.get());
  }

 private:
  void Fill() {
    PhoneTable phones;
    if (!PhoneOpen(phones)) return;
    int32_t& note = noteNumber_;
    NoteNew(&note) && NoteWrite(note,
                                "Deliveries before 10am only.\rRing the bell at the side "
                                "door; the front is locked until 9.");
    for (const DemoEntry& e : kEntries) {
      PhoneRecord r;
      r.SetText(ph::kListname, e.listname);
      r.SetText(ph::kCompany, e.company);
      r.SetText(ph::kStreet1, e.street);
      r.SetText(ph::kCity, e.city);
      r.SetText(ph::kState, e.state);
      r.SetText(ph::kZip, e.zip);
      r.SetText(ph::kContact, e.contact);
      r.SetText(ph::kPhone1, e.phone);
      r.SetText(ph::kFax, e.fax);
      if (std::string(e.listname) == "Acme Supplies") {
        r.SetText(ph::kEmail, "orders@acme.example");
        r.SetText(ph::kUrl, "www.acme.example");
        r.SetText(ph::kMisc, "Account 4471\rNet 30");
        SetFieldI32(r.bytes, ph::kNote, note);
      }
      SetFieldI32(r.bytes, ph::kList, 0);
      PhoneAdd(phones, r);
    }
    PhoneClose(phones);
    CategoryTable cats;
    AssignmentTable links;
    if (!CategoryOpen(cats) || !AssignmentOpen(links)) return;
    CategoryRecord added;
    for (const char* name : {"Clients", "Contractors", "Suppliers", "Travel", "Vendors"}) {
      CategoryAdd(cats, 0, name, &added);
      if (std::string(name) == "Clients") clients_ = added.Number();
      if (std::string(name) == "Suppliers") suppliers_ = added.Number();
    }
    CategorySet set;
    const int32_t acme = Find("Acme Supplies", "617-555-1234").EntryNumber();
    CategoryToggle(links, acme, clients_, &set);
    CategoryToggle(links, acme, suppliers_, &set);
    AssignmentClose(links);
    CategoryClose(cats);
  }

  PhoneEntry Find(const std::string& listname, const std::string& phone) {
    PhoneTable h;
    PhoneEntry e;
    if (PhoneOpen(h)) {
      PhoneFind(h, 0, listname, phone, &e);
      PhoneClose(h);
    }
    return e;
  }

  void MakeResults() {
    PhoneTable phones;
    if (!PhoneOpen(phones)) return;
    auto table = std::make_unique<Table>("Wa0", ph::x1::kLength);
    PhoneCriteria c;
    c.city = "Boston";
    const int ok = PhoneSearch(phones, 0, c, {}, *table);
    PhoneClose(phones);
    if (!ok || (!table->IsOpen() && !DbOpenWorkTable(*table, path_))) return;
    const int32_t count = table->scratch;
    results_ = std::make_unique<TSearchListClass>(nullptr, std::move(table), count, 0);
    results_->View()->Results()->ToggleTag(1);
  }

  QTemporaryDir dir_;
  std::string path_;
  int32_t clients_ = 0;
  int32_t suppliers_ = 0;
  int32_t noteNumber_ = 0;
  CategorySet selection_;
  PhoneCriteria criteria_;
  std::unique_ptr<TPhoneListClass> list_;
  std::unique_ptr<TPhoneInfoClass> info_;
  std::unique_ptr<TCategoryDialog> categories_;
  std::unique_ptr<TCategoryDialog> searchCategories_;
  std::unique_ptr<TCategoryNameDialog> addCategory_;
  std::unique_ptr<TCategoryNameDialog> editCategory_;
  std::unique_ptr<NoteEditorDialog> note_;
  std::unique_ptr<TPhoneSearchClass> search_;
  std::unique_ptr<PhoneImportSummaryDialog> importSummary_;
  std::unique_ptr<TSearchListClass> results_;
  ReportSettings reportSettings_;
  LabelSettings labelSettings_;
  std::unique_ptr<TReportSetupClass> report_;
  std::unique_ptr<TLabelSetupClass> labels_;
};

}  // namespace

std::shared_ptr<void> AddPhoneWindows(std::vector<std::pair<const char*, QWidget*>>& windows) {
  auto holder = std::make_shared<PhoneWindows>();
  holder->Add(windows);
  return holder;
}
