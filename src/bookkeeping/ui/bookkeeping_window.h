// The office window "Buchführung" (TFormBuchfuehrung): bookings per account, evaluations over
// a period and the printed statement, accounts and categories. A thin view over Ledger and the
// evaluations of statements.h; every question goes through store::dialogs().
#pragma once

#include "bookkeeping/ledger.h"
#include "bookkeeping/statement_report.h"
#include "bookkeeping/statements.h"
#include "shell/system_info.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>
#include <map>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class QToolButton;

namespace lapiro::engine {
class Cursor;
}
namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::bookkeeping::ui {

// The period dialog "Statistik ": months from and to and the year; "&OK" only with a valid
// period.
class TStatistikDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TStatistikDlg(QWidget* parent = nullptr);
  // Runs the dialog filled with `current`; nullopt when cancelled.
  std::optional<Period> ask(const Period& current);
  QLineEdit* von() const { return von_; }
  QLineEdit* bis() const { return bis_; }
  QLineEdit* jahr() const { return jahr_; }
  void accept() override;
  std::function<void(int)> onHelp;

 private:
  QLineEdit* von_;
  QLineEdit* bis_;
  QLineEdit* jahr_;
};

class TFormBuchfuehrung : public QWidget {
  Q_OBJECT

 public:
  TFormBuchfuehrung(engine::Engine& engine, shell::tsysteminfo& settings, QWidget* parent = nullptr);
  ~TFormBuchfuehrung() override;

  bool isUsable() const { return usable_; }

  // Hooks the opener (or a test) sets.
  std::function<std::optional<QDate>(const QDate&)> pickDate;      // the calendar
  std::function<std::optional<Period>(const Period&)> askPeriod;  // default: TStatistikDlg
  std::function<void(int)> onHelp;
  std::function<void(const StatementPrintout&)> onPrint;         // default: report preview
  QDate today = QDate::currentDate();

  // --- page "Buchen"
  void selectAccount(qint64 account);  // the double click in the selection panel
  void BitBtnHinzufuegenClick();       // "Buchung neu"
  bool BitBtnSpeichernClick();         // "Speichern"
  void BitBtnAbbruchClick();           // "R&ückgängig"
  void BitBtnLoeschenClick();          // "L&öschen"
  void BitBtnKontoaendernClick();      // "&Konto wählen"
  void navigate(int where);            // 0 first, 1 prior, 2 next, 3 last
  // --- page "Auswertungen"
  void showCategory(const QString& name);
  void setAllAccounts(bool all);
  void showAccountFigures(qint64 account);
  void printStatement();
  // --- page "Konten / Kategorien"
  void newAccount(int kind);  // "&NeuesKonto" with the kind chosen
  bool saveAccountForm();     // the pending change of the account form
  void deleteAccount(qint64 account);
  void deleteCategory(qint64 category);
  // The VAT table: a changed percentage is written at once; addVatRate appends 0 %.
  void setVatRate(int row, const QString& percent);
  void addVatRate();
  bool saveCategoryForm();
  void newCategory();

  // Controls, for tests.
  QTabWidget* pages() const { return pages_; }
  QTabWidget* evaluationTabs() const { return evalTabs_; }
  QWidget* selectionPanel() const { return selection_; }
  QListWidget* selectionList() const { return selectionList_; }
  QLineEdit* dateEdit() const { return datum_; }
  QLineEdit* amountEdit() const { return betrag_; }
  QComboBox* categoryBox() const { return kategorie_; }
  QLabel* balanceLabel() const { return kontostand_; }
  QLabel* dateFlag() const { return dateFlag_; }
  QPushButton* saveButton() const { return speichern_; }
  QPushButton* undoButton() const { return abbruch_; }
  QPushButton* newButton() const { return neu_; }
  QTableWidget* bookingGrid() const { return grid_; }
  QTableWidget* categoryGrid() const { return catGrid_; }
  QTableWidget* vatGrid() const { return vatGrid_; }
  QListWidget* categoryList() const { return catList_; }
  QLabel* categoryTotal() const { return catTotal_; }
  QTableWidget* incomeGrid() const { return incomeGrid_; }
  QTableWidget* expenseGrid() const { return expenseGrid_; }
  QLabel* incomeTotal() const { return incomeTotal_; }
  QLabel* expenseTotal() const { return expenseTotal_; }
  QLabel* saldoLabel() const { return saldo_; }
  QCheckBox* allAccountsBox() const { return alleKonten_; }
  QListWidget* plAccountList() const { return plAccounts_; }
  QLineEdit* accountField(const QString& name) const;
  QListWidget* accountList() const { return accountList_; }
  qint64 currentAccount() const { return account_; }
  bool entering() const { return entering_; }
  const Period& period() const { return period_; }
  void setPeriod(const Period& p);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The delete key in the account and category lists.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildBookingPage();
  QWidget* buildEvaluationPage();
  QWidget* buildAccountsPage();
  void reloadAccounts();
  void reloadBookings(qint64 select = 0);
  void showBooking();
  void setEntering(bool on);
  void updateDateFlag();
  bool leavePage();
  void pageChanged(int index);
  void refreshEvaluation();
  void refreshPL();
  void showAccountForm();
  void showCategoryForm();
  void choosePeriod();

