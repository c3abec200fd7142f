// TFormAusstellungsanmeldung, the window "Ausstellungsanmeldung": compiles a show entry form
// of up to 12 animals from the stock, computes its fees, saves and loads it as a ".mel" file
// and previews or prints it (TReportAusstellungsmeldung).
//
// The window keeps the form in memory and writes every change through to its tables
// (Meldebogen, RasseFarbeTMP; see shows/entry_form.h), which it clears when it opens.
// Dialogs it needs from outside (file names, the animal search, printing, help) come in as
// EntryFormServices, so tests can answer them.
#pragma once

#include "shows/entry_form.h"
#include "shows/entry_form_report.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::shows::ui {

struct EntryFormServices {
  // The save dialog: suggested path in, chosen path out (nullopt: cancelled).
  std::function<std::optional<QString>(const QString& suggested)> saveFileName;
  // The open dialog for "*.mel" files starting in a folder.
  std::function<std::optional<QString>(const QString& folder)> openFileName;
  // The animal search in its plain mode: the chosen animal's Nummer.
  std::function<std::optional<qint64>()> searchAnimal;
  // Preview (true) or print (false) the filled report.
  std::function<void(const reports::Report&, const reports::ReportDataSource&, bool preview)> showReport;
  std::function<void(int context)> showHelp;
};

class TFormAusstellungsanmeldung : public QDialog {
  Q_OBJECT

 public:
  // Opens the tables (clearing the lines and the scratch row). Throws engine::EngineError
  // when they cannot be prepared. `own` fills "Verein Nummer", "von" and the printout.
  TFormAusstellungsanmeldung(store::TDatenStamm& dm, int defaultBreed, const QString& vereinsnummer,
                             EntryOwnData own, EntryFormServices services, QWidget* parent = nullptr);
  ~TFormAusstellungsanmeldung() override;

  const EntryForm& form() const { return form_; }

  // Commands.
  void TierladenClick();
  void SpeichernClick();
  void LadenClick();
  void DruckvorschauClick();
  void DruckenClick();

  // Puts the animal with `nummer` into the first empty line (search or drop). False when all
  // lines are taken or there is no such animal.
  bool addAnimal(qint64 nummer);
  // The tattoo boxes of line `i` were left: looks the animal up and takes its sex.
  void tattooLeft(int i);

  QLineEdit* rightTattoo(int i) const { return lines_[i].rechts; }
  QLineEdit* leftTattoo(int i) const { return lines_[i].links; }
  QLineEdit* priceEdit(int i) const { return lines_[i].preis; }
  QCheckBox* maleBox(int i) const { return lines_[i].male; }
  QComboBox* kindBox() const { return kind_; }
  QLineEdit* dateEdit() const { return datum_; }
  QComboBox* breedBox() const { return rasse_; }
  QComboBox* colourBox() const { return farbe_; }
  QLineEdit* feeEdit(const QString& field) const;
  QLabel* totalLabel() const { return summe_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct LineBoxes {
    QCheckBox* male = nullptr;
    QCheckBox* female = nullptr;
    QLineEdit* rechts = nullptr;
    QLineEdit* links = nullptr;
    QCheckBox* jungtier = nullptr;
    QCheckBox* zg1 = nullptr;
    QCheckBox* zg2 = nullptr;
    QCheckBox* zg3 = nullptr;
    QLineEdit* preis = nullptr;
    QCheckBox* ezt = nullptr;
  };

  QWidget* buildLines();
  QWidget* buildFees();
  void lineEdited(int i);
  void saveLine(int i);
  void feesEdited();
  void readHeaderBoxes();
  void showForm();
  void showFees();
  void fillColours();
  void fillReport(bool preview);

  store::TDatenStamm& dm_;
  EntryFormTables tables_;
  EntryOwnData own_;
  EntryFormServices services_;
  EntryForm form_;
  bool filling_ = false;

  QLineEdit* verein_ = nullptr;
  QLineEdit* von_ = nullptr;
  QLineEdit* nummer_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* datum_ = nullptr;
  QComboBox* rasse_ = nullptr;
  QComboBox* farbe_ = nullptr;
  std::array<LineBoxes, kEntryLines> lines_{};
  std::vector<std::pair<QString, QLineEdit*>> fees_;
  std::vector<std::pair<QString, QLabel*>> products_;
  QLabel* summe_ = nullptr;
};

}  // namespace lapiro::shows::ui
