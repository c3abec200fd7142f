#include "store/ui/animal_search_dialog.h"

#include "store/ui/grid_columns.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::store::ui {

namespace {

QLineEdit* makeEdit(QWidget* parent, const char16_t* objectName, int maxLength) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromUtf16(objectName));
  if (maxLength > 0) edit->setMaxLength(maxLength);
  return edit;
}

QPushButton* makeButton(QWidget* parent, const char16_t* caption, const char16_t* objectName) {
  auto* button = new QPushButton(QString::fromUtf16(caption), parent);
  button->setObjectName(QString::fromUtf16(objectName));
  button->setAutoDefault(false);
  return button;
}

// The least height that shows a useful number of result rows.
constexpr int kGridHeight = 460;

}  // namespace

TsuchenDlg::TsuchenDlg(engine::Engine& engine, QWidget* parent) : QDialog(parent), search_(engine) {
  setObjectName(QStringLiteral("suchenDlg"));
  setWindowTitle(QStringLiteral("Tier suchen"));

  tatoRechts_ = makeEdit(this, u"EditTatoRechts", 8);
  tatoLinks_ = makeEdit(this, u"EditTatoLinks", 10);
  rasse_ = makeEdit(this, u"EditRasse", 25);
  farbe_ = makeEdit(this, u"EditFarbe", 25);
  zuechter_ = makeEdit(this, u"EditZuechter", 40);
  besitzer_ = makeEdit(this, u"EditBesitzer", 40);
  stallnummer_ = makeEdit(this, u"EditStallnummer", 10);
  status_ = new QComboBox(this);
  status_->setObjectName(QStringLiteral("ComboStatus"));
  status_->setEditable(true);
  status_->setInsertPolicy(QComboBox::NoInsert);
  status_->lineEdit()->setMaxLength(25);  // Status.Name

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Täto rechts"), tatoRechts_);
  form->addRow(QStringLiteral("Täto links"), tatoLinks_);
  form->addRow(QStringLiteral("Rasse"), rasse_);
  form->addRow(QStringLiteral("Farbe"), farbe_);
  form->addRow(QStringLiteral("Züchter"), zuechter_);
  form->addRow(QStringLiteral("Besitzer"), besitzer_);
  form->addRow(QStringLiteral("Stallnummer"), stallnummer_);
  form->addRow(QStringLiteral("Status"), status_);

  suchen_ = makeButton(this, u"&Suchen", u"ButtonSuchen");
  suchen_->setDefault(true);
  QPushButton* ok = makeButton(this, u"&OK", u"ButtonOK");
  QPushButton* abbruch = makeButton(this, u"&Abbruch", u"ButtonAbbruch");
  QPushButton* hilfe = makeButton(this, u"&Hilfe", u"ButtonHilfe");
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {suchen_, ok, abbruch, hilfe}) buttons->addWidget(b);
  buttons->addStretch();

  auto* top = new QHBoxLayout;
  top->addLayout(form, 1);
  top->addLayout(buttons);

  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("DBGridSuche"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->verticalHeader()->setVisible(false);
  grid_->horizontalHeader()->setSectionsClickable(true);
  // One line per animal: long names ("Eigener Bestand") are elided, not wrapped into
  // double-height rows; the last column takes what is left of the width.
  grid_->setWordWrap(false);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  model_ = std::make_unique<engine::CursorModel>(&search_.result());
  model_->setColumns(AnimalSearch::gridColumns());
  grid_->setModel(model_.get());
  fitGridColumns(grid_, *model_, static_cast<int>(model_->columns().size()) - 1);
  grid_->hide();
  hits_ = new QLabel(this);
  hits_->setObjectName(QStringLiteral("LabelTreffer"));
  hits_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(hits_);
  layout->addWidget(grid_, 1);

  connect(suchen_, &QPushButton::clicked, this, &TsuchenDlg::SuchenClick);
  connect(ok, &QPushButton::clicked, this, &TsuchenDlg::OKClick);
  connect(abbruch, &QPushButton::clicked, this, &TsuchenDlg::AbbruchClick);
  connect(hilfe, &QPushButton::clicked, this, [this] { emit helpRequested(kSearchHelpContext); });
  connect(grid_, &QTableView::doubleClicked, this, &TsuchenDlg::DBGridDblClick);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TsuchenDlg::gridTitleClick);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) model_->moveTo(current.row());
          });
  connect(tatoLinks_, &QLineEdit::textChanged, this, &TsuchenDlg::EditTatoLinksChange);

  resize(kSearchMinWidth, kSearchMinHeight);
  search_.prepare();
}

TsuchenDlg::~TsuchenDlg() {
  // The model listens to the result, which is destroyed after it.
  if (model_) model_->setDataSet(nullptr);
}

