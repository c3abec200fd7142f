// The card's tab "Stallhygiene": four pages along the bottom edge, "Desinfektion ",
// "Medikamente", "Insektenbekämpfung" and "Impfung", over the data module's per-animal
// cursors. The page owns the health rules (THygieneRegeln) for as long as it exists.
#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "engine/cursor.h"
#include "engine/cursor_model.h"
#include "health/health_rules.h"

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace lapiro::shell {
class tsysteminfo;
}
namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::health::ui {

// A grid in which the rows of a per-animal cursor are added, changed and deleted: every
// stored row, plus the new row while the cursor is inserting. A changed cell of a stored
// row is saved at once (with the health checks); a new row is saved when the cursor leaves
// it or the animal changes.
class THygieneGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  THygieneGridModel(engine::Cursor& cursor, std::vector<engine::CursorModel::Column> columns,
                    QObject* parent = nullptr);
  ~THygieneGridModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // Makes row `row` the cursor's current record (posting a pending new row first).
  bool moveTo(int row);
  int currentRow() const;
  // Starts a new row (today's date) at the end; returns its row.
  int appendRow(const QDate& today);
  // Asks message 15 and deletes the row. Returns whether it was deleted.
  bool deleteRow(int row);

 private:
  void reload();

  engine::Cursor& cursor_;
  std::vector<engine::CursorModel::Column> columns_;
  std::vector<engine::DataSet::Row> rows_;
  int shownRows_ = 0;  // the rows the views know: the stored ones and a row being added
  std::vector<int> fieldIndexes_;
  int listener_ = 0;
};

class THygieneSeite : public QWidget {
  Q_OBJECT

 public:
  struct Services {
    std::function<std::optional<QDate>(const QDate& initial)> pickDate;
    std::function<void(int context)> showHelp;
  };
  enum Page { PageDesinfektion, PageMedikamente, PageInsekten, PageImpfung };

  THygieneSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, Services services, QWidget* parent = nullptr);
  ~THygieneSeite() override;

  // Puts the focus on the date box (or date cell) of the page shown.
  void focusDate();

  QTabWidget* pages() const { return pages_; }
  QTableView* grid(Page page) const { return grids_[page]; }
  QLineEdit* box(const QString& name) const { return boxes_.value(name); }
  QComboBox* medicineBox() const { return medikament_; }
  QPushButton* button(const QString& name) const { return buttons_.value(name); }

  // The buttons of "Medikamente" (`impfung` false) and "Impfung" (true).
  void NeuClick(bool impfung);
  void SpeichernClick(bool impfung);
  void RueckgaengigClick(bool impfung);
  void BitBtnImpfLoeschenClick();

 private:
  QWidget* buildGridPage(Page page, const QString& cursorName, const QString& agentField, const QString& agentTitle,
                         int help);
  QWidget* buildMedikamente();
  QWidget* buildImpfung();
  QLineEdit* addBox(QGridLayout* grid, int row, const QString& caption, const QString& name, int maxLength);
  QLineEdit* addDateBox(QGridLayout* grid, int row, const QString& caption, const QString& name,
                        engine::Cursor& cursor, const QString& field);
  void loadMedicines();
  void fill(bool impfung);
  void updateButtons(bool impfung);
  void edited(engine::Cursor& cursor, const QString& field, const QVariant& value, bool impfung);
  engine::Cursor& cursorOf(bool impfung);

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  Services services_;
  std::unique_ptr<THygieneRegeln> rules_;
  QTabWidget* pages_ = nullptr;
  QTableView* grids_[4] = {};
  std::vector<std::unique_ptr<QAbstractItemModel>> models_;
  QHash<QString, QLineEdit*> boxes_;
  QHash<QString, QPushButton*> buttons_;
  QComboBox* medikament_ = nullptr;
  QList<qint64> medicineNumbers_;
  std::pair<const void*, quint64> medicineStamp_{};
  std::vector<std::pair<engine::DataSet*, int>> listeners_;
  bool filling_ = false;
};

}  // namespace lapiro::health::ui
