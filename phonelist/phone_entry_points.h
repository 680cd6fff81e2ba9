// The phone list's entry points for the main window and other windows:
// opening the list window (after the access check of the current list),
// choosing the list, the search in its three modes and quick add. The list
// window exists at most once; while it is busy with a modal child the entry
// points beep instead of acting.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "data/phone/dpphone.h"

class TPhoneListClass;

// The access check of the current list (phone list area).
bool PhoneListAccess();
// The open list window, or nullptr.
TPhoneListClass* PhoneListWindow();
// Command 253 and the toolbar: brings the window forward, or creates it
// after the access check of the current list.
void OpenPhoneListWindow(QWidget* owner);
// Command 628, the window's "Select List" and the quick list's "&Select
// PhoneList": the name picker (mode 3, phone list password area); a name
// beginning with "*" is "COMMON", another name that person's list. The
// window, opened when asked, is retitled and reloaded.
void SelectPhoneList(QWidget* owner, bool openWindow);
// The name picker for a target list (mode 3, no password): false when
// cancelled.
bool PickTargetList(QWidget* owner, PhoneList* target);
// Commands 607 (mode 0), 609 (labels, mode 1) and 608 (reports, mode 2).
void SearchPhoneList(QWidget* owner, int mode);
// "&Add to PhoneList" of a phone message (the Take window, the phone message
// view): company, From, phone and extension (single-byte text) become an
// entry of the current list, said in a brief notice ("Entry added.",
// "Entry already exists."); all three blank adds nothing. An open list
// window shows the new entry.
void AddToPhoneList(const std::string& company, const std::string& from, const std::string& phone,
                    const std::string& extension);
// Closes and deletes the list window (the program's end).
void ClosePhoneListWindow();
