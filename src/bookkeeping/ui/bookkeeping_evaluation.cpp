// The page "Auswertungen" of the bookkeeping window: balances, the category statistic, income
// against expenses and the printed statement.
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
    balanceAccounts_->setMaximumWidth(200);
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
    categories_->setMaximumWidth(200);
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
    plAccounts_->setMaximumWidth(200);
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
    right->addWidget(plAccountPanel_);
    for (QTableWidget* g : {incomeGrid_, expenseGrid_}) g->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
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

}  // namespace lapiro::bookkeeping::ui
