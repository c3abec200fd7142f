#include "breeding/ui/koerung_page.h"

#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "engine/field_input.h"
#include "shell/system_info.h"
#include "shows/show_score.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/ui/field_edit.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

using engine::Cursor;

namespace {

const QString kLitterMime = QStringLiteral("application/x-lapiro-litter");

// The covered-does list of the evaluation page: a row can be dragged onto a doe panel. The
// drag carries the litter's LaufendeNummer.
class LitterDragTable : public QTableView {
 public:
  using QTableView::QTableView;
  std::function<std::optional<qint64>()> currentLitter;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    QTableView::mousePressEvent(e);
    if (e->button() == Qt::LeftButton) pressPos_ = e->position().toPoint();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton) || !currentLitter ||
        (e->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) {
      QTableView::mouseMoveEvent(e);
      return;
    }
    const std::optional<qint64> litter = currentLitter();
    if (!litter) return;
    auto* mime = new QMimeData;
    mime->setData(kLitterMime, QByteArray::number(*litter));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
  }

 private:
  QPoint pressPos_;
};

// Score cells take digits and one decimal comma only; other keys are swallowed.
class ScoreDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(5);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}(,[0-9]?)?")), e));
    return e;
  }
};

QLabel* bold(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

QToolButton* pickButton(QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setText(QStringLiteral("…"));
  b->setToolTip(QStringLiteral("Datum aus dem Kalender wählen"));
  return b;
}

QLineEdit* dateEdit(const QString& name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(10);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) + 12);
  return e;
}

// `before`, the seven judging positions "1" … "7", then `after`.
std::vector<engine::CursorModel::Column> withPositions(std::vector<engine::CursorModel::Column> before,
                                                      const std::vector<engine::CursorModel::Column>& after) {
  const auto& names = shows::positionFieldNames();
  for (size_t i = 0; i < names.size(); ++i) before.push_back({names[i], QString::number(i + 1), 3});
  before.insert(before.end(), after.begin(), after.end());
  return before;
}

// The judged-litter grids size their columns to what the rows show, whenever rows come, change
// or scroll into view (sized once, a later or longer row was cut off).
void fitColumnsToContents(QTableView* grid) {
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  grid->horizontalHeader()->setStretchLastSection(false);
}

// Inner margin of the boxes "Insgesamt", "Prädikat" and "Fehlpunkte".
constexpr int kTotalsMargin = 2;

QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString optionalText(const std::optional<int>& v) { return v ? QString::number(*v) : QString(); }

}  // namespace

// A panel that takes a dropped litter ("1. Häsin" / "2. Häsin").
class LitterDropPanel : public QFrame {
 public:
  LitterDropPanel(int panel, const QString& caption, QWidget* parent) : QFrame(parent), panel_(panel) {
    setObjectName(QStringLiteral("PanelHaesin%1").arg(panel));
    setFrameShape(QFrame::StyledPanel);
    setAcceptDrops(true);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(6, 4, 6, 4);
    l->addWidget(bold(caption, this));
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("LabelHaesin%1").arg(panel));
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(QStringLiteral("ABCDEFGH 12.24.1234")));
    l->addWidget(text_);
    wurftag_ = new QLabel(this);
    l->addWidget(wurftag_);
  }
  std::function<void(int, qint64)> dropped;
  QLabel* text() const { return text_; }
  void show(const QString& name, const QDate& day) {
    text_->setText(name);
    wurftag_->setText(day.isValid() ? QStringLiteral("Wurftag  ") + dayText(day) : QString());
  }

 protected:
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (e->mimeData()->hasFormat(kLitterMime)) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    bool ok = false;
    const qint64 litter = e->mimeData()->data(kLitterMime).toLongLong(&ok);
    if (!ok) return;
    e->acceptProposedAction();
    if (dropped) dropped(panel_, litter);
  }

 private:
  int panel_;
  QLabel* text_ = nullptr;
  QLabel* wurftag_ = nullptr;
};

TKoerungSeite::TKoerungSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, KoerungPageServices services,
                             QWidget* parent)
    : QTabWidget(parent), dm_(dm), settings_(settings), services_(std::move(services)), logic_(dm, settings) {
  setObjectName(QStringLiteral("PageControlKoerung"));
  auto* p1 = new QWidget(this);
  auto* p2 = new QWidget(this);
  auto* p3 = new QWidget(this);
  buildEvaluationPage(p1);
  buildBalancePage(p2);
  buildComputationPage(p3);
  addTab(p1, QStringLiteral("Bewertung der Jungtiere / Ausw. der Häsinnen für Körung"));
  addTab(p2, QStringLiteral("Ausgeglichenheit eines Wurfes"));
  addTab(p3, QStringLiteral("Berechnung der Körnote"));
  setCurrentIndex(PageBerechnung);
  shownPage_ = PageBerechnung;
  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    if (reverting_) return;
    // Leaving the evaluation page saves its pending scores; scores that cannot be saved keep
    // the page open, so that nothing typed is lost.
    if (shownPage_ == PageBewertung && index != PageBewertung && !leaving()) {
      reverting_ = true;
      setCurrentIndex(PageBewertung);
      reverting_ = false;
      return;
    }
    shownPage_ = index;
    pageShown(index);
  });
}

TKoerungSeite::~TKoerungSeite() {
  // The children go after this part of the object: neither a signal nor a date box losing
  // the focus may reach back into it.
  for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
  for (QLineEdit* e : {datumBewertung_, datumKoerung_, datumBerechnung_}) delete store::ui::FieldEdit::of(e);
}

QLabel* TKoerungSeite::panelText(int panel) const { return panels_[panel == 2 ? 1 : 0]->text(); }

// ------------------------------------------------------------------ building

