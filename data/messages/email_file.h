// The e-mail file of one message: "<n>.DPE" in the data directory's DPE
// folder (the sender's send-log copy in SENDLOG under the same number),
// holding the 2048-byte header and the body (layout in
// storage/records/email.h), and the files that belong to it: its
// attachments "<stored name>.ATT" and, for mail that came in from the
// Internet, the gateway's raw copy "<stem>.RAW", both in DPE.
//
// Every function answers 1 or 0; on 0 EmailError() holds the sentence to
// show (data/email_error.h) and file failures leave the application error
// with the path. Headers may come from the gateway, which writes what it
// received from the Internet: text fields are read no further than their
// width, and a stored attachment name or raw stem is used in a path only
// when it has exactly the form this system writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "storage/records/email.h"
#include "storage/records/message.h"

// The most body text a window shows or searches (a longer body is read cut,
// with the truncated flag set).
constexpr size_t kEmailBodyLimit = 32000;

struct EmailHeader {
  uint8_t bytes[records::email::kHeaderSize] = {};

  // Text fields, each at most its width - 1 bytes (a field without its NUL
  // is read cut there, as it would be written back).
  std::string To() const;
  std::string From() const;
  std::string Subject() const;
  std::string Cc() const;
  // Stored cut to width - 1 bytes.
  void SetTo(std::string_view text);
  void SetFrom(std::string_view text);
  void SetSubject(std::string_view text);
  void SetCc(std::string_view text);
};

// "<data directory>DPE/": e-mail files, stored attachments and raw files.
std::string EmailFolderPath();
// "<data directory>DPE/<number>.DPE", or the SENDLOG one.
std::string EmailFilePath(int32_t number, bool sendLog = false);

// Whether a raw-file stem has the form of a plain file name in DPE: 1 to
// 160 bytes, no control character, path separator, drive colon, wildcard
// or character a file name cannot hold, and no "..".
bool IsRawStem(std::string_view stem);
// "<data directory>DPE/<stem>.RAW"; only for stems IsRawStem accepts.
std::string RawFilePath(std::string_view stem);

// Creates or truncates the message's e-mail file and writes header and
// body; a file that could not be written whole is deleted.
int EmailWrite(const EmailHeader& header, std::string_view body, int32_t number);
int EmailWriteFile(const std::string& path, const EmailHeader& header, std::string_view body);
// Replaces the existing e-mail file's header and body. The new content is
// written beside it and renamed over it, so a failed write leaves the old
// file as it was.
int EmailRewrite(const EmailHeader& header, std::string_view body, int32_t number);
// Writes the 2048 header bytes at the start of the existing e-mail file (or
// of its send-log copy), leaving the body alone.
int EmailRewriteHeader(const EmailHeader& header, int32_t number, bool sendLog);

// Reads the header (a file shorter than 2048 bytes fails: "Error reading
// DPE file.") and, when body is given, at most limit bytes of the body;
// *truncated tells whether more was there. Either out pointer may be null.
int EmailRead(const std::string& path, EmailHeader* header, std::string* body, size_t limit,
              bool* truncated);
// The body alone, as the message search reads it.
int EmailReadBody(const std::string& path, std::string* body, size_t limit, bool* truncated);

// Deletes an e-mail's files after its message record is gone: every stored
// attachment of its header, the raw file the record names (kRawStem), and
// the e-mail file at path. A stored name or stem not of the form this
// system writes is refused (1021, "Invalid attachment name: ..."), and the
// rest is still deleted; the answer is then 0. A missing e-mail file has
// nothing to delete and succeeds.
int EmailDeleteFiles(std::span<const uint8_t, records::message::kRecordSize> record,
                     const std::string& path);
int EmailDeleteFiles(const std::string& path, std::string_view rawStem);

// Copies an e-mail file with attachment files of its own: reads the
// source's header ("Error reading DPE file."), duplicates its attachments,
// lets edit change the new header (To, CC, From of a copied e-mail), creates
// the target ("Error creating email file."), copies the source and writes
// the new header over the target's ("Error writing email file."). On
// failure the target and the duplicates are removed again.
int EmailCopyFile(const std::string& source, const std::string& target,
                  const std::function<void(EmailHeader&)>& edit = nullptr);
