#include "shows/ui/show_list_windows.h"

#include "engine/cursor.h"
#include "shows/show_input.h"
#include "store/dialog_service.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::shows::ui {

using engine::Notification;

namespace {

constexpr int kTitlesHelp = 220;
constexpr int kCalendarHelp = 41;

QTableView* makeGrid(QWidget* parent, const QString& objectName) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(objectName);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->verticalHeader()->setVisible(false);
  grid->horizontalHeader()->setStretchLastSection(true);
  return grid;
}

// Keeps the grid's selected row and the cursor's current record together.
void linkGrid(QTableView* grid, store::ui::EditableCursorModel* model, QWidget* window,
              const std::function<void(const std::function<void()>&)>& guarded) {
  auto select = [grid, model] {
    const int row = model->activeRow();
    // Between a post and the rows it adds the record may stand beyond the rows shown.
    if (row < 0 || row >= model->rowCount() || grid->currentIndex().row() == row) return;
    // The grid stays in the column it was in.
    const int column = std::max(0, grid->currentIndex().column());
    const QSignalBlocker block(grid->selectionModel());
    grid->selectionModel()->setCurrentIndex(model->index(row, column),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->viewport()->update();
  };
  QObject::connect(model, &engine::CursorModel::currentChanged, window, select);
  QObject::connect(model, &QAbstractItemModel::modelReset, window, select);
  QObject::connect(model, &QAbstractItemModel::rowsInserted, window, select);
  QObject::connect(model, &QAbstractItemModel::rowsRemoved, window, select);
  // A post may move the record to another row without moving the cursor.
  QObject::connect(model, &QAbstractItemModel::dataChanged, window, select);
  QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, window,
                   [model, guarded, select](const QModelIndex& current) {
                     if (!current.isValid() || current.row() == model->activeRow()) return;
                     if (current.row() == model->insertRow()) return;
                     guarded([&] { model->moveTo(current.row()); });
                     select();
                   });
  select();
}

}  // namespace

// ------------------------------------------------------------------ titles

QVariant TitleGridModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::BackgroundRole && index.isValid() && index.row() != insertRow()) {
    const QVariant title = value(index.row(), QStringLiteral("Bezeichnung"));
    if (isProtectedTitle(title.toString())) return QApplication::palette().color(QPalette::Window);
  }
  return EditableCursorModel::data(index, role);
}

TFormAusstellungstitel::TFormAusstellungstitel(engine::Engine& engine, const shell::tsysteminfo& settings,
                                               store::TDatenStamm* module, HelpFn help, QWidget* parent)
    : LookupListWindow(std::make_unique<ShowTitleList>(engine, settings, module), std::move(help), kTitlesHelp,
                       parent) {
  setObjectName(QStringLiteral("TFormAusstellungstitel"));
  setWindowTitle(QStringLiteral("Ausstellungstitel"));
  list_->open();

  grid_ = makeGrid(this, QStringLiteral("DBGridTitel"));
  model_ = std::make_unique<TitleGridModel>(&list_->records(), QStringList{QStringLiteral("LaufendeNummer")});
  model_->setColumns({{QStringLiteral("Bezeichnung"), QStringLiteral("Bezeichnung"), 40}});
  grid_->setModel(model_.get());
  linkGrid(grid_, model_.get(), this, [this](const std::function<void()>& a) { guarded(a); });

  QPushButton* add = addButton(QStringLiteral("Hinzufuegen"), QStringLiteral("H&inzufügen"));
  QPushButton* undo = addButton(QStringLiteral("Rueckgaengig"), QStringLiteral("R&ückgängig"));
  QPushButton* del = addButton(QStringLiteral("Loeschen"), QStringLiteral("L&öschen"));
  QPushButton* hilfe = addButton(QStringLiteral("Hilfe"), QStringLiteral("&Hilfe"));
  QPushButton* zurueck = addButton(QStringLiteral("Zurueck"), QStringLiteral("&Zurück"));
  connect(add, &QPushButton::clicked, this, [this] {
    guarded([this] { list_->add(); });
    grid_->setFocus();
  });
  connect(undo, &QPushButton::clicked, this, [this] { guarded([this] { list_->undo(); }); });
  connect(del, &QPushButton::clicked, this, [this] { guarded([this] { list_->remove(); }); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (help_) help_(helpContext_);
  });
  connect(zurueck, &QPushButton::clicked, this, [this] { ZurueckClick(); });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, undo, del, hilfe, zurueck}) buttons->addWidget(b);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);

  listener_ = list_->records().addListener([this](Notification n) {
    if (n == Notification::Scrolled || n == Notification::StateChanged || n == Notification::DataChanged ||
        n == Notification::Reset || n == Notification::Opened)
      updateView();
  });
  updateView();
}

