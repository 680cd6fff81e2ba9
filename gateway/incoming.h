// Mail from the Internet into the office: every person a message is
// addressed to (To and CC, matched against each person's own e-mail
// address and against "name@DOMAIN") gets an ordinary e-mail message of
// their own in the in-box, with its e-mail file, attachment files of its
// own and the raw message as "<stem>.RAW"; a message that names nobody of
// the office goes to the postmaster.
//
// Each delivery's raw stem is "<key>-<n>", the key naming the message on
// the server (the same key for the same message in every run), so a
// delivery cut short by a crash is finished without giving anybody a second
// copy: the message records already stored carry their stems.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gateway/gateway_config.h"
#include "gateway/state_files.h"

// The text an e-mail file keeps (the whole text stays in the raw file).
constexpr size_t kStoredBodyLimit = 32000;

struct DeliveryResult {
  std::vector<std::string> people;  // who got it
  bool toPostmaster = false;
  std::string messageId;
};

// Delivers one raw message under key (letters, digits and "-" only). With
// recovering, people who already hold a copy stored under the key are left
// out. The data directory is open and the message user is the mailbox.
int DeliverIncoming(std::string_view raw, const std::string& key, const std::string& postmaster,
                    bool recovering, DeliveryResult* result, std::string* error);

struct IncomingReport {
  int delivered = 0;
  int duplicates = 0;
  int failed = 0;
};

// The environment variable that makes the gateway end at once (exit 87)
// after a message was delivered and before the server's mailbox position
// is stored; the tests cause that crash on purpose.
constexpr const char* kCrashAfterDeliverVariable = "DPGATEWAY_CRASH_AFTER_DELIVER";

// One pass over the server's mailbox (IMAP by UID, or POP3 by UIDL).
int FetchMailbox(const GatewayConfig& config, const std::atomic<bool>* stop, IncomingReport* report,
                 const GatewayLog& log);
