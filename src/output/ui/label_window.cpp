#include "output/ui/label_window.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/engine.h"
#include "engine/query.h"
#include "shell/animal_list.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

namespace lapiro::output::ui {

TFormTransportaufkleber::TFormTransportaufkleber(engine::Engine& engine, LabelWindowServices services,
                                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      engine_(engine),
      services_(std::move(services)) {
  setWindowTitle(QStringLiteral("Transportaufkleber"));
  setObjectName(QStringLiteral("FormTransportaufkleber"));
  list_ = std::make_unique<TAufkleberListe>(engine_);
  {
    engine::Query q(engine_);
    q.setSql(QStringLiteral("SELECT Name, Code FROM \"Rasse.db\" ORDER BY Name"));
    q.open();
    for (q.first(); q.hasRecord() && !q.eof(); q.next())
      breeds_ << q.field(QStringLiteral("Name")).asString() + QStringLiteral(" / ") +
                     q.field(QStringLiteral("Code")).asString();
    q.close();
  }

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* auswahl = new QGroupBox(QStringLiteral("Auswahl"), this);
  auto* auswahlLayout = new QHBoxLayout(auswahl);
  labels_ = new QRadioButton(QStringLiteral("Transportaufkleber"), auswahl);
  cards_ = new QRadioButton(QStringLiteral("Stallkarten"), auswahl);
  labels_->setChecked(true);
  auswahlLayout->addWidget(labels_);
  auswahlLayout->addWidget(cards_);
  top->addWidget(auswahl);
  auto* suchen = new QPushButton(QStringLiteral("Tier im Datenbestand suchen"), this);
  auto* neu = new QPushButton(QStringLiteral("Neues Tier hinzufügen"), this);
  top->addWidget(suchen);
  top->addWidget(neu);
  top->addStretch();
  layout->addLayout(top);

  grid_ = new QTableWidget(0, ColumnCount, this);
  grid_->setObjectName(QStringLiteral("GridAufkleber"));
  grid_->setHorizontalHeaderLabels({QStringLiteral("Täto rechts"), QStringLiteral("Täto links"),
                                    QStringLiteral("Stallnr."), QStringLiteral("Rasse"),
                                    QStringLiteral("Ausst.-Käfignr."), QStringLiteral("Vater"),
                                    QStringLiteral("Mutter")});
  grid_->setColumnWidth(ColRechts, 90);
  grid_->setColumnWidth(ColLinks, 100);
  grid_->setColumnWidth(ColStall, 70);
  grid_->setColumnWidth(ColRasse, 220);
  grid_->setColumnWidth(ColKaefig, 100);
  grid_->setColumnWidth(ColVater, 150);
  grid_->setColumnWidth(ColMutter, 150);
  grid_->verticalHeader()->setDefaultSectionSize(24);
  grid_->setMinimumHeight(24 * 14 + grid_->horizontalHeader()->sizeHint().height() + 4);
  grid_->setMinimumWidth(740);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->viewport()->setAcceptDrops(true);
  grid_->setAcceptDrops(true);
  grid_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  layout->addWidget(grid_);

  auto* bottom = new QHBoxLayout;
  auto* startLabel = new QLabel(QStringLiteral("Druck ab Nummer"), this);
  start_ = new QLineEdit(QStringLiteral("1"), this);
  start_->setObjectName(QStringLiteral("EditDruckAb"));
  start_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), start_));
  start_->setMaximumWidth(50);
  startLabel->setBuddy(start_);
  bottom->addWidget(startLabel);
  bottom->addWidget(start_);
  bottom->addStretch();
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  auto* vorschau = new QPushButton(QStringLiteral("&Druckvorschau"), this);
  auto* drucken = new QPushButton(QStringLiteral("&Drucken"), this);
  for (QPushButton* b : {vorschau, drucken, hilfe, zurueck}) {
    b->setAutoDefault(false);
    bottom->addWidget(b);
  }
  layout->addLayout(bottom);
  startLabel->setObjectName(QStringLiteral("LabelDruckAb"));

  connect(labels_, &QRadioButton::toggled, this, [this] { AuswahlClick(); });
  connect(suchen, &QPushButton::clicked, this, [this] { TierSuchenClick(); });
  connect(neu, &QPushButton::clicked, this, [this] { NeuesTierClick(); });
  connect(vorschau, &QPushButton::clicked, this, [this] { DruckvorschauClick(); });
  connect(drucken, &QPushButton::clicked, this, [this] { DruckenClick(); });
  connect(zurueck, &QPushButton::clicked, this, &QDialog::close);
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kLabelHelpContext);
  });
  connect(grid_, &QTableWidget::cellChanged, this, [this](int row, int column) { cellChanged(row, column); });
  AuswahlClick();
}

