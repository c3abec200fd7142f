#include "store/ui/lookup_list_windows.h"

#include <algorithm>

#include "engine/field_input.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/field_input.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/ui/field_edit.h"
#include "store/ui/grid_columns.h"

namespace lapiro::store::ui {

using engine::DataSetState;
using engine::Notification;

namespace {

// The breed group column offers the five groups.
class GroupDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* box = new QComboBox(parent);
    box->addItems(breedGroups());
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* box = static_cast<QComboBox*>(editor);
    box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText());
  }
};

QTableView* makeGrid(QWidget* parent, const QString& objectName) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(objectName);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  return grid;
}

void sizeColumns(QTableView* grid, const engine::CursorModel& model, int fill) {
  fitGridColumns(grid, model, fill);
}

// Keeps a grid's selected row and its model's current record together.
void linkGrid(QTableView* grid, EditableCursorModel* model, LookupListWindow* window,
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
}

}  // namespace

// ------------------------------------------------------------------ EditableCursorModel

EditableCursorModel::EditableCursorModel(engine::DataSet* dataSet, QStringList readOnlyFields,
                                         QObject* parent)
    : CursorModel(dataSet, parent), ds_(dataSet), readOnly_(std::move(readOnlyFields)) {
  // Rows are saved inside a cell's commit (moving off an edited record posts it): the grid is
  // told which rows came or went, never reset, so that it keeps the editor it is closing.
  keepViewsOnDataChange(true);
  listener_ = ds_->addListener([this](Notification n) {
    if (n == Notification::Destroyed) {
      ds_ = nullptr;
      listener_ = 0;
      return;
    }
    if (n != Notification::StateChanged && n != Notification::FieldChanged) return;
    const bool insertNow = ds_->state() == DataSetState::Insert;
    if (insertNow != insertShown_) {
      const int row = storedRows();
      if (insertNow) {
        beginInsertRows({}, row, row);
        insertShown_ = true;
        endInsertRows();
      } else {
        beginRemoveRows({}, row, row);
        insertShown_ = false;
        endRemoveRows();
      }
    }
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
  });
}

EditableCursorModel::~EditableCursorModel() {
  if (ds_ && listener_) ds_->removeListener(listener_);
}

int EditableCursorModel::storedRows() const {
  return storedRowCount();
}

int EditableCursorModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return storedRows() + (insertShown_ ? 1 : 0);
}

int EditableCursorModel::insertRow() const {
  return insertShown_ ? storedRows() : -1;
}

int EditableCursorModel::activeRow() const {
  if (insertShown_) return insertRow();
  return currentRow();
}

QVariant EditableCursorModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !ds_) return {};
  const bool buffered =
      index.row() == insertRow() || (ds_->state() == DataSetState::Edit && index.row() == currentRow());
  if (!buffered) {
    // Edited as German text (a spin box would clip and round numbers, and use the C locale).
    if (role == Qt::EditRole) {
      const auto f = ds_->findField(columns()[index.column()].field);
      if (f) return engine::editText(f->type(), CursorModel::data(index, Qt::EditRole));
    }
    return CursorModel::data(index, role);
  }
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const auto f = ds_->findField(columns()[index.column()].field);
  if (!f) return {};
  return role == Qt::EditRole ? QVariant(engine::editText(f->type(), f->value())) : QVariant(f->asString());
}

Qt::ItemFlags EditableCursorModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = CursorModel::flags(index);
  if (index.isValid() && !readOnly_.contains(columns()[index.column()].field, Qt::CaseInsensitive))
    flags |= Qt::ItemIsEditable;
  return flags;
}

