// A real office for the main window's tests: every catalogue table made by
// the engine in a temporary directory with the DP.EXE marker, a few people,
// the workstation's INI file in a directory of its own, and helpers that
// do what another workstation would (send a message, raise a flag).
#pragma once

#include <sys/stat.h>

#include <map>
#include <string>

#include "data/clock.h"
#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/office/flags.h"
#include "shell/ui/sound_player.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/records/message.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

class Office {
 public:
  // False when the directory could not be made.
  bool Make() {
    if (!CreateEmptyOffice(dir.Path())) return false;
    return AsOtherWorkstation([this] {
      NameTable names;
      if (!NameOpen(names)) return false;
      bool ok = true;
      for (const char* name : {"ANNE", "BOB", "CAROL"}) {
        NameEntry entry;
        ok = ok && NameAdd(names, name) && NameFind(names, name, &entry);
        if (ok) numbers[name] = entry.Number();
      }
      NameClose(names);
      return ok;
    });
  }

  // Runs work against the office as another workstation would. A user
  // started in this process keeps its data directory and error reporter.
  template <typename Work>
  bool AsOtherWorkstation(Work work) {
    const std::string directory = DataDirectory();
    SetDataDirectory(dir.Path());
    ErrorReporter reporter = DbSetErrorReporter(TranslateEngineError);
    const bool ok = work();
    SetDataDirectory(directory);
    DbSetErrorReporter(std::move(reporter));
    ClearAppError();
    return ok;
  }

  // Changes the person's record as another workstation would.
  template <typename Edit>
  bool EditPerson(const std::string& name, Edit edit) {
    return AsOtherWorkstation([&] {
      NameRecord record;
      if (NameLookup(name, &record) != 1) return false;
      edit(record);
      return NameUpdate(record) == 1;
    });
  }

  // A memo from one person to another, stored as Send stores it (which
  // raises the recipient's flag).
  bool SendMemo(const std::string& from, const std::string& to, const std::string& text,
                bool urgent) {
    namespace m = records::message;
    return AsOtherWorkstation([&] {
      WallClock clock = SetClock([this] { return now; });
      now += 60;
      const MessageUser user = CurrentMessageUser();
      SetMessageUser({from, numbers[from], false});
      MessageRecord r;
      SetFieldByte(r.bytes, m::kKind, m::kKindMemo);
      SetFieldText(r.bytes, m::kTo, to.c_str());
      SetFieldText(r.bytes, m::kFrom, from.c_str());
      SetFieldText(r.bytes, m::kMemoText, text.c_str());
      if (urgent) SetFieldByte(r.bytes, m::kFlags, m::kFlagUrgent);
      MessageTable handle;
      bool ok = MsgOpen(handle) == 1;
      ok = ok && MsgSendOne(&handle, r, numbers[to], false, 1) == 1;
      if (handle.open) MsgClose(handle);
      SetMessageUser(user);
      SetClock(std::move(clock));
      return ok;
    });
  }

  std::string FlagPath(const std::string& name) { return FlagFilePath(dir.Path(), numbers[name]); }
  // The flag file of the person with the value (its size is value - 1).
  void SetFlagValue(const std::string& name, int value) {
    WriteWholeFile(FlagPath(name), std::string(size_t(value - 1), '\0'));
  }

  std::string IniPath() const { return config.File("BOB.INI"); }
  // The INI file of BOB's workstation with the extra lines of the
  // "DESKpost" section and any further sections.
  void WriteIni(const std::string& mainKeys, const std::string& otherSections = "") {
    WriteWholeFile(IniPath(), "[DESKpost]\nPath=" + dir.Path() + "\nName=BOB\n" + mainKeys + "\n" +
                                  otherSections);
  }

  TempDir dir;
  TempDir config;
  std::map<std::string, int32_t> numbers;
  int32_t now = 1700000000;
};

// Hears nothing; remembers what would have sounded.
class RecordingSound : public SoundPlayer {
 public:
  bool Play(const std::string& file) override {
    played.push_back(file);
    return true;
  }
  void Beep(BeepKind kind) override {
    ++beeps;
    if (kind == BeepKind::kExclamation) ++exclamations;
  }
  std::vector<std::string> played;
  int beeps = 0;
  int exclamations = 0;
};
