// Emptying the mailbox "DPMAIL SERVER": every e-mail in it goes out as one
// Internet message over one SMTP connection.
//
// Sent: the sender's send-log copy is stamped with the time (the send log's
// "&Sent" then says when) and the message leaves the mailbox with its files.
// Refused for good (a 5xx reply): the sender gets a memo naming the refused
// address and the server's words, and the message moves to the mailbox's
// archive. Refused for now (a 4xx reply, or no connection): it stays and is
// tried again after a wait that doubles with every attempt.
//
// A journal in the state directory names the message in hand: "sending N"
// before the server is asked, "sent N" as soon as it accepted. A gateway
// that stopped after the acceptance finds "sent N" at its next start and
// finishes the mailbox's side without sending again.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "gateway/gateway_config.h"
#include "gateway/state_files.h"

class SmtpSender;

struct OutgoingReport {
  int sent = 0;
  int refused = 0;
  int deferred = 0;  // refused for now, or waiting for their next attempt
  int finished = 0;  // sent before a crash, finished from the journal
};

// The environment variable that makes the gateway end at once (exit 86)
// right after the server accepted a message and the journal says so: the
// worst moment for a crash, which the tests cause on purpose.
constexpr const char* kCrashAfterAcceptVariable = "DPGATEWAY_CRASH_AFTER_ACCEPT";

// The wait before the next attempt after the attempts so far were refused
// for now: base seconds after the first, doubling with each further one,
// at most six hours.
int64_t RetryWait(int baseSeconds, int attempts);

// One pass over the mailbox; the data directory is open and the message
// user is the mailbox. Stops between messages once *stop is set. 0 when the
// mailbox could not be read at all.
int SendMailbox(const GatewayConfig& config, SmtpSender& smtp, const std::atomic<bool>* stop,
                OutgoingReport* report, const GatewayLog& log);
