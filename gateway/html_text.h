// The readable text of an HTML body, for mail that came without a plain
// text part: tags dropped, line breaks where blocks end, script and style
// left out, character references resolved. UTF-8 in, UTF-8 out, lines
// ending in "\n".
#pragma once

#include <string>
#include <string_view>

std::string HtmlToText(std::string_view html);