bool EditableCursorModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !ds_) return false;
  try {
    // Typed text is read first, so that a refusal names the column as the grid heads it
    // ("bis"), not the stored field ("Datum2"), and leaves the record alone.
    const Column& column = columns()[index.column()];
    const engine::Field f = ds_->field(column.field);
    const bool text = f.type() == engine::FieldType::Memo || f.type() == engine::FieldType::Graphic;
    engine::FieldInput input;
    if (!text) {
      const QString label = column.title.trimmed().isEmpty() ? column.field : column.title.trimmed();
      input = engine::parseFieldInput(f.type(), f.size(), value.toString(), label);
      if (!input.ok()) {
        dialogs().error(input.error);
        return false;
      }
    }
    if (index.row() != insertRow()) {
      if (index.row() != currentRow() && !moveTo(index.row())) return false;
      if (!ds_->isEditing()) ds_->edit();
    }
    if (text)
      f.setString(value.toString());
    else
      f.setValue(input.value);
  } catch (const engine::EngineError& e) {
    dialogs().error(e.message());
    return false;
  } catch (const engine::Abort&) {
    return false;
  }
  emit dataChanged(index, index);
  return true;
}

// ------------------------------------------------------------------ LookupListWindow

LookupListWindow::LookupListWindow(std::unique_ptr<LookupList> list, HelpFn help, int helpContext,
                                   QWidget* parent)
    : QWidget(parent), list_(std::move(list)), help_(std::move(help)), helpContext_(helpContext) {}

LookupListWindow::~LookupListWindow() {
  closeList();
}

void LookupListWindow::closeList() {
  if (closed_) return;
  closed_ = true;
  if (listener_) list_->records().removeListener(listener_);
  listener_ = 0;
  list_->close();
}

void LookupListWindow::closeEvent(QCloseEvent* event) {
  if (!closed_ && !FieldEdit::finishAll(this)) {
    event->ignore();
    return;
  }
  closeList();
  event->accept();
}

void LookupListWindow::ZurueckClick() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

void LookupListWindow::guarded(const std::function<void()>& action) {
  store::guarded(action);
  updateView();
}

void LookupListWindow::updateView() {}

QPushButton* LookupListWindow::addButton(const QString& objectName, const QString& caption) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(objectName);
  return b;
}

QPushButton* LookupListWindow::button(const QString& objectName) const {
  return findChild<QPushButton*>(objectName);
}

// ------------------------------------------------------------------ FieldsAndTableWindow

FieldsAndTableWindow::FieldsAndTableWindow(std::unique_ptr<LookupList> list, HelpFn help, int helpContext,
                                           QWidget* parent)
    : LookupListWindow(std::move(list), std::move(help), helpContext, parent) {}

QLineEdit* FieldsAndTableWindow::addEdit(QWidget* page, const QString& field, int maxLength) {
  auto* e = new QLineEdit(page);
  e->setObjectName(field);
  e->setMaxLength(maxLength);
  engine::Cursor& records = list_->records();
  const auto f = records.isOpen() ? records.findField(field) : std::nullopt;
  if (f && f->type() != engine::FieldType::Alpha && f->type() != engine::FieldType::Memo) {
    // Numbers and dates are checked and written when the box is left, never at a keystroke.
    FieldEdit::attach(e, f->type(), f->size(), field, [this, field](const QVariant& value) {
      bool written = false;
      guarded([&] {
        engine::Cursor& c = list_->records();
        if (!c.isEditing()) {
          if (!c.hasRecord()) return;
          c.edit();
        }
        c.field(field).setValue(value);
        written = true;
      });
      return written;
    });
    edits_.emplace_back(field, e);
    return e;
  }
  connect(e, &QLineEdit::textEdited, this, [this, field](const QString& text) {
    if (filling_) return;
    guarded([&] {
      engine::Cursor& c = list_->records();
      if (!c.isEditing()) {
        if (!c.hasRecord()) return;
        c.edit();
      }
      c.field(field).setString(text);
    });
  });
  edits_.emplace_back(field, e);
  return e;
}

QLineEdit* FieldsAndTableWindow::edit(const QString& field) const {
  for (const auto& [name, e] : edits_)
    if (engine::sameName(name, field)) return e;
  return nullptr;
}

