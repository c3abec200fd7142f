#include "breeding/ui/litter_page.h"

#include "breeding/ui/koerung_page.h"

#include "card/ui/weight_tab.h"

#include <QChartView>

#include "breeding/litter_book.h"
#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/field_input.h"
#include "shell/system_info.h"
#include "store/navigator.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace lapiro::breeding::ui {

using engine::Cursor;
using engine::DataSetState;
using engine::Notification;

namespace {

const QColor kBuckBand(214, 234, 255);
const QColor kDoeBand(255, 250, 205);

QLineEdit* lineEdit(QWidget* parent, const QString& name, int width = 0) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  if (width > 0) e->setFixedWidth(width);
  return e;
}

}  // namespace

TWurfbuchSeite::TWurfbuchSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, LitterPageServices services,
                               QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), services_(std::move(services)), young_(dm, settings) {
  setObjectName(QStringLiteral("TabSheetZuchtbuch"));
  rules_ = litterBookOf(dm_);
  stack_ = new QStackedWidget(this);
  auto* doe = new QWidget;
  auto* buck = new QWidget;
  buildDoeView(doe);
  buildBuckView(buck);
  stack_->addWidget(doe);
  stack_->addWidget(buck);
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(2, 2, 2, 2);
  l->addWidget(stack_);

  young_.changed = [this] { refreshYoungStatus(); };
  young_.animalsChanged = [this] {
    if (services_.refreshAnimalList) services_.refreshAnimalList();
  };

  Cursor& w = wurfbuch();
  litterListener_ = w.addListener([this](Notification n) {
    if (loading_) return;
    if (n == Notification::Scrolled || n == Notification::DataChanged || n == Notification::Reset ||
        n == Notification::FieldChanged || n == Notification::Opened)
      loadLitter();
    if (n == Notification::StateChanged) {
      loadLitter();
      updateButtons();
    }
  });
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  weightListener_ = j.addListener([this](Notification n) {
    if (loading_) return;
    if (n == Notification::DataChanged || n == Notification::Reset || n == Notification::Opened ||
        n == Notification::Closed)
      loadWeights();
    if (n == Notification::StateChanged) updateButtons();
  });
}

TWurfbuchSeite::~TWurfbuchSeite() {
  // The children go after this part of the object; a box losing the focus then must not
  // reach back into it (editingFinished on focus-out).
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  if (Cursor* w = dm_.cursor(QStringLiteral("Wurfbuch"))) w->removeListener(litterListener_);
  if (Cursor* j = dm_.cursor(QStringLiteral("Jungtiere"))) j->removeListener(weightListener_);
}

Cursor& TWurfbuchSeite::wurfbuch() const { return dm_.at(QStringLiteral("Wurfbuch")); }

// ------------------------------------------------------------------ building

