// The address put on the clipboard: lines left out when blank, the city
// line, and capitals-only texts given capitalised words.
#include "data/phone/phone_address.h"

#include <gtest/gtest.h>

namespace ph = records::phone;

namespace {

TEST(AddressTest, CapitalsOnlyTextsGetCapitalisedWordsAndBlankPartsAreLeftOut) {
  PhoneRecord r;
  r.SetText(ph::kContact, "JOHN MCDONALD   ");
  r.SetText(ph::kCompany, "Acme Tools, Inc.");
  r.SetText(ph::kStreet1, "12 MAIN ST.");
  r.SetText(ph::kCity, "SPRINGFIELD");
  r.SetText(ph::kState, "IL");
  r.SetText(ph::kZip, "62704");
  EXPECT_EQ(PhoneAddressText(r),
            "John Mcdonald\r\nAcme Tools, Inc.\r\n12 Main St.\r\nSpringfield IL 62704\r\n");
  // Blank parts are left out.
  r = PhoneRecord();
  r.SetText(ph::kCompany, "Ortiz Travel");
  r.SetText(ph::kStreet2, "   ");
  r.SetText(ph::kZip, "10115");
  EXPECT_EQ(PhoneAddressText(r), "Ortiz Travel\r\n10115\r\n");
}

TEST(AddressTest, MixedCaseStaysAsTypedAndAccentedCapitalsFold) {
  EXPECT_EQ(CapitaliseCapitals("van der Berg"), "van der Berg");
  EXPECT_EQ(CapitaliseCapitals("J. O'BRIEN 3RD"), "J. O'brien 3rd");
  EXPECT_EQ(CapitaliseCapitals("\xC9MILE Z\xC9RO"), "\xC9mile Z\xE9ro");  // ÉMILE ZÉRO
  EXPECT_EQ(CapitaliseCapitals("\xE9mile"), "\xE9mile");
}

}  // namespace
