#include "toolkit/scripted_prompts.h"

#include "toolkit/modeless.h"

ScriptedPrompts::ScriptedPrompts() : previous_(&Prompter()) {
  SetPrompter(this);
}

ScriptedPrompts::~ScriptedPrompts() {
  SetPrompter(previous_ == this ? nullptr : previous_);
}

int ScriptedPrompts::Next(const QString& kind, const QString& caption, const QString& text,
                          int fallback) {
  // While the box would be up, the modeless windows could not be used.
  ModelessDisabled disabled;
  bool have = !answers_.empty();
  asked_.push_back({kind, caption, text, have});
  if (!have) return fallback;
  int v = answers_.front();
  answers_.pop_front();
  return v;
}

std::vector<ScriptedPrompts::Asked> ScriptedPrompts::Questions() const {
  std::vector<Asked> out;
  for (const Asked& a : asked_) {
    if (a.kind != "Progress" && a.kind != "Searching" && a.kind != "Working") out.push_back(a);
  }
  return out;
}

int ScriptedPrompts::Unanswered() const {
  int n = 0;
  for (const Asked& a : asked_) {
    if (!a.answered && a.kind != "Inform" && a.kind != "Assert" && a.kind != "Flash" &&
        a.kind != "Working")
      ++n;
  }
  return n;
}

void ScriptedPrompts::Inform(const QString& text, const QString& caption) {
  asked_.push_back({"Inform", caption, text, true});
}

bool ScriptedPrompts::AskYesNo(const QString& text, const QString& caption) {
  return Next("YesNo", caption, text, 0) != 0;
}

bool ScriptedPrompts::AskRetryCancel(const QString& text) {
  return Next("RetryCancel", "Error", text, 0) != 0;
}

void ScriptedPrompts::CheckFailed(const QString& text) {
  asked_.push_back({"Assert", "Assert", text, true});
}

int ScriptedPrompts::YesNoAll(const QString& text) {
  return Next("YesNoAll", "Confirm", text, kIdNo);
}

int ScriptedPrompts::OptionPrompt(const QString& caption, const QString& text, const QString&,
                                  const QString&) {
  return Next("Option", caption, text, 0);
}

int ScriptedPrompts::PickList(const QString& caption, const QStringList& items, int) {
  int v = Next("PickList", caption, items.join('\n'), -1);
  return v >= 0 && v < items.size() ? v : -1;
}

void ScriptedPrompts::Flash(const QString& text) {
  asked_.push_back({"Flash", QString(), text, true});
}

void ScriptedPrompts::Working(bool on, const QString& text) {
  if (on) {
    ++workingDepth_;
  } else if (workingDepth_ > 0) {
    --workingDepth_;
  }
  asked_.push_back({"Working", on ? "on" : "off", text, true});
}

int ScriptedPrompts::Progress(const ProgressStep& step) {
  asked_.push_back({"Progress", step.caption, step.label, true});
  if (step.finished) return 0;
  if (progressAnswers_.empty()) return 1;
  int v = progressAnswers_.front();
  progressAnswers_.pop_front();
  return v != 0 ? 1 : 0;
}

int ScriptedPrompts::Searching(bool finished) {
  asked_.push_back({"Searching", "Searching...", QString(), true});
  if (finished) return 0;
  if (progressAnswers_.empty()) return 1;
  int v = progressAnswers_.front();
  progressAnswers_.pop_front();
  return v != 0 ? 1 : 0;
}
