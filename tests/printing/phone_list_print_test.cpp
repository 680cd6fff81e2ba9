// Phone list reports printed on the delivered phlist.wmf into a PDF in this
// process, as the print job drives them, and read back with pdftotext.
#include "printing/phone_list_print.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/printing/text_pieces.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"

namespace {

// Painting needs the windowing system's fonts; the offscreen one will do.
// The application lives until the program ends and is destroyed then, so
// the font caches it holds are given back rather than left behind.
void StartGui() {
  static int argc = 1;
  static char name[] = "phone_list_print_test";
  static char* argv[] = {name, nullptr};
  static const bool offscreen = setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0;
  static QGuiApplication app(argc, argv);
  (void)offscreen;
}

struct Printed {
  PrintOutcome outcome;
  std::vector<std::string> pages;
};

Printed PrintEntries(const std::vector<PhoneReportEntry>& entries, const std::string& title,
                     const std::string& templates = TEMPLATE_DIR) {
  StartGui();
  TempDir temp;
  Printed printed;
  {
    QPdfWriter writer(QString::fromStdString(temp.File("list.pdf")));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch));
    QPainter painter(&writer);
    PrintTarget target;
    target.painter = &painter;
    target.page =
        QRectF(QPointF(0, 0), writer.pageLayout().paintRectPixels(writer.resolution()).size());
    target.newPage = [&writer] { return writer.newPage(); };
    size_t next = 0;
    printed.outcome = PrintPhoneList(target, templates, title, [&](PhoneReportEntry* e) {
      if (next == entries.size()) return false;
      *e = entries[next++];
      return true;
    });
  }
  printed.pages = PdfPages(temp.File("list.pdf"));
  return printed;
}

// Whether a line of the page begins with the text as a word of its own: a
// letter heading (the other column may share its line).
bool AloneOnALine(const std::string& page, const std::string& text) {
  for (std::string line : Lines(page)) {
    line.erase(0, line.find_first_not_of(' '));
    line.erase(line.find_last_not_of(' ') + 1);
    if (line == text || line.rfind(text + " ", 0) == 0) return true;
  }
  return false;
}

TEST(PhoneListPrint, EntriesOfOneLetterGetOneHeadingOnTheFirstPageOnly) {
  std::vector<PhoneReportEntry> entries;
  for (int i = 0; i < 80; ++i) {
    char heading[30];
    std::snprintf(heading, sizeof heading, "Acme Supplies %02d", i);
    entries.push_back({heading, "Jo Smith\rPhone1:\t\t555-0100 12\rFax:\t\t555-0199"});
  }
  const Printed printed = PrintEntries(entries, "COMMON's PhoneList");
  ASSERT_TRUE(printed.outcome.ok) << printed.outcome.message;
  ASSERT_GE(printed.pages.size(), 2u);
  EXPECT_EQ(static_cast<size_t>(printed.outcome.pages), printed.pages.size());
  std::string all;
  for (size_t i = 0; i < printed.pages.size(); ++i) {
    const std::string& page = printed.pages[i];
    all += page;
    EXPECT_EQ(AloneOnALine(page, "A"), i == 0) << page;
    EXPECT_EQ(Missing(page, {"COMMON's PhoneList", "Page " + std::to_string(i + 1), "Acm-Acm"}), "")
        << page;
  }
  // Every entry once, whole.
  for (const PhoneReportEntry& e : entries) EXPECT_EQ(Count(all, e.heading), 1) << e.heading;
  EXPECT_EQ(Count(all, "555-0100 12"), 80);
}

TEST(PhoneListPrint, ANewLetterGetsItsHeadingAndTheRangeNamesThePage) {
  const Printed printed = PrintEntries({{"Baker & Sons", "Phone1:\t\t555-0101"},
                                        {"bell hire", "Phone1:\t\t555-0102"},
                                        {"Carter Ltd", "Phone1:\t\t555-0103"},
                                        {"42nd Street Deli", "Phone1:\t\t555-0104"}},
                                       "Suppliers");
  ASSERT_TRUE(printed.outcome.ok) << printed.outcome.message;
  ASSERT_EQ(printed.pages.size(), 1u);
  const std::string& page = printed.pages[0];
  EXPECT_TRUE(AloneOnALine(page, "B"));
  EXPECT_TRUE(AloneOnALine(page, "C"));
  EXPECT_FALSE(AloneOnALine(page, "4"));
  EXPECT_NE(page.find("Bak-42n"), std::string::npos) << page;
}

TEST(PhoneListPrint, AnEntryLongerThanAColumnGoesOnInTheNextColumn) {
  std::string body;
  for (int i = 1; i <= 120; ++i) body += "Misc line " + std::to_string(i) + "\r";
  const Printed printed = PrintEntries({{"Long Entry Co", body}, {"Next Co", "555-0200"}}, "Long");
  ASSERT_TRUE(printed.outcome.ok) << printed.outcome.message;
  std::string all;
  for (const std::string& page : printed.pages) all += page;
  for (int i = 1; i <= 120; ++i)
    EXPECT_EQ(Count(all, "Misc line " + std::to_string(i) + "\n") +
                  Count(all, "Misc line " + std::to_string(i) + " "),
              1)
        << i;
  EXPECT_EQ(Count(all, "Long Entry Co"), 1);
  EXPECT_NE(all.find("Next Co"), std::string::npos);
}

}  // namespace
