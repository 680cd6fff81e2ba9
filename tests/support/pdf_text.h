// Printed PDF files read back as text: pdftotext's layout, which keeps the
// columns of a page, split into pages at its form feeds.
#pragma once

#include <string>
#include <vector>

// The whole file's text; empty when pdftotext cannot read it.
std::string PdfText(const std::string& pdf);
// One string a page.
std::vector<std::string> PdfPages(const std::string& pdf);
