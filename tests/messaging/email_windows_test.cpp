// The e-mail windows on a real office: the Send E-mail window (From and its
// re-derivation, the address picker, CC, attachments, signatures, Send and
// Send to folder), the e-mail view with its attachments, options, reply,
// CC list and the send log's "&Sent", and Copy E-mail for one and for
// several e-mails. Files are real; faults are caused for real.
#include <sys/stat.h>

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <fstream>
#include <optional>

#include "data/messages/attachments.h"
#include "data/messages/email_file.h"
#include "data/messages/email_send.h"
#include "messaging/attach_dialog.h"
#include "messaging/email_compose.h"
#include "messaging/email_dialogs.h"
#include "messaging/email_settings.h"
#include "messaging/mail_copy.h"
#include "messaging/mail_reply.h"
#include "messaging/select_mail_to.h"
#include "messaging/take_email.h"
#include "messaging/take_windows.h"
#include "tests/messaging/messaging_office.h"
#include "tests/support/test_rows.h"
#include "toolkit/scripted_desktop.h"

namespace {

using V = TViewMessageBaseClass;
using C = EmailComposer;

}  // namespace

// From as Clear fills it by the user's options, and as it follows To.
struct FromCase {
  const char* name;
  const char *option, *domain, *to, *cleared, *derived;
};
constexpr FromCase kFromCases[] = {
    {"own address, Internet To", "bob@own.example", "", "x@y.example", "bob@own.example",
     "bob@own.example"},
    {"domain, local To", "", "office.example", "ANNE", "bob@office.example", "BOB"},
};

// Saving an attachment: the target, whether it exists, the answer to the
// overwrite question (-1: none asked), whether another workstation deleted
// the stored copy, what was said last and what the target holds after.
struct SaveCase {
  const char *name, *target;
  bool exists;
  int answer;
  bool deleteStored;
  const char *said, *content;
};
constexpr SaveCase kSaveCases[] = {
    {"a new file", "out.txt", false, -1, false, "", "quarterly"},
    {"overwrite, yes", "out.txt", true, 1, false, "", "quarterly"},
    {"overwrite, no", "out.txt", true, 0, false, "", "old"},
    // A file where a folder should be: no user, not even root, writes there.
    {"not writable", "plain/out.txt", false, -1, false, "Error creating file.", ""},
    {"gone elsewhere", "out.txt", false, -1, true, "Error opening file.", ""},
};

struct CopyCase {
  const char *name, *to;
  bool useFrom;
  const char *from, *said;
  int copies;
};
constexpr CopyCase kCopyCases[] = {
    {"to a colleague", "CAROL", false, "", "Email copied.", 1},
    {"outside with a local From", "x@y.example", true, "BOB",
     "Internet Emails must have a valid From field.", 0},
    {"outside with an Internet From", "x@y.example", true, "bob@office.example", "Email copied.",
     1},
};

struct ReplyCase {
  const char *name, *subject;
  bool copyOver;
  const char *replySubject, *replyBody;
};
constexpr ReplyCase kReplyCases[] = {
    {"quoted", "Plans", true, "Re: Plans", "\n\n> one\n> two\n"},
    {"not copied", "RE: Plans", false, "RE: Plans", ""},
};

class EmailWindowsTest : public QObject, MessagingTest {
  Q_OBJECT

 private slots:
  void init() {
    Begin(As("BOB"));
    desktop = std::make_unique<ScriptedDesktop>();
  }
  void cleanup() {
    take.reset();
    desktop.reset();
    End(false);
  }

  // ---- The Send E-mail window ----