QPushButton* TKoerungSeite::helpButton(QWidget* p) {
  auto* help = new QPushButton(QStringLiteral("&Hilfe"), p);
  connect(help, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeKoerung);
  });
  return help;
}

std::pair<QLineEdit*, QToolButton*> TKoerungSeite::judgingDayBox(const QString& name, const QString& caption, QWidget* p) {
  QLineEdit* edit = dateEdit(name, p);
  store::ui::FieldEdit::attach(edit, engine::FieldType::Date, 0, caption, [this, edit](const QVariant&) {
    if (!loading_) judgingDayTyped(edit);
    return true;
  });
  auto* pick = pickButton(p);
  connect(pick, &QToolButton::clicked, this, [this, edit] { pickInto(edit); });
  return {edit, pick};
}

void TKoerungSeite::buildEvaluationPage(QWidget* p) {
  p->setObjectName(QStringLiteral("TabBewertung"));
  auto* table = new LitterDragTable(p);
  auswahl_ = table;
  auswahl_->setObjectName(QStringLiteral("DBGridHaesinnenAuswahl"));
  auswahlModel_ = new engine::CursorModel(&dm_.at(QStringLiteral("GedeckteHaesinnen")), auswahl_);
  auswahlModel_->setColumns({{QStringLiteral("NameHaesin"), QStringLiteral("Haesin"), 19},
                             {QStringLiteral("Wurftag"), QStringLiteral("Wurftag"), 10},
                             {QStringLiteral("Geboren"), QStringLiteral("Geb."), 4},
                             {QStringLiteral("aufgezogen"), QStringLiteral("Aufg."), 4}});
  auswahl_->setModel(auswahlModel_);
  auswahl_->setSelectionBehavior(QAbstractItemView::SelectRows);
  auswahl_->setSelectionMode(QAbstractItemView::SingleSelection);
  auswahl_->verticalHeader()->hide();
  fitColumnsToContents(auswahl_);
  table->currentLitter = [this]() -> std::optional<qint64> {
    Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
    if (!g.isOpen() || !g.hasRecord() || g.isEmpty()) return std::nullopt;
    return g.field(QStringLiteral("LaufendeNummer")).asInteger();
  };
  connect(auswahl_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
    if (busy_ || !i.isValid()) return;
    if (auswahlModel_->currentRow() != i.row()) auswahlModel_->moveTo(i.row());
  });
  connect(auswahlModel_, &engine::CursorModel::currentChanged, this, [this](int) {
    if (!busy_) coveredDoeMoved();
  });

  auto* choose1 = new QPushButton(QStringLiteral("Als &1. Häsin"), p);
  choose1->setObjectName(QStringLiteral("ButtonHaesin1"));
  choose1->setToolTip(QStringLiteral("Den gewählten Wurf als 1. Häsin für die Körung nehmen (oder die Zeile auf das Feld ziehen)"));
  auto* choose2 = new QPushButton(QStringLiteral("Als &2. Häsin"), p);
  choose2->setObjectName(QStringLiteral("ButtonHaesin2"));
  choose2->setToolTip(QStringLiteral("Den gewählten Wurf als 2. Häsin für die Körung nehmen (oder die Zeile auf das Feld ziehen)"));
  connect(choose1, &QPushButton::clicked, this, [this] { chooseSelectedLitter(1); });
  connect(choose2, &QPushButton::clicked, this, [this] { chooseSelectedLitter(2); });

  auto* panelsBox = new QGroupBox(QStringLiteral("Häsinnen für Körung"), p);
  auto* pl = new QHBoxLayout(panelsBox);
  for (int i = 0; i < 2; ++i) {
    panels_[i] = new LitterDropPanel(i + 1, QStringLiteral("%1. Häsin").arg(i + 1), panelsBox);
    panels_[i]->dropped = [this](int panel, qint64 litter) { chooseLitter(panel, litter); };
    pl->addWidget(panels_[i]);
  }

  auto [datumBewertung, pick] = judgingDayBox(QStringLiteral("EditDatumBewertung"), QStringLiteral("Bewertung am"), p);
  datumBewertung_ = datumBewertung;

  scores_ = new QTableWidget(0, 9, p);
  scores_->setObjectName(QStringLiteral("StringGridBewertung"));
  scores_->setHorizontalHeaderLabels({QStringLiteral("Jungtiere"), QStringLiteral("Geschl."), QStringLiteral("1"),
                                      QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                      QStringLiteral("6"), QStringLiteral("7")});
  scores_->verticalHeader()->hide();
  scores_->setItemDelegate(new ScoreDelegate(scores_));
  scores_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  scores_->setSelectionMode(QAbstractItemView::SingleSelection);
  const int digit = scores_->fontMetrics().horizontalAdvance(QStringLiteral("00,0")) + 14;
  scores_->setColumnWidth(0, scores_->fontMetrics().horizontalAdvance(QStringLiteral("ABCDEFGH 12.24.1234")) + 14);
  scores_->setColumnWidth(1, scores_->fontMetrics().horizontalAdvance(QStringLiteral("Geschl.")) + 14);
  for (int c = 2; c < 9; ++c) scores_->setColumnWidth(c, digit);
  connect(scores_, &QTableWidget::cellChanged, this, [this](int r, int c) { scoreCellChanged(r, c); });
  connect(scores_, &QTableWidget::currentCellChanged, this, [this](int r, int, int previous, int) {
    if (r >= 0 && r != previous) showRowFigures(r);
  });

  insgesamt_ = new QLabel(p);
  insgesamt_->setObjectName(QStringLiteral("LabelInsgesamt"));
  praedikat_ = new QLabel(p);
  praedikat_->setObjectName(QStringLiteral("LabelPraedikat"));
  fehlpunkte_ = new QLabel(p);
  fehlpunkte_->setObjectName(QStringLiteral("LabelFehlpunkte"));
  for (QLabel* l : {insgesamt_, praedikat_, fehlpunkte_}) {
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    // Room around the text inside the frame, and for the longest grade and a text's descenders.
    l->setMargin(kTotalsMargin);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("nicht befriedigend")) + 2 * l->frameWidth() +
                       2 * kTotalsMargin + 4);
    l->setMinimumHeight(l->fontMetrics().height() + 2 * l->frameWidth() + 2 * kTotalsMargin);
  }

  auto* save = new QPushButton(QStringLiteral("Jungtierbewertungen &speichern"), p);
  save->setObjectName(QStringLiteral("ButtonBewertungSpeichern"));
  connect(save, &QPushButton::clicked, this, [this] { JungtierbewertungenSpeichernClick(); });
  auto* help = helpButton(p);

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("Gedeckte Häsinnen im Zuchtjahr"), p));
  left->addWidget(auswahl_, 1);
  auto* chooseRow = new QHBoxLayout;
  chooseRow->addWidget(choose1);
  chooseRow->addWidget(choose2);
  chooseRow->addStretch();
  left->addLayout(chooseRow);
  left->addWidget(panelsBox);

  auto* right = new QVBoxLayout;
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(new QLabel(QStringLiteral("Jungtiere - Bewertung am"), p));
  dateRow->addWidget(datumBewertung_);
  dateRow->addWidget(pick);
  dateRow->addStretch();
  right->addLayout(dateRow);
  right->addWidget(scores_, 1);
  auto* totals = new QGridLayout;
  totals->addWidget(new QLabel(QStringLiteral("Insgesamt"), p), 0, 0);
  totals->addWidget(new QLabel(QStringLiteral("Prädikat"), p), 0, 1);
  totals->addWidget(new QLabel(QStringLiteral("Fehlpunkte"), p), 0, 2);
  totals->addWidget(insgesamt_, 1, 0);
  totals->addWidget(praedikat_, 1, 1);
  totals->addWidget(fehlpunkte_, 1, 2);
  totals->setColumnStretch(3, 1);
  right->addLayout(totals);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addStretch();
  buttons->addWidget(help);
  right->addLayout(buttons);

  auto* l = new QHBoxLayout(p);
  l->setContentsMargins(4, 4, 4, 4);
  l->addLayout(left, 2);
  l->addLayout(right, 3);
}

