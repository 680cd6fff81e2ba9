// dpgateway: the office's e-mail gateway. Sends what the office put into
// the mailbox "DPMAIL SERVER" and delivers mail from the Internet into the
// in-boxes, once (--once) or until SIGTERM, finishing the message in hand.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "gateway/gateway_config.h"
#include "gateway/gateway_run.h"

namespace {

std::atomic<bool> stopRequested{false};

void OnStop(int) {
  stopRequested = true;
}

constexpr char kUsage[] =
    "usage: dpgateway [--once] CONFIG\n"
    "  Sends the e-mails of the office's mailbox \"DPMAIL SERVER\" and delivers\n"
    "  new mail from the IMAP or POP3 mailbox, as CONFIG says (see README).\n"
    "  --once  one pass, then exit (0 when both directions worked)\n";

}  // namespace

int main(int argc, char** argv) {
  bool once = false;
  std::string configPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--once") == 0) {
      once = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (configPath.empty() && argv[i][0] != '-') {
      configPath = argv[i];
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (configPath.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  GatewayConfig config;
  std::string error;
  if (!LoadGatewayConfig(configPath, &config, &error)) {
    std::fprintf(stderr, "dpgateway: %s\n", error.c_str());
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  auto log = [](const std::string& line) {
    std::fprintf(stderr, "dpgateway: %s\n", line.c_str());
    std::fflush(stderr);
  };
  return RunGateway(config, once, &stopRequested, log) ? 0 : 1;
}
