// The gateway's passes: the mailbox "DPMAIL SERVER" out over SMTP, then
// the server's mailbox in, once or every poll interval until stopped.
#pragma once

#include <atomic>

#include "gateway/gateway_config.h"
#include "gateway/state_files.h"

// 0 when the data directory cannot be opened, or (with once) when a pass
// could not be made; a message refused or put off is not a failure.
int RunGateway(const GatewayConfig& config, bool once, const std::atomic<bool>* stop,
               const GatewayLog& log);
