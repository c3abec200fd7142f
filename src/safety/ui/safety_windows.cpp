#include "safety/ui/safety_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include "card/ui/animal_card.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

namespace lapiro::safety::ui {

FolderRunWindow::FolderRunWindow(const QString& title, int helpContext, QWidget* parent) : QWidget(parent) {
  setWindowTitle(title);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Laufwerk:")));
  drives_ = new QComboBox;
  QStringList roots;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
    if (v.isValid() && v.isReady() && !v.rootPath().startsWith(QStringLiteral("/proc")) &&
        !v.rootPath().startsWith(QStringLiteral("/sys")) && !v.rootPath().startsWith(QStringLiteral("/dev")) &&
        !v.rootPath().startsWith(QStringLiteral("/run")))
      roots << v.rootPath();
  if (!roots.contains(QDir::homePath())) roots.prepend(QDir::homePath());
  roots.removeDuplicates();
  drives_->addItems(roots);
  top->addWidget(drives_, 1);
  outer->addLayout(top);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QString());
  tree_ = new QTreeView;
  tree_->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  outer->addWidget(tree_, 1);
  path_ = new QLabel;
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  outer->addWidget(path_);
  extraArea_ = new QWidget;
  new QVBoxLayout(extraArea_);
  extraArea_->layout()->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(extraArea_);

  progress_ = new QGroupBox;
  auto* pl = new QGridLayout(progress_);
  fileLabel_ = new QLabel;
  numberLabel_ = new QLabel;
  totalLabel_ = new QLabel;
  bar_ = new QProgressBar;
  pl->addWidget(fileLabel_, 0, 0, 1, 2);
  pl->addWidget(numberLabel_, 1, 0);
  pl->addWidget(totalLabel_, 1, 1);
  pl->addWidget(bar_, 2, 0, 1, 2);
  progress_->hide();
  outer->addWidget(progress_);