void TWurfbuchSeite::buildDoeView(QWidget* p) {
  p->setObjectName(QStringLiteral("WurfbuchHaesin"));
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  auto label = [&](const QString& text, int r, int c, int span = 1) {
    auto* l = new QLabel(text, p);
    grid->addWidget(l, r, c, 1, span);
    return l;
  };
  auto dateButton = [&](const QString& name, const QString& field) {
    auto* b = new QToolButton(p);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    b->setToolTip(QStringLiteral("Kalender"));
    connect(b, &QToolButton::clicked, this, [this, field] { pickDate(field); });
    return b;
  };

  label(QStringLiteral("Deckdatum"), 0, 0);
  decktermin_ = lineEdit(p, QStringLiteral("DBEditDecktermin"), 90);
  grid->addWidget(decktermin_, 0, 1);
  grid->addWidget(dateButton(QStringLiteral("BitBtnWurfbuch2"), QStringLiteral("Decktermin")), 0, 2);
  label(QStringLiteral("Wurftermin"), 0, 3);
  wurftermin_ = lineEdit(p, QStringLiteral("DBEditWurftermin"), 90);
  wurftermin_->setReadOnly(true);
  wurftermin_->setFocusPolicy(Qt::ClickFocus);
  grid->addWidget(wurftermin_, 0, 4);

  label(QStringLiteral("Wurftag"), 1, 0);
  wurftag_ = lineEdit(p, QStringLiteral("DBEditWurftag"), 90);
  grid->addWidget(wurftag_, 1, 1);
  grid->addWidget(dateButton(QStringLiteral("BitBtnWurfbuch3"), QStringLiteral("Wurftag")), 1, 2);

  label(QStringLiteral("Wurfstärke"), 2, 0);
  auto* figs = new QHBoxLayout;
  const QString captions[] = {QStringLiteral("männlich"), QStringLiteral("weiblich"), QStringLiteral("tot")};
  const QString names[] = {QStringLiteral("DBEditWurfStMaennlich"), QStringLiteral("DBEditWurfStWeiblich"),
                           QStringLiteral("DBEditWurfStTot")};
  for (int i = 0; i < 3; ++i) {
    figs->addWidget(new QLabel(captions[i], p));
    figures_[i] = lineEdit(p, names[i], 40);
    figs->addWidget(figures_[i]);
  }
  figs->addStretch();
  grid->addLayout(figs, 2, 1, 1, 4);

  label(QStringLiteral("Rammler"), 3, 0);
  rammler_ = lineEdit(p, QStringLiteral("DBEditHaseName"));
  rammler_->setReadOnly(true);
  rammler_->setFocusPolicy(Qt::ClickFocus);
  grid->addWidget(rammler_, 3, 1, 1, 3);
  auto* suchen = new QToolButton(p);
  suchen->setObjectName(QStringLiteral("WurfbuchSuche"));
  suchen->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  suchen->setToolTip(QStringLiteral("Rammler suchen"));
  connect(suchen, &QToolButton::clicked, this, [this] { RammlerSuchenClick(); });
  grid->addWidget(suchen, 3, 4, Qt::AlignLeft);

  label(QStringLiteral("Bemerkung"), 4, 0);
  bemerkung_ = new QPlainTextEdit(p);
  bemerkung_->setObjectName(QStringLiteral("DBMemoBemerkung"));
  bemerkung_->setFixedHeight(44);
  grid->addWidget(bemerkung_, 4, 1, 1, 4);
  grid->setColumnStretch(5, 1);

  // Boxes write into the litter when they are left.
  const std::pair<QLineEdit*, const char16_t*> boxes[] = {{decktermin_, u"Decktermin"}, {wurftag_, u"Wurftag"},
                                                          {figures_[0], u"WurfStMaennlich"}, {figures_[1], u"WurfStWeiblich"},
                                                          {figures_[2], u"WurfStTot"}};
  for (const auto& [box, field] : boxes) {
    const QString f = QString::fromUtf16(field);
    connect(box, &QLineEdit::editingFinished, this, [this, box = box, f] { writeBox(f, box); });
  }
  connect(bemerkung_, &QPlainTextEdit::textChanged, this, [this] {
    if (loading_) return;
    Cursor& w = wurfbuch();
    if (!w.isOpen() || !w.hasRecord()) return;
    if (w.field(QStringLiteral("Bemerkung")).asString() == bemerkung_->toPlainText()) return;
    loading_ = true;
    try {
      if (!w.isEditing()) w.edit();
      w.field(QStringLiteral("Bemerkung")).setString(bemerkung_->toPlainText().left(100));
    } catch (const engine::EngineError& e) {
      store::dialogs().error(e.message());
    }
    loading_ = false;
    updateButtons();
  });

  // Navigator and commands.
  auto* bar = new QHBoxLayout;
  const std::pair<QStyle::StandardPixmap, const char16_t*> navigator[] = {
      {QStyle::SP_MediaSkipBackward, u"erster Wurf"}, {QStyle::SP_MediaSeekBackward, u"vorheriger Wurf"},
      {QStyle::SP_MediaSeekForward, u"nächster Wurf"}, {QStyle::SP_MediaSkipForward, u"letzter Wurf"},
      {QStyle::SP_DialogApplyButton, u"setze Marke"},  {QStyle::SP_ArrowRight, u"gehe zur Marke"}};
  for (int i = 0; i < 6; ++i) {
    nav_[i] = new QToolButton(p);
    nav_[i]->setObjectName(QStringLiteral("DBNavigatorSpec5_%1").arg(i));
    nav_[i]->setIcon(style()->standardIcon(navigator[i].first));
    nav_[i]->setToolTip(QString::fromUtf16(navigator[i].second));
    bar->addWidget(nav_[i]);
    connect(nav_[i], &QToolButton::clicked, this, [this, i] {
      Cursor& w = wurfbuch();
      if (!w.isOpen()) return;
      store::moveCursor(w, static_cast<store::NavigatorMove>(i), mark_);
      rebuildYoungRows();
    });
  }
  position_ = new QLabel(p);
  position_->setObjectName(QStringLiteral("LabelWurfPosition"));
  // Room for the widest position text, so the buttons never cover it on a narrow card.
  position_->setMinimumWidth(position_->fontMetrics().horizontalAdvance(QStringLiteral("Wurf 999 von 999")) + 4);
  bar->addWidget(position_);
  bar->addStretch();
  auto button = [&](const QString& text, const QString& name, const QString& hint) {
    auto* b = new QPushButton(text, p);
    b->setObjectName(name);
    b->setToolTip(hint);
    // A narrow card scrolls the page rather than cutting the captions.
    b->setMinimumWidth(b->sizeHint().width());
    bar->addWidget(b);
    return b;
  };
  hinzufuegen_ = button(QStringLiteral("H&inzufügen"), QStringLiteral("BitBtnWurfbuchHinzufuegen"), QStringLiteral("Datensatz hinzufügen"));
  loeschen_ = button(QStringLiteral("L&öschen"), QStringLiteral("BitBtnWurfbuchLoeschen"), QStringLiteral("Datensatz löschen"));
  rueckgaengig_ = button(QStringLiteral("R&ückgängig"), QStringLiteral("BitBtnWurfbuchRueckgaengig"),
                         QStringLiteral("Rückgängig machen der Eingabe"));
  auto* hilfe = button(QStringLiteral("&Hilfe"), QStringLiteral("BitBtnWurfbuchHlife"), {});
  rueckgaengig_->setEnabled(false);
  connect(hinzufuegen_, &QPushButton::clicked, this, [this] { HinzufuegenClick(); });
  connect(loeschen_, &QPushButton::clicked, this, [this] { LoeschenClick(); });
  connect(rueckgaengig_, &QPushButton::clicked, this, [this] { RueckgaengigClick(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeWurfbuch);
  });

  // Lower area: young animals and weights.
  lower_ = new QTabWidget(p);
  lower_->setObjectName(QStringLiteral("PageControlWurfbuch"));
  auto* nachzucht = new QWidget;
  nachzucht->setObjectName(QStringLiteral("TabSheetNachzucht"));
  auto* nl = new QVBoxLayout(nachzucht);
  nl->setContentsMargins(2, 2, 2, 2);
  auto* scroll = new QScrollArea(nachzucht);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  rowsArea_ = new QWidget;
  rowsGrid_ = new QGridLayout(rowsArea_);
  rowsGrid_->setContentsMargins(2, 2, 2, 2);
  rowsGrid_->setHorizontalSpacing(4);
  rowsGrid_->setVerticalSpacing(2);
  scroll->setWidget(rowsArea_);
  nl->addWidget(scroll, 1);
  auto* nb = new QHBoxLayout;
  nzSpeichern_ = new QPushButton(QStringLiteral("Speichern"), nachzucht);
  nzSpeichern_->setObjectName(QStringLiteral("BitBtnNachzuchtSpeichern"));
  nzLoeschen_ = new QPushButton(QStringLiteral("Löschen"), nachzucht);
  nzLoeschen_->setObjectName(QStringLiteral("BitBtnNachzuchtloeschen"));
  nzSpeichern_->setEnabled(false);
  nzLoeschen_->setEnabled(false);
  // The status new young animals get, so that they appear in the lists of the right stock.
  nzStatus_ = new QComboBox(nachzucht);
  nzStatus_->setObjectName(QStringLiteral("ComboBoxNachzuchtStatus"));
  auto* statusLabel = new QLabel(QStringLiteral("Status &neuer Jungtiere"), nachzucht);
  statusLabel->setBuddy(nzStatus_);
  nb->addWidget(statusLabel);
  nb->addWidget(nzStatus_);
  connect(nzStatus_, &QComboBox::activated, this, [this](int index) {
    young_.setStatusForNew(nzStatus_->itemData(index).toLongLong());
  });
  nb->addStretch();
  nb->addWidget(nzSpeichern_);
  nb->addWidget(nzLoeschen_);
  nl->addLayout(nb);
  connect(nzSpeichern_, &QPushButton::clicked, this, [this] { NachzuchtSpeichernClick(); });
  connect(nzLoeschen_, &QPushButton::clicked, this, [this] { NachzuchtLoeschenClick(); });
  lower_->addTab(nachzucht, QStringLiteral("Nachzucht"));

  auto* gewichte = new QWidget;
  gewichte->setObjectName(QStringLiteral("TabSheetGewichte"));
  auto* gl = new QVBoxLayout(gewichte);
  gl->setContentsMargins(2, 2, 2, 2);
  // The litter's weighings behave as the card's weight table: a row is saved when its weight
  // is entered (Enter or leaving the cell), an empty row for the next weighing is always
  // offered, and the gains and the curve follow at once.
  weights_ = new QTableView(gewichte);
  weights_->setObjectName(QStringLiteral("DBGridGewichte"));
  weights_->setToolTip(QStringLiteral("Gewichte der Jungtiere"));
  weightModel_ = new card::ui::TGewichtModel(
      dm_.at(QStringLiteral("Jungtiere")), [] { return true; },  // the litter's save rule asks
      [this] { return dm_.today(); }, this);
  weightModel_->setMeanDecimals(2);
  weights_->setModel(weightModel_);
  weights_->verticalHeader()->hide();
  weights_->horizontalHeader()->setStretchLastSection(true);
  weights_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  connect(weightModel_, &card::ui::TGewichtModel::reloaded, this, [this] {
    showWeightCurve();
    updateButtons();
  });
  connect(weightModel_, &card::ui::TGewichtModel::pendingChanged, this, [this] { updateButtons(); });
  // The litter's weights as a growth curve beside the grid.
  auto* weightRow = new QHBoxLayout;
  weightRow->addWidget(weights_, 1);
  weightChart_ = card::ui::createGrowthChart(gewichte);
  weightChart_->setObjectName(QStringLiteral("WurfGewichtskurve"));
  weightChart_->setMinimumWidth(220);
  weightRow->addWidget(weightChart_, 1);
  gl->addLayout(weightRow, 1);
  auto* wb = new QHBoxLayout;
  gewRueck_ = new QPushButton(QStringLiteral("R&ückgängig"), gewichte);
  gewRueck_->setObjectName(QStringLiteral("BitBtnWurfbGewRueck"));
  gewRueck_->setToolTip(QStringLiteral("Gewichteingabe rückgängig machen"));
  gewLoeschen_ = new QPushButton(QStringLiteral("Zeile löschen"), gewichte);
  gewLoeschen_->setObjectName(QStringLiteral("BitBtn19"));
  gewLoeschen_->setToolTip(QStringLiteral("Zeile in Gewichtstabelle löschen"));
  wb->addStretch();
  wb->addWidget(gewRueck_);
  wb->addWidget(gewLoeschen_);
  gl->addLayout(wb);
  connect(gewRueck_, &QPushButton::clicked, this, [this] { GewichtRueckgaengigClick(); });
  connect(gewLoeschen_, &QPushButton::clicked, this, [this] { GewichtZeileLoeschenClick(); });
  lower_->addTab(gewichte, QStringLiteral("Gewichte"));

  auto* l = new QVBoxLayout(p);
  l->setContentsMargins(4, 4, 4, 4);
  l->addLayout(grid);
  l->addLayout(bar);
  l->addWidget(lower_, 1);
}

