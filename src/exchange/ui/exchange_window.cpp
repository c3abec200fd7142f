#include "exchange/ui/exchange_window.h"

#include "exchange/exchange_export.h"
#include "exchange/passport.h"
#include "exchange/ui/csv_dialog.h"
#include "engine/cursor.h"
#include "shell/animal_list.h"
#include "store/animal_search.h"
#include "store/dialog_service.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lapiro::exchange::ui {

namespace {

// The tattoos and Nummer of an animal, "" when there is none.
QString animalEntry(engine::Engine& engine, qint64 nummer) {
  engine::Cursor c(engine);
  c.setTableName(QStringLiteral("Hasen"));
  c.setReadOnly(true);
  c.open();
  QString entry;
  if (c.findKey({static_cast<qlonglong>(nummer)}))
    entry = shell::recentEntry(c.field(QStringLiteral("TatoRechts")).asString(),
                               c.field(QStringLiteral("TatoLinks")).asString(), nummer);
  c.close();
  return entry;
}

QTreeWidgetItem* section(QTreeWidget* tree, const QString& title) {
  auto* item = new QTreeWidgetItem(tree, {title});
  QFont f = item->font(0);
  f.setBold(true);
  item->setFont(0, f);
  item->setFirstColumnSpanned(true);  // the counts are longer than the first column
  item->setExpanded(true);
  return item;
}

}  // namespace

TFormDatenaustausch::TFormDatenaustausch(engine::Engine& engine, QString logDir, Sources sources, QWidget* parent)
    : QWidget(parent), engine_(engine), logDir_(std::move(logDir)), sources_(std::move(sources)) {
  setWindowTitle(QStringLiteral("Datenaustausch"));
  setObjectName(QStringLiteral("Datenaustausch"));
  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildExportPage(), QStringLiteral("Auslagerung"));
  tabs_->addTab(buildImportPage(), QStringLiteral("Einlagerung"));
  layout->addWidget(tabs_);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"), this);
  connect(zurueck, &QPushButton::clicked, this, [this] {
    if (parentWidget())
      parentWidget()->close();
    else
      close();
  });
  bottom->addWidget(zurueck);
  layout->addLayout(bottom);
  resize(760, 560);
}

TFormDatenaustausch::~TFormDatenaustausch() = default;