TFormTransportaufkleber::~TFormTransportaufkleber() = default;

bool TFormTransportaufkleber::stableCards() const {
  return cards_->isChecked();
}

void TFormTransportaufkleber::AuswahlClick() {
  const bool cards = stableCards();
  grid_->setColumnHidden(ColKaefig, cards);
  grid_->setColumnHidden(ColRasse, cards);
  grid_->setColumnHidden(ColVater, !cards);
  grid_->setColumnHidden(ColMutter, !cards);
  start_->setVisible(!cards);
  if (auto* label = findChild<QLabel*>(QStringLiteral("LabelDruckAb"))) label->setVisible(!cards);
}

void TFormTransportaufkleber::addRow(const LabelRow& values) {
  int index = -1;
  if (!store::guarded([&] { index = list_->append(values); })) return;
  grid_->insertRow(index);
  showRow(index);
  if (!stableCards() && !values.taetoRechts.isEmpty()) {
    grid_->setCurrentCell(index, ColKaefig);
    grid_->setFocus();
  } else {
    grid_->setCurrentCell(index, ColRechts);
  }
}

void TFormTransportaufkleber::showRow(int row) {
  filling_ = true;
  const LabelRow& r = list_->rows().at(static_cast<size_t>(row));
  const QString texts[ColumnCount] = {r.taetoRechts,  r.taetoLinks, r.stallnummer, QString(),
                                      r.kaefignummer, r.vater,      r.mutter};
  for (int c = 0; c < ColumnCount; ++c) {
    if (c == ColRasse) continue;
    auto* item = grid_->item(row, c);
    if (!item) {
      item = new QTableWidgetItem;
      grid_->setItem(row, c, item);
    }
    item->setText(texts[c]);
  }
  auto* combo = qobject_cast<QComboBox*>(grid_->cellWidget(row, ColRasse));
  if (!combo) {
    combo = new QComboBox(grid_);
    combo->addItem(QString());
    combo->addItems(breeds_);
    combo->installEventFilter(this);
    grid_->setCellWidget(row, ColRasse, combo);
    connect(combo, &QComboBox::currentTextChanged, this, [this, combo] {
      if (filling_) return;
      for (int i = 0; i < grid_->rowCount(); ++i)
        if (grid_->cellWidget(i, ColRasse) == combo) cellChanged(i, ColRasse);
    });
  }
  const int found = combo->findText(r.rasse);
  if (found < 0 && !r.rasse.isEmpty()) combo->addItem(r.rasse);
  combo->setCurrentIndex(combo->findText(r.rasse));
  filling_ = false;
}

LabelRow TFormTransportaufkleber::rowFromGrid(int row) const {
  LabelRow r = list_->rows().at(static_cast<size_t>(row));
  auto text = [&](int c) { return grid_->item(row, c) ? grid_->item(row, c)->text().trimmed() : QString(); };
  r.taetoRechts = text(ColRechts).left(8);
  r.taetoLinks = text(ColLinks).left(10);
  r.stallnummer = text(ColStall).left(20);
  r.kaefignummer = text(ColKaefig).left(10);
  r.vater = text(ColVater).left(20);
  r.mutter = text(ColMutter).left(20);
  if (auto* combo = qobject_cast<QComboBox*>(grid_->cellWidget(row, ColRasse)))
    r.rasse = combo->currentText();
  return r;
}

void TFormTransportaufkleber::fillRow(int row, const LabelRow& values) {
  if (!store::guarded([&] { list_->set(row, values); })) return;
  showRow(row);
  if (!stableCards()) grid_->setCurrentCell(row, ColKaefig);
}

