#include "store/ui/record_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

namespace lapiro::store::ui {

namespace {
constexpr int kSprungweite = 50;
constexpr int kMeldungLoeschen = 28;
constexpr int kMeldungSpeichern = 29;
}  // namespace

TRecordWindow::TRecordWindow(engine::Engine& engine, const QString& title, std::function<bool()> speichernOhneFrage,
                             std::function<void(int)> showHelp, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      cursor_(engine, title),
      speichern_(std::move(speichernOhneFrage)),
      showHelp_(std::move(showHelp)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  cursor_.events.beforePost = [this](engine::DataSet& ds) {
    if (speichern_ && speichern_()) return;
    if (!dialogs().ask(messageText(kMeldungSpeichern), DialogKind::Warning)) {
      ds.cancel();
      throw engine::Abort();
    }
  };
  pages_ = new QTabWidget(this);
  felder_ = new QWidget;
  fieldsGrid_ = new QGridLayout(felder_);
  commands_ = new QVBoxLayout;
}

TRecordWindow::~TRecordWindow() {
  if (model_) model_->setDataSet(nullptr);
  if (listener_) cursor_.removeListener(listener_);
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  if (cursor_.isOpen() && cursor_.isEditing()) {
    // Closing without the window's close (program end): save without asking.
    speichern_ = [] { return true; };
    guarded([this] { cursor_.checkBrowseMode(); });
    if (cursor_.isEditing()) cursor_.cancel();
  }
}

bool TRecordWindow::openTable(const QString& tableName) { return openPlain(cursor_, tableName); }

bool TRecordWindow::guarded(const std::function<void()>& operation) {
  try {
    operation();
    return true;
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    dialogs().error(e.message());
  }
  return false;
}

QLineEdit* TRecordWindow::addBox(const QString& caption, const QString& field, int maxLength, int row, int column,
                                 int span) {
  auto* e = new QLineEdit(felder_);
  e->setObjectName(field);
  if (maxLength > 0) e->setMaxLength(maxLength);
  if (!caption.isEmpty()) {
    auto* label = new QLabel(caption, felder_);
    label->setBuddy(e);
    fieldsGrid_->addWidget(label, row, column);
  }
  fieldsGrid_->addWidget(e, row, column + 1, 1, span);
  boxes_.insert(field, e);
  connect(e, &QLineEdit::textEdited, this, [this, field](const QString& t) { fieldEdited(field, t); });
  return e;
}

void TRecordWindow::addBoxPair(const QString& caption, const QString& first, int firstLength, int firstWidth,
                               const QString& second, int secondLength, int row, int span) {
  QLineEdit* a = addBox(caption, first, firstLength, row);
  QLineEdit* b = addBox(QString(), second, secondLength, row, 1);
  fieldsGrid_->removeWidget(a);
  fieldsGrid_->removeWidget(b);
  a->setFixedWidth(firstWidth);
  auto* pair = new QHBoxLayout;
  pair->addWidget(a);
  pair->addWidget(b, 1);
  fieldsGrid_->addLayout(pair, row, 1, 1, span);
}

QLineEdit* TRecordWindow::addDateBox(const QString& caption, const QString& field, int row, int column) {
  QLineEdit* e = addBox(caption, field, 10, row, column);
  e->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  dateFields_ << field;
  // A date that cannot be read is said at once instead of being dropped silently.
  connect(e, &QLineEdit::editingFinished, this, [this, e] {
    const QString t = e->text().trimmed();
    if (t.isEmpty() || QDate::fromString(t, QStringLiteral("d.M.yyyy")).isValid()) return;
    dialogs().error(QStringLiteral("„%1“ ist kein gültiges Datum (TT.MM.JJJJ).").arg(t));
    fillFromRecord();
  });
  return e;
}

QPlainTextEdit* TRecordWindow::addMemo(const QString& caption, const QString& field, int row, int column, int span) {
  auto* m = new QPlainTextEdit(felder_);
  m->setObjectName(field);
  auto* label = new QLabel(caption, felder_);
  label->setBuddy(m);
  fieldsGrid_->addWidget(label, row, column, Qt::AlignTop);
  fieldsGrid_->addWidget(m, row, column + 1, 1, span);
  memos_.insert(field, m);
  connect(m, &QPlainTextEdit::textChanged, this, [this, field, m] {
    if (!filling_) fieldEdited(field, m->toPlainText());
  });
  return m;
}

QPushButton* TRecordWindow::addCommand(const QString& caption, std::function<void()> action) {
  auto* b = new QPushButton(caption, this);
  connect(b, &QPushButton::clicked, this, [action] { action(); });
  commands_->addWidget(b);
  return b;
}

void TRecordWindow::buildFrame(std::vector<engine::CursorModel::Column> gridColumns, const QString& firstBox,
                               int help) {
  firstBox_ = firstBox;
  // Navigator below the boxes: first, previous 50, previous, next, next 50, last, mark.
  auto* nav = new QHBoxLayout;
  const auto navButton = [&](const QString& caption, const QString& hint, std::function<void()> action) {
    auto* b = new QToolButton(felder_);
    b->setText(caption);
    b->setToolTip(hint);
    connect(b, &QToolButton::clicked, this, [this, action] {
      if (cursor_.isOpen()) guarded(action);
    });
    nav->addWidget(b);
  };
  navButton(QStringLiteral("|◀"), QStringLiteral("Erster Datensatz"), [this] { cursor_.first(); });
  navButton(QStringLiteral("◀◀"), QStringLiteral("Zurück um 50"), [this] { cursor_.moveBy(-kSprungweite); });
  navButton(QStringLiteral("◀"), QStringLiteral("Vorheriger Datensatz"), [this] { cursor_.prior(); });
  navButton(QStringLiteral("▶"), QStringLiteral("Nächster Datensatz"), [this] { cursor_.next(); });
  navButton(QStringLiteral("▶▶"), QStringLiteral("Vor um 50"), [this] { cursor_.moveBy(kSprungweite); });
  navButton(QStringLiteral("▶|"), QStringLiteral("Letzter Datensatz"), [this] { cursor_.last(); });
  navButton(QStringLiteral("M"), QStringLiteral("Markierung setzen"), [this] { mark_ = cursor_.bookmark(); });
  navButton(QStringLiteral("→M"), QStringLiteral("Zur Markierung"), [this] {
    if (mark_.isValid()) cursor_.gotoBookmark(mark_);
  });
  nav->addStretch();
  const int navRow = fieldsGrid_->rowCount();
  fieldsGrid_->setRowStretch(navRow, 1);
  fieldsGrid_->addLayout(nav, navRow + 1, 0, 1, fieldsGrid_->columnCount());
  pages_->addTab(felder_, QStringLiteral("&Felder"));

  grid_ = new QTableView;
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->setDefaultSectionSize(22);
  grid_->horizontalHeader()->setStretchLastSection(true);
  model_ = std::make_unique<engine::CursorModel>(cursor_.isOpen() ? &cursor_ : nullptr);
  model_->setColumns(std::move(gridColumns));
  grid_->setModel(model_.get());
  for (int i = 0; i < model_->columnCount(); ++i)
    if (model_->columns()[i].width > 0) grid_->setColumnWidth(i, std::min(model_->columns()[i].width * 7 + 10, 260));
  connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& i) { guarded([&] { model_->moveTo(i.row()); }); });
  connect(model_.get(), &engine::CursorModel::currentChanged, this, [this](int row) {
    if (row >= 0) grid_->selectRow(row);
  });
  pages_->addTab(grid_, QStringLiteral("&Tabelle"));

