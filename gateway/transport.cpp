#include "gateway/transport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>

void CurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

MailConnection::MailConnection(const ServerSettings& server, const std::string& caFile,
                               const char* scheme)
    : server_(server), caFile_(caFile), scheme_(scheme) {
  CurlReady();
  curl_.reset(curl_easy_init());
  if (server_.tls == TlsMode::kImplicit) scheme_ += "s";
}

std::string MailConnection::Url(const std::string& path) const {
  return scheme_ + "://" + server_.host + ":" + std::to_string(server_.port) + "/" + path;
}

CURL* MailConnection::Prepare(const std::string& path) {
  CURL* c = curl_.get();
  if (!c) return nullptr;
  curl_easy_reset(c);
  output_.clear();
  error_.clear();
  dialogue_.clear();
  errorBuffer_[0] = '\0';
  curl_easy_setopt(c, CURLOPT_URL, Url(path).c_str());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
  // A server that stops answering is given up after a minute of silence.
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer_);
  if (!server_.user.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, server_.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, server_.password.c_str());
  }
  curl_easy_setopt(c, CURLOPT_USE_SSL,
                   server_.tls == TlsMode::kNone ? long(CURLUSESSL_NONE) : long(CURLUSESSL_ALL));
  if (!caFile_.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile_.c_str());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &MailConnection::Write);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &MailConnection::Debug);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, this);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
  return c;
}

int MailConnection::Perform() {
  if (!curl_) {
    error_ = "libcurl could not be started";
    return 0;
  }
  CURLcode code = curl_easy_perform(curl_.get());
  long opened = 0;
  if (curl_easy_getinfo(curl_.get(), CURLINFO_NUM_CONNECTS, &opened) == CURLE_OK)
    connections_ += opened;
  if (code == CURLE_OK) return 1;
  error_ = errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(code);
  return 0;
}

long MailConnection::ResponseCode() const {
  long code = 0;
  curl_easy_getinfo(curl_.get(), CURLINFO_RESPONSE_CODE, &code);
  return code;
}

size_t MailConnection::Write(char* data, size_t size, size_t count, void* self) {
  static_cast<MailConnection*>(self)->output_.append(data, size * count);
  return size * count;
}

int MailConnection::Debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
  auto* connection = static_cast<MailConnection*>(self);
  if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT) return 0;
  std::string line(data, size);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (type == CURLINFO_HEADER_OUT) {
    // Only the commands that name mail: the login's lines carry the
    // password and are never kept.
    if (line.rfind("MAIL FROM", 0) != 0 && line.rfind("RCPT TO", 0) != 0 && line != "DATA")
      return 0;
    line = "> " + line;
  } else {
    line = "< " + line;
  }
  // Enough for a command and its reply for each of a thousand recipients;
  // a server that talks on and on is not kept without end.
  if (connection->dialogue_.size() < 2100) connection->dialogue_.push_back(line);
  return 0;
}

namespace {

struct Upload {
  const std::string* data;
  size_t offset = 0;
};

// "<a@b>" as "a@b".
std::string Bracketless(std::string address) {
  if (!address.empty() && address.front() == '<') address.erase(0, 1);
  if (!address.empty() && address.back() == '>') address.pop_back();
  return address;
}

// The recipients the server refused, each with its reply: a RCPT's reply
// follows it in the dialogue.
std::vector<std::pair<std::string, std::string>> RefusedRecipients(
    const std::vector<std::string>& dialogue) {
  std::vector<std::pair<std::string, std::string>> refused;
  std::string address;
  for (const std::string& line : dialogue) {
    if (line.rfind("> ", 0) == 0) {
      address = line.rfind("> RCPT TO:", 0) == 0 ? Bracketless(line.substr(10)) : "";
    } else {
      if (!address.empty() && line.size() >= 3 && (line[2] == '4' || line[2] == '5'))
        refused.emplace_back(address, line.substr(2));
      address.clear();
    }
  }
  return refused;
}

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  size_t n = std::min(size * count, upload->data->size() - upload->offset);
  std::memcpy(buffer, upload->data->data() + upload->offset, n);
  upload->offset += n;
  return n;
}

}  // namespace

SmtpResult SmtpSender::Send(const std::string& from, const std::vector<std::string>& recipients,
                            const std::string& data) {
  SmtpResult result;
  CURL* c = connection_.Prepare("");
  if (!c) {
    result.reply = "libcurl could not be started";
    return result;
  }
  std::string mailFrom = "<" + from + ">";
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, mailFrom.c_str());
  CurlList list;
  for (const std::string& r : recipients) {
    std::string item = "<" + r + ">";
    list.reset(curl_slist_append(list.release(), item.c_str()));
  }
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, list.get());
  // A refused recipient does not stop the mail while another takes it.
