// Import... and Export... of PHONELIST on a real office: files chosen
// through the scripted desktop, CSV and vCards in, refusals and duplicates
// named by line in the summary, files that are no phone list, Cancel in the
// progress box, another workstation holding the table, and exports in each
// format that read back as the list, never leaving half a file behind.
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <memory>

#include "data/phone/phone_transfer.h"
#include "phone_office.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_transfer_window.h"
#include "tests/support/temp_dir.h"
#include "toolkit/scripted_desktop.h"

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) qWarning("cannot write %s", qPrintable(path));
  f.write(bytes);
}

QByteArray Slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

// What the summary dialog showed, when it opened.
struct Summary {
  bool shown = false;
  QString text;
  QString details;
  QStringList unnamed;
};

}  // namespace

class PhoneImportExportTest : public QObject, PhoneWindowSet {
  Q_OBJECT

  std::unique_ptr<ScriptedDesktop> desktop;
  std::unique_ptr<TempDir> files;
  std::unique_ptr<TPhoneListClass> w;

  TPhoneListClass& Open() {
    w = std::make_unique<TPhoneListClass>(nullptr);
    w->OpenModeless();
    return *w;
  }
  // The summary dialog, read and closed with OK when it opens.
  void ExpectSummary(Summary* seen) {
    script->Then([seen](TBaseDialog& d) {
      auto& s = static_cast<PhoneImportSummaryDialog&>(d);
      seen->shown = true;
      seen->text = s.Summary();
      seen->details = s.Details();
      seen->unnamed = Unnamed(&d);
      DialogScript::Press(d, kIdOk);
    });
  }
  QStringList Informed() const {
    QStringList out;
    for (const auto& a : prompts->AskedList())
      if (a.kind == "Inform" || a.kind == "Flash") out << a.caption + "|" + a.text;
    return out;
  }

 private slots:
  void init() {
    MakeSet();
    desktop = std::make_unique<ScriptedDesktop>();
    files = std::make_unique<TempDir>();
  }
  void cleanup() {
    w.reset();
    desktop.reset();
    files.reset();
    DropSet();
  }

  void importSaysWhatWentInAndWhatWasRefusedByLine_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("told");     // an information box, when no summary
    QTest::addColumn<QString>("summary");  // the summary dialog's sentence
    QTest::addColumn<QStringList>("details");
    QTest::addColumn<QStringList>("listnames");

