#include "store/ui/index_rebuild_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <utility>

#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/data_module.h"
#include "store/schema_upgrade.h"

namespace lapiro::store::ui {

// ------------------------------------------------------------------ SessionGroupCursors

SessionGroupCursors::SessionGroupCursors(shell::ShellSession& session, std::function<void()> redraw)
    : session_(session), redraw_(std::move(redraw)) {}

engine::Cursor* SessionGroupCursors::find(const QString& name) {
  if (TDatenStamm* module = session_.dataModule())
    if (engine::Cursor* c = module->cursor(name)) return c;
  return session_.cursor(name);
}

bool SessionGroupCursors::close(const QStringList& names) {
  // Every other open data module cursor on a table of the named cursors holds that table
  // too; the rebuild needs it to itself.
  extra_.clear();
  QStringList tables;
  for (const QString& name : names)
    if (const CursorSpec* cursorDef = findCursor(name)) tables << cursorDef->table.toUpper();
  if (TDatenStamm* module = session_.dataModule())
    for (const CursorSpec& cursorDef : dataModuleCursors()) {
      if (names.contains(cursorDef.name, Qt::CaseInsensitive) || !tables.contains(cursorDef.table.toUpper())) continue;
      if (engine::Cursor* c = module->cursor(cursorDef.name); c && c->isOpen()) {
        c->close();
        extra_ << cursorDef.name;
      }
    }
  for (const QString& name : names) {
    if (name == mainCursor::Sprmel) {
      session_.messages().close();
      continue;
    }
    if (engine::Cursor* c = find(name)) c->close();
  }
  return true;
}

void SessionGroupCursors::reopen(const QStringList& names) {
  for (const QString& name : names) {
    if (name == mainCursor::Sprmel) {
      session_.messages().open();
      continue;
    }
    if (engine::Cursor* c = find(name); c && !c->isOpen()) c->open();
  }
  for (const QString& name : std::exchange(extra_, {}))
    if (engine::Cursor* c = find(name); c && !c->isOpen()) c->open();
}

void SessionGroupCursors::redraw() {
  if (redraw_) redraw_();
}

// ------------------------------------------------------------------ TFormIndexrekonstruktion

TFormIndexrekonstruktion::TFormIndexrekonstruktion(shell::ShellSession& session, HelpFn help, QWidget* parent)
    : QWidget(parent), session_(session), help_(std::move(help)) {
  setObjectName(QStringLiteral("TFormIndexrekonstruktion"));
  setWindowTitle(QStringLiteral("Indexrekonstruktion"));

  // The boxes in their screen order; a run treats the groups in its own fixed order.
  const IndexGroup screenOrder[] = {IndexGroup::Kaninchen,
                                    IndexGroup::Adressenverwaltung,
                                    IndexGroup::Buchfuehrung,
                                    IndexGroup::Apotheke,
                                    IndexGroup::Farbe,
                                    IndexGroup::Rasse,
                                    IndexGroup::Meldung,
                                    IndexGroup::Zuechterregister,
                                    IndexGroup::Vereine,
                                    IndexGroup::Ausstellungstermine,
                                    IndexGroup::Ausstellungstitel};
  auto* groups = new QGroupBox(this);
  auto* grid = new QGridLayout(groups);
  int i = 0;
  for (IndexGroup g : screenOrder) {
    auto* box = new QCheckBox(indexGroup(g).box, groups);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(static_cast<int>(g)));
    grid->addWidget(box, i % 6, i / 6);
    boxes_[g] = box;
    ++i;
  }

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("Fortschritt"));
  progress_->setTextVisible(false);
  progress_->setVisible(false);
  status_ = new QLabel(this);

  start_ = new QPushButton(QStringLiteral("&Start"), this);
  abbruch_ = new QPushButton(QStringLiteral("&Abbruch"), this);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  abbruch_->setEnabled(false);
  connect(start_, &QPushButton::clicked, this, &TFormIndexrekonstruktion::StartClick);
  connect(abbruch_, &QPushButton::clicked, this, &TFormIndexrekonstruktion::AbbruchClick);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (help_) help_(196);
  });
  connect(zurueck, &QPushButton::clicked, this, &TFormIndexrekonstruktion::ZurueckClick);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, abbruch_, hilfe, zurueck}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(groups);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());
}

void TFormIndexrekonstruktion::StartClick() {
  // Events run between the steps, so "&Start" may be pressed again after "&Abbruch" swapped
  // the buttons back; a second run inside the first would close cursors it is reopening.
  if (running_) return;
  running_ = true;
  start_->setEnabled(false);
  abbruch_->setEnabled(true);
  progress_->setRange(0, 0);  // busy indication
  progress_->setVisible(true);
  status_->setText(QStringLiteral("Die Indizes werden neu aufgebaut …"));
  const auto done = qScopeGuard([this] {
    progress_->setVisible(false);
    status_->clear();
    start_->setEnabled(true);
    abbruch_->setEnabled(false);
    running_ = false;
  });

  std::vector<IndexGroup> ticked;
  for (const auto& [group, box] : boxes_)
    if (box->isChecked()) ticked.push_back(group);
  SessionGroupCursors cursors(session_, [this] {
    QCoreApplication::processEvents();
    emit stepDone();
  });
  result_ = rebuildIndexes(session_.engine(), ticked, cursors);
}

void TFormIndexrekonstruktion::AbbruchClick() {
  start_->setEnabled(true);
  abbruch_->setEnabled(false);
}

void TFormIndexrekonstruktion::closeEvent(QCloseEvent* event) {
  if (running_)
    event->ignore();
  else
    event->accept();
}

void TFormIndexrekonstruktion::ZurueckClick() {
  if (running_) return;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

}  // namespace lapiro::store::ui
