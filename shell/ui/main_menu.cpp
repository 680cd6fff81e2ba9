#include "shell/ui/main_menu.h"

#include <QMenu>

#include "shell/ui/command_ids.h"

QAction* AddCommand(QWidget* menu, const QString& text, int id) {
  auto* action = new QAction(text, menu);
  action->setProperty(kCommandIdProperty, id);
  menu->addAction(action);
  return action;
}

int CommandId(const QAction* action) {
  bool ok = false;
  const int id = action->property(kCommandIdProperty).toInt(&ok);
  return ok ? id : -1;
}

QAction* FindCommand(const QObject* root, int id) {
  for (QAction* action : root->findChildren<QAction*>()) {
    if (CommandId(action) == id) return action;
  }
  return nullptr;
}

QMenuBar* BuildMainMenu(QWidget* parent) {
  auto* bar = new QMenuBar(parent);
  bar->setObjectName("MENU_1");

  QMenu* file = bar->addMenu("&File");
  AddCommand(file, "P&rinter setup...", kCmdPrinterSetup);
  file->addSeparator();
  AddCommand(file, "DESKpost &Fax...", kCmdCompanionFax);
  AddCommand(file, "DESKpost &Pager...", kCmdCompanionPager);
  AddCommand(file, "DESKpost &Remote...", kCmdCompanionRemote);
  file->addSeparator();
  AddCommand(file, "E&xit", kCmdExit);

  QMenu* view = bar->addMenu("&View");
  AddCommand(view, "&New...", kCmdViewNew);
  AddCommand(view, "&Folder...", kCmdViewFolder);
  AddCommand(view, "&Archive...", kCmdViewArchive);
  QMenu* viewLog = view->addMenu("Send &log");
  AddCommand(viewLog, "&New...", kCmdSendLogNew);
  AddCommand(viewLog, "&Archive...", kCmdSendLogArchive);

  QMenu* print = bar->addMenu("&Print");
  AddCommand(print, "&New...", kCmdPrintNew);
  AddCommand(print, "&Folder...", kCmdPrintFolder);
  AddCommand(print, "&Archive...", kCmdPrintArchive);

  QMenu* search = bar->addMenu("&Search");
  AddCommand(search, "&All...", kCmdSearchAll);
  AddCommand(search, "&New...", kCmdSearchNew);
  AddCommand(search, "&Folder...", kCmdSearchFolder);
  AddCommand(search, "A&rchive...", kCmdSearchArchive);
  QMenu* searchLog = search->addMenu("Send &log");
  AddCommand(searchLog, "&New...", kCmdSearchSendLogNew);
  AddCommand(searchLog, "&Archive...", kCmdSearchSendLogArchive);

  QMenu* phone = bar->addMenu("Phone&List");
  AddCommand(phone, "Select List", kCmdSelectList);
  AddCommand(phone, "View List", kCmdPhoneList);
  AddCommand(phone, "&Search...", kCmdPhoneSearch);
  AddCommand(phone, "&Reports...", kCmdPhoneReports);
  AddCommand(phone, "&Labels...", kCmdPhoneLabels);

  QMenu* window = bar->addMenu("&Window");
  AddCommand(window, "&Take", kCmdTake);
  AddCommand(window, "&View", kCmdView);
  AddCommand(window, "&Phonelist", kCmdPhoneList);
  AddCommand(window, "&Scheduler", kCmdScheduler);
  AddCommand(window, "To &do", kCmdTodo);

  QMenu* setup = bar->addMenu("S&etup");
  QMenu* password = setup->addMenu("&Password");
  password->setObjectName("Password");
  AddCommand(password, "&Master...", kCmdPasswordMaster);
  AddCommand(password, "&Phone...", kCmdPasswordPhone);
  AddCommand(password, "&User...", kCmdPasswordUser);
  AddCommand(setup, "&Options...", kCmdOptions);
  AddCommand(setup, "&Run Setup...", kCmdRunSetup);
  setup->addSeparator();
  AddCommand(setup, "&About...", kCmdAbout);
  return bar;
}

QString CompanionProductText(int command) {
  switch (command) {
    case kCmdCompanionFax:
      return "DESKpost Fax sends a message slip or a memo as a fax and files incoming faxes "
             "in the in-box.\nIt is available separately; ask your DESKpost dealer.";
    case kCmdCompanionPager:
      return "DESKpost Pager forwards urgent messages to a pager or a mobile phone while you "
             "are away from your desk.\nIt is available separately; ask your DESKpost dealer.";
    default:
      return "DESKpost Remote lets you read and answer your messages from home or on the "
             "road.\nIt is available separately; ask your DESKpost dealer.";
  }
}
