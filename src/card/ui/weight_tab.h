// The card's tab "Gewichtstabelle/Zusatzinfo": purchase, sale, slaughter and death of the
// animal (cursor "Verkauft"), its weight table with the calculated gains (cursor
// "Gewichtstabelle") beside a growth chart, and the free text "Info" of "Hasen".
#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "engine/dataset.h"

class QChartView;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace lapiro::engine {
class Cursor;
}
namespace lapiro::shell {
class tsysteminfo;
}
namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::card::ui {

// A growth curve: weighings as a line over their dates, with the breed's weight limits as a
// band where the breed has them. Weights in grams.
struct Wachstumsdaten {
  std::vector<std::pair<QDate, double>> punkte;
  std::optional<std::pair<double, double>> grenzen;  // minimum and maximum, grams
  QString titel;
};
// The chart view showing `daten` (a new view; owned by `parent`).
QChartView* createGrowthChart(QWidget* parent);
void showGrowthChart(QChartView* view, const Wachstumsdaten& daten);
// The chart drawn into an image of `size` pixels (for printing).
QImage renderGrowthChart(const Wachstumsdaten& daten, QSize size);
// The growth data of animal `hase` from the data module (weighings, breed limits).
Wachstumsdaten growthOfAnimal(store::TDatenStamm& dm, qint64 hase);

// The weight grid: every stored weighing of the animal and one empty row at the end in which
// a new weighing is entered. A row is saved when its weight is entered or changed (with the
// save question unless System/Speichern is on; "Nein" cancels the edit).
class TGewichtModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TGewichtModel(engine::Cursor& cursor, std::function<bool()> saveWithoutAsking, std::function<QDate()> today,
                QObject* parent = nullptr);
  ~TGewichtModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  int storedRows() const { return static_cast<int>(rows_.size()); }
  // Decimals of the mean column (1 unless set).
  void setMeanDecimals(int decimals) { meanDecimals_ = decimals; }
  bool moveTo(int row);
  // Asks message 15 and deletes the stored row `row`.
  bool deleteRow(int row);
  // Cancels a pending edit or new row.
  void undo();
  // Posts a pending row with the save question; false when it stays pending.
  bool saveRow();

 signals:
  void pendingChanged(bool pending);
  // The rows were read anew from the cursor (after every change of its records or state).
  void reloaded();

 private:
  void reload();
  engine::Cursor& cursor_;
  std::function<bool()> saveWithoutAsking_;
  std::function<QDate()> today_;
  std::vector<engine::DataSet::Row> rows_;
  int iDatum_ = -1, iGewicht_ = -1, iDiff_ = -1, iMittel_ = -1;
  int shownRows_ = 0;
  int meanDecimals_ = 1;  // the rows the views know: the stored ones and the entry row
  int listener_ = 0;
};

class TZusatzinfoSeite : public QWidget {
  Q_OBJECT

 public:
  struct Services {
    std::function<std::optional<QDate>(const QDate& initial)> pickDate;
    std::function<void(int context)> showHelp;
  };

  TZusatzinfoSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, Services services,
                   QWidget* parent = nullptr);
  ~TZusatzinfoSeite() override;

  // Reads every box, the grid and the chart anew for the current animal.
  void reload();

  QLineEdit* box(const QString& field) const { return boxes_.value(field); }
  QTableView* grid() const { return grid_; }
  TGewichtModel* model() const { return model_; }
  QPlainTextEdit* infoMemo() const { return info_; }
  QPushButton* undoButton() const { return rueckgaengig_; }
  QPushButton* deleteButton() const { return zeileLoeschen_; }
  QChartView* chart() const { return chart_; }

  void RueckgaengigClick();
  void ZeileLoeschenClick();
  // Writes the text of box `field` into "Verkauft" and saves it; false when refused.
  bool boxLeft(const QString& field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void loadBoxes();
  void loadChart();
  void updateButtons();
  void infoLeft();

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  Services services_;
  QHash<QString, QLineEdit*> boxes_;
  QTableView* grid_ = nullptr;
  TGewichtModel* model_ = nullptr;
  QPlainTextEdit* info_ = nullptr;
  QPushButton* rueckgaengig_ = nullptr;
  QPushButton* zeileLoeschen_ = nullptr;
  QChartView* chart_ = nullptr;
  std::vector<std::pair<engine::DataSet*, int>> listeners_;
  bool loading_ = false;
  bool dirty_ = true;
};

}  // namespace lapiro::card::ui
