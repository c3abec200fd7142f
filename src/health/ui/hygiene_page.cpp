#include "health/ui/hygiene_page.h"

#include <QComboBox>
#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/field_input.h"
#include "shell/system_info.h"
#include "store/guarded.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::health::ui {

using engine::Cursor;
using engine::Notification;

namespace {

using store::guarded;

// Delete and Insert keys of an editable hygiene grid.
class GridKeys : public QObject {
 public:
  GridKeys(QTableView* view, THygieneGridModel* model, std::function<QDate()> today)
      : QObject(view), view_(view), model_(model), today_(std::move(today)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {  // an open cell editor gets its keys itself
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Delete) {
        model_->deleteRow(view_->currentIndex().row());
        return true;
      }
      if (key == Qt::Key_Insert) {
        const int row = model_->appendRow(today_());
        view_->setCurrentIndex(model_->index(row, 1));
        view_->edit(model_->index(row, 1));
        return true;
      }
    }
    return QObject::eventFilter(o, e);
  }

 private:
  QTableView* view_;
  THygieneGridModel* model_;
  std::function<QDate()> today_;
};

}  // namespace

// ---------------------------------------------------------------- grid model

THygieneGridModel::THygieneGridModel(Cursor& cursor, std::vector<engine::CursorModel::Column> columns,
                                     QObject* parent)
    : QAbstractTableModel(parent), cursor_(cursor), columns_(std::move(columns)) {
  listener_ = cursor_.addListener([this](Notification n) {
    switch (n) {
      case Notification::Destroyed: listener_ = 0; break;
      case Notification::Scrolled:
      case Notification::BeforeMove: break;
      default: reload(); break;
    }
  });
  reload();
}

THygieneGridModel::~THygieneGridModel() {
  if (listener_) cursor_.removeListener(listener_);
}

void THygieneGridModel::reload() {
  std::vector<engine::DataSet::Row> fresh;
  std::vector<int> indexes;
  if (cursor_.isOpen()) {
    for (const auto& c : columns_) indexes.push_back(cursor_.fieldIndex(c.field));
    const qint64 n = cursor_.recordCount();
    if (n > 0) fresh = cursor_.readRows(0, static_cast<int>(n));
  }
  // The grid is told which rows came or went and that the others changed, never reset: a
  // reset while the grid commits a cell (a stored row is saved inside setData) would throw
  // away the editor it is still closing ("closeEditor called with an editor that does not
  // belong to this view").
  const int before = shownRows_;
  const int after = static_cast<int>(fresh.size()) + (cursor_.state() == engine::DataSetState::Insert ? 1 : 0);
  if (after > before) {
    beginInsertRows({}, before, after - 1);
  } else if (after < before) {
    beginRemoveRows({}, after, before - 1);
  }
  rows_ = std::move(fresh);
  fieldIndexes_ = std::move(indexes);
  shownRows_ = after;
  if (after > before)
    endInsertRows();
  else if (after < before)
    endRemoveRows();
  if (after > 0) emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
  emit headerDataChanged(Qt::Vertical, 0, std::max(0, after - 1));
}

int THygieneGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int THygieneGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant THygieneGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  const int fi = fieldIndexes_.at(index.column());
  if (fi < 0) return {};
  const engine::FieldType type = cursor_.fieldInfos()[fi].def.type;
  if (index.row() >= static_cast<int>(rows_.size()))
    return const_cast<Cursor&>(cursor_).field(fi).asString();  // the new row's buffer
  return engine::displayText(type, rows_[index.row()][fi]);
}

QVariant THygieneGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return section < static_cast<int>(columns_.size()) ? columns_[section].title : QString();
  return section == static_cast<int>(rows_.size()) ? QStringLiteral("*") : QString();
}

Qt::ItemFlags THygieneGridModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

int THygieneGridModel::currentRow() const {
  if (cursor_.state() == engine::DataSetState::Insert) return static_cast<int>(rows_.size());
  return cursor_.hasRecord() ? static_cast<int>(const_cast<Cursor&>(cursor_).recordNumber()) : -1;
}

bool THygieneGridModel::moveTo(int row) {
  if (row == currentRow()) return true;
  return guarded([&] {
    cursor_.checkBrowseMode();
    cursor_.first();
    if (row > 0) cursor_.moveBy(row);
  });
}