void TWurfbuchSeite::buildBuckView(QWidget* p) {
  p->setObjectName(QStringLiteral("WurfbuchRammler"));
  auto* l = new QVBoxLayout(p);
  l->setContentsMargins(0, 0, 0, 0);
  koerung_ = new TKoerungSeite(dm_, settings_,
                               {services_.pickDate, services_.showHelp, services_.previewBalance, services_.previewKoernote}, p);
  l->addWidget(koerung_);
}

QLineEdit* TWurfbuchSeite::rowRightTattoo(int i) const { return rowWidgets_.at(i).rechts; }
QLineEdit* TWurfbuchSeite::rowLeftWhole(int i) const { return rowWidgets_.at(i).whole; }
QLineEdit* TWurfbuchSeite::rowNumberPart(int i) const { return rowWidgets_.at(i).parts[2]; }
QLabel* TWurfbuchSeite::rowStatus(int i) const { return rowWidgets_.at(i).status; }
QLabel* TWurfbuchSeite::rowReason(int i) const { return rowWidgets_.at(i).reason; }

// ------------------------------------------------------------------ showing

void TWurfbuchSeite::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  reshow();
}

void TWurfbuchSeite::reshow() {
  Cursor& h = dm_.Hasen();
  const bool buck = h.isOpen() && h.hasRecord() && store::isBuck(h.field(QStringLiteral("Geschlecht")).asString());
  stack_->setCurrentIndex(buck ? 1 : 0);
  if (buck) {
    koerung_->showForBuck();
    return;
  }
  loadLitter();
  rebuildYoungRows();
  loadWeights();
  updateButtons();
}

