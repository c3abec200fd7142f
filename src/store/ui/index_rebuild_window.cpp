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

SessionGroupCursors::SessionGroupCursors(shell::ShellSession& session, std::function<void()> redraw,
                                         ProgressFn progress)
    : session_(session), progress_(std::move(progress)), redraw_(std::move(redraw)) {}

engine::Cursor* SessionGroupCursors::find(const QString& name) {
  if (TDatenStamm* module = session_.dataModule())
    if (engine::Cursor* c = module->cursor(name)) return c;
  return session_.cursor(name);
}

bool SessionGroupCursors::close(const QStringList& names) {
  // Every other open data module cursor on a table of the named cursors holds that table
  // too; the rebuild needs it to itself.
  extra_.clear();
  marks_.clear();
  animal_ = 0;
  auto closeCursor = [this](engine::Cursor* c) {
    if (!c || !c->isOpen()) return;
    marks_[c] = c->bookmark();
    c->close();
  };
  TDatenStamm* dm = session_.dataModule();
  if (dm && names.contains(QStringLiteral("Hasen"), Qt::CaseInsensitive) && dm->Hasen().isOpen() &&
      dm->Hasen().hasRecord() && !dm->Hasen().field(QStringLiteral("Nummer")).isNull())
    animal_ = dm->Hasen().field(QStringLiteral("Nummer")).asInteger();
  QStringList tables;
  for (const QString& name : names)
    if (const CursorSpec* cursorDef = findCursor(name)) tables << cursorDef->table.toUpper();
  if (TDatenStamm* module = session_.dataModule())
    for (const CursorSpec& cursorDef : dataModuleCursors()) {
      if (names.contains(cursorDef.name, Qt::CaseInsensitive) || !tables.contains(cursorDef.table.toUpper())) continue;
      if (engine::Cursor* c = module->cursor(cursorDef.name); c && c->isOpen()) {
        closeCursor(c);
        extra_ << cursorDef.name;
      }
    }
  for (const QString& name : names) {
    if (name == mainCursor::Sprmel) {
      session_.messages().close();
      continue;
    }
    closeCursor(find(name));
  }
  return true;
}

void SessionGroupCursors::reopen(const QStringList& names) {
  TDatenStamm* dm = session_.dataModule();
  auto reopenCursor = [this, dm](engine::Cursor* c) {
    if (!c || c->isOpen()) return;
    c->open();
    const auto mark = marks_.find(c);
    if (mark == marks_.end() || !mark->second.isValid()) return;
    // The card's cursor goes back through the data module below.
    if (dm && c == &dm->Hasen()) return;
    c->gotoBookmark(mark->second);
  };
  for (const QString& name : names) {
    if (name == mainCursor::Sprmel) {
      session_.messages().open();
      continue;
    }
    reopenCursor(find(name));
  }
  for (const QString& name : std::exchange(extra_, {})) reopenCursor(find(name));
  marks_.clear();
  const qint64 animal = std::exchange(animal_, 0);
  if (dm && animal > 0 && dm->Hasen().isOpen()) {
    const engine::Field nummer = dm->Hasen().field(QStringLiteral("Nummer"));
    if (!dm->Hasen().hasRecord() || nummer.isNull() || nummer.asInteger() != animal) dm->gotoAnimal(animal);
  }
  // The card shows what its cursors and lookups hold now.
  if (dm && dm->card()) dm->card()->updateDisplays();
}

void SessionGroupCursors::progress(int done, int total) {
  if (progress_) progress_(done, total);
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
  // The window has a fixed size: the bar and its text keep their room while hidden, so the
  // check boxes are not squeezed when a run shows them.
  for (QWidget* w : std::initializer_list<QWidget*>{progress_, status_}) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }

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
  progress_->setRange(0, 1);
  progress_->setValue(0);
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
  SessionGroupCursors cursors(
      session_,
      [this] {
        QCoreApplication::processEvents();
        emit stepDone();
      },
      [this](int done, int total) {
        progress_->setRange(0, std::max(1, total));
        progress_->setValue(done);
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
