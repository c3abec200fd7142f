// The window "Anpaarungsplanung" (TFormAnpaarungsplanung): filters and the chosen bucks and
// does on top, the rated pairs below (sortable by every column, by the coefficient over all
// generations ascending at first), pairs above the threshold marked. The threshold is kept in
// LapiroMan.ini, [Anpaarungsplanung] Schwelle. A double click on a pair asks for the
// inbreeding window on it (paarGewaehlt).
#pragma once

#include "lineage/mating_planner.h"
#include "reports/data_source.h"
#include "reports/report.h"
#include "shell/profile_file.h"

#include <QAbstractTableModel>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableView;

namespace lapiro::store::ui {
class TsuchenDlg;
}

namespace lapiro::lineage::ui {

// The rated pairs for a table view; sorts by any column.
class PlanModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // `unbekannt` (per pair, may be empty): pairs without known pedigree, always listed last.
  void setResult(std::vector<PlanTier> rammler, std::vector<PlanTier> haesinnen, std::vector<PlanPaar> pairs,
                 std::vector<char> unbekannt = {});
  void setSchwelle(double percent);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  const PlanPaar& pairAt(int row) const { return pairs_[order_[row]]; }
  bool marked(int row) const;
  bool abstammungUnbekannt(int row) const;
  const std::vector<char>& unbekannt() const { return unbekannt_; }
  const std::vector<PlanTier>& rammler() const { return rammler_; }
  const std::vector<PlanTier>& haesinnen() const { return haesinnen_; }
  const std::vector<PlanPaar>& pairs() const { return pairs_; }
  const std::vector<int>& order() const { return order_; }
  double schwelle() const { return schwelle_; }

 private:
  std::vector<PlanTier> rammler_, haesinnen_;
  std::vector<PlanPaar> pairs_;
  std::vector<int> order_;
  std::vector<char> unbekannt_;
  double schwelle_ = kStandardSchwelle;
};

class TFormAnpaarungsplanung : public QWidget {
  Q_OBJECT

 public:
  // Borrows `engine` and `settings` (the program's LapiroMan.ini). Fills the lists by the
  // standard filter for the animal `current` (0 for none).
  TFormAnpaarungsplanung(engine::Engine& engine, shell::ProfileFile& settings, qint64 current,
                         QWidget* parent = nullptr);
  ~TFormAnpaarungsplanung() override;

  // Fills both lists from the filter boxes.
  void UebernehmenClick();
  // Rates every pair (progress dialog with cancel when there are many).
  void BerechnenClick();
  void DruckenClick();
  void addAnimal(qint64 nummer);  // to the bucks or the does by its sex
  void removeSelected(bool rammler);
  // Asks for the colour outcome of the selected pair; false (with a message) when none is selected.
  bool FarbvererbungClick();
  void setSchwelleText(const QString& text);

  PlanModel& model() { return model_; }
  QTableView* table() const { return table_; }
  const std::vector<PlanTier>& rammler() const { return rammler_; }
  const std::vector<PlanTier>& haesinnen() const { return haesinnen_; }
  PlanFilter filter() const;

  // Shows a report; the default opens the preview. Tests replace it.
  std::function<void(const reports::Report&, const reports::ReportDataSource&)> reportSink;

 signals:
  void paarGewaehlt(qint64 vater, qint64 mutter);
  // "Farbvererbung" on the selected pair: the colours its young can have.
  void farbvererbungGewuenscht(qint64 vater, qint64 mutter);
  void helpRequested(int context);

 private:
  void buildUi(const PlanFilter& start);
  void fillColours();
  void showLists();
  void suche(bool rammler);

  engine::Engine& engine_;
  shell::ProfileFile& settings_;
  MatingPlanner planner_;
  PlanModel model_;
  std::vector<PlanTier> rammler_, haesinnen_;
  store::ui::TsuchenDlg* suchen_ = nullptr;

  QComboBox* rasse_;
  QComboBox* farbe_;
  QComboBox* status_;
  QSpinBox* jahr_;
  QCheckBox* lebend_;
  QListWidget* rammlerList_;
  QListWidget* haesinList_;
  QLineEdit* schwelle_;
  QTableView* table_;
};

}  // namespace lapiro::lineage::ui
