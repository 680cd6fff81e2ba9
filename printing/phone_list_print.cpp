#include "printing/phone_list_print.h"

#include <QPen>
#include <cctype>
#include <cstdio>
#include <optional>

#include "printing/template_font.h"
#include "printing/template_text.h"

namespace {

constexpr int kNormal = 400;
constexpr int kBold = 700;
constexpr int kLetterSize = 20;

class PhoneListPrint {
 public:
  PhoneListPrint(std::string title, const PhoneEntrySupplier& next)
      : title_(std::move(title)), next_(next) {}

  HandlerTable Handlers() {
    return {
        {"TITLE",
         [this](RegionFill& f) {
           DrawLine(f.painter, f.rect, PrintText(title_),
                    HandlerFont(f.size, kNormal, false, f.unit));
           return true;
         }},
        {"PAGE",
         [this](RegionFill& f) {
           char text[32];
           std::snprintf(text, sizeof text, "Page %d", page_);
           DrawLine(f.painter, f.rect, text, HandlerFont(f.size, kNormal, false, f.unit),
                    Qt::AlignRight);
           return true;
         }},
        {"RANGE", [this](RegionFill& f) { return Keep(f, &range_); }},
        {"COL1", [this](RegionFill& f) { return Keep(f, &columns_[0]); }},
        {"COL2", [this](RegionFill& f) { return Keep(f, &columns_[1]); }},
    };
  }

  // Ready for the next page. Every page takes at least part of an entry
  // (or stops), so the pages come to an end.
  void NextPage() {
    ++page_;
    range_.reset();
    columns_[0].reset();
    columns_[1].reset();
  }

 private:
  struct Kept {
    QRectF rect;
    int size = 0;
  };

  bool Keep(RegionFill& fill, std::optional<Kept>* slot) {
    *slot = Kept{fill.rect, fill.size};
    if (!range_ || !columns_[0] || !columns_[1]) return true;
    return Columns(fill);
  }

  // The letter heading an entry gets: its first letter when that differs
  // from the entry before's and is a letter A to Z.
  char LetterOf(const std::string& heading) {
    const char first =
        heading.empty() ? 0
                        : static_cast<char>(std::toupper(static_cast<unsigned char>(heading[0])));
    if (first == previousLetter_ || first < 'A' || first > 'Z') return 0;
    return first;
  }

  bool Columns(RegionFill& fill) {
    QPainter& p = fill.painter;
    const double u = fill.unit;
    std::string firstHeading, lastHeading;
    for (int column = 0; column < 2;) {
      const Kept& col = *columns_[column];
      double& top = tops_[column];
      if (top < col.rect.top()) top = col.rect.top();
      if (!current_) {
        PhoneReportEntry entry;
        if (!next_(&entry)) break;
        current_ = entry;
        started_ = false;
      }
      const QFont bold = HandlerFont(col.size, kBold, false, u);
      const QFont normal = HandlerFont(col.size, kNormal, false, u);
      const QFont letterFont = HandlerFont(kLetterSize, kBold, false, u);
      const double width = col.rect.width();
      const char letter = started_ ? 0 : LetterOf(current_->heading);
      const double band = letter ? WrappedHeight(p, letterFont, width, "M") * 1.3 : 0;
      const QString heading = started_ ? QString() : PrintText(current_->heading);
      const double headingHeight = started_ ? 0 : WrappedHeight(p, bold, width, heading);
      QString body = PrintText(current_->body);
      double bodyHeight = body.isEmpty() ? 0 : WrappedHeight(p, normal, width, body);
      const double room = col.rect.bottom() - top;
      bool whole = band + headingHeight + bodyHeight <= room;
      if (!whole) {
        if (top > col.rect.top()) {  // something is in this column already
          ++column;
          continue;
        }
        // Not even an empty column holds it: as much of the body as fits.
        if (band + headingHeight > room) return Fail(fill);
        int fits = 0, fitsNot = static_cast<int>(body.size());
        while (fitsNot - fits > 1) {
          const int mid = (fits + fitsNot) / 2;
          if (band + headingHeight + WrappedHeight(p, normal, width, body.left(mid)) <= room)
            fits = mid;
          else
            fitsNot = mid;
        }
        body = body.left(fits);
        bodyHeight = body.isEmpty() ? 0 : WrappedHeight(p, normal, width, body);
        current_->body = current_->body.substr(static_cast<size_t>(fits));
        // The rest goes on without the line break it may start with.
        while (!current_->body.empty() && (current_->body[0] == '\r' || current_->body[0] == '\n'))
          current_->body.erase(0, 1);
      }
      double y = top;
      if (letter) {
        LetterBand(p, QRectF(col.rect.left(), y, width, band), letter, letterFont, u);
        previousLetter_ = letter;
        y += band;
      }
      if (!started_) {
        DrawWrapped(p, bold, QRectF(col.rect.left(), y, width, headingHeight), heading);
        y += headingHeight;
        if (firstHeading.empty()) firstHeading = current_->heading;
        lastHeading = current_->heading;
      }
      if (!body.isEmpty())
        y += DrawWrapped(p, normal, QRectF(col.rect.left(), y, width, bodyHeight), body);
      top = y + 60 * u;
      started_ = true;
      if (whole) {
        current_.reset();
      } else {
        ++column;
      }
    }
    if (current_) *fill.anotherPage = true;
    tops_[0] = tops_[1] = -1e300;
    // "%3s-%3s": the first three characters of the page's first and last
    // headings.
    char range[16];
    std::snprintf(range, sizeof range, "%3s-%3s", firstHeading.substr(0, 3).c_str(),
                  lastHeading.substr(0, 3).c_str());
    DrawLine(p, range_->rect, PrintText(range), HandlerFont(range_->size, kBold, false, u),
             Qt::AlignRight);
    return true;
  }

  static void LetterBand(QPainter& p, const QRectF& band, char letter, const QFont& font,
                         double u) {
    p.save();
    p.fillRect(band, QColor(230, 230, 230));
    p.setPen(QPen(Qt::black, 30 * u));
    p.drawLine(QPointF(band.left(), band.bottom() - 15 * u),
               QPointF(band.right(), band.bottom() - 15 * u));
    p.restore();
    DrawLine(p, band, QString(QChar(letter)), font, Qt::AlignHCenter);
  }

  static bool Fail(RegionFill& fill) {
    *fill.message = "Phone list entry too large to print.";
    return false;
  }

  std::string title_;
  const PhoneEntrySupplier& next_;
  int page_ = 0;
  std::optional<PhoneReportEntry> current_;
  bool started_ = false;
  char previousLetter_ = 0;
  std::optional<Kept> range_;
  std::optional<Kept> columns_[2];
  double tops_[2] = {-1e300, -1e300};
};

}  // namespace

PrintOutcome PrintPhoneList(PrintTarget& target, const std::string& dataDirectory,
                            const std::string& title, const PhoneEntrySupplier& next) {
  PhoneListPrint print(title, next);
  const HandlerTable handlers = print.Handlers();
  PrintOutcome outcome;
  print.NextPage();
  for (;;) {
    const PageOutcome page =
        PrintTemplatePage(target, TemplatePath(dataDirectory, "phlist.wmf"), handlers);
    if (!AddPage(outcome, page) || !page.anotherPage) return outcome;
    print.NextPage();
    if (!StartNextPage(target, outcome)) return outcome;
  }
}
