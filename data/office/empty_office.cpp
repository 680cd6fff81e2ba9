#include "data/office/empty_office.h"

#include <fstream>

#include "storage/database.h"

bool CreateCatalogueTables(const std::string& dir, const TableDef** failed) {
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    Table table(def);
    if (!DbCreateTable(table, dir, def.version)) {
      if (failed) *failed = &def;
      return false;
    }
  }
  return true;
}

bool CreateEmptyOffice(const std::string& dir) {
  if (!CreateCatalogueTables(dir)) return false;
  std::ofstream marker(dir + "DP.EXE", std::ios::binary | std::ios::trunc);
  marker << kOfficeMarkerText;
  marker.close();
  return bool(marker);
}