  // Commands: subclasses' own buttons come first (added to commandColumn() before).
  auto* common = new QVBoxLayout;
  const auto button = [&](const QString& caption, std::function<void()> action) {
    auto* b = new QPushButton(caption, this);
    connect(b, &QPushButton::clicked, this, [action] { action(); });
    common->addWidget(b);
    return b;
  };
  button(QStringLiteral("H&inzufügen"), [this] { HinzufuegenClick(); });
  abbruch_ = button(QStringLiteral("R&ückgängig"), [this] { AbbruchClick(); });
  button(QStringLiteral("L&öschen"), [this] { LoeschenClick(); });
  commands_->insertLayout(0, common);
  commands_->addStretch();
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  connect(hilfe, &QPushButton::clicked, this, [this, help] { showHelpTopic(help); });
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  connect(zurueck, &QPushButton::clicked, this, &QWidget::close);
  commands_->addWidget(hilfe);
  commands_->addWidget(zurueck);

  auto* all = new QHBoxLayout(this);
  all->addWidget(pages_, 1);
  all->addLayout(commands_);

  if (cursor_.isOpen()) {
    listener_ = cursor_.addListener([this](engine::Notification n) {
      if (n == engine::Notification::Destroyed) {
        listener_ = 0;
        return;
      }
      if (n == engine::Notification::StateChanged) updateButtons();
      if (!filling_ && n != engine::Notification::FieldChanged) fillFromRecord();
    });
    guarded([this] { cursor_.first(); });
  }
  fillFromRecord();
  updateButtons();
}

