#include "gateway/gateway_run.h"

#include <sys/stat.h>
#include <time.h>

#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "gateway/incoming.h"
#include "gateway/outgoing.h"
#include "gateway/transport.h"
#include "storage/errors.h"

namespace {

void SleepUnlessStopped(int seconds, const std::atomic<bool>* stop) {
  for (int i = 0; i < seconds * 5 && !(stop && stop->load()); ++i) {
    timespec t{0, 200 * 1000 * 1000};
    nanosleep(&t, nullptr);
  }
}

int OnePass(const GatewayConfig& config, const std::atomic<bool>* stop, const GatewayLog& log) {
  OutgoingReport out;
  SmtpSender smtp(config.smtp, config.caFile);
  int ok = SendMailbox(config, smtp, stop, &out, log);
  IncomingReport in;
  if (!(stop && stop->load())) ok = FetchMailbox(config, stop, &in, log) && ok;
  if (out.sent + out.refused + out.finished + in.delivered + in.failed > 0)
    log("pass: " + std::to_string(out.sent) + " sent, " + std::to_string(out.refused) +
        " refused, " + std::to_string(out.deferred) + " put off, " + std::to_string(in.delivered) +
        " received");
  return ok;
}

}  // namespace

int RunGateway(const GatewayConfig& config, bool once, const std::atomic<bool>* stop,
               const GatewayLog& log) {
  ::mkdir(config.stateDirectory.c_str(), 0700);
  struct stat st {};
  if (::stat(config.stateDirectory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    log("the state directory " + config.stateDirectory + " cannot be made");
    return 0;
  }
  if (!OpenDataDirectory(config.dataDirectory)) {
    log("cannot open the data directory " + config.dataDirectory + ": " + FormatAppError());
    return 0;
  }
  // Everything the gateway stores, it stores as the mailbox.
  SetMessageUser({kMailServerName, kMailServerNumber, false});
  int ok = 1;
  do {
    ok = OnePass(config, stop, log);
    if (once) break;
    SleepUnlessStopped(config.pollSeconds, stop);
  } while (!(stop && stop->load()));
  SetMessageUser(MessageUser());
  CloseDataDirectory();
  return once ? ok : 1;
}
