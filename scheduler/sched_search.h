// SEARCH_CALENDAR ("Search Schedule"): finds the owner's entries whose
// description or note holds a text, without regard to case; an empty text
// finds every entry. "&Go to" closes the dialog on the chosen match, whose
// date the view then shows. The to-do list uses the same dialog ("Search
// To-do") over its own items.
#pragma once

#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/schedule/dpsched.h"
#include "toolkit/base_dialog.h"

class QTreeWidget;

// One match: the entry's record number and day, and its row
// ("%s\t%s\t%s": date, time and description).
struct SchedMatch {
  int32_t recordNumber = -1;
  int32_t day = 0;
  std::string row;
};

// Walks the owner's entries in key order. keepGoing is asked before each
// entry (the Searching box's Cancel); false stops the walk with what was
// found. 0 on an engine error.
int SchedSearch(SchedTable& handle, int32_t owner, const std::string& text,
                const std::function<bool()>& keepGoing, std::vector<SchedMatch>* matches);

class SchedSearchDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdText = 101;
  static constexpr int kIdFind = 102;
  static constexpr int kIdResults = 103;
  static constexpr int kIdGoTo = 104;

  // Finds the matches of a text; keepGoing is asked before each record.
  using Finder = std::function<int(const std::string& text, const std::function<bool()>& keepGoing,
                                   std::vector<SchedMatch>* matches)>;
  SchedSearchDialog(QWidget* owner, SchedTable& handle, int32_t scheduleOwner);
  SchedSearchDialog(QWidget* owner, const QString& title, const QStringList& headings,
                    Finder finder);
  void Find();
  void GoTo();
  const std::vector<SchedMatch>& Matches() const { return matches_; }
  int32_t ChosenDay() const { return chosenDay_; }
  int32_t ChosenRecord() const { return chosenRecord_; }

 private:
  Finder finder_;
  char text_[79] = {};
  std::vector<SchedMatch> matches_;
  QTreeWidget* results_ = nullptr;
  int32_t chosenDay_ = 0;
  int32_t chosenRecord_ = -1;
};
