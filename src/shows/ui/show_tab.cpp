#include "shows/ui/show_tab.h"

#include "core/number_input.h"
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "shows/show_input.h"
#include "shows/show_rules.h"
#include "shows/show_score.h"
#include "store/navigator.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::shows::ui {

using engine::Notification;

namespace {

constexpr int kHelpTopic = 50;
constexpr int kMsgDelete = 15;
constexpr int kJumpWidth = 50;


void setTextQuietly(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) return;
  const QSignalBlocker block(edit);
  edit->setText(text);
  edit->setCursorPosition(0);
  edit->setModified(false);
}

// Points: up to three digits with a comma or point and up to two decimals.
QValidator* pointsValidator(QObject* parent) {
  return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^\\d{0,3}([.,]\\d{0,2})?$")), parent);
}

}  // namespace

TabAusstellung::TabAusstellung(store::TDatenStamm& dm, std::function<void(int)> showHelp, QWidget* parent)
    : QWidget(parent), dm_(dm), showHelp_(std::move(showHelp)) {
  setObjectName(QStringLiteral("TabSheetAusstellung"));

  model_ = new engine::CursorModel(nullptr, this);
  model_->setColumns({{QStringLiteral("Datum"), QStringLiteral("Datum"), 10},
                      {QStringLiteral("Titel"), QStringLiteral("Titel"), 24},
                      {QStringLiteral("Ort"), QStringLiteral("Ort"), 16},
                      {QStringLiteral("AnzeigeBewertPunkte"), QStringLiteral("Gesamtpunkte"), 8},
                      {QStringLiteral("PraedikatText"), QStringLiteral("Prädikat"), 16}});
  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("DBGridAusstellung"));
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->setVisible(false);
  grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setMinimumHeight(110);
  for (auto [column, width] : {std::pair{0, 90}, std::pair{1, 230}, std::pair{2, 160}, std::pair{3, 100}})
    grid_->horizontalHeader()->resizeSection(column, width);
  connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (!finishFieldEntry()) return;
    store::guarded([&] { model_->moveTo(index.row()); });
  });

  auto lineEdit = [this](const QString& name, int maxLength) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    if (maxLength > 0) e->setMaxLength(maxLength);
    e->installEventFilter(this);
    return e;
  };
  datum_ = lineEdit(QStringLiteral("DBEditDatum"), 10);
  datum_->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  titel_ = new QComboBox(this);
  titel_->setObjectName(QStringLiteral("DBComboBoxTitel"));
  titel_->setEditable(true);
  titel_->setInsertPolicy(QComboBox::NoInsert);
  titel_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  titel_->setMinimumContentsLength(14);
  titel_->lineEdit()->setMaxLength(40);
  titel_->addItems(dm_.showTitles());
  titel_->lineEdit()->installEventFilter(this);
  titel_->installEventFilter(this);
  ort_ = lineEdit(QStringLiteral("DBEditOrt"), 40);
  gewicht_ = lineEdit(QStringLiteral("DBEditGewicht"), 7);
  gewicht_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^\\d{0,5}([.,]\\d{0,1})?$")), this));
  preis_ = lineEdit(QStringLiteral("DBEditPreis"), 20);
  const QString positionNames[7] = {QStringLiteral("DBEditGewicht1"), QStringLiteral("DBEditKoerper2"),
                                    QStringLiteral("DBEditFell3"),    QStringLiteral("DBEditKopf4"),
                                    QStringLiteral("DBEditFarbe5"),   QStringLiteral("DBEditUnterfarbe6"),
                                    QStringLiteral("DBEditPflege7")};
  for (int i = 0; i < 7; ++i) {
    positions_[i] = lineEdit(positionNames[i], 6);
    positions_[i]->setValidator(pointsValidator(this));
    positions_[i]->setAlignment(Qt::AlignRight);
    positions_[i]->setMinimumWidth(36);
    positions_[i]->setMaximumWidth(70);
  }
  eigene_ = lineEdit(QStringLiteral("DBEditEigeneBewertung"), 6);
  eigene_->setValidator(pointsValidator(this));
  eigene_->setAlignment(Qt::AlignRight);
  eigene_->setMinimumWidth(36);
  eigene_->setMaximumWidth(70);
  jungtier_ = lineEdit(QStringLiteral("DBEditGesPunkteJungtier"), 3);
  jungtier_->setAlignment(Qt::AlignRight);
  jungtier_->setMinimumWidth(36);
  jungtier_->setMaximumWidth(70);
  jungtier_->hide();
  praedikat_ = lineEdit(QStringLiteral("DBEditPraedikat"), 0);
  praedikat_->setMinimumWidth(60);
  praedikat_->setReadOnly(true);
  praedikat_->setFocusPolicy(Qt::NoFocus);
  fehlpunkte_ = lineEdit(QStringLiteral("DBEditFehlpunkte"), 0);
  fehlpunkte_->setMinimumWidth(60);
  fehlpunkte_->setReadOnly(true);
  fehlpunkte_->setFocusPolicy(Qt::NoFocus);
  bemerkung_ = new QPlainTextEdit(this);
  bemerkung_->setObjectName(QStringLiteral("DBMemoBemerkung"));
  bemerkung_->setTabChangesFocus(true);
  bemerkung_->installEventFilter(this);
  bemerkung_->setMaximumHeight(70);
  connect(bemerkung_, &QPlainTextEdit::textChanged, this, [this] {
    if (!loading_) bemerkungModified_ = true;
  });

  // Boxes write when they are left.
  connect(datum_, &QLineEdit::editingFinished, this, [this] { writeDate(); });
  connect(ort_, &QLineEdit::editingFinished, this, [this] {
    if (ort_->isModified()) writeText(QStringLiteral("Ort"), ort_->text());
  });
  connect(preis_, &QLineEdit::editingFinished, this, [this] {
    if (preis_->isModified()) writeText(QStringLiteral("Preis"), preis_->text());
  });
  connect(gewicht_, &QLineEdit::editingFinished, this, [this] { writePoints(gewicht_, QStringLiteral("Gewicht")); });
  for (int i = 0; i < 7; ++i)
    connect(positions_[i], &QLineEdit::editingFinished, this,
            [this, i] { writePoints(positions_[i], positionFieldNames()[i]); });
  connect(eigene_, &QLineEdit::editingFinished, this, [this] { writePoints(eigene_, QStringLiteral("EigeneBewertung")); });
  connect(jungtier_, &QLineEdit::editingFinished, this, [this] {
    if (jungtier_->isModified()) writeText(QStringLiteral("BewertJungtier"), jungtier_->text());
  });
  connect(titel_, &QComboBox::activated, this, [this](int) { writeTitle(); });
  connect(titel_, &QComboBox::editTextChanged, this, [this] {
    if (!loading_) titleModified_ = true;
  });

  // Layout: list on top, the row's boxes below, commands at the bottom.
  auto* boxes = new QGridLayout;
  auto label = [this](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  boxes->addWidget(label(QStringLiteral("Datum"), datum_), 0, 0);
  boxes->addWidget(datum_, 0, 1);
  boxes->addWidget(label(QStringLiteral("Titel "), titel_), 0, 2);
  boxes->addWidget(titel_, 0, 3, 1, 3);
  boxes->addWidget(label(QStringLiteral("Ort"), ort_), 1, 0);
  boxes->addWidget(ort_, 1, 1);
  boxes->addWidget(label(QStringLiteral("Preis"), preis_), 1, 2);
  boxes->addWidget(preis_, 1, 3, 1, 3);
  boxes->addWidget(label(QStringLiteral("Gewicht in Gramm"), gewicht_), 2, 0);
  boxes->addWidget(gewicht_, 2, 1);
  boxes->setColumnStretch(1, 1);
  boxes->setColumnStretch(3, 1);

  auto* points = new QGroupBox(QStringLiteral("Bewertung"), this);
  auto* pg = new QGridLayout(points);
  const QString captions[7] = {QStringLiteral("1. Gewicht"), QStringLiteral("2. Körper"), QStringLiteral("3. Fell"),
                               QStringLiteral("4. "),        QStringLiteral("5."),        QStringLiteral("6."),
                               QStringLiteral("7. Pflege")};
  for (int i = 0; i < 7; ++i) {
    pg->addWidget(label(captions[i], positions_[i]), 0, i);
    pg->addWidget(positions_[i], 1, i);
  }
  auto* gesamtLabel = label(QStringLiteral("Gesamtpunkte"), eigene_);
  pg->addWidget(gesamtLabel, 0, 7);
  auto* gesamt = new QHBoxLayout;
  gesamt->setContentsMargins(0, 0, 0, 0);
  gesamt->addWidget(eigene_);
  gesamt->addWidget(jungtier_);
  pg->addLayout(gesamt, 1, 7);
  pg->addWidget(label(QStringLiteral("Prädikat"), praedikat_), 2, 0, 1, 2);
  pg->addWidget(praedikat_, 2, 2, 1, 2);
  pg->addWidget(label(QStringLiteral("Fehlpunkte"), fehlpunkte_), 2, 4, 1, 2);
  pg->addWidget(fehlpunkte_, 2, 6, 1, 2);

  auto* memoRow = new QHBoxLayout;
  memoRow->addWidget(label(QStringLiteral("Bemerkung"), bemerkung_), 0, Qt::AlignTop);
  memoRow->addWidget(bemerkung_, 1);

  auto button = [this](const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  neu_ = button(QStringLiteral("Neu"), QStringLiteral("BitBtn8"));
  speichern_ = button(QStringLiteral("Speichern"), QStringLiteral("BitBtn5"));
  rueckgaengig_ = button(QStringLiteral("R&ückgängig"), QStringLiteral("BitBtn6"));
  loeschen_ = button(QStringLiteral("Löschen"), QStringLiteral("BitBtn16"));
  letzte_ = button(QStringLiteral("Letzte erfasste Ausstellung laden"), QStringLiteral("BitBtnLetzteAusstellungLaden"));
  hilfe_ = button(QStringLiteral("&Hilfe"), QStringLiteral("BitBtn7"));
  connect(neu_, &QPushButton::clicked, this, &TabAusstellung::NeuClick);
  connect(speichern_, &QPushButton::clicked, this, &TabAusstellung::SpeichernClick);
  connect(rueckgaengig_, &QPushButton::clicked, this, &TabAusstellung::RueckgaengigClick);
  connect(loeschen_, &QPushButton::clicked, this, &TabAusstellung::LoeschenClick);
  connect(letzte_, &QPushButton::clicked, this, &TabAusstellung::LetzteAusstellungLadenClick);
  connect(hilfe_, &QPushButton::clicked, this, [this] {
    if (showHelp_) showHelp_(kHelpTopic);
  });

  auto* commands = new QHBoxLayout;
  const std::pair<QStyle::StandardPixmap, const char16_t*> navIcons[6] = {
      {QStyle::SP_MediaSkipBackward, u"Erster Datensatz"}, {QStyle::SP_MediaSeekBackward, u"Vorheriger Datensatz"},
      {QStyle::SP_MediaSeekForward, u"Nächster Datensatz"}, {QStyle::SP_MediaSkipForward, u"Letzter Datensatz"},
      {QStyle::SP_DialogApplyButton, u"Markierung setzen"}, {QStyle::SP_ArrowRight, u"Zur Markierung"}};
  for (int i = 0; i < 6; ++i) {
    auto* b = new QToolButton(this);
    b->setIcon(style()->standardIcon(navIcons[i].first));
    b->setToolTip(QString::fromUtf16(navIcons[i].second));
    b->setObjectName(QStringLiteral("NavAusstellung%1").arg(i));
    connect(b, &QToolButton::clicked, this, [this, i] { navigate(i); });
    nav_[i] = b;
    commands->addWidget(b);
  }
  commands->addSpacing(12);
  for (QPushButton* b : {neu_, speichern_, rueckgaengig_}) commands->addWidget(b);
  commands->addStretch(1);
  auto* more = new QHBoxLayout;
  more->addWidget(loeschen_);
  more->addWidget(letzte_);
  more->addStretch(1);
  more->addWidget(hilfe_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(boxes);
  layout->addWidget(points);
  layout->addLayout(memoRow);
  layout->addLayout(commands);
  layout->addLayout(more);

  engine::Cursor* c = dm_.cursor(showCursorName());
  if (c) {
    model_->setDataSet(c);
    listener_ = c->addListener([this](Notification n) {
      switch (n) {
        case Notification::Destroyed:
          listener_ = -1;
          model_->setDataSet(nullptr);
          break;
        case Notification::Scrolled:
        case Notification::Reset:
          titleModified_ = false;
          if (!loading_ && !writing_) loadFields();
          break;
        case Notification::DataChanged:
        case Notification::StateChanged:
        case Notification::FieldChanged:
        case Notification::Opened:
        case Notification::Closed:
          if (!loading_ && !writing_) loadFields();
          break;
        default:
          break;
      }
    });
  }
  loadFields();
}

TabAusstellung::~TabAusstellung() {
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  if (listener_ >= 0)
    if (engine::Cursor* c = dm_.cursor(showCursorName())) c->removeListener(listener_);
}

engine::Cursor& TabAusstellung::cursor() const { return dm_.at(showCursorName()); }

bool TabAusstellung::hasRow() const {
  const engine::Cursor& c = cursor();
  return c.isOpen() && (c.hasRecord() || c.isEditing());
}

// ------------------------------------------------------------------ reading

void TabAusstellung::loadFields() {
  loading_ = true;
  engine::Cursor& c = cursor();
  const bool row = hasRow();
  auto text = [&](const QString& f) { return row ? c.field(f).asString() : QString(); };
  setTextQuietly(datum_, text(QStringLiteral("Datum")));
  {
    // A title being typed stays until it is stored (leaving the box or another command).
    const QSignalBlocker block(titel_);
    const QString t = text(QStringLiteral("Titel"));
    if (!row) titleModified_ = false;
    if (!titleModified_ && titel_->currentText() != t) titel_->setEditText(t);
  }
  setTextQuietly(ort_, text(QStringLiteral("Ort")));
  // Numbers without thousands separators, so that the text reads back as the same value.
  auto number = [&](const QString& f) {
    return row && !c.field(f).isNull() ? formatPoints(c.field(f).asFloat()) : QString();
  };
  setTextQuietly(gewicht_, number(QStringLiteral("Gewicht")));
  setTextQuietly(preis_, text(QStringLiteral("Preis")));
  for (int i = 0; i < 7; ++i) setTextQuietly(positions_[i], number(positionFieldNames()[i]));
  setTextQuietly(eigene_, number(QStringLiteral("EigeneBewertung")));
  setTextQuietly(jungtier_, text(QStringLiteral("BewertJungtier")));
  setTextQuietly(praedikat_, text(QStringLiteral("PraedikatText")));
  setTextQuietly(fehlpunkte_, text(QStringLiteral("Fehlpunkte")));
  const QString memo = text(QStringLiteral("Bemerkung"));
  if (bemerkung_->toPlainText() != memo) bemerkung_->setPlainText(memo);
  bemerkungModified_ = false;
  for (QWidget* w : std::initializer_list<QWidget*>{datum_, titel_, ort_, gewicht_, preis_, eigene_, jungtier_, bemerkung_})
    w->setEnabled(row);
  for (QLineEdit* e : positions_) e->setEnabled(row);
  applyEditorSwitch(text(QStringLiteral("Titel")));
  // The list marks the current row.
  if (row && c.hasRecord() && !c.isEditing()) {
    const int r = model_->currentRow();
    if (r >= 0 && grid_->currentIndex().row() != r) grid_->selectRow(r);
  }
  loading_ = false;
  updateButtons();
}

void TabAusstellung::updateButtons() {
  engine::Cursor& c = cursor();
  const bool editing = c.isOpen() && c.isEditing();
  engine::Cursor& h = dm_.Hasen();
  const bool animal = h.isOpen() && h.hasRecord() && h.state() != engine::DataSetState::Insert;
  speichern_->setEnabled(editing);
  rueckgaengig_->setEnabled(editing);
  neu_->setEnabled(!editing && animal);
  loeschen_->setEnabled(c.isOpen() && c.hasRecord() && c.state() != engine::DataSetState::Insert);
  letzte_->setEnabled(animal);
  for (QToolButton* b : nav_) b->setEnabled(c.isOpen() && c.hasRecord());
}

void TabAusstellung::applyEditorSwitch(const QString& title) {
  const bool young = isYoungAnimalTitle(title);
  eigene_->setVisible(!young);
  jungtier_->setVisible(young);
}

// ------------------------------------------------------------------ writing

bool TabAusstellung::beginEdit() {
  engine::Cursor& c = cursor();
  if (!c.isOpen() || (!c.hasRecord() && !c.isEditing())) return false;
  if (c.isEditing()) return true;
  return store::guarded([&] { c.edit(); });
}

bool TabAusstellung::writeText(const QString& field, const QString& text) {
  if (loading_ || !hasRow()) return true;
  engine::Cursor& c = cursor();
  if (c.field(field).asString() == text) return true;
  writing_ = true;
  const bool ok = beginEdit() && store::guarded([&] { c.field(field).setString(text); });
  writing_ = false;
  loadFields();
  return ok;
}

bool TabAusstellung::writePoints(QLineEdit* edit, const QString& field) {
  if (loading_ || !edit->isModified() || !hasRow()) return true;
  const QString t = edit->text().trimmed();
  const std::optional<core::Points> v = parsePoints(t);
  if (!t.isEmpty() && !v) {
    store::dialogs().error(core::refusalMessage(core::readTypedNumber(t),
                                                QStringLiteral("»%1« ist kein gültiger Wert für das Feld %2.").arg(t, field)));
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
  }
  engine::Cursor& c = cursor();
  writing_ = true;
  const bool ok = beginEdit() && store::guarded([&] {
    if (v)
      c.field(field).setFloat(v->toDouble());
    else
      c.field(field).clear();
  });
  writing_ = false;
  edit->setModified(false);
  loadFields();
  return ok;
}

bool TabAusstellung::writeDate() {
  if (loading_ || !datum_->isModified() || !hasRow()) return true;
  const TypedDate d = readTypedDate(datum_->text(), QStringLiteral("Datum"));
  if (!d.accepted()) {
    store::dialogs().error(d.refusal);
    datum_->setFocus(Qt::OtherFocusReason);
    datum_->selectAll();
    return false;
  }
  engine::Cursor& c = cursor();
  writing_ = true;
  const bool ok = beginEdit() && store::guarded([&] { c.field(QStringLiteral("Datum")).setDate(d.date); });
  writing_ = false;
  datum_->setModified(false);
  loadFields();
  return ok;
}

bool TabAusstellung::writeTitle() {
  if (loading_ || !hasRow()) return true;
  titleModified_ = false;
  return writeText(QStringLiteral("Titel"), titel_->currentText().left(40));
}

bool TabAusstellung::finishFieldEntry() {
  if (!hasRow()) return true;
  if (!writeDate()) return false;
  if (titel_->currentText() != cursor().field(QStringLiteral("Titel")).asString() && !writeTitle()) return false;
  if (ort_->isModified() && !writeText(QStringLiteral("Ort"), ort_->text())) return false;
  if (preis_->isModified() && !writeText(QStringLiteral("Preis"), preis_->text())) return false;
  if (!writePoints(gewicht_, QStringLiteral("Gewicht"))) return false;
  for (int i = 0; i < 7; ++i)
    if (!writePoints(positions_[i], positionFieldNames()[i])) return false;
  if (!writePoints(eigene_, QStringLiteral("EigeneBewertung"))) return false;
  if (jungtier_->isModified() && !writeText(QStringLiteral("BewertJungtier"), jungtier_->text())) return false;
  if (bemerkungModified_) {
    bemerkungModified_ = false;
    if (!writeText(QStringLiteral("Bemerkung"), bemerkung_->toPlainText())) return false;
  }
  return true;
}

// ------------------------------------------------------------------ commands

void TabAusstellung::NeuClick() {
  if (!finishFieldEntry()) return;
  if (appendShowRow(dm_)) {
    loadFields();
    datum_->setFocus(Qt::OtherFocusReason);
  }
}

void TabAusstellung::SpeichernClick() {
  if (!finishFieldEntry()) return;
  engine::Cursor& c = cursor();
  if (!c.isOpen() || !c.isEditing()) return;
  store::guarded([&] { c.post(); });
  loadFields();
}

void TabAusstellung::RueckgaengigClick() {
  titleModified_ = false;
  engine::Cursor& c = cursor();
  if (c.isOpen() && c.isEditing()) store::guarded([&] { c.cancel(); });
  loadFields();
}

void TabAusstellung::LoeschenClick() {
  engine::Cursor& c = cursor();
  if (!c.isOpen() || !c.hasRecord() || c.state() == engine::DataSetState::Insert) return;
  if (!store::dialogs().ask(store::messageText(kMsgDelete))) return;
  store::guarded([&] {
    if (c.isEditing()) c.cancel();
    c.deleteRecord();
  });
  loadFields();
}

void TabAusstellung::LetzteAusstellungLadenClick() {
  if (!finishFieldEntry()) return;
  loadLastRecordedShow(dm_);
  loadFields();
  applyEditorSwitch(titel_->currentText());
}

void TabAusstellung::navigate(int move) {
  if (!finishFieldEntry()) return;
  engine::Cursor& c = cursor();
  if (!c.isOpen()) return;
  store::moveCursor(c, static_cast<store::NavigatorMove>(move), mark_);
  loadFields();
}

// ------------------------------------------------------------------ events

void TabAusstellung::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  loadFields();
}

bool TabAusstellung::eventFilter(QObject* watched, QEvent* event) {
  if (watched == jungtier_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool young = isYoungAnimalTitle(titel_->currentText());
    const QString t = key->text();
    if (key->key() == Qt::Key_Backspace) return false;
    if (!t.isEmpty() && t.at(0).isPrint() && !acceptsCodeKey(t.at(0), young)) return true;  // swallowed
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) {
      // The navigator's jump width.
      if (!finishFieldEntry()) return true;
      store::guarded([&] { cursor().moveBy(key->key() == Qt::Key_PageDown ? kJumpWidth : -kJumpWidth); });
      loadFields();
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    if (watched == titel_->lineEdit() || watched == titel_) {
      // Leaving the title: store it and switch the editors by its text.
      if (hasRow() && titel_->currentText() != cursor().field(QStringLiteral("Titel")).asString()) writeTitle();
      applyEditorSwitch(titel_->currentText());
    } else if (watched == bemerkung_ && bemerkungModified_) {
      bemerkungModified_ = false;
      writeText(QStringLiteral("Bemerkung"), bemerkung_->toPlainText());
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace lapiro::shows::ui
