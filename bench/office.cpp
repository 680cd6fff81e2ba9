#include "bench/office.h"

#include <algorithm>
#include <numeric>
#include <random>

#include "storage/records/field.h"

namespace bench {
namespace {

namespace msg = records::message;

constexpr int kPeople = 30;
constexpr int kFirstPersonShare = 3;        // in tenths of all messages
constexpr int32_t kStartTime = 1704096000;  // a Monday morning in January 2024
constexpr int32_t kSecondsApart = 30;

const char* const kFirstNames[] = {
    "Anna",  "Bert",   "Carla", "Dieter", "Eva",  "Frank", "Greta", "Hans",  "Ilse",  "Jonas",
    "Karin", "Lukas",  "Maria", "Niklas", "Olga", "Paul",  "Rita",  "Sven",  "Tina",  "Uwe",
    "Vera",  "Walter", "Xenia", "Yusuf",  "Zora", "Armin", "Beate", "Claus", "Doris", "Emil"};
const char* const kLastNames[] = {"Berg", "Kuhn", "Lang", "Mohr", "Roth", "Vogt"};
const char* const kCallers[] = {"Mr. Albrecht", "Ms. Brandt",  "Dr. Cramer", "Mr. Dorn",
                                "Mrs. Ebert",   "Mr. Fuchs",   "Ms. Graf",   "Mr. Hahn",
                                "Mrs. Ilg",     "Mr. Jung",    "Ms. Koch",   "Mr. Lorenz",
                                "Mrs. Maier",   "Mr. Neumann", "Ms. Otto",   "Mr. Peters"};
const char* const kCompanies[] = {"Acme Supplies", "Brandt & Sons",   "City Council",
                                  "Delta Freight", "Eastside Dental", "Fischer GmbH"};
const char* const kPhrases[] = {
    "Please call back about the order.",         "Wants to move Thursday's meeting to Friday.",
    "Invoice 4711 is overdue, asks for a copy.", "Returned your call, will try again after lunch.",
    "Needs the signed contract by tomorrow.",    "Asked whether the delivery left today."};

template <typename T, size_t N>
const T& Pick(std::mt19937& rng, const T (&list)[N]) {
  return list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

std::string Text(std::mt19937& rng, int sentences) {
  std::string text;
  for (int i = 0; i < sentences; ++i) {
    if (!text.empty()) text += '\r';
    text += Pick(rng, kPhrases);
  }
  return text;
}

MessageRecord MakeMessage(std::mt19937& rng, const std::string& to, int32_t folder, int32_t number,
                          int32_t time) {
  MessageRecord r{};
  uint8_t* p = r.data();
  const int kindDraw = std::uniform_int_distribution<int>(0, 9)(rng);
  const uint8_t kind =
      kindDraw < 6 ? msg::kKindPhone : (kindDraw < 9 ? msg::kKindMemo : msg::kKindEmail);
  SetFieldByte(p, msg::kKind, kind);
  SetFieldI32(p, msg::kFolder, folder);
  SetFieldI32(p, msg::kNumber, number);
  uint8_t flags = folder == msg::kFolderNew ? msg::kFlagNotViewed : 0;
  if (std::uniform_int_distribution<int>(0, 19)(rng) == 0) flags |= msg::kFlagUrgent;
  SetFieldByte(p, msg::kFlags, flags);
  SetFieldText(p, msg::kTo, to.c_str());
  SetFieldText(p, msg::kFrom, Pick(rng, kCallers));
  SetFieldI32(p, msg::kTime, time);
  SetFieldI32(p, msg::kSender, std::uniform_int_distribution<int>(1, kPeople)(rng));
  if (folder != msg::kFolderNew) {
    SetFieldI32(p, msg::kViewedTime, time + 3600);
    SetFieldI32(p, msg::kViewer, 1);
  }
  const int sentences = std::uniform_int_distribution<int>(1, 3)(rng);
  switch (kind) {
    case msg::kKindPhone:
      SetFieldText(p, msg::kCompany, Pick(rng, kCompanies));
      SetFieldText(p, msg::kPhone, "(555) 123-4567");
      SetFieldText(p, msg::kPhoneText, Text(rng, sentences).c_str());
      SetFieldText(p, msg::kBy, "RC");
      SetFieldText(p, msg::kCallBack, msg::kTicked);
      break;
    case msg::kKindMemo:
      SetFieldText(p, msg::kMemoText, Text(rng, sentences).c_str());
      break;
    default:
      SetFieldText(p, msg::kSenderAddress, "someone@example.com");
      SetFieldText(p, msg::kSubject, Pick(rng, kPhrases));
      break;
  }
  return r;
}

}  // namespace

Office MakeOffice(int32_t count, int32_t firstNumber, uint32_t seed) {
  std::mt19937 rng(seed);
  Office office;
  for (int i = 0; i < kPeople; ++i)
    office.people.push_back(std::string(kFirstNames[i]) + " " +
                            kLastNames[size_t(i) % std::size(kLastNames)]);
  office.messages.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t number = firstNumber + i;
    const int32_t time = kStartTime + (number - 1) * kSecondsApart +
                         std::uniform_int_distribution<int32_t>(0, kSecondsApart - 1)(rng);
    std::string to;
    int32_t folder;
    if (number % 10 < kFirstPersonShare) {
      to = office.people[0];
      folder = msg::kFolderNew;
      ++office.newForFirst;
    } else {
      to = office.people[std::uniform_int_distribution<size_t>(1, kPeople - 1)(rng)];
      const int draw = std::uniform_int_distribution<int>(0, 9)(rng);
      folder = draw < 4 ? msg::kFolderNew
                        : (draw < 8 ? msg::kFolderArchive
                                    : 100 + std::uniform_int_distribution<int32_t>(0, 29)(rng));
    }
    office.messages.push_back(MakeMessage(rng, to, folder, number, time));
  }
  return office;
}

std::vector<int32_t> Shuffled(int32_t count, uint32_t seed) {
  std::vector<int32_t> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::mt19937 rng(seed);
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

}  // namespace bench