  // Clear fills From by the user's options; as long as the user does not
  // touch From it follows the addresses in To and CC.
  void fromFollowsTheOptionsAndTheAddresses_data() { AddRows(kFromCases); }
  void fromFollowsTheOptionsAndTheAddresses() {
    const FromCase& c = TestRow(kFromCases);
    Begin({.user = "BOB", .emailFrom = c.option});
    if (*c.domain) std::ofstream(office->dir.File("DPDESK.CFG")) << "DOMAIN=" << c.domain << "\n";
    TTakeEmailClass* w = OpenTake();
    QCOMPARE(LineText(w, C::kIdFrom), QString(c.cleared));
    Type(w, C::kIdTo, c.to);
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(LineText(w, C::kIdFrom), QString(c.derived));
    // Once the user edits From it stays.
    Type(w, C::kIdFrom, "me@mine.example");
    Type(w, C::kIdTo, "ANNE");
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(LineText(w, C::kIdFrom), QString("me@mine.example"));
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
    TypeKeys(w, C::kIdBody, "See the report.\nBob");
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
    QVERIFY(Checked(w, C::kIdAttachments));
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
    QCOMPARE(ReadWholeFile(AttachmentFilePath(AttachmentAt(g, 0).storedName)),
             std::string("quarterly figures"));
    // Cleared for the next one, and the stored files stay with the messages.
    QCOMPARE(LineText(w, C::kIdTo), QString());
    QVERIFY(!Checked(w, C::kIdAttachments));
    QVERIFY(QFileInfo::exists(
        QString::fromStdString(AttachmentFilePath(AttachmentAt(a, 0).storedName))));
  }

  // A character Windows-1252 has no byte for is refused at the field.
  // What Send refuses is said, nobody gets it, and the form is kept for a
  // correction. (Each refusal of the send itself is tested in the data.)
  void theFieldsAndSendRefuseWhatCannotGo() {
    TTakeEmailClass* w = OpenTake();
    for (int id : {C::kIdTo, C::kIdSubject, C::kIdBody}) {
      TypeCharacters(FindControl(w, id), QString::fromUtf8("a\u0142b"));
      QCOMPARE(prompts->Questions().back().text,
               QString::fromUtf8("The character \"\u0142\" cannot be stored."));
      QCOMPARE(id == C::kIdBody ? PlainText(w, id) : LineText(w, id), QString("ab"));
    }
    Type(w, C::kIdTo, "ANNE,x@");
    Type(w, C::kIdSubject, "kept");
    QVERIFY(!w->Send());
    QCOMPARE(prompts->Questions().back().text, QString("Invalid name: x@"));
    QCOMPARE(LineText(w, C::kIdSubject), QString("kept"));
    QCOMPARE(office->Folder(msgrec::kFolderNew, "ANNE").size(), size_t(0));
  }

