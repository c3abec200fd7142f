// TFormTransportaufkleber, the window "Transportaufkleber": collects a list of animals (from
// the stock with the search dialog, dragged from the animal list, or typed) and prints either
// transport labels (24 to an A4 sheet, from a chosen start position) or stable cards (4 to an
// A4 sheet). The list is written through to the work table Aufkleber.db, which the window
// creates afresh when it opens and leaves in the data directory when it closes.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "output/labels.h"
#include "reports/page_model.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace lapiro::engine {
class Engine;
}

namespace lapiro::output::ui {

// What the window needs from outside; tests answer these.
struct LabelWindowServices {
  // The animal search in its plain mode: the chosen animal's Nummer (nullopt: cancelled).
  std::function<std::optional<qint64>()> searchAnimal;
  // Preview (true) or print (false) laid-out pages.
  std::function<void(QWidget* parent, const reports::PageModel&, bool preview)> showPages;
  std::function<void(int context)> showHelp;
};

inline constexpr int kLabelHelpContext = 180;
inline constexpr int kMsgAnimalNotFound = 109;

class TFormTransportaufkleber : public QDialog {
  Q_OBJECT

 public:
  // Creates Aufkleber.db afresh and reads the breed list. Throws engine::EngineError.
  TFormTransportaufkleber(engine::Engine& engine, LabelWindowServices services, QWidget* parent = nullptr);
  ~TFormTransportaufkleber() override;

  const TAufkleberListe& list() const { return *list_; }
  bool stableCards() const;

  // Commands.
  void TierSuchenClick();
  void NeuesTierClick();
  void DruckvorschauClick();
  void DruckenClick();
  // Appends a row for the animal with these tattoos (a drop from the animal list). False when
  // a tattoo is empty or no such animal exists; nothing is added then.
  bool dropAnimal(const QString& rechts, const QString& links);
  // The tattoo boxes of row `row` were left: fills the row from the animal the two tattoos
  // name when its "Stallnr." is empty; message 109 when there is no such animal.
  void tattooLeft(int row);

  QTableWidget* grid() const { return grid_; }
  QLineEdit* startEdit() const { return start_; }
  QRadioButton* labelsButton() const { return labels_; }
  QRadioButton* cardsButton() const { return cards_; }
  // The page model the current choice would print (empty when refused or nothing to print).
  std::optional<reports::PageModel> pagesToPrint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum Column { ColRechts, ColLinks, ColStall, ColRasse, ColKaefig, ColVater, ColMutter, ColumnCount };
  void AuswahlClick();
  void addRow(const LabelRow& row);
  void showRow(int row);
  void fillRow(int row, const LabelRow& values);
  void cellChanged(int row, int column);
  LabelRow rowFromGrid(int row) const;
  void print(bool preview);

  engine::Engine& engine_;
  LabelWindowServices services_;
  std::unique_ptr<TAufkleberListe> list_;
  QStringList breeds_;
  QRadioButton* labels_ = nullptr;
  QRadioButton* cards_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QLineEdit* start_ = nullptr;
  bool filling_ = false;
};

}  // namespace lapiro::output::ui
