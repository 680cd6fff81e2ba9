// Message and name records whose every byte follows from a few facts, so a
// test that knows the facts can rebuild the exact record it expects, and a
// reader can tell a sound record from a torn or mixed one.
#pragma once

#include <cstdint>
#include <string>

struct MessageFacts {
  uint32_t number = 0;  // message number
  int32_t folder = 1;
  int32_t time = 0;
  int to = 0;         // which recipient (RecipientName)
  int32_t owner = 0;  // the workstation that stored it, also its sender number
  uint8_t flags = 0;
  uint32_t version = 0;  // raised each time the text is rewritten
};

constexpr int kRecipientCount = 8;
// Names in mixed letter case, so the case-blind order of "MESSAGE" X1 matters.
const char* RecipientName(int to);

// Fills a whole "MESSAGE" record (512 bytes, lock byte 0).
void BuildMessage(const MessageFacts& facts, uint8_t* record);
// Reads the facts out of a record and rebuilds it from them: false unless
// the first 511 bytes are exactly what those facts make.
bool ReadMessageFacts(const uint8_t* record, MessageFacts* facts);

// One line of text and back, for logs: "number folder time to owner flags version".
std::string FactsText(const MessageFacts& facts);
bool ParseFacts(const std::string& text, MessageFacts* facts);

// Fills a whole "NAME" record for a person added by this system.
void BuildName(const std::string& name, uint32_t number, uint8_t* record);
