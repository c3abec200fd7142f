#include "lineage/ui/stock_analysis_window.h"

#include <QChart>
#include <QCategoryAxis>
#include <QChartView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QValueAxis>

#include "exchange/spreadsheet.h"
#include "lineage/stock_analysis_report.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "reports/ui/report_preview.h"
#include "store/guarded.h"

#include <algorithm>
#include <memory>
#include <tuple>

namespace lapiro::lineage::ui {

namespace {

constexpr int kProgressAfterMs = 500;

bool numericColumn(int c) { return c >= 6; }

}  // namespace

// ----------------------------------------------------------------------------- AnalyseModel

void AnalyseModel::setAnalyse(const Bestandsanalyse* analyse, bool nurReferenz) {
  beginResetModel();
  analyse_ = analyse;
  order_.clear();
  if (analyse_)
    for (size_t i = 0; i < analyse_->tiere.size(); ++i)
      if (!nurReferenz || analyse_->tiere[i].referenz) order_.push_back(i);
  endResetModel();
}

int AnalyseModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int AnalyseModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kAnalyseSpalten; }

QVariant AnalyseModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole) return analyseZelle(tierAt(index.row()), index.column());
  if (role == Qt::TextAlignmentRole && numericColumn(index.column())) return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant AnalyseModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return analyseSpalten().value(section);
  return QAbstractTableModel::headerData(section, orientation, role);
}

void AnalyseModel::sort(int column, Qt::SortOrder order) {
  if (!analyse_) return;
  emit layoutAboutToBeChanged();
  const auto& tiere = analyse_->tiere;
  auto key = [&](size_t i) -> std::tuple<int, double, QString> {
    const AnalyseTier& t = tiere[i];
    switch (column) {
      case 0: return {0, 0, t.tatoRechts};
      case 1: return {0, 0, t.tatoLinks};
      case 2: return {0, 0, t.name.toLower()};
      case 3: return {t.rammler ? 0 : 1, 0, {}};
      case 4: return {t.geburtstag.isValid() ? 0 : 1, static_cast<double>(t.geburtstag.toJulianDay()), {}};
      case 5: return {t.referenz ? 0 : 1, 0, {}};
      case 6: return {0, t.f, {}};
      case 7: return {0, t.mk, {}};
      case 8: return {0, t.vollstaendigkeit, {}};
      case 9: return {0, t.generationen, {}};
      case 10: return {0, static_cast<double>(t.nachkommen), {}};
      default: return {t.rang > 0 ? 0 : 1, static_cast<double>(t.rang), {}};
    }
  };
  std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
    const auto ka = key(a), kb = key(b);
    // Animals without a value (no birthday, no rank) stay last in either direction.
    if (std::get<0>(ka) != std::get<0>(kb)) return std::get<0>(ka) < std::get<0>(kb);
    return order == Qt::AscendingOrder ? ka < kb : kb < ka;
  });
  emit layoutChanged();
}

// ------------------------------------------------------------------------------- the window

TFormBestandsanalyse::TFormBestandsanalyse(engine::Engine& engine, QWidget* parent)
    : QWidget(parent), engine_(engine), analysis_(engine) {
  setWindowTitle(QStringLiteral("Bestandsanalyse"));
  setAttribute(Qt::WA_DeleteOnClose);
  reportSink = [this](const reports::Report& r, const reports::ReportDataSource& d) {
    reports::showReportPreview(this, r, d);
  };
  buildUi();
}

TFormBestandsanalyse::~TFormBestandsanalyse() { model_.setAnalyse(nullptr, true); }