void TKoerungSeite::buildBalancePage(QWidget* p) {
  p->setObjectName(QStringLiteral("TabAusgeglichenheit"));
  auto [datumKoerung, pick] = judgingDayBox(QStringLiteral("EditDatumKoerung"), QStringLiteral("Körung am"), p);
  datumKoerung_ = datumKoerung;

  buckLine_ = new QTableWidget(1, 11, p);
  buckLine_->setObjectName(QStringLiteral("GridRammler"));
  buckLine_->setHorizontalHeaderLabels({QStringLiteral("Rammler"), QStringLiteral("1"), QStringLiteral("2"),
                                        QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                                        QStringLiteral("7"), QStringLiteral("Insgesamt"), QStringLiteral("Fehlpunkte"),
                                        QStringLiteral("Prädikat")});
  buckLine_->verticalHeader()->hide();
  buckLine_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  buckLine_->setFocusPolicy(Qt::NoFocus);
  buckLine_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  buckLine_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  buckLine_->setFixedHeight(buckLine_->horizontalHeader()->sizeHint().height() + buckLine_->verticalHeader()->defaultSectionSize() + 4);

  gedeckte_ = new QTableView(p);
  gedeckte_->setObjectName(QStringLiteral("DBGridGedeckteHaesinnen"));
  gedeckteModel_ = new engine::CursorModel(&dm_.at(QStringLiteral("GedeckteHaesinnen")), gedeckte_);
  gedeckteModel_->setColumns(withPositions({{QStringLiteral("NameHaesin"), QStringLiteral("Haesin"), 19},
                                            {QStringLiteral("Decktermin"), QStringLiteral("Deckdatum"), 10},
                                            {QStringLiteral("Wurftag"), QStringLiteral("Wurftag"), 10},
                                            {QStringLiteral("Geboren"), QStringLiteral("Geb."), 4},
                                            {QStringLiteral("aufgezogen"), QStringLiteral("Aufg."), 4},
                                            {QStringLiteral("WurfStTot"), QStringLiteral("Tot"), 3}},
                                           {{QStringLiteral("GesamtPunkte"), QStringLiteral("Insges."), 5},
                                            {QStringLiteral("Fehlpunkte"), QStringLiteral("Fehlpkte"), 9}}));
  gedeckte_->setModel(gedeckteModel_);
  gedeckte_->setSelectionBehavior(QAbstractItemView::SelectRows);
  gedeckte_->setSelectionMode(QAbstractItemView::SingleSelection);
  gedeckte_->verticalHeader()->hide();
  fitColumnsToContents(gedeckte_);
  connect(gedeckte_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
    if (busy_ || !i.isValid()) return;
    if (gedeckteModel_->currentRow() != i.row()) gedeckteModel_->moveTo(i.row());
  });
  doeGrade_ = new QLabel(p);
  doeGrade_->setObjectName(QStringLiteral("LabelPraedikatHaesin"));

  nachzucht_ = new QTableView(p);
  nachzucht_->setObjectName(QStringLiteral("DBGridRammlerJungtiere"));
  nachzuchtModel_ = new engine::CursorModel(&dm_.at(QStringLiteral("RammlerJungtiere")), nachzucht_);
  nachzuchtModel_->setColumns(withPositions({{QStringLiteral("GeschlechtAnzeige"), QStringLiteral("Geschl."), 3},
                                             {QStringLiteral("TatoRechts"), QStringLiteral("Täto re."), 8},
                                             {QStringLiteral("TatoLinks"), QStringLiteral("Täto li."), 10}},
                                            {{QStringLiteral("GesamtPunkteAnzeige"), QStringLiteral("Insges."), 5},
                                             {QStringLiteral("Fehlpunkte"), QStringLiteral("Fehlpkte"), 9}}));
  nachzucht_->setModel(nachzuchtModel_);
  nachzucht_->setSelectionBehavior(QAbstractItemView::SelectRows);
  nachzucht_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  nachzucht_->verticalHeader()->hide();
  fitColumnsToContents(nachzucht_);
  connect(nachzucht_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
    if (i.isValid() && nachzuchtModel_->currentRow() != i.row()) nachzuchtModel_->moveTo(i.row());
    showSelectedGrades();
  });
  youngGrade_ = new QLabel(p);
  youngGrade_->setObjectName(QStringLiteral("LabelPraedikatJungtier"));

  auto* print = new QPushButton(QStringLiteral("&Druck Ausgeglichenheit"), p);
  print->setObjectName(QStringLiteral("ButtonDruckAusgeglichenheit"));
  connect(print, &QPushButton::clicked, this, [this] { DruckAusgeglichenheitClick(); });
  auto* help = helpButton(p);

  auto* l = new QVBoxLayout(p);
  l->setContentsMargins(4, 4, 4, 4);
  auto* head = new QHBoxLayout;
  head->addWidget(bold(QStringLiteral("Ausgeglichenheit eines Wurfes bei der Körung am "), p));
  head->addWidget(datumKoerung_);
  head->addWidget(pick);
  head->addStretch();
  l->addLayout(head);
  l->addWidget(buckLine_);
  l->addWidget(new QLabel(QStringLiteral("Häsinnen"), p));
  l->addWidget(gedeckte_, 2);
  auto* dg = new QHBoxLayout;
  dg->addWidget(new QLabel(QStringLiteral("Prädikat : "), p));
  dg->addWidget(doeGrade_, 1);
  l->addLayout(dg);
  l->addWidget(new QLabel(QStringLiteral("Nachzucht"), p));
  auto* young = new QHBoxLayout;
  young->addWidget(nachzucht_, 1);
  auto* yg = new QVBoxLayout;
  yg->addWidget(new QLabel(QStringLiteral("Prädikat : "), p));
  yg->addWidget(youngGrade_);
  yg->addStretch();
  yg->addWidget(print);
  yg->addWidget(help);
  young->addLayout(yg);
  l->addLayout(young, 2);
}

