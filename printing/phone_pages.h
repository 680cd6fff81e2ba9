// Phone list pages: report entries in two columns under letter headings,
// with the page's alphabetical range. PhoneColumns fills the columns and
// the range of one page given where they lie, so the page template of
// phone lists places them by its regions (RANGE, COL1, COL2) and the
// built-in page below by a plain layout of its own.
//
// Sizes are in page units: 7500 across the printable width, the same
// scale down the page (about 1000 to the inch on letter paper).
#pragma once

#include <QFont>
#include <QRect>
#include <QTextOption>
#include <functional>
#include <string>

#include "printing/phone_report.h"

class PrintJob;
class QPainter;

// Where a page's entries go, in device pixels, and the range's font size.
struct PhonePageRegions {
  QRect range;
  int rangeSize = 10;
  QRect col1;
  QRect col2;
};

class PhoneColumns {
 public:
  // The next entry of the report; false when there are no more.
  using Supplier = std::function<bool(ReportLines*)>;

  // units: device pixels per 1000 page units. font: the face the pages
  // are drawn in (the template font); entries at 10 points.
  PhoneColumns(Supplier supplier, double pixelsPerUnit, QFont font);

  // Fills one page; *more tells whether entries are left for another.
  void FillPage(QPainter& painter, const PhonePageRegions& regions, bool* more);
  // The range drawn on the last page: "%3s-%3s" of its first and last
  // headings.
  const std::string& Range() const { return range_; }

 private:
  struct Fit {
    int letterBand = 0;
    int heading = 0;
    int body = 0;
    int Total() const { return letterBand + heading + body; }
  };
  bool Next();
  QFont Sized(int points, bool bold) const;
  int Units(int units) const;
  QTextOption Wrapping() const;
  int TextHeight(const QFont& font, const QString& text, int width) const;
  Fit Measure(const QString& body, int width, bool letter) const;
  void DrawEntry(QPainter& p, const QRect& at, const QString& body, bool letter);

  Supplier supplier_;
  QPainter* painter_ = nullptr;  // the page being filled
  double pixelsPerUnit_;
  QFont font_;
  bool have_ = false;  // current_ holds an entry not yet (wholly) drawn
  bool continued_ = false;
  ReportLines current_;
  QString body_;  // what is left of the current entry's body
  char previousLetter_ = 0;
  std::string range_;
};

// The built-in phone list page: the title at the top left, the range at
// the top right, two columns and "Page %d" at the bottom right. Draws
// every page of the report onto the job; false once the job failed or was
// cancelled.
bool PrintPhoneListPages(PrintJob& job, const std::string& title,
                         const PhoneColumns::Supplier& next);
