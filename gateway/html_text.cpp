#include "gateway/html_text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

void AppendUtf8(unsigned long c, std::string* out) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = '?';
  if (c < 0x80) {
    out->push_back(char(c));
  } else if (c < 0x800) {
    out->push_back(char(0xC0 | (c >> 6)));
    out->push_back(char(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(char(0xE0 | (c >> 12)));
    out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(char(0x80 | (c & 0x3F)));
  } else {
    out->push_back(char(0xF0 | (c >> 18)));
    out->push_back(char(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(char(0x80 | (c & 0x3F)));
  }
}

struct Entity {
  const char* name;
  unsigned long code;
};
constexpr Entity kEntities[] = {
    {"amp", '&'},       {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", ' '},      {"euro", 0x20AC},  {"copy", 0xA9},    {"reg", 0xAE},     {"auml", 0xE4},
    {"ouml", 0xF6},     {"uuml", 0xFC},    {"Auml", 0xC4},    {"Ouml", 0xD6},    {"Uuml", 0xDC},
    {"szlig", 0xDF},    {"eacute", 0xE9},  {"egrave", 0xE8},  {"agrave", 0xE0},  {"ccedil", 0xE7},
    {"hellip", 0x2026}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"laquo", 0xAB},   {"raquo", 0xBB},
    {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bull", 0x2022},
    {"middot", 0xB7},   {"trade", 0x2122},
};

// A character reference at html[i] ('&'); appends its character and
// answers the length read, or 0 when it is none (the '&' stands for itself).
size_t Reference(std::string_view html, size_t i, std::string* out) {
  size_t end = html.find(';', i);
  if (end == std::string_view::npos || end - i > 10) return 0;
  std::string name(html.substr(i + 1, end - i - 1));
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const char* digits = name.c_str() + (hex ? 2 : 1);
    if (!*digits) return 0;
    char* stop = nullptr;
    unsigned long code = std::strtoul(digits, &stop, hex ? 16 : 10);
    if (*stop) return 0;
    AppendUtf8(code, out);
    return end - i + 1;
  }
  for (const Entity& e : kEntities) {
    if (name == e.name) {
      AppendUtf8(e.code, out);
      return end - i + 1;
    }
  }
  return 0;
}

bool StartsBlock(const std::string& tag) {
  static const char* const kBlocks[] = {
      "br", "p",   "/p", "div", "/div",       "tr",          "/tr", "li",    "h1",
      "h2", "h3",  "h4", "/h1", "/h2",        "/h3",         "/h4", "table", "/table",
      "ul", "/ul", "ol", "/ol", "blockquote", "/blockquote", "hr",  "pre",   "/pre"};
  for (const char* b : kBlocks)
    if (tag == b) return true;
  return false;
}

}  // namespace

std::string HtmlToText(std::string_view html) {
  std::string out;
  out.reserve(html.size() / 2);
  bool pendingBlank = false;
  size_t i = 0;
  auto newline = [&] {
    while (!out.empty() && out.back() == ' ') out.pop_back();
    // At most one empty line in a row.
    if (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') return;
    if (!out.empty()) out.push_back('\n');
    pendingBlank = false;
  };
  while (i < html.size()) {
    char c = html[i];
    // A '<' that opens no tag, comment or declaration is text, as a browser
    // shows it: "if a < b" must not swallow what follows.
    const unsigned char next = i + 1 < html.size() ? static_cast<unsigned char>(html[i + 1]) : 0;
    if (c == '<' && (std::isalpha(next) || next == '/' || next == '!' || next == '?')) {
      if (html.compare(i, 4, "<!--") == 0) {
        size_t end = html.find("-->", i + 4);
        i = end == std::string_view::npos ? html.size() : end + 3;
        continue;
      }
      size_t end = html.find('>', i + 1);
      if (end == std::string_view::npos) break;
      std::string tag;
      for (size_t k = i + 1; k < end && tag.size() < 16; ++k) {
        char t = html[k];
        if (std::isspace(static_cast<unsigned char>(t)) || (t == '/' && !tag.empty())) break;
        tag.push_back(char(std::tolower(static_cast<unsigned char>(t))));
      }
      i = end + 1;
      if (tag == "script" || tag == "style" || tag == "head" || tag == "title") {
        std::string close = "</" + tag;
        // Skip to the closing tag, in any letter case.
        size_t k = i;
        while (k < html.size()) {
          if (html[k] == '<' && k + close.size() <= html.size()) {
            bool same = true;
            for (size_t m = 0; m < close.size() && same; ++m)
              same = std::tolower(static_cast<unsigned char>(html[k + m])) == close[m];
            if (same) break;
          }
          ++k;
        }
        size_t closeEnd = html.find('>', k);
        i = closeEnd == std::string_view::npos ? html.size() : closeEnd + 1;
        continue;
      }
      if (StartsBlock(tag))
        newline();
      else if (tag == "td" || tag == "th")
        pendingBlank = true;
      if (tag == "li") out += "* ";
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      pendingBlank = true;
      ++i;
      continue;
    }
    if (pendingBlank && !out.empty() && out.back() != '\n') out.push_back(' ');
    pendingBlank = false;
    if (c == '&') {
      size_t n = Reference(html, i, &out);
      if (n > 0) {
        i += n;
        continue;
      }
    }
    out.push_back(c);
    ++i;
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  if (!out.empty()) out.push_back('\n');
  return out;
}
