#include "tests/support/pdf_text.h"

#include <cstdio>

std::string PdfText(const std::string& pdf) {
  std::string out;
  if (FILE* p = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    if (pclose(p) != 0) out.clear();
  }
  return out;
}

std::vector<std::string> PdfPages(const std::string& pdf) {
  std::vector<std::string> pages;
  const std::string text = PdfText(pdf);
  size_t start = 0;
  for (size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', start)) {
    pages.push_back(text.substr(start, ff - start));
    start = ff + 1;
  }
  return pages;
}
