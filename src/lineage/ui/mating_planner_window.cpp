#include "lineage/ui/mating_planner_window.h"

#include "store/dialog_service.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "engine/sqlite_util.h"
#include "lineage/mating_planner_report.h"
#include "reports/ui/report_preview.h"
#include "shell/number_format.h"
#include "store/guarded.h"
#include "store/ui/animal_search_dialog.h"

#include <algorithm>

#include <sqlite3.h>

namespace lapiro::lineage::ui {

namespace {

constexpr int kColumns = 9;
constexpr int kManyPairs = 20000;  // show a progress dialog above this many pairs

// (Nummer, Name) of a lookup table, optionally only the rows with `where` = value.
std::vector<std::pair<qint64, QString>> lookupRows(engine::Engine& engine, const QString& tableName, const QString& order,
                                                   const QString& where = {}, qint64 value = 0) {
  std::vector<std::pair<qint64, QString>> rows;
  if (!engine.tableExists(tableName)) return rows;
  store::guarded([&] {
    auto table = engine.acquire(tableName, engine::OpenMode::Shared);
    QString sql = QStringLiteral("SELECT Nummer, Name FROM ") + table->sqlName();
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where + QStringLiteral(" = ?");
    sql += QStringLiteral(" ORDER BY ") + order;
    engine::Statement st(table->db(), sql);
    if (!where.isEmpty()) st.bind(1, value);
    while (st.step()) rows.emplace_back(sqlite3_column_int64(st.handle(), 0), st.column(1).toString());
  });
  return rows;
}

void selectData(QComboBox* box, const std::optional<qint64>& value) {
  const int i = value ? box->findData(*value) : 0;
  box->setCurrentIndex(i < 0 ? 0 : i);
}

std::optional<qint64> dataOf(const QComboBox* box) {
  const QVariant v = box->currentData();
  if (!v.isValid()) return std::nullopt;
  return v.toLongLong();
}

}  // namespace

// ------------------------------------------------------------------------------- PlanModel

void PlanModel::setResult(std::vector<PlanTier> rammler, std::vector<PlanTier> haesinnen, std::vector<PlanPaar> pairs,
                          std::vector<char> unbekannt) {
  beginResetModel();
  rammler_ = std::move(rammler);
  haesinnen_ = std::move(haesinnen);
  pairs_ = std::move(pairs);
  unbekannt_ = std::move(unbekannt);
  unbekannt_.resize(pairs_.size(), 0);
  order_.resize(pairs_.size());
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
  endResetModel();
}

void PlanModel::setSchwelle(double percent) {
  schwelle_ = percent;
  if (!pairs_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

bool PlanModel::marked(int row) const { return pairAt(row).fAlle * 100.0 > schwelle_; }

bool PlanModel::abstammungUnbekannt(int row) const { return unbekannt_[static_cast<size_t>(order_[row])] != 0; }

int PlanModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int PlanModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant PlanModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const PlanPaar& p = pairAt(index.row());
  if (role == Qt::DisplayRole) {
    const QStringList cells = planZeile(p, rammler_, haesinnen_, abstammungUnbekannt(index.row()));
    if (index.column() == 0 && marked(index.row())) return QStringLiteral("! ") + cells[0];
    return cells.value(index.column());
  }
  if (role == Qt::BackgroundRole && marked(index.row())) return QColor(0xf6, 0xc8, 0xc0);
  if (role == Qt::TextAlignmentRole && index.column() >= 2 && index.column() != 4 && index.column() != 5)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant PlanModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return planSpalten().value(section);
  return QAbstractTableModel::headerData(section, orientation, role);
}

void PlanModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged();
  auto key = [&](int i) -> std::tuple<int, double, QString> {
    const PlanPaar& p = pairs_[i];
    switch (column) {
      case 0: return {0, 0, rammler_[p.rammler].text()};
      case 1: return {0, 0, haesinnen_[p.haesin].text()};
      case 2: return {0, p.fAlle, {}};
      case 3: return {0, p.f4, {}};
      case 4: return {p.formelnOk ? 0 : 1, 0, {}};
      case 5: return {0, 0, p.formel};
      case 6: return {p.schauRammler ? 0 : 1, p.schauRammler.value_or(0), {}};
      case 7: return {p.schauHaesin ? 0 : 1, p.schauHaesin.value_or(0), {}};
      default: return {p.mkNachkommen ? 0 : 1, p.mkNachkommen.value_or(0), {}};
    }
  };
  // By a coefficient, pairs without known pedigree come after the others in either
  // direction: their 0,00 % says nothing about the pair.
  const bool byCoefficient = column == 2 || column == 3;
  std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
    const char ua = unbekannt_[static_cast<size_t>(a)], ub = unbekannt_[static_cast<size_t>(b)];
    if (byCoefficient && ua != ub) return ua < ub;
    const auto ka = key(a), kb = key(b);
    return order == Qt::AscendingOrder ? ka < kb : kb < ka;
  });
  emit layoutChanged();
}