  // The attachment dialog's Delete drops the stored copy, and with nothing
  // selected says so; the 41st attachment is refused; "C&lear" deletes the
  // copies made for the unsent e-mail.
  void theUnsentAttachmentsAreDeletedAndFortyIsTheMost() {
    const std::string source = office->dir.File("a.txt");
    std::ofstream(source) << "x";
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
    QVERIFY(!Checked(w, C::kIdAttachments));
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

  // "&To:" appends the picked items after a ","; past 255 characters the
  // field stays as it was. 250 characters, a "," and ANNE fill it exactly.
  void toAppendsPickedAddressesWhileThereIsRoom() {
    const QString x250(250, 'x'), x251(251, 'x');
    const QString cases[][3] = {{"", "ANNE", ""},
                                {"CAROL", "CAROL,ANNE", ""},
                                {"CAROL,", "CAROL,ANNE", ""},
                                {x250, x250 + ",ANNE", ""},
                                {x251, x251, "Not enough room in field."}};
    TTakeEmailClass* w = OpenTake();
    for (const auto& [before, after, said] : cases) {
      FindControlAs<QLineEdit>(w, C::kIdTo)->setText(before);
      dialogs->Then([](TBaseDialog& d) {
        Press(&d, TSelectMailToClass::kIdNameList);
        Type(&d, TSelectMailToClass::kIdFind, "ANNE");
        Press(&d, kIdOk);
      });
      Press(w, C::kIdPickTo);
      QCOMPARE(LineText(w, C::kIdTo), after);
      if (!said.isEmpty()) QCOMPARE(prompts->Questions().back().text, said);
    }
    // A tag whose text the calling field has no room for is refused: the
    // row stays untagged and nothing is picked.
    FindControlAs<QLineEdit>(w, C::kIdTo)->setText(QString(252, 'x'));
    dialogs->Then([this](TBaseDialog& d) {
      auto& picker = static_cast<TSelectMailToClass&>(d);
      Press(&d, TSelectMailToClass::kIdNameList);
      Type(&d, TSelectMailToClass::kIdFind, "ANNE");
      QWidget* names = FindControl(&d, TSelectMailToClass::kIdNames);
      QTest::keyClick(names, Qt::Key_Space, Qt::ControlModifier);
      QCOMPARE(prompts->Questions().back().text, QString("Not enough room in field."));
      QVERIFY(picker.NameItems().empty());
      // No row reads as tagged, to the eye or to a screen reader.
      QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(names);
      QVERIFY(rows && rows->childCount() > 0);
      for (int i = 0; i < rows->childCount(); ++i) QVERIFY(!rows->child(i)->state().checked);
      Press(&d, kIdCancel);
    });
    Press(w, C::kIdPickTo);
    QCOMPARE(LineText(w, C::kIdTo), QString(252, 'x'));
  }

  // The picker's phone list adds entries' E-mail fields; an entry without
  // one adds nothing.
  void thePickerTakesAddressesFromThePhoneList() {
    QVERIFY(AddPhoneEntry(0, "ACME", "", "", "", "sales@acme.example"));
    QVERIFY(AddPhoneEntry(0, "BETA", "", ""));
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
    QCOMPARE(LineText(w, C::kIdTo), QString("sales@acme.example"));
  }

  // "&CC:": OK keeps the text, Cancel the old; From follows the CC.
  void ccKeepsItsTextOnOkAndFromFollows() {
    std::ofstream(office->dir.File("DPDESK.CFG")) << "DOMAIN=office.example\n";
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "ANNE");
    FindControl(w, C::kIdSubject)->setFocus();
    QCOMPARE(LineText(w, C::kIdFrom), QString("BOB"));
    // OK, then Cancel over a changed text.
    for (auto [typed, button] :
         {std::pair{"carol@outside.example", kIdOk}, std::pair{"changed", kIdCancel}}) {
      dialogs->Then([typed, button](TBaseDialog& d) {
        Type(&d, TGetCCDialog::kIdCC, typed);
        Press(&d, button);
      });
      Press(w, C::kIdCC);
      QCOMPARE(w->Composer().Header().Cc(), std::string("carol@outside.example"));
      QCOMPARE(LineText(w, C::kIdFrom), QString("bob@office.example"));
    }
  }