QWidget* TFormDatenaustausch::buildExportPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);

  auto* tiere = new QGroupBox(QStringLiteral("Tiere"), page);
  auto* tl = new QHBoxLayout(tiere);
  auswahl_ = new QListWidget(tiere);
  auswahl_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auswahl_->setToolTip(QStringLiteral("Tiere aus der Tierliste hierher ziehen"));
  tl->addWidget(auswahl_, 1);
  auto* knoepfe = new QVBoxLayout;
  auto* aktuell = new QPushButton(QStringLiteral("Aktuelles &Tier"), tiere);
  connect(aktuell, &QPushButton::clicked, this, [this] {
    if (sources_.currentAnimal) addAnimal(sources_.currentAnimal());
  });
  auto* liste = new QPushButton(QStringLiteral("Tier&liste übernehmen"), tiere);
  liste->setToolTip(QStringLiteral("alle Tiere der Tierliste, wie sie angezeigt wird"));
  connect(liste, &QPushButton::clicked, this, [this] {
    if (sources_.listAnimals)
      for (qint64 n : sources_.listAnimals()) addAnimal(n);
  });
  auto* entfernen = new QPushButton(QStringLiteral("&Entfernen"), tiere);
  connect(entfernen, &QPushButton::clicked, this, [this] { qDeleteAll(auswahl_->selectedItems()); });
  auto* leeren = new QPushButton(QStringLiteral("Lee&ren"), tiere);
  connect(leeren, &QPushButton::clicked, auswahl_, &QListWidget::clear);
  knoepfe->addWidget(aktuell);
  knoepfe->addWidget(liste);
  knoepfe->addWidget(entfernen);
  knoepfe->addWidget(leeren);
  knoepfe->addStretch();
  tl->addLayout(knoepfe);
  layout->addWidget(tiere, 1);

  auto* suche = new QGroupBox(QStringLiteral("Suchergebnis übernehmen"), page);
  auto* sl = new QHBoxLayout(suche);
  sucheRechts_ = new QLineEdit(suche);
  sucheLinks_ = new QLineEdit(suche);
  sucheRasse_ = new QLineEdit(suche);
  sl->addWidget(new QLabel(QStringLiteral("Täto rechts"), suche));
  sl->addWidget(sucheRechts_);
  sl->addWidget(new QLabel(QStringLiteral("Täto links"), suche));
  sl->addWidget(sucheLinks_);
  sl->addWidget(new QLabel(QStringLiteral("Rasse"), suche));
  sl->addWidget(sucheRasse_);
  auto* suchen = new QPushButton(QStringLiteral("&Suchen"), suche);
  connect(suchen, &QPushButton::clicked, this, &TFormDatenaustausch::searchAndAdd);
  sl->addWidget(suchen);
  layout->addWidget(suche);

  auto* optionen = new QGroupBox(QStringLiteral("Umfang"), page);
  auto* form = new QFormLayout(optionen);
  alle_ = new QCheckBox(QStringLiteral("alle Tiere auslagern"), optionen);
  connect(alle_, &QCheckBox::toggled, this, [this](bool on) {
    auswahl_->setEnabled(!on);
    generationen_->setEnabled(!on);
  });
  form->addRow(alle_);
  generationen_ = new QSpinBox(optionen);
  generationen_->setRange(0, 6);
  generationen_->setValue(4);
  form->addRow(QStringLiteral("Anzahl Generationen "), generationen_);
  adressen_ = new QCheckBox(QStringLiteral("mit Adressen"), optionen);
  adressen_->setChecked(true);
  form->addRow(adressen_);
  ausstellungen_ = new QCheckBox(QStringLiteral("mit Ausstellungsergebnissen"), optionen);
  form->addRow(ausstellungen_);
  auto* zielZeile = new QHBoxLayout;
  ziel_ = new QLineEdit(optionen);
  ziel_->setText(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  auto* ordner = new QPushButton(QStringLiteral("&Ordner…"), optionen);
  connect(ordner, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Zielordner"), ziel_->text());
    if (!dir.isEmpty()) ziel_->setText(dir);
  });
  zielZeile->addWidget(ziel_, 1);
  zielZeile->addWidget(ordner);
  form->addRow(QStringLiteral("Zielordner"), zielZeile);
  layout->addWidget(optionen);

  auto* row = new QHBoxLayout;
  auto* csv = new QPushButton(QStringLiteral("Tierliste als &CSV"), page);
  csv->setToolTip(QStringLiteral("die Tierliste, wie sie angezeigt wird, in den Zielordner"));
  connect(csv, &QPushButton::clicked, this, [this] { exportList(false); });
  auto* xlsx = new QPushButton(QStringLiteral("Tierliste als &XLSX"), page);
  xlsx->setToolTip(csv->toolTip());
  connect(xlsx, &QPushButton::clicked, this, [this] { exportList(true); });
  row->addWidget(csv);
  row->addWidget(xlsx);
  row->addStretch();
  auto* auslagern = new QPushButton(QStringLiteral("&Auslagern"), page);
  connect(auslagern, &QPushButton::clicked, this, [this] { AuslagernClick(); });
  row->addWidget(auslagern);
  layout->addLayout(row);
  return page;
}