void FieldsAndTableWindow::buildCommon(QWidget* fieldsPage, QWidget* tablePage) {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("PageControl"));
  tabs_->addTab(fieldsPage, QStringLiteral("Felder"));
  tabs_->addTab(tablePage, QStringLiteral("Tabelle"));

  // Navigator: first, previous, next, last, set mark, go to mark.
  auto* nav = new QWidget(this);
  nav->setObjectName(QStringLiteral("DBNavigator"));
  auto* navLayout = new QHBoxLayout(nav);
  navLayout->setContentsMargins(0, 0, 0, 0);
  navLayout->setSpacing(1);
  auto navButton = [&](const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                       const std::function<void()>& action) {
    auto* b = new QToolButton(nav);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setStatusTip(hint);
    connect(b, &QToolButton::clicked, this, [this, action] {
      if (FieldEdit::finishAll(this)) guarded(action);
    });
    navLayout->addWidget(b);
  };
  engine::Cursor* c = &list_->records();
  navButton(QStringLiteral("nbFirst"), QStyle::SP_MediaSkipBackward, QStringLiteral("Dateianfang"),
            [c] { c->first(); });
  navButton(QStringLiteral("nbPrior"), QStyle::SP_MediaSeekBackward, QStringLiteral("vorheriger Datensatz"),
            [c] { c->prior(); });
  navButton(QStringLiteral("nbNext"), QStyle::SP_MediaSeekForward, QStringLiteral("nächster Datensatz"),
            [c] { c->next(); });
  navButton(QStringLiteral("nbLast"), QStyle::SP_MediaSkipForward, QStringLiteral("Dateiende"),
            [c] { c->last(); });
  navButton(QStringLiteral("nbSetMark"), QStyle::SP_DialogApplyButton, QStringLiteral("Markierung setzen"),
            [this, c] { mark_ = c->bookmark(); });
  navButton(QStringLiteral("nbGotoMark"), QStyle::SP_ArrowRight, QStringLiteral("zur Markierung"), [this, c] {
    if (mark_.isValid()) c->gotoBookmark(mark_);
  });
  navLayout->addStretch();

  QPushButton* add = addButton(QStringLiteral("Hinzufuegen"), QStringLiteral("H&inzufügen"));
  QPushButton* undo = addButton(QStringLiteral("Rueckgaengig"), QStringLiteral("R&ückgängig"));
  QPushButton* del = addButton(QStringLiteral("Loeschen"), QStringLiteral("L&öschen"));
  QPushButton* hilfe = addButton(QStringLiteral("Hilfe"), QStringLiteral("&Hilfe"));
  QPushButton* zurueck = addButton(QStringLiteral("Zurueck"), QStringLiteral("&Zurück"));
  connect(add, &QPushButton::clicked, this, [this] {
    if (!FieldEdit::finishAll(this)) return;
    guarded([this] { list_->add(); });
    if (list_->editing()) focusFirstField();
  });
  connect(undo, &QPushButton::clicked, this, [this] {
    // Undo throws away what was typed as well.
    for (const auto& [field, e] : edits_) e->setModified(false);
    guarded([this] { list_->undo(); });
  });
  connect(del, &QPushButton::clicked, this, [this] { guarded([this] { list_->remove(); }); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (help_) help_(helpContext_);
  });
  connect(zurueck, &QPushButton::clicked, this, [this] { ZurueckClick(); });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, undo, del, hilfe, zurueck}) buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(nav);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);

  listener_ = c->addListener([this](Notification n) {
    if (n == Notification::Scrolled || n == Notification::StateChanged || n == Notification::DataChanged ||
        n == Notification::Reset || n == Notification::Opened)
      updateView();
  });
}

void FieldsAndTableWindow::focusFirstField() {
  if (tabs_->currentIndex() == 1) {
    if (auto* grid = tabs_->widget(1)->findChild<QTableView*>()) grid->setFocus();
    return;
  }
  if (!edits_.empty()) edits_.front().second->setFocus();
}

