#include "bench/side.h"

namespace bench {

std::unique_ptr<Side> MakeOurSide();
std::unique_ptr<Side> MakeSqliteSide(bool wal);

std::unique_ptr<Side> MakeSide(SideKind kind) {
  switch (kind) {
    case SideKind::kOurs:
      return MakeOurSide();
    case SideKind::kSqliteDelete:
      return MakeSqliteSide(false);
    case SideKind::kSqliteWal:
      return MakeSqliteSide(true);
  }
  return nullptr;
}

const char* SideName(SideKind kind) {
  switch (kind) {
    case SideKind::kOurs:
      return "ours";
    case SideKind::kSqliteDelete:
      return "sqlite";
    case SideKind::kSqliteWal:
      return "sqlite-wal";
  }
  return "?";
}

bool SideFromName(const std::string& name, SideKind* kind) {
  for (SideKind k : {SideKind::kOurs, SideKind::kSqliteDelete, SideKind::kSqliteWal}) {
    if (name == SideName(k)) {
      *kind = k;
      return true;
    }
  }
  return false;
}

}  // namespace bench
