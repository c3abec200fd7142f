// The window "Inzuchtgradberechnung" (TFormInzuchtgrad): a thin view over
// InbreedingCalculation. Inputs at the top (mode, animal, father, mother with their formulas,
// generations), commands, result tabs, the ancestor grid over the work table and the print
// options panel.
//
// Lifetime: a child window of the main window, created by openInzuchtgrad(), freed when
// closed; closing deletes the work table. Every message goes through store::dialogs().
#pragma once

#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "lineage/inbreeding_calculation.h"
#include "lineage/inbreeding_report.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace lapiro::store::ui {
class TsuchenDlg;
}

namespace lapiro::lineage::ui {

class TFormInzuchtgrad : public QWidget {
  Q_OBJECT

 public:
  // Takes the animal `current` (0 for none) with its recorded parents and calculates silently
  // over 4 generations.
  TFormInzuchtgrad(engine::Engine& engine, qint64 current, QWidget* parent = nullptr);
  ~TFormInzuchtgrad() override;

  // "Eltern" mode on this pair, calculated silently (the planner's double click).
  void zeigeEltern(qint64 vater, qint64 mutter);

  // Choosing through the search dialog, for tests and the search buttons.
  void waehleKaninchen(qint64 nummer);
  void waehleVater(qint64 nummer);
  void waehleMutter(qint64 nummer);
  void setzeArt(Berechnungsart art);

  // Commands.
  void BerechnungClick();
  void SpeichernClick();
  void LadenClick();
  void DruckenClick();        // shows the print options
  void DruckOptionenDrucken();  // "&Drucken" of the options: preview

  // The name asked for in "Eltern" mode ("Bitte Name für Speicherung eingeben"): returns the
  // text for "OK" and nullopt for "Abbruch". Tests replace it.
  std::function<std::optional<QString>(const QString& proposal)> nameAsker;
  // The load panel: returns the LaufendeNummer chosen with "Laden", nullopt for "Abbruch".
  std::function<std::optional<qint64>(const std::vector<GespeicherteBerechnung>&)> loadChooser;
  // Shows a report; the default opens the preview. Tests replace it.
  std::function<void(const reports::Report&, const reports::ReportDataSource&)> reportSink;

  const InzuchtEingabe& eingabe() const { return ein_; }
  const InzuchtAusgabe& ausgabe() const { return aus_; }
  QLineEdit* generationEdit() const { return generation_; }
  QTabWidget* tabs() const { return tabs_; }
  QTableView* grid() const { return grid_; }
  QString tabText(int tab) const;  // the text of result tab 0, 1, 3 or 4
  void setDruckOptionen(const DruckOptionen& o);
  // The ancestor list in the grid's current order.
  std::vector<Vorfahr> vorfahrenInGridOrder();

 signals:
  void helpRequested(int context);

 private:
  void buildUi();
  void clearResults();
  void showInputs();
  void showResults();
  void closeGrid();
  void openGrid(const QString& index);
  void GenerationEdited(const QString& text);
  void GenerationExit();
  void suche(int wer);  // 0 animal, 1 father, 2 mother

  engine::Engine& engine_;
  InbreedingCalculation calc_;
  InzuchtEingabe ein_;
  InzuchtAusgabe aus_;
  std::unique_ptr<engine::Cursor> vorfahren_;
  std::unique_ptr<engine::CursorModel> model_;
  QString gridIndex_ = QStringLiteral("IndexName");
  store::ui::TsuchenDlg* suchen_ = nullptr;

  QRadioButton* artKaninchen_;
  QRadioButton* artEltern_;
  QLineEdit* katzename_;
  QLineEdit* vatername_;
  QLineEdit* muttername_;
  QLineEdit* kaninchenErbformel_;
  QLineEdit* vaterErbformel_;
  QLineEdit* mutterErbformel_;
  QPushButton* sucheKaninchen_;
  QPushButton* sucheVater_;
  QPushButton* sucheMutter_;
  QLineEdit* generation_;
  QTabWidget* tabs_;
  QPlainTextEdit* inzucht_;
  QPlainTextEdit* ahnenverlust_;
  QPlainTextEdit* info_;
  QPlainTextEdit* erbformel_;
  QTableView* grid_;
  QFrame* druckPanel_;
  QCheckBox* mitInzucht_;
  QCheckBox* mitVorfahren_;
  QCheckBox* mitErbformel_;
  bool updating_ = false;
};

}  // namespace lapiro::lineage::ui
