#include "bookkeeping/ui/bookkeeping_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "bookkeeping/amount.h"
#include "engine/cursor.h"
#include "reports/ui/report_preview.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/ui/main_window.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::bookkeeping::ui {

namespace {

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

QDate parseDate(const QString& text) {
  const QString t = text.trimmed();
  for (const QString& f : {QStringLiteral("d.M.yyyy"), QStringLiteral("d.M.yy")}) {
    QDate d = QDate::fromString(t, f);
    if (d.isValid()) {
      if (f.endsWith(QStringLiteral("yy")) && !f.endsWith(QStringLiteral("yyyy"))) d = d.addYears(100 * ((2000 - d.year()) / 100 + (d.year() < 1950 ? 1 : 0)));
      return d;
    }
  }
  return {};
}

QTableWidget* grid(const QStringList& heads) {
  auto* g = new QTableWidget(0, int(heads.size()));
  g->setHorizontalHeaderLabels(heads);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->verticalHeader()->hide();
  g->horizontalHeader()->setStretchLastSection(true);
  return g;
}

void setRow(QTableWidget* g, int row, const QStringList& cells, const QList<int>& rightAligned = {}) {
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    if (rightAligned.contains(c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->setItem(row, c, item);
  }
}

QLabel* valueLabel() {
  auto* l = new QLabel;
  l->setFrameShape(QFrame::StyledPanel);
  l->setMinimumWidth(110);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return l;
}

QString dm(Money m) { return formatAmount(m) + QStringLiteral(" DM"); }

}  // namespace

// ---------------------------------------------------------------------------- TStatistikDlg

TStatistikDlg::TStatistikDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Statistik "));
  auto* form = new QFormLayout(this);
  von_ = new QLineEdit;
  bis_ = new QLineEdit;
  jahr_ = new QLineEdit;
  form->addRow(QStringLiteral("Monat    von"), von_);
  form->addRow(QStringLiteral("bis"), bis_);
  form->addRow(QStringLiteral("Jahr"), jahr_);
  auto* row = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("&OK"));
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  ok->setDefault(true);
  row->addWidget(ok);
  row->addWidget(abbruch);
  row->addWidget(hilfe);
  form->addRow(row);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(abbruch, &QPushButton::clicked, this, &QDialog::reject);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (onHelp) onHelp(21);
  });
}

void TStatistikDlg::accept() {
  if (!periodOf(von_->text(), bis_->text(), jahr_->text())) {
    store::dialogs().error(QStringLiteral("Bitte die Monate von 1 bis 12 (\"von\" nicht nach \"bis\") und ein gültiges Jahr eingeben."));
    return;
  }
  QDialog::accept();
}

std::optional<Period> TStatistikDlg::ask(const Period& current) {
  von_->setText(QString::number(current.start.month()));
  bis_->setText(QString::number(current.end.month()));
  jahr_->setText(QString::number(current.start.year()));
  if (exec() != QDialog::Accepted) return std::nullopt;
  return periodOf(von_->text(), bis_->text(), jahr_->text());
}

// ---------------------------------------------------------------------------- window