void TKoerungSeite::buildComputationPage(QWidget* p) {
  p->setObjectName(QStringLiteral("TabBerechnung"));
  datumBerechnung_ = dateEdit(QStringLiteral("EditBerechnungKoerung"), p);
  store::ui::FieldEdit::attach(datumBerechnung_, engine::FieldType::Date, 0, QStringLiteral("Körung am"),
                               [this](const QVariant&) {
                                 if (!loading_) koerungChanged_ = true;
                                 return true;
                               });
  auto* pick = pickButton(p);
  connect(pick, &QToolButton::clicked, this, [this] {
    pickInto(datumBerechnung_);
    if (!loading_) koerungChanged_ = true;
  });

  auto* g = new QGridLayout;
  g->setColumnStretch(2, 1);
  static const char16_t* const kNumbers[] = {u"1.)", u"2.)", u"3.)", u"4.)", u"5.)"};
  static const char16_t* const kTitles[] = {u"Vorfahren, Abstammung", u"Ausgeglichenheit", u"Ausgeglichenheit",
                                            u"Bewertung des Rammlers ", u"Wollwertrichtzahl"};
  for (int i = 0; i < 5; ++i) {
    auto* number = bold(QString::fromUtf16(kNumbers[i]), p);
    auto* title = bold(QString::fromUtf16(kTitles[i]), p);
    itemText_[i] = new QLabel(p);
    itemText_[i]->setObjectName(QStringLiteral("LabelPosition%1").arg(i + 1));
    // The items' texts take several lines (items 2 and 3 four) and wrap on narrow cards.
    itemText_[i]->setWordWrap(true);
    itemText_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    itemText_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    punkte_[i] = new QLineEdit(p);
    punkte_[i]->setObjectName(QStringLiteral("EditLeistungspunkte%1").arg(i + 1));
    punkte_[i]->setMaxLength(2);
    punkte_[i]->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), punkte_[i]));
    punkte_[i]->setFixedWidth(punkte_[i]->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    punkte_[i]->setAlignment(Qt::AlignRight);
    connect(punkte_[i], &QLineEdit::textEdited, this, [this] {
      koerungChanged_ = true;
      recomputeSum();
    });
    auto* lp = new QLabel(QStringLiteral("Leistungspunkte"), p);
    g->addWidget(number, i, 0, Qt::AlignTop);
    g->addWidget(title, i, 1, Qt::AlignTop);
    g->addWidget(itemText_[i], i, 2);
    g->addWidget(punkte_[i], i, 3, Qt::AlignTop);
    g->addWidget(lp, i, 4, Qt::AlignTop);
    if (i == 4) {
      woolRow_[0] = number;
      woolRow_[1] = title;
      woolRow_[2] = lp;
    }
  }
  koernote_ = new QLineEdit(p);
  koernote_->setObjectName(QStringLiteral("EditKoernote"));
  koernote_->setReadOnly(true);
  koernote_->setFocusPolicy(Qt::NoFocus);
  koernote_->setAlignment(Qt::AlignRight);
  koernote_->setFixedWidth(punkte_[0]->width());
  g->addWidget(bold(QStringLiteral("Ermittelte Körnote: "), p), 5, 1, 1, 2, Qt::AlignRight);
  g->addWidget(koernote_, 5, 3);
  g->addWidget(new QLabel(QStringLiteral("Leistungspunkte"), p), 5, 4);

  auto* druck = new QPushButton(QStringLiteral("Druc&k Körnote"), p);
  druck->setObjectName(QStringLiteral("ButtonDruckKoernote"));
  auto* loeschen = new QPushButton(QStringLiteral("Körung &löschen"), p);
  loeschen->setObjectName(QStringLiteral("ButtonKoerungLoeschen"));
  auto* berechnen = new QPushButton(QStringLiteral("Körnote &berechnen"), p);
  berechnen->setObjectName(QStringLiteral("ButtonKoernoteBerechnen"));
  auto* speichern = new QPushButton(QStringLiteral("Körung &speichern"), p);
  speichern->setObjectName(QStringLiteral("ButtonKoerungSpeichern"));
  auto* help = new QPushButton(QStringLiteral("&Hilfe"), p);
  connect(druck, &QPushButton::clicked, this, [this] { DruckKoernoteClick(); });
  connect(loeschen, &QPushButton::clicked, this, [this] { KoerungLoeschenClick(); });
  connect(berechnen, &QPushButton::clicked, this, [this] { KoernoteBerechnenClick(); });
  connect(speichern, &QPushButton::clicked, this, [this] { KoerungSpeichernClick(); });
  connect(help, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHilfeKoerung);
  });

  auto* l = new QVBoxLayout(p);
  l->setContentsMargins(6, 6, 6, 6);
  auto* head = new QHBoxLayout;
  head->addWidget(bold(QStringLiteral("Berechnung der Körnote bei der Körung am "), p));
  head->addWidget(datumBerechnung_);
  head->addWidget(pick);
  head->addStretch();
  l->addLayout(head);
  l->addLayout(g);
  l->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(druck);
  buttons->addWidget(loeschen);
  buttons->addStretch();
  buttons->addWidget(berechnen);
  buttons->addWidget(speichern);
  buttons->addWidget(help);
  l->addLayout(buttons);
}