QWidget* TFormDatenaustausch::buildImportPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* dateiZeile = new QHBoxLayout;
  dateiZeile->addWidget(new QLabel(QStringLiteral("Datei"), page));
  datei_ = new QLineEdit(page);
  datei_->setReadOnly(true);
  dateiZeile->addWidget(datei_, 1);
  auto* waehlen = new QPushButton(QStringLiteral("&Datei…"), page);
  connect(waehlen, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Austauschdatei"), ziel_->text(),
                                                      QStringLiteral("Austauschdateien (*.json)"));
    if (!path.isEmpty()) loadImportFile(path);
  });
  dateiZeile->addWidget(waehlen);
  auto* tabelle = new QPushButton(QStringLiteral("CSV-&Tabelle…"), page);
  connect(tabelle, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Tierliste (CSV)"), ziel_->text(),
                                                      QStringLiteral("CSV-Dateien (*.csv *.txt)"));
    if (path.isEmpty()) return;
    QFile f(path);
    if (f.size() > 64LL * 1024 * 1024 || !f.open(QIODevice::ReadOnly)) {
      store::dialogs().error(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(path));
      return;
    }
    TFormCsvEinlesen dialog(engine_, readCsv(f.readAll()), this);
    if (dialog.exec() == QDialog::Accepted && dialog.result()) takeChecked(path, *dialog.result());
  });
  dateiZeile->addWidget(tabelle);
  auto* bild = new QPushButton(QStringLiteral("&Bild…"), page);
  bild->setToolTip(QStringLiteral("Abstammungspass: Scan oder Foto eines Abstammungsnachweises mit QR-Code"));
  connect(bild, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Abstammungsnachweis (Bild)"), ziel_->text(),
                                                      QStringLiteral("Bilder (*.jpg *.jpeg *.png)"));
    if (!path.isEmpty()) loadPassportImage(path);
  });
  dateiZeile->addWidget(bild);
  layout->addLayout(dateiZeile);

  auto* optionen = new QHBoxLayout;
  auto* statusBox = new QGroupBox(QStringLiteral("Status neuer Tiere"), page);
  auto* stl = new QVBoxLayout(statusBox);
  status_ = new QComboBox(statusBox);
  try {
    engine::Cursor c(engine_);
    c.setTableName(QStringLiteral("Status"));
    c.setReadOnly(true);
    c.open();
    for (c.first(); !c.eof(); c.next())
      status_->addItem(c.field(QStringLiteral("Name")).asString(), c.field(QStringLiteral("Nummer")).asInteger());
    c.close();
  } catch (const engine::EngineError&) {
    // Without a status list new animals get status 2, shown as the bare number.
  }
  if (status_->count() == 0) status_->addItem(QStringLiteral("2"), 2);
  const int zwei = status_->findData(2);
  status_->setCurrentIndex(zwei >= 0 ? zwei : 0);
  stl->addWidget(status_);
  stl->addStretch();
  optionen->addWidget(statusBox);
  auto modeBox = [&](const QString& title, QRadioButton* (&buttons)[3]) {
    auto* box = new QGroupBox(title, page);
    auto* bl = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const MergeMode modes[] = {MergeMode::FillEmpty, MergeMode::AppendOnly, MergeMode::Overwrite};
    for (int i = 0; i < 3; ++i) {
      buttons[i] = new QRadioButton(mergeModeCaption(modes[i]), box);
      group->addButton(buttons[i], i);
      bl->addWidget(buttons[i]);
    }
    buttons[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this] { replan(); });
    optionen->addWidget(box);
  };
  modeBox(QStringLiteral("Tiere"), tierModus_);
  modeBox(QStringLiteral("Adressen"), adressModus_);
  layout->addLayout(optionen);

  control_ = new QTreeWidget(page);
  control_->setColumnCount(5);
  control_->setHeaderLabels({QStringLiteral("Datensatz"), QStringLiteral("Zustand"), QStringLiteral("im Bestand"),
                             QStringLiteral("in der Datei"), QStringLiteral("Wirkung")});
  control_->header()->setSectionResizeMode(QHeaderView::Interactive);
  control_->setColumnWidth(0, 190);
  control_->setColumnWidth(1, 80);
  control_->setColumnWidth(2, 120);
  control_->setColumnWidth(3, 120);
  layout->addWidget(control_, 1);
  summary_ = new QLabel(page);
  layout->addWidget(summary_);

  auto* row = new QHBoxLayout;
  auto* rueck = new QPushButton(QStringLiteral("&Rückgängig…"), page);
  rueck->setToolTip(QStringLiteral("eine Einlagerung anhand ihres Protokolls zurücknehmen"));
  connect(rueck, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Protokoll einer Einlagerung"), logDir_,
                                                      QStringLiteral("Protokolle (*.log)"));
    if (!path.isEmpty()) undo(path);
  });
  row->addWidget(rueck);
  row->addStretch();
  einlagern_ = new QPushButton(QStringLiteral("&Einlagern"), page);
  einlagern_->setEnabled(false);
  connect(einlagern_, &QPushButton::clicked, this, [this] { EinlagernClick(); });
  row->addWidget(einlagern_);
  layout->addLayout(row);
  return page;
}

