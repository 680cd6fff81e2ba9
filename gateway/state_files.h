// The gateway's own small files in its state directory (never the data
// directory): journals that survive a crash at any point, written so that
// a reader finds either the old content or the new, never half of one.
#pragma once

#include <functional>
#include <string>

// The whole file; empty when it is missing.
std::string ReadStateFile(const std::string& path);
// Writes beside the file, syncs, renames over it and syncs the folder.
int WriteStateFile(const std::string& path, const std::string& text);
// Appends one line and syncs.
int AppendStateLine(const std::string& path, const std::string& line);
int RemoveStateFile(const std::string& path);

// Where the gateway says what it did: standard error, which the service
// manager keeps. Never given a password.
using GatewayLog = std::function<void(const std::string&)>;
