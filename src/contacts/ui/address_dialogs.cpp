#include "contacts/ui/address_dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "contacts/address_book.h"
#include "contacts/ui/help_topic.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::contacts::ui {

namespace {
constexpr int kHilfeSuche = 101;
constexpr int kListWidth = 700;
}  // namespace

TSuchenAdrDlg::TSuchenAdrDlg(engine::Engine& engine, QWidget* parent)
    : QDialog(parent),
      engine_(engine),
      query_(std::make_unique<engine::Query>(engine, QStringLiteral("SuchAdresse"))) {
  setWindowTitle(QStringLiteral("Suche aus der Adressendatei"));
  prepareSearchQuery(*query_);

  auto* form = new QFormLayout;
  const auto box = [&](const QString& caption, QLineEdit*& edit, int maxLength) {
    edit = new QLineEdit(this);
    edit->setMaxLength(maxLength);
    auto* label = new QLabel(caption, this);
    label->setBuddy(edit);
    form->addRow(label, edit);
  };
  box(QStringLiteral("&Name"), name_, address_search_size::kName);
  box(QStringLiteral("&Vorname"), vorname_, address_search_size::kVorname);
  box(QStringLiteral("Telefon"), telefon_, address_search_size::kTelefon);
  box(QStringLiteral("Rasse"), rasse_, address_search_size::kRasse);
  box(QStringLiteral("Ort"), ort_, address_search_size::kOrt);
  box(QStringLiteral("PLZ"), plz_, address_search_size::kPlz);
  box(QStringLiteral("Land"), land_, address_search_size::kLand);
  status_ = new QComboBox(this);
  status_->setEditable(true);
  status_->lineEdit()->setMaxLength(address_search_size::kStatus);
  form->addRow(QStringLiteral("Status"), status_);

  list_ = new QTableView(this);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->verticalHeader()->hide();
  list_->hide();
  model_ = std::make_unique<engine::CursorModel>(query_.get());
  model_->setColumns({{QStringLiteral("Anzeige"), QStringLiteral("Name"), 25},
                      {QStringLiteral("Straße"), QStringLiteral("Straße"), 20},
                      {QStringLiteral("PLZ"), QStringLiteral("PLZ"), 6},
                      {QStringLiteral("Ort"), QStringLiteral("Ort"), 15},
                      {QStringLiteral("Vereinskennzeichen"), QStringLiteral("Vereinskz."), 8},
                      {QStringLiteral("RasseAnzeige"), QStringLiteral("Rasse"), 15},
                      {QStringLiteral("Land"), QStringLiteral("Land"), 10},
                      {QStringLiteral("Status"), QStringLiteral("Status"), 10}});
  list_->setModel(model_.get());
  connect(list_, &QTableView::doubleClicked, this, &TSuchenAdrDlg::takeRow);
  connect(list_, &QTableView::activated, this, &TSuchenAdrDlg::takeRow);

  suchen_ = new QPushButton(QStringLiteral("&Suchen"), this);
  suchen_->setDefault(true);
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"), this);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  connect(suchen_, &QPushButton::clicked, this, &TSuchenAdrDlg::SuchenClick);
  connect(ok, &QPushButton::clicked, this, &TSuchenAdrDlg::OkClick);
  connect(abbruch, &QPushButton::clicked, this, &QDialog::reject);
  connect(hilfe, &QPushButton::clicked, this, [this] { showHelpTopic(this, kHilfeSuche); });
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {suchen_, ok, abbruch, hilfe}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  suchen_->setAutoDefault(true);
  buttons->addStretch();

  auto* top = new QHBoxLayout;
  top->addLayout(form, 1);
  top->addLayout(buttons);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addWidget(list_, 1);
}

TSuchenAdrDlg::~TSuchenAdrDlg() {
  model_->setDataSet(nullptr);
}

void TSuchenAdrDlg::prepareShowing() {
  for (QLineEdit* e : {name_, vorname_, telefon_, rasse_, ort_, plz_, land_}) e->clear();
  status_->clear();
  status_->addItem(QString());
  try {
    status_->addItems(categoryNames(engine_));
  } catch (const engine::EngineError&) {
    // Without the category list the box still takes typed text.
  }
  status_->setCurrentIndex(0);
  query_->close();
  list_->hide();
  name_->setFocus();
}

int TSuchenAdrDlg::exec() {
  prepareShowing();
  return QDialog::exec();
}

bool TSuchenAdrDlg::hasResult() const {
  return query_->isOpen() && query_->hasRecord();
}

qint64 TSuchenAdrDlg::chosenNumber() const {
  return hasResult() ? query_->field(QStringLiteral("LaufendeNr")).asInteger() : 0;
}

AddressSearchBoxes TSuchenAdrDlg::boxes() const {
  return {name_->text(), vorname_->text(), telefon_->text(), rasse_->text(),
          ort_->text(),  plz_->text(),     land_->text(),    status_->currentText()};
}

void TSuchenAdrDlg::setBoxes(const AddressSearchBoxes& b) {
  name_->setText(b.name);
  vorname_->setText(b.vorname);
  telefon_->setText(b.telefon);
  rasse_->setText(b.rasse);
  ort_->setText(b.ort);
  plz_->setText(b.plz);
  land_->setText(b.land);
  status_->setCurrentText(b.status);
}

void TSuchenAdrDlg::SuchenClick() {
  if (!list_->isHidden()) {
    list_->hide();
    return;
  }
  qint64 found = 0;
  try {
    found = runAddressSearch(engine_, *query_, boxes());
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  if (found == 0) {
    query_->close();
    store::dialogs().warn(store::messageText(kMeldungKeineAdresse));
    return;
  }
  if (found == 1) {
    setBoxes(boxesFromRow(*query_));
    return;
  }
  list_->show();
  list_->selectRow(0);
  if (width() < kListWidth) resize(kListWidth, height() + 200);
}

void TSuchenAdrDlg::takeRow(const QModelIndex& index) {
  if (!index.isValid() || !model_->moveTo(index.row())) return;
  setBoxes(boxesFromRow(*query_));
  list_->hide();
}

void TSuchenAdrDlg::OkClick() {
  if (!list_->isHidden()) {
    const QModelIndex current = list_->currentIndex();
    if (current.isValid()) model_->moveTo(current.row());
  }
  if (hasResult())
    accept();
  else
    reject();
}

TFormAdressegefunden::TFormAdressegefunden(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Name gefunden"));
  auto* text = new QLabel(QStringLiteral("Eintrag mit gleichem Namen gefunden !"), this);
  auto* neu = new QPushButton(QStringLiteral("Neuaufnehmen"), this);
  auto* abbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  neu->setDefault(true);
  neu->setObjectName(QStringLiteral("Neuaufnehmen"));
  abbrechen->setObjectName(QStringLiteral("Abbrechen"));
  connect(neu, &QPushButton::clicked, this, &QDialog::accept);
  connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(neu);
  buttons->addWidget(abbrechen);
  auto* all = new QVBoxLayout(this);
  all->addWidget(text);
  all->addLayout(buttons);
}

}  // namespace lapiro::contacts::ui