int THygieneGridModel::appendRow(const QDate& today) {
  guarded([&] {
    cursor_.checkBrowseMode();
    cursor_.append();
    cursor_.field(QStringLiteral("Am")).setDate(today);
  });
  return currentRow();
}

bool THygieneGridModel::deleteRow(int row) {
  if (row < 0) return false;
  if (cursor_.state() == engine::DataSetState::Insert && row == static_cast<int>(rows_.size())) {
    cursor_.cancel();
    return true;
  }
  if (!moveTo(row) || !cursor_.hasRecord()) return false;
  if (!store::dialogs().ask(store::messageText(kMeldungLoeschenDetail))) return false;
  return guarded([&] { cursor_.deleteRecord(); });
}

bool THygieneGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const int fi = fieldIndexes_.at(index.column());
  if (fi < 0) return false;
  const bool newRow = index.row() >= static_cast<int>(rows_.size());
  if (!newRow && !moveTo(index.row())) return false;
  // Typed text is read here so that a refusal names the column as the grid heads it.
  const engine::Field f = cursor_.field(fi);
  const QString text = value.toString().trimmed();
  const bool memo = f.type() == engine::FieldType::Memo || f.type() == engine::FieldType::Graphic;
  const engine::FieldInput input =
      memo ? engine::FieldInput{text.isEmpty() ? QVariant() : QVariant(text), {}}
           : engine::parseFieldInput(f.type(), f.size(), text, columns_.at(index.column()).title);
  if (!input.ok()) {
    store::dialogs().error(input.error);
    return false;
  }
  return guarded([&] {
    if (!cursor_.isEditing()) cursor_.edit();
    f.setValue(input.value);
    // A stored row is saved at once; a new one when the cursor leaves it.
    if (!newRow) cursor_.post();
  });
}

// ---------------------------------------------------------------- the page

THygieneSeite::THygieneSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, Services services, QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), services_(std::move(services)) {
  setObjectName(QStringLiteral("Stallhygiene"));
  rules_ = std::make_unique<THygieneRegeln>(dm_, [this] { return settings_.System.Speichern; });
  pages_ = new QTabWidget(this);
  pages_->setTabPosition(QTabWidget::South);
  pages_->addTab(buildGridPage(PageDesinfektion, QStringLiteral("Desinfektion"), QStringLiteral("Desinfektion"),
                               QStringLiteral("Desinfektion"), kHilfeDesinfektion),
                 QStringLiteral("Desinfektion "));
  pages_->addTab(buildMedikamente(), QStringLiteral("Medikamente"));
  pages_->addTab(buildGridPage(PageInsekten, QStringLiteral("Insekten"), QStringLiteral("Insektizied"),
                               QStringLiteral("Insektizid"), kHilfeInsekten),
                 QStringLiteral("Insektenbekämpfung"));
  pages_->addTab(buildImpfung(), QStringLiteral("Impfung"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pages_);

  for (bool impfung : {false, true}) {
    Cursor& c = cursorOf(impfung);
    listeners_.emplace_back(&c, c.addListener([this, impfung, &c](Notification n) {
      if (n == Notification::Destroyed) {
        for (auto& l : listeners_)
          if (l.first == &c) l.second = 0;
        return;
      }
      if (n == Notification::FieldChanged && filling_) return;
      fill(impfung);
      updateButtons(impfung);
    }));
    fill(impfung);
    updateButtons(impfung);
  }
}

THygieneSeite::~THygieneSeite() {
  for (auto& [ds, id] : listeners_)
    if (id) ds->removeListener(id);
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
}

Cursor& THygieneSeite::cursorOf(bool impfung) {
  return dm_.at(impfung ? QStringLiteral("Impfung") : QStringLiteral("MedizienGaben"));
}

QWidget* THygieneSeite::buildGridPage(Page page, const QString& cursorName, const QString& agentField,
                                      const QString& agentTitle, int help) {
  auto* w = new QWidget;
  auto* view = new QTableView(w);
  view->setObjectName(QStringLiteral("DBGrid") + cursorName);
  Cursor& c = dm_.at(cursorName);
  auto model = std::make_unique<THygieneGridModel>(
      c, std::vector<engine::CursorModel::Column>{{QStringLiteral("Am"), QStringLiteral("Am"), 10},
                                                  {agentField, agentTitle, 50}});
  THygieneGridModel* m = model.get();
  view->setModel(m);
  models_.push_back(std::move(model));
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  view->horizontalHeader()->setStretchLastSection(true);
  view->setColumnWidth(0, 100);
  view->verticalHeader()->setDefaultSectionSize(22);
  connect(view, &QTableView::clicked, this, [m](const QModelIndex& i) { m->moveTo(i.row()); });
  view->installEventFilter(new GridKeys(view, m, [this] { return dm_.today(); }));
  grids_[page] = view;

  auto* buttons = new QHBoxLayout;
  auto* neu = new QPushButton(QStringLiteral("Zeile hinzufügen"), w);
  neu->setToolTip(QStringLiteral("Neue Zeile (Einfg)"));
  connect(neu, &QPushButton::clicked, this, [this, view, m] {
    const int row = m->appendRow(dm_.today());
    view->setCurrentIndex(m->index(row, 1));
    view->setFocus();
    view->edit(m->index(row, 1));
  });
  auto* loeschen = new QPushButton(QStringLiteral("Zeile löschen"), w);
  loeschen->setToolTip(QStringLiteral("Markierte Zeile löschen (Entf)"));
  connect(loeschen, &QPushButton::clicked, this, [view, m] { m->deleteRow(view->currentIndex().row()); });
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), w);
  connect(hilfe, &QPushButton::clicked, this, [this, help] {
    if (services_.showHelp) services_.showHelp(help);
  });
  buttons->addWidget(neu);
  buttons->addWidget(loeschen);
  buttons->addStretch();
  buttons->addWidget(hilfe);
  auto* l = new QVBoxLayout(w);
  l->addWidget(view, 1);
  l->addLayout(buttons);
  return w;
}