// ------------------------------------------------------------------ dates

QDate TKoerungSeite::dateOf(const QLineEdit* edit) const {
  return engine::parseGermanDate(edit->text().trimmed()).value_or(QDate());
}

void TKoerungSeite::setDate(QLineEdit* edit, const QDate& d) {
  const bool guard = loading_;
  loading_ = true;
  if (auto* fe = store::ui::FieldEdit::of(edit)) fe->show(d.isValid() ? QVariant(d) : QVariant());
  else edit->setText(dayText(d));
  loading_ = guard;
}

void TKoerungSeite::pickInto(QLineEdit* edit) {
  if (!services_.pickDate) return;
  const QDate initial = dateOf(edit);
  const std::optional<QDate> d = services_.pickDate(initial.isValid() ? initial : dm_.today());
  if (!d) return;
  setDate(edit, *d);
  if (edit == datumKoerung_ || edit == datumBewertung_) judgingDayTyped(edit);
}

QDate TKoerungSeite::firstYoungEvaluationDay() {
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  if (!r.isOpen() || r.isEmpty()) return {};
  const QVariant mark = r.bookmark();
  r.first();
  const QDate d = r.field(QStringLiteral("DatumBewertung")).asDate();
  r.gotoBookmark(mark);
  return d;
}

void TKoerungSeite::judgingDayTyped(QLineEdit* edit) {
  // A litter already judged keeps its judging day; otherwise the typed day chooses the
  // breeding year.
  const QDate judged = firstYoungEvaluationDay();
  if (judged.isValid()) {
    setDate(edit, judged);
    return;
  }
  const QDate typed = dateOf(edit);
  if (!typed.isValid()) return;
  busy_ = true;
  logic_.applyBreedingYear(typed);
  busy_ = false;
  coveredDoeMoved();
}

// ------------------------------------------------------------------ showing

void TKoerungSeite::showForBuck() {
  busy_ = true;
  logic_.positionBestShowRow();
  busy_ = false;
  pageShown(currentIndex());
}

void TKoerungSeite::animalChanged(const QDate& today) {
  if (evaluationChanged_) savePendingScores(true);
  evaluationChanged_ = false;
  koerungChanged_ = false;
  setDate(datumKoerung_, today);
  setDate(datumBewertung_, {});
  rows_.clear();
  scores_->setRowCount(0);
}

bool TKoerungSeite::leaving() {
  if (evaluationChanged_) savePendingScores(true);
  return !evaluationChanged_;
}

void TKoerungSeite::pageShown(int index) {
  Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !h.hasRecord()) return;
  if (index == PageBewertung) showEvaluationPage();
  else if (index == PageAusgeglichenheit) showBalancePage();
  else showComputationPage();
}

void TKoerungSeite::showEvaluationPage() {
  evaluationChanged_ = false;
  lastShownRow_ = 0;
  const QDate koerung = dateOf(datumKoerung_);
  busy_ = true;
  if (koerung.isValid()) logic_.applyBreedingYear(koerung);
  busy_ = false;
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  if (g.isOpen() && !g.isEmpty()) setDate(datumBewertung_, koerung.isValid() ? koerung : dm_.today());
  showPanels();
  if (g.isOpen() && !g.isEmpty()) g.first();
  coveredDoeMoved();
  auswahl_->setFocus();
}

void TKoerungSeite::showPanels() {
  busy_ = true;
  const KoerungRecord rec = logic_.record();
  for (int i = 0; i < 2; ++i) {
    const std::optional<qint64>& litter = i == 0 ? rec.haesin1 : rec.haesin2;
    std::optional<CoveredLitter> found;
    if (litter) found = logic_.litterByNumber(*litter);
    panels_[i]->show(found ? found->nameHaesin : QString(), found ? found->wurftag : QDate());
  }
  busy_ = false;
}

