#include "gateway/gateway_config.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

int ReadPairs(const std::string& path, std::map<std::string, std::string>* pairs,
              std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return 0;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      *error = path + ":" + std::to_string(number) + ": not a \"key = value\" line";
      return 0;
    }
    (*pairs)[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
  }
  return 1;
}

bool ParseNumber(const std::string& text, int low, int high, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high) return false;
  *out = int(value);
  return true;
}

bool ParseTls(const std::string& text, TlsMode* mode) {
  if (text == "starttls")
    *mode = TlsMode::kStartTls;
  else if (text == "tls")
    *mode = TlsMode::kImplicit;
  else if (text == "none")
    *mode = TlsMode::kNone;
  else
    return false;
  return true;
}

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir.push_back('/');
  return dir;
}

// The real path of a file's folder, for telling whether it lies inside the
// data directory.
std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (!::realpath(path.c_str(), buffer)) return path;
  return buffer;
}

}  // namespace

int LoadGatewayConfig(const std::string& path, GatewayConfig* config, std::string* error) {
  std::map<std::string, std::string> pairs;
  if (!ReadPairs(path, &pairs, error)) return 0;
  GatewayConfig c;
  auto take = [&](const char* key) {
    auto it = pairs.find(key);
    if (it == pairs.end()) return std::string();
    std::string value = it->second;
    pairs.erase(it);
    return value;
  };
  auto bad = [&](const std::string& what) {
    *error = path + ": " + what;
    return 0;
  };
  c.dataDirectory = WithSlash(take("data_directory"));
  c.stateDirectory = WithSlash(take("state_directory"));
  c.passwordFile = take("password_file");
  if (c.dataDirectory.empty()) return bad("data_directory is missing");
  if (c.stateDirectory.empty()) return bad("state_directory is missing");
  if (c.passwordFile.empty()) return bad("password_file is missing");

  c.smtp.host = take("smtp_host");
  if (c.smtp.host.empty()) return bad("smtp_host is missing");
  std::string tls = take("smtp_tls");
  if (!tls.empty() && !ParseTls(tls, &c.smtp.tls)) return bad("smtp_tls is starttls, tls or none");
  std::string port = take("smtp_port");
  c.smtp.port = c.smtp.tls == TlsMode::kImplicit ? 465 : 587;
  if (!port.empty() && !ParseNumber(port, 1, 65535, &c.smtp.port))
    return bad("smtp_port is a number from 1 to 65535");
  c.smtp.user = take("smtp_user");

  std::string protocol = take("incoming");
  if (protocol == "imap" || protocol.empty())
    c.incoming = IncomingProtocol::kImap;
  else if (protocol == "pop3")
    c.incoming = IncomingProtocol::kPop3;
  else if (protocol == "none")
    c.incoming = IncomingProtocol::kNone;
  else
    return bad("incoming is imap, pop3 or none");
  c.in.host = take("in_host");
  tls = take("in_tls");
  if (!tls.empty() && !ParseTls(tls, &c.in.tls)) return bad("in_tls is starttls, tls or none");
  port = take("in_port");
  const bool imap = c.incoming == IncomingProtocol::kImap;
  c.in.port = c.in.tls == TlsMode::kImplicit ? (imap ? 993 : 995) : (imap ? 143 : 110);
  if (!port.empty() && !ParseNumber(port, 1, 65535, &c.in.port))
    return bad("in_port is a number from 1 to 65535");
  c.in.user = take("in_user");
  std::string mailbox = take("in_mailbox");
  if (!mailbox.empty()) c.mailbox = mailbox;
  if (c.incoming != IncomingProtocol::kNone && (c.in.host.empty() || c.in.user.empty()))
    return bad("in_host and in_user are needed unless incoming = none");

  c.caFile = take("ca_file");
  std::string poll = take("poll_seconds");
  if (!poll.empty() && !ParseNumber(poll, 5, 86400, &c.pollSeconds))
    return bad("poll_seconds is a number from 5 to 86400");
  std::string retry = take("retry_seconds");
  if (!retry.empty() && !ParseNumber(retry, 0, 86400, &c.retrySeconds))
    return bad("retry_seconds is a number from 0 to 86400");
  std::string giveUp = take("give_up_hours");
  if (!giveUp.empty() && !ParseNumber(giveUp, 1, 8760, &c.giveUpHours))
    return bad("give_up_hours is a number from 1 to 8760");
  c.postmaster = take("postmaster");
  if (c.postmaster.empty())
    return bad("postmaster is missing (the person who gets mail for nobody)");
  for (const auto& [key, value] : pairs)
    if (key.find("password") != std::string::npos)
      return bad(key + ": passwords go in the password file, never here");
  if (!pairs.empty()) return bad("unknown setting " + pairs.begin()->first);

  // The password file: a regular file nobody but its owner can read, and
  // never inside the shared data directory, which every workstation reads.
  struct stat st {};
  if (::stat(c.passwordFile.c_str(), &st) != 0) return bad(c.passwordFile + " cannot be read");
  if (!S_ISREG(st.st_mode)) return bad(c.passwordFile + " is not a file");
  if ((st.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
    *error = c.passwordFile + ": group or others may read it (mode " + mode + "); chmod 600 it";
    return 0;
  }
  std::string realData = WithSlash(RealPath(c.dataDirectory));
  std::string realPasswords = RealPath(c.passwordFile);
  if (realPasswords.compare(0, realData.size(), realData) == 0)
    return bad("the password file must not lie in the data directory");
  std::map<std::string, std::string> passwords;
  if (!ReadPairs(c.passwordFile, &passwords, error)) return 0;
  c.smtp.password = passwords["smtp"];
  c.in.password = passwords["incoming"];
  *config = c;
  return 1;
}
