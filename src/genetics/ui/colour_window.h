// The window "Farbvererbung": buck and doe chosen from the stock by tattoo or typed as a
// genotype; the colours of their young with exact shares (adding up to 100 %), what the young
// of each colour carry, the loci that decide each colour, the parents' carriers from the
// pedigree and the contradictions of the records around the pair; a printout with preview
// and PDF.
//
// The window needs only the data directory's engine: the stock is read on the first look-up
// and again with "Bestand neu lesen". Messages go through store::dialogs().
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "engine/engine.h"
#include "genetics/colour_sheet.h"
#include "reports/page_model.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace lapiro::genetics::ui {

class TFormFarbvererbung : public QWidget {
  Q_OBJECT

 public:
  // Borrows `engine`, which must outlive the window.
  explicit TFormFarbvererbung(engine::Engine& engine, QWidget* parent = nullptr);
  ~TFormFarbvererbung() override;

  // Takes the stock animals with these numbers as buck and doe (e.g. a pair of the mating
  // planner) and calculates. False when one of them is not in the stock (a warning is shown).
  bool setPair(qint64 buck, qint64 doe);

  // "Berechnen": reads both sides and fills the results. False (after a message naming the
  // fault) when a tattoo is not in the stock or a genotype cannot be read.
  bool calculate();

  // The last calculation, if any.
  const std::optional<PairAnalysis>& analysis() const { return analysis_; }
  // The printout of the last calculation laid out into pages (empty without one).
  reports::PageModel sheet() const;

  QLineEdit* buckTattoo() const { return tattoo_[0]; }
  QLineEdit* doeTattoo() const { return tattoo_[1]; }
  QLineEdit* buckGenotype() const { return genotype_[0]; }
  QLineEdit* doeGenotype() const { return genotype_[1]; }
  QTableWidget* outcomes() const { return outcomes_; }
  QListWidget* contradictions() const { return contradictions_; }
  QLabel* total() const { return total_; }

 private slots:
  void ButtonBerechnenClick();
  void ButtonDruckenClick();
  void ButtonNeuLesenClick();

 private:
  const StockGenetics& stock();
  // Looks the tattoo of side 0 (buck) or 1 (doe) up and fills its genotype; false after a
  // warning when there is no such animal.
  bool takeAnimal(int side);
  void showAnimal(int side, std::int32_t index);
  void showResult();

  engine::Engine& engine_;
  std::unique_ptr<StockGenetics> stock_;
  std::array<std::int32_t, 2> animal_{-1, -1};
  std::array<QString, 2> stockText_;  // the genotype text the pedigree gave, to see edits
  std::array<QLineEdit*, 2> tattoo_{};
  std::array<QLineEdit*, 2> genotype_{};
  std::array<QLabel*, 2> info_{};
  QTableWidget* outcomes_ = nullptr;
  QListWidget* contradictions_ = nullptr;
  QLabel* total_ = nullptr;
  QPushButton* print_ = nullptr;
  std::optional<PairAnalysis> analysis_;
};

}  // namespace lapiro::genetics::ui