void TKoerungSeite::showBalancePage() {
  const KoerungRecord rec = logic_.record();
  busy_ = true;
  if (rec.saved && rec.datum.isValid()) {
    logic_.applyBreedingYear(rec.datum);
  } else {
    QDate day = dateOf(datumKoerung_);
    if (!day.isValid()) day = dm_.today();
    logic_.applyBreedingYear(day);
  }
  busy_ = false;
  coveredDoeMoved();
  const QDate judged = firstYoungEvaluationDay();
  if (rec.saved && rec.datum.isValid()) {
    if (judged.isValid()) setDate(datumKoerung_, judged);
  } else {
    setDate(datumKoerung_, judged.isValid() ? judged : dm_.today());
  }
  showBuckLine();
  datumKoerung_->setFocus();
}

void TKoerungSeite::showBuckLine() {
  Cursor& h = dm_.Hasen();
  Cursor& a = dm_.at(QStringLiteral("Ausstellung"));
  buckLine_->clearContents();
  auto put = [&](int c, const QString& t) {
    auto* item = new QTableWidgetItem(t);
    if (c > 0 && c < 9) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    buckLine_->setItem(0, c, item);
  };
  put(0, h.field(QStringLiteral("Name")).asString());
  if (logic_.bestShowTotal() && a.isOpen() && a.hasRecord() && !a.isEmpty()) {
    const shows::ShowPoints sp = shows::showPointsOf(a);
    for (int i = 0; i < 7; ++i)
      put(i + 1, sp.positions[static_cast<size_t>(i)] ? shows::formatPoints(*sp.positions[static_cast<size_t>(i)]) : QString());
    const shows::ShowScore sc = shows::scoreOf(sp);
    put(8, sc.display);
    put(9, sc.missing);
    put(10, sc.grade);
  }
  buckLine_->resizeColumnsToContents();
  buckLine_->horizontalHeader()->setStretchLastSection(true);
}

void TKoerungSeite::showSelectedGrades() {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  Cursor& r = dm_.at(QStringLiteral("RammlerJungtiere"));
  doeGrade_->setText(g.isOpen() && g.hasRecord() && !g.isEmpty() ? g.field(QStringLiteral("PraedikatText")).asString() : QString());
  youngGrade_->setText(r.isOpen() && r.hasRecord() && !r.isEmpty() ? r.field(QStringLiteral("Praedikat")).asString() : QString());
}

// ------------------------------------------------------------------ the score grid