    QTest::newRow("csv, all good")
        << QByteArray(
               "Listname,Phone 1,Misc info\r\nZed,555-0003,\"two\r\nlines\"\r\nAlpha,555-0001,\r\n")
        << "Import PhoneList|2 entries imported."
        << "" << QStringList() << QStringList{"ACME", "Alpha", "Zed"};
    QTest::newRow("csv with refusals and a duplicate")
        << QByteArray(
               "Listname,Phone 1,Company,Birthday\n"
               "Bravo,1,,\n"
               "acme,555-0100,,\n"
               "Snow \xE2\x98\x83,2,,\n"
               "Long,3,12345678901234567890123456789012345678901,\n"
               "\"broken\"x,4\n"
               "Charlie,5,,\n")
        << ""
        << "2 entries imported, 4 refused: see details"
        << QStringList{"line 1: unknown column \"Birthday\" skipped",
                       "line 3: refused: duplicate: acme with phone \"555-0100\" is in the list "
                       "already",
                       "line 4: refused: Listname holds \"\xE2\x98\x83\", which Windows-1252 lacks",
                       "line 5: refused: Company is longer than 40 characters",
                       "line 6: refused: text after a closing quote"}
        << QStringList{"ACME", "Bravo", "Charlie"};
    QTest::newRow("vCards, one holding more than an entry keeps")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Delta\r\nTEL;TYPE=WORK:1\r\nTITLE:Boss\r\n"
               "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nFN:Echo\r\nEND:VCARD\r\n")
        << ""
        << "2 entries imported: see details" << QStringList{"line 1: Delta: TITLE was not stored"}
        << QStringList{"ACME", "Delta", "Echo"};
    QTest::newRow("a picture is no phone list")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
        << "Import PhoneList|Nothing was imported: in.csv is not a phone list of CSV or vCard "
           "text (line 1: no Listname column in the header)."
        << "" << QStringList() << QStringList{"ACME"};
    QTest::newRow("a header and nothing else")
        << QByteArray("Listname,Phone 1\r\n\r\n")
        << "Import PhoneList|Nothing was imported: in.csv holds no entries."
        << "" << QStringList() << QStringList{"ACME"};
  }
  void importSaysWhatWentInAndWhatWasRefusedByLine() {
    QFETCH(QByteArray, file);
    QFETCH(QString, told);
    QFETCH(QString, summary);
    QFETCH(QStringList, details);
    QFETCH(QStringList, listnames);
    office->AddEntry(0, "ACME", "555-0100");
    const QString path = QString::fromStdString(files->File("in.csv"));
    Write(path, file);
    Open();
    desktop->Answer(path);
    Summary seen;
    ExpectSummary(&seen);
    Press(w.get(), TPhoneListClass::kIdImport);

    QCOMPARE(desktop->Requests().size(), size_t(1));
    QCOMPARE(desktop->Requests()[0].kind, QString("Open"));
    QCOMPARE(desktop->Requests()[0].caption, QString("Import PhoneList"));
    QCOMPARE(Informed(), told.isEmpty() ? QStringList() : QStringList{told});
    QCOMPARE(seen.shown, !summary.isEmpty());
    if (seen.shown) {
      QCOMPARE(seen.text, summary);
      QCOMPARE(seen.details.split('\n'), details);
      QCOMPARE(seen.unnamed, QStringList());
    }
    std::vector<std::string> want;
    for (const QString& n : listnames) want.push_back(n.toStdString());
    QCOMPARE(office->Listnames(0), want);
    // The window shows the list as it now is.
    QCOMPARE(w->List()->RowsFilled(), int(want.size()));
  }

  void importGoesIntoTheListTheWindowShows() {
    PhoneSetCurrentList({office->anne, "ANNE"});
    const QString path = QString::fromStdString(files->File("anne.vcf"));
    Write(path, "BEGIN:VCARD\nVERSION:3.0\nFN:Foxtrot\nNOTE:a\\nb\nEND:VCARD\n");
    Open();
    desktop->Answer(path);
    Press(w.get(), TPhoneListClass::kIdImport);
    QCOMPARE(Informed(), QStringList{"Import PhoneList|1 entry imported."});
    QCOMPARE(office->Listnames(office->anne), std::vector<std::string>{"Foxtrot"});
    QCOMPARE(office->Listnames(0), std::vector<std::string>());
    PhoneRecord r;
    QVERIFY(office->Find(office->anne, "Foxtrot", "", &r));
    QCOMPARE(r.Text(ph::kMisc), std::string("a\rb"));
  }

  void cancelAndAFileThatCannotBeReadLeaveNothingUnsaid() {
    // Cancel in the progress box after two entries.
    const QString path = QString::fromStdString(files->File("four.csv"));
    Write(path, "Listname\nA\nB\nC\nD\n");
    Open();
    desktop->Answer(path);
    prompts->AnswerProgress(1);
    prompts->AnswerProgress(1);
    prompts->AnswerProgress(0);
    Summary seen;
    ExpectSummary(&seen);
    Press(w.get(), TPhoneListClass::kIdImport);
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, QString("Import cancelled at line 4. 2 entries imported; the entries from "
                                "line 4 on were not imported: see details"));
    QCOMPARE(seen.details, QString("line 4 and after: not imported (cancelled)"));
    QCOMPARE(office->Listnames(0), (std::vector<std::string>{"A", "B"}));

    // A file gone between the dialog and the reading.
    prompts->Clear();
    desktop->Answer(QString::fromStdString(files->File("gone.csv")));
    Press(w.get(), TPhoneListClass::kIdImport);
    QCOMPARE(Informed(), QStringList{"Import PhoneList|Nothing was imported: gone.csv cannot be "
                                     "read (No such file or directory)."});
    // Cancel in the file dialog does nothing at all.
    prompts->Clear();
    Press(w.get(), TPhoneListClass::kIdImport);
    QCOMPARE(prompts->AskedList().size(), size_t(0));
  }

  void anotherWorkstationHoldingTheTableStopsTheImportAndSaysWhere() {
    const QString path = QString::fromStdString(files->File("two.csv"));
    Write(path, "Listname\nA\nB\n");
    Open();
    FastTicks ticks;
    // The table's header byte, which every append takes.
    LockHolder other(office->PhonePath(), 0);
    QVERIFY(other.Held());
    desktop->Answer(path);
    Summary seen;
    ExpectSummary(&seen);
    Press(w.get(), TPhoneListClass::kIdImport);
    other.Release();
    QVERIFY(seen.shown);
    QVERIFY2(seen.text.startsWith("Import stopped at line 2: "), qPrintable(seen.text));
    QVERIFY2(seen.text.endsWith("0 entries imported; the entries from line 2 on were not "
                                "imported: see details"),
             qPrintable(seen.text));
    QVERIFY(seen.details.startsWith("line 2 and after: not imported ("));
    QCOMPARE(office->Listnames(0), std::vector<std::string>());
  }

  void exportWritesTheListInTheChosenFormat_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("csv") << 0 << "COMMON.csv" << QByteArray("Listname,Company,");
    QTest::newRow("vCard 3.0") << 1 << "COMMON.vcf" << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\n");
    QTest::newRow("vCard 4.0") << 2 << "COMMON.vcf" << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\n");
  }
  void exportWritesTheListInTheChosenFormat() {
    QFETCH(int, choice);
    QFETCH(QString, suggested);
    QFETCH(QByteArray, starts);
    office->AddEntry(0, "Smith, Jo", "555-1", {{ph::kMisc, "a\rb"}, {ph::kCity, "K\xF6ln"}});
    office->AddEntry(0, "Zed", "");
    office->AddEntry(office->anne, "Not mine", "");
    const QString path = QString::fromStdString(files->File("out"));
    Write(path, "an older file");
    Open();
    prompts->Answer(choice);
    desktop->Answer(path);
    Press(w.get(), TPhoneListClass::kIdExport);
    QCOMPARE(desktop->Requests().size(), size_t(1));
    QCOMPARE(desktop->Requests()[0].kind, QString("Save"));
    QVERIFY2(desktop->Requests()[0].detail.endsWith("/" + suggested),
             qPrintable(desktop->Requests()[0].detail));
    QCOMPARE(Informed(), QStringList{"|2 entries exported to out."});
    const QByteArray text = Slurp(path);
    QVERIFY2(text.startsWith(starts), text.constData());
    QVERIFY(!QFile::exists(path + ".tmp"));
    // What was written reads back as the list.
    PhoneImportPlan back = PhoneImportRead(text.toStdString(), office->bob);
    QCOMPARE(back.rows.size(), size_t(2));
    QCOMPARE(back.rows[0].record.Listname(), std::string("Smith, Jo"));
    QCOMPARE(back.rows[0].record.Text(ph::kMisc), std::string("a\rb"));
    QCOMPARE(back.rows[0].record.Text(ph::kCity), std::string("K\xF6ln"));
    QCOMPARE(back.rows[1].record.Listname(), std::string("Zed"));
  }

  void anExportThatCannotBeWrittenSaysSoAndLeavesNoFile_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder that is gone")
        << QString("gone/list.csv") << "No such file or directory";
    QTest::newRow("a folder nobody may write") << QString("shut/list.csv") << "Permission denied";
    QTest::newRow("a name that is a folder") << QString("adir") << "Is a directory";
  }
  void anExportThatCannotBeWrittenSaysSoAndLeavesNoFile() {
    QFETCH(QString, path);
    QFETCH(QString, reason);
    office->AddEntry(0, "Alpha", "1");
    QString full = QString::fromStdString(files->File(path.toStdString()));
    mkdir(files->File("adir").c_str(), 0755);
    if (path.startsWith("shut/")) {
      // Root passes every mode: the kernel's own read-only tree then.
      if (geteuid() == 0) {
        full = "/sys/list.csv";
      } else {
        mkdir(files->File("shut").c_str(), 0555);
      }
    }
    Open();
    prompts->Answer(0);
    desktop->Answer(full);
    Press(w.get(), TPhoneListClass::kIdExport);
    QCOMPARE(Informed(), QStringList{QString("Export PhoneList|The PhoneList was not exported: %1 "
                                             "cannot be written (%2).")
                                         .arg(full, reason)});
    QVERIFY(!QFile::exists(full + ".tmp"));
    if (path != "adir") QVERIFY(!QFile::exists(full));
    // Cancel in the format choice or the file dialog writes nothing.
    prompts->Clear();
    prompts->Answer(-1);
    Press(w.get(), TPhoneListClass::kIdExport);
    prompts->Answer(1);
    Press(w.get(), TPhoneListClass::kIdExport);
    QCOMPARE(Informed(), QStringList());
  }
};

QTEST_MAIN(PhoneImportExportTest)
#include "phone_import_export_test.moc"
