// The one road to every message box and shared prompt. Feature code asks
// Prompter(); the program installs the Qt implementation, tests install
// ScriptedPrompts (scripted_prompts.h), which answers from a script and
// records what was asked, so no test ever sits in a modal loop.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Buttons of the Yes/No/All box, and its answer.
constexpr int kIdYes = 600;
constexpr int kIdNo = 601;
constexpr int kIdYesToAll = 602;
constexpr int kIdNoToAll = 603;

// What every window says when the workstation lacks the right to delete
// (names, phone list entries, schedule entries, to-do items).
constexpr char kNoAccessRights[] = "You do not have access rights for this action.";

// One call of the progress box.
struct ProgressStep {
  QString caption;
  QString label;
  int32_t done = 0;
  int32_t total = 0;
  bool cancelAllowed = true;
  bool finished = false;
};

class PromptService {
 public:
  virtual ~PromptService() = default;

  // Information box: caption "DESKpost" unless given, information icon, OK.
  virtual void Inform(const QString& text, const QString& caption = "DESKpost") = 0;
  // Question: caption "DESKpost" unless given, Yes and No with No the
  // default; true for Yes.
  virtual bool AskYesNo(const QString& text, const QString& caption = "DESKpost") = 0;
  // Lock time-out: caption "Error", Retry and Cancel; true for Retry.
  virtual bool AskRetryCancel(const QString& text) = 0;
  // A failed consistency check, captioned "Assert"; execution continues.
  virtual void CheckFailed(const QString& text) = 0;

  // Yes/No/All ("Confirm"): kIdYes, kIdNo, kIdYesToAll or kIdNoToAll;
  // closing the box answers kIdNo.
  virtual int YesNoAll(const QString& text) = 0;
  // Two options: 1 or 2 for the button pressed, 0 when closed.
  virtual int OptionPrompt(const QString& caption, const QString& text, const QString& first,
                           const QString& second) = 0;
  // Pick list: the chosen index, or -1 for none (Cancel, closed).
  virtual int PickList(const QString& caption, const QStringList& items, int first) = 0;
  // The short notice after an action; it does not hold the user up.
  virtual void Flash(const QString& text) = 0;
  // The working notice; calls nest, the last "off" removes it.
  virtual void Working(bool on, const QString& text = QString()) = 0;
  // The progress box: 1 to go on, 0 once cancelled or finished (box closed).
  virtual int Progress(const ProgressStep& step) = 0;
  // The searching box: 1 to go on, 0 once cancelled or finished (box closed).
  virtual int Searching(bool finished) = 0;
};

// The prompts in use: the installed ones, else the Qt windows.
PromptService& Prompter();
// Installs prompts (nullptr: back to the Qt windows). The caller keeps them
// alive while installed.
void SetPrompter(PromptService* prompts);

// Shows failed consistency checks as "Check failed: %s, line %u\n" under
// "Assert" through the prompts in use.
void InstallWindowCheckHandler();
