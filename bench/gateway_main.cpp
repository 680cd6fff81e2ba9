// bench/gateway: the e-mail gateway's throughput against real servers on
// 127.0.0.1 (tests/gateway/mail_servers.py starts Dovecot and the SMTP
// server). 200 e-mails with a 100 KB attachment each go out in one pass
// over one SMTP connection, then come back in over IMAP into the office.
// A measuring program, not a test; it needs root, as the servers do.
//
//   bench/gateway [COUNT]
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data/messages/attachments.h"
#include "data/messages/dpmess.h"
#include "data/messages/email_error.h"
#include "data/messages/email_send.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "gateway/gateway_config.h"
#include "gateway/incoming.h"
#include "gateway/outgoing.h"
#include "gateway/transport.h"
#include "storage/errors.h"

namespace {

int Shell(const std::string& command, std::string* out = nullptr) {
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return -1;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, p))
    if (out) *out += buffer;
  return ::pclose(p);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200;
  char folder[] = "/tmp/dpgwb-XXXXXX";
  if (!::mkdtemp(folder)) return 1;
  ::chmod(folder, 0755);
  const std::string dir = std::string(folder) + "/";
  std::string ports;
  if (Shell("/usr/bin/python3 " MAIL_SCRIPTS "mail_servers.py start " + dir + "srv", &ports) != 0) {
    std::fprintf(stderr, "the mail servers cannot start\n");
    return 1;
  }
  int imap = 0, pop3 = 0, smtp = 0, smtps = 0;
  std::sscanf(ports.c_str(), "imap=%d pop3=%d smtp=%d smtps=%d", &imap, &pop3, &smtp, &smtps);

  const std::string office = dir + "office/";
  Shell(std::string(DPADMIN_PATH) + " create " + office + " >/dev/null");
  Shell(std::string(DPADMIN_PATH) + " add-name " + office + " ANNE BOB >/dev/null");
  GatewayConfig config;
  config.dataDirectory = office;
  config.stateDirectory = dir + "state/";
  ::mkdir(config.stateDirectory.c_str(), 0700);
  config.smtp = {"127.0.0.1", smtp, TlsMode::kStartTls, "office", "secret"};
  config.in = {"127.0.0.1", imap, TlsMode::kStartTls, "bench", "secret"};
  config.caFile = dir + "srv/cert.pem";
  config.postmaster = "BOB";

  if (!OpenDataDirectory(office)) {
    std::fprintf(stderr, "%s\n", FormatAppError().c_str());
    return 1;
  }
  NameRecord anne;
  NameLookup("ANNE", &anne);
  SetMessageUser({"ANNE", anne.Number(), false});
  std::string attachment(100 * 1024, '\0');
  for (size_t i = 0; i < attachment.size(); ++i) attachment[i] = char((i * 131) >> 3);
  for (int i = 0; i < count; ++i) {
    EmailDraft draft;
    draft.to = "bench@example.net";
    draft.from = "anne@office.example";
    draft.subject = "Bench " + std::to_string(i);
    draft.body = "Message " + std::to_string(i) + "\r\n";
    std::string message;
    if (!AttachmentAddBytes(draft.header, "data.bin", attachment) || !EmailSend(draft, &message)) {
      std::fprintf(stderr, "send %d: %s %s\n", i, message.c_str(), EmailError().c_str());
      return 1;
    }
  }
  SetMessageUser({kMailServerName, kMailServerNumber, false});
  auto quiet = [](const std::string&) {};

  auto start = std::chrono::steady_clock::now();
  OutgoingReport out;
  long connections = 0;
  {
    SmtpSender sender(config.smtp, config.caFile);
    SendMailbox(config, sender, nullptr, &out, quiet);
    connections = sender.ConnectionsOpened();
  }
  const double sendSeconds = Seconds(start);

  // Everything the relay accepted has reached the maildir by the time the
  // server answered the data, so the fetch sees all of it.
  start = std::chrono::steady_clock::now();
  IncomingReport in;
  FetchMailbox(config, nullptr, &in, quiet);
  const double receiveSeconds = Seconds(start);

  std::printf(
      "sent     %d e-mails with 100 KB each in %.2f s: %.1f messages/s (%ld SMTP "
      "connection(s))\n",
      out.sent, sendSeconds, out.sent / sendSeconds, connections);
  std::printf("received %d e-mails with 100 KB each in %.2f s: %.1f messages/s (IMAP)\n",
              in.delivered, receiveSeconds, in.delivered / receiveSeconds);
  SetMessageUser(MessageUser());
  CloseDataDirectory();
  Shell("/usr/bin/python3 " MAIL_SCRIPTS "mail_servers.py stop " + dir + "srv");
  std::filesystem::remove_all(folder);
  return out.sent == count && in.delivered == count ? 0 : 1;
}