bool TFormAusstellungstitel::gridEditable() const { return grid_->editTriggers() != QAbstractItemView::NoEditTriggers; }

void TFormAusstellungstitel::updateView() {
  const bool locked = titles().currentIsProtected();
  grid_->setEditTriggers(locked ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                      QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  const bool editing = list_->records().isOpen() && list_->editing();
  if (QPushButton* b = button(QStringLiteral("Rueckgaengig"))) b->setEnabled(editing);
}

// ------------------------------------------------------------------ calendar

TFormAusstellungstermine::TFormAusstellungstermine(engine::Engine& engine, const shell::tsysteminfo& settings,
                                                   store::TDatenStamm* module, QDate today, HelpFn help,
                                                   PickDate pickDate, QWidget* parent)
    : FieldsAndTableWindow(std::make_unique<ShowCalendarList>(engine, settings, module, today), std::move(help),
                           kCalendarHelp, parent),
      pickDate_(std::move(pickDate)) {
  setObjectName(QStringLiteral("TFormAusstellungstermine"));
  setWindowTitle(QStringLiteral("Ausstellungstermine"));
  list_->open();

  auto* fields = new QWidget(this);
  auto* form = new QFormLayout(fields);
  auto dateBox = [&](const QString& field, const QString& name) {
    auto* e = new QLineEdit(fields);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setMaximumWidth(110);
    e->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    connect(e, &QLineEdit::editingFinished, this, [this, e, field] { writeDate(e, field); });
    auto* b = new QToolButton(fields);
    b->setObjectName(name + QStringLiteral("Kalender"));
    b->setText(QStringLiteral("…"));
    b->setToolTip(QStringLiteral("Kalender"));
    connect(b, &QToolButton::clicked, this, [this, e, field] { pick(e, field); });
    return std::pair{e, b};
  };
  auto [von, vonButton] = dateBox(QStringLiteral("Datum"), QStringLiteral("DBEditDatum"));
  auto [bis, bisButton] = dateBox(QStringLiteral("Datum2"), QStringLiteral("DBEditDatum2"));
  datum_ = von;
  datum2_ = bis;
  auto* dates = new QHBoxLayout;
  dates->addWidget(von);
  dates->addWidget(vonButton);
  dates->addWidget(new QLabel(QStringLiteral("-"), fields));
  dates->addWidget(bis);
  dates->addWidget(bisButton);
  dates->addStretch();
  auto* dateLabel = new QLabel(QStringLiteral("Datum"), fields);
  dateLabel->setBuddy(von);
  form->addRow(dateLabel, dates);
  form->addRow(QStringLiteral("&Verein"), addEdit(fields, QStringLiteral("Verein"), 50));
  form->addRow(QStringLiteral("&Straße"), addEdit(fields, QStringLiteral("Strasse"), 40));
  auto* place = new QHBoxLayout;
  QLineEdit* plz = addEdit(fields, QStringLiteral("Plz"), 6);
  plz->setMaximumWidth(70);
  place->addWidget(plz);
  place->addWidget(addEdit(fields, QStringLiteral("Ort"), 40), 1);
  auto* placeLabel = new QLabel(QStringLiteral("&Ort"), fields);
  placeLabel->setBuddy(plz);
  form->addRow(placeLabel, place);
  form->addRow(QStringLiteral("Land"), addEdit(fields, QStringLiteral("Land"), 30));
  info_ = new QPlainTextEdit(fields);
  info_->setObjectName(QStringLiteral("DBMemoInfo"));
  info_->setTabChangesFocus(true);
  form->addRow(QStringLiteral("Info"), info_);
  connect(info_, &QPlainTextEdit::textChanged, this, [this] {
    if (filling_) return;
    guarded([this] {
      engine::Cursor& c = list_->records();
      if (!c.isEditing()) {
        if (!c.hasRecord()) return;
        c.edit();
      }
      c.field(QStringLiteral("Info")).setString(info_->toPlainText());
    });
  });

  auto* table = new QWidget(this);
  grid_ = makeGrid(table, QStringLiteral("DBGridTermine"));
  model_ = std::make_unique<store::ui::EditableCursorModel>(
      &list_->records(), QStringList{QStringLiteral("Datum"), QStringLiteral("Datum2"), QStringLiteral("Verein"),
                                     QStringLiteral("Ort"), QStringLiteral("Land")});
  model_->setColumns({{QStringLiteral("Datum"), QStringLiteral("von"), 10},
                      {QStringLiteral("Datum2"), QStringLiteral("bis"), 10},
                      {QStringLiteral("Verein"), QStringLiteral("Verein"), 30},
                      {QStringLiteral("Ort"), QStringLiteral("Ort"), 20},
                      {QStringLiteral("Land"), QStringLiteral("Land"), 12}});
  grid_->setModel(model_.get());
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->resizeSection(0, 90);
  grid_->horizontalHeader()->resizeSection(1, 90);
  grid_->horizontalHeader()->resizeSection(2, 260);
  grid_->horizontalHeader()->resizeSection(3, 170);
  linkGrid(grid_, model_.get(), this, [this](const std::function<void()>& a) { guarded(a); });
  auto* tableLayout = new QVBoxLayout(table);
  tableLayout->setContentsMargins(0, 0, 0, 0);
  tableLayout->addWidget(grid_);

  buildCommon(fields, table);
  tabs_->setTabText(0, QStringLiteral("&Felder"));
  tabs_->setTabText(1, QStringLiteral("&Tabelle"));

  order_ = new QComboBox(this);
  order_->setObjectName(QStringLiteral("ComboBoxSortierung"));
  order_->addItems(ShowCalendarList::orderCaptions());
  connect(order_, &QComboBox::activated, this, &TFormAusstellungstermine::SortierungChange);
  auto* orderRow = new QHBoxLayout;
  orderRow->addWidget(new QLabel(QStringLiteral("Sortierung nach"), this));
  orderRow->addWidget(order_);
  orderRow->addStretch();
  static_cast<QVBoxLayout*>(layout())->insertLayout(0, orderRow);
  updateView();
}

void TFormAusstellungstermine::SortierungChange(int index) {
  const auto order = static_cast<ShowCalendarList::Order>(std::clamp(index, 0, 2));
  guarded([&] { calendar().setOrder(order); });
  const QSignalBlocker block(order_);
  order_->setCurrentIndex(static_cast<int>(calendar().order()));
}

void TFormAusstellungstermine::updateView() {
  FieldsAndTableWindow::updateView();
  if (!datum_) return;
  engine::Cursor& c = list_->records();
  const bool row = c.isOpen() && (c.hasRecord() || c.isEditing());
  filling_ = true;
  for (auto [e, field] : {std::pair{datum_, u"Datum"}, std::pair{datum2_, u"Datum2"}}) {
    const QString t = row ? c.field(QString::fromUtf16(field)).asString() : QString();
    if (!e->hasFocus() || !e->isModified()) {
      e->setText(t);
      e->setModified(false);
    }
    e->setEnabled(row);
  }
  const QString memo = row ? c.field(QStringLiteral("Info")).asString() : QString();
  if (info_->toPlainText() != memo) info_->setPlainText(memo);
  info_->setEnabled(row);
  filling_ = false;
}

void TFormAusstellungstermine::focusFirstField() {
  if (tabs_->currentIndex() == 1)
    grid_->setFocus();
  else
    datum_->setFocus();
}

bool TFormAusstellungstermine::writeDate(QLineEdit* edit, const QString& field) {
  if (filling_ || !edit->isModified()) return true;
  // The message names the box as the window labels it: the second date is "bis".
  const TypedDate d = readTypedDate(edit->text(), field == u"Datum2" ? QStringLiteral("bis") : QStringLiteral("Datum"));
  if (!d.accepted()) {
    store::dialogs().error(d.refusal);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  edit->setModified(false);
  guarded([&] {
    engine::Cursor& c = list_->records();
    if (!c.isEditing()) {
      if (!c.hasRecord()) return;
      c.edit();
    }
    c.field(field).setDate(d.date);
  });
  return true;
}

void TFormAusstellungstermine::pick(QLineEdit* edit, const QString& field) {
  if (!pickDate_) return;
  engine::Cursor& c = list_->records();
  if (!c.isOpen() || (!c.hasRecord() && !c.isEditing())) return;
  const std::optional<QDate> chosen = pickDate_(c.field(field).asDate());
  if (!chosen) return;
  edit->setText(chosen->toString(QStringLiteral("dd.MM.yyyy")));
  edit->setModified(true);
  writeDate(edit, field);
}

}  // namespace lapiro::shows::ui
