// The main window's command ids: the entries of menu "MENU_1", the buttons
// of the two toolbars and the system menu entries. Other windows post the
// same numbers, so they are fixed for good.
#pragma once

#include "shell/toolbar_layout.h"

// File
constexpr int kCmdPrinterSetup = 617;
constexpr int kCmdCompanionFax = 206;
constexpr int kCmdCompanionPager = 636;
constexpr int kCmdCompanionRemote = 637;
constexpr int kCmdExit = 217;
// View
constexpr int kCmdViewNew = 600;
constexpr int kCmdViewFolder = 601;
constexpr int kCmdViewArchive = 602;
constexpr int kCmdSendLogNew = 620;
constexpr int kCmdSendLogArchive = 621;
// Print
constexpr int kCmdPrintNew = 614;
constexpr int kCmdPrintFolder = 615;
constexpr int kCmdPrintArchive = 616;
// Search
constexpr int kCmdSearchAll = 603;
constexpr int kCmdSearchNew = 604;
constexpr int kCmdSearchFolder = 605;
constexpr int kCmdSearchArchive = 606;
constexpr int kCmdSearchSendLogNew = 638;
constexpr int kCmdSearchSendLogArchive = 639;
// PhoneList (View List is kCmdPhoneList)
constexpr int kCmdSelectList = 628;
constexpr int kCmdPhoneSearch = 607;
constexpr int kCmdPhoneReports = 608;
constexpr int kCmdPhoneLabels = 609;
// Setup
constexpr int kCmdPasswordMaster = 611;
constexpr int kCmdPasswordPhone = 612;
constexpr int kCmdPasswordUser = 613;
constexpr int kCmdOptions = 610;
constexpr int kCmdRunSetup = 201;
constexpr int kCmdAbout = 618;
// The toolbars and the keyboard
constexpr int kCmdHelp = 212;
constexpr int kCmdToolbar = 216;
constexpr int kCmdTakeKind = 203;
constexpr int kCmdSave = 200;

// The property every menu action carries with its command id, as
// "controlId" does for controls.
constexpr char kCommandIdProperty[] = "commandId";
