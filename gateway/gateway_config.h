// The gateway's settings: a configuration file named on the command line
// (servers, accounts, the data directory, where the gateway keeps its own
// state) and a separate password file that only its owner may read.
//
// Both files hold "key = value" lines; blank lines and lines beginning with
// "#" are skipped. Passwords never come from the configuration file, never
// live in the data directory and are never written to a log.
#pragma once

#include <cstdint>
#include <string>

// How a connection is secured: STARTTLS on the plain port (refused when the
// server does not offer it), TLS from the first byte (port 465 for SMTP,
// 993 for IMAP, 995 for POP3), or not at all (for a server on the same
// machine only).
enum class TlsMode { kStartTls, kImplicit, kNone };

struct ServerSettings {
  std::string host;
  int port = 0;
  TlsMode tls = TlsMode::kStartTls;
  std::string user;
  std::string password;  // from the password file
};

enum class IncomingProtocol { kImap, kPop3, kNone };

struct GatewayConfig {
  std::string dataDirectory;   // ends in '/'
  std::string stateDirectory;  // the gateway's journals; not the data directory
  std::string passwordFile;
  ServerSettings smtp;
  IncomingProtocol incoming = IncomingProtocol::kImap;
  ServerSettings in;
  std::string mailbox = "INBOX";  // IMAP folder read
  // Certificates to trust besides the system's (a private mail server).
  std::string caFile;
  int pollSeconds = 60;
  // Who gets mail that names nobody of the office.
  std::string postmaster;
  // The first wait after a temporary refusal; it doubles with every
  // further attempt, up to six hours.
  int retrySeconds = 60;
  // How long a message may be put off before the gateway gives up on it
  // and tells its sender, as a mail server gives up on a queued message.
  int giveUpHours = 120;
};

// Reads the configuration and its password file. 0 with *error saying what
// is wrong (a missing key, a bad value, a password file that group or
// others can read or that lies in the data directory).
int LoadGatewayConfig(const std::string& path, GatewayConfig* config, std::string* error);