// ------------------------------------------------------------------------------ export

void TFormDatenaustausch::addAnimal(qint64 nummer) {
  if (nummer <= 0) return;
  for (int i = 0; i < auswahl_->count(); ++i)
    if (auswahl_->item(i)->data(Qt::UserRole).toLongLong() == nummer) return;
  QString entry;
  try {
    entry = animalEntry(engine_, nummer);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  if (entry.isEmpty()) return;
  auto* item = new QListWidgetItem(entry, auswahl_);
  item->setData(Qt::UserRole, static_cast<qlonglong>(nummer));
}

std::vector<qint64> TFormDatenaustausch::chosenAnimals() const {
  std::vector<qint64> out;
  for (int i = 0; i < auswahl_->count(); ++i) out.push_back(auswahl_->item(i)->data(Qt::UserRole).toLongLong());
  return out;
}

void TFormDatenaustausch::setTargetFolder(const QString& folder) { ziel_->setText(folder); }

void TFormDatenaustausch::searchAndAdd() {
  store::SearchBoxes boxes;
  boxes.tatoRechts = sucheRechts_->text().trimmed();
  boxes.tatoLinks = sucheLinks_->text().trimmed();
  boxes.rasse = sucheRasse_->text().trimmed();
  try {
    store::AnimalSearch search(engine_);
    search.prepare();
    const qint64 rows = search.run(boxes, store::SearchRequest{});
    engine::Query& q = search.result();
    const int col = q.fieldIndex(QStringLiteral("Nummer"));
    if (rows == 0 || col < 0) {
      store::dialogs().inform(QStringLiteral("Kein Tier gefunden."));
      return;
    }
    for (const auto& row : q.readRows(0, static_cast<int>(rows))) addAnimal(row[col].toLongLong());
    search.close();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

QString TFormDatenaustausch::AuslagernClick() {
  ExportOptions o;
  o.allAnimals = alle_->isChecked();
  o.animals = chosenAnimals();
  o.generations = generationen_->value();
  o.withAddresses = adressen_->isChecked();
  o.withShows = ausstellungen_->isChecked();
  if (!o.allAnimals && o.animals.empty()) {
    store::dialogs().warn(QStringLiteral("Bitte Tiere auswählen oder \"alle Tiere auslagern\" ankreuzen."));
    return {};
  }
  const QString folder = ziel_->text().trimmed();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    store::dialogs().warn(QStringLiteral("Den Zielordner \"%1\" gibt es nicht.").arg(folder));
    return {};
  }
  try {
    const ExchangeFile file = collectExport(engine_, o);
    const QString path = QDir(folder).filePath(exportFileName(QDateTime::currentDateTime()));
    const QString error = saveExchangeFile(file, path);
    if (!error.isEmpty()) {
      store::dialogs().error(error);
      return {};
    }
    store::dialogs().inform(QStringLiteral("%1 Tiere und %2 Adressen ausgelagert in\n%3")
                                .arg(file.animals.size())
                                .arg(file.addresses.size())
                                .arg(QDir::toNativeSeparators(path)));
    return path;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return {};
  }
}

QString TFormDatenaustausch::exportList(bool xlsx) {
  if (!sources_.listSheet) return {};
  const QString folder = ziel_->text().trimmed();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    store::dialogs().warn(QStringLiteral("Den Zielordner \"%1\" gibt es nicht.").arg(folder));
    return {};
  }
  const QString path = QDir(folder).filePath(QStringLiteral("Tierliste-%1.%2")
                                                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                                                      xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv")));
  try {
    const Sheet sheet = sources_.listSheet();
    const QString error = xlsx ? writeXlsx(sheet, path) : writeCsv(sheet, path);
    if (!error.isEmpty()) {
      store::dialogs().error(error);
      return {};
    }
    store::dialogs().inform(QStringLiteral("%1 Tiere geschrieben in\n%2").arg(sheet.rows.size()).arg(QDir::toNativeSeparators(path)));
    return path;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return {};
  }
}

void TFormDatenaustausch::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(shell::kAnimalMimeType))) event->acceptProposedAction();
}