  auto* buttons = new QHBoxLayout;
  start_ = new QPushButton(QStringLiteral("&Start"));
  abort_ = new QPushButton(QStringLiteral("&Abbruch"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  abort_->setEnabled(false);
  buttons->addWidget(start_);
  buttons->addWidget(abort_);
  buttons->addStretch();
  buttons->addWidget(hilfe);
  buttons->addWidget(zurueck);
  outer->addLayout(buttons);

  connect(drives_, &QComboBox::currentTextChanged, this, [this](const QString& root) {
    tree_->setRootIndex(model_->index(root));
    path_->setText(root);
  });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) { path_->setText(model_->filePath(i)); });
  connect(start_, &QPushButton::clicked, this, [this] { runWork([this] { run(); }); });
  connect(abort_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
  connect(hilfe, &QPushButton::clicked, this, [this, helpContext] {
    if (onHelp) onHelp(helpContext);
  });
  connect(zurueck, &QPushButton::clicked, this, [this] { close(); });
  if (!roots.isEmpty()) {
    tree_->setRootIndex(model_->index(roots.first()));
    path_->setText(roots.first());
  }
}

QString FolderRunWindow::folder() const { return path_->text(); }

void FolderRunWindow::selectFolder(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  QString drive;
  for (int i = 0; i < drives_->count(); ++i) {
    const QString root = drives_->itemText(i);
    if ((clean == root || clean.startsWith(root.endsWith(u'/') ? root : root + u'/')) && root.size() > drive.size())
      drive = root;
  }
  if (!drive.isEmpty()) drives_->setCurrentText(drive);
  const QModelIndex index = model_->index(clean);
  tree_->setCurrentIndex(index);
  tree_->scrollTo(index);
  path_->setText(clean);
}

Progress FolderRunWindow::progress() {
  Progress p;
  p.show = [this](const QString& label, const QString& file, int number, int total) {
    progress_->show();
    fileLabel_->setText(label + u' ' + file);
    numberLabel_->setText(QStringLiteral("Datei ") + QString::number(number));
    totalLabel_->setText(QStringLiteral("von ") + QString::number(total));
    bar_->setRange(0, total);
    bar_->setValue(number);
    QApplication::processEvents();
  };
  p.cancelled = [this] {
    QApplication::processEvents();
    return cancelled_;
  };
  return p;
}

void FolderRunWindow::setRunning(bool running) {
  running_ = running;
  start_->setEnabled(!running);
  abort_->setEnabled(running);
  if (!running) progress_->hide();
}

void FolderRunWindow::runWork(const std::function<void()>& work) {
  if (running_) return;
  cancelled_ = false;
  setRunning(true);
  work();
  setRunning(false);
}

void FolderRunWindow::closeEvent(QCloseEvent* event) {
  // Not while files are being processed: "&Abbruch" first.
  if (running_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

// ------------------------------------------------------------------------------ backup

TFormDatensicherung::TFormDatensicherung(const QString& dataDir, QWidget* parent)
    : FolderRunWindow(QStringLiteral("Datensicherung"), 195, parent), dataDir_(dataDir) {
  auto* neu = new QPushButton(QStringLiteral("Neues Verzeichnis anlegen"));
  extraArea_->layout()->addWidget(neu);
  newPanel_ = new QGroupBox;
  auto* nl = new QVBoxLayout(newPanel_);
  nl->addWidget(new QLabel(QStringLiteral("Geben Sie den neuen Verzeichnisnamen an!")));
  newName_ = new QLineEdit;
  nl->addWidget(newName_);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("&OK"));
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"));
  row->addWidget(ok);
  row->addWidget(abbruch);
  row->addStretch();
  nl->addLayout(row);
  newPanel_->hide();
  extraArea_->layout()->addWidget(newPanel_);
  connect(neu, &QPushButton::clicked, this, [this] {
    newName_->clear();
    newPanel_->show();
    newName_->setFocus();
  });
  connect(ok, &QPushButton::clicked, this, [this] { newFolder(newName_->text()); });
  connect(abbruch, &QPushButton::clicked, newPanel_, &QWidget::hide);
}

void TFormDatensicherung::newFolder(const QString& name) {
  newPanel_->hide();
  const QString base = folder();
  const QString trimmed = name.trimmed();
  // No extra separator after a drive root.
  const QString path = base.endsWith(u'/') ? base + trimmed : base + u'/' + trimmed;
  const bool valid = !trimmed.isEmpty() && !trimmed.contains(u'/') && trimmed != QStringLiteral(".") &&
                     trimmed != QStringLiteral("..");
  if (!valid || QFileInfo::exists(path) || !QDir().mkdir(path)) {
    store::dialogs().error(store::messageText(34));
    return;
  }
  selectFolder(path);
}

void TFormDatensicherung::run() {
  last_ = backup(dataDir_, folder(), progress());
  if (!last_.refusal.isEmpty())
    store::dialogs().error(last_.refusal);
  else if (last_.failed.isEmpty() && last_.existing.isEmpty() && !last_.cancelled)
    store::dialogs().inform(last_.summary());
  else
    store::dialogs().warn(last_.summary());
}

// ------------------------------------------------------------------------------ restore

TFormDatenruecksicherung::TFormDatenruecksicherung(const QString& programDir, std::function<bool()> closeTables,
                                                   std::function<void()> reopenTables, QWidget* parent)
    : FolderRunWindow(QStringLiteral("Datenrücksicherung"), 194, parent),
      programDir_(programDir),
      closeTables_(std::move(closeTables)),
      reopenTables_(std::move(reopenTables)) {
  startButton()->setToolTip(QStringLiteral("Start der Rücksicherung"));
  safetyCopy_ = new QPushButton(QStringLiteral("Sicherheitskopie zurückholen"));
  safetyCopy_->setToolTip(QStringLiteral("Holt die Daten vor der letzten Rücksicherung aus „Datensik“ zurück; "
                                         "die jetzigen Daten werden zur neuen Sicherheitskopie."));
  extraArea_->layout()->addWidget(safetyCopy_);
  connect(safetyCopy_, &QPushButton::clicked, this, &TFormDatenruecksicherung::recoverSafetyCopy);
}

void TFormDatenruecksicherung::run() {
  last_ = restore(SafetyPaths(programDir_), folder(), progress(),
                  [&] {
                    if (closeTables_) closeTables_();
                  },
                  reopenTables_);
  report();
}

void TFormDatenruecksicherung::recoverSafetyCopy() {
  runWork([this] {
    last_ = restoreSafetyCopy(SafetyPaths(programDir_), progress(),
                              [&] {
                                if (closeTables_) closeTables_();
                              },
                              reopenTables_);
    report();
  });
}

void TFormDatenruecksicherung::report() {
  if (last_.message.isEmpty()) return;
  if (last_.status == RestoreStatus::Restored && !last_.warning)
    store::dialogs().inform(last_.message);
  else if (last_.status == RestoreStatus::Restored)
    store::dialogs().warn(last_.message);
  else if (last_.status != RestoreStatus::Refused)
    store::dialogs().error(last_.message);
}

// ------------------------------------------------------------------------------ openers

namespace {

QPointer<QMdiSubWindow> backupWindow;
QPointer<QMdiSubWindow> restoreWindow;

QMdiSubWindow* showChild(shell::ui::Host& main, QWidget* window) {
  return main.openNormalWindow(window, QSize(560, 520));
}

}  // namespace

void openDatensicherung(shell::ui::Host& main) {
  if (main.bringForward(backupWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  auto* window = new TFormDatensicherung(main.session().engine().aliasDirectory());
  shell::ui::HostPointer owner(main);
  window->onHelp = [owner](int c) {
    if (owner) owner->showHelp(c);
  };
  backupWindow = showChild(main, window);
}

void openDatenruecksicherung(shell::ui::Host& main) {
  if (main.bringForward(restoreWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ui::HostPointer owner(main);
  auto close = [owner]() {
    if (!owner) return false;
    // Every other window with tables of its own closes first; then the data module's and the
    // main window's tables, and the query connection lets go of its files.
    for (QMdiSubWindow* sub : owner->mdiArea()->subWindowList()) {
      if (sub == restoreWindow.data()) continue;
      if (owner->cardWidget() && sub->widget() == owner->cardWidget()) continue;
      sub->close();
    }
    shell::ShellSession& s = owner->session();
    s.closeTables();
    s.messages().close();
    s.engine().attachFiles({});
    return true;
  };
  auto reopen = [owner]() {
    if (!owner) return;
    shell::ShellSession& s = owner->session();
    try {
      s.messages().open();
    } catch (const engine::EngineError&) {
    }
    store::upgradeMainWindowTables(s.engine(), s);
    if (store::TDatenStamm* module = s.dataModule()) module->open();
    owner->applySettings();
    owner->widget()->setWindowTitle(s.caption());
    owner->updateAnimalCount();
  };
  auto* window = new TFormDatenruecksicherung(shell::paths::programDir(), close, reopen);
  window->onHelp = [owner](int c) {
    if (owner) owner->showHelp(c);
  };
  restoreWindow = showChild(main, window);
}

}  // namespace lapiro::safety::ui
