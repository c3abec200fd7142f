#include "genetics/ui/colour_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include "reports/report_layout.h"
#include "reports/ui/report_preview.h"
#include "store/dialog_service.h"

namespace lapiro::genetics::ui {

namespace {

// Tattoos compare without regard to case and to the number of blanks between the parts.
QString normalTattoo(const QString& text) {
  static const QRegularExpression blanks(QStringLiteral("\\s+"));
  return text.simplified().replace(blanks, QStringLiteral(" ")).toUpper();
}

}  // namespace

TFormFarbvererbung::TFormFarbvererbung(engine::Engine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine) {
  setObjectName(QStringLiteral("FormFarbvererbung"));
  setWindowTitle(QStringLiteral("Farbvererbung"));

  auto* layout = new QVBoxLayout(this);
  auto* parents = new QHBoxLayout;
  const QString titles[2] = {QStringLiteral("Rammler"), QStringLiteral("Häsin")};
  for (int side = 0; side < 2; ++side) {
    auto* box = new QGroupBox(titles[side], this);
    auto* form = new QFormLayout(box);
    tattoo_[side] = new QLineEdit(box);
    tattoo_[side]->setPlaceholderText(QStringLiteral("Tätowierung rechts und links"));
    genotype_[side] = new QLineEdit(box);
    genotype_[side]->setPlaceholderText(QStringLiteral("z. B. A achi/B b/C C/D d/g g"));
    info_[side] = new QLabel(box);
    info_[side]->setWordWrap(true);
    form->addRow(QStringLiteral("Aus dem Bestand:"), tattoo_[side]);
    form->addRow(QStringLiteral("Genotyp:"), genotype_[side]);
    form->addRow(info_[side]);
    parents->addWidget(box);
    connect(tattoo_[side], &QLineEdit::returnPressed, this, [this, side] {
      if (takeAnimal(side)) calculate();
    });
    connect(genotype_[side], &QLineEdit::returnPressed, this, [this] { calculate(); });
  }
  layout->addLayout(parents);

  auto* buttons = new QHBoxLayout;
  auto* berechnen = new QPushButton(QStringLiteral("Berechnen"), this);
  berechnen->setObjectName(QStringLiteral("ButtonBerechnen"));
  print_ = new QPushButton(QStringLiteral("Drucken"), this);
  print_->setObjectName(QStringLiteral("ButtonDrucken"));
  print_->setEnabled(false);
  auto* neu = new QPushButton(QStringLiteral("Bestand neu lesen"), this);
  buttons->addWidget(berechnen);
  buttons->addWidget(print_);
  buttons->addStretch();
  buttons->addWidget(neu);
  layout->addLayout(buttons);
  connect(berechnen, &QPushButton::clicked, this, &TFormFarbvererbung::ButtonBerechnenClick);
  connect(print_, &QPushButton::clicked, this, &TFormFarbvererbung::ButtonDruckenClick);
  connect(neu, &QPushButton::clicked, this, &TFormFarbvererbung::ButtonNeuLesenClick);

  outcomes_ = new QTableWidget(0, 5, this);
  outcomes_->setHorizontalHeaderLabels({QStringLiteral("Farbe"), QStringLiteral("Anteil"),
                                        QStringLiteral("Bruch"), QStringLiteral("Die Jungtiere dieser Farbe"),
                                        QStringLiteral("entscheidend")});
  outcomes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  outcomes_->setSelectionBehavior(QAbstractItemView::SelectRows);
  outcomes_->verticalHeader()->hide();
  outcomes_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  outcomes_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(outcomes_, 3);

  total_ = new QLabel(this);
  layout->addWidget(total_);
  layout->addWidget(new QLabel(QStringLiteral("Widersprüche in den Aufzeichnungen:"), this));
  contradictions_ = new QListWidget(this);
  layout->addWidget(contradictions_, 1);
  resize(900, 600);
}

TFormFarbvererbung::~TFormFarbvererbung() = default;

const StockGenetics& TFormFarbvererbung::stock() {
  if (!stock_) stock_ = std::make_unique<StockGenetics>(readStockGenetics(engine_));
  return *stock_;
}

void TFormFarbvererbung::showAnimal(int side, std::int32_t index) {
  const PairSide s = stockSide(stock(), index);
  animal_[static_cast<size_t>(side)] = index;
  tattoo_[side]->setText(s.label);
  stockText_[static_cast<size_t>(side)] = formatGenotype(s.genotype);
  genotype_[side]->setText(stockText_[static_cast<size_t>(side)]);
  QString info =
      s.colour.isEmpty() ? QStringLiteral("Farbe nicht erfasst") : QStringLiteral("Farbe: ") + s.colour;
  if (!s.carriers.isEmpty()) info += QStringLiteral(" – ") + s.carriers.join(QStringLiteral(", "));
  info_[side]->setText(info);
}

bool TFormFarbvererbung::takeAnimal(int side) {
  const QString wanted = normalTattoo(tattoo_[side]->text());
  if (wanted.isEmpty()) {
    animal_[static_cast<size_t>(side)] = -1;
    info_[side]->clear();
    return true;
  }
  try {
    const StockGenetics& s = stock();
    for (size_t i = 0; i < s.tattoos.size(); ++i)
      if (normalTattoo(s.tattoos[i]) == wanted) {
        showAnimal(side, static_cast<std::int32_t>(i));
        return true;
      }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  store::dialogs().warn(
      QStringLiteral("Kein Tier mit der Tätowierung „%1“ im Bestand.").arg(tattoo_[side]->text().trimmed()));
  return false;
}

bool TFormFarbvererbung::setPair(qint64 buck, qint64 doe) {
  try {
    const StockGenetics& s = stock();
    const std::int32_t b = s.indexOf(buck), d = s.indexOf(doe);
    if (b < 0 || d < 0) {
      store::dialogs().warn(QStringLiteral("Das gewählte Paar ist nicht im Bestand."));
      return false;
    }
    showAnimal(0, b);
    showAnimal(1, d);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  return calculate();
}

bool TFormFarbvererbung::calculate() {
  std::array<PairSide, 2> sides;
  const QString names[2] = {QStringLiteral("Rammler"), QStringLiteral("Häsin")};
  for (int side = 0; side < 2; ++side) {
    const size_t i = static_cast<size_t>(side);
    // A tattoo typed but not yet looked up is looked up now.
    if (animal_[i] < 0 && !tattoo_[side]->text().trimmed().isEmpty() && !takeAnimal(side)) return false;
    if (animal_[i] >= 0 &&
        normalTattoo(tattoo_[side]->text()) !=
            normalTattoo(stock().tattoos[static_cast<size_t>(animal_[i])]) &&
        !takeAnimal(side))
      return false;
    const QString text = genotype_[side]->text();
    try {
      if (animal_[i] >= 0 && text.trimmed() == stockText_[i]) {
        sides[i] = stockSide(stock(), animal_[i]);
      } else {
        // Typed, or the pedigree's genotype edited: the typed one counts; the animal stays
        // for the contradictions of its records.
        sides[i] = typedSide(text);
        if (animal_[i] >= 0) {
          const PairSide fromStock = stockSide(stock(), animal_[i]);
          sides[i].animal = fromStock.animal;
          sides[i].label = fromStock.label;
          sides[i].colour = fromStock.colour;
        }
      }
    } catch (const GenotypeError& e) {
      store::dialogs().error(names[side] + QStringLiteral(": ") + e.message());
      return false;
    }
  }
  analysis_ = analysePair(sides[0], sides[1], stock_ ? stock_.get() : nullptr);
  showResult();
  return true;
}

void TFormFarbvererbung::showResult() {
  const PairAnalysis& a = *analysis_;
  outcomes_->setRowCount(static_cast<int>(a.result.outcomes.size()));
  Fraction sum;
  int row = 0;
  for (const CrossOutcome& o : a.result.outcomes) {
    QStringList carried;
    for (const CarriedAllele& c : o.carried) carried << c.text();
    if (!o.unknownLoci.isEmpty()) carried << QStringLiteral("unbekannt an ") + lociText(o.unknownLoci);
    const QString cells[5] = {o.phenotype.name, o.share.percentText(), o.share.text(),
                              carried.join(QStringLiteral(", ")), lociText(o.phenotype.decidingLoci)};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c == 1 || c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      outcomes_->setItem(row, c, item);
    }
    sum = sum + o.share;
    ++row;
  }
  QString totalText = QStringLiteral("Summe: ") + sum.percentText();
  if (!a.result.segregating.isEmpty())
    totalText += QStringLiteral(" – die Jungtiere unterscheiden sich an: ") + lociText(a.result.segregating);
  total_->setText(totalText);

  contradictions_->clear();
  for (const QString& c : a.contradictions) {
    auto* item = new QListWidgetItem(c, contradictions_);
    item->setForeground(QColor(170, 0, 0));
  }
  if (a.contradictions.isEmpty()) contradictions_->addItem(QStringLiteral("keine"));
  print_->setEnabled(true);
}

reports::PageModel TFormFarbvererbung::sheet() const {
  if (!analysis_) return {};
  const reports::MemoryDataSource rows = colourSheetRows(*analysis_);
  return reports::layoutReport(colourSheetReport(), rows);
}

void TFormFarbvererbung::ButtonBerechnenClick() {
  calculate();
}

void TFormFarbvererbung::ButtonDruckenClick() {
  if (!analysis_) return;
  const reports::MemoryDataSource rows = colourSheetRows(*analysis_);
  reports::showReportPreview(this, colourSheetReport(), rows);
}

void TFormFarbvererbung::ButtonNeuLesenClick() {
  stock_.reset();
  animal_ = {-1, -1};
  for (int side = 0; side < 2; ++side)
    if (!tattoo_[side]->text().trimmed().isEmpty()) takeAnimal(side);
}

}  // namespace lapiro::genetics::ui
