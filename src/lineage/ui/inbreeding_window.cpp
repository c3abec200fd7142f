#include "lineage/ui/inbreeding_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "reports/ui/report_preview.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"
#include "store/ui/animal_search_dialog.h"

namespace lapiro::lineage::ui {

using store::dialogs;
using store::messageText;

namespace {

QPlainTextEdit* resultText() {
  auto* t = new QPlainTextEdit;
  t->setReadOnly(true);
  t->setLineWrapMode(QPlainTextEdit::NoWrap);
  return t;
}

std::optional<QString> askNameDialog(QWidget* parent, const QString& proposal) {
  QInputDialog d(parent);
  d.setWindowTitle(QStringLiteral("Speichern"));
  d.setLabelText(QStringLiteral("Bitte Name für Speicherung eingeben"));
  d.setTextValue(proposal);
  d.setOkButtonText(QStringLiteral("OK"));
  d.setCancelButtonText(QStringLiteral("Abbruch"));
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.textValue();
}

std::optional<qint64> chooseSavedDialog(QWidget* parent, const std::vector<GespeicherteBerechnung>& list) {
  QDialog d(parent);
  d.setWindowTitle(QStringLiteral("Laden einer Inzuchtgradberechnung"));
  auto* layout = new QVBoxLayout(&d);
  auto* table = new QTableWidget(static_cast<int>(list.size()), 4, &d);
  table->setHorizontalHeaderLabels(
      {QStringLiteral("Gen."), QStringLiteral("Kaninchen"), QStringLiteral("Vater"), QStringLiteral("Mutter")});
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  for (int r = 0; r < static_cast<int>(list.size()); ++r) {
    table->setItem(r, 0, new QTableWidgetItem(QString::number(list[r].generation)));
    table->setItem(r, 1, new QTableWidgetItem(list[r].name));
    table->setItem(r, 2, new QTableWidgetItem(list[r].vater));
    table->setItem(r, 3, new QTableWidgetItem(list[r].mutter));
  }
  table->resizeColumnsToContents();
  table->selectRow(0);
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(&d);
  buttons->addButton(QStringLiteral("Laden"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Abbruch"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  QObject::connect(table, &QTableWidget::cellDoubleClicked, &d, &QDialog::accept);
  layout->addWidget(buttons);
  d.resize(560, 360);
  if (d.exec() != QDialog::Accepted || table->currentRow() < 0) return std::nullopt;
  return list[table->currentRow()].laufendeNummer;
}

}  // namespace

TFormInzuchtgrad::TFormInzuchtgrad(engine::Engine& engine, qint64 current, QWidget* parent)
    : QWidget(parent), engine_(engine), calc_(engine) {
  setWindowTitle(QStringLiteral("Inzuchtgradberechnung"));
  setAttribute(Qt::WA_DeleteOnClose);
  nameAsker = [this](const QString& p) { return askNameDialog(this, p); };
  loadChooser = [this](const std::vector<GespeicherteBerechnung>& l) { return chooseSavedDialog(this, l); };
  reportSink = [this](const reports::Report& r, const reports::ReportDataSource& d) {
    reports::showReportPreview(this, r, d);
  };
  buildUi();
  if (current != 0) {
    store::guarded([&] {
      calc_.waehleKaninchen(current, ein_);
      showInputs();
      if (calc_.berechne(ein_, aus_, true)) showResults();
    });
  }
}

TFormInzuchtgrad::~TFormInzuchtgrad() {
  closeGrid();
  calc_.dropWorkTable();
}

void TFormInzuchtgrad::buildUi() {
  auto* root = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* artBox = new QGroupBox(QStringLiteral("Berechnungsart"));
  auto* artLayout = new QVBoxLayout(artBox);
  artKaninchen_ = new QRadioButton(QStringLiteral("Kaninchen"));
  artEltern_ = new QRadioButton(QStringLiteral("Eltern"));
  artKaninchen_->setChecked(true);
  artLayout->addWidget(artKaninchen_);
  artLayout->addWidget(artEltern_);
  auto* group = new QButtonGroup(this);
  group->addButton(artKaninchen_, 0);
  group->addButton(artEltern_, 1);
  connect(group, &QButtonGroup::idClicked, this,
          [this](int id) { setzeArt(id == 1 ? Berechnungsart::Eltern : Berechnungsart::Kaninchen); });
  top->addWidget(artBox);

  auto* grid = new QGridLayout;
  auto row = [&](int r, const QString& label, QLineEdit*& name, QPushButton*& button, QLineEdit*& formel, int wer) {
    grid->addWidget(new QLabel(label), r, 0);
    name = new QLineEdit;
    name->setReadOnly(true);
    name->setMinimumWidth(200);
    grid->addWidget(name, r, 1);
    button = new QPushButton(QStringLiteral("…"));
    button->setToolTip(QStringLiteral("Tier suchen"));
    button->setFixedWidth(28);
    connect(button, &QPushButton::clicked, this, [this, wer] { suche(wer); });
    grid->addWidget(button, r, 2);
    grid->addWidget(new QLabel(QStringLiteral("Erbformel")), r, 3);
    formel = new QLineEdit;
    formel->setReadOnly(true);
    grid->addWidget(formel, r, 4);
  };
  row(0, QStringLiteral("Kaninchen"), katzename_, sucheKaninchen_, kaninchenErbformel_, 0);
  row(1, QStringLiteral("Vater"), vatername_, sucheVater_, vaterErbformel_, 1);
  row(2, QStringLiteral("Mutter"), muttername_, sucheMutter_, mutterErbformel_, 2);
  grid->addWidget(new QLabel(QStringLiteral("Generationen (>2) :")), 3, 0);
  generation_ = new QLineEdit(QStringLiteral("4"));
  generation_->setMaxLength(2);
  generation_->setFixedWidth(40);
  connect(generation_, &QLineEdit::textEdited, this, &TFormInzuchtgrad::GenerationEdited);
  connect(generation_, &QLineEdit::editingFinished, this, &TFormInzuchtgrad::GenerationExit);
  grid->addWidget(generation_, 3, 1, Qt::AlignLeft);
  top->addLayout(grid, 1);
  root->addLayout(top);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& caption, const QString& hint, void (TFormInzuchtgrad::*slot)()) {
    auto* b = new QPushButton(caption);
    if (!hint.isEmpty()) b->setToolTip(hint);
    connect(b, &QPushButton::clicked, this, [this, slot] { store::guarded([&] { (this->*slot)(); }); });
    buttons->addWidget(b);
    return b;
  };
  button(QStringLiteral("&Berechnung"), QStringLiteral("Inzuchtgradberechnung starten"), &TFormInzuchtgrad::BerechnungClick);
  button(QStringLiteral("&Drucken"), {}, &TFormInzuchtgrad::DruckenClick);
  button(QStringLiteral("&Speichern"), QStringLiteral("Speichern der Ergebnisse"), &TFormInzuchtgrad::SpeichernClick);
  button(QStringLiteral("&Laden"), QStringLiteral("Inzuchtgradberechnung laden"), &TFormInzuchtgrad::LadenClick);
  buttons->addStretch();
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  connect(hilfe, &QPushButton::clicked, this, [this] { emit helpRequested(kInzuchtHilfe); });
  buttons->addWidget(hilfe);
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  connect(zurueck, &QPushButton::clicked, this, [this] {
    if (auto* w = parentWidget(); w && w->inherits("QMdiSubWindow"))
      w->close();
    else
      close();
  });
  buttons->addWidget(zurueck);
  root->addLayout(buttons);

  druckPanel_ = new QFrame;
  druckPanel_->setFrameShape(QFrame::StyledPanel);
  auto* dl = new QHBoxLayout(druckPanel_);
  mitInzucht_ = new QCheckBox(QStringLiteral("mit Inzuchtliste drucken"));
  mitVorfahren_ = new QCheckBox(QStringLiteral("mit Vorfahrenliste drucken"));
  mitErbformel_ = new QCheckBox(QStringLiteral("mit Erbformel drucken"));
  dl->addWidget(mitInzucht_);
  dl->addWidget(mitVorfahren_);
  dl->addWidget(mitErbformel_);
  auto* drucken = new QPushButton(QStringLiteral("&Drucken"));
  connect(drucken, &QPushButton::clicked, this, [this] { store::guarded([&] { DruckOptionenDrucken(); }); });
  auto* verbergen = new QPushButton(QStringLiteral("&Zurück"));
  connect(verbergen, &QPushButton::clicked, druckPanel_, &QWidget::hide);
  dl->addWidget(drucken);
  dl->addWidget(verbergen);
  druckPanel_->hide();
  root->addWidget(druckPanel_);

  tabs_ = new QTabWidget;
  inzucht_ = resultText();
  ahnenverlust_ = resultText();
  info_ = resultText();
  erbformel_ = resultText();
  grid_ = new QTableView;
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->horizontalHeader()->setSectionsClickable(true);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (!model_) return;
    const QString field = model_->columns().at(section).field;
    if (field == QStringLiteral("Name")) openGrid(QStringLiteral("IndexName"));
    if (field == QStringLiteral("Anzahl")) openGrid(QStringLiteral("IndexAnzahl"));
  });
  tabs_->addTab(inzucht_, QStringLiteral("Inzuchtkoeffizient"));
  tabs_->addTab(ahnenverlust_, QStringLiteral("Ahnenverlust"));
  tabs_->addTab(grid_, QStringLiteral("Vorfahren"));
  tabs_->addTab(info_, QStringLiteral("Info"));
  tabs_->addTab(erbformel_, QStringLiteral("Erbformel"));
  root->addWidget(tabs_, 1);
  setzeArt(Berechnungsart::Kaninchen);
  resize(820, 600);
}

