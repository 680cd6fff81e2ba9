// A phone list report or a sheet of labels from start to end: the entries
// read from the phone list, then written to an export file, or printed on
// a print job. dpadmin, the search result list and the benchmark all run
// reports through here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/phone/label_table.h"
#include "printing/phone_report.h"
#include "printing/text_output.h"

class PrintJob;

// The record numbers of a list's entries in Listname order.
int ListRecordNumbers(int32_t list, std::vector<int32_t>* recordNumbers);
// Reads the entries (with their notes' texts when withNotes); an entry
// deleted meanwhile is passed over. 0 with the application error.
int ReadReportEntries(const std::vector<int32_t>& recordNumbers, bool withNotes,
                      std::vector<ReportEntry>* entries);

// The date under a text report's title: today as the program writes dates.
std::string ReportDate();

// Writes the report as text or comma-delimited to the output.
bool WriteReport(TextOutput& out, ReportType type, ReportTarget target, const std::string& title,
                 const std::vector<ReportEntry>& entries);
// The same into a file at path, written beside it and renamed when whole;
// false with *failure set.
bool ExportReport(const std::string& path, ReportType type, ReportTarget target,
                  const std::string& title, const std::vector<ReportEntry>& entries,
                  FileFailure* failure);
// The report on the phone list pages of a started job.
bool PrintReport(PrintJob& job, ReportType type, const std::string& title,
                 const std::vector<ReportEntry>& entries);

// Labels into a file (the line printer's layout as text) or onto a
// started job's line printer.
bool ExportLabels(const std::string& path, const LabelFormat& format, bool includeContact,
                  const std::vector<ReportEntry>& entries, FileFailure* failure);
bool PrintLabelSheet(PrintJob& job, const LabelFormat& format, bool includeContact,
                     const std::vector<ReportEntry>& entries);