  engine::Engine& engine_;
  shell::tsysteminfo& settings_;
  Ledger ledger_;
  std::unique_ptr<engine::Cursor> konten_;
  bool usable_ = false;
  int currentPage_ = 0;
  Period period_;

  // Buchen
  qint64 account_ = 0;
  std::vector<Booking> bookings_;
  int currentBooking_ = -1;
  int mark_ = -1;
  bool entering_ = false;
  QTabWidget* pages_ = nullptr;
  QWidget* selection_ = nullptr;
  QListWidget* selectionList_ = nullptr;
  QLabel* konto_ = nullptr;
  QLabel* konto2_ = nullptr;
  QLabel* buchungsNr_ = nullptr;
  QLineEdit* datum_ = nullptr;
  QToolButton* kalender_ = nullptr;
  QLabel* dateFlag_ = nullptr;
  QLineEdit* betrag_ = nullptr;
  QComboBox* kategorie_ = nullptr;
  QPlainTextEdit* beschreibung_ = nullptr;
  QLabel* kontostand_ = nullptr;
  QLabel* kontostand2_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QTabWidget* bookingViews_ = nullptr;
  QPushButton* neu_ = nullptr;
  QPushButton* speichern_ = nullptr;
  QPushButton* abbruch_ = nullptr;
  QPushButton* loeschen_ = nullptr;
  QPushButton* kontoWaehlen_ = nullptr;

  // Auswertungen
  QTabWidget* evalTabs_ = nullptr;
  QPushButton* evalNeu_ = nullptr;
  QListWidget* balanceAccounts_ = nullptr;
  QLabel* balanceName_ = nullptr;
  QLabel* balanceValue_ = nullptr;
  QListWidget* categories_ = nullptr;
  QString category_;
  QTableWidget* catGrid_ = nullptr;
  QLabel* catTotal_ = nullptr;
  QLineEdit* periodBoxes_[2][3] = {};
  QListWidget* plAccounts_ = nullptr;
  QCheckBox* alleKonten_ = nullptr;
  qint64 plAccount_ = 0;
  QGroupBox* plAccountPanel_ = nullptr;
  QLabel* plOpening_ = nullptr;
  QLabel* plOpeningDate_ = nullptr;
  QLabel* plBalance_ = nullptr;
  QLabel* plBalanceDate_ = nullptr;
  QTableWidget* incomeGrid_ = nullptr;
  QTableWidget* expenseGrid_ = nullptr;
  QLabel* incomeTotal_ = nullptr;
  QLabel* expenseTotal_ = nullptr;
  QLabel* saldo_ = nullptr;

  // Konten / Kategorien
  QListWidget* accountList_ = nullptr;
  QStackedWidget* accountForms_ = nullptr;
  QWidget* kindChoice_ = nullptr;
  QGroupBox* accountForm_ = nullptr;
  std::map<QString, QLineEdit*> accountFields_;
  QPushButton* accountUndo_ = nullptr;
  qint64 formAccount_ = 0;  // 0 with newKind_ > 0: a new account
  int newKind_ = 0;
  bool accountDirty_ = false;
  QListWidget* catList_ = nullptr;
  QLineEdit* catName_ = nullptr;
  QComboBox* catVat_ = nullptr;
  QComboBox* catDirection_ = nullptr;
  QTableWidget* vatGrid_ = nullptr;
  qint64 formCategory_ = 0;
  bool categoryDirty_ = false;
};

// Opens "Buchführung" as an office window filling the main window's area (or brings it
// forward); refused with the office rule's messages while another office window is open.
void openBuchfuehrung(shell::ui::Host& main);

}  // namespace lapiro::bookkeeping::ui
