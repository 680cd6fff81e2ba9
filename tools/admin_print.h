// dpadmin print: what the program prints, without windows, onto PDF or
// text files, for administrators and scripts. Each kind of print is one
// function taking print's arguments after the word "print" (DIR, the
// kind, and the rest); the QGuiApplication the painters need is made once
// before any of them runs.
#pragma once

#include <string>
#include <vector>

using AdminPrintKind = int (*)(const std::vector<std::string>& args);

// print DIR phonelist|labels|folder ...
int AdminPrintPhoneList(const std::vector<std::string>& args);
int AdminPrintLabels(const std::vector<std::string>& args);
int AdminPrintFolder(const std::vector<std::string>& args);