  // SIGNATURE stores both texts and the default; the chosen one ends the
  // body of the e-mail sent.
  void theChosenSignatureEndsTheBody() {
    TTakeEmailClass* w = OpenTake();
    dialogs->Then([](TBaseDialog& d) {
      TypeKeys(&d, TSignatureDlgClass::kIdText1, "Bob\nSales");
      TypeKeys(&d, TSignatureDlgClass::kIdText2, "B.");
      Press(&d, TSignatureDlgClass::kIdUse1);
      Press(&d, TSignatureDlgClass::kIdDefault2);
      Press(&d, TSignatureDlgClass::kIdUse2);
      QVERIFY(!Checked(&d, TSignatureDlgClass::kIdUse1));
      Press(&d, kIdOk);
    });
    Press(w, C::kIdSignature);
    QCOMPARE(FindControlAs<QCheckBox>(w, C::kIdSignature)->text(), QString("Signature 2"));
    QVERIFY(Checked(w, C::kIdSignature));
    const EmailSignatures s = ReadSignatures();
    QCOMPARE(s.text[0], std::string("Bob\nSales"));
    QCOMPARE(s.defaultChoice, 2);
    Type(w, C::kIdTo, "ANNE");
    TypeKeys(w, C::kIdBody, "Hi");
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
    const int32_t folder = MessagingOffice::AddFolder("Keep", office->numbers["BOB"]);
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
  void everyControlIsNamed() {
    EmailHeader header;
    MessageRecord record;
    const std::pair<const char*, std::function<TBaseDialog*()>> windows[] = {
        {"TAKEMAIL", [] { return new TTakeEmailClass(nullptr); }},
        {"MAIL_RESPONSE",
         [] { return new TRespondToMailClass(nullptr, "a@b.example", "S", "", false); }},
        {"Copy E-mail", [&] { return new TGetEmailCopyInfo(nullptr, &record, false); }},
        {"GETCC", [] { return new TGetCCDialog(nullptr, "x"); }},
        {"EMAIL_CCLIST", [] { return new EmailCCListDialog(nullptr, "x,y"); }},
        {"SIGNATURE", [] { return new TSignatureDlgClass(nullptr, 0); }},
        {"EMAIL_OPTIONS", [] { return new EmailOptionsDialog(nullptr, ""); }},
        {"GET_EMAIL_FROM", [] { return new GetEmailFromDialog(nullptr, ""); }},
        {"SELECT_EMAIL_TO", [] { return new TSelectMailToClass(nullptr, 255); }},
        {"ATTACH", [&] { return new TAttachDialog(nullptr, header); }}};
    for (const auto& [name, make] : windows) {
      std::unique_ptr<TBaseDialog> w(make());
      w->OpenModeless();
      for (QWidget* c : w->findChildren<QWidget*>()) {
        if (ControlId(c) <= 0 || !c->isVisibleTo(w.get())) continue;
        const bool named = !c->accessibleName().isEmpty() || qobject_cast<QAbstractButton*>(c);
        QVERIFY2(named,
                 qPrintable(QString("%1: control %2 has no name").arg(name).arg(ControlId(c))));
      }
      w->CloseWith(0);
    }
    // The Send window's fields are named by their labels.
    TTakeEmailClass* w = OpenTake();
    const std::pair<int, const char*> labels[] = {{C::kIdTo, "To:"},
                                                  {C::kIdFrom, "From:"},
                                                  {C::kIdSubject, "Subject:"},
                                                  {C::kIdBody, "Message"}};
    for (const auto& [id, label] : labels)
      QCOMPARE(FindControl(w, id)->accessibleName(), QString(label));
  }

  // ---- Reading ----

  // Save asks before replacing a file; a file that cannot be written and
  // an attachment another workstation deleted are said.
  void savingAnAttachment_data() { AddRows(kSaveCases); }
  void savingAnAttachment() {
    const SaveCase& c = TestRow(kSaveCases);
    SendFromAnne("BOB", "Figures", "see", true);
    const QString folder = QString::fromStdString(office->dir.File("saved"));
    QDir().mkpath(folder);
    std::ofstream((folder + "/plain").toStdString()) << "a file";
    const QString path = folder + "/" + c.target;
    if (c.exists) std::ofstream(path.toStdString()) << "old";
    V* v = OpenView();
    if (c.deleteStored)
      QVERIFY(QFile::remove(
          QString::fromStdString(AttachmentFilePath(AttachmentAt(v->Header(), 0).storedName))));
    desktop->Answer(path);
    if (c.answer >= 0) prompts->Answer(c.answer);
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
    QCOMPARE(asked.contains("File exists, overwrite?"), c.exists);
    if (*c.said) QCOMPARE(asked.value(asked.size() - 1), QString(c.said));
    if (*c.content) QCOMPARE(ReadWholeFile(path.toStdString()), std::string(c.content));
  }

  // A double click warns; on yes a copy under its own name, made safe, goes
  // into a folder of the program's own (0700) and to the desktop.
  void openingAnAttachmentWarnsAndHandsOverAPrivateCopy() {
    SendFromAnne("BOB", "Figures", "see", true);
    V* v = OpenView();
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
    QCOMPARE(ReadWholeFile(opened.toStdString()), std::string("quarterly"));
    struct stat st;
    QCOMPARE(::stat(QFileInfo(opened).path().toLocal8Bit().constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0700);
  }

  void safeFileNames() {
    const char* cases[][2] = {{"REPORT.TXT", "REPORT.TXT"},
                              {"../../x.sh", "_.._x.sh"},
                              {".bashrc", "bashrc"},
                              {"a b'c.d", "a_b_c.d"},
                              {"", "attachment"}};
    for (const auto& [own, safe] : cases) QCOMPARE(SafeFileName(own), std::string(safe));
  }

  // The view shows the e-mail with its attachments; deleting an attachment
  // while reading rewrites the e-mail file's header.
  void theViewShowsTheEmailAndDeletesAnAttachment() {
    const MessageRecord sent = SendFromAnne("BOB", "Hello", "Line one\r\nLine two", true);
    V* v = OpenView();
    QCOMPARE(v->objectName(), QString("VMAIL"));
    QCOMPARE(v->windowTitle(), QString("View Email"));
    QCOMPARE(LineText(v, V::kIdSubject), QString("Hello"));
    QCOMPARE(LineText(v, V::kIdMailFrom), QString("anne@office.example"));
    QCOMPARE(PlainText(v, V::kIdBody), QString("Line one\nLine two"));
    QVERIFY(Checked(v, V::kIdAttachments));
    QVERIFY(!FindControl(v, V::kIdCC)->isVisibleTo(v));
    const std::string stored = AttachmentFilePath(AttachmentAt(v->Header(), 0).storedName);
    dialogs->Then([](TBaseDialog& d) { Press(&d, TAttachDialog::kIdDelete); });
    Press(v, V::kIdAttachments);
    EmailHeader h;
    QVERIFY(EmailRead(EmailFilePath(sent.Number()), &h, nullptr, 0, nullptr));
    QCOMPARE(AttachmentCount(h), 0);
    QVERIFY(!QFileInfo::exists(QString::fromStdString(stored)));
    QVERIFY(!Checked(v, V::kIdAttachments));
  }

  // Reply quotes the lines as the body field shows them, "Re: " goes in
  // front of the subject once, and a body too large to quote is refused.
  void replyQuotesTheShownLines_data() { AddRows(kReplyCases); }
  void replyQuotesTheShownLines() {
    const ReplyCase& c = TestRow(kReplyCases);
    SendFromAnne("BOB", c.subject, "one\r\ntwo", false);
    V* v = OpenView();
    prompts->Answer(c.copyOver);
    QString seenSubject, seenBody, seenTo;
    dialogs->Then([&](TBaseDialog& d) {
      seenTo = LineText(&d, C::kIdTo);
      seenSubject = LineText(&d, C::kIdSubject);
      seenBody = PlainText(&d, C::kIdBody);
      Press(&d, C::kIdSend);
    });
    Press(v, V::kIdReply);
    QCOMPARE(prompts->Questions().at(0).text, QString("Copy message text over?"));
    QCOMPARE(seenTo, QString("anne@office.example"));
    QCOMPARE(seenSubject, QString(c.replySubject));
    QCOMPARE(seenBody, QString(c.replyBody));
    QCOMPARE(dialogs->opened.back(), QString("Reply to E-mail"));
  }
  void aBodyTooLargeToQuoteIsNotAnswered() {
    std::string body;
    for (int i = 0; i < 3300; ++i) body += "123456789\r\n";
    SendFromAnne("BOB", "Long", body, false);
    V* v = OpenView();
    prompts->Answer(true);
    Press(v, V::kIdReply);
    QCOMPARE(prompts->Questions().back().text, QString("Not enough memory."));
    QVERIFY(dialogs->opened.empty());
  }

  // "Auto format" reflows the shown body and is kept for the user; off,
  // the body is read again from the file. The raw text of mail from the
  // Internet opens read-only.
  void optionsReflowAndShowTheRawText() {
    const MessageRecord sent = SendFromAnne("BOB", "S", "a line\r\ngoes on.\r\nNext", false);
    QVERIFY(office->Rewrite(
        sent, [](MessageRecord& r) { SetFieldText(r.bytes, msgrec::kRawStem, "in0001"); }));
    std::ofstream(office->dir.File("DPE/in0001.RAW")) << "Received: from outside";
    V* v = OpenView();
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, EmailOptionsDialog::kIdAutoFormat);
      Press(&d, kIdOk);
    });
    Press(v, V::kIdOptions);
    QVERIFY(AutoFormat());
    QCOMPARE(PlainText(v, V::kIdBody), QString("a line goes on.\nNext"));
    dialogs->Then([](TBaseDialog& d) {
      Press(&d, EmailOptionsDialog::kIdViewRaw);
      Press(&d, EmailOptionsDialog::kIdAutoFormat);
      Press(&d, kIdOk);
    });
    Press(v, V::kIdOptions);
    QVERIFY(!AutoFormat());
    QCOMPARE(PlainText(v, V::kIdBody), QString("a line\ngoes on.\nNext"));
    QCOMPARE(desktop->OpenedUrls().size(), size_t(1));
    const QFileInfo raw(desktop->OpenedUrls()[0].toLocalFile());
    QCOMPARE(raw.fileName(), QString("in0001.RAW"));
    QCOMPARE(int(raw.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)),
             0);
  }

  // The e-mail's CC items show one a line.
  void theCcListShowsOneItemALine() {
    SendFromAnne("BOB", "S", "b", false, "CAROL, x@y.example");
    V* v = OpenView();
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
    Begin({.user = "BOB", .sendLog = 1});
    TTakeEmailClass* w = OpenTake();
    Type(w, C::kIdTo, "x@y.example");
    Type(w, C::kIdFrom, "bob@office.example");
    Press(w, C::kIdSend);
    V* v = OpenView(office->Request("BOB", true));
    QCOMPARE(FindControl(v, V::kIdSave)->property("text").toString(), QString("&Sent"));
    Press(v, V::kIdSave);
    QCOMPARE(prompts->Questions().back().text, QString("Message has not been sent."));
  }

  // "&Save" writes From and Subject into the e-mail file and the record; a
  // body shown cut (the field holds 31,999 characters) is warned about and
  // the file keeps all of it.
  void savingAnEmailRewritesItsFile_data() {
    QTest::addColumn<int>("bodyLength");
    QTest::newRow("a short body") << 20;
    QTest::newRow("a body of 40,000 characters") << 40000;
  }
  void savingAnEmailRewritesItsFile() {
    QFETCH(int, bodyLength);
    const std::string body(size_t(bodyLength), 'b');
    const MessageRecord sent = SendFromAnne("BOB", "Old subject", body, false);
    V* v = OpenView();
    QCOMPARE(PlainText(v, V::kIdBody).size(),
             qsizetype(std::min(bodyLength, int(C::kBodySize) - 1)));
    QCOMPARE(!prompts->Questions().empty() &&
                 prompts->Questions().front().text == "Not enough memory to show entire message.",
             bodyLength > 20);
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
  // workstation deleted is said in the pane, and such an e-mail does not open.
  void aDeletedEmailFileIsSaidInThePreviewAndTheEmailDoesNotOpen() {
    std::optional<bool> shownBefore;
    for (bool deleted : {false, true}) {
      const MessageRecord sent = SendFromAnne("BOB", "Hello", "Line one\r\nLine two", false);
      if (deleted) QVERIFY(QFile::remove(QString::fromStdString(EmailFilePath(sent.Number()))));
      QVERIFY(Open("BOB"));
      if (!shownBefore) shownBefore = list->PreviewShown();
      if (!list->PreviewShown()) list->TogglePreview();
      list->ShowPreview(list->RowCount() - 1);
      auto* pane = list->findChild<QPlainTextEdit*>();
      QVERIFY(pane);
      QCOMPARE(pane->toPlainText(),
               QString(deleted ? "Error reading email file." : "Line one\nLine two"));
    }
    // The pane's state is remembered for the next list: as it was.
    if (!*shownBefore) list->TogglePreview();
    list->OpenView(1);
    QVERIFY(list->OpenViewWindow() == nullptr);
    QCOMPARE(prompts->Questions().back().text, QString("Error reading Email file."));
  }

  // ---- Copy E-mail ----

  void copyingOneEmail_data() { AddRows(kCopyCases); }
  void copyingOneEmail() {
    const CopyCase& c = TestRow(kCopyCases);
    SendFromAnne("BOB", "S", "b", true);
    V* v = OpenView();
    dialogs->Then([&](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Copy E-mail"));
      QCOMPARE(LineText(&d, TGetEmailCopyInfo::kIdFrom), QString("(Use original From field)"));
      Type(&d, TGetEmailCopyInfo::kIdTo, c.to);
      if (c.useFrom) {
        Press(&d, TGetEmailCopyInfo::kIdUseFrom);
        Type(&d, TGetEmailCopyInfo::kIdFrom, c.from);
      }
      Press(&d, kIdOk);
    });
    Press(v, V::kIdCopy);
    QCOMPARE(prompts->Questions().back().text, QString(c.said));
    const std::string person = QString(c.to).contains('@') ? "DPMAIL SERVER" : c.to;
    QCOMPARE(office->Folder(msgrec::kFolderNew, person).size(), size_t(c.copies));
  }

  // The dialog's own controls: "From:" offers the user's own From and gives
  // the original back when unticked, "Attach note" opens the note with its
  // heading, and Cancel copies nothing.
  void copyingOneEmailWithANoteAndCancellingOne() {
    SendFromAnne("BOB", "S", "b", true);
    V* v = OpenView();
    dialogs->Then([](TBaseDialog& d) {
      auto* from = FindControlAs<QLineEdit>(&d, TGetEmailCopyInfo::kIdFrom);
      Press(&d, TGetEmailCopyInfo::kIdUseFrom);
      QVERIFY(from->isEnabled());
      QVERIFY(from->text() != "(Use original From field)");
      Press(&d, TGetEmailCopyInfo::kIdUseFrom);
      QVERIFY(!from->isEnabled());
      QCOMPARE(from->text(), QString("(Use original From field)"));
      auto* note = FindControlAs<QPlainTextEdit>(&d, TGetEmailCopyInfo::kIdNote);
      QVERIFY(!note->isEnabled());
      Press(&d, TGetEmailCopyInfo::kIdAttachNote);
      QVERIFY(note->isEnabled());
      QVERIFY(note->toPlainText().startsWith("From BOB "));
      note->moveCursor(QTextCursor::End);
      TypeKeys(&d, TGetEmailCopyInfo::kIdNote, "Please handle");
      Type(&d, TGetEmailCopyInfo::kIdTo, "CAROL");
      Press(&d, kIdOk);
    });
    Press(v, V::kIdCopy);
    const auto carol = office->Folder(msgrec::kFolderNew, "CAROL");
    QCOMPARE(carol.size(), size_t(1));
    const QString note =
        QString::fromStdString(NoteText(FieldI32(carol[0].bytes, msgrec::kAttachedNote)));
    QVERIFY(note.startsWith("From BOB ") && note.endsWith("Please handle"));

    dialogs->Then([this](TBaseDialog& d) {
      Type(&d, TGetEmailCopyInfo::kIdTo, "CAROL");
      prompts->Answer(true);  // "Changes not saved, are you sure?"
      Press(&d, kIdCancel);
    });
    Press(v, V::kIdCopy);
    QCOMPARE(office->Folder(msgrec::kFolderNew, "CAROL").size(), size_t(1));
  }

  // Several e-mails from the list: one dialog, and GET_EMAIL_FROM once for
  // those without an Internet From.
  void copyingSeveralEmailsAsksOnceForAnInternetFrom() {
    SendFromAnne("BOB", "one", "b", false, "", "ANNE");
    SendFromAnne("BOB", "two", "b", false, "", "ANNE");
    QVERIFY(Open("BOB"));
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
    QCOMPARE(dialogs->opened.size(), size_t(2));
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
  int StoredFiles() {
    return int(QDir(QString::fromStdString(office->dir.File("DPE"))).entryList({"*.ATT"}).size());
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
  // The view of the first row of BOB's in-box or of the list asked for.
  V* OpenView(const ListRequest& r = ListRequest()) {
    return Open(r.ownerName.empty() ? office->Request("BOB") : r) ? View() : nullptr;
  }

  std::unique_ptr<ScriptedDesktop> desktop;
  std::unique_ptr<TTakeEmailClass> take;
};

QTEST_MAIN(EmailWindowsTest)
#include "email_windows_test.moc"
