// The animal card's tab "Wurfbuch/Körung". For a doe: the litter book (the current litter's
// boxes, navigator, "H&inzufügen", "L&öschen", "R&ückgängig", "&Hilfe") with the pages
// "Nachzucht" (young-animal rows) and "Gewichte" (the litter's weighings). For a buck: the
// covered does with their figures, the young animals of the chosen litter, and the place of
// the buck's judging pages.
//
// The boxes write into the data module's cursor "Wurfbuch" when they are left; the rules of
// breeding/litter_book.h compute the figures and check the saves.
#pragma once

#include "breeding/koerung_forms.h"
#include "breeding/young_rows.h"

#include <QDate>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QChartView;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolButton;

namespace lapiro::engine {
class Cursor;
class CursorModel;
}  // namespace lapiro::engine

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::breeding {
class TWurfbuch;
}

namespace lapiro::card::ui {
class TGewichtModel;
}

namespace lapiro::breeding::ui {

class TKoerungSeite;

struct LitterPageServices {
  std::function<std::optional<QDate>(const QDate&)> pickDate;
  // The animal search in litter-book mode (bucks only); the chosen Nummer.
  std::function<std::optional<qint64>()> searchBuck;
  std::function<void(int)> showHelp;
  std::function<void()> refreshAnimalList;
  // Open the buck judging's printed forms in the report preview.
  std::function<void(const BalanceForm&)> previewBalance;
  std::function<void(const KoernoteForm&)> previewKoernote;
};

class TWurfbuchSeite : public QWidget {
  Q_OBJECT

 public:
  TWurfbuchSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, LitterPageServices services,
                 QWidget* parent = nullptr);
  ~TWurfbuchSeite() override;

  // Shows the doe's or the buck's view for the current animal and reads everything anew.
  void reshow();
  // Rebuilds the young-animal rows of the current litter.
  void rebuildYoungRows();

  // Commands.
  void HinzufuegenClick();
  void LoeschenClick();
  void RueckgaengigClick();
  void RammlerSuchenClick();
  void NachzuchtSpeichernClick();
  void NachzuchtLoeschenClick();
  void GewichtRueckgaengigClick();
  void GewichtZeileLoeschenClick();

  TNachzucht& youngRows() { return young_; }
  QLineEdit* matingEdit() const { return decktermin_; }
  QLineEdit* litterDayEdit() const { return wurftag_; }
  QLineEdit* expectedEdit() const { return wurftermin_; }
  QLineEdit* figureEdit(int i) const { return figures_[i]; }
  QLineEdit* buckEdit() const { return rammler_; }
  QPushButton* addButton() const { return hinzufuegen_; }
  QPushButton* deleteButton() const { return loeschen_; }
  QPushButton* undoButton() const { return rueckgaengig_; }
  QPushButton* youngSaveButton() const { return nzSpeichern_; }
  QPushButton* youngDeleteButton() const { return nzLoeschen_; }
  // The status new young animals are saved with.
  QComboBox* youngStatusBox() const { return nzStatus_; }
  QTabWidget* lowerTabs() const { return lower_; }
  QTableView* weightGrid() const { return weights_; }
  card::ui::TGewichtModel* weightModel() const { return weightModel_; }
  // The growth curve of the shown litter's weights beside the grid.
  QChartView* weightChart() const { return weightChart_; }
  QTableView* coveredDoesGrid() const;
  QTableView* buckYoungGrid() const;
  // The buck's judging pages.
  TKoerungSeite* judgingPages() const { return koerung_; }
  // The card moved to another animal / shows another tab (pending judging scores are saved;
  // false when they could not be).
  void animalChanged(const QDate& today);
  bool leaving();
  // Widgets of young-animal row `i`: right tattoo, whole left tattoo, running-number part.
  QLineEdit* rowRightTattoo(int i) const;
  QLineEdit* rowLeftWhole(int i) const;
  QLineEdit* rowNumberPart(int i) const;
  QLabel* rowStatus(int i) const;
  QLabel* rowReason(int i) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  engine::Cursor& wurfbuch() const;
  void buildDoeView(QWidget* page);
  void buildBuckView(QWidget* page);
  void loadLitter();
  void updateButtons();
  bool writeBox(const QString& field, QLineEdit* box);
  // The caption of the page's box for `field` ("Deckdatum" for Decktermin), named in messages.
  static QString boxLabel(const QString& field);
  void pickDate(const QString& field);
  void drawYoungRows();
  void refreshYoungStatus();
  void loadWeights();
  void showWeightCurve();

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  LitterPageServices services_;
  TWurfbuch* rules_ = nullptr;
  TNachzucht young_;
  int litterListener_ = -1;
  int weightListener_ = -1;
  bool loading_ = false;
  QVariant mark_;

  QStackedWidget* stack_ = nullptr;
  QLineEdit* decktermin_ = nullptr;
  QLineEdit* wurftag_ = nullptr;
  QLineEdit* wurftermin_ = nullptr;
  QLineEdit* figures_[3] = {};
  QLineEdit* rammler_ = nullptr;
  QPlainTextEdit* bemerkung_ = nullptr;
  QToolButton* nav_[6] = {};
  QLabel* position_ = nullptr;
  QPushButton* hinzufuegen_ = nullptr;
  QPushButton* loeschen_ = nullptr;
  QPushButton* rueckgaengig_ = nullptr;
  QTabWidget* lower_ = nullptr;
  QWidget* rowsArea_ = nullptr;
  QGridLayout* rowsGrid_ = nullptr;
  struct RowWidgets {
    QWidget* band = nullptr;
    QLineEdit* rechts = nullptr;
    QLineEdit* parts[3] = {};
    QLineEdit* whole = nullptr;
    QComboBox* rasse = nullptr;
    QComboBox* farbe = nullptr;
    QLabel* status = nullptr;
    QLabel* reason = nullptr;  // why a row was refused
  };
  std::vector<RowWidgets> rowWidgets_;
  QPushButton* nzSpeichern_ = nullptr;
  QPushButton* nzLoeschen_ = nullptr;
  QComboBox* nzStatus_ = nullptr;
  QTableView* weights_ = nullptr;
  card::ui::TGewichtModel* weightModel_ = nullptr;
  QChartView* weightChart_ = nullptr;
  QPushButton* gewRueck_ = nullptr;
  QPushButton* gewLoeschen_ = nullptr;
  TKoerungSeite* koerung_ = nullptr;
};

}  // namespace lapiro::breeding::ui