#if LIBCURL_VERSION_NUM >= 0x080200
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLOWFAILS, 1L);
#else
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);  // its name before curl 8.2
#endif
  Upload upload{&data};
  curl_easy_setopt(c, CURLOPT_READFUNCTION, &ReadUpload);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(data.size()));
  if (connection_.Perform()) {
    result.sent = true;
    result.refused = RefusedRecipients(connection_.Dialogue());
    return result;
  }
  // Which command the refusal answered: the last one sent before the first
  // 4xx or 5xx reply after the envelope began.
  std::string lastCommand;
  for (const std::string& line : connection_.Dialogue()) {
    if (line.rfind("> ", 0) == 0) {
      lastCommand = line.substr(2);
      continue;
    }
    if (lastCommand.empty() || line.size() < 5) continue;
    const char first = line[2];
    if (first != '4' && first != '5') continue;
    result.reply = line.substr(2);
    result.permanent = first == '5';
    if (lastCommand.rfind("RCPT TO:", 0) == 0) {
      // Every recipient refused: the mail is refused for good only when each
      // of them is, and the sender hears of them all.
      result.refused = RefusedRecipients(connection_.Dialogue());
      for (const auto& [address, reply] : result.refused)
        if (reply[0] != '5') result.permanent = false;
    }
    return result;
  }
  // No refusal of the envelope: the connection, TLS or the login failed.
  result.reply = connection_.Error();
  result.unreachable = true;
  return result;
}

ImapReader::ImapReader(const ServerSettings& server, const std::string& caFile,
                       const std::string& mailbox)
    : connection_(server, caFile, "imap"), mailbox_(mailbox) {}

namespace {

std::string Escaped(CURL* c, const std::string& text) {
  char* escaped = curl_easy_escape(c, text.c_str(), int(text.size()));
  std::string out = escaped ? escaped : "";
  curl_free(escaped);
  return out;
}

// The number after a word in an IMAP response ("UIDVALIDITY 123").
bool NumberAfter(const std::string& text, const char* word, uint32_t* value) {
  size_t at = text.find(word);
  if (at == std::string::npos) return false;
  const char* start = text.c_str() + at + std::strlen(word);
  char* end = nullptr;
  unsigned long v = std::strtoul(start, &end, 10);
  if (end == start) return false;
  *value = uint32_t(v);
  return true;
}

}  // namespace

int ImapReader::Status(ImapStatus* status, std::string* error) {
  CURL* c = connection_.Prepare("");
  if (!c) return *error = "libcurl could not be started", 0;
  // The mailbox name goes quoted; a quote or backslash in it is escaped.
  std::string quoted;
  for (char ch : mailbox_) {
    if (ch == '"' || ch == '\\') quoted.push_back('\\');
    quoted.push_back(ch);
  }
  std::string command = "STATUS \"" + quoted + "\" (UIDVALIDITY UIDNEXT)";
  curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, command.c_str());
  if (!connection_.Perform()) return *error = connection_.Error(), 0;
  const std::string& out = connection_.Output();
  if (!NumberAfter(out, "UIDVALIDITY ", &status->uidValidity) ||
      !NumberAfter(out, "UIDNEXT ", &status->uidNext)) {
    *error = "the server's STATUS answer names no UIDVALIDITY and UIDNEXT";
    return 0;
  }
  return 1;
}

int ImapReader::Uids(uint32_t first, std::vector<uint32_t>* uids, std::string* error) {
  uids->clear();
  CURL* c = connection_.Prepare(Escaped(connection_.Handle(), mailbox_));
  if (!c) return *error = "libcurl could not be started", 0;
  std::string command = "UID SEARCH UID " + std::to_string(first) + ":*";
  curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, command.c_str());
  if (!connection_.Perform()) return *error = connection_.Error(), 0;
  std::istringstream lines(connection_.Output());
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("* SEARCH", 0) != 0) continue;
    std::istringstream words(line.substr(8));
    unsigned long uid = 0;
    // "first:*" also names the last message when every UID is below first.
    while (words >> uid)
      if (uid >= first && uid <= UINT32_MAX) uids->push_back(uint32_t(uid));
  }
  std::sort(uids->begin(), uids->end());
  return 1;
}

int ImapReader::Fetch(uint32_t uidValidity, uint32_t uid, std::string* raw, std::string* error) {
  // UIDVALIDITY in the URL makes the server's own check part of the fetch.
  std::string path = Escaped(connection_.Handle(), mailbox_) +
                     ";UIDVALIDITY=" + std::to_string(uidValidity) + "/;UID=" + std::to_string(uid);
  if (!connection_.Prepare(path)) return *error = "libcurl could not be started", 0;
  if (!connection_.Perform()) return *error = connection_.Error(), 0;
  *raw = connection_.Output();
  return 1;
}

int Pop3Reader::List(std::vector<std::pair<int, std::string>>* messages, std::string* error) {
  messages->clear();
  CURL* c = connection_.Prepare("");
  if (!c) return *error = "libcurl could not be started", 0;
  curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "UIDL");
  if (!connection_.Perform()) return *error = connection_.Error(), 0;
  std::istringstream lines(connection_.Output());
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    int number = 0;
    std::string uid;
    if (words >> number >> uid && number > 0) messages->emplace_back(number, uid);
  }
  return 1;
}

int Pop3Reader::Fetch(int number, std::string* raw, std::string* error) {
  if (!connection_.Prepare(std::to_string(number)))
    return *error = "libcurl could not be started", 0;
  if (!connection_.Perform()) return *error = connection_.Error(), 0;
  *raw = connection_.Output();
  return 1;
}
