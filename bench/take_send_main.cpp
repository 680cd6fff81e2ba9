// bench/take_send: the Take window's "&Send" of a phone message to a group
// of 50 people, offscreen, against the data layer's send of the same
// message to the same 50 (TakeSend, what the window calls once its form is
// gathered), in the same run and on the same office. Not a test: it
// measures what the window adds to the walk.
//
//   take_send [--members N] [--repeat N]
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/median.h"
#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpmess.h"
#include "data/messages/take_send.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "messaging/take_window.h"
#include "storage/catalogue.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "toolkit/control_id.h"
#include "toolkit/scripted_prompts.h"

namespace msg = records::message;
namespace nm = records::name;

namespace {

using bench::Median;

int32_t g_now = 0;
constexpr char kGroup[] = "*STAFF";

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// RECEPTION, the members "STAFF 01" and on, and the group of them all.
bool MakeOffice(const std::string& dir, int members, int32_t* group,
                std::vector<int32_t>* numbers) {
  if (!CreateEmptyOffice(dir)) return false;
  SetDataDirectory(dir);
  DbSetErrorReporter(TranslateEngineError);
  NameTable names;
  if (!NameOpen(names)) return false;
  bool ok = NameAdd(names, "RECEPTION") == 1;
  for (int i = 1; ok && i <= members; ++i) {
    char name[20];
    std::snprintf(name, sizeof name, "STAFF %02d", i);
    NameEntry e;
    ok = NameAdd(names, name) && NameFind(names, name, &e);
    if (ok) numbers->push_back(e.Number());
  }
  NameEntry e;
  ok = ok && NameAdd(names, kGroup) && NameFind(names, kGroup, &e);
  if (ok) *group = e.Number();
  NameClose(names);
  NameRecord staff;
  ok = ok && NameLookup(kGroup, &staff) && SetGroupMembers(staff, *numbers) && NameUpdate(staff);
  SetDataDirectory("");
  return ok;
}

// The name picker as a person uses it for the group: the group's name and
// number, and its members tagged.
class GroupPicker : public NamePicker {
 public:
  GroupPicker(int32_t group, const std::vector<int32_t>& members)
      : group_(group), members_(members) {}
  bool PickName(uint8_t* nameRecord, int32_t* tagSet, int, const std::string&) override {
    std::memset(nameRecord, 0, nm::kRecordSize);
    SetFieldText(nameRecord, nm::kName, kGroup);
    SetFieldI32(nameRecord, nm::kNumber, group_);
    std::memset(tagSet, 0, sizeof(int32_t) * kTagSetSize);
    tagSet[0] = group_;
    for (size_t i = 0; i < members_.size() && i + 1 < size_t(kTagSetSize); ++i)
      tagSet[i + 1] = members_[i];
    return true;
  }

 private:
  int32_t group_;
  std::vector<int32_t> members_;
};

void FillSlip(TakeWindow& w) {
  FindControlAs<QLineEdit>(&w, TakeWindow::kIdPhoneFrom)->setText("Mr Smith");
  FindControlAs<QLineEdit>(&w, TakeWindow::kIdCompany)->setText("Smith Tools");
  FindControlAs<QLineEdit>(&w, TakeWindow::kIdPhone)->setText("555-0100");
}

MessageRecord Slip() {
  MessageRecord r;
  SetFieldByte(r.bytes, msg::kKind, msg::kKindPhone);
  SetFieldText(r.bytes, msg::kFrom, "Mr Smith");
  SetFieldText(r.bytes, msg::kCompany, "Smith Tools");
  SetFieldText(r.bytes, msg::kPhone, "555-0100");
  SetFieldI32(r.bytes, msg::kFolder, msg::kFolderNew);
  return r;
}

long StoredMessages() {
  MessageTable h;
  if (!MsgOpen(h)) return -1;
  long count = 0;
  DbSetCurrentIndex(h.table, 0);
  for (int ok = DbFirst(h.table); ok && DbPositionState(h.table) != kPosEnd; ok = DbNext(h.table))
    ++count;
  MsgClose(h);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // "Attach CC: list?" gets No, unanswered, in both roads alike.
  ScriptedPrompts prompts;
  int members = 50, repeat = 7;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--members") == 0) members = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--repeat") == 0) repeat = std::atoi(argv[i + 1]);
  }
  QTemporaryDir tmp;
  const std::string dir = tmp.path().toStdString() + "/";
  g_now = FromLocal(2027, 3, 1, 8, 0);
  SetClock([] { return g_now; });
  int32_t group = 0;
  std::vector<int32_t> numbers;
  if (!MakeOffice(dir, members, &group, &numbers) || !StartUser(dir, "RECEPTION")) {
    std::fprintf(stderr, "could not make the office\n");
    return 1;
  }
  std::printf("office: RECEPTION and %s of %d members\n", kGroup, members);

  GroupPicker picker(group, numbers);
  TakeWindow w(nullptr, kTakePhone, &picker);
  w.OpenModeless();
  TakeRecipients recipients;
  recipients.to = kGroup;
  recipients.number = group;
  recipients.tags.push_back(group);
  recipients.tags.insert(recipients.tags.end(), numbers.begin(), numbers.end());

  // Alternating, so both roads meet a message table of the same size.
  std::vector<double> bare, window;
  for (int i = 0; i < repeat; ++i) {
    g_now += 60;
    MessageRecord r = Slip();
    auto t = std::chrono::steady_clock::now();
    if (!TakeSend(r, "", recipients, msg::kFolderNew, [] { return false; })) {
      std::fprintf(stderr, "the data layer's send failed\n");
      return 1;
    }
    bare.push_back(Seconds(t));

    g_now += 60;
    w.PickRecipient();
    FillSlip(w);
    t = std::chrono::steady_clock::now();
    if (!w.Send()) {
      std::fprintf(stderr, "the Take window's send failed\n");
      return 1;
    }
    window.push_back(Seconds(t));
    prompts.Clear();
  }
  const double b = Median(bare), s = Median(window);
  const long stored = StoredMessages();
  std::printf("send to %s (%d members): data layer %.1f ms, Take window %.1f ms, ratio %.2f\n",
              kGroup, members, b * 1000, s * 1000, s / b);
  std::printf("stored: %ld messages (expected %ld)\n", stored, long(2 * repeat * members));
  std::printf("RATIO take-send-group %.2f\n", s / b);
  w.CloseWith(0);
  StopUser();
  CloseDataDirectory();
  return stored == long(2 * repeat * members) ? 0 : 1;
}
