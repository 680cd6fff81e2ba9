// One page printed from a page template of the data directory: the drawing
// played onto the page and each labelled region filled by the handler of
// its name.
//
// The pages are drawn on whatever the print job gives: a painter over a
// printer or a PDF writer, the printable rectangle of the page in the
// device's units, and a call that starts the next page.
#pragma once

#include <QPainter>
#include <QRectF>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct PrintTarget {
  QPainter* painter = nullptr;
  QRectF page;  // the printable part of the page, device units
  // Ends the page and starts the next; false when the job cannot go on
  // (cancelled, or the device failed).
  std::function<bool()> newPage;
};

// What a handler is given: where its region lies on the page, the label's
// SIZE, and where it says that data is left for another page or why it
// stops the page.
struct RegionFill {
  QPainter& painter;
  QRectF rect;
  std::string name;  // the label's name in capitals
  int size = 0;
  double unit = 1;  // device units per template unit
  bool* anotherPage = nullptr;
  std::string* message = nullptr;
};

// Fills a region; false stops the page (with *message set).
using RegionHandler = std::function<bool(RegionFill& fill)>;
using HandlerTable = std::vector<std::pair<std::string, RegionHandler>>;

struct PageOutcome {
  bool ok = true;
  bool anotherPage = false;
  std::string message;             // why the page stopped, or the template could not be read
  std::vector<std::string> notes;  // what the template holds that serves no region
};

// A whole print of one or more template pages.
struct PrintOutcome {
  bool ok = true;
  int pages = 0;
  std::string message;             // why the print stopped
  std::vector<std::string> notes;  // labels that serve nothing, once each
};

// Adds a printed page to the print: counts it, keeps its notes (each once)
// and its failure. Answers whether the print may go on.
bool AddPage(PrintOutcome& outcome, const PageOutcome& page);
// Starts the target's next page; a job that cannot go on stops the print
// with "Printing stopped.".
bool StartNextPage(PrintTarget& target, PrintOutcome& outcome);

// The template file's full name: the data directory (ending in '/') and
// the file's name.
std::string TemplatePath(const std::string& dataDirectory, const std::string& file);

// Prints one page on the target's current page. A template that is missing
// or cannot be read prints nothing: "Could not open page template %s." or
// "Error in file.". A label whose name no handler has leaves its region
// empty and is named in the notes ("Unknown region name ~%s^ in %s.").
PageOutcome PrintTemplatePage(PrintTarget& target, const std::string& path,
                              const HandlerTable& handlers);