void TWurfbuchSeite::animalChanged(const QDate& today) { koerung_->animalChanged(today); }

bool TWurfbuchSeite::leaving() { return stack_->currentIndex() != 1 || koerung_->leaving(); }

QTableView* TWurfbuchSeite::coveredDoesGrid() const { return koerung_->coveredDoesGrid(); }
QTableView* TWurfbuchSeite::buckYoungGrid() const { return koerung_->youngGrid(); }

void TWurfbuchSeite::loadLitter() {
  Cursor& w = wurfbuch();
  const bool has = w.isOpen() && w.hasRecord();
  const bool guard = loading_;
  loading_ = true;
  auto set = [&](QLineEdit* e, const QString& f) {
    const QString text = has ? w.field(f).asString() : QString();
    if (!e->hasFocus() || !e->isModified()) e->setText(text);
    e->setEnabled(has);
  };
  set(decktermin_, QStringLiteral("Decktermin"));
  set(wurftag_, QStringLiteral("Wurftag"));
  set(wurftermin_, QStringLiteral("Wurftermin"));
  set(figures_[0], QStringLiteral("WurfStMaennlich"));
  set(figures_[1], QStringLiteral("WurfStWeiblich"));
  set(figures_[2], QStringLiteral("WurfStTot"));
  set(rammler_, QStringLiteral("HaseName"));
  const QString memo = has ? w.field(QStringLiteral("Bemerkung")).asString() : QString();
  if (bemerkung_->toPlainText() != memo) bemerkung_->setPlainText(memo);
  bemerkung_->setEnabled(has);
  if (has && w.state() != DataSetState::Insert)
    position_->setText(QStringLiteral("Wurf %1 von %2").arg(w.recordNumber() + 1).arg(w.recordCount()));
  else
    position_->setText(has ? QStringLiteral("neuer Wurf") : QStringLiteral("keine Würfe"));
  loading_ = guard;
}