// ------------------------------------------------------------------------ the window

TFormAnpaarungsplanung::TFormAnpaarungsplanung(engine::Engine& engine, shell::ProfileFile& settings, qint64 current,
                                               QWidget* parent)
    : QWidget(parent), engine_(engine), settings_(settings), planner_(engine) {
  setWindowTitle(QStringLiteral("Anpaarungsplanung"));
  setAttribute(Qt::WA_DeleteOnClose);
  reportSink = [this](const reports::Report& r, const reports::ReportDataSource& d) {
    reports::showReportPreview(this, r, d);
  };
  PlanFilter start;
  store::guarded([&] { start = planner_.standardFilter(current); });
  buildUi(start);
  const auto saved = parseSchwelle(settings_.readString(QString::fromUtf16(kPlanerSektion), QString::fromUtf16(kPlanerSchwelle)));
  model_.setSchwelle(saved.value_or(kStandardSchwelle));
  schwelle_->setText(shell::formatFixed(model_.schwelle(), 2));
  UebernehmenClick();
}

TFormAnpaarungsplanung::~TFormAnpaarungsplanung() = default;

void TFormAnpaarungsplanung::buildUi(const PlanFilter& start) {
  auto* root = new QVBoxLayout(this);
  auto* filterBox = new QGroupBox(QStringLiteral("Auswahl"));
  auto* fl = new QGridLayout(filterBox);
  rasse_ = new QComboBox;
  farbe_ = new QComboBox;
  status_ = new QComboBox;
  rasse_->addItem(QStringLiteral("(alle)"));
  for (const auto& [nr, name] : lookupRows(engine_, QStringLiteral("Rasse"), QStringLiteral("Name, Nummer")))
    rasse_->addItem(name, nr);
  status_->addItem(QStringLiteral("(alle)"));
  for (const auto& [nr, name] : lookupRows(engine_, QStringLiteral("Status"), QStringLiteral("Nummer")))
    status_->addItem(name, nr);
  selectData(rasse_, start.rasse);
  fillColours();
  selectData(farbe_, start.farbe);
  selectData(status_, start.status ? std::optional<qint64>(*start.status) : std::nullopt);
  connect(rasse_, &QComboBox::currentIndexChanged, this, [this] { fillColours(); });
  jahr_ = new QSpinBox;
  jahr_->setRange(0, 2999);
  jahr_->setSpecialValueText(QStringLiteral("(alle)"));
  jahr_->setValue(start.geburtsjahr.value_or(0));
  lebend_ = new QCheckBox(QStringLiteral("nur lebende Tiere"));
  lebend_->setChecked(start.nurLebende);
  fl->addWidget(new QLabel(QStringLiteral("Rasse")), 0, 0);
  fl->addWidget(rasse_, 0, 1);
  fl->addWidget(new QLabel(QStringLiteral("Farbe")), 0, 2);
  fl->addWidget(farbe_, 0, 3);
  fl->addWidget(new QLabel(QStringLiteral("Status")), 1, 0);
  fl->addWidget(status_, 1, 1);
  fl->addWidget(new QLabel(QStringLiteral("Geburtsjahr")), 1, 2);
  fl->addWidget(jahr_, 1, 3);
  fl->addWidget(lebend_, 2, 1);
  auto* uebernehmen = new QPushButton(QStringLiteral("Ü&bernehmen"));
  uebernehmen->setToolTip(QStringLiteral("Rammler und Häsinnen nach der Auswahl neu zusammenstellen"));
  connect(uebernehmen, &QPushButton::clicked, this, [this] { store::guarded([&] { UebernehmenClick(); }); });
  fl->addWidget(uebernehmen, 2, 3);

  auto* lists = new QHBoxLayout;
  lists->addWidget(filterBox);
  auto listBox = [&](const QString& title, QListWidget*& list, bool rammler) {
    auto* box = new QGroupBox(title);
    auto* l = new QVBoxLayout(box);
    list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    l->addWidget(list);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Hinzufügen …"));
    auto* remove = new QPushButton(QStringLiteral("Entfernen"));
    connect(add, &QPushButton::clicked, this, [this, rammler] { suche(rammler); });
    connect(remove, &QPushButton::clicked, this, [this, rammler] { removeSelected(rammler); });
    row->addWidget(add);
    row->addWidget(remove);
    l->addLayout(row);
    lists->addWidget(box, 1);
  };
  listBox(QStringLiteral("Rammler"), rammlerList_, true);
  listBox(QStringLiteral("Häsinnen"), haesinList_, false);
  root->addLayout(lists);

  auto* commands = new QHBoxLayout;
  auto* berechnen = new QPushButton(QStringLiteral("&Berechnen"));
  connect(berechnen, &QPushButton::clicked, this, [this] { store::guarded([&] { BerechnenClick(); }); });
  commands->addWidget(berechnen);
  commands->addWidget(new QLabel(QStringLiteral("Markieren ab Inzucht über (%)")));
  schwelle_ = new QLineEdit;
  schwelle_->setFixedWidth(70);
  connect(schwelle_, &QLineEdit::editingFinished, this, [this] { setSchwelleText(schwelle_->text()); });
  commands->addWidget(schwelle_);
  commands->addStretch();
  auto* farben = new QPushButton(QStringLiteral("&Farbvererbung"));
  connect(farben, &QPushButton::clicked, this, [this] { FarbvererbungClick(); });
  commands->addWidget(farben);
  auto* drucken = new QPushButton(QStringLiteral("&Drucken"));
  connect(drucken, &QPushButton::clicked, this, [this] { store::guarded([&] { DruckenClick(); }); });
  commands->addWidget(drucken);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  connect(hilfe, &QPushButton::clicked, this, [this] { emit helpRequested(181); });
  commands->addWidget(hilfe);
  auto* zurueck = new QPushButton(QStringLiteral("&Zurück"));
  connect(zurueck, &QPushButton::clicked, this, [this] {
    if (auto* w = parentWidget(); w && w->inherits("QMdiSubWindow"))
      w->close();
    else
      close();
  });
  commands->addWidget(zurueck);
  root->addLayout(commands);

  table_ = new QTableView;
  table_->setModel(&model_);
  table_->setSortingEnabled(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  // Every column wide enough for its caption before the first calculation fills it.
  table_->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setMinimumSectionSize(40);
  connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (!index.isValid()) return;
    const PlanPaar& p = model_.pairAt(index.row());
    emit paarGewaehlt(model_.rammler()[p.rammler].nummer, model_.haesinnen()[p.haesin].nummer);
  });
  root->addWidget(table_, 1);
  resize(980, 680);
}

