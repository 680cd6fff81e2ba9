// The prompt service for tests: every box is answered from a script written
// before the action, and every question is recorded (kind, caption, text),
// so a test asserts on what the user would have been asked. A question with
// no scripted answer is recorded as unanswered and gets the safe answer (No,
// Cancel, closed).
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "toolkit/prompts.h"

class ScriptedPrompts : public PromptService {
 public:
  struct Asked {
    QString kind;  // "Inform", "YesNo", "RetryCancel", "Assert", "YesNoAll",
                   // "Option", "PickList", "Flash", "Working", "Progress",
                   // "Searching"
    QString caption;
    QString text;
    bool answered;
  };

  // Installs itself as the prompts in use for its lifetime.
  ScriptedPrompts();
  ~ScriptedPrompts() override;

  // The next answers, in order: true/false for Yes/No and Retry/Cancel,
  // button ids for Yes/No/All, 1/2/0 for the two options, an index or -1 for
  // the pick list.
  void Answer(int value) { answers_.push_back(value); }
  // The next answers of progress and searching calls (1 go on, 0 the user
  // pressed Cancel); without them every call goes on.
  void AnswerProgress(int value) { progressAnswers_.push_back(value); }
  const std::vector<Asked>& AskedList() const { return asked_; }
  // The questions asked so far (informations included), without the
  // progress, searching and working calls.
  std::vector<Asked> Questions() const;
  int Unanswered() const;
  int WorkingDepth() const { return workingDepth_; }
  void Clear() { asked_.clear(); }

  void Inform(const QString& text, const QString& caption = "DESKpost") override;
  bool AskYesNo(const QString& text, const QString& caption = "DESKpost") override;
  bool AskRetryCancel(const QString& text) override;
  void CheckFailed(const QString& text) override;
  int YesNoAll(const QString& text) override;
  int OptionPrompt(const QString& caption, const QString& text, const QString& first,
                   const QString& second) override;
  int PickList(const QString& caption, const QStringList& items, int first) override;
  void Flash(const QString& text) override;
  void Working(bool on, const QString& text = QString()) override;
  int Progress(const ProgressStep& step) override;
  int Searching(bool finished) override;

 private:
  // The next scripted answer, or fallback when the script ran out.
  int Next(const QString& kind, const QString& caption, const QString& text, int fallback);

  std::deque<int> answers_;
  std::deque<int> progressAnswers_;
  std::vector<Asked> asked_;
  int workingDepth_ = 0;
  PromptService* previous_;
};