QLineEdit* THygieneSeite::addBox(QGridLayout* grid, int row, const QString& caption, const QString& name,
                                 int maxLength) {
  auto* e = new QLineEdit;
  e->setObjectName(name);
  if (maxLength > 0) e->setMaxLength(maxLength);
  auto* label = new QLabel(caption);
  label->setBuddy(e);
  grid->addWidget(label, row, 0);
  grid->addWidget(e, row, 1);
  boxes_.insert(name, e);
  return e;
}

QLineEdit* THygieneSeite::addDateBox(QGridLayout* grid, int row, const QString& caption, const QString& name,
                                     Cursor& cursor, const QString& field) {
  QLineEdit* e = addBox(grid, row, caption, name, 10);
  e->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  e->setMaximumWidth(110);
  auto* kalender = new QToolButton;
  kalender->setText(QStringLiteral("…"));
  kalender->setToolTip(QStringLiteral("Datum laden"));
  const bool impfung = &cursor == &cursorOf(true);
  connect(kalender, &QToolButton::clicked, this, [this, &cursor, field, impfung] {
    if (!services_.pickDate) return;
    const QDate initial = cursor.isOpen() && (cursor.hasRecord() || cursor.isEditing()) ? cursor.field(field).asDate()
                                                                                         : QDate();
    if (const std::optional<QDate> d = services_.pickDate(initial)) {
      edited(cursor, field, *d, impfung);
      fill(impfung);
    }
  });
  // A date that cannot be read is said at once instead of being dropped silently.
  connect(e, &QLineEdit::editingFinished, this, [this, e, impfung] {
    const QString t = e->text().trimmed();
    if (t.isEmpty() || QDate::fromString(t, QStringLiteral("d.M.yyyy")).isValid()) return;
    store::dialogs().error(QStringLiteral("„%1“ ist kein gültiges Datum (TT.MM.JJJJ).").arg(t));
    fill(impfung);
  });
  auto* row2 = new QHBoxLayout;
  row2->addWidget(e);
  row2->addWidget(kalender);
  row2->addStretch();
  grid->removeWidget(e);
  grid->addLayout(row2, row, 1);
  return e;
}

