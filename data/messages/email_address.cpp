#include "data/messages/email_address.h"

#include <algorithm>

#include "data/office/dpname.h"
#include "storage/errors.h"
#include "storage/records/email.h"

namespace {

constexpr size_t kMaxLocalName = 19;
constexpr size_t kMaxFrom = records::email::kFrom.width - 1;

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

std::string Cut(std::string_view text, size_t width) {
  return std::string(text.substr(0, width == 0 ? 0 : width - 1));
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

bool IsAddressEnd(char c) {
  return c == ' ' || c == '>' || c == ',';
}
bool IsAddressStart(char c) {
  return c == ' ' || c == '<' || c == ',';
}

}  // namespace

std::vector<RecipientItem> RecipientItems(std::string_view list) {
  list = list.substr(0, kMaxRecipientList);
  std::vector<RecipientItem> items;
  size_t start = 0;
  bool quoted = false;
  auto take = [&](size_t end) {
    size_t first = start;
    while (first < end && list[first] == ' ') ++first;
    if (first < end) items.push_back({first, std::string(list.substr(first, end - first))});
  };
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == '"') {
      quoted = !quoted;
    } else if (list[i] == ',' && !quoted) {
      take(i);
      start = i + 1;
    }
  }
  take(list.size());
  return items;
}

bool IsInternetAddress(std::string_view item) {
  if (item.size() < 3) return false;
  size_t at = item.find('@');
  if (at == std::string_view::npos || item.find('@', at + 1) != std::string_view::npos)
    return false;
  return at != 0 && at != item.size() - 1;
}

int ResolveRecipients(std::string_view list, std::vector<Recipient>* recipients,
                      std::string* normalized) {
  recipients->clear();
  std::string spelled(list.substr(0, kMaxRecipientList));
  NameTable names;
  if (!NameOpen(names)) return 0;
  int ok = 1;
  for (const RecipientItem& item : RecipientItems(list)) {
    Recipient r;
    r.text = item.text;
    if (item.text.size() <= kMaxLocalName && item.text[0] != '*') {
      NameEntry entry;
      if (NameFind(names, item.text, &entry)) {
        r.local = true;
        r.text = entry.Name();
        r.number = entry.Number();
        // The name as stored differs from the item in letter case only.
        if (r.text.size() == item.text.size()) spelled.replace(item.offset, r.text.size(), r.text);
      } else if (AppErrorCode() != kAppNotFound) {
        ok = 0;
        break;
      }
    }
    if (!r.local && !IsInternetAddress(item.text)) {
      SetAppError(kAppInvalidName, item.text);
      ok = 0;
      break;
    }
    recipients->push_back(r);
  }
  NameClose(names);
  if (ok && normalized) *normalized = spelled;
  return ok;
}

void SplitAddress(std::string_view text, std::string* name, size_t nameWidth, std::string* address,
                  size_t addressWidth) {
  size_t at = std::string_view::npos;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '@' && !quoted) {
      at = i;
      break;
    }
  }
  if (at == std::string_view::npos) {
    *name = Cut(text, nameWidth);
    *address = Cut("", addressWidth);
    return;
  }
  size_t end = at;
  while (end < text.size() && !IsAddressEnd(text[end])) ++end;
  size_t begin = at;
  while (begin > 0 && !IsAddressStart(text[begin - 1])) --begin;
  *address = Cut(text.substr(begin, end - begin), addressWidth);
  *name = Cut(text.substr(0, begin == 0 ? 0 : begin - 1), nameWidth);
}

std::string DefaultFrom(std::string_view userName, std::string_view ownAddress,
                        std::string_view domain) {
  std::string from;
  if (!IsBlank(ownAddress))
    from = ownAddress;
  else if (!domain.empty())
    from = AsciiLower(userName) + "@" + std::string(domain);
  else
    from = userName;
  return from.substr(0, kMaxFrom);
}

std::string RederivedFrom(std::string_view to, std::string_view cc, std::string_view current,
                          std::string_view userName, std::string_view defaultFrom) {
  if (to.empty() && cc.empty()) return std::string(current);
  if (to.find('@') != std::string_view::npos || cc.find('@') != std::string_view::npos)
    return std::string(defaultFrom);
  return std::string(userName);
}
