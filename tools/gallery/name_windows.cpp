#include "tools/gallery/name_windows.h"

#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "storage/catalogue.h"
#include "storage/records/name.h"

namespace {

const char* const kPeople[] = {"Adams, Ruth",     "Baker, Tom",  "Carter, Ann",   "Dunn, Peter",
                               "Evans, Mary",     "Fisher, Joe", "Garcia, Rosa",  "Hughes, Ian",
                               "M\xFCller, Hans", "Nash, Lee",   "O'Brien, Mary", "Young, Sam"};

int32_t NumberOf(NameTable& names, const char* name) {
  NameEntry entry;
  return NameFind(names, name, &entry) ? entry.Number() : 0;
}

}  // namespace

GalleryNameWindows::GalleryNameWindows() {
  const std::string path = dir_.path().toStdString() + "/";
  Table table(kNameTable);
  if (!DbCreateTable(table, path, kNameTable.version)) return;
  SetDataDirectory(path);
  NameTable names;
  if (!NameOpen(names)) return;
  for (const char* n : {"* - ALL", "*Accounts", "*Front desk"}) NameAdd(names, n);
  for (const char* n : kPeople) NameAdd(names, n);
  NameRecord accounts;
  if (NameFind(names, "*Accounts") && NameReadCurrent(names, &accounts) &&
      SetGroupMembers(accounts, {NumberOf(names, "Baker, Tom"), NumberOf(names, "Evans, Mary")}))
    NameFind(names, "*Accounts") && NameWriteCurrent(names, accounts);
  tags_[0] = NumberOf(names, "Baker, Tom");
  tags_[1] = NumberOf(names, "Dunn, Peter");
  NameClose(names);

  request_.mode = kPickEverything;
  request_.tagSet = tags_;
  SetFieldText(request_.slot.bytes, records::name::x1::kName, "*Accounts");
  picker_ = std::make_unique<NamePickerDialog>(nullptr, request_, passwords_);
  members_ = std::make_unique<MemberDialog>(nullptr, "*Accounts");
  addName_ = std::make_unique<AddNameDialog>(nullptr, "Create new group",
                                             AddNameDialog::kGroupLength, "Night shift");
}

GalleryNameWindows::~GalleryNameWindows() {
  picker_.reset();
  members_.reset();
  addName_.reset();
  SetDataDirectory("");
}

std::vector<std::pair<const char*, QWidget*>> GalleryNameWindows::Windows() {
  std::vector<std::pair<const char*, QWidget*>> windows;
  if (picker_ && picker_->Ready()) {
    picker_->OpenModeless();
    picker_->hide();
    windows.emplace_back("name-picker", picker_.get());
  }
  if (members_ && members_->Ready()) {
    members_->OpenModeless();
    members_->hide();
    windows.emplace_back("members", members_.get());
  }
  if (addName_) {
    addName_->OpenModeless();
    addName_->hide();
    windows.emplace_back("add-name", addName_.get());
  }
  return windows;
}

void GalleryNameWindows::Close() {
  for (TBaseDialog* d :
       {static_cast<TBaseDialog*>(picker_.get()), static_cast<TBaseDialog*>(members_.get()),
        static_cast<TBaseDialog*>(addName_.get())})
    if (d && d->IsOpen()) d->CloseWith(0);
}
