// The line printer: text laid out in character cells of a fixed-pitch font
// on a print job's pages, from the top margin (0.3 inch) down. "\r\n"
// starts a line, a form feed ends the page (the next text starts a new
// one), and a page that runs full goes on to the next by itself.
//
// The frame characters of message slips ("│ ─ ┌ ┐ └ ┘") are not printed
// as glyphs but drawn as lines through their character cell with a pen
// 1/75 inch wide, so boxes join up whatever the font.
#pragma once

#include <QFont>
#include <string_view>

#include "printing/text_output.h"

class PrintJob;

class LinePrinter : public TextOutput {
 public:
  // Lines of this many characters fit across the page, and this many lines
  // below the top margin.
  static constexpr int kColumns = 80;
  static constexpr int kLines = 62;

  explicit LinePrinter(PrintJob& job);
  bool Output(std::string_view text) override;

  int CharWidth() const { return charWidth_; }
  int LineHeight() const { return lineHeight_; }
  // Lines drawn on the current page (the page's line position).
  int Line() const { return line_; }

 private:
  bool StartPendingPage();
  void NewLine();
  void DrawRun(const QString& run);
  void DrawBox(char32_t c);

  PrintJob& job_;
  QFont font_;
  double cellWidth_ = 0;  // the font's advance, to place every column exactly
  int charWidth_ = 0;
  int lineHeight_ = 0;
  int ascent_ = 0;
  int topMargin_ = 0;
  int left_ = 0;
  int bottom_ = 0;
  int x_ = 0;  // column
  int line_ = 0;
  bool pagePending_ = false;
};