QWidget* THygieneSeite::buildMedikamente() {
  auto* w = new QWidget;
  Cursor& c = cursorOf(false);
  auto* view = new QTableView(w);
  view->setObjectName(QStringLiteral("DBGridMedizin"));
  auto model = std::make_unique<engine::CursorModel>(&c);
  model->setColumns({{QStringLiteral("MedizinAnzeige"), QStringLiteral("Medikament"), 30},
                     {QStringLiteral("Am"), QStringLiteral("verabr. am"), 10},
                     {QStringLiteral("Dosierung"), QStringLiteral("Dosierung"), 10},
                     {QStringLiteral("Krankheit"), QStringLiteral("Krankheit"), 30}});
  engine::CursorModel* m = model.get();
  view->setModel(m);
  models_.push_back(std::move(model));
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->horizontalHeader()->setStretchLastSection(true);
  view->setColumnWidth(0, 180);
  view->verticalHeader()->setDefaultSectionSize(22);
  connect(view, &QTableView::clicked, this, [m](const QModelIndex& i) { guarded([&] { m->moveTo(i.row()); }); });
  grids_[PageMedikamente] = view;

  auto* grid = new QGridLayout;
  medikament_ = new QComboBox;
  medikament_->setObjectName(QStringLiteral("DBLookupComboBoxMedikament"));
  auto* medLabel = new QLabel(QStringLiteral("Medikament"));
  medLabel->setBuddy(medikament_);
  grid->addWidget(medLabel, 0, 0);
  grid->addWidget(medikament_, 0, 1);
  connect(medikament_, &QComboBox::activated, this, [this, &c](int i) {
    edited(c, QStringLiteral("Medikament"), i > 0 ? QVariant(medicineNumbers_.value(i)) : QVariant(), false);
  });
  QLineEdit* dose = addBox(grid, 1, QStringLiteral("Dosierung"), QStringLiteral("Dosierung"), 30);
  // A free entry: "0,5", "1 ml/kg über 3 Tage".
  dose->setMaximumWidth(110);
  addDateBox(grid, 2, QStringLiteral("am"), QStringLiteral("MedAm"), c, QStringLiteral("Am"));
  addBox(grid, 3, QStringLiteral("Krankheit"), QStringLiteral("MedKrankheit"), 50);
  for (auto [box, field] : {std::pair{u"Dosierung", u"Dosierung"}, std::pair{u"MedAm", u"Am"},
                            std::pair{u"MedKrankheit", u"Krankheit"}}) {
    const QString f = QString::fromUtf16(field);
    connect(boxes_.value(QString::fromUtf16(box)), &QLineEdit::textEdited, this,
            [this, &c, f](const QString& t) { edited(c, f, t, false); });
  }

  auto* buttons = new QVBoxLayout;
  const auto button = [&](const QString& name, const QString& caption, auto handler) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    buttons_.insert(name, b);
  };
  button(QStringLiteral("BitBtnMedNeu"), QStringLiteral("Neu"), [this] { NeuClick(false); });
  button(QStringLiteral("BitBtnMedSp"), QStringLiteral("Speichern"), [this] { SpeichernClick(false); });
  button(QStringLiteral("BitBtnMedRue"), QStringLiteral("R&ückgängig"), [this] { RueckgaengigClick(false); });
  button(QStringLiteral("BitBtnMedHilfe"), QStringLiteral("&Hilfe"), [this] {
    if (services_.showHelp) services_.showHelp(kHilfeMedikamente);
  });
  buttons->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(grid, 1);
  bottom->addLayout(buttons);
  auto* l = new QVBoxLayout(w);
  l->addWidget(view, 1);
  l->addLayout(bottom);
  loadMedicines();
  return w;
}