void FieldsAndTableWindow::updateView() {
  engine::Cursor& c = list_->records();
  const bool open = c.isOpen();
  filling_ = true;
  for (const auto& [field, e] : edits_) {
    const bool has = open && (c.hasRecord() || c.isEditing());
    if (FieldEdit* typed = FieldEdit::of(e)) {
      if (!typed->isPending()) typed->show(has ? c.field(field).value() : QVariant());
      e->setEnabled(has);
      continue;
    }
    const QString text = has ? c.field(field).asString() : QString();
    if (e->text() != text) e->setText(text);
    e->setEnabled(open && (c.hasRecord() || c.isEditing()));
  }
  filling_ = false;
  if (QPushButton* undo = button(QStringLiteral("Rueckgaengig"))) undo->setEnabled(open && c.isEditing());
}

// ------------------------------------------------------------------ TRassen

TRassen::TRassen(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module, HelpFn help,
                 QWidget* parent)
    : FieldsAndTableWindow(std::make_unique<TRassenList>(engine, settings, module), std::move(help), 90,
                           parent) {
  setObjectName(QStringLiteral("TRassen"));
  setWindowTitle(QStringLiteral("Rassen"));
  list_->open();

  auto* fields = new QWidget(this);
  auto* form = new QFormLayout(fields);
  form->addRow(QStringLiteral("&Rasse"), addEdit(fields, QStringLiteral("Name"), 25));
  form->addRow(QStringLiteral("R&assecode"), addEdit(fields, QStringLiteral("Code"), 9));
  auto* weights = new QHBoxLayout;
  weights->addWidget(new QLabel(QStringLiteral("min."), fields));
  QWidget* minWeight = addEdit(fields, QStringLiteral("Min Gewicht"), 12);
  weights->addWidget(minWeight);
  weights->addWidget(new QLabel(QStringLiteral("max."), fields));
  weights->addWidget(addEdit(fields, QStringLiteral("Max Gewicht"), 12));
  // A row label over a layout has no buddy of its own: point the accelerator at "min.".
  auto* weightLabel = new QLabel(QStringLiteral("&Gewicht"), fields);
  weightLabel->setBuddy(minWeight);
  form->addRow(weightLabel, weights);
  group_ = new QComboBox(fields);
  group_->setObjectName(QStringLiteral("Rassegruppe"));
  group_->addItems(breedGroups());
  form->addRow(QStringLiteral("Ra&ssegruppe"), group_);
  connect(group_, &QComboBox::activated, this, [this](int index) {
    if (filling_) return;
    guarded([&] {
      engine::Cursor& c = list_->records();
      if (!c.isEditing()) {
        if (!c.hasRecord()) return;
        c.edit();
      }
      c.field(QStringLiteral("Rassegruppe")).setString(breedGroups().value(index));
    });
  });

  auto* table = new QWidget(this);
  grid_ = makeGrid(table, QStringLiteral("DBGridRasse"));
  model_ = std::make_unique<EditableCursorModel>(&list_->records(), QStringList{});
  model_->setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 25},
                      {QStringLiteral("Code"), QStringLiteral("Code"), 9},
                      {QStringLiteral("Rassegruppe"), QStringLiteral("Rassegruppe"), 17},
                      {QStringLiteral("Min Gewicht"), QStringLiteral("Min Gewicht"), 10},
                      {QStringLiteral("Max Gewicht"), QStringLiteral("Max Gewicht"), 10}});
  grid_->setModel(model_.get());
  sizeColumns(grid_, *model_, 0);
  grid_->setItemDelegateForColumn(2, new GroupDelegate(grid_));
  linkGrid(grid_, model_.get(), this, [this](const std::function<void()>& a) { guarded(a); });
  auto* tl = new QVBoxLayout(table);
  tl->addWidget(grid_);

  buildCommon(fields, table);
  updateView();
}