bool TFormAnpaarungsplanung::FarbvererbungClick() {
  const QModelIndex index = table_->currentIndex();
  if (!index.isValid() || index.row() >= model_.rowCount()) {
    store::dialogs().inform(QStringLiteral("Bitte zuerst ein Paar in der Liste wählen."));
    return false;
  }
  const PlanPaar& p = model_.pairAt(index.row());
  emit farbvererbungGewuenscht(model_.rammler()[p.rammler].nummer, model_.haesinnen()[p.haesin].nummer);
  return true;
}

void TFormAnpaarungsplanung::fillColours() {
  farbe_->clear();
  farbe_->addItem(QStringLiteral("(alle)"));
  const auto rasse = dataOf(rasse_);
  if (!rasse) return;
  for (const auto& [nr, name] : lookupRows(engine_, QStringLiteral("Farbe"), QStringLiteral("Name, Nummer"),
                                           QStringLiteral("Rasse"), *rasse))
    farbe_->addItem(name, nr);
}

PlanFilter TFormAnpaarungsplanung::filter() const {
  PlanFilter f;
  f.rasse = dataOf(rasse_);
  f.farbe = dataOf(farbe_);
  if (const auto s = dataOf(status_)) f.status = static_cast<int>(*s);
  if (jahr_->value() > 0) f.geburtsjahr = jahr_->value();
  f.nurLebende = lebend_->isChecked();
  return f;
}

