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
#include "bookkeeping/ui/window_helpers.h"
#include "engine/cursor.h"
#include "reports/ui/report_preview.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::bookkeeping::ui {

using namespace detail;


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
      store::dialogs().error(amountRefusal(amountText));
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

void openBuchfuehrung(shell::ui::Host& main) {
  main.openOffice(shell::ui::OfficeWindow::Buchfuehrung, [&main]() -> QWidget* {
    shell::ShellSession& session = main.session();
    auto* window = new TFormBuchfuehrung(session.engine(), session.settings());
    if (!window->isUsable()) {
      delete window;
      return nullptr;
    }
    shell::ui::HostPointer owner(main);
    window->pickDate = [owner](const QDate& d) -> std::optional<QDate> {
      if (!owner) return std::nullopt;
      return owner->calendar().pick(d);
    };
    window->onHelp = [owner](int c) {
      if (owner) owner->showHelp(c);
    };
    return window;
  });
}

}  // namespace lapiro::bookkeeping::ui