QWidget* THygieneSeite::buildImpfung() {
  auto* w = new QWidget;
  Cursor& c = cursorOf(true);
  auto* view = new QTableView(w);
  view->setObjectName(QStringLiteral("DBGridImpfung"));
  auto model = std::make_unique<engine::CursorModel>(&c);
  model->setColumns({{QStringLiteral("Datum"), QStringLiteral("Datum"), 10},
                     {QStringLiteral("Impfung"), QStringLiteral("Impfung"), 40}});
  engine::CursorModel* m = model.get();
  view->setModel(m);
  models_.push_back(std::move(model));
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->horizontalHeader()->setStretchLastSection(true);
  view->setColumnWidth(0, 100);
  view->verticalHeader()->setDefaultSectionSize(22);
  connect(view, &QTableView::clicked, this, [m](const QModelIndex& i) { guarded([&] { m->moveTo(i.row()); }); });
  grids_[PageImpfung] = view;

  auto* grid = new QGridLayout;
  addBox(grid, 0, QStringLiteral("Impfung :"), QStringLiteral("Impfung"), 60);
  addDateBox(grid, 1, QStringLiteral("Datum :"), QStringLiteral("ImpfDatum"), c, QStringLiteral("Datum"));
  addBox(grid, 2, QStringLiteral("Impfstoff :"), QStringLiteral("Impfstoff"), 60);
  addBox(grid, 3, QStringLiteral("Chargenbezeichnung :"), QStringLiteral("Chargenbez"), 60);
  addBox(grid, 4, QStringLiteral("Tierarzt :"), QStringLiteral("Tierarzt"), 60);
  for (auto [box, field] : {std::pair{u"Impfung", u"Impfung"}, std::pair{u"ImpfDatum", u"Datum"},
                            std::pair{u"Impfstoff", u"Impfstoff"}, std::pair{u"Chargenbez", u"Chargenbez"},
                            std::pair{u"Tierarzt", u"Tierarzt"}}) {
    const QString f = QString::fromUtf16(field);
    connect(boxes_.value(QString::fromUtf16(box)), &QLineEdit::textEdited, this,
            [this, &c, f](const QString& t) { edited(c, f, t, true); });
  }
  auto* buttons = new QVBoxLayout;
  const auto button = [&](const QString& name, const QString& caption, auto handler) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    buttons_.insert(name, b);
  };
  button(QStringLiteral("BitBtnImpfNeu"), QStringLiteral("Neu"), [this] { NeuClick(true); });
  button(QStringLiteral("BitBtnImpfSp"), QStringLiteral("Speichern"), [this] { SpeichernClick(true); });
  button(QStringLiteral("BitBtnImpfRue"), QStringLiteral("R&ückgängig"), [this] { RueckgaengigClick(true); });
  button(QStringLiteral("BitBtnImpfLoeschen"), QStringLiteral("Löschen"), [this] { BitBtnImpfLoeschenClick(); });
  button(QStringLiteral("BitBtn18"), QStringLiteral("&Hilfe"), [this] {
    if (services_.showHelp) services_.showHelp(kHilfeImpfung);
  });
  buttons->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(grid, 1);
  bottom->addLayout(buttons);
  auto* l = new QVBoxLayout(w);
  l->addWidget(view, 1);
  l->addLayout(bottom);
  return w;
}

void THygieneSeite::loadMedicines() {
  Cursor* med = dm_.cursor(QStringLiteral("Medikament"));
  if (!med || !med->isOpen()) return;
  const std::pair<const void*, quint64> stamp{med->table().get(), med->table() ? med->table()->version() : 0};
  if (stamp == medicineStamp_ && medikament_->count() > 0) return;
  medicineStamp_ = stamp;
  medikament_->clear();
  medicineNumbers_ = {0};
  medikament_->addItem(QString());
  // The names in alphabetical order, read without moving the data module's cursor.
  std::vector<std::pair<QString, qint64>> names;
  for (const auto& row : med->readRows(0, static_cast<int>(med->recordCount())))
    names.emplace_back(row[med->fieldIndex(QStringLiteral("Medikament"))].toString(),
                       row[med->fieldIndex(QStringLiteral("LaufendeNummer"))].toLongLong());
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    return QString::localeAwareCompare(a.first, b.first) < 0;
  });
  for (const auto& [name, nr] : names) {
    medikament_->addItem(name);
    medicineNumbers_.append(nr);
  }
}

void THygieneSeite::fill(bool impfung) {
  Cursor& c = cursorOf(impfung);
  if (!c.isOpen()) return;
  filling_ = true;
  const bool has = c.hasRecord() || c.isEditing();
  const auto text = [&](const QString& f) { return has ? c.field(f).asString() : QString(); };
  const auto set = [&](const QString& box, const QString& value) {
    QLineEdit* e = boxes_.value(box);
    // The box being typed into keeps its text (a date is taken only once complete).
    if (e && !(e->hasFocus() && c.isEditing())) e->setText(value);
  };
  if (impfung) {
    set(QStringLiteral("Impfung"), text(QStringLiteral("Impfung")));
    set(QStringLiteral("ImpfDatum"), text(QStringLiteral("Datum")));
    set(QStringLiteral("Impfstoff"), text(QStringLiteral("Impfstoff")));
    set(QStringLiteral("Chargenbez"), text(QStringLiteral("Chargenbez")));
    set(QStringLiteral("Tierarzt"), text(QStringLiteral("Tierarzt")));
  } else {
    loadMedicines();
    const qint64 nr = has ? c.field(QStringLiteral("Medikament")).asInteger() : 0;
    medikament_->setCurrentIndex(std::max<qsizetype>(0, medicineNumbers_.indexOf(nr)));
    set(QStringLiteral("Dosierung"), text(QStringLiteral("Dosierung")));
    set(QStringLiteral("MedAm"), text(QStringLiteral("Am")));
    set(QStringLiteral("MedKrankheit"), text(QStringLiteral("Krankheit")));
  }
  filling_ = false;
}

