#include "shell/ui/dpwin.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWindowStateChangeEvent>

#include "data/office/dpmain.h"
#include "data/office/passwords.h"
#include "data/office/startup_prompts.h"
#include "shell/ui/button_bars.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/main_menu.h"
#include "shell/ui/pictures.h"
#include "shell/ui/trace.h"
#include "shell/view_urgent.h"
#include "toolkit/control_id.h"
#include "toolkit/help.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

#ifndef DESKPOST_VERSION
#define DESKPOST_VERSION "0.1"
#endif

namespace {

// The commands that open windows of other parts of the program: offered
// only when their window is there (DpWinHooks::windows).
constexpr int kWindowCommands[] = {
    kCmdTake,          kCmdPhoneList,        kCmdScheduler,
    kCmdTodo,          kCmdViewNew,          kCmdViewFolder,
    kCmdViewArchive,   kCmdSendLogNew,       kCmdSendLogArchive,
    kCmdPrintNew,      kCmdPrintFolder,      kCmdPrintArchive,
    kCmdSearchAll,     kCmdSearchNew,        kCmdSearchFolder,
    kCmdSearchArchive, kCmdSearchSendLogNew, kCmdSearchSendLogArchive,
    kCmdSelectList,    kCmdPhoneSearch,      kCmdPhoneReports,
    kCmdPhoneLabels,   kCmdOptions,          kCmdPrinterSetup,
};

// The height the full window leaves free below it when it first opens.
constexpr int kFullWindowBottomGap = 50;

const char kRunSetupQuestion[] = "This will close DESKpost and run the Setup program, continue?";

}  // namespace