QString TFormInzuchtgrad::tabText(int tab) const {
  switch (tab) {
    case 0: return inzucht_->toPlainText();
    case 1: return ahnenverlust_->toPlainText();
    case 3: return info_->toPlainText();
    case 4: return erbformel_->toPlainText();
    default: return {};
  }
}

void TFormInzuchtgrad::setDruckOptionen(const DruckOptionen& o) {
  mitInzucht_->setChecked(o.inzuchtliste);
  mitVorfahren_->setChecked(o.vorfahrenliste);
  mitErbformel_->setChecked(o.erbformel);
}

void TFormInzuchtgrad::closeGrid() {
  if (model_) model_->setDataSet(nullptr);
  grid_->setModel(nullptr);
  model_.reset();
  vorfahren_.reset();
}

void TFormInzuchtgrad::openGrid(const QString& index) {
  closeGrid();
  gridIndex_ = index;
  if (!engine_.tableExists(QString::fromUtf16(kVorfahrenliste))) return;
  store::guarded([&] {
    auto c = std::make_unique<engine::Cursor>(engine_, QStringLiteral("Vorfahrenliste"));
    c->setTableName(QString::fromUtf16(kVorfahrenliste));
    c->setReadOnly(true);
    c->setIndexName(index);
    c->open();
    vorfahren_ = std::move(c);
    model_ = std::make_unique<engine::CursorModel>(vorfahren_.get());
    model_->setColumns({{QStringLiteral("Anzahl"), QStringLiteral("Anzahl"), 7},
                        {QStringLiteral("Name"), QStringLiteral("Name"), 24},
                        {QStringLiteral("Erbformel"), QStringLiteral("Erbformel"), 16},
                        {QStringLiteral("Zuechter"), QStringLiteral("Züchter"), 24}});
    grid_->setModel(model_.get());
    grid_->resizeColumnsToContents();
  });
}