TFormBuchfuehrung::TFormBuchfuehrung(engine::Engine& engine, shell::tsysteminfo& settings, QWidget* parent)
    : QWidget(parent), engine_(engine), settings_(settings), ledger_(engine) {
  setWindowTitle(QStringLiteral("Buchführung"));
  setAttribute(Qt::WA_DeleteOnClose);
  period_ = *periodOf(1, today.month(), today.year());
  try {
    konten_ = std::make_unique<engine::Cursor>(engine_);
    konten_->setTableName(QStringLiteral("KONTEN.DB"));
    Ledger::attachAccountRules(*konten_);
    konten_->open();
    ledger_.rows();  // both tables must be readable
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  usable_ = true;

  auto* outer = new QVBoxLayout(this);
  pages_ = new QTabWidget;
  pages_->addTab(buildBookingPage(), QStringLiteral("Buchen"));
  pages_->addTab(buildEvaluationPage(), QStringLiteral("Auswertungen"));
  pages_->addTab(buildAccountsPage(), QStringLiteral("Konten / Kategorien"));
  outer->addWidget(pages_);
  connect(pages_, &QTabWidget::currentChanged, this, &TFormBuchfuehrung::pageChanged);

  askPeriod = [this](const Period& current) {
    TStatistikDlg dlg(this);
    dlg.onHelp = onHelp;
    return dlg.ask(current);
  };
  onPrint = [this](const StatementPrintout& p) { reports::showReportPreview(this, p.report, p.data); };

  reloadAccounts();
  setPeriod(period_);
  // The account form shows the last account, or the choice of kind when there is none.
  if (accountList_->count() > 0) accountList_->setCurrentRow(accountList_->count() - 1);
  showAccountForm();
}

TFormBuchfuehrung::~TFormBuchfuehrung() = default;

// ---------------------------------------------------------------------------- building

QWidget* TFormBuchfuehrung::buildBookingPage() {
  auto* page = new QWidget;
  auto* pageLayout = new QVBoxLayout(page);
  auto* outer = new QHBoxLayout;
  pageLayout->addLayout(outer, 1);

  selection_ = new QGroupBox;
  auto* sl = new QVBoxLayout(selection_);
  auto* prompt = new QLabel(QStringLiteral("Bitte Konto durch Doppelklick auswählen"));
  prompt->setWordWrap(true);
  sl->addWidget(prompt);
  selectionList_ = new QListWidget;
  sl->addWidget(selectionList_);
  selection_->setFixedWidth(210);
  outer->addWidget(selection_);
  connect(selectionList_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { selectAccount(item->data(Qt::UserRole).toLongLong()); });

  auto* right = new QVBoxLayout;
  bookingViews_ = new QTabWidget;
  bookingViews_->setTabPosition(QTabWidget::South);

  // Single booking.
  auto* single = new QWidget;
  auto* form = new QGridLayout(single);
  konto_ = new QLabel;
  konto_->setStyleSheet(QStringLiteral("font-weight: bold"));
  buchungsNr_ = valueLabel();
  datum_ = new QLineEdit;
  datum_->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  datum_->setMaximumWidth(120);
  kalender_ = new QToolButton;
  kalender_->setText(QStringLiteral("…"));
  kalender_->setToolTip(QStringLiteral("Datum laden"));
  dateFlag_ = new QLabel(QStringLiteral("außerhalb des Auswertungszeitraums"));
  dateFlag_->setStyleSheet(QStringLiteral("color: #a05000"));
  dateFlag_->hide();
  betrag_ = new QLineEdit;
  betrag_->setMaximumWidth(160);
  betrag_->setAlignment(Qt::AlignRight);
  kategorie_ = new QComboBox;
  kategorie_->setMinimumWidth(220);
  beschreibung_ = new QPlainTextEdit;
  beschreibung_->setMaximumHeight(90);
  kontostand_ = valueLabel();
  int r = 0;
  form->addWidget(new QLabel(QStringLiteral("Konto")), r, 0);
  form->addWidget(konto_, r++, 1, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("Buchungs Nr.")), r, 0);
  form->addWidget(buchungsNr_, r++, 1, Qt::AlignLeft);
  form->addWidget(new QLabel(QStringLiteral("Datum")), r, 0);
  auto* dateRow = new QHBoxLayout;
  dateRow->addWidget(datum_);
  dateRow->addWidget(kalender_);
  dateRow->addWidget(dateFlag_);
  dateRow->addStretch();
  form->addLayout(dateRow, r++, 1, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("Betrag")), r, 0);
  auto* amountRow = new QHBoxLayout;
  amountRow->addWidget(betrag_);
  amountRow->addWidget(new QLabel(QStringLiteral("DM")));
  amountRow->addStretch();
  form->addLayout(amountRow, r++, 1, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("Kategorie")), r, 0);
  form->addWidget(kategorie_, r++, 1, Qt::AlignLeft);
  form->addWidget(new QLabel(QStringLiteral("Beschreibung")), r, 0, Qt::AlignTop);
  form->addWidget(beschreibung_, r++, 1, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("Kontostand")), r, 0);
  form->addWidget(kontostand_, r++, 1, Qt::AlignLeft);
  auto* nav = new QHBoxLayout;
  const QStringList hints{QStringLiteral("Dateianfang"), QStringLiteral("vorheriger Datensatz"),
                          QStringLiteral("nächster Datensatz"), QStringLiteral("Dateiende"),
                          QStringLiteral("setze Marke"), QStringLiteral("gehe zur Marke")};
  const QStringList glyphs{QStringLiteral("|◀"), QStringLiteral("◀"), QStringLiteral("▶"), QStringLiteral("▶|"),
                           QStringLiteral("✓"), QStringLiteral("↩")};
  for (int i = 0; i < 6; ++i) {
    auto* b = new QToolButton;
    b->setText(glyphs[i]);
    b->setToolTip(hints[i]);
    nav->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, i] {
      if (i < 4) {
        navigate(i);
      } else if (i == 4) {
        mark_ = currentBooking_;
      } else if (mark_ >= 0 && mark_ < int(bookings_.size())) {
        navigate(-1 - mark_);
      }
    });
  }
  nav->addStretch();
  form->addLayout(nav, r++, 0, 1, 4);
  form->setRowStretch(r, 1);
  form->setColumnStretch(3, 1);
  bookingViews_->addTab(single, QStringLiteral("Buchen"));

  // Table view.
  auto* table = new QWidget;
  auto* tl = new QVBoxLayout(table);
  konto2_ = new QLabel;
  konto2_->setStyleSheet(QStringLiteral("font-weight: bold"));
  grid_ = grid({QStringLiteral("Buchungs Nr."), QStringLiteral("Datum"), QStringLiteral("Kategorie"),
                QStringLiteral("Betrag"), QStringLiteral("Beschreibung")});
  kontostand2_ = valueLabel();
  tl->addWidget(konto2_);
  tl->addWidget(grid_, 1);
  auto* kl = new QHBoxLayout;
  kl->addWidget(new QLabel(QStringLiteral("Kontostand")));
  kl->addWidget(kontostand2_);
  kl->addStretch();
  tl->addLayout(kl);
  bookingViews_->addTab(table, QStringLiteral("Tabellenansicht"));
  connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && row < int(bookings_.size()) && row != currentBooking_ && !entering_) {
      currentBooking_ = row;
      showBooking();
    }
  });
  right->addWidget(bookingViews_, 1);

  auto* buttons = new QHBoxLayout;
  neu_ = new QPushButton(QStringLiteral("Buchung neu"));
  speichern_ = new QPushButton(QStringLiteral("Speichern"));
  abbruch_ = new QPushButton(QStringLiteral("R&ückgängig"));
  loeschen_ = new QPushButton(QStringLiteral("L&öschen"));
  kontoWaehlen_ = new QPushButton(QStringLiteral("&Konto wählen"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  for (QPushButton* b : {neu_, speichern_, abbruch_, loeschen_, kontoWaehlen_, hilfe, zurueck}) buttons->addWidget(b);
  buttons->insertStretch(5);
  outer->addLayout(right, 1);
  pageLayout->addLayout(buttons);

  connect(neu_, &QPushButton::clicked, this, &TFormBuchfuehrung::BitBtnHinzufuegenClick);
  connect(speichern_, &QPushButton::clicked, this, &TFormBuchfuehrung::BitBtnSpeichernClick);
  connect(abbruch_, &QPushButton::clicked, this, &TFormBuchfuehrung::BitBtnAbbruchClick);
  connect(loeschen_, &QPushButton::clicked, this, &TFormBuchfuehrung::BitBtnLoeschenClick);
  connect(kontoWaehlen_, &QPushButton::clicked, this, &TFormBuchfuehrung::BitBtnKontoaendernClick);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (onHelp) onHelp(60);
  });
  connect(zurueck, &QPushButton::clicked, this, &QWidget::close);
  connect(kalender_, &QToolButton::clicked, this, [this] {
    if (!pickDate) return;
    if (auto d = pickDate(parseDate(datum_->text()))) datum_->setText(d->toString(kDateFormat));
  });
  connect(datum_, &QLineEdit::textChanged, this, &TFormBuchfuehrung::updateDateFlag);

  setEntering(false);
  kontoWaehlen_->setEnabled(false);
  neu_->setEnabled(false);
  loeschen_->setEnabled(false);
  return page;
}