void THygieneSeite::updateButtons(bool impfung) {
  const QString p = impfung ? QStringLiteral("BitBtnImpf") : QStringLiteral("BitBtnMed");
  const bool editing = cursorOf(impfung).isEditing();
  buttons_.value(p + QStringLiteral("Neu"))->setEnabled(!editing && dm_.Hasen().hasRecord());
  buttons_.value(p + QStringLiteral("Sp"))->setEnabled(editing);
  buttons_.value(p + QStringLiteral("Rue"))->setEnabled(editing);
}

void THygieneSeite::edited(Cursor& c, const QString& field, const QVariant& value, bool impfung) {
  // Without an animal there is nothing a row could belong to.
  if (filling_ || !c.isOpen() || !dm_.Hasen().hasRecord()) return;
  filling_ = true;
  try {
    if (!c.isEditing()) {
      if (c.hasRecord())
        c.edit();
      else
        c.append();
    }
    if (value.typeId() == QMetaType::QDate) {
      c.field(field).setDate(value.toDate());
    } else if (c.field(field).type() == engine::FieldType::Date) {
      // Only a complete date (or an emptied box) reaches the record while typing.
      const QString t = value.toString().trimmed();
      const QDate d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
      if (t.isEmpty() || d.isValid()) c.field(field).setDate(d);
    } else {
      c.field(field).setValue(value);
    }
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  filling_ = false;
  updateButtons(impfung);
}

void THygieneSeite::NeuClick(bool impfung) {
  Cursor& c = cursorOf(impfung);
  if (!c.isOpen() || !dm_.Hasen().hasRecord()) return;
  if (!guarded([&] {
        c.checkBrowseMode();
        c.append();
      }))
    return;
  fill(impfung);
  updateButtons(impfung);
  if (QLineEdit* e = boxes_.value(impfung ? QStringLiteral("Impfung") : QStringLiteral("Dosierung")))
    impfung ? e->setFocus() : medikament_->setFocus();
}

void THygieneSeite::SpeichernClick(bool impfung) {
  Cursor& c = cursorOf(impfung);
  if (c.isOpen() && c.isEditing()) guarded([&] { c.post(); });
  fill(impfung);
  updateButtons(impfung);
}

void THygieneSeite::RueckgaengigClick(bool impfung) {
  Cursor& c = cursorOf(impfung);
  if (c.isOpen() && c.isEditing()) c.cancel();
  fill(impfung);
  updateButtons(impfung);
}

void THygieneSeite::BitBtnImpfLoeschenClick() {
  Cursor& c = cursorOf(true);
  if (!c.isOpen()) return;
  if (c.state() == engine::DataSetState::Insert) {
    c.cancel();
  } else if (c.hasRecord() && store::dialogs().ask(store::messageText(kMeldungLoeschenDetail))) {
    guarded([&] {
      if (c.isEditing()) c.cancel();
      c.deleteRecord();
    });
  }
  fill(true);
  updateButtons(true);
}

void THygieneSeite::focusDate() {
  switch (pages_->currentIndex()) {
    case PageMedikamente: boxes_.value(QStringLiteral("MedAm"))->setFocus(); break;
    case PageImpfung: boxes_.value(QStringLiteral("ImpfDatum"))->setFocus(); break;
    default:
      if (QTableView* v = grids_[pages_->currentIndex()]) {
        v->setFocus();
        v->setCurrentIndex(v->model()->index(std::max(0, v->model()->rowCount() - 1), 0));
      }
  }
}

}  // namespace lapiro::health::ui
