// The window "Bestandsanalyse": the choice of the reference population on top (the living
// stock by status, animals born in chosen years, or the current search result), then the tabs
// "Tiere" (the sortable per-animal grid with CSV and XLSX export), "Zusammenfassung" (the
// population figures), "Verlauf" (mean F and mean equivalent generations by birth year) and
// "Hinweise" (the conventions and published methods). Printing goes through the report
// preview (with its PDF button); "PDF" writes the printout straight to a file.
//
// It takes only the engine; every message goes through store::dialogs(). A calculation that
// runs longer than half a second shows a progress dialog with "Abbrechen".
#pragma once

#include "lineage/stock_analysis.h"
#include "reports/data_source.h"
#include "reports/report.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QChartView;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTableWidget;

namespace lapiro::lineage::ui {

// The per-animal rows for a table view: all animals or only the reference population,
// sortable by every column (ranked animals before unranked ones by the ranking column).
class AnalyseModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  void setAnalyse(const Bestandsanalyse* analyse, bool nurReferenz);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  const AnalyseTier& tierAt(int row) const { return analyse_->tiere[order_[static_cast<size_t>(row)]]; }

 private:
  const Bestandsanalyse* analyse_ = nullptr;
  std::vector<size_t> order_;
};

class TFormBestandsanalyse : public QWidget {
  Q_OBJECT

 public:
  // Borrows `engine`, which must outlive the window. Shows the status list with the default
  // choice; computes nothing yet.
  explicit TFormBestandsanalyse(engine::Engine& engine, QWidget* parent = nullptr);
  ~TFormBestandsanalyse() override;

  // Offers the current search result as reference population (and selects it when not empty).
  void setSuchergebnis(const std::vector<qint64>& nummern);
  // Where the current search result comes from: the animals the main list shows with its
  // selection. Read when the window is shown and again for every calculation on it, so the
  // figures follow the list; choosing it stays the user's decision.
  void setSuchergebnisQuelle(std::function<std::vector<qint64>()> quelle);

  // The reference population chosen in the window.
  ReferenzWahl wahl() const;
  // Runs the analysis for the chosen reference population and shows it. False when nothing
  // was computed (empty reference population, cancelled, a table that cannot be read).
  bool BerechnenClick();
  // Writes the grid as shown (rows and order) to `path`; false on failure (message shown).
  bool exportiere(const QString& path, bool xlsx);
  // The print command: the preview through `reportSink`.
  void DruckenClick();
  // Writes the printout to `path` as PDF; false on failure (message shown).
  bool speicherePdf(const QString& path);

  const std::optional<Bestandsanalyse>& analyse() const { return analyse_; }
  AnalyseModel& model() { return model_; }
  QTableView* table() const { return table_; }
  QTableWidget* summary() const { return summary_; }
  QChartView* chart() const { return chart_; }
  QTabWidget* tabs() const { return tabs_; }

  // Shows a report; the default opens the preview. Tests replace it.
  std::function<void(const reports::Report&, const reports::ReportDataSource&)> reportSink;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildUi();
  void zeigeSuchergebnis(const std::vector<qint64>& nummern);
  void showResult();
  void showChart();
  void askExport(bool xlsx);
  void askPdf();

  engine::Engine& engine_;
  StockAnalysis analysis_;
  std::optional<Bestandsanalyse> analyse_;
  AnalyseModel model_;
  std::vector<qint64> suchergebnis_;
  std::function<std::vector<qint64>()> suchergebnisQuelle_;

  QRadioButton* bestand_;
  QRadioButton* jahre_;
  QRadioButton* suche_;
  QListWidget* status_;
  QSpinBox* vonJahr_;
  QSpinBox* bisJahr_;
  QDateEdit* stichtag_;
  QCheckBox* nurReferenz_;
  QLabel* info_;
  QTabWidget* tabs_;
  QTableView* table_;
  QTableWidget* summary_;
  QChartView* chart_;
  QPushButton* csv_;
  QPushButton* xlsx_;
  QPushButton* drucken_;
  QPushButton* pdf_;
};

}  // namespace lapiro::lineage::ui
