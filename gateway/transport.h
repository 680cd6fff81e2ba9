// The gateway's connections to its mail servers through libcurl: one SMTP
// connection kept for every message of a pass, and the IMAP or POP3
// mailbox read by UID. Passwords go to libcurl only; the dialogue a failure
// is explained from keeps the commands that name mail, never the login.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gateway/gateway_config.h"

struct CurlCleanup {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlPtr = std::unique_ptr<CURL, CurlCleanup>;

struct CurlListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;

// libcurl is set up once per process.
void CurlReady();

// One server; transfers reuse its connection while the server keeps it.
class MailConnection {
 public:
  // scheme: "smtp", "imap" or "pop3" ("s" is added for TLS from the start).
  MailConnection(const ServerSettings& server, const std::string& caFile, const char* scheme);
  // "scheme://host:port/" and the path.
  std::string Url(const std::string& path) const;
  // Sets the options every transfer shares and clears the last one's.
  CURL* Prepare(const std::string& path);
  // Runs the prepared transfer; what the server sent as content is in
  // Output(). 0 with Error() on failure.
  int Perform();
  const std::string& Output() const { return output_; }
  const std::string& Error() const { return error_; }
  // Client commands (MAIL FROM, RCPT TO, DATA) and server replies, one a
  // line, in order, of the last transfer.
  const std::vector<std::string>& Dialogue() const { return dialogue_; }
  long ResponseCode() const;
  CURL* Handle() { return curl_.get(); }
  // How many connections the transfers so far had to open.
  long ConnectionsOpened() const { return connections_; }

 private:
  static size_t Write(char* data, size_t size, size_t count, void* self);
  static int Debug(CURL*, curl_infotype type, char* data, size_t size, void* self);

  ServerSettings server_;
  std::string caFile_;
  std::string scheme_;
  CurlPtr curl_;
  std::string output_;
  std::string error_;
  std::vector<std::string> dialogue_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  long connections_ = 0;
};

struct SmtpResult {
  bool sent = false;
  // The server refused the message for good (a 5xx reply to the envelope
  // or the data), not for a fault of the connection or the login.
  bool permanent = false;
  std::string reply;  // the server's words, or the transfer's error
  // No reply to the message at all: the server could not be reached, or
  // TLS or the login failed. The next message would fare no better.
  bool unreachable = false;
  // The recipients refused, each with the server's words: when the mail
  // was sent, to the others (one wrong address does not keep a mail from
  // the rest); when it was not, every recipient.
  std::vector<std::pair<std::string, std::string>> refused;
};

class SmtpSender {
 public:
  SmtpSender(const ServerSettings& server, const std::string& caFile)
      : connection_(server, caFile, "smtp") {}
  SmtpResult Send(const std::string& from, const std::vector<std::string>& recipients,
                  const std::string& data);
  long ConnectionsOpened() const { return connection_.ConnectionsOpened(); }

 private:
  MailConnection connection_;
};

struct ImapStatus {
  uint32_t uidValidity = 0;
  uint32_t uidNext = 0;
};

class ImapReader {
 public:
  ImapReader(const ServerSettings& server, const std::string& caFile, const std::string& mailbox);
  int Status(ImapStatus* status, std::string* error);
  // UIDs from first on, ascending.
  int Uids(uint32_t first, std::vector<uint32_t>* uids, std::string* error);
  int Fetch(uint32_t uidValidity, uint32_t uid, std::string* raw, std::string* error);

 private:
  MailConnection connection_;
  std::string mailbox_;
};

class Pop3Reader {
 public:
  Pop3Reader(const ServerSettings& server, const std::string& caFile)
      : connection_(server, caFile, "pop3") {}
  // Message numbers and their unique ids.
  int List(std::vector<std::pair<int, std::string>>* messages, std::string* error);
  int Fetch(int number, std::string* raw, std::string* error);

 private:
  MailConnection connection_;
};
