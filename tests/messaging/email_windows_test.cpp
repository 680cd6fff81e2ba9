// The e-mail windows on a real office: the Send E-mail window (From and its
// re-derivation, the address picker, CC, attachments, signatures, Send and
// Send to folder), the e-mail view with its attachments, options, reply,
// CC list and the send log's "&Sent", and Copy E-mail for one and for
// several e-mails. Files are real; faults are caused for real.
#include <sys/stat.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>
#include <memory>

#include "data/messages/attachments.h"
#include "data/messages/dpfolder.h"
#include "data/messages/email_file.h"
#include "data/messages/email_send.h"
#include "data/phone/dpphone.h"
#include "message_office.h"
#include "messaging/attach_dialog.h"
#include "messaging/email_compose.h"
#include "messaging/email_dialogs.h"
#include "messaging/email_settings.h"
#include "messaging/mail_copy.h"
#include "messaging/mail_reply.h"
#include "messaging/message_list.h"
#include "messaging/select_mail_to.h"
#include "messaging/take_email.h"
#include "messaging/take_windows.h"
#include "messaging/view_message.h"
#include "storage/records/name.h"
#include "toolkit/scripted_desktop.h"

namespace {

namespace nm = records::name;
using V = TViewMessageBaseClass;
using C = EmailComposer;

void Press(QWidget* dialog, int id) {
  auto* b = FindControlAs<QAbstractButton>(dialog, id);
  QVERIFY2(b, qPrintable(QString("no button %1").arg(id)));
  QVERIFY2(b->isEnabled(), qPrintable(QString("button %1 disabled").arg(id)));
  QTest::mouseClick(b, Qt::LeftButton);
}

// Replaces a line edit's text as the user does.
void Type(QWidget* dialog, int id, const QString& text) {
  auto* e = FindControlAs<QLineEdit>(dialog, id);
  QVERIFY2(e, qPrintable(QString("no field %1").arg(id)));
  e->setFocus();
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, text);
}

QString Line(QWidget* dialog, int id) {
  return FindControlAs<QLineEdit>(dialog, id)->text();
}