void TsuchenDlg::prepareForShow(const SearchRequest& request) {
  request_ = request;
  chosen_.reset();
  if (gridShown()) hideGrid(true);
  search_.close();
  search_.refreshStatusNames();
  status_->clear();
  status_->addItems(search_.statusNames());
  fillBoxes({});
  tatoRechts_->setFocus();
}

int TsuchenDlg::exec(const SearchRequest& request) {
  prepareForShow(request);
  const int result = QDialog::exec();
  // Keep only the chosen number: an open result would hold the tables it looked up.
  chosen_ = result == QDialog::Accepted ? search_.currentNummer() : std::nullopt;
  search_.close();
  return result;
}

std::optional<qint64> TsuchenDlg::chosenNummer() {
  return search_.result().isOpen() ? search_.currentNummer() : chosen_;
}

bool TsuchenDlg::gridShown() const {
  return !grid_->isHidden();
}

SearchBoxes TsuchenDlg::boxes() const {
  SearchBoxes b;
  b.tatoRechts = tatoRechts_->text();
  b.tatoLinks = tatoLinks_->text();
  b.rasse = rasse_->text();
  b.farbe = farbe_->text();
  b.zuechter = zuechter_->text();
  b.besitzer = besitzer_->text();
  b.stallnummer = stallnummer_->text();
  b.status = status_->currentText();
  return b;
}

void TsuchenDlg::fillBoxes(const SearchBoxes& b) {
  tatoRechts_->setText(b.tatoRechts);
  tatoLinks_->setText(b.tatoLinks);
  rasse_->setText(b.rasse);
  farbe_->setText(b.farbe);
  zuechter_->setText(b.zuechter);
  besitzer_->setText(b.besitzer);
  stallnummer_->setText(b.stallnummer);
  status_->setCurrentIndex(-1);
  status_->setEditText(b.status);
}

void TsuchenDlg::EditTatoLinksChange(const QString& text) {
  if (!text.contains(u',')) return;
  const int pos = tatoLinks_->cursorPosition();
  tatoLinks_->setText(QString(text).replace(u',', u'.'));
  tatoLinks_->setCursorPosition(pos);
}

void TsuchenDlg::showGrid() {
  formerPlace_ = geometry();
  const QRect screenArea =
      screen() ? screen()->availableGeometry() : QRect(formerPlace_.topLeft(), QSize(1024, 768));
  QRect place = placementWithGrid(formerPlace_, screenArea);
  place.setHeight(std::max(place.height(), kGridHeight));
  grid_->show();
  hits_->show();
  setGeometry(place);
  grid_->setFocus();
}

void TsuchenDlg::hideGrid(bool minimumSize) {
  grid_->hide();
  hits_->hide();
  if (!formerPlace_.isValid()) return;
  QRect place = formerPlace_;
  if (minimumSize) place.setSize(QSize(kSearchMinWidth, kSearchMinHeight));
  place.setWidth(std::max(place.width(), kSearchMinWidth));
  place.setHeight(std::max(place.height(), kSearchMinHeight));
  setGeometry(place);
}

void TsuchenDlg::SuchenClick() {
  if (gridShown()) {
    hideGrid(false);
    return;
  }
  qint64 rows = 0;
  try {
    rows = search_.run(boxes(), request_);
  } catch (const engine::EngineError& e) {
    search_.close();
    dialogs().error(e.message());
    return;
  }
  if (rows == 0) {
    dialogs().warn(messageText(kNoAnimalFound));
  } else if (rows == 1) {
    SearchBoxes b = search_.boxesOfCurrent(false);
    b.stallnummer = stallnummer_->text();
    fillBoxes(b);
  } else {
    hits_->setText(QStringLiteral("%1 Tiere gefunden").arg(QLocale(QLocale::German, QLocale::Germany).toString(rows)));
    showGrid();
    grid_->selectRow(0);
  }
}

void TsuchenDlg::gridTitleClick(int section) {
  const auto& columns = model_->columns();
  if (section < 0 || section >= static_cast<int>(columns.size())) return;
  try {
    if (search_.sortBy(columns[static_cast<size_t>(section)].field)) grid_->selectRow(0);
  } catch (const engine::EngineError& e) {
    dialogs().error(e.message());
  }
}

void TsuchenDlg::DBGridDblClick(const QModelIndex& index) {
  if (!index.isValid() || !model_->moveTo(index.row())) return;
  fillBoxes(search_.boxesOfCurrent(true));
  hideGrid(true);
}

void TsuchenDlg::OKClick() {
  if (gridShown()) hideGrid(false);
  accept();
}

void TsuchenDlg::AbbruchClick() {
  if (gridShown()) hideGrid(false);
  reject();
}

}  // namespace lapiro::store::ui
