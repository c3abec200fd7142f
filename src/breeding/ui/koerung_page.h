// The buck's judging pages on the card's tab "Wurfbuch/Körung": "Bewertung der Jungtiere /
// Ausw. der Häsinnen für Körung" (scoring the young of his litters, choosing the two litters),
// "Ausgeglichenheit eines Wurfes" (the chosen litter beside the buck's and the doe's results,
// with its printed form) and "Berechnung der Körnote". The rules live in breeding/koerung.h.
#pragma once

#include "breeding/koerung.h"
#include "breeding/koerung_forms.h"

#include <QDate>
#include <QTabWidget>

#include <array>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QToolButton;

namespace lapiro::engine {
class CursorModel;
}

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding::ui {

class LitterDropPanel;

struct KoerungPageServices {
  std::function<std::optional<QDate>(const QDate&)> pickDate;
  std::function<void(int)> showHelp;
  // Opens a report in the preview; null: the report is only built (tests).
  std::function<void(const BalanceForm&)> previewBalance;
  std::function<void(const KoernoteForm&)> previewKoernote;
};

class TKoerungSeite : public QTabWidget {
  Q_OBJECT

 public:
  enum Page { PageBewertung = 0, PageAusgeglichenheit = 1, PageBerechnung = 2 };

  TKoerungSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, KoerungPageServices services,
                QWidget* parent = nullptr);
  ~TKoerungSeite() override;

  // The tab was shown for a buck: positions his best show result and runs the show step of
  // the active page.
  void showForBuck();
  // The card moved to another animal: pending scores are saved (with the save question),
  // the judging day becomes `today` and the evaluation day is emptied.
  void animalChanged(const QDate& today);
  // The card shows another tab: pending scores are saved (with the save question). False
  // when they could not be saved (the page should stay).
  bool leaving();

  // Commands.
  void JungtierbewertungenSpeichernClick();
  void KoernoteBerechnenClick();
  void KoerungSpeichernClick();
  void KoerungLoeschenClick();
  void DruckAusgeglichenheitClick();
  void DruckKoernoteClick();
  // Puts the selected litter of the covered-does list into panel 1 or 2 (as a drop does).
  void chooseLitter(int panel, qint64 laufendeNummer);
  void chooseSelectedLitter(int panel);

  // Widgets, for tests.
  QTableView* selectionGrid() const { return auswahl_; }
  QTableView* coveredDoesGrid() const { return gedeckte_; }
  QTableView* youngGrid() const { return nachzucht_; }
  QTableWidget* scoreGrid() const { return scores_; }
  QTableWidget* buckLine() const { return buckLine_; }
  QLineEdit* evaluationDayEdit() const { return datumBewertung_; }
  QLineEdit* judgingDayEdit() const { return datumKoerung_; }
  QLineEdit* computationDayEdit() const { return datumBerechnung_; }
  QLineEdit* pointsEdit(int item) const { return punkte_[item]; }  // 0..4
  QLineEdit* koernoteEdit() const { return koernote_; }
  QLabel* totalLabel() const { return insgesamt_; }
  QLabel* gradeLabel() const { return praedikat_; }
  QLabel* missingLabel() const { return fehlpunkte_; }
  QLabel* panelText(int panel) const;
  QLabel* itemText(int item) const { return itemText_[item]; }  // 0..4: the values of items 1..5
  bool evaluationChanged() const { return evaluationChanged_; }
  bool koerungChanged() const { return koerungChanged_; }
  TKoerung& logic() { return logic_; }

 private:
  QPushButton* helpButton(QWidget* p);
  // A judging-day box with its date-picker button; a typed or picked day applies its rules.
  std::pair<QLineEdit*, QToolButton*> judgingDayBox(const QString& name, const QString& caption, QWidget* p);
  void buildEvaluationPage(QWidget* p);
  void buildBalancePage(QWidget* p);
  void buildComputationPage(QWidget* p);
  void pageShown(int index);
  void showEvaluationPage();
  void showBalancePage();
  void showComputationPage();
  void coveredDoeMoved();
  void loadScoreGrid();
  void scoreCellChanged(int row, int column);
  void showRowFigures(int row);
  std::vector<ScoreRow> gridRows() const;
  bool savePendingScores(bool ask);
  void showPanels();
  void showBuckLine();
  void showSelectedGrades();
  void judgingDayTyped(QLineEdit* edit);
  void pickInto(QLineEdit* edit);
  QDate dateOf(const QLineEdit* edit) const;
  void setDate(QLineEdit* edit, const QDate& d);
  void clearComputation();
  void showResult(const KoernoteResult& r);
  // The names of the two chosen litters' does (empty when not chosen or not found).
  std::array<QString, 2> chosenDoeNames(const KoerungRecord& rec);
  // The texts of items 1 to 5 from current_ and doesShown_ (all empty before a result).
  void showItems();
  void loadStored(const KoerungRecord& rec);
  KoernoteResult resultFromFields() const;
  void recomputeSum();
  QDate firstYoungEvaluationDay();

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  KoerungPageServices services_;
  TKoerung logic_;

  bool evaluationChanged_ = false;
  bool koerungChanged_ = false;
  bool loading_ = false;  // the page itself fills fields: no date rules, no flags
  bool busy_ = false;     // the rules walk the covered does: the grids do not follow
  bool reverting_ = false;  // the page tab returns to the scores that could not be saved
  int shownPage_ = 0;
  int lastShownRow_ = 0;
  std::optional<qint64> scoredLitter_;  // the litter whose young the score grid shows
  KoernoteResult current_;
  std::array<KoernoteDoe, 2> doesShown_{};  // items 2 and 3 as shown (and printed)
  bool itemsShown_ = false;                  // a result or the stored Körung is shown
  std::vector<ScoreRow> rows_;

  // Page 1.
  QTableView* auswahl_ = nullptr;
  engine::CursorModel* auswahlModel_ = nullptr;
  QLineEdit* datumBewertung_ = nullptr;
  QTableWidget* scores_ = nullptr;
  QLabel* insgesamt_ = nullptr;
  QLabel* praedikat_ = nullptr;
  QLabel* fehlpunkte_ = nullptr;
  LitterDropPanel* panels_[2] = {};
  // Page 2.
  QLineEdit* datumKoerung_ = nullptr;
  QTableWidget* buckLine_ = nullptr;
  QTableView* gedeckte_ = nullptr;
  engine::CursorModel* gedeckteModel_ = nullptr;
  QTableView* nachzucht_ = nullptr;
  engine::CursorModel* nachzuchtModel_ = nullptr;
  QLabel* doeGrade_ = nullptr;
  QLabel* youngGrade_ = nullptr;
  // Page 3.
  QLineEdit* datumBerechnung_ = nullptr;
  QLineEdit* punkte_[5] = {};
  QLineEdit* koernote_ = nullptr;
  QLabel* itemText_[5] = {};
  QLabel* doeName_[2] = {};
  QWidget* woolRow_[3] = {};
};

}  // namespace lapiro::breeding::ui