void TWurfbuchSeite::updateButtons() {
  Cursor& w = wurfbuch();
  const bool open = w.isOpen() && dm_.Hasen().hasRecord();
  rueckgaengig_->setEnabled(open && w.isEditing());
  loeschen_->setEnabled(open && w.hasRecord() && w.state() != DataSetState::Insert);
  hinzufuegen_->setEnabled(open);
  for (auto* b : nav_) b->setEnabled(open && w.hasRecord());
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  gewRueck_->setEnabled(j.isOpen() && j.isEditing());
  gewLoeschen_->setEnabled(j.isOpen() && j.hasRecord() && !j.isEmpty());
}

bool TWurfbuchSeite::writeBox(const QString& field, QLineEdit* box) {
  if (loading_ || !box->isModified()) return true;
  box->setModified(false);
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !w.hasRecord()) return false;
  const bool figure = field.startsWith(QStringLiteral("WurfSt"));
  QString error;
  if (figure && !box->text().trimmed().isEmpty() && !parseLitterFigure(box->text(), &error)) {
    store::dialogs().error(error);
    box->setText(w.field(field).asString());
    box->setFocus();
    return false;
  }
  try {
    if (w.field(field).asString() == box->text().trimmed()) return true;
    // The text is read here so that a refusal names the box as the page labels it.
    const engine::Field f = w.field(field);
    const engine::FieldInput input = engine::parseFieldInput(f.type(), f.size(), box->text().trimmed(), boxLabel(field));
    if (!input.ok()) {
      store::dialogs().error(input.error);
      box->setFocus();
      return false;
    }
    if (!w.isEditing()) w.edit();
    f.setValue(input.value);
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    box->setFocus();
    return false;
  }
  loadLitter();
  updateButtons();
  if (field == QStringLiteral("Wurftag")) rebuildYoungRows();
  return true;
}