void TFormBestandsanalyse::buildUi() {
  auto* top = new QVBoxLayout(this);

  auto* wahlBox = new QGroupBox(QStringLiteral("Referenzpopulation"), this);
  auto* grid = new QGridLayout(wahlBox);
  bestand_ = new QRadioButton(QStringLiteral("Lebender Bestand mit Status:"), wahlBox);
  status_ = new QListWidget(wahlBox);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setMaximumHeight(90);
  store::guarded([&] {
    for (const StatusEintrag& e : analysis_.statusListe()) {
      auto* item = new QListWidgetItem(QString::number(e.nummer) + QStringLiteral("  ") + e.name, status_);
      item->setData(Qt::UserRole, e.nummer);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(e.standard ? Qt::Checked : Qt::Unchecked);
    }
  });
  jahre_ = new QRadioButton(QStringLiteral("Geboren von"), wahlBox);
  vonJahr_ = new QSpinBox(wahlBox);
  bisJahr_ = new QSpinBox(wahlBox);
  for (QSpinBox* s : {vonJahr_, bisJahr_}) {
    s->setRange(1900, 2100);
    s->setValue(QDate::currentDate().year());
  }
  suche_ = new QRadioButton(QStringLiteral("Aktuelles Suchergebnis (0 Tiere)"), wahlBox);
  suche_->setEnabled(false);
  bestand_->setChecked(true);
  grid->addWidget(bestand_, 0, 0, Qt::AlignTop);
  grid->addWidget(status_, 0, 1, 1, 4);
  grid->addWidget(jahre_, 1, 0);
  grid->addWidget(vonJahr_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("bis"), wahlBox), 1, 2);
  grid->addWidget(bisJahr_, 1, 3);
  grid->addWidget(suche_, 2, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Stichtag:"), wahlBox), 3, 0);
  stichtag_ = new QDateEdit(QDate::currentDate(), wahlBox);
  stichtag_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  stichtag_->setCalendarPopup(true);
  grid->addWidget(stichtag_, 3, 1);
  auto* berechnen = new QPushButton(QStringLiteral("&Berechnen"), wahlBox);
  berechnen->setDefault(true);
  grid->addWidget(berechnen, 3, 3, 1, 2);
  grid->setColumnStretch(4, 1);
  top->addWidget(wahlBox);

  info_ = new QLabel(QStringLiteral("Noch nicht berechnet."), this);
  top->addWidget(info_);

  tabs_ = new QTabWidget(this);
  auto* tierSeite = new QWidget(tabs_);
  auto* tierLayout = new QVBoxLayout(tierSeite);
  nurReferenz_ = new QCheckBox(QStringLiteral("Nur Tiere der Referenzpopulation zeigen"), tierSeite);
  nurReferenz_->setChecked(true);
  tierLayout->addWidget(nurReferenz_);
  table_ = new QTableView(tierSeite);
  table_->setModel(&model_);
  table_->setSortingEnabled(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSortIndicatorShown(true);
  table_->horizontalHeader()->setResizeContentsPrecision(200);  // a big stock: measure the first rows
  tierLayout->addWidget(table_);
  tabs_->addTab(tierSeite, QStringLiteral("Tiere"));

  summary_ = new QTableWidget(0, 2, tabs_);
  summary_->setHorizontalHeaderLabels({QStringLiteral("Kennzahl"), QStringLiteral("Wert")});
  summary_->horizontalHeader()->setStretchLastSection(true);
  summary_->verticalHeader()->hide();
  summary_->verticalHeader()->setDefaultSectionSize(22);
  summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tabs_->addTab(summary_, QStringLiteral("Zusammenfassung"));

  chart_ = new QChartView(tabs_);
  chart_->setObjectName(QStringLiteral("Verlauf"));
  chart_->setRenderHint(QPainter::Antialiasing);
  tabs_->addTab(chart_, QStringLiteral("Verlauf"));

  auto* hinweise = new QTextBrowser(tabs_);
  QString html = QStringLiteral("<h3>Bestandsanalyse: Begriffe und Verfahren</h3>");
  for (const QString& line : analyseHinweise()) html += QStringLiteral("<p>") + line.toHtmlEscaped() + QStringLiteral("</p>");
  hinweise->setHtml(html);
  tabs_->addTab(hinweise, QStringLiteral("Hinweise"));
  top->addWidget(tabs_, 1);

  auto* buttons = new QHBoxLayout;
  csv_ = new QPushButton(QStringLiteral("&CSV-Export …"), this);
  xlsx_ = new QPushButton(QStringLiteral("&XLSX-Export …"), this);
  drucken_ = new QPushButton(QStringLiteral("&Drucken"), this);
  pdf_ = new QPushButton(QStringLiteral("&PDF …"), this);
  auto* schliessen = new QPushButton(QStringLiteral("&Schließen"), this);
  for (QPushButton* b : {csv_, xlsx_, drucken_, pdf_}) {
    b->setEnabled(false);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  buttons->addWidget(schliessen);
  top->addLayout(buttons);

  connect(berechnen, &QPushButton::clicked, this, [this] { BerechnenClick(); });
  connect(nurReferenz_, &QCheckBox::toggled, this, [this](bool on) {
    model_.setAnalyse(analyse_ ? &*analyse_ : nullptr, on);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  });
  connect(csv_, &QPushButton::clicked, this, [this] { askExport(false); });
  connect(xlsx_, &QPushButton::clicked, this, [this] { askExport(true); });
  connect(drucken_, &QPushButton::clicked, this, [this] { DruckenClick(); });
  connect(pdf_, &QPushButton::clicked, this, [this] { askPdf(); });
  connect(schliessen, &QPushButton::clicked, this, &QWidget::close);
  resize(980, 640);
}

void TFormBestandsanalyse::zeigeSuchergebnis(const std::vector<qint64>& nummern) {
  suchergebnis_ = nummern;
  suche_->setText(QStringLiteral("Aktuelles Suchergebnis (%1 Tiere)").arg(nummern.size()));
  suche_->setEnabled(!nummern.empty());
  if (nummern.empty() && suche_->isChecked()) bestand_->setChecked(true);
}

void TFormBestandsanalyse::setSuchergebnis(const std::vector<qint64>& nummern) {
  zeigeSuchergebnis(nummern);
  if (!nummern.empty()) suche_->setChecked(true);
}

void TFormBestandsanalyse::setSuchergebnisQuelle(std::function<std::vector<qint64>()> quelle) {
  suchergebnisQuelle_ = std::move(quelle);
  suche_->setToolTip(QStringLiteral("Die Tiere, die die Tierliste mit ihrer Auswahl gerade zeigt"));
  if (suchergebnisQuelle_) zeigeSuchergebnis(suchergebnisQuelle_());
}

void TFormBestandsanalyse::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (suchergebnisQuelle_) zeigeSuchergebnis(suchergebnisQuelle_());
}

ReferenzWahl TFormBestandsanalyse::wahl() const {
  ReferenzWahl w;
  if (jahre_->isChecked()) {
    w.art = ReferenzArt::Geburtsjahre;
    w.vonJahr = std::min(vonJahr_->value(), bisJahr_->value());
    w.bisJahr = std::max(vonJahr_->value(), bisJahr_->value());
  } else if (suche_->isChecked()) {
    w.art = ReferenzArt::Liste;
    w.nummern = suchergebnis_;
  } else {
    for (int i = 0; i < status_->count(); ++i)
      if (status_->item(i)->checkState() == Qt::Checked) w.status.push_back(status_->item(i)->data(Qt::UserRole).toInt());
  }
  return w;
}

bool TFormBestandsanalyse::BerechnenClick() {
  if (suchergebnisQuelle_ && suche_->isChecked()) {
    zeigeSuchergebnis(suchergebnisQuelle_());
    if (suchergebnis_.empty()) {
      store::dialogs().inform(QStringLiteral(
          "Die Tierliste zeigt zurzeit keine Tiere. Bitte wählen Sie eine andere Referenzpopulation."));
      return false;
    }
  }
  const ReferenzWahl w = wahl();
  if (w.art == ReferenzArt::Bestand && w.status.empty()) {
    store::dialogs().inform(QStringLiteral("Bitte wählen Sie mindestens einen Status für den lebenden Bestand."));
    return false;
  }
  // The progress dialog appears only when the calculation takes longer than half a second.
  std::unique_ptr<QProgressDialog> progress;
  QElapsedTimer clock;
  clock.start();
  std::optional<Bestandsanalyse> result;
  setCursor(Qt::BusyCursor);
  store::guarded([&] {
    result = analysis_.berechne(w, stichtag_->date(), [&](std::int64_t done, std::int64_t total) {
      if (!progress && clock.elapsed() > kProgressAfterMs) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Der Bestand wird analysiert …"),
                                                     QStringLiteral("Abbrechen"), 0, 1000, this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
      }
      if (!progress) return true;
      progress->setValue(static_cast<int>(total > 0 ? done * 1000 / total : 1000));
      QCoreApplication::processEvents();
      return !progress->wasCanceled();
    });
  });
  unsetCursor();
  progress.reset();
  if (!result) return false;
  analyse_ = std::move(result);
  showResult();
  return true;
}