void TRassen::updateView() {
  FieldsAndTableWindow::updateView();
  if (!group_) return;
  engine::Cursor& c = list_->records();
  filling_ = true;
  const bool has = c.isOpen() && (c.hasRecord() || c.isEditing());
  group_->setCurrentIndex(has ? breedGroups().indexOf(c.field(QStringLiteral("Rassegruppe")).asString())
                              : -1);
  group_->setEnabled(has);
  filling_ = false;
}

// ------------------------------------------------------------------ TFarbeForm

TFarbeForm::TFarbeForm(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module,
                       HelpFn help, QWidget* parent)
    : FieldsAndTableWindow(std::make_unique<TFarbeList>(engine, settings, module), std::move(help), 100,
                           parent) {
  setObjectName(QStringLiteral("TFarbeForm"));
  setWindowTitle(QStringLiteral("Farbe"));
  list_->open();

  auto* fields = new QWidget(this);
  auto* form = new QFormLayout(fields);
  breed_ = new QComboBox(fields);
  breed_->setObjectName(QStringLiteral("RasseCombo"));
  form->addRow(QStringLiteral("Rasse"), breed_);
  QLineEdit* name = addEdit(fields, QStringLiteral("Name"), 25);
  QLineEdit* code = addEdit(fields, QStringLiteral("Code"), 9);
  auto* nameLabel = new QLabel(QStringLiteral("Fa&rbname"), fields);
  nameLabel->setBuddy(name);
  auto* codeLabel = new QLabel(QStringLiteral("F&arbcode"), fields);
  codeLabel->setBuddy(code);
  form->addRow(nameLabel, name);
  form->addRow(codeLabel, code);
  connect(breed_, &QComboBox::activated, this, &TFarbeForm::RasseChange);

  auto* table = new QWidget(this);
  breedGrid_ = makeGrid(table, QStringLiteral("DBGridRasse"));
  breedGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  breedModel_ = std::make_unique<engine::CursorModel>(&colours().breeds());
  breedModel_->setColumns({{QStringLiteral("Name"), QStringLiteral("Rasse"), 25}});
  breedGrid_->setModel(breedModel_.get());
  sizeColumns(breedGrid_, *breedModel_, 0);
  colourGrid_ = makeGrid(table, QStringLiteral("DBGridFarbe"));
  colourModel_ = std::make_unique<EditableCursorModel>(&list_->records(), QStringList{});
  colourModel_->setColumns({{QStringLiteral("Name"), QStringLiteral("Name"), 25},
                            {QStringLiteral("Code"), QStringLiteral("Code"), 9}});
  colourGrid_->setModel(colourModel_.get());
  sizeColumns(colourGrid_, *colourModel_, 0);
  linkGrid(colourGrid_, colourModel_.get(), this, [this](const std::function<void()>& a) { guarded(a); });
  connect(breedGrid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!current.isValid() || current.row() == breedModel_->currentRow()) return;
            const QVariant nummer = breedModel_->value(current.row(), QStringLiteral("Nummer"));
            guarded([&] { colours().chooseBreed(nummer.toLongLong()); });
          });
  auto* tl = new QHBoxLayout(table);
  tl->addWidget(breedGrid_, 1);
  tl->addWidget(colourGrid_, 1);

  buildCommon(fields, table);
  // Showing "Felder" sets the drop-down to the current breed.
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == 0) updateView();
  });
  fillBreedBox();
  updateView();
}

TFarbeForm::~TFarbeForm() {
  // The models listen to the list's cursors: let go of them before the list closes.
  breedModel_->setDataSet(nullptr);
  colourModel_->setDataSet(nullptr);
  closeList();
}

void TFarbeForm::fillBreedBox() {
  filling_ = true;
  breed_->clear();
  const QStringList names = colours().breedNames();
  const std::vector<qint64> numbers = colours().breedNumbers();
  for (int i = 0; i < names.size(); ++i) breed_->addItem(names[i], QVariant(numbers[i]));
  filling_ = false;
}

void TFarbeForm::RasseChange(int index) {
  if (filling_ || index < 0) return;
  const qint64 nummer = breed_->itemData(index).toLongLong();
  guarded([&] { colours().chooseBreed(nummer); });
}