QString TWurfbuchSeite::boxLabel(const QString& field) {
  static const std::pair<const char16_t*, const char16_t*> labels[] = {
      {u"Decktermin", u"Deckdatum"}, {u"Wurftag", u"Wurftag"}, {u"WurfStMaennlich", u"männlich"},
      {u"WurfStWeiblich", u"weiblich"}, {u"WurfStTot", u"tot"}};
  for (const auto& [f, label] : labels)
    if (field == QStringView(f)) return QString::fromUtf16(label);
  return field;
}

void TWurfbuchSeite::pickDate(const QString& field) {
  Cursor& w = wurfbuch();
  if (!w.isOpen() || !services_.pickDate) return;
  if (!w.hasRecord() && !(rules_ && rules_->addLitter())) return;
  const QDate initial = w.field(field).asDate();
  const std::optional<QDate> d = services_.pickDate(initial.isValid() ? initial : dm_.today());
  if (!d) return;
  try {
    if (!w.isEditing()) w.edit();
    w.field(field).setDate(*d);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  loadLitter();
  updateButtons();
  if (field == QStringLiteral("Wurftag")) rebuildYoungRows();
}

// ------------------------------------------------------------------ commands

void TWurfbuchSeite::HinzufuegenClick() {
  if (!rules_ || !rules_->addLitter()) return;
  young_.clear();
  drawYoungRows();
  loadLitter();
  updateButtons();
  loeschen_->setEnabled(false);
  decktermin_->setFocus();
}

void TWurfbuchSeite::LoeschenClick() {
  if (!rules_ || !rules_->deleteLitter()) return;
  loadLitter();
  rebuildYoungRows();
  loadWeights();
  updateButtons();
}

void TWurfbuchSeite::RueckgaengigClick() {
  if (rules_) rules_->undoLitter();
  loadLitter();
  rebuildYoungRows();
  updateButtons();
}

void TWurfbuchSeite::RammlerSuchenClick() {
  if (!rules_ || !services_.searchBuck) return;
  const std::optional<qint64> nummer = services_.searchBuck();
  if (!nummer) return;
  try {
    rules_->setBuck(*nummer);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  loadLitter();
  updateButtons();
}

void TWurfbuchSeite::NachzuchtSpeichernClick() {
  young_.save();
  loadLitter();
  updateButtons();
}

void TWurfbuchSeite::NachzuchtLoeschenClick() {
  young_.deleteYoung();
  drawYoungRows();
}

// ------------------------------------------------------------------ young-animal rows

void TWurfbuchSeite::rebuildYoungRows() {
  if (stack_->currentIndex() != 0) return;
  young_.build();
  {
    // The states anew (the list may have changed); the choice stays where it was.
    const QSignalBlocker block(nzStatus_);
    nzStatus_->clear();
    nzStatus_->addItem(QString(), QVariant(qint64(0)));
    for (const auto& st : dm_.states()) nzStatus_->addItem(st.name, QVariant(st.key));
    nzStatus_->setCurrentIndex(std::max(0, nzStatus_->findData(QVariant(young_.statusForNew()))));
  }
  drawYoungRows();
}

void TWurfbuchSeite::drawYoungRows() {
  rowsArea_->setUpdatesEnabled(false);
  while (QLayoutItem* item = rowsGrid_->takeAt(0)) {
    if (QWidget* w = item->widget()) delete w;
    delete item;
  }
  rowWidgets_.clear();
  const bool parts = young_.partsMode();
  const QString heads[] = {QStringLiteral("Nr."), QStringLiteral("Täto rechts"), QStringLiteral("Täto links"),
                           QStringLiteral("Geschlecht"), QStringLiteral("Rasse"), QStringLiteral("Farbe"),
                           QStringLiteral("Status")};
  for (int c = 0; c < 7; ++c) {
    auto* h = new QLabel(heads[c], rowsArea_);
    QFont f = h->font();
    f.setBold(true);
    h->setFont(f);
    rowsGrid_->addWidget(h, 0, c);
  }
  const QStringList breeds = dm_.breedNames();
  for (int i = 0; i < young_.rowCount(); ++i) {
    const YoungRow& r = young_.row(i);
    RowWidgets rw;
    const int gr = i + 1;
    rw.band = new QWidget(rowsArea_);
    rw.band->setObjectName(QStringLiteral("ShapeJungtier%1").arg(i + 1));
    rw.band->setAutoFillBackground(true);
    QPalette pal = rw.band->palette();
    pal.setColor(QPalette::Window, r.buck ? kBuckBand : kDoeBand);
    rw.band->setPalette(pal);
    rowsGrid_->addWidget(rw.band, gr, 0, 1, 7);
    auto* nr = new QLabel(QString::number(i + 1), rowsArea_);
    nr->setObjectName(QStringLiteral("Reihe%1").arg(i + 1));
    rowsGrid_->addWidget(nr, gr, 0);
    rw.rechts = lineEdit(rowsArea_, QStringLiteral("JungtierTaetoRechts%1").arg(i + 1), 70);
    rw.rechts->setMaxLength(8);
    rw.rechts->setText(r.tatoRechts);
    rowsGrid_->addWidget(rw.rechts, gr, 1);
    connect(rw.rechts, &QLineEdit::textEdited, this, [this, i](const QString& t) { young_.setRightTattoo(i, t); });
    auto* left = new QWidget(rowsArea_);
    auto* ll = new QHBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->setSpacing(1);
    if (parts) {
      const QString pn[] = {QStringLiteral("JungtierTaetoLinks1%1"), QStringLiteral("JungtierTaetoLinks2%1"),
                            QStringLiteral("JungtierTaetoLinks3%1")};
      const QString pv[] = {r.month, r.year, r.number};
      const int widths[] = {28, 28, 44};
      for (int k = 0; k < 3; ++k) {
        rw.parts[k] = lineEdit(left, pn[k].arg(i + 1), widths[k]);
        rw.parts[k]->setValidator(new QIntValidator(0, 99999, rw.parts[k]));
        rw.parts[k]->setText(pv[k]);
        ll->addWidget(rw.parts[k]);
        if (k < 2) ll->addWidget(new QLabel(QStringLiteral("."), left));
        const auto part = static_cast<TNachzucht::Part>(k);
        connect(rw.parts[k], &QLineEdit::textEdited, this, [this, i, part, k](const QString& t) {
          if (!young_.setPart(i, part, t)) rowWidgets_.at(i).parts[k]->clear();
        });
      }
      connect(rw.parts[2], &QLineEdit::editingFinished, this, [this, i] {
        young_.leaveNumber(i);
        for (int k = i + 1; k < young_.rowCount(); ++k) rowWidgets_.at(k).parts[2]->setText(young_.row(k).number);
      });
    } else {
      rw.whole = lineEdit(left, QStringLiteral("JungtierTaetoLinksGanz%1").arg(i + 1), 100);
      rw.whole->setMaxLength(10);
      rw.whole->setText(r.whole);
      ll->addWidget(rw.whole);
      connect(rw.whole, &QLineEdit::textEdited, this, [this, i](const QString& t) { young_.setWhole(i, t); });
      connect(rw.whole, &QLineEdit::editingFinished, this, [this, i] {
        young_.leaveNumber(i);
        for (int k = i + 1; k < young_.rowCount(); ++k) rowWidgets_.at(k).whole->setText(young_.row(k).whole);
      });
    }
    ll->addStretch();
    rowsGrid_->addWidget(left, gr, 2);
    auto* sex = new QLabel(r.sexText(), rowsArea_);
    sex->setObjectName(QStringLiteral("JungtierGeschlecht%1").arg(i + 1));
    rowsGrid_->addWidget(sex, gr, 3);
    rw.rasse = new QComboBox(rowsArea_);
    rw.rasse->setObjectName(QStringLiteral("JungtierRasse%1").arg(i + 1));
    rw.rasse->addItem(QString());
    rw.rasse->addItems(breeds);
    rw.rasse->setCurrentText(r.rasse);
    rowsGrid_->addWidget(rw.rasse, gr, 4);
    rw.farbe = new QComboBox(rowsArea_);
    rw.farbe->setObjectName(QStringLiteral("JungtierFarbe%1").arg(i + 1));
    rw.farbe->addItem(QString());
    rw.farbe->addItems(r.farben);
    rw.farbe->setCurrentText(r.farbe);
    rw.farbe->setEnabled(r.farbeEnabled);
    rowsGrid_->addWidget(rw.farbe, gr, 5);
    connect(rw.rasse, &QComboBox::activated, this, [this, i](int) {
      young_.setBreed(i, rowWidgets_.at(i).rasse->currentText());
      QComboBox* f = rowWidgets_.at(i).farbe;
      f->clear();
      f->addItem(QString());
      f->addItems(young_.row(i).farben);
      f->setEnabled(young_.row(i).farbeEnabled);
    });
    connect(rw.farbe, &QComboBox::activated, this, [this, i](int) { young_.setColour(i, rowWidgets_.at(i).farbe->currentText()); });
    rw.status = new QLabel(rowsArea_);
    rw.status->setObjectName(QStringLiteral("Status%1").arg(i + 1));
    rw.status->setMinimumWidth(50);
    rowsGrid_->addWidget(rw.status, gr, 6);
    rw.reason = new QLabel(rowsArea_);
    rw.reason->setObjectName(QStringLiteral("Grund%1").arg(i + 1));
    rw.reason->setStyleSheet(QStringLiteral("color: red;"));
    rowsGrid_->addWidget(rw.reason, gr, 7);
    rowWidgets_.push_back(rw);
  }
  rowsGrid_->setRowStretch(young_.rowCount() + 1, 1);
  rowsGrid_->setColumnStretch(8, 1);
  rowsArea_->setUpdatesEnabled(true);
  refreshYoungStatus();
}

void TWurfbuchSeite::refreshYoungStatus() {
  for (int i = 0; i < young_.rowCount() && i < static_cast<int>(rowWidgets_.size()); ++i) {
    const YoungRow& r = young_.row(i);
    QLabel* s = rowWidgets_[i].status;
    s->setText(statusText(r.status));
    s->setStyleSheet(r.status == RowStatus::Fehler ? QStringLiteral("color: red; font-weight: bold;") : QString());
    s->setToolTip(r.reason);
    rowWidgets_[i].reason->setText(r.status == RowStatus::Fehler ? r.reason : QString());
  }
  nzSpeichern_->setEnabled(young_.saveEnabled());
  nzLoeschen_->setEnabled(young_.deleteEnabled());
  if (young_.saveEnabled()) rueckgaengig_->setEnabled(true);
}

// ------------------------------------------------------------------ weights

void TWurfbuchSeite::loadWeights() {
  // The model follows the cursor "Jungtiere" by itself; the grid takes weighings only for a
  // stored litter.
  weights_->setEnabled(wurfbuch().hasRecord() && wurfbuch().state() != DataSetState::Insert);
  showWeightCurve();
  updateButtons();
}

void TWurfbuchSeite::showWeightCurve() {
  Cursor& j = dm_.at(QStringLiteral("Jungtiere"));
  card::ui::Wachstumsdaten curve;
  curve.titel = QStringLiteral("Wurfgewichte");
  if (j.isOpen() && wurfbuch().hasRecord() && wurfbuch().state() != DataSetState::Insert) {
    const int dIdx = j.fieldIndex(QStringLiteral("Datum"));
    const int gIdx = j.fieldIndex(QStringLiteral("Gewicht"));
    try {
      for (const auto& row : j.readRows(0, 1000))
        if (row[dIdx].toDate().isValid() && !row[gIdx].isNull())
          curve.punkte.emplace_back(row[dIdx].toDate(), row[gIdx].toDouble());
    } catch (const engine::EngineError&) {
      // The grid has reported the table; the curve stays empty.
    }
  }
  card::ui::showGrowthChart(weightChart_, curve);
}

void TWurfbuchSeite::GewichtRueckgaengigClick() {
  weightModel_->undo();
  loadWeights();
}

void TWurfbuchSeite::GewichtZeileLoeschenClick() {
  const int row = weights_->currentIndex().isValid() ? weights_->currentIndex().row() : -1;
  if (row >= 0 && row < weightModel_->storedRows()) weightModel_->moveTo(row);
  if (rules_) rules_->deleteWeightRow();
  loadWeights();
}

}  // namespace lapiro::breeding::ui
