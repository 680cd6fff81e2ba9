// A number written in a settings file, read strictly: a garbled value such
// as "abc" or "5x" must leave the setting at its default instead of being
// taken for 0 or 5 as the old integer readers did.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Blanks around it allowed, an optional sign, then at most 12 digits and
// nothing else; anything else is nothing.
std::optional<int64_t> SettingNumber(std::string_view text);