void TFormTransportaufkleber::cellChanged(int row, int column) {
  if (filling_ || row < 0 || row >= list_->count()) return;
  const LabelRow values = rowFromGrid(row);
  if (!store::guarded([&] { list_->set(row, values); })) return;
  if (column == ColRechts || column == ColLinks) tattooLeft(row);
}

void TFormTransportaufkleber::tattooLeft(int row) {
  if (row < 0 || row >= list_->count()) return;
  const LabelRow current = list_->rows().at(static_cast<size_t>(row));
  if (current.taetoRechts.isEmpty() || current.taetoLinks.isEmpty() || !current.stallnummer.isEmpty()) return;
  std::optional<LabelRow> filled;
  const bool ok = store::guarded([&] {
    if (auto nummer = findAnimalByTattoos(engine_, current.taetoRechts, current.taetoLinks))
      filled = labelRowForAnimal(engine_, *nummer);
  });
  if (!ok) return;
  if (!filled) {
    store::dialogs().inform(store::messageText(kMsgAnimalNotFound));
    return;
  }
  filled->kaefignummer = current.kaefignummer;
  fillRow(row, *filled);
}

void TFormTransportaufkleber::TierSuchenClick() {
  if (!services_.searchAnimal) return;
  const std::optional<qint64> nummer = services_.searchAnimal();
  if (!nummer) return;
  std::optional<LabelRow> row;
  if (!store::guarded([&] { row = labelRowForAnimal(engine_, *nummer); })) return;
  if (row) addRow(*row);
}

void TFormTransportaufkleber::NeuesTierClick() {
  addRow(LabelRow{});
}

bool TFormTransportaufkleber::dropAnimal(const QString& rechts, const QString& links) {
  if (rechts.isEmpty() || links.isEmpty()) return false;
  std::optional<LabelRow> row;
  const bool ok = store::guarded([&] {
    if (auto nummer = findAnimalByTattoos(engine_, rechts, links)) row = labelRowForAnimal(engine_, *nummer);
  });
  if (!ok || !row) return false;
  addRow(*row);
  return true;
}

std::optional<reports::PageModel> TFormTransportaufkleber::pagesToPrint() {
  if (list_->count() == 0) {
    store::dialogs().inform(QStringLiteral("Die Liste enthält keine Tiere. Es wird nichts gedruckt."));
    return std::nullopt;
  }
  if (stableCards()) return layoutStableCardSheets(list_->rows());
  const std::optional<int> start = parseStartPosition(start_->text());
  if (!start) {
    store::dialogs().warn(QStringLiteral("„Druck ab Nummer“ muss eine Zahl von 1 bis 24 sein."));
    start_->setFocus();
    start_->selectAll();
    return std::nullopt;
  }
  return layoutTransportLabels(list_->rows(), *start);
}

void TFormTransportaufkleber::print(bool preview) {
  const std::optional<reports::PageModel> model = pagesToPrint();
  if (!model || !services_.showPages) return;
  // The preview must be able to come to the front: the window stops staying on top meanwhile.
  const bool onTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  if (onTop && isVisible()) {
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
  }
  services_.showPages(this, *model, preview);
  if (onTop && !windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
  }
}

void TFormTransportaufkleber::DruckvorschauClick() {
  print(true);
}
void TFormTransportaufkleber::DruckenClick() {
  print(false);
}

bool TFormTransportaufkleber::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Insert) {
        const int column = grid_->currentColumn();
        if (watched != grid_ || column == ColRechts || column == ColLinks || column == ColStall ||
            column == ColRasse || column == ColKaefig || column < 0) {
          NeuesTierClick();
          return true;
        }
      }
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
      if (watched == grid_->viewport() || watched == grid_) {
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
      }
      break;
    case QEvent::Drop:
      if (watched == grid_->viewport() || watched == grid_) {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto animal =
            shell::decodeDraggedAnimal(drop->mimeData()->data(QString::fromLatin1(shell::kAnimalMimeType)));
        if (animal) dropAnimal(animal->tatoRechts, animal->tatoLinks);
        drop->acceptProposedAction();
        return true;
      }
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace lapiro::output::ui