void TFormDatenaustausch::dropEvent(QDropEvent* event) {
  const auto animal = shell::decodeDraggedAnimal(event->mimeData()->data(QString::fromLatin1(shell::kAnimalMimeType)));
  if (!animal) return;
  tabs_->setCurrentIndex(0);
  addAnimal(animal->nummer);
  event->acceptProposedAction();
}

// ------------------------------------------------------------------------------ import

MergeMode TFormDatenaustausch::mode(QRadioButton* const (&buttons)[3]) const {
  if (buttons[1]->isChecked()) return MergeMode::AppendOnly;
  if (buttons[2]->isChecked()) return MergeMode::Overwrite;
  return MergeMode::FillEmpty;
}

void TFormDatenaustausch::setAnimalMode(MergeMode m) {
  tierModus_[static_cast<int>(m)]->setChecked(true);
  replan();
}

void TFormDatenaustausch::setAddressMode(MergeMode m) {
  adressModus_[static_cast<int>(m)]->setChecked(true);
  replan();
}

ImportOptions TFormDatenaustausch::importOptions() const {
  ImportOptions o;
  o.newStatus = status_->currentData().toLongLong();
  o.animalMode = mode(tierModus_);
  o.addressMode = mode(adressModus_);
  return o;
}

bool TFormDatenaustausch::loadImportFile(const QString& path) {
  file_.reset();
  plan_.reset();
  control_->clear();
  summary_->clear();
  einlagern_->setEnabled(false);
  datei_->setText(QDir::toNativeSeparators(path));
  const ReadResult r = readExchangeFile(path);
  if (!r.file) {
    store::dialogs().error(QStringLiteral("Die Datei \"%1\" kann nicht eingelagert werden:\n%2")
                               .arg(QFileInfo(path).fileName(), r.error));
    return false;
  }
  importPath_ = path;
  file_ = r.file;
  replan();
  return plan_.has_value();
}

bool TFormDatenaustausch::loadPassportImage(const QString& path) {
  const PassportRead r = readPassportImageFile(path);
  if (!r.file) {
    store::dialogs().error(QStringLiteral("Aus dem Bild \"%1\" kann nichts eingelagert werden:\n%2")
                               .arg(QFileInfo(path).fileName(), r.error));
    return false;
  }
  takeChecked(path, *r.file);
  return plan_.has_value();
}

void TFormDatenaustausch::takeChecked(const QString& path, const ExchangeFile& file) {
  tabs_->setCurrentIndex(1);
  datei_->setText(QDir::toNativeSeparators(path));
  importPath_ = path;
  file_ = file;
  replan();
}

void TFormDatenaustausch::replan() {
  if (!file_) return;
  try {
    plan_ = planImport(engine_, *file_, importOptions());
  } catch (const engine::EngineError& e) {
    plan_.reset();
    store::dialogs().error(e.message());
  }
  fillControlView();
  einlagern_->setEnabled(plan_.has_value());
}

