// What a message list shows: whose messages, which view (New, a folder,
// the archive, every folder, or the user's send log), the search texts and
// the kinds, and the texts the list writes about it (its title, a row's
// time).
#pragma once

#include <cstdint>
#include <string>

#include "data/messages/dpmess.h"

// Views of a list.
constexpr int32_t kViewAllFolders = 0;
constexpr int32_t kViewNew = 1;
constexpr int32_t kViewFolder = 2;
constexpr int32_t kViewArchive = 3;

struct ListRequest {
  int32_t owner = 0;  // name number of the person whose messages are listed
  int32_t view = kViewNew;
  int32_t folder = 1;  // 0 every folder, 1 New, 3 Archive, else a folder's number
  bool search = false;
  bool sendLog = false;
  std::string folderName;  // shown for a folder view
  std::string ownerName;   // the person whose messages (the title's name)
  // The person whose messages are listed ("*..." is everybody); in a send
  // log search the To search text.
  std::string person;
  std::string fromText;
  std::string companyText;
  std::string phoneText;
  std::string text;
  int32_t start = 0;  // 0: open
  int32_t end = 0;    // 0: open; else the last second of its day
  bool exact = false;
  bool phone = true;
  bool memo = true;
  bool email = true;
  // Opened with the phone password: memos and e-mails stay out, and the
  // search dialog offers phone messages only.
  bool phonePassword = false;
  bool newestFirst = false;  // copy of the "List order" option
};

// The query of the request.
MessageCriteria CriteriaOf(const ListRequest& request);
// "%s%d %s in %s for %s": "Found " for a search, the count, "message" or
// "messages", the view's name and the person's name.
std::string ListTitle(const ListRequest& request, int32_t rows);
// A row's time: "%d-%02d-%02d   %d:%02d%s"; empty for 0.
std::string RowTimeText(int32_t time);
// The user's "List order" option: newest first.
bool NewestFirstOption();
