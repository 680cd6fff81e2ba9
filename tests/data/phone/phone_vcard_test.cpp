// Phone list entries as vCards: reading cards of both versions (folded
// lines, escapes, types, extensions, more than an entry holds), refusing
// what cannot be stored with its line, writing cards that read back as the
// same entry, and both directions checked against an outside reader and
// writer (python3-vobject).
#include "data/phone/phone_vcard.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/cp1252.h"
#include "tests/support/temp_dir.h"

namespace ph = records::phone;

namespace {

std::vector<VCardCard> ReadAll(std::string_view text) {
  VCardReader reader(text);
  std::vector<VCardCard> cards;
  VCardCard card;
  while (reader.Next(&card)) cards.push_back(card);
  return cards;
}

// The entry's fields as "name=value" in the record's order, UTF-8, blanks
// left out, joined by " | ".
std::string Fields(const PhoneRecord& r) {
  const std::pair<const char*, Field> fields[] = {
      {"listname", ph::kListname}, {"company", ph::kCompany}, {"street1", ph::kStreet1},
      {"street2", ph::kStreet2},   {"city", ph::kCity},       {"state", ph::kState},
      {"zip", ph::kZip},           {"country", ph::kCountry}, {"contact", ph::kContact},
      {"phone1", ph::kPhone1},     {"ext1", ph::kExt1},       {"phone2", ph::kPhone2},
      {"ext2", ph::kExt2},         {"fax", ph::kFax},         {"cell", ph::kCell},
      {"url", ph::kUrl},           {"email", ph::kEmail},     {"id", ph::kId},
      {"misc", ph::kMisc}};
  std::string out;
  for (const auto& [name, field] : fields)
    if (std::string t = r.Text(field); !t.empty())
      out += (out.empty() ? "" : " | ") + std::string(name) + "=" + Cp1252ToUtf8(t);
  return out;
}

// A card as an import sees it: the entry's fields or why it is refused,
// then what was not stored, one a line.
std::string Shown(const VCardCard& card) {
  std::string out = card.error.empty() ? Fields(card.record) : "refused: " + card.error;
  for (const std::string& note : card.notes) out += "\n" + note;
  return out;
}

PhoneRecord FullEntry() {
  PhoneRecord r;
  r.SetText(ph::kListname, "M\xFCller, Smith & Co");
  r.SetText(ph::kCompany, "Smith; Jones \\ Partners");
  r.SetText(ph::kStreet1, "12 High Street");
  r.SetText(ph::kStreet2, "Suite 4, Floor 2");
  r.SetText(ph::kCity, "K\xF6ln");
  r.SetText(ph::kState, "NW");
  r.SetText(ph::kZip, "50667");
  r.SetText(ph::kCountry, "Germany");
  r.SetText(ph::kContact, "Anna Maria M\xFCller");
  r.SetText(ph::kPhone1, "(555) 123-4567");
  r.SetText(ph::kExt1, "12");
  r.SetText(ph::kPhone2, "555-9876");
  r.SetText(ph::kFax, "555-1111");
  r.SetText(ph::kCell, "555-2222");
  r.SetText(ph::kUrl, "http://example.com/a,b?x=1;y=2");
  r.SetText(ph::kEmail, "anna@example.com");
  r.SetText(ph::kId, "C-17");
  r.SetText(ph::kMisc, "Call after 10, not before.\rAsk for Anna; she knows \\ all.");
  return r;
}

// One card: what the first card becomes, or why it is refused.
TEST(VCardReaderTest, CardsOfEitherVersionBecomeEntries) {
  const struct {
    const char* name;
    const char* text;
    const char* shown;  // Shown() of the card
  } cases[] = {
      {"version 3.0 with types and a folded note",
       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Acme Tools\r\nN:Acme Tools;;;;\r\nORG:Acme Tools Inc.\r\n"
       "TEL;TYPE=WORK,VOICE:555-0100\r\nTEL;TYPE=FAX:555-0101\r\nTEL;TYPE=CELL:555-0102\r\n"
       "EMAIL;TYPE=INTERNET:sales@acme.example\r\nNOTE:first line\\nsecond\\, with a co\r\n mma\r\n"
       "END:VCARD\r\n",
       "listname=Acme Tools | company=Acme Tools Inc. | phone1=555-0100 | fax=555-0101 | "
       "cell=555-0102 | email=sales@acme.example | misc=first line\rsecond, with a comma"},
      {"version 4.0: quoted types, PREF, a tel URI with its extension",
       "BEGIN:VCARD\nVERSION:4.0\nFN:Bob Jones\nN:Jones;Bob;;Dr.;\n"
       "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+1-555-555-0000\n"
       "TEL;VALUE=uri;PREF=1;TYPE=work:tel:+1-555-555-0199;ext=42\n"
       "ADR;TYPE=work:;Bldg 5;1 Main St\\n2nd floor;Springfield;IL;62701;USA\nEND:VCARD\n",
       "listname=Bob Jones | street1=1 Main St | street2=2nd floor, Bldg 5 | city=Springfield | "
       "state=IL | zip=62701 | country=USA | contact=Dr. Bob Jones | phone1=+1-555-555-0199 | "
       "ext1=42 | phone2=+1-555-555-0000"},
      {"no FN: the name is made of N, the ORG kept as company",
       "BEGIN:VCARD\nVERSION:3.0\nN:Smith;Jane;Q.;;Jr.\nORG:Widgets;Sales\nEND:VCARD\n",
       "listname=Jane Q. Smith Jr. | company=Widgets, Sales"},
      {"only an ORG names the entry", "BEGIN:VCARD\nVERSION:3.0\nORG:Widgets\nEND:VCARD\n",
       "listname=Widgets | company=Widgets"},
      {"more than an entry holds is noted, not lost silently",
       "BEGIN:VCARD\nVERSION:3.0\nFN:Many\nTEL:1\nTEL:2\nTEL:3\nTEL;TYPE=FAX:4\nTEL;TYPE=FAX:5\n"
       "EMAIL:a@x\nEMAIL;TYPE=PREF:b@x\nBDAY:1990-01-01\nADR:;;A;;;;\nADR:;;B;;;;\n"
       "item1.X-ABLABEL:ignored\nEND:VCARD\n",
       "listname=Many | street1=A | phone1=1 | phone2=2 | fax=4 | email=b@x\n"
       "BDAY was not stored\nanother address (;;B;;;;) was not stored\n"
       "another phone number (3) was not stored\nanother phone number (5) was not stored\n"
       "another e-mail address (a@x) was not stored"},
      {"blanks and tabs around values are dropped; an extension parameter is read",
       "BEGIN:VCARD\nVERSION:3.0\nFN: \t Padded Name \t\nORG:\t Acme \n"
       "TEL;X-DESKPOST-EXT=\"^'A^' ^^1\":555 x9\nEND:VCARD\n",
       "listname=Padded Name | company=Acme | phone1=555 x9 | ext1=\"A\" ^1"},
      {"version 2.1's bare types, and an escape at the very end of a value",
       "BEGIN:VCARD\nVERSION:2.1\nFN:Old Style\nTEL;WORK;FAX:555-1\nTEL;CELL:555-2\n"
       "ORG:Acme\\,\nEND:VCARD\n",
       "listname=Old Style | company=Acme, | fax=555-1 | cell=555-2"},
      // A field the entry cannot hold refuses the card (the CSV tests hold
      // every reason).
      {"a line break in an extension parameter refuses the card",
       "BEGIN:VCARD\nVERSION:3.0\nFN:A\nTEL;X-DESKPOST-EXT=\"1^n2\":5\nEND:VCARD\n",
       "refused: Ext 1 holds a line break"},
      {"quoted-printable text is refused with its line",
       "BEGIN:VCARD\nVERSION:2.1\nFN:A\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0Db\nEND:VCARD\n",
       "refused: line 4: quoted-printable text is not read; save the cards as vCard 3.0 or 4.0"},
      {"an unknown version is refused", "BEGIN:VCARD\nVERSION:5.0\nFN:A\nEND:VCARD\n",
       "refused: vCard version 5.0 is not read"},
      {"a line without a colon is refused with its line",
       "BEGIN:VCARD\nVERSION:3.0\nFN:A\nthis is not a property\nEND:VCARD\n",
       "refused: line 4: not a vCard line (no name and colon)"},
      {"a card with no name is refused", "BEGIN:VCARD\nVERSION:3.0\nTEL:555\nEND:VCARD\n",
       "refused: the card has no name (FN, N or ORG)"},
      {"a card without its END is refused", "BEGIN:VCARD\nVERSION:3.0\nFN:A\n",
       "refused: the card has no END:VCARD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<VCardCard> cards = ReadAll(c.text);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].line, 1);
    EXPECT_EQ(Shown(cards[0]), c.shown);
  }
}

TEST(VCardReaderTest, ABrokenCardIsRefusedAndTheNextOneStillRead) {
  std::vector<VCardCard> cards = ReadAll(
      "junk before\n\nBEGIN:VCARD\nVERSION:3.0\nFN:Open\n"
      "BEGIN:vcard\nVERSION:3.0\nFN:Second\nEND:VCARD\n"
      "BEGIN:VCARD\nFN;X-Q=\"unclosed:x\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Last\nEND:VCARD");
  std::vector<std::string> shown;
  for (const VCardCard& c : cards) shown.push_back(std::to_string(c.line) + " " + Shown(c));
  EXPECT_EQ(shown,
            (std::vector<std::string>{
                "3 refused: the card has no END:VCARD before line 6", "6 listname=Second",
                "10 refused: line 11: a quoted parameter is not closed", "13 listname=Last"}));
}

TEST(VCardReaderTest, TextWithoutACardIsNotAVCardFile) {
  for (const char* text : {"", "Listname,Phone 1\nA,1\n", "\xEF\xBB\xBF  \r\nBEGIN:VCAR\n"}) {
    VCardReader reader(text);
    VCardCard card;
    EXPECT_FALSE(reader.Next(&card)) << text;
    EXPECT_FALSE(reader.SawCard());
    EXPECT_FALSE(LooksLikeVCard(text));
  }
  EXPECT_TRUE(LooksLikeVCard("\xEF\xBB\xBF\r\n  begin:vcard\r\n"));
}

TEST(VCardWriterTest, EscapesAndFoldsWithoutBreakingACharacter) {
  EXPECT_EQ(VCardEscape("a,b;c\\d\re\r\nf\ng"), "a\\,b\\;c\\\\d\\ne\\nf\\ng");
  const std::string longLine =
      "NOTE:" + std::string(70, 'x') + "\xC3\xBC\xC3\xBC" + std::string(80, 'y');
  const std::string folded = VCardFold(longLine);
  std::string joined;
  std::istringstream lines(folded);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    EXPECT_LE(line.size(), 75u);
    if (!first) {
      ASSERT_EQ(line[0], ' ');
      line.erase(0, 1);
    }
    // No line starts inside a character.
    EXPECT_NE(uint8_t(line[0]) & 0xC0, 0x80) << line;
    joined += line;
    first = false;
  }
  EXPECT_EQ(joined, longLine);
}

TEST(VCardWriterTest, EveryFieldReadsBackInBothVersions) {
  PhoneRecord blankContact = FullEntry();
  blankContact.SetText(ph::kContact, "");
  PhoneRecord nameOnly;
  nameOnly.SetText(ph::kListname, "Plain");
  // Numbers and extensions that " x" would not carry back as they were.
  PhoneRecord oddNumbers = nameOnly;
  oddNumbers.SetText(ph::kPhone1, "555 x9");
  oddNumbers.SetText(ph::kExt1, "12 \"B\"^");
  oddNumbers.SetText(ph::kPhone2, "555-2 ext.");
  oddNumbers.SetText(ph::kFax, "555-3 x4");
  oddNumbers.SetText(ph::kContact, "Jo  van Dam");
  for (const PhoneRecord& r : {FullEntry(), blankContact, nameOnly, oddNumbers}) {
    for (VCardVersion v : {VCardVersion::k30, VCardVersion::k40}) {
      const std::string text = PhoneVCard(r, v) + PhoneVCard(r, v);
      std::vector<VCardCard> cards = ReadAll(text);
      ASSERT_EQ(cards.size(), 2u);
      for (const VCardCard& c : cards) EXPECT_EQ(Shown(c), Fields(r));
    }
  }
}

// Runs /usr/bin/python3 (where Debian's python3-vobject lives) on a script
// with the given file's path for FILE; its standard output.
std::string Python(const TempDir& dir, std::string script, const std::string& file, int* status) {
  script.replace(script.find("FILE"), 4, file);
  std::ofstream(dir.File("script.py")) << script;
  std::string out;
  FILE* p = popen(("/usr/bin/python3 " + dir.File("script.py") + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (size_t n; p && (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  *status = p ? pclose(p) : -1;
  return out;
}

bool HaveVobject(const TempDir& dir) {
  int status = 0;
  Python(dir, "import vobject # FILE\n", "", &status);
  return status == 0;
}

TEST(VCardOutsideTest, VobjectReadsWhatDESKpostWrites) {
  TempDir dir;
  if (!HaveVobject(dir)) GTEST_SKIP() << "python3-vobject is not installed (scripts/install-deps)";
  for (VCardVersion v : {VCardVersion::k30, VCardVersion::k40}) {
    const std::string file = dir.File(v == VCardVersion::k30 ? "three.vcf" : "four.vcf");
    std::ofstream(file, std::ios::binary) << PhoneVCard(FullEntry(), v);
    int status = 0;
    const std::string out = Python(dir, R"(import vobject
c = vobject.readOne(open('FILE', encoding='utf-8').read())
print('fn=' + c.fn.value)
print('family=' + c.n.value.family)
print('given=' + c.n.value.given)
print('org=' + ';'.join(c.org.value))
a = c.adr.value
print('street=' + a.street.replace('\n', '|'))
print('city=' + a.city + ' region=' + a.region + ' code=' + a.code + ' country=' + a.country)
for t in c.contents['tel']:
  print('tel=' + t.value)
print('email=' + c.email.value)
print('url=' + c.url.value)
print('note=' + c.note.value.replace('\n', '|'))
print('id=' + c.contents['x-deskpost-id'][0].value)
)",
                                   file, &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out,
              "fn=M\xC3\xBCller, Smith & Co\n"
              "family=M\xC3\xBCller\n"
              "given=Anna Maria\n"
              "org=Smith; Jones \\ Partners\n"
              "street=12 High Street|Suite 4, Floor 2\n"
              "city=K\xC3\xB6ln region=NW code=50667 country=Germany\n"
              "tel=(555) 123-4567 x12\n"
              "tel=555-9876\n"
              "tel=555-1111\n"
              "tel=555-2222\n"
              "email=anna@example.com\n"
              "url=http://example.com/a,b?x=1;y=2\n"
              "note=Call after 10, not before.|Ask for Anna; she knows \\ all.\n"
              "id=C-17\n");
  }
}

TEST(VCardOutsideTest, DESKpostReadsWhatVobjectWrites) {
  TempDir dir;
  if (!HaveVobject(dir)) GTEST_SKIP() << "python3-vobject is not installed (scripts/install-deps)";
  const std::string file = dir.File("vobject.vcf");
  int status = 0;
  const std::string out = Python(dir, R"(import vobject
c = vobject.vCard()
c.add('fn').value = 'Zo\u00eb Caf\u00e9, Ltd; "best"'
c.add('n').value = vobject.vcard.Name(family='Brown', given='Zo\u00eb')
c.add('org').value = ['Caf\u00e9 Co', 'Kitchen']
c.add('adr').value = vobject.vcard.Address(street='1 Long Road\nUnit 7', city='Leeds', region='WY', code='LS1', country='UK')
t = c.add('tel'); t.value = '0113 496 0000'; t.type_param = 'WORK'
t = c.add('tel'); t.value = '0113 496 0001'; t.type_param = 'FAX'
t = c.add('tel'); t.value = '07700 900000'; t.type_param = 'CELL'
c.add('email').value = 'zoe@cafe.example'
c.add('url').value = 'https://cafe.example/menu'
c.add('note').value = 'Opens at 7, closes at 3.\nBring cash; \\ no cards.'
c.add('title').value = 'Owner'
open('FILE', 'w', encoding='utf-8', newline='').write(c.serialize())
)",
                                 file, &status);
  ASSERT_EQ(status, 0) << out;
  const std::string text = ReadWholeFile(file);
  std::vector<VCardCard> cards = ReadAll(text);
  ASSERT_EQ(cards.size(), 1u) << text;
  EXPECT_EQ(Shown(cards[0]),
            "listname=Zo\xC3\xAB Caf\xC3\xA9, Ltd; \"best\" | company=Caf\xC3\xA9 Co, Kitchen | "
            "street1=1 Long Road | street2=Unit 7 | city=Leeds | state=WY | zip=LS1 | country=UK | "
            "contact=Zo\xC3\xAB Brown | phone1=0113 496 0000 | fax=0113 496 0001 | "
            "cell=07700 900000 | url=https://cafe.example/menu | email=zoe@cafe.example | "
            "misc=Opens at 7, closes at 3.\rBring cash; \\ no cards.\nTITLE was not stored")
      << text;
}

}  // namespace