void TRecordWindow::fillFromRecord() {
  if (!cursor_.isOpen()) return;
  filling_ = true;
  const bool has = cursor_.hasRecord() || cursor_.isEditing();
  for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it)
    it.value()->setText(has ? cursor_.field(it.key()).asString() : QString());
  for (auto it = memos_.cbegin(); it != memos_.cend(); ++it) {
    const QString text = has ? cursor_.field(it.key()).asString() : QString();
    if (it.value()->toPlainText() != text) it.value()->setPlainText(text);
  }
  filling_ = false;
}

void TRecordWindow::updateButtons() {
  if (abbruch_) abbruch_->setEnabled(cursor_.isOpen() && cursor_.isEditing());
}

void TRecordWindow::fieldEdited(const QString& field, const QVariant& value) {
  if (filling_ || !cursor_.isOpen()) return;
  filling_ = true;
  guarded([&] {
    if (!cursor_.isEditing()) {
      if (cursor_.hasRecord())
        cursor_.edit();
      else
        cursor_.append();
    }
    if (dateFields_.contains(field) && value.typeId() != QMetaType::QDate) {
      // Only a complete date (or an emptied box) reaches the record while typing.
      const QString t = value.toString().trimmed();
      const QDate d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
      if (t.isEmpty() || d.isValid()) cursor_.field(field).setDate(d);
    } else {
      cursor_.field(field).setValue(value);
    }
  });
  filling_ = false;
  updateButtons();
}

bool TRecordWindow::savePending() {
  if (!cursor_.isOpen() || !cursor_.isEditing()) return true;
  guarded([this] { cursor_.checkBrowseMode(); });
  fillFromRecord();
  updateButtons();
  return !cursor_.isEditing();
}

void TRecordWindow::HinzufuegenClick() {
  if (!cursor_.isOpen() || !savePending()) return;
  guarded([this] { cursor_.append(); });
  fillFromRecord();
  updateButtons();
  if (pages_->currentIndex() == 0) {
    if (QLineEdit* e = boxes_.value(firstBox_)) e->setFocus();
  } else {
    grid_->setFocus();
  }
}

void TRecordWindow::AbbruchClick() {
  if (cursor_.isOpen() && cursor_.isEditing()) cursor_.cancel();
  fillFromRecord();
  updateButtons();
}

void TRecordWindow::LoeschenClick() {
  if (!cursor_.isOpen()) return;
  if (cursor_.state() == engine::DataSetState::Insert) {
    cursor_.cancel();
  } else if (cursor_.hasRecord() && dialogs().ask(messageText(kMeldungLoeschen))) {
    guarded([this] {
      if (cursor_.isEditing()) cursor_.cancel();
      cursor_.deleteRecord();
    });
  }
  fillFromRecord();
  updateButtons();
}

void TRecordWindow::closeEvent(QCloseEvent* event) {
  // "Nein" to the save question discards the change; a failed save keeps the window open.
  if (!savePending() && cursor_.isEditing()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace lapiro::store::ui