void TKoerungSeite::coveredDoeMoved() {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  // Scores typed for the litter left behind are saved first; when they cannot be saved the
  // list returns to that litter and the grid keeps what was typed.
  if (evaluationChanged_) savePendingScores(true);
  if (evaluationChanged_) {
    busy_ = true;
    if (scoredLitter_) g.locate(QStringLiteral("LaufendeNummer"), {*scoredLitter_});
    busy_ = false;
    return;
  }
  scoredLitter_.reset();
  if (g.isOpen() && g.hasRecord() && !g.isEmpty()) scoredLitter_ = g.field(QStringLiteral("LaufendeNummer")).asInteger();
  logic_.showYoungOfCurrentLitter();
  loadScoreGrid();
  // Both lists stand on the current litter.
  const int row = g.isOpen() && g.hasRecord() && !g.isEmpty() ? auswahlModel_->currentRow() : -1;
  busy_ = true;
  for (QTableView* v : {auswahl_, gedeckte_}) {
    if (row >= 0) v->selectionModel()->setCurrentIndex(v->model()->index(row, 0),
                                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else v->selectionModel()->clear();
  }
  busy_ = false;
  showSelectedGrades();
}

void TKoerungSeite::loadScoreGrid() {
  QDate judged;
  rows_ = logic_.scoreRows(&judged);
  const QSignalBlocker block(scores_);
  scores_->setRowCount(0);
  insgesamt_->clear();
  praedikat_->clear();
  fehlpunkte_->clear();
  if (rows_.empty()) return;
  if (judged.isValid()) {
    setDate(datumKoerung_, judged);
    setDate(datumBewertung_, judged);
  }
  scores_->setRowCount(static_cast<int>(rows_.size()));
  for (size_t r = 0; r < rows_.size(); ++r) {
    auto fixed = [&](int c, const QString& t) {
      auto* item = new QTableWidgetItem(t);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      item->setBackground(scores_->palette().window());
      scores_->setItem(static_cast<int>(r), c, item);
    };
    fixed(0, rows_[r].name);
    fixed(1, rows_[r].geschlecht);
    for (int c = 0; c < 7; ++c) {
      auto* item = new QTableWidgetItem(rows_[r].cells[static_cast<size_t>(c)]);
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      scores_->setItem(static_cast<int>(r), c + 2, item);
    }
  }
  showRowFigures(0);
}

std::vector<ScoreRow> TKoerungSeite::gridRows() const {
  std::vector<ScoreRow> rows = rows_;
  for (size_t r = 0; r < rows.size() && static_cast<int>(r) < scores_->rowCount(); ++r)
    for (int c = 0; c < 7; ++c) {
      const QTableWidgetItem* item = scores_->item(static_cast<int>(r), c + 2);
      rows[r].cells[static_cast<size_t>(c)] = item ? item->text() : QString();
    }
  return rows;
}

void TKoerungSeite::scoreCellChanged(int row, int column) {
  if (column < 2 || row < 0 || row >= static_cast<int>(rows_.size())) return;
  evaluationChanged_ = true;
  QTableWidgetItem* item = scores_->item(row, column);
  QString error;
  parseScore(item ? item->text() : QString(), column - 2, &error);
  {
    // A cell that does not parse stays visible and marked until it is corrected.
    const QSignalBlocker block(scores_);
    if (item) {
      item->setBackground(error.isEmpty() ? QBrush() : QBrush(QColor(255, 200, 200)));
      item->setToolTip(error);
    }
  }
  if (!error.isEmpty()) store::dialogs().warn(rows_[static_cast<size_t>(row)].name + QStringLiteral(": ") + error);
  showRowFigures(row);
}

void TKoerungSeite::showRowFigures(int row) {
  const std::vector<ScoreRow> rows = gridRows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  lastShownRow_ = row;
  const RowFigures f = rowFigures(rows[static_cast<size_t>(row)]);
  insgesamt_->setText(f.totalText);
  praedikat_->setText(f.grade);
  fehlpunkte_->setText(f.missing);
}

bool TKoerungSeite::savePendingScores(bool ask) {
  const bool wanted = !ask || dm_.confirmSave();
  if (!wanted) {
    evaluationChanged_ = false;
    return false;
  }
  const QDate day = dateOf(datumBewertung_);
  if (!logic_.saveScores(gridRows(), day.isValid() ? day : dm_.today(), false)) return false;
  evaluationChanged_ = false;
  return true;
}

void TKoerungSeite::JungtierbewertungenSpeichernClick() {
  if (!evaluationChanged_) return;
  if (!store::ui::FieldEdit::finishAll(this)) return;
  busy_ = true;
  const bool saved = savePendingScores(true);
  busy_ = false;
  if (saved) {
    const int keep = lastShownRow_;
    loadScoreGrid();
    showRowFigures(keep);
  }
}

// ------------------------------------------------------------------ choosing the litters

void TKoerungSeite::chooseLitter(int panel, qint64 laufendeNummer) {
  busy_ = true;
  const bool stored = logic_.assignLitter(panel, laufendeNummer);
  busy_ = false;
  if (!stored) return;
  showPanels();
  if (currentIndex() == PageBerechnung) showComputationPage();
}

void TKoerungSeite::chooseSelectedLitter(int panel) {
  Cursor& g = dm_.at(QStringLiteral("GedeckteHaesinnen"));
  if (!g.isOpen() || !g.hasRecord() || g.isEmpty()) return;
  const qint64 litter = g.field(QStringLiteral("LaufendeNummer")).asInteger();
  const QVariant mark = g.bookmark();
  chooseLitter(panel, litter);
  busy_ = true;
  g.gotoBookmark(mark);
  busy_ = false;
}

// ------------------------------------------------------------------ the Körnote

void TKoerungSeite::clearComputation() {
  const bool guard = loading_;
  loading_ = true;
  current_ = KoernoteResult{};
  doesShown_ = {};
  itemsShown_ = false;
  for (QLineEdit* e : punkte_) e->clear();
  koernote_->clear();
  showItems();
  setDate(datumBerechnung_, {});
  loading_ = guard;
}

void TKoerungSeite::showComputationPage() {
  Cursor& h = dm_.Hasen();
  const bool langhaar = store::isLonghairGroup(h.field(QStringLiteral("Rassegruppe")).asString());
  for (QWidget* w : woolRow_) w->setVisible(langhaar);
  itemText_[4]->setVisible(langhaar);
  punkte_[4]->setVisible(langhaar);
  koerungChanged_ = false;
  const KoerungRecord rec = logic_.record();
  if (rec.saved) {
    loadStored(rec);
  } else {
    clearComputation();
    // The two chosen does are shown on arrival, before anything is computed.
    const std::array<QString, 2> names = chosenDoeNames(rec);
    doesShown_[0].tato = names[0];
    doesShown_[1].tato = names[1];
    showItems();
  }
  datumBerechnung_->setFocus();
}

void TKoerungSeite::loadStored(const KoerungRecord& rec) {
  const bool guard = loading_;
  loading_ = true;
  KoernoteResult r;
  r.langhaar = store::isLonghairGroup(dm_.Hasen().field(QStringLiteral("Rassegruppe")).asString());
  r.counts.vater = rec.anzahlVater.toInt();
  r.counts.mutter = rec.anzahlMutter.toInt();
  r.punkte = rec.punkte;
  r.buckBest = rec.rammlerPunkte;
  if (rec.wollwert) r.woolLeistungspunkte = *rec.wollwert;
  current_ = r;
  // The texts of items 2 and 3 are shown as they were saved.
  const std::array<QString, 2> names = chosenDoeNames(rec);
  doesShown_ = {KoernoteDoe{names[0], rec.vorgestellt1, rec.bewertung1, rec.mittel1},
                KoernoteDoe{names[1], rec.vorgestellt2, rec.bewertung2, rec.mittel2}};
  itemsShown_ = true;
  setDate(datumBerechnung_, rec.datum);
  for (int i = 0; i < 5; ++i) punkte_[i]->setText(optionalText(rec.punkte[static_cast<size_t>(i)]));
  showItems();
  loading_ = guard;
  recomputeSum();
  koerungChanged_ = false;
}

void TKoerungSeite::showResult(const KoernoteResult& r) {
  const bool guard = loading_;
  loading_ = true;
  current_ = r;
  const std::array<QString, 2> names = chosenDoeNames(logic_.record());
  const std::array<const Presentation*, 2> does{&r.haesin1, &r.haesin2};
  for (size_t i = 0; i < 2; ++i)
    doesShown_[i] = {names[i], does[i]->countText(), does[i]->scoresText(i == 1), does[i]->meanText()};
  itemsShown_ = true;
  for (int i = 0; i < 5; ++i) punkte_[i]->setText(optionalText(r.punkte[static_cast<size_t>(i)]));
  showItems();
  loading_ = guard;
  recomputeSum();
}

std::array<QString, 2> TKoerungSeite::chosenDoeNames(const KoerungRecord& rec) {
  std::array<QString, 2> names;
  const std::array<std::optional<qint64>, 2> litters{rec.haesin1, rec.haesin2};
  for (size_t i = 0; i < 2; ++i)
    if (litters[i])
      if (auto found = logic_.litterByNumber(*litters[i])) names[i] = found->nameHaesin;
  return names;
}

void TKoerungSeite::showItems() {
  if (!itemsShown_) {
    for (QLabel* l : itemText_) l->clear();
    for (size_t i = 0; i < 2; ++i)
      if (!doesShown_[i].tato.isEmpty())
        itemText_[i + 1]->setText(QStringLiteral("%1. Häsin Tato: %2").arg(i + 1).arg(doesShown_[i].tato));
    return;
  }
  itemText_[0]->setText(QStringLiteral("Vorfahren von jeder Seite (väterlicherseits  %1  / mütterlicherseits  %2 )")
                            .arg(current_.counts.vater)
                            .arg(current_.counts.mutter));
  for (size_t i = 0; i < 2; ++i) {
    const KoernoteDoe& d = doesShown_[i];
    itemText_[i + 1]->setText(QStringLiteral("%1. Häsin Tato: %2\nZur Körung vorgestellt( %3 )\nBewertung: %4\nPunkte im Mittel %5")
                                  .arg(i + 1)
                                  .arg(d.tato, d.vorgestellt, d.bewertung, d.mittel));
  }
  auto points = [](const auto& v) {
    return QStringLiteral("Punkte %1").arg(v ? shows::formatPoints(*v) : QString());
  };
  itemText_[3]->setText(points(current_.buckBest));
  itemText_[4]->setText(points(current_.woolLeistungspunkte));
}

KoernoteResult TKoerungSeite::resultFromFields() const {
  KoernoteResult r = current_;
  r.langhaar = store::isLonghairGroup(dm_.Hasen().field(QStringLiteral("Rassegruppe")).asString());
  for (int i = 0; i < 5; ++i) {
    bool ok = false;
    const int v = punkte_[i]->text().trimmed().toInt(&ok);
    r.punkte[static_cast<size_t>(i)] = ok ? std::optional<int>(v) : std::nullopt;
  }
  r.koernote = koernoteSum(r.punkte, r.langhaar);
  return r;
}

void TKoerungSeite::recomputeSum() {
  const KoernoteResult r = resultFromFields();
  koernote_->setText(QString::number(r.koernote));
}

void TKoerungSeite::KoernoteBerechnenClick() {
  if (!store::ui::FieldEdit::finishAll(this)) return;
  koerungChanged_ = true;
  if (dateOf(datumBerechnung_).isNull()) setDate(datumBerechnung_, dateOf(datumKoerung_));
  // The litters are those of the breeding year of the Körung computed here; a stored Körung
  // of an earlier year is computed for its own day, not for the day on the other pages.
  QDate day = dateOf(datumBerechnung_);
  if (!day.isValid()) day = dateOf(datumKoerung_);
  if (!day.isValid()) day = dm_.today();
  busy_ = true;
  const KoernoteResult r = logic_.compute(day);
  busy_ = false;
  showResult(r);
  koerungChanged_ = true;
  if (r.punkte[2].value_or(0) == 0) store::dialogs().inform(store::messageText(kMeldungZweiterWurfOhnePunkte));
}

void TKoerungSeite::KoerungSpeichernClick() {
  if (!koerungChanged_) return;
  if (!store::ui::FieldEdit::finishAll(this)) return;
  busy_ = true;
  const bool saved = logic_.save(dateOf(datumBerechnung_), resultFromFields());
  busy_ = false;
  if (saved) {
    koerungChanged_ = false;
    return;
  }
  // Refused or cancelled: the stored values are shown again.
  const KoerungRecord rec = logic_.record();
  if (rec.saved) loadStored(rec);
}

void TKoerungSeite::KoerungLoeschenClick() {
  busy_ = true;
  const bool cleared = logic_.clear();
  busy_ = false;
  if (!cleared) return;
  clearComputation();
  showPanels();
  koerungChanged_ = false;
}

// ------------------------------------------------------------------ printing

void TKoerungSeite::DruckAusgeglichenheitClick() {
  if (!store::ui::FieldEdit::finishAll(this)) return;
  Cursor& h = dm_.Hasen();
  try {
    // The form prints what is stored: pending changes of the animal and its show row first.
    if (h.isEditing() && !dm_.saveWithoutQuestion(h)) return;
    Cursor& a = dm_.at(QStringLiteral("Ausstellung"));
    if (a.isOpen() && a.isEditing() && !dm_.saveWithoutQuestion(a)) return;
    const BalanceForm form = readBalanceForm(dm_, datumKoerung_->text().trimmed());
    if (services_.previewBalance) services_.previewBalance(form);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

void TKoerungSeite::DruckKoernoteClick() {
  if (!store::ui::FieldEdit::finishAll(this)) return;
  try {
    // The form prints what the page shows.
    KoernoteForm form;
    readKoernoteHeader(dm_, form);
    const KoernoteResult r = resultFromFields();
    form.datum = datumBerechnung_->text().trimmed();
    if (itemsShown_) {
      form.anzahlVater = QString::number(r.counts.vater);
      form.anzahlMutter = QString::number(r.counts.mutter);
    }
    for (int i = 0; i < 5; ++i) form.punkte[static_cast<size_t>(i)] = punkte_[i]->text().trimmed();
    form.haesin1 = doesShown_[0];
    form.haesin2 = doesShown_[1];
    form.rammlerPunkte = r.buckBest ? shows::formatPoints(*r.buckBest) : QString();
    form.langhaar = r.langhaar;
    form.wollPunkte = r.woolLeistungspunkte ? shows::formatPoints(*r.woolLeistungspunkte) : QString();
    form.koernote = koernote_->text();
    if (services_.previewKoernote) services_.previewKoernote(form);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

}  // namespace lapiro::breeding::ui