void TFormBestandsanalyse::showResult() {
  const Bestandsanalyse& a = *analyse_;
  model_.setAnalyse(&a, nurReferenz_->isChecked());
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->resizeColumnsToContents();
  info_->setText(QStringLiteral("%1: %2 Tiere, Stichtag %3")
                     .arg(a.referenzText)
                     .arg(a.werte.size)
                     .arg(a.stichtag.toString(QStringLiteral("dd.MM.yyyy"))));
  auto lines = zusammenfassung(a);
  if (!a.hauptahnen.empty()) {
    lines.emplace_back(QStringLiteral("Die wichtigsten Ahnen (Grenzbeitrag)"), QString());
    for (auto& line : hauptahnenZeilen(a)) lines.push_back(std::move(line));
  }
  summary_->setRowCount(static_cast<int>(lines.size()));
  summary_->clearSpans();
  for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
    const auto& [label, value] = lines[static_cast<size_t>(r)];
    auto* item = new QTableWidgetItem(label);
    summary_->setItem(r, 0, item);
    summary_->setItem(r, 1, new QTableWidgetItem(value));
    if (value.isEmpty()) {  // a heading over both columns
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      summary_->setSpan(r, 0, 1, 2);
    }
  }
  summary_->resizeColumnToContents(0);
  showChart();
  for (QPushButton* b : {csv_, xlsx_, drucken_, pdf_}) b->setEnabled(true);
}