DpWin::DpWin(DpWinSetup setup, DpWinHooks hooks, SoundPlayer& sound)
    : setup_(std::move(setup)),
      settings_(setup_.settings),
      hooks_(std::move(hooks)),
      sound_(sound) {
  setObjectName("dpwin");
  setWindowTitle(FromCp1252(MainTitle(setup_.iniPath, setup_.userName)));
  SetIcon(AlertIcon::kNormal);

  menu_ = BuildMainMenu(this);
  setMenuBar(menu_);
  connect(menu_, &QMenuBar::triggered, this,
          [this](QAction* action) { Command(CommandId(action)); });
  if (QMenu* password = menu_->findChild<QMenu*>("Password")) {
    connect(password, &QMenu::aboutToShow, this, [this] { UpdatePasswordMenu(); });
  }
  // Ctrl+S reaches the main window only while it is the active window;
  // F1 in each window opens that window's section of the help page.
  QAction* save = AddCommand(this, "Save", kCmdSave);
  save->setShortcut(QKeySequence("Ctrl+S"));
  connect(save, &QAction::triggered, this, [this] { Command(kCmdSave); });
  SetHelpAnchor(this, "main-window");

  setCentralWidget(new FullPage(this, [this](int id) { Command(id); }));
  PlaceDefault();
  if (const auto& record = settings_.windows[kMainWindowState]) {
    const WindowRestore restore = RestoreWindow(*record);
    if (restore.move) {
      setGeometry(restore.rect.left, restore.rect.top, restore.rect.right - restore.rect.left,
                  restore.rect.bottom - restore.rect.top);
    }
  }

  alerts_ =
      std::make_unique<PollAlert>(setup_.alerts, static_cast<AlertWindow&>(*this), setup_.alarms);
  timer_.setInterval(kNormalTimerMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  RefreshCommands();
}

DpWin::~DpWin() = default;

void DpWin::Start() {
  // The Password popup's entries read true before it is first opened, for
  // a screen reader that reads the menu without opening it.
  UpdatePasswordMenu();
  const StartShow show = StartShowFor(settings_);
  if (show.floating) {
    mode_.floating = false;
    mode_.fullWasMaximised = false;
    ToFloating(false);
  } else if (show.minimised) {
    if (show.topMost) setWindowFlag(Qt::WindowStaysOnTopHint, true);
    showMinimized();
  } else {
    showMaximized();
  }
  Trace("started " + setup_.userName);
  timer_.start();
  alerts_->Start();
}

void DpWin::Tick() {
  // A box shown from inside a tick (a lock time-out while a flag is
  // cleared, say) runs its own loop, in which the timer goes on firing:
  // those ticks are dropped, so the machine never runs inside itself.
  if (exitCode_ >= 0 || inTick_) return;
  inTick_ = true;
  alerts_->Tick();
  if (hooks_.tick) hooks_.tick();
  inTick_ = false;
}

void DpWin::TakeKindCommand(char kind) {
  if (hooks_.takeKind) hooks_.takeKind(kind);
}

QRect DpWin::ScreenRect() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

void DpWin::PlaceDefault() {
  const QRect screen = ScreenRect();
  setGeometry(screen.left(), screen.top(), screen.width(), screen.height() - kFullWindowBottomGap);
}

WindowRect DpWin::CurrentRect() const {
  const QRect g = geometry();
  return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

QAbstractButton* DpWin::ToolbarButton(int command) const {
  return centralWidget() ? FindControlAs<QAbstractButton>(centralWidget(), command) : nullptr;
}

// ---- Modes ----

void DpWin::ApplyFloatingFlags() {
  const ToolbarLayout layout = LayOutToolbar(settings_.floatShape, settings_.toolbarShown,
                                             kToolbarButtonSize, kToolbarButtonSize);
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (layout.minimiseBox) flags |= Qt::WindowMinimizeButtonHint;
  if (settings_.alwaysOnTop) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
}

void DpWin::ToFloating(bool rebuild) {
  if (rebuild) {
    KeepToolbarPosition(settings_, {x(), y()});
  } else {
    if (isVisible()) {
      EnterFloating(mode_, settings_, isMaximized(), isMinimized(), CurrentRect());
    } else {
      mode_.floating = true;  // the start: the full window was never shown
    }
    menu_->hide();
  }
  mode_.rebuildDeferred = false;
  const ToolbarLayout layout = LayOutToolbar(settings_.floatShape, settings_.toolbarShown,
                                             kToolbarButtonSize, kToolbarButtonSize);
  DropPage();
  auto* toolbar =
      new FloatToolbar(this, settings_.floatShape, layout, [this](int id) { Command(id); });
  setCentralWidget(toolbar);
  setWindowTitle(FromCp1252(ToolbarTitle(setup_.iniPath, setup_.userName)));
  ApplyFloatingFlags();
  setWindowState(Qt::WindowNoState);
  setFixedSize(layout.width, layout.height);
  const QRect screen = ScreenRect();
  const ScreenPoint at = PlaceToolbar(settings_.initX, settings_.initY, layout.width, layout.height,
                                      screen.width(), screen.height());
  move(at.x, at.y);
  SetViewPicture(viewUrgent_);
  RefreshCommands();
  show();
  activateWindow();
  toolbar->setFocus();
  Trace("floating " + FloatToolbarName(settings_.floatShape).toStdString());
}

void DpWin::DropPage() {
  // The old page may hold the button being pressed: it goes once the
  // press is over, and stays the window's child until then.
  if (QWidget* old = takeCentralWidget()) {
    old->hide();
    old->setParent(this);
    old->deleteLater();
  }
}

void DpWin::ToFull() {
  const FullShow full = LeaveFloating(mode_, settings_, {x(), y()});
  DropPage();
  setWindowFlags(Qt::Window);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setWindowTitle(FromCp1252(MainTitle(setup_.iniPath, setup_.userName)));
  if (full.rect) {
    setGeometry(full.rect->left, full.rect->top, full.rect->right - full.rect->left,
                full.rect->bottom - full.rect->top);
  } else {
    PlaceDefault();
  }
  menu_->show();
  setCentralWidget(new FullPage(this, [this](int id) { Command(id); }));
  SetViewPicture(viewUrgent_);
  RefreshCommands();
  ShowFull(full.maximise);
  Trace("full application");
}

void DpWin::ShowFull(bool maximise) {
  if (maximise) {
    showMaximized();
  } else {
    showNormal();
  }
  activateWindow();
  if (centralWidget()) centralWidget()->setFocus();
}

// ---- Commands ----

void DpWin::Command(int id) {
  if (exitCode_ >= 0) return;
  switch (id) {
    case kCmdExit:
      close();
      return;
    case kCmdToolbar:
      if (mode_.floating) {
        ToFull();
      } else {
        ToFloating(false);
      }
      return;
    case kCmdFull:
      if (mode_.floating) ToFull();
      return;
    case kCmdRebuildToolbar:
      if (mode_.floating && mode_.rebuildDeferred) ToFloating(true);
      mode_.rebuildDeferred = false;
      return;
    case kCmdView:
      ViewCommand();
      return;
    case kCmdSave:
      // Only reached while the main window itself is active: nothing here
      // saves.
      sound_.Beep(BeepKind::kPlain);
      return;
    case kCmdCompanionFax:
    case kCmdCompanionPager:
    case kCmdCompanionRemote:
      Prompter().Inform(CompanionProductText(id));
      return;
    case kCmdPasswordMaster:
    case kCmdPasswordPhone:
    case kCmdPasswordUser:
      PasswordCommand(id);
      return;
    case kCmdAbout:
      AboutCommand();
      return;
    case kCmdRunSetup:
      RunSetupCommand();
      return;
    case kCmdHelp:
      HelpCommand();
      return;
    case kMenuAlwaysOnTop:
    case kMenuSquare:
    case kMenuHorizontal:
    case kMenuVertical:
      SystemMenuCommand(id);
      return;
    default:
      break;
  }
  if (id >= kMenuFirstItem && id < kMenuFirstItem + kToolbarItemCount) {
    SystemMenuCommand(id);
    return;
  }
  auto window = hooks_.windows.find(id);
  if (window != hooks_.windows.end() && window->second) window->second();
}

void DpWin::SystemMenuCommand(int id) {
  const SystemMenuChange change = ApplySystemMenu(settings_, id, isMinimized());
  if (!change.handled) return;
  if (change.topMostChanged) {
    SetTopMost(settings_.alwaysOnTop);
    if (!settings_.alwaysOnTop) lower();
  }
  if (change.deferred) mode_.rebuildDeferred = true;
  if (change.rebuild && mode_.floating) ToFloating(true);
}

QMenu* DpWin::BuildSystemMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName("SystemMenu");
  QAction* onTop = AddCommand(menu, "&Always on top", kMenuAlwaysOnTop);
  onTop->setCheckable(true);
  onTop->setChecked(settings_.alwaysOnTop);
  menu->addSeparator();
  const char* shapes[] = {"&Square Toolbar", "&Horizontal", "&Vertical"};
  for (int shape = kShapeSquare; shape <= kShapeVertical; ++shape) {
    QAction* entry = AddCommand(menu, shapes[shape], kMenuSquare + shape);
    entry->setCheckable(true);
    entry->setChecked(settings_.floatShape == shape);
  }
  menu->addSeparator();
  QMenu* items = menu->addMenu("&Toolbar items");
  items->setObjectName("MENU_2");
  for (int i = 0; i < kToolbarItemCount; ++i) {
    QAction* entry = AddCommand(items, kToolbarItems[i].menuText, kToolbarItems[i].menuId);
    entry->setCheckable(true);
    entry->setChecked(settings_.toolbarShown[size_t(i)]);
  }
  connect(menu, &QMenu::triggered, this, [this](QAction* action) { Command(CommandId(action)); });
  return menu;
}

void DpWin::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = BuildSystemMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void DpWin::ViewCommand() {
  if (alerts_->Level() >= 2) {
    MessageTable handle;
    ViewChoice choice;
    int ok = MsgOpen(handle);
    if (ok) {
      ok = ChooseView(*alerts_, handle, setup_.userName, setup_.userNumber, &choice);
      MsgClose(handle);
    }
    if (!ok) {
      ShowError();
      return;
    }
    Trace(choice.action == ViewAction::kOpenMessage ? "view urgent message" : "view new");
    RefreshCommands();
    if (choice.action == ViewAction::kOpenMessage && hooks_.openMessage) {
      hooks_.openMessage(choice.entry);
      return;
    }
  }
  auto newView = hooks_.windows.find(kCmdView);
  if (newView != hooks_.windows.end() && newView->second) newView->second();
}

void DpWin::PasswordCommand(int id) {
  if (hooks_.password) {
    hooks_.password(this, id);
    // The dialog may have set or removed the master password.
    UpdatePasswordMenu();
    return;
  }
  Prompter().Inform("The password dialogs are not installed on this workstation.");
}

void DpWin::UpdatePasswordMenu() {
  bool master = false;
  if (hooks_.masterPasswordSet) {
    master = hooks_.masterPasswordSet();
  } else {
    OfficePasswords passwords;
    master = ReadOfficePasswords(&passwords) && passwords.MasterSet();
  }
  for (int id : {kCmdPasswordPhone, kCmdPasswordUser}) {
    if (QAction* action = FindCommand(menu_, id)) action->setEnabled(master);
  }
}

void DpWin::AboutCommand() {
  if (hooks_.about) {
    hooks_.about(this);
    return;
  }
  Prompter().Inform(QString("DESKpost version %1\nData directory: %2")
                        .arg(DESKPOST_VERSION, FromCp1252(setup_.dataDirectory)));
}

void DpWin::HelpCommand() {
  if (hooks_.help) {
    hooks_.help(this);
    return;
  }
  Prompter().Inform("Help is not installed on this workstation.");
}

void DpWin::RunSetupCommand() {
  if (!Prompter().AskYesNo(kRunSetupQuestion)) return;
  close();
  if (exitCode_ < 0) return;  // the close was refused
  if (hooks_.runSetup) {
    hooks_.runSetup(setup_.iniPath);
  } else {
    Launcher().Launch(setup_.dataDirectory + kSetupProgram, setup_.iniPath);
  }
}

void DpWin::RefreshCommands() {
  auto enable = [this](int id, bool on) {
    // A command may have two entries ("View List" and "&Phonelist"): both
    // follow it.
    for (QAction* action : menu_->findChildren<QAction*>()) {
      if (CommandId(action) == id) action->setEnabled(on);
    }
    if (QAbstractButton* button = ToolbarButton(id)) button->setEnabled(on);
  };
  for (int id : kWindowCommands) enable(id, hooks_.windows.count(id) != 0);
  // View opens the New view when that window is there; while an urgent
  // message waits it can open that message alone.
  enable(kCmdView, hooks_.windows.count(kCmdView) != 0 ||
                       (alerts_ && alerts_->Level() >= 2 && hooks_.openMessage));
}

// ---- Closing ----

bool DpWin::AnyWindowDisabled() const {
  if (QApplication::activeModalWidget() != nullptr) return true;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && !w->isEnabled()) return true;
  }
  return false;
}

