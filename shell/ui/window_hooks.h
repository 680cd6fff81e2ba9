// What the main window hands on to windows built elsewhere: the password
// dialogs, About, Run Setup, Help, the start-up's name error, and the
// windows still to come (Take, the message lists, the phone list, the
// scheduler, the to-do list, printing, search, options).
//
// main.cpp fills the hooks. An empty hook leaves a plain stand-in for the
// first group, and leaves the command's menu entries and buttons disabled
// for the second: a command is never offered without its window.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "data/messages/dpmess.h"

struct DpWinHooks {
  // Password dialogs 611 (master), 612 (phone), 613 (user).
  std::function<void(QWidget* owner, int command)> password;
  // Whether a master password is set: the Password popup enables "&Phone..."
  // and "&User..." only then.
  std::function<bool()> masterPasswordSet;
  std::function<void(QWidget* owner)> about;  // 618
  // 201, after the question and once the window may close: starts the
  // setup program with the INI file's name.
  std::function<void(const std::string& iniPath)> runSetup;
  std::function<void(QWidget* owner)> help;  // 212 and F1
  // The NAME_ERROR dialog of start-up: true when "Run Setup..." was chosen.
  std::function<bool(const std::string& text)> nameError;

  // The View command found an urgent message: open it in its view window.
  std::function<void(const MessageEntry& entry)> openMessage;
  // Closing asks the open Take window about unsent content; false refuses
  // the close (the Take window has come forward).
  std::function<bool()> takeMayClose;
  // Command 203: the Take window of a kind ('P' phone message, 'M' memo,
  // 'E' e-mail), after the open one has agreed to close.
  std::function<void(char kind)> takeKind;
  // Every tick of the main window's timer (the Take window's clock).
  std::function<void()> tick;
  // The windows by command id (251, 252 for the New view, 253 to 255,
  // 600 to 609, 614 to 617, 620, 621, 628, 638, 639, 610). A command
  // without an entry is disabled.
  std::map<int, std::function<void()>> windows;
};