QWidget* TFormBuchfuehrung::buildEvaluationPage() {
  auto* page = new QWidget;
  auto* outer = new QVBoxLayout(page);
  evalTabs_ = new QTabWidget;
  outer->addWidget(evalTabs_, 1);

  // Kontostand
  {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    balanceAccounts_ = new QListWidget;
    balanceAccounts_->setMaximumWidth(260);
    l->addWidget(balanceAccounts_);
    auto* form = new QFormLayout;
    balanceName_ = new QLabel;
    balanceValue_ = valueLabel();
    form->addRow(QStringLiteral("Konto"), balanceName_);
    form->addRow(QStringLiteral("Kontostand"), balanceValue_);
    l->addLayout(form, 1);
    evalTabs_->addTab(w, QStringLiteral("Kontostand"));
    connect(balanceAccounts_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
      if (!item) return;
      const auto a = ledger_.account(item->data(Qt::UserRole).toLongLong());
      balanceName_->setText(a ? a->name : QString());
      balanceValue_->setText(a ? dm(a->balance) : QString());
    });
  }

  auto periodRow = [this](int which) {
    auto* row = new QHBoxLayout;
    const QStringList captions{QStringLiteral("von Monat"), QStringLiteral("bis"), QStringLiteral("Jahr")};
    for (int i = 0; i < 3; ++i) {
      row->addWidget(new QLabel(captions[i]));
      periodBoxes_[which][i] = new QLineEdit;
      periodBoxes_[which][i]->setReadOnly(true);
      periodBoxes_[which][i]->setMaximumWidth(60);
      row->addWidget(periodBoxes_[which][i]);
    }
    row->addStretch();
    return row;
  };

  // Statistik nach Kategorie
  {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Kategorie")));
    categories_ = new QListWidget;
    categories_->setMaximumWidth(240);
    left->addWidget(categories_);
    l->addLayout(left);
    auto* right = new QVBoxLayout;
    right->addLayout(periodRow(0));
    catGrid_ = grid({QStringLiteral("BuchungsNr"), QStringLiteral("Buchungsdatum"), QStringLiteral("Kontoname"),
                     QStringLiteral("Betrag")});
    right->addWidget(catGrid_, 1);
    auto* total = new QHBoxLayout;
    total->addStretch();
    total->addWidget(new QLabel(QStringLiteral("Gesamt")));
    catTotal_ = valueLabel();
    total->addWidget(catTotal_);
    right->addLayout(total);
    l->addLayout(right, 1);
    evalTabs_->addTab(w, QStringLiteral("Statistik nach Kategorie"));
    connect(categories_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { showCategory(item->text()); });
  }

  // Statistik Gewinn / Verlust
  {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    auto* left = new QVBoxLayout;
    alleKonten_ = new QCheckBox(QStringLiteral("alle Konten"));
    alleKonten_->setChecked(true);
    plAccounts_ = new QListWidget;
    plAccounts_->setMaximumWidth(240);
    left->addWidget(alleKonten_);
    left->addWidget(plAccounts_);
    plAccountPanel_ = new QGroupBox;
    auto* pf = new QGridLayout(plAccountPanel_);
    plOpening_ = valueLabel();
    plOpeningDate_ = new QLabel;
    plBalance_ = valueLabel();
    plBalanceDate_ = new QLabel;
    pf->addWidget(new QLabel(QStringLiteral("Eröffnungssaldo")), 0, 0);
    pf->addWidget(plOpening_, 0, 1);
    pf->addWidget(new QLabel(QStringLiteral("zum")), 0, 2);
    pf->addWidget(plOpeningDate_, 0, 3);
    pf->addWidget(new QLabel(QStringLiteral("Kontostand")), 1, 0);
    pf->addWidget(plBalance_, 1, 1);
    pf->addWidget(new QLabel(QStringLiteral("zum")), 1, 2);
    pf->addWidget(plBalanceDate_, 1, 3);
    plAccountPanel_->hide();
    left->addWidget(plAccountPanel_);
    l->addLayout(left);
    auto* right = new QVBoxLayout;
    right->addLayout(periodRow(1));
    auto* lists = new QHBoxLayout;
    auto* in = new QVBoxLayout;
    in->addWidget(new QLabel(QStringLiteral("Einnahmen")));
    incomeGrid_ = grid({QStringLiteral("Kategorie"), QStringLiteral("Betrag")});
    in->addWidget(incomeGrid_);
    auto* out = new QVBoxLayout;
    out->addWidget(new QLabel(QStringLiteral("Ausgaben")));
    expenseGrid_ = grid({QStringLiteral("Kategorie"), QStringLiteral("Betrag")});
    out->addWidget(expenseGrid_);
    lists->addLayout(in);
    lists->addLayout(out);
    right->addLayout(lists, 1);
    auto* totals = new QFormLayout;
    incomeTotal_ = valueLabel();
    expenseTotal_ = valueLabel();
    saldo_ = valueLabel();
    totals->addRow(QStringLiteral("Einnahmen gesamt"), incomeTotal_);
    totals->addRow(QStringLiteral("Ausgaben gesamt"), expenseTotal_);
    totals->addRow(QStringLiteral("Saldo Einnahmen/Ausgaben"), saldo_);
    right->addLayout(totals);
    l->addLayout(right, 1);
    evalTabs_->addTab(w, QStringLiteral("Statistik Gewinn / Verlust"));
    connect(alleKonten_, &QCheckBox::toggled, this, &TFormBuchfuehrung::setAllAccounts);
    connect(plAccounts_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
      if (!alleKonten_->isChecked()) showAccountFigures(item->data(Qt::UserRole).toLongLong());
    });
  }

  auto* buttons = new QHBoxLayout;
  evalNeu_ = new QPushButton(QStringLiteral("&Neu"));
  auto* drucken = new QPushButton(QStringLiteral("&Drucken"));
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  buttons->addStretch();
  buttons->addWidget(evalNeu_);
  buttons->addWidget(drucken);
  buttons->addWidget(zurueck);
  outer->addLayout(buttons);
  evalNeu_->setEnabled(false);
  connect(evalNeu_, &QPushButton::clicked, this, &TFormBuchfuehrung::choosePeriod);
  connect(drucken, &QPushButton::clicked, this, &TFormBuchfuehrung::printStatement);
  connect(zurueck, &QPushButton::clicked, this, &QWidget::close);
  connect(evalTabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    evalNeu_->setEnabled(tab > 0);
    if (tab > 0 && askPeriod) choosePeriod();
  });
  return page;
}