void DpWin::closeEvent(QCloseEvent* event) {
  if (exitCode_ >= 0) {
    event->accept();
    return;
  }
  if (!MayClose(AnyWindowDisabled())) {
    sound_.Beep(BeepKind::kPlain);
    Trace("close refused");
    event->ignore();
    return;
  }
  if (hooks_.takeMayClose && !hooks_.takeMayClose()) {
    event->ignore();
    return;
  }
  Finish(0);
  event->accept();
}

void DpWin::Finish(int exitCode) {
  SaveOnClose(mode_, settings_, {x(), y()}, isMaximized(), isMinimized(), CurrentRect());
  timer_.stop();
  exitCode_ = exitCode;
  // The settings are this workstation's own file: a key that cannot be
  // written is said, so the next start's surprise has an explanation.
  if (!WriteToolbarItems(setup_.iniPath, settings_) ||
      !WriteWindowSettings(setup_.iniPath, settings_)) {
    Prompter().Inform(QString("Unable to write the settings to %1.")
                          .arg(QString::fromLocal8Bit(setup_.iniPath.c_str())));
  }
  Trace("exit " + std::to_string(exitCode));
  emit finished(exitCode);
}

void DpWin::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || exitCode_ >= 0) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  const bool wasMinimised = change->oldState() & Qt::WindowMinimized;
  SizeChange size;
  if (isMinimized()) {
    size = SizeChange::kMinimised;
  } else if (isMaximized()) {
    size = SizeChange::kMaximised;
  } else {
    size = SizeChange::kRestored;
  }
  const std::optional<bool> topMost = TopMostAfter(size, mode_, settings_.alwaysOnTop);
  const bool rebuild = wasMinimised && !isMinimized() && mode_.rebuildDeferred;
  // Window flags cannot change while the state change is being delivered:
  // both follow once it is over, as the posted command 207 did.
  if (topMost || rebuild) {
    QMetaObject::invokeMethod(
        this,
        [this, topMost, rebuild] {
          if (topMost && bool(windowFlags() & Qt::WindowStaysOnTopHint) != *topMost) {
            SetTopMost(*topMost);
          }
          if (rebuild) Command(kCmdRebuildToolbar);
        },
        Qt::QueuedConnection);
  }
}