void TFormDatenaustausch::fillControlView() {
  control_->clear();
  if (!plan_ || !file_) return;
  const ImportPlan& p = *plan_;
  const bool sameStock = p.sameStock;
  if (sameStock)
    section(control_, QStringLiteral("Die Datei wurde aus diesem Bestand ausgelagert: die Einlagerung ändert nichts."));
  auto stateItem = [sameStock](QTreeWidgetItem* parent, const RecordPlan& r, const QString& what) {
    auto* item = new QTreeWidgetItem(parent, {r.display, recordStateText(r.state)});
    if (sameStock) {
      if (r.existing) item->setText(2, QStringLiteral("{%1}").arg(r.existing));
      item->setText(4, QStringLiteral("bleibt unverändert"));
    } else if (r.state == RecordState::Doubtful) {
      // Agrees with a stored address only in name and place: kept apart, not merged.
      item->setText(2, QStringLiteral("{%1}?").arg(r.candidate));
      item->setText(4, what + QStringLiteral(" wird neu angelegt (") + r.note + u')');
      item->setForeground(1, QBrush(QColor(0xb0, 0x00, 0x00)));
    } else if (r.state == RecordState::New) {
      item->setText(4, what + QStringLiteral(" wird angelegt"));
    } else {
      item->setText(2, QStringLiteral("{%1}").arg(r.existing));
      item->setText(4, r.state == RecordState::Present ? QStringLiteral("wird zugeordnet")
                                                       : QStringLiteral("wird zugeordnet, siehe Felder"));
    }
    if (!sameStock && r.state != RecordState::Doubtful && !r.note.isEmpty())
      item->setText(4, item->text(4) + QStringLiteral(" – ") + r.note);
    for (const FieldDiff& d : r.diffs) {
      auto* f = new QTreeWidgetItem(item, {d.caption, QString(), d.storedText, d.incomingText, d.actionText()});
      f->setForeground(4, d.apply ? QBrush(Qt::darkBlue) : QBrush(Qt::darkGray));
    }
    if (r.state == RecordState::Differing) {
      item->setForeground(1, QBrush(QColor(0xb0, 0x50, 0x00)));
      item->setExpanded(true);
    }
    return item;
  };
  auto* tiere = section(control_, QStringLiteral("Tiere: %1 neu, %2 vorhanden, %3 abweichend")
                                      .arg(p.count(RecordState::New))
                                      .arg(p.count(RecordState::Present))
                                      .arg(p.count(RecordState::Differing)));
  for (const RecordPlan& r : p.animals) stateItem(tiere, r, QStringLiteral("Tier"));
  auto* rassen = section(control_, QStringLiteral("Rassen"));
  for (const RecordPlan& r : p.breeds) stateItem(rassen, r, QStringLiteral("Rasse"));
  auto* farben = section(control_, QStringLiteral("Farben"));
  for (const ColourPlan& c : p.colours) {
    auto* item = new QTreeWidgetItem(farben, {c.display, c.existing ? QStringLiteral("vorhanden") : QStringLiteral("neu")});
    if (c.existing) item->setText(2, QStringLiteral("{%1}").arg(c.existing));
    item->setText(4, c.existing ? QStringLiteral("wird zugeordnet") : QStringLiteral("Farbe wird angelegt"));
  }
  auto* adressen = section(control_, QStringLiteral("Adressen"));
  for (const RecordPlan& r : p.addresses) stateItem(adressen, r, QStringLiteral("Adresse"));
  summary_->setText(QStringLiteral("%1: %2 Tiere, exportiert von %3")
                        .arg(QFileInfo(importPath_).fileName())
                        .arg(file_->animals.size())
                        .arg(originText(*file_)));
}

bool TFormDatenaustausch::EinlagernClick() {
  if (!file_ || !plan_) return false;
  // The stock may have changed since the check: plan again right before writing.
  replan();
  if (!plan_) return false;
  if (plan_->sameStock) {
    store::dialogs().inform(QStringLiteral("Die Datei wurde aus diesem Bestand ausgelagert; es wurde nichts geändert."));
    return true;
  }
  const ImportResult r = runImport(engine_, *file_, *plan_, importOptions(), logDir_, importPath_);
  if (!r.ok) {
    store::dialogs().error(r.error);
    return false;
  }
  QString text = QStringLiteral("Einlagerung abgeschlossen: %1 angelegt, %2 geändert, %3 zugeordnet.")
                     .arg(r.created)
                     .arg(r.updated)
                     .arg(r.matched);
  if (!r.logPath.isEmpty()) text += QStringLiteral("\nProtokoll: %1").arg(QDir::toNativeSeparators(r.logPath));
  if (!r.error.isEmpty()) text += u'\n' + r.error;
  store::dialogs().inform(text);
  replan();
  return true;
}

bool TFormDatenaustausch::undo(const QString& logPath) {
  if (!store::dialogs().askDelete(
          QStringLiteral("Soll die Einlagerung \"%1\" rückgängig gemacht werden?").arg(QFileInfo(logPath).fileName())))
    return false;
  const QString error = undoImport(engine_, logPath);
  if (!error.isEmpty()) {
    store::dialogs().warn(error);
    return false;
  }
  store::dialogs().inform(QStringLiteral("Die Einlagerung wurde rückgängig gemacht."));
  replan();
  return true;
}

}  // namespace lapiro::exchange::ui