// Types into a multi-line field; "\n" is the Enter key.
void TypeBody(QWidget* dialog, int id, const QString& text) {
  auto* e = FindControlAs<QPlainTextEdit>(dialog, id);
  e->setFocus();
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClicks(e, lines[i]);
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

class EmailWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    office = std::make_unique<MessageOffice>();
    QVERIFY(office->started);
    prompts = std::make_unique<ScriptedPrompts>();
    desktop = std::make_unique<ScriptedDesktop>();
    dialogs = std::make_unique<MessagingDialogs>();
  }
  void cleanup() {
    list.reset();
    take.reset();
    dialogs.reset();
    desktop.reset();
    prompts.reset();
    office.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // ---- The Send E-mail window ----

  // Clear fills From by the user's options; as long as the user does not
  // touch From it follows the addresses in To and CC.
  void fromFollowsTheOptionsAndTheAddresses_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("cleared");
    QTest::addColumn<QString>("derived");
    QTest::newRow("own address, Internet To") << "bob@own.example"
                                              << ""
                                              << "x@y.example"
                                              << "bob@own.example"
                                              << "bob@own.example";
    QTest::newRow("domain, Internet To") << ""
                                         << "office.example"
                                         << "x@y.example"
                                         << "bob@office.example"
                                         << "bob@office.example";
    QTest::newRow("domain, local To") << ""
                                      << "office.example"
                                      << "ANNE"
                                      << "bob@office.example"
                                      << "BOB";
    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "x@y.example"
                                 << "BOB"
                                 << "BOB";
    QTest::newRow("empty To keeps From") << ""
                                         << "office.example"
                                         << ""
                                         << "bob@office.example"
                                         << "bob@office.example";
  }
  void fromFollowsTheOptionsAndTheAddresses() {
    QFETCH(QString, option);
    QFETCH(QString, domain);
    QFETCH(QString, to);
    QFETCH(QString, cleared);
    QFETCH(QString, derived);
    SetOption(nm::kEmailFrom, option.toStdString());
    if (!domain.isEmpty())
      std::ofstream(office->dir.File("DPDESK.CFG")) << "DOMAIN=" << domain.toStdString() << "\n";
    TTakeEmailClass* w = OpenTake();
    QCOMPARE(Line(w, C::kIdFrom), cleared);
    Type(w, C::kIdTo, to);
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(Line(w, C::kIdFrom), derived);
    // Once the user edits From it stays.
    Type(w, C::kIdFrom, "me@mine.example");
    Type(w, C::kIdTo, "ANNE");
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(Line(w, C::kIdFrom), QString("me@mine.example"));
  }

  // One local name and one Internet address: ANNE gets her own message,
  // the gateway's mailbox (-3) one that lists both, each with attachment
  // files of its own; the form is cleared for the next e-mail.
  void sendDeliversLocallyAndToTheGatewayWithAttachments() {
    const std::string source = office->dir.File("report.txt");
    std::ofstream(source) << "quarterly figures";
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "anne, someone@outside.example");
    Type(w, C::kIdFrom, "bob@office.example");
    Type(w, C::kIdSubject, "Figures");
    TypeBody(w, C::kIdBody, "See the report.\nBob");
    desktop->Answer(QString::fromStdString(source));
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, TAttachDialog::kIdAdd);
      QCOMPARE(FindControlAs<QListWidget>(&d, TAttachDialog::kIdList)->item(0)->text(),
               QString("report.txt (0.0K)"));
      QCOMPARE(FindControlAs<QLabel>(&d, TAttachDialog::kIdTotal)->text(), QString("Total: 0.0K"));
      Press(&d, kIdOk);
    });
    Press(w, C::kIdAttach);
    QCOMPARE(desktop->Requests().at(0).caption, QString("Attach file"));
    QVERIFY(FindControlAs<QCheckBox>(w, C::kIdAttachments)->isChecked());
    Press(w, C::kIdUrgent);
    Press(w, C::kIdSend);
    QCOMPARE(prompts->Questions().size(), size_t(0));

    const std::vector<MessageRecord> anne = office->Folder(msgrec::kFolderNew, "ANNE");
    const std::vector<MessageRecord> gateway = office->Folder(msgrec::kFolderNew, "DPMAIL SERVER");
    QCOMPARE(anne.size(), size_t(1));
    QCOMPARE(gateway.size(), size_t(1));
    QVERIFY(anne[0].Flags() & msgrec::kFlagUrgent);
    QCOMPARE(FieldText(anne[0].bytes, msgrec::kSubject), std::string("Figures"));
    EmailHeader a, g;
    std::string body;
    QVERIFY(EmailRead(EmailFilePath(anne[0].Number()), &a, &body, kEmailBodyLimit, nullptr));
    QCOMPARE(body, std::string("See the report.\r\nBob"));
    QVERIFY(EmailRead(EmailFilePath(gateway[0].Number()), &g, nullptr, 0, nullptr));
    QCOMPARE(a.To(), std::string("ANNE, someone@outside.example"));
    QCOMPARE(g.To(), a.To());
    QCOMPARE(a.Subject(), std::string("Figures"));
    QCOMPARE(AttachmentCount(a), 1);
    QCOMPARE(AttachmentCount(g), 1);
    QVERIFY(AttachmentAt(a, 0).storedName != AttachmentAt(g, 0).storedName);
    QCOMPARE(ReadAll(AttachmentFilePath(AttachmentAt(g, 0).storedName)),
             std::string("quarterly figures"));
    // Cleared for the next one, and the stored files stay with the messages.
    QCOMPARE(Line(w, C::kIdTo), QString());
    QVERIFY(!FindControlAs<QCheckBox>(w, C::kIdAttachments)->isChecked());
    QVERIFY(QFileInfo::exists(
        QString::fromStdString(AttachmentFilePath(AttachmentAt(a, 0).storedName))));
  }

  // What Send refuses, with the form kept for a correction.
  void sendRefusesWhatCannotGo_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("said");
    QTest::newRow("no To") << ""
                           << "BOB"
                           << "Please enter TO field.";
    QTest::newRow("no From") << "ANNE"
                             << ""
                             << "Please enter FROM field.";
    QTest::newRow("address ending in @") << "ANNE,x@"
                                         << "BOB"
                                         << "Invalid name: x@";
    QTest::newRow("two @") << "a@b@c"
                           << "BOB"
                           << "Invalid name: a@b@c";
    QTest::newRow("unknown name") << "NOBODY"
                                  << "BOB"
                                  << "Invalid name: NOBODY";
    QTest::newRow("Internet without an Internet From") << "x@y.example"
                                                       << "BOB"
                                                       << "Emails must have a valid FROM field.";
  }
  void sendRefusesWhatCannotGo() {
    QFETCH(QString, to);
    QFETCH(QString, from);
    QFETCH(QString, said);
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, to);
    Type(w, C::kIdFrom, from);
    Type(w, C::kIdSubject, "kept");
    QVERIFY(!w->Send());
    QCOMPARE(prompts->Questions().back().text, said);
    QCOMPARE(Line(w, C::kIdSubject), QString("kept"));
    QCOMPARE(office->Folder(msgrec::kFolderNew, "ANNE").size(), size_t(0));
  }

  // A character Windows-1252 has no byte for is refused at the field.
  void aCharacterOutsideWindows1252IsRefusedAtTheField_data() {
    QTest::addColumn<int>("id");
    QTest::newRow("To") << int(C::kIdTo);
    QTest::newRow("Subject") << int(C::kIdSubject);
    QTest::newRow("body") << int(C::kIdBody);
  }
  void aCharacterOutsideWindows1252IsRefusedAtTheField() {
    QFETCH(int, id);
    TTakeEmailClass* w = OpenTake();
    QWidget* field = FindControl(w, id);
    field->setFocus();
    for (QChar c : QString::fromUtf8("a\u0142b")) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(field, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QApplication::sendEvent(field, &release);
    }
    QCOMPARE(prompts->Questions().back().text,
             QString::fromUtf8("The character \"\u0142\" cannot be stored."));
    const QString text = qobject_cast<QLineEdit*>(field)
                             ? qobject_cast<QLineEdit*>(field)->text()
                             : qobject_cast<QPlainTextEdit*>(field)->toPlainText();
    QCOMPARE(text, QString("ab"));
  }

  // "C&lear" deletes the copies made for the unsent e-mail; the 41st
  // attachment is refused.
  void clearDeletesTheUnsentAttachmentsAndFortyIsTheMost() {
    const std::string source = office->dir.File("a.txt");
    std::ofstream(source) << "x";
    TTakeEmailClass* w = OpenTake();
    for (int i = 0; i < kMaxAttachments; ++i)
      QVERIFY(AttachmentAdd(w->Composer().Header(), source));
    dialogs->Then([](TBaseDialog& d) { Press(&d, TAttachDialog::kIdAdd); });
    Press(w, C::kIdAttach);
    QCOMPARE(prompts->Questions().back().text, QString("Maximum of 40 attachments allowed."));
    QVERIFY(desktop->Requests().empty());
    QCOMPARE(StoredFiles(), 40);
    Press(w, TTakeEmailClass::kIdClear);
    QCOMPARE(StoredFiles(), 0);
  }

  // The attachment dialog's Delete drops the stored copy; with nothing
  // selected it says so.
  void deletingAnAttachmentWhileWriting() {
    const std::string source = office->dir.File("b.txt");
    std::ofstream(source) << "y";
    TTakeEmailClass* w = OpenTake();
    QVERIFY(AttachmentAdd(w->Composer().Header(), source));
    dialogs->Then([](TBaseDialog& d) {
      auto* list = FindControlAs<QListWidget>(&d, TAttachDialog::kIdList);
      list->setCurrentRow(-1);
      Press(&d, TAttachDialog::kIdDelete);
      list->setCurrentRow(0);
      Press(&d, TAttachDialog::kIdDelete);
      QCOMPARE(list->count(), 0);
      Press(&d, kIdOk);
    });
    Press(w, C::kIdAttach);
    QCOMPARE(prompts->Questions().back().text, QString("No entry selected."));
    QCOMPARE(StoredFiles(), 0);
    QVERIFY(!FindControlAs<QCheckBox>(w, C::kIdAttachments)->isChecked());
  }

  // "&To:" appends the picked items after a ","; past 255 characters the
  // field stays as it was.
  void toAppendsPickedAddresses_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("said");
    QTest::newRow("empty") << ""
                           << "ANNE"
                           << "";
    QTest::newRow("after a name") << "CAROL"
                                  << "CAROL,ANNE"
                                  << "";
    QTest::newRow("after a comma") << "CAROL,"
                                   << "CAROL,ANNE"
                                   << "";
    // 250 characters, a "," and ANNE fill the field's 255 exactly.
    QTest::newRow("filled to the last character")
        << QString(250, 'x') << QString(250, 'x') + ",ANNE"
        << "";
    QTest::newRow("one character too many")
        << QString(251, 'x') << QString(251, 'x') << "Not enough room in field.";
  }
  void toAppendsPickedAddresses() {
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, said);
    TTakeEmailClass* w = OpenTake();
    FindControlAs<QLineEdit>(w, C::kIdTo)->setText(before);
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, TSelectMailToClass::kIdNameList);
      Type(&d, TSelectMailToClass::kIdFind, "ANNE");
      Press(&d, kIdOk);
    });
    Press(w, C::kIdPickTo);
    QCOMPARE(Line(w, C::kIdTo), after);
    if (!said.isEmpty()) QCOMPARE(prompts->Questions().back().text, said);
  }

  // The picker's phone list adds entries' E-mail fields; an entry without
  // one adds nothing.
  void thePickerTakesAddressesFromThePhoneList() {
    AddPhoneEntry("ACME", "sales@acme.example");
    AddPhoneEntry("BETA", "");
    auto* w = OpenTake();
    dialogs->Then([](TBaseDialog& d) {
      auto& picker = static_cast<TSelectMailToClass&>(d);
      QVERIFY(FindControlAs<QRadioButton>(&d, TSelectMailToClass::kIdPhoneList)->isChecked());
      Type(&d, TSelectMailToClass::kIdFind, "ACME");
      QCOMPARE(picker.EntryItems(), std::vector<std::string>{"sales@acme.example"});
      Type(&d, TSelectMailToClass::kIdFind, "BETA");
      QCOMPARE(picker.EntryItems(), std::vector<std::string>{});
      Type(&d, TSelectMailToClass::kIdFind, "ACME");
      Press(&d, kIdOk);
    });
    Press(w, C::kIdPickTo);
    QCOMPARE(Line(w, C::kIdTo), QString("sales@acme.example"));
  }

  // "&CC:": OK keeps the text, Cancel the old; From follows the CC.
  void ccKeepsItsTextOnOkAndFromFollows() {
    std::ofstream(office->dir.File("DPDESK.CFG")) << "DOMAIN=office.example\n";
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "ANNE");
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(Line(w, C::kIdFrom), QString("BOB"));
    dialogs->Then([](TBaseDialog& d) {
      Type(&d, TGetCCDialog::kIdCC, "carol@outside.example");
      Press(&d, kIdOk);
    });
    Press(w, C::kIdCC);
    QCOMPARE(w->Composer().Header().Cc(), std::string("carol@outside.example"));
    QCOMPARE(Line(w, C::kIdFrom), QString("bob@office.example"));
    dialogs->Then([](TBaseDialog& d) {
      Type(&d, TGetCCDialog::kIdCC, "changed");
      Press(&d, kIdCancel);
    });
    Press(w, C::kIdCC);
    QCOMPARE(w->Composer().Header().Cc(), std::string("carol@outside.example"));
  }

  // SIGNATURE stores both texts and the default; the chosen one ends the
  // body of the e-mail sent.
  void theChosenSignatureEndsTheBody() {
    TTakeEmailClass* w = OpenTake();
    dialogs->Then([](TBaseDialog& d) {
      TypeBody(&d, TSignatureDlgClass::kIdText1, "Bob\nSales");
      TypeBody(&d, TSignatureDlgClass::kIdText2, "B.");
      Press(&d, TSignatureDlgClass::kIdUse1);
      Press(&d, TSignatureDlgClass::kIdDefault2);
      Press(&d, TSignatureDlgClass::kIdUse2);
      QVERIFY(!FindControlAs<QCheckBox>(&d, TSignatureDlgClass::kIdUse1)->isChecked());
      Press(&d, kIdOk);
    });
    Press(w, C::kIdSignature);
    QCOMPARE(FindControlAs<QCheckBox>(w, C::kIdSignature)->text(), QString("Signature 2"));
    QVERIFY(FindControlAs<QCheckBox>(w, C::kIdSignature)->isChecked());
    const EmailSignatures s = ReadSignatures();
    QCOMPARE(s.text[0], std::string("Bob\nSales"));
    QCOMPARE(s.defaultChoice, 2);
    Type(w, C::kIdTo, "ANNE");
    TypeBody(w, C::kIdBody, "Hi");
    Press(w, C::kIdSend);
    const auto anne = office->Folder(msgrec::kFolderNew, "ANNE");
    QCOMPARE(anne.size(), size_t(1));
    std::string body;
    QVERIFY(EmailReadBody(EmailFilePath(anne[0].Number()), &body, kEmailBodyLimit, nullptr));
    QCOMPARE(body, std::string("Hi\r\n\r\nB."));
    // The next e-mail starts with the default.
    QCOMPARE(FindControlAs<QCheckBox>(w, C::kIdSignature)->text(), QString("Signature 2"));
  }

  // "Send to &folder" files the e-mail with the sender; nobody else gets it.
  void sendToFolderFilesTheEmailWithTheSender() {
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "ANNE");
    Type(w, C::kIdSubject, "note to self");
    const int32_t folder = AddFolder("Keep", office->numbers["BOB"]);
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, 104);  // "&Personal"
      Type(&d, 101, "Keep");
      Press(&d, 1);
    });
    QVERIFY(w->SendToFolder());
    QCOMPARE(office->Folder(folder, "BOB").size(), size_t(1));
    QCOMPARE(office->Folder(msgrec::kFolderNew, "ANNE").size(), size_t(0));
  }

  // Choosing another kind over a changed e-mail asks its own question.
  void anUnsentEmailIsAskedAbout() {
    TakeWindows takes(nullptr);
    takes.Open(kTakeEmail);
    QVERIFY(takes.Email());
    Type(takes.Email(), C::kIdSubject, "draft");
    prompts->Answer(false);
    QVERIFY(!takes.Close());
    QCOMPARE(prompts->Questions().back().text, QString("Email not sent, are you sure?"));
    prompts->Answer(true);
    QVERIFY(takes.Close());
  }

  // Every control of the e-mail windows has a name for screen readers:
  // buttons by their captions, the rest by their labels or a plain name.
  void everyControlIsNamed_data() {
    QTest::addColumn<int>("window");
    const char* names[] = {"TAKEMAIL",        "MAIL_RESPONSE", "Copy E-mail",   "GETCC",
                           "EMAIL_CCLIST",    "SIGNATURE",     "EMAIL_OPTIONS", "GET_EMAIL_FROM",
                           "SELECT_EMAIL_TO", "ATTACH"};
    for (int i = 0; i < int(std::size(names)); ++i) QTest::newRow(names[i]) << i;
  }
  void everyControlIsNamed() {
    QFETCH(int, window);
    EmailHeader header;
    MessageRecord record;
    std::unique_ptr<TBaseDialog> w;
    switch (window) {
      case 0:
        w = std::make_unique<TTakeEmailClass>(nullptr);
        break;
      case 1:
        w = std::make_unique<TRespondToMailClass>(nullptr, "a@b.example", "S", "", false);
        break;
      case 2:
        w = std::make_unique<TGetEmailCopyInfo>(nullptr, &record, false);
        break;
      case 3:
        w = std::make_unique<TGetCCDialog>(nullptr, "x");
        break;
      case 4:
        w = std::make_unique<EmailCCListDialog>(nullptr, "x,y");
        break;
      case 5:
        w = std::make_unique<TSignatureDlgClass>(nullptr, 0);
        break;
      case 6:
        w = std::make_unique<EmailOptionsDialog>(nullptr, "");
        break;
      case 7:
        w = std::make_unique<GetEmailFromDialog>(nullptr, "");
        break;
      case 8:
        w = std::make_unique<TSelectMailToClass>(nullptr, 255);
        break;
      default:
        w = std::make_unique<TAttachDialog>(nullptr, header);
        break;
    }
    w->OpenModeless();
    for (QWidget* c : w->findChildren<QWidget*>()) {
      if (ControlId(c) <= 0 || !c->isVisibleTo(w.get())) continue;
      const bool named = !c->accessibleName().isEmpty() || qobject_cast<QAbstractButton*>(c);
      QVERIFY2(named, qPrintable(QString("control %1 has no name").arg(ControlId(c))));
    }
    w->CloseWith(0);
  }
  void theSendWindowsFieldsAreNamedByTheirLabels() {
    TTakeEmailClass* w = OpenTake();
    QCOMPARE(FindControl(w, C::kIdTo)->accessibleName(), QString("To:"));
    QCOMPARE(FindControl(w, C::kIdFrom)->accessibleName(), QString("From:"));
    QCOMPARE(FindControl(w, C::kIdSubject)->accessibleName(), QString("Subject:"));
    QCOMPARE(FindControl(w, C::kIdBody)->accessibleName(), QString("Message"));
  }

  // ---- Reading ----

  void theViewShowsTheEmailAndItsAttachments() {
    SendFromAnne("BOB", "Hello", "Line one\r\nLine two", true);
    Open("BOB");
    V* v = View(0);
    QVERIFY(v);
    QCOMPARE(v->objectName(), QString("VMAIL"));
    QCOMPARE(v->windowTitle(), QString("View Email"));
    QCOMPARE(Line(v, V::kIdSubject), QString("Hello"));
    QCOMPARE(Line(v, V::kIdMailFrom), QString("anne@office.example"));
    QCOMPARE(FindControlAs<QPlainTextEdit>(v, V::kIdBody)->toPlainText(),
             QString("Line one\nLine two"));
    QVERIFY(FindControlAs<QCheckBox>(v, V::kIdAttachments)->isChecked());
    QVERIFY(!FindControl(v, V::kIdCC)->isVisibleTo(v));
  }

  // Save asks before replacing a file; a file that cannot be written and
  // an attachment another workstation deleted are said.
  void savingAnAttachment_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deleteStored");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("content");
    QTest::newRow("a new file") << "out.txt" << false << -1 << false << ""
                                << "quarterly";
    QTest::newRow("overwrite, yes") << "out.txt" << true << 1 << false << ""
                                    << "quarterly";
    QTest::newRow("overwrite, no") << "out.txt" << true << 0 << false << ""
                                   << "old";
    // A file where a folder should be: no user, not even root, writes there.
    QTest::newRow("not writable") << "plain/out.txt" << false << -1 << false
                                  << "Error creating file."
                                  << "";
    QTest::newRow("gone elsewhere") << "out.txt" << false << -1 << true << "Error opening file."
                                    << "";
  }
  void savingAnAttachment() {
    QFETCH(QString, target);
    QFETCH(bool, exists);
    QFETCH(int, answer);
    QFETCH(bool, deleteStored);
    QFETCH(QString, said);
    QFETCH(QString, content);
    SendFromAnne("BOB", "Figures", "see", true);
    const QString folder = QString::fromStdString(office->dir.File("saved"));
    QDir().mkpath(folder);
    std::ofstream((folder + "/plain").toStdString()) << "a file";
    const QString path = folder + "/" + target;
    if (exists) std::ofstream(path.toStdString()) << "old";
    Open("BOB");
    V* v = View(0);
    if (deleteStored)
      QVERIFY(QFile::remove(
          QString::fromStdString(AttachmentFilePath(AttachmentAt(v->Header(), 0).storedName))));
    desktop->Answer(path);
    if (answer >= 0) prompts->Answer(answer);
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(FindControl(&d, TAttachDialog::kIdAdd)->property("text").toString(),
               QString("&Save"));
      Press(&d, TAttachDialog::kIdAdd);
    });
    Press(v, V::kIdAttachments);
    QCOMPARE(desktop->Requests().size(), size_t(1));
    QCOMPARE(desktop->Requests().back().caption, QString("Save file"));
    QCOMPARE(desktop->Requests().back().detail, QString("report.txt"));
    QStringList asked;
    for (const auto& q : prompts->Questions()) asked << q.text;
    QCOMPARE(asked.contains("File exists, overwrite?"), exists);
    if (!said.isEmpty()) QCOMPARE(asked.value(asked.size() - 1), said);
    if (!content.isEmpty()) QCOMPARE(QString::fromStdString(ReadAll(path.toStdString())), content);
  }

  // A double click warns; on yes a copy under its own name, made safe, goes
  // into a folder of the program's own (0700) and to the desktop.
  void openingAnAttachmentWarnsAndHandsOverAPrivateCopy() {
    SendFromAnne("BOB", "Figures", "see", true);
    Open("BOB");
    V* v = View(0);
    prompts->Answer(false);
    prompts->Answer(true);
    prompts->Answer(true);
    dialogs->Then([](TBaseDialog& d) {
      auto& attach = static_cast<TAttachDialog&>(d);
      attach.OpenRow(0);
      attach.OpenRow(0);
      // Opened again, the copy of the same name makes way for a fresh one.
      attach.OpenRow(0);
    });
    Press(v, V::kIdAttachments);
    QVERIFY(prompts->Questions().at(0).text.startsWith("Some files can contain viruses"));
    QVERIFY(prompts->Questions().at(0).text.endsWith("\n\nDo you wish to continue?"));
    QCOMPARE(desktop->OpenedUrls().size(), size_t(2));
    const QString opened = desktop->OpenedUrls()[1].toLocalFile();
    QCOMPARE(QFileInfo(opened).fileName(), QString("report.txt"));
    QCOMPARE(QString::fromStdString(ReadAll(opened.toStdString())), QString("quarterly"));
    struct stat st;
    QCOMPARE(::stat(QFileInfo(opened).path().toLocal8Bit().constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);
  }

  void safeFileNames_data() {
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("safe");
    QTest::newRow("plain") << "REPORT.TXT"
                           << "REPORT.TXT";
    QTest::newRow("path") << "../../x.sh"
                          << "_.._x.sh";
    QTest::newRow("hidden") << ".bashrc"
                            << "bashrc";
    QTest::newRow("blank and quote") << "a b'c.d"
                                     << "a_b_c.d";
    QTest::newRow("empty") << ""
                           << "attachment";
  }
  void safeFileNames() {
    QFETCH(QString, own);
    QFETCH(QString, safe);
    QCOMPARE(QString::fromStdString(SafeFileName(own.toStdString())), safe);
  }

  // Deleting an attachment while reading rewrites the e-mail file's header.
  void deletingAnAttachmentWhileReadingRewritesTheFile() {
    const MessageRecord sent = SendFromAnne("BOB", "Figures", "see", true);
    Open("BOB");
    V* v = View(0);
    const std::string stored = AttachmentFilePath(AttachmentAt(v->Header(), 0).storedName);
    dialogs->Then([](TBaseDialog& d) { Press(&d, TAttachDialog::kIdDelete); });
    Press(v, V::kIdAttachments);
    EmailHeader h;
    QVERIFY(EmailRead(EmailFilePath(sent.Number()), &h, nullptr, 0, nullptr));
    QCOMPARE(AttachmentCount(h), 0);
    QVERIFY(!QFileInfo::exists(QString::fromStdString(stored)));
    QVERIFY(!FindControlAs<QCheckBox>(v, V::kIdAttachments)->isChecked());
  }

  // Reply quotes the lines as the body field shows them, "Re: " goes in
  // front of the subject once, and a body too large to quote is refused.
  void replyQuotesTheShownLines_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("copyOver");
    QTest::addColumn<QString>("replySubject");
    QTest::addColumn<QString>("replyBody");
    QTest::newRow("quoted") << "Plans"
                            << "one\r\ntwo" << true << "Re: Plans"
                            << "\n\n> one\n> two\n";
    QTest::newRow("not copied") << "RE: Plans"
                                << "one" << false << "RE: Plans"
                                << "";
  }
  void replyQuotesTheShownLines() {
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(bool, copyOver);
    QFETCH(QString, replySubject);
    QFETCH(QString, replyBody);
    SendFromAnne("BOB", subject.toStdString(), body.toStdString(), false);
    Open("BOB");
    V* v = View(0);
    prompts->Answer(copyOver);
    QString seenSubject, seenBody, seenTo;
    dialogs->Then([&](TBaseDialog& d) {
      seenTo = Line(&d, C::kIdTo);
      seenSubject = Line(&d, C::kIdSubject);
      seenBody = FindControlAs<QPlainTextEdit>(&d, C::kIdBody)->toPlainText();
      Press(&d, C::kIdSend);
    });
    Press(v, V::kIdReply);
    QCOMPARE(prompts->Questions().at(0).text, QString("Copy message text over?"));
    QCOMPARE(seenTo, QString("anne@office.example"));
    QCOMPARE(seenSubject, replySubject);
    QCOMPARE(seenBody, replyBody);
    QCOMPARE(dialogs->captions.back(), QString("Reply to E-mail"));
  }
  void aBodyTooLargeToQuoteIsNotAnswered() {
    std::string body;
    for (int i = 0; i < 3300; ++i) body += "123456789\r\n";
    SendFromAnne("BOB", "Long", body, false);
    Open("BOB");
    V* v = View(0);
    prompts->Answer(true);
    Press(v, V::kIdReply);
    QCOMPARE(prompts->Questions().back().text, QString("Not enough memory."));
    QVERIFY(dialogs->captions.isEmpty());
  }

  // "Auto format" reflows the shown body and is kept for the user; off,
  // the body is read again from the file. The raw text of mail from the
  // Internet opens read-only.
  void optionsReflowAndShowTheRawText() {
    const MessageRecord sent = SendFromAnne("BOB", "S", "a line\r\ngoes on.\r\nNext", false);
    SetRawStem(sent, "in0001");
    std::ofstream(office->dir.File("DPE/in0001.RAW")) << "Received: from outside";
    Open("BOB");
    V* v = View(0);
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, EmailOptionsDialog::kIdAutoFormat);
      Press(&d, kIdOk);
    });
    Press(v, V::kIdOptions);
    QVERIFY(AutoFormat());
    QCOMPARE(FindControlAs<QPlainTextEdit>(v, V::kIdBody)->toPlainText(),
             QString("a line goes on.\nNext"));
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, EmailOptionsDialog::kIdViewRaw);
      Press(&d, EmailOptionsDialog::kIdAutoFormat);
      Press(&d, kIdOk);
    });
    Press(v, V::kIdOptions);
    QVERIFY(!AutoFormat());
    QCOMPARE(FindControlAs<QPlainTextEdit>(v, V::kIdBody)->toPlainText(),
             QString("a line\ngoes on.\nNext"));
    QCOMPARE(desktop->OpenedUrls().size(), size_t(1));
    const QFileInfo raw(desktop->OpenedUrls()[0].toLocalFile());
    QCOMPARE(raw.fileName(), QString("in0001.RAW"));
    QCOMPARE(int(raw.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)),
             0);
  }

  // The e-mail's CC items show one a line.
  void theCcListShowsOneItemALine() {
    SendFromAnne("BOB", "S", "b", false, "CAROL, x@y.example");
    Open("BOB");
    V* v = View(0);
    QStringList rows;
    dialogs->Then([&](TBaseDialog& d) {
      auto* l = FindControlAs<QListWidget>(&d, EmailCCListDialog::kIdList);
      for (int i = 0; i < l->count(); ++i) rows << l->item(i)->text();
    });
    Press(v, V::kIdCC);
    QCOMPARE(rows, QStringList({"CAROL", "x@y.example"}));
  }

  // The send log's "&Sent" tells whether the gateway has sent it.
  void theSendLogTellsWhenTheGatewaySentIt() {
    std::string setting;
    SetOptionByte(nm::kSendLog, 1);
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "x@y.example");
    Type(w, C::kIdFrom, "bob@office.example");
    Press(w, C::kIdSend);
    ListRequest log = Request("BOB");
    log.sendLog = true;
    OpenRequest(log);
    V* v = View(0);
    QVERIFY(v);
    QCOMPARE(FindControl(v, V::kIdSave)->property("text").toString(), QString("&Sent"));
    Press(v, V::kIdSave);
    QCOMPARE(prompts->Questions().back().text, QString("Message has not been sent."));
  }

  // "&Save" writes From and Subject into the e-mail file and the record; a
  // body shown cut (the field holds 31,999 characters) is warned about and
  // the file keeps all of it.
  void savingAnEmailRewritesItsFile_data() {
    QTest::addColumn<int>("bodyLength");
    QTest::addColumn<bool>("warned");
    QTest::newRow("a short body") << 20 << false;
    QTest::newRow("a body of 40,000 characters") << 40000 << true;
  }
  void savingAnEmailRewritesItsFile() {
    QFETCH(int, bodyLength);
    QFETCH(bool, warned);
    const std::string body(size_t(bodyLength), 'b');
    const MessageRecord sent = SendFromAnne("BOB", "Old subject", body, false);
    Open("BOB");
    V* v = View(0);
    QVERIFY(v);
    QCOMPARE(FindControlAs<QPlainTextEdit>(v, V::kIdBody)->toPlainText().size(),
             qsizetype(std::min(bodyLength, int(C::kBodySize) - 1)));
    QCOMPARE(!prompts->Questions().empty() &&
                 prompts->Questions().front().text == "Not enough memory to show entire message.",
             warned);
    Type(v, V::kIdSubject, "New subject");
    Press(v, V::kIdSave);
    QCOMPARE(prompts->Questions().back().text, QString("Message saved."));
    EmailHeader h;
    std::string stored;
    QVERIFY(EmailRead(EmailFilePath(sent.Number()), &h, &stored, 100000, nullptr));
    QCOMPARE(h.Subject(), std::string("New subject"));
    QCOMPARE(stored, body);
    QCOMPARE(FieldText(office->Read(sent).bytes, msgrec::kSubject), std::string("New subject"));
  }

  // The list's preview shows an e-mail's body from its file; a file another
  // workstation deleted is said in the pane.
  void thePreviewReadsTheBodyFromTheFile_data() {
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the file") << false << "Line one\nLine two";
    QTest::newRow("the file gone") << true << "Error reading email file.";
  }
  void thePreviewReadsTheBodyFromTheFile() {
    QFETCH(bool, deleted);
    QFETCH(QString, shown);
    const MessageRecord sent = SendFromAnne("BOB", "Hello", "Line one\r\nLine two", false);
    if (deleted) QVERIFY(QFile::remove(QString::fromStdString(EmailFilePath(sent.Number()))));
    Open("BOB");
    if (!list->PreviewShown()) list->TogglePreview();
    list->ShowPreview(0);
    auto* pane = list->findChild<QPlainTextEdit*>();
    QVERIFY(pane);
    const QString text = pane->toPlainText();
    // The pane's state is remembered for the next list: as it was.
    list->TogglePreview();
    QCOMPARE(text, shown);
  }

  // An e-mail whose file another workstation deleted does not open.
  void anEmailWithoutItsFileDoesNotOpen() {
    const MessageRecord sent = SendFromAnne("BOB", "Hello", "x", false);
    QVERIFY(QFile::remove(QString::fromStdString(EmailFilePath(sent.Number()))));
    Open("BOB");
    QVERIFY(View(0) == nullptr);
    QCOMPARE(prompts->Questions().back().text, QString("Error reading Email file."));
  }

  // ---- Copy E-mail ----

  void copyingOneEmail_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("useFrom");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("copies");
    QTest::newRow("to a colleague") << "CAROL" << false << ""
                                    << "Email copied." << 1;
    QTest::newRow("invalid") << "x@" << false << ""
                             << "Invalid name: x@" << 0;
    QTest::newRow("outside with a local From")
        << "x@y.example" << true << "BOB"
        << "Internet Emails must have a valid From field." << 0;
    QTest::newRow("outside with an Internet From") << "x@y.example" << true << "bob@office.example"
                                                   << "Email copied." << 1;
  }
  void copyingOneEmail() {
    QFETCH(QString, to);
    QFETCH(bool, useFrom);
    QFETCH(QString, from);
    QFETCH(QString, said);
    QFETCH(int, copies);
    SendFromAnne("BOB", "S", "b", true);
    Open("BOB");
    V* v = View(0);
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Copy E-mail"));
      QCOMPARE(Line(&d, TGetEmailCopyInfo::kIdFrom), QString("(Use original From field)"));
      Type(&d, TGetEmailCopyInfo::kIdTo, to);
      if (useFrom) {
        Press(&d, TGetEmailCopyInfo::kIdUseFrom);
        Type(&d, TGetEmailCopyInfo::kIdFrom, from);
      }
      Press(&d, kIdOk);
    });
    Press(v, V::kIdCopy);
    QCOMPARE(prompts->Questions().back().text, said);
    const std::string person = to.contains('@') ? "DPMAIL SERVER" : to.toStdString();
    if (!to.endsWith('@'))
      QCOMPARE(office->Folder(msgrec::kFolderNew, person).size(), size_t(copies));
  }

  // Several e-mails from the list: one dialog, and GET_EMAIL_FROM once for
  // those without an Internet From.
  void copyingSeveralEmailsAsksOnceForAnInternetFrom() {
    SendFromAnne("BOB", "one", "b", false, "", "ANNE");
    SendFromAnne("BOB", "two", "b", false, "", "ANNE");
    Open("BOB");
    list->ToggleTag(0);
    list->ToggleTag(1);
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Copy selected Emails"));
      QVERIFY(!FindControl(&d, TGetEmailCopyInfo::kIdAttachNote)->isEnabled());
      Type(&d, TGetEmailCopyInfo::kIdTo, "x@y.example");
      Press(&d, kIdOk);
    });
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Email From field"));
      Type(&d, GetEmailFromDialog::kIdFrom, "bob@office.example");
      Press(&d, kIdOk);
    });
    list->Copy();
    QCOMPARE(dialogs->captions.size(), qsizetype(2));
    const auto out = office->Folder(msgrec::kFolderNew, "DPMAIL SERVER");
    QCOMPARE(out.size(), size_t(2));
    for (const MessageRecord& r : out)
      QCOMPARE(FieldText(r.bytes, msgrec::kSenderAddress), std::string("bob@office.example"));
  }

 private:
  TTakeEmailClass* OpenTake() {
    take = std::make_unique<TTakeEmailClass>(nullptr);
    take->OpenModeless();
    // Focus moves, which re-derive From, need the window active.
    take->activateWindow();
    if (!QTest::qWaitForWindowActive(take.get())) qWarning("the window did not become active");
    return take.get();
  }
  void SetOption(Field field, const std::string& text) {
    NameRecord me;
    QVERIFY(NameLookup("BOB", &me));
    SetFieldText(me.bytes, field, text.c_str());
    QVERIFY(NameUpdate(me));
  }
  void SetOptionByte(Field field, uint8_t value) {
    NameRecord me;
    QVERIFY(NameLookup("BOB", &me));
    SetFieldByte(me.bytes, field, value);
    QVERIFY(NameUpdate(me));
    if (field.offset == nm::kSendLog.offset) {
      MessageUser user = CurrentMessageUser();
      user.sendLog = value != 0;
      SetMessageUser(user);
    }
  }
  int StoredFiles() {
    return int(QDir(QString::fromStdString(office->dir.File("DPE"))).entryList({"*.ATT"}).size());
  }
  int32_t AddFolder(const std::string& name, int32_t owner) {
    FolderTable folders;
    if (!FolderOpen(folders)) return 0;
    FolderRecord record = MakeFolderRecord(name, owner);
    int32_t number = FolderAdd(folders, record) ? record.Number() : 0;
    FolderClose(folders);
    return number;
  }
  void AddPhoneEntry(const std::string& listname, const std::string& email) {
    PhoneTable phones;
    QVERIFY(PhoneOpen(phones));
    PhoneRecord r;
    r.SetText(records::phone::kListname, listname);
    r.SetText(records::phone::kEmail, email);
    SetFieldI32(r.bytes, records::phone::kList, 0);
    QVERIFY(PhoneAdd(phones, r));
    PhoneClose(phones);
  }
  // An e-mail as ANNE's workstation sends it: from her Internet address,
  // with the attachment report.txt when asked.
  MessageRecord SendFromAnne(const std::string& to, const std::string& subject,
                             const std::string& body, bool attach, const std::string& cc = "",
                             const std::string& from = "anne@office.example") {
    office->now += 60;
    EmailDraft draft;
    draft.to = to;
    draft.from = from;
    draft.subject = subject;
    draft.body = body;
    draft.header.SetCc(cc);
    if (attach) {
      const std::string source = office->dir.File("report.txt");
      std::ofstream(source) << "quarterly";
      AttachmentAdd(draft.header, source);
    }
    const MessageUser me = CurrentMessageUser();
    SetMessageUser({"ANNE", office->numbers["ANNE"], false});
    std::string message;
    const int ok = EmailSend(draft, &message);
    SetMessageUser(me);
    if (!ok) QTest::qFail(qPrintable(QString::fromStdString(message)), __FILE__, __LINE__);
    const auto in = office->Folder(msgrec::kFolderNew, to);
    return in.empty() ? MessageRecord() : in.back();
  }
  void SetRawStem(const MessageRecord& sent, const std::string& stem) {
    MessageTable handle;
    QVERIFY(MsgOpen(handle));
    const int32_t rn = office->RecordNumberOf(sent);
    MessageRecord r;
    QVERIFY(MsgRead(handle, rn, &r));
    SetFieldText(r.bytes, msgrec::kRawStem, stem.c_str());
    QVERIFY(MsgWrite(handle, rn, r));
    MsgClose(handle);
  }
  ListRequest Request(const std::string& person) {
    ListRequest r;
    r.owner = office->numbers.count(person) ? office->numbers[person] : kMailServerNumber;
    r.person = person;
    r.ownerName = person;
    return r;
  }
  void OpenRequest(const ListRequest& r) {
    if (r.sendLog) {
      list.reset(new TSendlogListClass(nullptr, r));
    } else {
      list.reset(new TMessageListClass(nullptr, r));
    }
    QVERIFY(list->Start());
    list->OpenModeless();
  }
  void Open(const std::string& person) { OpenRequest(Request(person)); }
  V* View(int rowNumber) {
    if (list->OpenViewWindow() == nullptr) list->OpenView(rowNumber);
    return qobject_cast<V*>(list->OpenViewWindow());
  }

  std::unique_ptr<MessageOffice> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  std::unique_ptr<ScriptedDesktop> desktop;
  std::unique_ptr<MessagingDialogs> dialogs;
  std::unique_ptr<TMessageListBaseClass> list;
  std::unique_ptr<TTakeEmailClass> take;
};

QTEST_MAIN(EmailWindowsTest)
#include "email_windows_test.moc"