void TFormAnpaarungsplanung::showLists() {
  rammlerList_->clear();
  haesinList_->clear();
  for (const PlanTier& t : rammler_) rammlerList_->addItem(t.text());
  for (const PlanTier& t : haesinnen_) haesinList_->addItem(t.text());
}

void TFormAnpaarungsplanung::UebernehmenClick() {
  const PlanFilter f = filter();
  rammler_ = planner_.kandidaten(f, true);
  haesinnen_ = planner_.kandidaten(f, false);
  showLists();
}

void TFormAnpaarungsplanung::addAnimal(qint64 nummer) {
  const auto t = planner_.tier(nummer);
  if (!t) return;
  auto& list = t->rammler ? rammler_ : haesinnen_;
  if (std::any_of(list.begin(), list.end(), [&](const PlanTier& x) { return x.nummer == nummer; })) return;
  list.push_back(*t);
  showLists();
}

void TFormAnpaarungsplanung::removeSelected(bool rammler) {
  QListWidget* view = rammler ? rammlerList_ : haesinList_;
  auto& list = rammler ? rammler_ : haesinnen_;
  std::vector<int> rows;
  for (const QModelIndex& i : view->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.rbegin(), rows.rend());
  for (int r : rows)
    if (r >= 0 && r < static_cast<int>(list.size())) list.erase(list.begin() + r);
  showLists();
}

void TFormAnpaarungsplanung::suche(bool rammler) {
  if (!suchen_) suchen_ = new store::ui::TsuchenDlg(engine_, this);
  store::SearchRequest request;
  request.mode = rammler ? 4 : 5;
  if (suchen_->exec(request) != QDialog::Accepted) return;
  if (const auto nr = suchen_->chosenNummer()) store::guarded([&] { addAnimal(*nr); });
}

void TFormAnpaarungsplanung::setSchwelleText(const QString& text) {
  const auto v = parseSchwelle(text);
  if (!v) {
    schwelle_->setText(shell::formatFixed(model_.schwelle(), 2));
    return;
  }
  model_.setSchwelle(*v);
  schwelle_->setText(shell::formatFixed(*v, 2));
  settings_.writeString(QString::fromUtf16(kPlanerSektion), QString::fromUtf16(kPlanerSchwelle),
                        shell::formatFixed(*v, 2));
  settings_.save();
}

void TFormAnpaarungsplanung::BerechnenClick() {
  const qint64 total = static_cast<qint64>(rammler_.size()) * static_cast<qint64>(haesinnen_.size());
  std::unique_ptr<QProgressDialog> progress;
  if (total > kManyPairs) {
    progress = std::make_unique<QProgressDialog>(QStringLiteral("Anpaarungen werden bewertet …"),
                                                 QStringLiteral("Abbrechen"), 0, 1000, this);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
  }
  setCursor(Qt::BusyCursor);
  auto result = planner_.rate(rammler_, haesinnen_, [&](qint64 done, qint64 all) {
    if (!progress) return true;
    progress->setValue(static_cast<int>(all ? done * 1000 / all : 1000));
    QCoreApplication::processEvents();
    return !progress->wasCanceled();
  });
  unsetCursor();
  if (!result) return;
  std::vector<char> unbekannt = unbekannteAbstammung(*result, rammler_, haesinnen_, planner_.stock().pedigree());
  model_.setResult(rammler_, haesinnen_, std::move(*result), std::move(unbekannt));
  table_->sortByColumn(2, Qt::AscendingOrder);
  table_->resizeColumnsToContents();
}

void TFormAnpaarungsplanung::DruckenClick() {
  const reports::Report report = planReport(model_.schwelle());
  const reports::MemoryDataSource rows =
      planRows(model_.pairs(), model_.order(), model_.rammler(), model_.haesinnen(), model_.schwelle(), model_.unbekannt());
  reportSink(report, rows);
}

}  // namespace lapiro::lineage::ui
