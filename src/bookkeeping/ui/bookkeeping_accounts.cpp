// The page "Konten / Kategorien" of the bookkeeping window: money accounts with their forms,
// categories and the VAT table.
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
    store::dialogs().error(amountRefusal(openingText));
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

}  // namespace lapiro::bookkeeping::ui