QWidget* TFormBuchfuehrung::buildAccountsPage() {
  auto* page = new QWidget;
  auto* outer = new QVBoxLayout(page);
  auto* tabs = new QTabWidget;
  outer->addWidget(tabs, 1);

  // Konten
  {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    accountList_ = new QListWidget;
    accountList_->setMaximumWidth(260);
    accountList_->installEventFilter(this);
    l->addWidget(accountList_);
    accountForms_ = new QStackedWidget;
    kindChoice_ = new QGroupBox(QStringLiteral("Kontoart"));
    auto* kl = new QVBoxLayout(kindChoice_);
    auto* bank = new QPushButton(QStringLiteral("Bankkonto"));
    auto* cash = new QPushButton(QStringLiteral("Bargeld / Kasse"));
    kl->addWidget(bank);
    kl->addWidget(cash);
    kl->addStretch();
    accountForms_->addWidget(kindChoice_);
    accountForm_ = new QGroupBox;
    auto* form = new QFormLayout(accountForm_);
    const std::vector<std::pair<QString, QString>> fields{
        {QStringLiteral("Name"), QStringLiteral("Kontoname")},
        {QStringLiteral("Kontonummer"), QStringLiteral("Kontonummer")},
        {QStringLiteral("Bankleitzahl"), QStringLiteral("Bankleitzahl")},
        {QStringLiteral("Bankname"), QStringLiteral("Bankname")},
        {QStringLiteral("Eroeffnungssaldo"), QStringLiteral("Eröffnungssaldo")},
        {QStringLiteral("Zum"), QStringLiteral("Eröffnung zum")}};
    for (const auto& [field, caption] : fields) {
      auto* e = new QLineEdit;
      accountFields_[field] = e;
      if (field == QStringLiteral("Zum")) {
        // The opening date with its calendar button.
        auto* row = new QHBoxLayout;
        auto* pick = new QToolButton;
        pick->setText(QStringLiteral("…"));
        pick->setToolTip(QStringLiteral("Datum laden"));
        e->setMaximumWidth(120);
        row->addWidget(e);
        row->addWidget(pick);
        row->addStretch();
        form->addRow(caption, row);
        connect(pick, &QToolButton::clicked, this, [this, e] {
          if (!pickDate) return;
          if (auto d = pickDate(parseDate(e->text()))) {
            e->setText(d->toString(kDateFormat));
            accountDirty_ = true;
            accountUndo_->setEnabled(true);
          }
        });
      } else {
        form->addRow(caption, e);
      }
      connect(e, &QLineEdit::textEdited, this, [this] {
        accountDirty_ = true;
        accountUndo_->setEnabled(true);
      });
    }
    accountFields_[QStringLiteral("Name")]->setMaxLength(30);
    accountFields_[QStringLiteral("Bankname")]->setMaxLength(30);
    accountUndo_ = new QPushButton(QStringLiteral("Rückgängig"));
    accountUndo_->setEnabled(false);
    auto* undoRow = new QHBoxLayout;
    undoRow->addWidget(accountUndo_);
    undoRow->addStretch();
    form->addRow(undoRow);
    accountForms_->addWidget(accountForm_);
    l->addWidget(accountForms_, 1);
    tabs->addTab(w, QStringLiteral("Konten"));
    connect(bank, &QPushButton::clicked, this, [this] { newAccount(kKindBank); });
    connect(cash, &QPushButton::clicked, this, [this] { newAccount(kKindCash); });
    connect(accountUndo_, &QPushButton::clicked, this, [this] {
      accountDirty_ = false;
      newKind_ = 0;
      showAccountForm();
    });
    connect(accountList_, &QListWidget::currentRowChanged, this, [this] {
      if (formAccount_ != (accountList_->currentItem() ? accountList_->currentItem()->data(Qt::UserRole).toLongLong() : 0))
        if (!saveAccountForm()) return;
      showAccountForm();
    });
  }

  // Kategorie / MwSt-Tabelle
  {
    auto* w = new QWidget;
    auto* l = new QHBoxLayout(w);
    auto* left = new QVBoxLayout;
    catList_ = new QListWidget;
    catList_->installEventFilter(this);
    auto* plus = new QToolButton;
    plus->setText(QStringLiteral("+"));
    plus->setToolTip(QStringLiteral("Neue Kategorie"));
    left->addWidget(catList_, 1);
    left->addWidget(plus, 0, Qt::AlignLeft);
    l->addLayout(left);
    auto* form = new QFormLayout;
    catName_ = new QLineEdit;
    catName_->setMaxLength(30);
    catVat_ = new QComboBox;
    catDirection_ = new QComboBox;
    catDirection_->addItems({QStringLiteral("Einnahme"), QStringLiteral("Ausgabe")});
    form->addRow(QStringLiteral("Kategorie"), catName_);
    form->addRow(QStringLiteral("Mehrwertsteuer"), catVat_);
    form->addRow(QStringLiteral("Einnahme / Ausgabe"), catDirection_);
    l->addLayout(form, 1);
    auto* vat = new QVBoxLayout;
    vat->addWidget(new QLabel(QStringLiteral("MwSt - Tabelle")));
    vatGrid_ = new QTableWidget(0, 1);
    vatGrid_->setHorizontalHeaderLabels({QStringLiteral("Prozent")});
    vatGrid_->verticalHeader()->hide();
    vatGrid_->setMaximumWidth(140);
    vat->addWidget(vatGrid_);
    auto* vatPlus = new QToolButton;
    vatPlus->setText(QStringLiteral("+"));
    vatPlus->setToolTip(QStringLiteral("Neuer Mehrwertsteuersatz"));
    vat->addWidget(vatPlus, 0, Qt::AlignLeft);
    connect(vatPlus, &QToolButton::clicked, this, &TFormBuchfuehrung::addVatRate);
    connect(vatGrid_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { setVatRate(item->row(), item->text()); });
    l->addLayout(vat);
    tabs->addTab(w, QStringLiteral("Kategorie / MwSt-Tabelle"));
    connect(plus, &QToolButton::clicked, this, &TFormBuchfuehrung::newCategory);
    auto dirty = [this] { categoryDirty_ = true; };
    connect(catName_, &QLineEdit::textEdited, this, dirty);
    connect(catVat_, &QComboBox::activated, this, dirty);
    connect(catDirection_, &QComboBox::activated, this, dirty);
    connect(catList_, &QListWidget::currentRowChanged, this, [this] {
      const qint64 nr = catList_->currentItem() ? catList_->currentItem()->data(Qt::UserRole).toLongLong() : 0;
      if (nr != formCategory_ && !saveCategoryForm()) return;
      showCategoryForm();
    });
  }

  auto* buttons = new QHBoxLayout;
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  auto* neuesKonto = new QPushButton(QStringLiteral("&NeuesKonto"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  buttons->addStretch();
  buttons->addWidget(neuesKonto);
  buttons->addWidget(hilfe);
  buttons->addWidget(zurueck);
  outer->addLayout(buttons);
  connect(zurueck, &QPushButton::clicked, this, &QWidget::close);
  connect(neuesKonto, &QPushButton::clicked, this, [this, tabs] {
    if (!saveAccountForm()) return;
    tabs->setCurrentIndex(0);
    accountForms_->setCurrentWidget(kindChoice_);
  });
  return page;
}

// ---------------------------------------------------------------------------- lists

void TFormBuchfuehrung::reloadAccounts() {
  const std::vector<Account> money = ledger_.moneyAccounts();
  const std::vector<Account> all = ledger_.rows();
  auto fill = [&](QListWidget* list) {
    const qint64 keep = list->currentItem() ? list->currentItem()->data(Qt::UserRole).toLongLong() : 0;
    const QSignalBlocker block(list);
    list->clear();
    for (const Account& a : money) {
      auto* item = new QListWidgetItem(a.name, list);
      item->setData(Qt::UserRole, a.nr);
      if (a.nr == keep) list->setCurrentItem(item);
    }
  };
  for (QListWidget* l : {selectionList_, balanceAccounts_, plAccounts_, accountList_}) fill(l);
  {
    const QString keep = kategorie_->currentText();
    const QSignalBlocker block(kategorie_);
    kategorie_->clear();
    for (const Account& a : all) kategorie_->addItem(a.name, a.nr);
    kategorie_->setCurrentIndex(entering_ ? kategorie_->findText(keep) : -1);
  }
  {
    const QSignalBlocker b1(categories_), b2(catList_);
    const qint64 keep = catList_->currentItem() ? catList_->currentItem()->data(Qt::UserRole).toLongLong() : 0;
    categories_->clear();
    catList_->clear();
    for (const Account& a : all)
      if (a.kind == kKindCategory) {
        categories_->addItem(a.name);
        auto* item = new QListWidgetItem(a.name, catList_);
        item->setData(Qt::UserRole, a.nr);
        if (a.nr == keep) catList_->setCurrentItem(item);
      }
  }
  // VAT rates.
  {
    const QSignalBlocker b(catVat_), bv(vatGrid_);
    catVat_->clear();
    vatGrid_->setRowCount(0);
    engine::Cursor vat(engine_);
    vat.setTableName(QStringLiteral("MEHRWERT.DB"));
    vat.setReadOnly(true);
    try {
      vat.open();
      for (vat.first(); !vat.eof(); vat.next()) {
        const QString p = vat.field(QStringLiteral("Prozent")).asString();
        catVat_->addItem(p + QStringLiteral(" %"), vat.field(QStringLiteral("LaufendeNummer")).asInteger());
        const int row = vatGrid_->rowCount();
        vatGrid_->insertRow(row);
        auto* item = new QTableWidgetItem(p);
        item->setData(Qt::UserRole, vat.field(QStringLiteral("LaufendeNummer")).asInteger());
        vatGrid_->setItem(row, 0, item);
      }
    } catch (const engine::EngineError&) {
    }
  }
  if (account_ > 0) {
    const auto a = ledger_.account(account_);
    kontostand_->setText(a ? dm(a->balance) : QString());
    kontostand2_->setText(kontostand_->text());
  }
}

void TFormBuchfuehrung::reloadBookings(qint64 select) {
  bookings_ = account_ > 0 ? ledger_.bookings(account_) : std::vector<Booking>{};
  currentBooking_ = bookings_.empty() ? -1 : int(bookings_.size()) - 1;
  for (int i = 0; i < int(bookings_.size()); ++i)
    if (bookings_[size_t(i)].nr == select) currentBooking_ = i;
  const QSignalBlocker block(grid_);
  grid_->setRowCount(int(bookings_.size()));
  for (int i = 0; i < int(bookings_.size()); ++i) {
    const Booking& b = bookings_[size_t(i)];
    setRow(grid_, i, {QString::number(b.nr), b.date.toString(kDateFormat), b.category, formatAmount(b.amount), b.description}, {0, 3});
  }
  mark_ = -1;
  showBooking();
  loeschen_->setEnabled(account_ > 0 && !bookings_.empty());
}

void TFormBuchfuehrung::showBooking() {
  const auto a = ledger_.account(account_);
  konto_->setText(a ? a->name : QString());
  konto2_->setText(konto_->text());
  kontostand_->setText(a ? dm(a->balance) : QString());
  kontostand2_->setText(kontostand_->text());
  if (currentBooking_ >= 0 && currentBooking_ < int(bookings_.size())) {
    const Booking& b = bookings_[size_t(currentBooking_)];
    buchungsNr_->setText(QString::number(b.nr));
    datum_->setText(b.date.toString(kDateFormat));
    betrag_->setText(formatAmount(b.amount));
    kategorie_->setCurrentIndex(kategorie_->findText(b.category));
    if (kategorie_->currentIndex() < 0) kategorie_->setEditText(b.category);
    beschreibung_->setPlainText(b.description);
    const QSignalBlocker block(grid_);
    grid_->selectRow(currentBooking_);
  } else {
    buchungsNr_->clear();
    datum_->clear();
    betrag_->clear();
    kategorie_->setCurrentIndex(-1);
    beschreibung_->clear();
  }
}

void TFormBuchfuehrung::setEntering(bool on) {
  entering_ = on;
  for (QWidget* w : {static_cast<QWidget*>(datum_), static_cast<QWidget*>(betrag_), static_cast<QWidget*>(kategorie_),
                     static_cast<QWidget*>(beschreibung_), static_cast<QWidget*>(kalender_)})
    w->setEnabled(on);
  speichern_->setEnabled(on);
  abbruch_->setEnabled(on);
  updateDateFlag();
}

void TFormBuchfuehrung::updateDateFlag() {
  const QDate d = parseDate(datum_->text());
  dateFlag_->setVisible(entering_ && d.isValid() && !period_.contains(d));
}

void TFormBuchfuehrung::setPeriod(const Period& p) {
  period_ = p;
  for (auto& boxes : periodBoxes_) {
    boxes[0]->setText(QString::number(p.start.month()));
    boxes[1]->setText(QString::number(p.end.month()));
    boxes[2]->setText(QString::number(p.start.year()));
  }
  updateDateFlag();
}

// ---------------------------------------------------------------------------- Buchen

void TFormBuchfuehrung::selectAccount(qint64 account) {
  if (entering_ && !BitBtnSpeichernClick()) return;
  account_ = account;
  reloadAccounts();
  reloadBookings();
  selection_->hide();
  kontoWaehlen_->setEnabled(true);
  neu_->setEnabled(true);
}

void TFormBuchfuehrung::BitBtnHinzufuegenClick() {
  if (account_ <= 0) return;
  if (entering_ && !BitBtnSpeichernClick()) return;
  currentBooking_ = -1;
  showBooking();
  buchungsNr_->clear();
  setEntering(true);
  if (bookingViews_->currentIndex() == 0)
    datum_->setFocus();
  else
    grid_->setFocus();
}

bool TFormBuchfuehrung::BitBtnSpeichernClick() {
  if (!entering_) return true;
  BookingEntry e;
  e.account = account_;
  e.date = parseDate(datum_->text());
  e.category = kategorie_->currentText().trimmed();
  e.description = beschreibung_->toPlainText();
  const QString amountText = betrag_->text().trimmed();
  if (!amountText.isEmpty()) {
    e.amount = parseAmount(amountText);
    if (!e.amount) {
      store::dialogs().error(QStringLiteral("\"%1\" ist kein gültiger Betrag.").arg(amountText));
      betrag_->setFocus();
      return false;
    }
  }
  if (!datum_->text().trimmed().isEmpty() && !e.date.isValid()) {
    store::dialogs().error(QStringLiteral("\"%1\" ist kein gültiges Datum.").arg(datum_->text().trimmed()));
    datum_->setFocus();
    return false;
  }
  const Ledger::SaveOutcome out = ledger_.saveBooking(e, !settings_.System.Speichern);
  switch (out.result) {
    case Ledger::SaveResult::Saved:
      setEntering(false);
      reloadAccounts();
      reloadBookings(out.bookingNr);
      return true;
    case Ledger::SaveResult::Declined:
      setEntering(false);
      reloadBookings();
      return true;
    default:
      return false;
  }
}

void TFormBuchfuehrung::BitBtnAbbruchClick() {
  setEntering(false);
  reloadBookings();
}

void TFormBuchfuehrung::BitBtnLoeschenClick() {
  if (entering_ || currentBooking_ < 0 || currentBooking_ >= int(bookings_.size())) return;
  if (ledger_.deleteBooking(bookings_[size_t(currentBooking_)].nr)) {
    reloadAccounts();
    reloadBookings();
  }
}

void TFormBuchfuehrung::BitBtnKontoaendernClick() {
  if (entering_ && !BitBtnSpeichernClick()) return;
  selection_->show();
  kontoWaehlen_->setEnabled(false);
  neu_->setEnabled(false);
  loeschen_->setEnabled(false);
}

void TFormBuchfuehrung::navigate(int where) {
  // Leaving a new booking saves it when something was entered, else discards it.
  if (entering_) {
    const bool anything = !datum_->text().trimmed().isEmpty() || !betrag_->text().trimmed().isEmpty() ||
                          !kategorie_->currentText().trimmed().isEmpty() || !beschreibung_->toPlainText().isEmpty();
    if (anything ? !BitBtnSpeichernClick() : (BitBtnAbbruchClick(), false)) return;
  }
  if (bookings_.empty()) return;
  const int last = int(bookings_.size()) - 1;
  switch (where) {
    case 0: currentBooking_ = 0; break;
    case 1: currentBooking_ = std::max(0, currentBooking_ - 1); break;
    case 2: currentBooking_ = std::min(last, currentBooking_ + 1); break;
    case 3: currentBooking_ = last; break;
    default: currentBooking_ = std::clamp(-1 - where, 0, last); break;
  }
  showBooking();
}

// ---------------------------------------------------------------------------- Auswertungen

void TFormBuchfuehrung::choosePeriod() {
  if (!askPeriod) return;
  if (auto p = askPeriod(period_)) {
    setPeriod(*p);
    refreshEvaluation();
  }
}

void TFormBuchfuehrung::refreshEvaluation() {
  if (evalTabs_->currentIndex() == 1) {
    if (category_.isEmpty() && categories_->count() > 0) category_ = categories_->item(0)->text();
    showCategory(category_);
  } else if (evalTabs_->currentIndex() == 2) {
    refreshPL();
  }
}

void TFormBuchfuehrung::showCategory(const QString& name) {
  category_ = name;
  const auto items = categories_->findItems(name, Qt::MatchExactly);
  if (!items.isEmpty()) {
    const QSignalBlocker b(categories_);
    categories_->setCurrentItem(items.first());
  }
  CategoryStatement st;
  try {
    if (!name.isEmpty()) st = categoryStatement(engine_, name, period_);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  catGrid_->setRowCount(int(st.lines.size()));
  for (int i = 0; i < int(st.lines.size()); ++i) {
    const CategoryLine& l = st.lines[size_t(i)];
    setRow(catGrid_, i, {QString::number(l.bookingNr), l.date.toString(kDateFormat), l.accountName, formatAmount(l.amount)}, {0, 3});
  }
  catTotal_->setText(dm(st.total));
}

void TFormBuchfuehrung::setAllAccounts(bool all) {
  if (alleKonten_->isChecked() != all) alleKonten_->setChecked(all);
  if (all) {
    plAccount_ = 0;
    plAccountPanel_->hide();
  } else if (plAccounts_->currentItem()) {
    plAccount_ = plAccounts_->currentItem()->data(Qt::UserRole).toLongLong();
  }
  refreshPL();
}

void TFormBuchfuehrung::showAccountFigures(qint64 account) {
  plAccount_ = account;
  for (int i = 0; i < plAccounts_->count(); ++i)
    if (plAccounts_->item(i)->data(Qt::UserRole).toLongLong() == account) plAccounts_->setCurrentRow(i);
  if (alleKonten_->isChecked()) alleKonten_->setChecked(false);
  refreshPL();
}

void TFormBuchfuehrung::refreshPL() {
  const std::optional<qint64> only = alleKonten_->isChecked() || plAccount_ <= 0 ? std::nullopt : std::optional<qint64>(plAccount_);
  IncomeExpense f;
  try {
    f = incomeExpense(engine_, period_, only);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  auto fill = [](QTableWidget* g, const std::vector<StatementLine>& lines) {
    g->setRowCount(int(lines.size()));
    for (int i = 0; i < int(lines.size()); ++i)
      setRow(g, i, {lines[size_t(i)].category, formatAmount(lines[size_t(i)].amount)}, {1});
  };
  fill(incomeGrid_, f.income);
  fill(expenseGrid_, f.expenses);
  incomeTotal_->setText(dm(f.incomeTotal));
  expenseTotal_->setText(dm(f.expenseTotal));
  saldo_->setText(dm(f.saldo()));
  if (only) {
    if (const auto a = ledger_.account(*only)) {
      plOpening_->setText(dm(a->opening));
      plOpeningDate_->setText(a->openedOn.toString(kDateFormat));
      plBalance_->setText(dm(a->balance));
      plBalanceDate_->setText(today.toString(kDateFormat));
      plAccountPanel_->show();
    }
  } else {
    plAccountPanel_->hide();
  }
}

void TFormBuchfuehrung::printStatement() {
  const std::optional<qint64> only = alleKonten_->isChecked() || plAccount_ <= 0 ? std::nullopt : std::optional<qint64>(plAccount_);
  try {
    const IncomeExpense f = incomeExpense(engine_, period_, only);
    std::vector<Account> accounts = ledger_.moneyAccounts();
    QString name;
    if (only) {
      std::erase_if(accounts, [&](const Account& a) { return a.nr != *only; });
      if (!accounts.empty()) name = accounts.front().name;
    }
    reports::ReportFont font{settings_.Drucken.Schriftart, 10.0};
    const StatementPrintout p = incomeStatementPrintout(period_, f, accounts, today, name, font);
    if (onPrint) onPrint(p);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

// ---------------------------------------------------------------------------- Konten

QLineEdit* TFormBuchfuehrung::accountField(const QString& name) const {
  auto it = accountFields_.find(name);
  return it == accountFields_.end() ? nullptr : it->second;
}

void TFormBuchfuehrung::showAccountForm() {
  accountDirty_ = false;
  accountUndo_->setEnabled(false);
  QListWidgetItem* item = accountList_->currentItem();
  if (newKind_ == 0 && !item) {
    accountForms_->setCurrentWidget(kindChoice_);
    formAccount_ = 0;
    return;
  }
  std::optional<Account> a;
  int kind = newKind_;
  formAccount_ = 0;
  if (newKind_ == 0) {
    formAccount_ = item->data(Qt::UserRole).toLongLong();
    a = ledger_.account(formAccount_);
    kind = a ? int(a->kind) : kKindCash;
  }
  const bool bank = kind == kKindBank;
  accountForm_->setTitle(bank ? QStringLiteral("Bankkonto") : QStringLiteral("Bargeld / Kasse"));
  auto* form = static_cast<QFormLayout*>(accountForm_->layout());
  for (const QString& f : {QStringLiteral("Kontonummer"), QStringLiteral("Bankleitzahl"), QStringLiteral("Bankname")})
    form->setRowVisible(accountFields_[f], bank);
  for (auto& [field, e] : accountFields_) e->clear();
  if (a) {
    konten_->refresh();
    if (konten_->findKey({formAccount_})) {
      for (auto& [field, e] : accountFields_) e->setText(konten_->field(field).asString());
    }
  }
  accountForms_->setCurrentWidget(accountForm_);
}

void TFormBuchfuehrung::newAccount(int kind) {
  if (!saveAccountForm()) return;
  newKind_ = kind;
  {
    const QSignalBlocker b(accountList_);
    accountList_->setCurrentRow(-1);
  }
  showAccountForm();
  accountFields_[QStringLiteral("Name")]->setFocus();
}

bool TFormBuchfuehrung::saveAccountForm() {
  if (!accountDirty_) {
    newKind_ = 0;
    return true;
  }
  if (!settings_.System.Speichern && !store::dialogs().ask(store::messageText(kMsgSaveAccount), store::DialogKind::Warning)) {
    accountDirty_ = false;
    newKind_ = 0;
    return true;
  }
  const QString openingText = accountFields_[QStringLiteral("Eroeffnungssaldo")]->text().trimmed();
  std::optional<Money> opening = openingText.isEmpty() ? std::optional<Money>(Money()) : parseAmount(openingText);
  if (!opening) {
    store::dialogs().error(QStringLiteral("\"%1\" ist kein gültiger Betrag.").arg(openingText));
    return false;
  }
  try {
    if (newKind_ > 0) {
      konten_->append();
      konten_->field(QStringLiteral("Kontoart")).setInteger(newKind_);
    } else {
      if (!konten_->findKey({formAccount_})) return true;
      konten_->edit();
    }
    // A cash account's bank fields are hidden and empty.
    for (auto& [field, e] : accountFields_)
      if (field != QStringLiteral("Eroeffnungssaldo")) konten_->field(field).setString(e->text().trimmed());
    konten_->field(QStringLiteral("Eroeffnungssaldo")).setMoney(*opening);
    konten_->post();
    formAccount_ = konten_->field(QStringLiteral("LaufendeNummer")).asInteger();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    if (konten_->isEditing()) konten_->cancel();
    return false;
  }
  accountDirty_ = false;
  newKind_ = 0;
  const qint64 keep = formAccount_;
  reloadAccounts();
  const QSignalBlocker b(accountList_);
  for (int i = 0; i < accountList_->count(); ++i)
    if (accountList_->item(i)->data(Qt::UserRole).toLongLong() == keep) accountList_->setCurrentRow(i);
  return true;
}

void TFormBuchfuehrung::deleteAccount(qint64 account) {
  if (!store::dialogs().ask(QStringLiteral("Datensatz löschen?"))) return;
  if (!store::dialogs().ask(store::messageText(kMsgDeleteAccount), store::DialogKind::Warning)) return;
  try {
    if (konten_->findKey({account})) konten_->deleteRecord();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  accountDirty_ = false;
  newKind_ = 0;
  reloadAccounts();
  showAccountForm();
}

// ---------------------------------------------------------------------------- Kategorien

void TFormBuchfuehrung::showCategoryForm() {
  categoryDirty_ = false;
  formCategory_ = catList_->currentItem() ? catList_->currentItem()->data(Qt::UserRole).toLongLong() : 0;
  catName_->clear();
  catVat_->setCurrentIndex(-1);
  catDirection_->setCurrentIndex(-1);
  if (formCategory_ > 0 && konten_->findKey({formCategory_})) {
    catName_->setText(konten_->field(QStringLiteral("Name")).asString());
    catVat_->setCurrentIndex(catVat_->findData(konten_->field(QStringLiteral("Mwst")).asInteger()));
    catDirection_->setCurrentIndex(catDirection_->findText(konten_->field(QStringLiteral("EinAus")).asString()));
  }
}

void TFormBuchfuehrung::newCategory() {
  if (!saveCategoryForm()) return;
  try {
    konten_->append();
    konten_->field(QStringLiteral("Kontoart")).setInteger(kKindCategory);
    konten_->field(QStringLiteral("Name")).setString(QStringLiteral("Neue Kategorie"));
    konten_->field(QStringLiteral("Eroeffnungssaldo")).setMoney(Money());
    konten_->field(QStringLiteral("EinAus")).setString(QStringLiteral("Ausgabe"));
    konten_->post();
    formCategory_ = konten_->field(QStringLiteral("LaufendeNummer")).asInteger();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    if (konten_->isEditing()) konten_->cancel();
    return;
  }
  const qint64 keep = formCategory_;
  reloadAccounts();
  for (int i = 0; i < catList_->count(); ++i)
    if (catList_->item(i)->data(Qt::UserRole).toLongLong() == keep) catList_->setCurrentRow(i);
  showCategoryForm();
  catName_->setFocus();
  catName_->selectAll();
}

bool TFormBuchfuehrung::saveCategoryForm() {
  if (!categoryDirty_ || formCategory_ <= 0) return true;
  categoryDirty_ = false;
  if (!settings_.System.Speichern && !store::dialogs().ask(store::messageText(kMsgSaveAccount), store::DialogKind::Warning))
    return true;
  try {
    if (!konten_->findKey({formCategory_})) return true;
    konten_->edit();
    konten_->field(QStringLiteral("Name")).setString(catName_->text().trimmed());
    konten_->field(QStringLiteral("Mwst")).setValue(catVat_->currentIndex() >= 0 ? catVat_->currentData() : QVariant());
    konten_->field(QStringLiteral("EinAus")).setString(catDirection_->currentText());
    konten_->post();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    if (konten_->isEditing()) konten_->cancel();
    return false;
  }
  reloadAccounts();
  return true;
}

void TFormBuchfuehrung::deleteCategory(qint64 category) {
  if (!store::dialogs().ask(QStringLiteral("Datensatz löschen?"))) return;
  try {
    if (konten_->findKey({category})) konten_->deleteRecord();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  categoryDirty_ = false;
  reloadAccounts();
  showCategoryForm();
}

void TFormBuchfuehrung::setVatRate(int row, const QString& percent) {
  QTableWidgetItem* item = vatGrid_->item(row, 0);
  if (!item) return;
  bool ok = false;
  const int value = percent.trimmed().toInt(&ok);
  try {
    engine::Cursor vat(engine_);
    vat.setTableName(QStringLiteral("MEHRWERT.DB"));
    vat.open();
    if (!ok || value < 0 || value > 100) {
      store::dialogs().error(QStringLiteral("\"%1\" ist kein gültiger Prozentsatz.").arg(percent.trimmed()));
    } else if (vat.findKey({item->data(Qt::UserRole)})) {
      vat.edit();
      vat.field(QStringLiteral("Prozent")).setInteger(value);
      vat.post();
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  reloadAccounts();
  showCategoryForm();
}

void TFormBuchfuehrung::addVatRate() {
  try {
    engine::Cursor vat(engine_);
    vat.setTableName(QStringLiteral("MEHRWERT.DB"));
    vat.open();
    vat.append();
    vat.field(QStringLiteral("Prozent")).setInteger(0);
    vat.post();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
  reloadAccounts();
  showCategoryForm();
  vatGrid_->setCurrentCell(vatGrid_->rowCount() - 1, 0);
  vatGrid_->editItem(vatGrid_->currentItem());
}

bool TFormBuchfuehrung::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    if (watched == accountList_ && accountList_->currentItem()) {
      deleteAccount(accountList_->currentItem()->data(Qt::UserRole).toLongLong());
      return true;
    }
    if (watched == catList_ && catList_->currentItem()) {
      deleteCategory(catList_->currentItem()->data(Qt::UserRole).toLongLong());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------- pages, close

bool TFormBuchfuehrung::leavePage() {
  if (entering_ && !BitBtnSpeichernClick()) return false;
  return saveAccountForm() && saveCategoryForm();
}

void TFormBuchfuehrung::pageChanged(int index) {
  if (index == currentPage_) return;
  if (!leavePage()) {
    const QSignalBlocker b(pages_);
    pages_->setCurrentIndex(currentPage_);
    return;
  }
  currentPage_ = index;
  reloadAccounts();
  if (index == 0) {
    BitBtnKontoaendernClick();
  } else if (index == 1) {
    evalTabs_->setCurrentIndex(0);
    if (balanceAccounts_->count() > 0 && !balanceAccounts_->currentItem()) balanceAccounts_->setCurrentRow(0);
  }
}

void TFormBuchfuehrung::closeEvent(QCloseEvent* event) {
  if (usable_ && !leavePage()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

// ---------------------------------------------------------------------------- opener

void openBuchfuehrung(shell::ui::TFormLapiroManager& main) {
  using shell::ui::OfficeWindow;
  auto& office = main.officeRule();
  if (auto* open = office.window(OfficeWindow::Buchfuehrung)) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QWidget*>(qobject_cast<QWidget*>(open))->parentWidget()))
      main.mdiArea()->setActiveSubWindow(sub);
    return;
  }
  if (!office.mayOpenOffice(OfficeWindow::Buchfuehrung)) return;
  shell::ShellSession& session = main.session();
  auto* window = new TFormBuchfuehrung(session.engine(), session.settings());
  if (!window->isUsable()) {
    delete window;
    return;
  }
  QPointer<shell::ui::TFormLapiroManager> owner(&main);
  window->pickDate = [owner](const QDate& d) -> std::optional<QDate> {
    if (!owner) return std::nullopt;
    return owner->calendar().pick(d);
  };
  window->onHelp = [owner](int c) {
    if (owner) owner->showHelp(c);
  };
  QMdiSubWindow* sub = main.mdiArea()->addSubWindow(window, Qt::FramelessWindowHint);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  office.setOpen(OfficeWindow::Buchfuehrung, window);
  main.listPanel()->setVisible(false);
  sub->setGeometry(QRect(QPoint(0, 0), main.mdiArea()->viewport()->size()));
  sub->show();
  QObject::connect(window, &QObject::destroyed, sub, &QObject::deleteLater);
  QObject::connect(window, &QObject::destroyed, &main, [owner] {
    if (owner) owner->listPanel()->setVisible(owner->session().settings().Auswahlfenster.Anzeigen);
  });
}

}  // namespace lapiro::bookkeeping::ui