void TFarbeForm::focusFirstField() {
  if (tabs_->currentIndex() == 1) {
    colourGrid_->setFocus();
    return;
  }
  edit(QStringLiteral("Name"))->setFocus();
}

void TFarbeForm::updateView() {
  FieldsAndTableWindow::updateView();
  if (!breed_ || closed_) return;
  filling_ = true;
  breed_->setCurrentIndex(breed_->findData(QVariant(colours().currentBreed())));
  filling_ = false;
  if (breedGrid_ && breedModel_) {
    const int row = breedModel_->currentRow();
    if (row >= 0 && breedGrid_->currentIndex().row() != row) {
      const QSignalBlocker block(breedGrid_->selectionModel());
      breedGrid_->selectionModel()->setCurrentIndex(
          breedModel_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
  }
}

// ------------------------------------------------------------------ TStatusForm

TStatusForm::TStatusForm(engine::Engine& engine, const shell::tsysteminfo& settings, TDatenStamm* module,
                         HelpFn help, QWidget* parent)
    : LookupListWindow(std::make_unique<TStatusList>(engine, settings, module), std::move(help), 120,
                       parent) {
  setObjectName(QStringLiteral("TStatusForm"));
  setWindowTitle(QStringLiteral("Status"));
  list_->open();

  grid_ = makeGrid(this, QStringLiteral("DBGridStatus"));
  model_ = std::make_unique<EditableCursorModel>(&list_->records(), QStringList{QStringLiteral("Nummer")});
  model_->setColumns({{QStringLiteral("Nummer"), QStringLiteral("Nr."), 4},
                      {QStringLiteral("Name"), QStringLiteral("Name"), 25}});
  grid_->setModel(model_.get());
  sizeColumns(grid_, *model_, 1);
  grid_->installEventFilter(this);
  linkGrid(grid_, model_.get(), this, [this](const std::function<void()>& a) { guarded(a); });

  QPushButton* save = addButton(QStringLiteral("Speichern"), QStringLiteral("&Speichern"));
  QPushButton* undo = addButton(QStringLiteral("Rueckgaengig"), QStringLiteral("R&ückgängig"));
  QPushButton* hilfe = addButton(QStringLiteral("Hilfe"), QStringLiteral("&Hilfe"));
  QPushButton* zurueck = addButton(QStringLiteral("Zurueck"), QStringLiteral("&Zurück"));
  connect(save, &QPushButton::clicked, this, [this] { guarded([this] { list_->save(); }); });
  connect(undo, &QPushButton::clicked, this, [this] { guarded([this] { list_->undo(); }); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (help_) help_(helpContext_);
  });
  connect(zurueck, &QPushButton::clicked, this, [this] { ZurueckClick(); });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {save, undo, hilfe, zurueck}) buttons->addWidget(b);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);

  listener_ = list_->records().addListener([this](Notification n) {
    if (n == Notification::StateChanged || n == Notification::Opened) updateView();
  });
  updateView();
}

void TStatusForm::updateView() {
  const bool editing = list_->records().isOpen() && list_->editing();
  if (QPushButton* b = button(QStringLiteral("Speichern"))) b->setEnabled(editing);
  if (QPushButton* b = button(QStringLiteral("Rueckgaengig"))) b->setEnabled(editing);
}

bool TStatusForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool atEnd = grid_->currentIndex().row() == model_->rowCount() - 1 || model_->rowCount() == 0;
    // A new row: Insert, or Down on the last row (the grid's usual way).
    if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && atEnd && model_->insertRow() < 0)) {
      guarded([this] { list_->add(); });
      return true;
    }
    if (key->key() == Qt::Key_Escape && list_->editing()) {
      guarded([this] { list_->undo(); });
      return true;
    }
    if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
      guarded([this] { list_->remove(); });
      return true;
    }
  }
  return LookupListWindow::eventFilter(watched, event);
}

}  // namespace lapiro::store::ui
