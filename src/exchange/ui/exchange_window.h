// The window "Datenaustausch": page "Auslagerung" exports chosen animals with their ancestors
// into an exchange file in any folder; page "Einlagerung" checks a file against the stock in
// a control view, then imports it in one transaction and logs it, and undoes an import from
// its log. A thin view over exchange_export.h and exchange_import.h; every message goes
// through store::dialogs().
#pragma once

#include "engine/engine.h"
#include "exchange/exchange_format.h"
#include "exchange/exchange_import.h"
#include "exchange/spreadsheet.h"

#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace lapiro::exchange::ui {

class TFormDatenaustausch : public QWidget {
  Q_OBJECT

 public:
  // `logDir` receives the import logs (the folder "Austausch" of the program directory).
  // `currentAnimal` answers the Nummer of the animal card's animal (0 for none); `listAnimals`
  // answers the animals of the main list as shown; `listSheet` the main list as shown (order,
  // filter, visible columns) for the spreadsheet export. Any may be empty.
  struct Sources {
    std::function<qint64()> currentAnimal;
    std::function<std::vector<qint64>()> listAnimals;
    std::function<Sheet()> listSheet;
  };
  TFormDatenaustausch(engine::Engine& engine, QString logDir, Sources sources = {}, QWidget* parent = nullptr);
  ~TFormDatenaustausch() override;

  // --- page "Auslagerung" ---
  // Adds an animal to the chosen ones (once; unknown numbers are ignored).
  void addAnimal(qint64 nummer);
  std::vector<qint64> chosenAnimals() const;
  void setTargetFolder(const QString& folder);
  // Writes the exchange file; returns its path, or empty after a message.
  QString AuslagernClick();
  // Writes the main list as shown into the target folder as "Tierliste-<time>.csv" or
  // ".xlsx"; returns the path, or empty after a message.
  QString exportList(bool xlsx);

  // --- page "Einlagerung" ---
  // Reads and checks the file and fills the control view; false after a message.
  bool loadImportFile(const QString& path);
  // Reads the passport QR code from a scan or photo of a certificate into the control view;
  // false after a message.
  bool loadPassportImage(const QString& path);
  // Takes a checked file (a CSV table without row errors, a passport) into the control view.
  void takeChecked(const QString& path, const ExchangeFile& file);
  // Writes the checked file; false after a message.
  bool EinlagernClick();
  // Undoes the import of the log at `logPath` after asking; false when refused or not done.
  bool undo(const QString& logPath);
  const std::optional<ImportPlan>& plan() const { return plan_; }
  QTreeWidget* controlView() const { return control_; }
  QTabWidget* tabs() const { return tabs_; }
  void setAnimalMode(MergeMode mode);
  void setAddressMode(MergeMode mode);

  QCheckBox* allAnimalsBox() const { return alle_; }
  QSpinBox* generationsBox() const { return generationen_; }
  QCheckBox* addressesBox() const { return adressen_; }
  QCheckBox* showsBox() const { return ausstellungen_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QWidget* buildExportPage();
  QWidget* buildImportPage();
  void searchAndAdd();
  void replan();
  void fillControlView();
  ImportOptions importOptions() const;
  MergeMode mode(QRadioButton* const (&buttons)[3]) const;

  engine::Engine& engine_;
  QString logDir_;
  Sources sources_;

  QTabWidget* tabs_ = nullptr;
  // Auslagerung
  QListWidget* auswahl_ = nullptr;
  QLineEdit* sucheRechts_ = nullptr;
  QLineEdit* sucheLinks_ = nullptr;
  QLineEdit* sucheRasse_ = nullptr;
  QCheckBox* alle_ = nullptr;
  QSpinBox* generationen_ = nullptr;
  QCheckBox* adressen_ = nullptr;
  QCheckBox* ausstellungen_ = nullptr;
  QLineEdit* ziel_ = nullptr;
  // Einlagerung
  QLineEdit* datei_ = nullptr;
  QComboBox* status_ = nullptr;
  QRadioButton* tierModus_[3] = {};
  QRadioButton* adressModus_[3] = {};
  QTreeWidget* control_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* einlagern_ = nullptr;

  QString importPath_;
  std::optional<ExchangeFile> file_;
  std::optional<ImportPlan> plan_;
};

}  // namespace lapiro::exchange::ui
