// The entry dialog's "&Note" opens the note editor the message windows use
// (TAKE_NOTE, its text field 153): a text typed is stored as the entry's
// note, an emptied note is deleted, and while another workstation holds
// the entry the note only shows.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <memory>

#include "phone_office.h"
#include "phonelist/phone_info_dialog.h"
#include "toolkit/notes/note_editor.h"

using D = TPhoneInfoClass;

class EntryNoteEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void theEntrysNoteIsEditedInTheSharedEditor_data() {
    QTest::addColumn<QString>("before");  // the entry's note; empty: none
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<QString>("typed");  // replaces the text; "-": nothing typed
    QTest::addColumn<QString>("after");  // the entry's note then; empty: none
    QTest::addColumn<bool>("oldNoteKept");
    QTest::newRow("a first note") << "" << false << "Call after 3"
                                  << "Call after 3" << true;
    QTest::newRow("rewritten") << "Old" << false << "New"
                               << "New" << true;
    QTest::newRow("emptied: the note goes") << "Old" << false << ""
                                            << "" << false;
    QTest::newRow("held elsewhere: shown only") << "Old" << true << "-"
                                                << "Old" << true;
  }
  void theEntrysNoteIsEditedInTheSharedEditor() {
    QFETCH(QString, before);
    QFETCH(bool, heldElsewhere);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(bool, oldNoteKept);
    PhoneOffice office;
    ScriptedPrompts prompts;
    DialogScript script;
    const int32_t at = office.AddEntry(0, "Acme", "555-0100");
    int32_t oldNote = 0;
    if (!before.isEmpty()) {
      QVERIFY(NoteNew(&oldNote) && NoteWrite(oldNote, before.toStdString()));
      PhoneTable h;
      PhoneRecord r;
      QVERIFY(PhoneOpen(h) && PhoneRead(h, at, &r));
      SetFieldI32(r.bytes, ph::kNote, oldNote);
      QVERIFY(PhoneWrite(h, at, r));
      PhoneClose(h);
    }
    std::unique_ptr<LockHolder> other;
    if (heldElsewhere)
      other = std::make_unique<LockHolder>(office.PhonePath(), PhoneOffice::LockByte(at));

    PhoneEntry entry;
    {
      PhoneTable h;
      QVERIFY(PhoneOpen(h) && PhoneFind(h, 0, "Acme", "555-0100", &entry));
      PhoneClose(h);
    }
    D d(nullptr, &entry);
    d.OpenModeless();
    bool readOnly = false;
    QString shown;
    script.Then([&](TBaseDialog& note) {
      auto* text = FindControlAs<QPlainTextEdit>(&note, NoteEditorDialog::kIdText);
      QVERIFY(text);
      shown = text->toPlainText();
      readOnly = text->isReadOnly();
      if (typed != "-") {
        text->clear();
        QTest::keyClicks(text, typed);
      }
      DialogScript::Press(note, kIdOk);
    });
    Press(&d, D::kIdNote);
    QCOMPARE(script.opened.size(), size_t(1));
    QCOMPARE(script.opened.at(0).caption, QString("Note"));
    QCOMPARE(shown, before);
    QCOMPARE(readOnly, heldElsewhere);
    if (heldElsewhere) QCOMPARE(Asked(prompts), QStringList{"DESKpost|Record in use."});

    PhoneRecord r;
    QVERIFY(office.Find(0, "Acme", "555-0100", &r));
    QCOMPARE(r.ChangeCount(), uint16_t(0));
    QCOMPARE(FindControlAs<QCheckBox>(&d, D::kIdNoteTick)->isChecked(), !after.isEmpty());
    std::string text;
    if (after.isEmpty()) {
      QCOMPARE(r.Note(), 0);
    } else {
      QVERIFY(NoteRead(r.Note(), &text));
      QCOMPARE(QString::fromStdString(text), after);
    }
    if (oldNote != 0) QCOMPARE(office.NoteExists(oldNote), oldNoteKept);
    d.reject();
  }
};

QTEST_MAIN(EntryNoteEditorTest)
#include "entry_note_editor_test.moc"
