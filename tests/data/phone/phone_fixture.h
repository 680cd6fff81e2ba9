// A data directory with the phone list table open, and entries made and
// added in one line each.
#pragma once

#include <string>

#include "data/phone/dpphone.h"
#include "tests/data/office/office_dir.h"

class PhoneTableTest : public OfficeDirTest {
 protected:
  void SetUp() override {
    OfficeDirTest::SetUp();
    ASSERT_EQ(PhoneOpen(phones), 1);
  }
  void TearDown() override {
    if (phones.open) PhoneClose(phones);
    OfficeDirTest::TearDown();
  }

  static PhoneRecord Make(int32_t list, const std::string& listname, const std::string& phone = "",
                          const std::string& company = "", int32_t note = 0) {
    PhoneRecord r;
    r.SetText(records::phone::kListname, listname);
    r.SetText(records::phone::kPhone1, phone);
    r.SetText(records::phone::kCompany, company);
    SetFieldI32(r.bytes, records::phone::kList, list);
    SetFieldI32(r.bytes, records::phone::kNote, note);
    return r;
  }

  // Adds the entry; its record number.
  int32_t Add(PhoneRecord r) {
    int32_t at = -1;
    EXPECT_EQ(PhoneAdd(phones, r, &at), 1) << r.Listname() << ": " << FormatAppError();
    return at;
  }
  int32_t Add(int32_t list, const std::string& listname, const std::string& phone = "",
              const std::string& company = "") {
    return Add(Make(list, listname, phone, company));
  }

  PhoneRecord Read(int32_t recordNumber) {
    PhoneRecord r;
    EXPECT_EQ(PhoneRead(phones, recordNumber, &r), 1);
    return r;
  }

  PhoneTable phones;
};