std::vector<Vorfahr> TFormInzuchtgrad::vorfahrenInGridOrder() {
  std::vector<Vorfahr> list;
  if (!vorfahren_) return aus_.vorfahren;
  for (vorfahren_->first(); !vorfahren_->eof(); vorfahren_->next())
    list.push_back({vorfahren_->field(QStringLiteral("Nummer")).asInteger(),
                    vorfahren_->field(QStringLiteral("Name")).asString(),
                    static_cast<int>(vorfahren_->field(QStringLiteral("Anzahl")).asInteger()),
                    vorfahren_->field(QStringLiteral("Farbe")).value(),
                    vorfahren_->field(QStringLiteral("Erbformel")).asString(),
                    vorfahren_->field(QStringLiteral("Zuechter")).asString()});
  vorfahren_->first();
  return list;
}

void TFormInzuchtgrad::clearResults() {
  aus_ = InzuchtAusgabe{};
  closeGrid();
  calc_.dropWorkTable();
  inzucht_->clear();
  ahnenverlust_->clear();
  info_->clear();
  erbformel_->clear();
}

void TFormInzuchtgrad::showInputs() {
  updating_ = true;
  artKaninchen_->setChecked(ein_.art == Berechnungsart::Kaninchen);
  artEltern_->setChecked(ein_.art == Berechnungsart::Eltern);
  katzename_->setText(ein_.kaninchen.text);
  kaninchenErbformel_->setText(ein_.kaninchen.erbformel);
  vatername_->setText(ein_.vater.text);
  vaterErbformel_->setText(ein_.vater.erbformel);
  muttername_->setText(ein_.mutter.text);
  mutterErbformel_->setText(ein_.mutter.erbformel);
  generation_->setText(QString::number(ein_.generation));
  const bool kaninchen = ein_.art == Berechnungsart::Kaninchen;
  sucheKaninchen_->setEnabled(kaninchen);
  sucheVater_->setEnabled(!kaninchen);
  sucheMutter_->setEnabled(!kaninchen);
  updating_ = false;
}

void TFormInzuchtgrad::showResults() {
  QStringList coefficient = aus_.inzucht;
  coefficient << QString() << QStringLiteral("Der Inzuchtkoeffizient beträgt") + aus_.prozent;
  if (!aus_.alleGenerationen.isEmpty()) coefficient << QString() << aus_.alleGenerationen;
  inzucht_->setPlainText(coefficient.join(u'\n'));
  ahnenverlust_->setPlainText(aus_.ahnenverlust.join(u'\n'));
  QStringList info{aus_.stammbaumkomplett};
  info << aus_.info;
  info_->setPlainText(info.join(u'\n'));
  erbformel_->setPlainText(aus_.erbformel.join(u'\n'));
  openGrid(QStringLiteral("IndexName"));
}