void TFormBestandsanalyse::showChart() {
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("Mittleres F und äquivalente Generationen nach Geburtsjahr"));
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setLocale(QLocale(QLocale::German, QLocale::Germany));
  chart->setLocalizeNumbers(true);
  // Years labelled as they are (a value axis would print German thousands separators).
  auto* x = new QCategoryAxis;
  x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  x->setTitleText(QStringLiteral("Geburtsjahr"));
  auto* yF = new QValueAxis;
  yF->setTitleText(QStringLiteral("F (%)"));
  auto* yGen = new QValueAxis;
  yGen->setTitleText(QStringLiteral("Äquivalente Generationen"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(yF, Qt::AlignLeft);
  chart->addAxis(yGen, Qt::AlignRight);
  auto* f = new QLineSeries;
  f->setName(QStringLiteral("Mittleres F (%)"));
  f->setPointsVisible(true);
  auto* gen = new QLineSeries;
  gen->setName(QStringLiteral("Mittlere äquivalente Generationen"));
  gen->setPointsVisible(true);
  double fMax = 0, genMax = 0;
  int first = 0, last = 0;
  for (const YearFigures& y : analyse_->jahre) {
    f->append(y.year, y.meanF * 100.0);
    gen->append(y.year, y.meanGenerations);
    fMax = std::max(fMax, y.meanF * 100.0);
    genMax = std::max(genMax, y.meanGenerations);
    if (first == 0) first = y.year;
    last = y.year;
  }
  chart->addSeries(f);
  chart->addSeries(gen);
  f->attachAxis(x);
  f->attachAxis(yF);
  gen->attachAxis(x);
  gen->attachAxis(yGen);
  if (first == 0) first = last = stichtag_->date().year();
  const int from = first - (first == last ? 1 : 0), to = last + (first == last ? 1 : 0);
  const int step = std::max(1, (to - from) / 10);
  for (int year = from; year <= to; year += step) x->append(QString::number(year), year);
  x->setRange(from, to);
  yF->setRange(0, fMax > 0 ? fMax * 1.1 : 1.0);
  yF->applyNiceNumbers();
  yGen->setRange(0, genMax > 0 ? genMax * 1.1 : 1.0);
  yGen->applyNiceNumbers();
  QChart* old = chart_->chart();
  chart_->setChart(chart);
  if (old && old != chart) delete old;
}

bool TFormBestandsanalyse::exportiere(const QString& path, bool xlsx) {
  if (!analyse_) return false;
  exchange::Sheet sheet;
  sheet.header = analyseSpalten();
  for (int r = 0; r < model_.rowCount(); ++r) sheet.rows.push_back(analyseZeile(model_.tierAt(r)));
  const QString error = xlsx ? exchange::writeXlsx(sheet, path) : exchange::writeCsv(sheet, path);
  if (!error.isEmpty()) {
    store::dialogs().error(error);
    return false;
  }
  store::dialogs().inform(QStringLiteral("%1 Tiere geschrieben in\n%2").arg(sheet.rows.size()).arg(QDir::toNativeSeparators(path)));
  return true;
}

void TFormBestandsanalyse::askExport(bool xlsx) {
  const QString suffix = xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Bestandsanalyse exportieren"),
                                              QStringLiteral("Bestandsanalyse.") + suffix,
                                              xlsx ? QStringLiteral("Excel-Arbeitsmappe (*.xlsx)")
                                                   : QStringLiteral("CSV-Datei (*.csv)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += u'.' + suffix;
  exportiere(path, xlsx);
}

void TFormBestandsanalyse::DruckenClick() {
  if (!analyse_) return;
  const reports::Report report = analyseReport();
  const reports::MemoryDataSource rows = analyseRows(*analyse_);
  reportSink(report, rows);
}

bool TFormBestandsanalyse::speicherePdf(const QString& path) {
  if (!analyse_) return false;
  const reports::PageModel model = reports::layoutReport(analyseReport(), analyseRows(*analyse_));
  if (!reports::renderToPdf(model, path)) {
    store::dialogs().error(QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden:\n") + QDir::toNativeSeparators(path));
    return false;
  }
  return true;
}

void TFormBestandsanalyse::askPdf() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Bestandsanalyse als PDF"),
                                              QStringLiteral("Bestandsanalyse.pdf"), QStringLiteral("PDF-Datei (*.pdf)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
  speicherePdf(path);
}

}  // namespace lapiro::lineage::ui