void TFormInzuchtgrad::setzeArt(Berechnungsart art) {
  clearResults();
  ein_.art = art;
  if (art == Berechnungsart::Eltern) {
    ein_.kaninchen = {};
  } else {
    ein_.vater = {};
    ein_.mutter = {};
  }
  ein_.kaninchen.erbformel.clear();
  showInputs();
}

void TFormInzuchtgrad::waehleKaninchen(qint64 nummer) {
  clearResults();
  if (calc_.waehleKaninchen(nummer, ein_)) showInputs();
}

void TFormInzuchtgrad::waehleVater(qint64 nummer) {
  ein_.vater.erbformel.clear();
  if (auto t = calc_.tier(nummer)) ein_.vater = *t;
  showInputs();
}

void TFormInzuchtgrad::waehleMutter(qint64 nummer) {
  ein_.mutter.erbformel.clear();
  if (auto t = calc_.tier(nummer)) ein_.mutter = *t;
  showInputs();
}

void TFormInzuchtgrad::zeigeEltern(qint64 vater, qint64 mutter) {
  setzeArt(Berechnungsart::Eltern);
  ein_.generation = 4;
  waehleVater(vater);
  waehleMutter(mutter);
  if (calc_.berechne(ein_, aus_, true)) showResults();
}

void TFormInzuchtgrad::suche(int wer) {
  if (!suchen_) suchen_ = new store::ui::TsuchenDlg(engine_, this);
  store::SearchRequest request;
  request.mode = 1;
  request.parent = wer == 1 ? store::ParentSearch::Father : wer == 2 ? store::ParentSearch::Mother : store::ParentSearch::None;
  if (suchen_->exec(request) != QDialog::Accepted) return;
  const auto nr = suchen_->chosenNummer();
  if (!nr) return;
  store::guarded([&] {
    if (wer == 0) waehleKaninchen(*nr);
    if (wer == 1) waehleVater(*nr);
    if (wer == 2) waehleMutter(*nr);
  });
}

void TFormInzuchtgrad::GenerationEdited(const QString& text) {
  if (updating_) return;
  clearResults();
  bool ok = false;
  const int g = text.trimmed().toInt(&ok);
  if (ok && g > 4) {
    generation_->setText(QStringLiteral("4"));
    dialogs().inform(messageText(92));
  }
}

void TFormInzuchtgrad::GenerationExit() {
  bool ok = false;
  const int g = generation_->text().trimmed().toInt(&ok);
  if (!ok || g < 3) {
    updating_ = true;
    generation_->setText(QStringLiteral("3"));
    updating_ = false;
    clearResults();
  }
  ein_.generation = std::clamp(generation_->text().toInt(), 3, 4);
}

void TFormInzuchtgrad::BerechnungClick() {
  GenerationExit();
  closeGrid();
  setCursor(Qt::BusyCursor);
  const bool done = calc_.berechne(ein_, aus_);
  unsetCursor();
  if (done) showResults();
}

void TFormInzuchtgrad::SpeichernClick() {
  if (!aus_.berechnet) return;
  QString name;
  if (ein_.art == Berechnungsart::Kaninchen) {
    name = ein_.kaninchen.text;
  } else {
    for (;;) {
      const auto answer = nameAsker(ein_.vater.text + u'_' + ein_.mutter.text);
      if (!answer) return;
      if (!answer->trimmed().isEmpty()) {
        name = *answer;
        break;
      }
      dialogs().error(messageText(86));
    }
  }
  calc_.speichere(name, ein_, aus_);
}

void TFormInzuchtgrad::LadenClick() {
  const auto list = calc_.gespeicherte();
  if (list.empty()) {
    dialogs().inform(messageText(84));
    return;
  }
  const auto chosen = loadChooser(list);
  if (!chosen) return;
  closeGrid();
  if (calc_.lade(*chosen, ein_, aus_)) {
    showInputs();
    showResults();
  }
}

void TFormInzuchtgrad::DruckenClick() { druckPanel_->show(); }

void TFormInzuchtgrad::DruckOptionenDrucken() {
  const DruckOptionen o{mitInzucht_->isChecked(), mitVorfahren_->isChecked(), mitErbformel_->isChecked()};
  const reports::Report report = inbreedingReport(ein_);
  const reports::MemoryDataSource rows = inbreedingReportRows(ein_, aus_, vorfahrenInGridOrder(), o);
  reportSink(report, rows);
}

}  // namespace lapiro::lineage::ui
