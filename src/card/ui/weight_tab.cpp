#include "card/ui/weight_tab.h"

#include "card/pictures.h"
#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/guarded.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/weight_table.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

namespace lapiro::card::ui {

using engine::Cursor;
using engine::Notification;

namespace {

constexpr int kMeldungLoeschen = 15;
constexpr int kMeldungSpeichern = 29;

using store::guarded;

QDateTime atNoon(const QDate& d) { return QDateTime(d, QTime(12, 0)); }

}  // namespace

// ---------------------------------------------------------------- growth chart

QChartView* createGrowthChart(QWidget* parent) {
  auto* view = new QChartView(parent);
  view->setObjectName(QStringLiteral("Wachstumskurve"));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(220, 160);
  return view;
}

void showGrowthChart(QChartView* view, const Wachstumsdaten& daten) {
  auto* chart = new QChart;
  chart->legend()->setVisible(daten.grenzen.has_value());
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(2, 2, 2, 2));
  if (!daten.titel.isEmpty()) chart->setTitle(daten.titel);
  auto* x = new QDateTimeAxis;
  x->setFormat(QStringLiteral("MM.yy"));
  x->setTickCount(3);
  auto* y = new QValueAxis;
  y->setLabelFormat(QStringLiteral("%.0f"));
  y->setTitleText(QStringLiteral("Gewicht (g)"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);

  QDate first, last;
  double lo = 0, hi = 0;
  for (const auto& [d, w] : daten.punkte) {
    if (!d.isValid()) continue;
    if (!first.isValid() || d < first) first = d;
    if (!last.isValid() || d > last) last = d;
    hi = std::max(hi, w);
  }
  if (!first.isValid()) {
    first = QDate::currentDate().addDays(-30);
    last = QDate::currentDate();
  }
  if (first == last) {
    first = first.addDays(-7);
    last = last.addDays(7);
  }
  // Weighings within a few months (a litter's weeks) are told apart by day, longer curves by month.
  if (first.daysTo(last) < 120) x->setFormat(QStringLiteral("dd.MM."));
  if (daten.grenzen) {
    auto* lower = new QLineSeries;
    auto* upper = new QLineSeries;
    for (const QDate& d : {first, last}) {
      lower->append(atNoon(d).toMSecsSinceEpoch(), daten.grenzen->first);
      upper->append(atNoon(d).toMSecsSinceEpoch(), daten.grenzen->second);
    }
    auto* band = new QAreaSeries(upper, lower);
    band->setName(QStringLiteral("Rassegewicht"));
    band->setColor(QColor(120, 200, 120, 70));
    band->setBorderColor(QColor(80, 160, 80));
    chart->addSeries(band);
    band->attachAxis(x);
    band->attachAxis(y);
    hi = std::max(hi, daten.grenzen->second);
  }
  auto* line = new QLineSeries;
  line->setName(QStringLiteral("Gewicht"));
  line->setPointsVisible(true);
  line->setPen(QPen(QColor(0x20, 0x40, 0xa0), 2));
  for (const auto& [d, w] : daten.punkte)
    if (d.isValid()) line->append(atNoon(d).toMSecsSinceEpoch(), w);
  chart->addSeries(line);
  line->attachAxis(x);
  line->attachAxis(y);
  x->setRange(atNoon(first), atNoon(last));
  y->setRange(lo, hi > 0 ? hi * 1.1 : 100.0);
  y->applyNiceNumbers();

  QChart* old = view->chart();
  view->setChart(chart);
  if (old && old != chart) delete old;
}

QImage renderGrowthChart(const Wachstumsdaten& daten, QSize size) {
  QChartView view;
  view.resize(size);
  showGrowthChart(&view, daten);
  view.chart()->resize(size);
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  view.render(&p, QRectF(QPointF(0, 0), QSizeF(size)), QRect(QPoint(0, 0), size));
  p.end();
  return image;
}

Wachstumsdaten growthOfAnimal(store::TDatenStamm& dm, qint64 hase) {
  Wachstumsdaten out;
  for (const store::Waegung& w :
       store::waegungen(dm.cursor(QString::fromUtf16(store::kGewichtBerechnungCursor)), hase))
    out.punkte.emplace_back(w.datum, w.gewicht);
  Cursor& h = dm.Hasen();
  QVariant rasse;
  if (h.isOpen() && h.hasRecord() && h.field(QStringLiteral("Nummer")).asInteger() == hase)
    rasse = h.field(QStringLiteral("Rasse")).value();
  else
    rasse = h.lookup(QStringLiteral("Nummer"), {hase}, QStringLiteral("Rasse"));
  Cursor* r = dm.cursor(QStringLiteral("StbRasse"));
  if (!r || !r->isOpen()) r = dm.cursor(QStringLiteral("Rasse"));
  if (rasse.isValid() && r && r->isOpen()) {
    try {
      const double lo = r->lookup(QStringLiteral("Nummer"), {rasse}, QStringLiteral("Min Gewicht")).toDouble();
      const double hi = r->lookup(QStringLiteral("Nummer"), {rasse}, QStringLiteral("Max Gewicht")).toDouble();
      // The breed list holds kilograms; the weighings are grams.
      const double factor = hi > 0 && hi < 100 ? 1000.0 : 1.0;
      if (hi > 0 && hi >= lo) out.grenzen = std::make_pair(lo * factor, hi * factor);
    } catch (const engine::EngineError&) {
    }
  }
  return out;
}

// ---------------------------------------------------------------- weight grid

TGewichtModel::TGewichtModel(Cursor& cursor, std::function<bool()> saveWithoutAsking, std::function<QDate()> today,
                             QObject* parent)
    : QAbstractTableModel(parent),
      cursor_(cursor),
      saveWithoutAsking_(std::move(saveWithoutAsking)),
      today_(std::move(today)) {
  listener_ = cursor_.addListener([this](Notification n) {
    switch (n) {
      case Notification::Destroyed: listener_ = 0; break;
      case Notification::Scrolled:
      case Notification::BeforeMove:
      case Notification::FieldChanged: break;
      case Notification::StateChanged:
        emit pendingChanged(cursor_.isEditing());
        reload();
        break;
      default: reload(); break;
    }
  });
  reload();
}

TGewichtModel::~TGewichtModel() {
  if (listener_) cursor_.removeListener(listener_);
}

void TGewichtModel::reload() {
  std::vector<engine::DataSet::Row> fresh;
  const bool open = cursor_.isOpen();
  if (open) {
    iDatum_ = cursor_.fieldIndex(QStringLiteral("Datum"));
    iGewicht_ = cursor_.fieldIndex(QStringLiteral("Gewicht"));
    iDiff_ = cursor_.fieldIndex(QStringLiteral("Differenz"));
    iMittel_ = cursor_.fieldIndex(QStringLiteral("Mittelwert"));
    guarded([&] {
      const qint64 n = cursor_.recordCount();
      if (n > 0) fresh = cursor_.readRows(0, static_cast<int>(n));
    });
  }
  // The grid is told which rows came or went and that the others changed, never reset: a
  // reset while the grid commits a cell (a save runs inside setData) would throw away the
  // editor the grid is still closing ("closeEditor called with an editor that does not
  // belong to this view").
  const int before = shownRows_;
  const int after = open ? static_cast<int>(fresh.size()) + 1 : 0;
  if (after > before) {
    beginInsertRows({}, before, after - 1);
    rows_ = std::move(fresh);
    shownRows_ = after;
    endInsertRows();
  } else if (after < before) {
    beginRemoveRows({}, after, before - 1);
    rows_ = std::move(fresh);
    shownRows_ = after;
    endRemoveRows();
  } else {
    rows_ = std::move(fresh);
  }
  if (after > 0) emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
  emit headerDataChanged(Qt::Vertical, 0, std::max(0, after - 1));
  emit reloaded();
}

int TGewichtModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int TGewichtModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant TGewichtModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole)
    return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const int fi = std::array{iDatum_, iGewicht_, iDiff_, iMittel_}[index.column()];
  if (fi < 0) return {};
  const engine::FieldType type = cursor_.fieldInfos()[fi].def.type;
  if (index.row() >= static_cast<int>(rows_.size())) {
    if (cursor_.state() != engine::DataSetState::Insert || index.column() > 1) return {};
    return const_cast<Cursor&>(cursor_).field(fi).asString();  // the new row's buffer
  }
  const QVariant& v = rows_[index.row()][fi];
  if (index.column() >= 2 && v.isValid())
    return QLocale(QLocale::German).toString(v.toDouble(), 'f', index.column() == 3 ? meanDecimals_ : 0);
  return engine::displayText(type, v);
}

QVariant TGewichtModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  static const QString titles[] = {QStringLiteral("Datum"), QStringLiteral("Gewicht"), QStringLiteral("Differenz"),
                                   QStringLiteral("Mittelwert")};
  if (orientation == Qt::Horizontal) return section >= 0 && section < 4 ? titles[section] : QString();
  return section == static_cast<int>(rows_.size()) ? QStringLiteral("*") : QString::number(section + 1);
}

Qt::ItemFlags TGewichtModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() <= 1) f |= Qt::ItemIsEditable;
  return f;
}

bool TGewichtModel::moveTo(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  if (cursor_.hasRecord() && !cursor_.isEditing() && cursor_.recordNumber() == row) return true;
  return guarded([&] {
    cursor_.checkBrowseMode();
    cursor_.first();
    if (row > 0) cursor_.moveBy(row);
  });
}

bool TGewichtModel::saveRow() {
  if (!cursor_.isEditing()) return true;
  if (!(saveWithoutAsking_ && saveWithoutAsking_()) &&
      store::dialogs().show(store::DialogKind::Warning, store::messageText(kMeldungSpeichern),
                            store::DialogButtons::YesNo) != store::DialogAnswer::Yes) {
    cursor_.cancel();
    return false;
  }
  return guarded([&] { cursor_.post(); }) && !cursor_.isEditing();
}

bool TGewichtModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.column() > 1) return false;
  const QString text = value.toString().trimmed();
  const bool newRow = index.row() >= static_cast<int>(rows_.size());
  const QString field = index.column() == 0 ? QStringLiteral("Datum") : QStringLiteral("Gewicht");
  if (!newRow) {
    if (!moveTo(index.row())) return false;
    if (cursor_.field(field).asString() == text) return true;
  } else if (text.isEmpty() && cursor_.state() != engine::DataSetState::Insert) {
    return false;
  }
  const bool written = guarded([&] {
    if (newRow && cursor_.state() != engine::DataSetState::Insert) {
      cursor_.checkBrowseMode();
      cursor_.append();
      cursor_.field(QStringLiteral("Datum")).setDate(today_ ? today_() : QDate::currentDate());
    } else if (!cursor_.isEditing()) {
      cursor_.edit();
    }
    cursor_.field(field).setString(text);
  });
  if (!written) return false;
  // A new row waits for its weight; a changed or completed row is saved at once.
  if (newRow && cursor_.field(QStringLiteral("Gewicht")).isNull()) {
    emit dataChanged(index, index);
    return true;
  }
  saveRow();
  return true;
}

bool TGewichtModel::deleteRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
  if (!moveTo(row)) return false;
  if (store::dialogs().show(store::DialogKind::Warning, store::messageText(kMeldungLoeschen),
                            store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return false;
  return guarded([&] { cursor_.deleteRecord(); });
}

void TGewichtModel::undo() {
  if (cursor_.isEditing()) guarded([&] { cursor_.cancel(); });
}

// ---------------------------------------------------------------- the page

TZusatzinfoSeite::TZusatzinfoSeite(store::TDatenStamm& dm, shell::tsysteminfo& settings, Services services,
                                   QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), services_(std::move(services)) {
  setObjectName(QStringLiteral("TabSheetZusatzinfo"));

  // Purchase, sale, slaughter, death: date with its calendar button, and a price.
  auto* handel = new QGroupBox(QStringLiteral("Kauf / Verkauf"), this);
  auto* hg = new QGridLayout(handel);
  hg->addWidget(new QLabel(QStringLiteral("Datum"), handel), 0, 1);
  hg->addWidget(new QLabel(QStringLiteral("Preis"), handel), 0, 3);
  struct Line {
    const char16_t* caption;
    const char16_t* date;
    const char16_t* price;
  };
  const Line lines[] = {{u"gekauft", u"Gekauftam", u"Preisgekauft"},
                        {u"verkauft", u"Verkauftam", u"Preisverkauft"},
                        {u"geschlachtet", u"Geschlachtetam", u"Preisgeschlachtet"},
                        {u"gestorben", u"Gestorbenam", nullptr}};
  int row = 1;
  for (const Line& l : lines) {
    hg->addWidget(new QLabel(QString::fromUtf16(l.caption), handel), row, 0);
    auto* date = new QLineEdit(handel);
    const QString dateField = QString::fromUtf16(l.date);
    date->setObjectName(QStringLiteral("DBEdit") + dateField);
    date->setMaximumWidth(100);
    date->installEventFilter(this);
    boxes_.insert(dateField, date);
    hg->addWidget(date, row, 1);
    auto* pick = new QToolButton(handel);
    pick->setText(QStringLiteral("…"));
    pick->setToolTip(QStringLiteral("Kalender"));
    hg->addWidget(pick, row, 2);
    connect(pick, &QToolButton::clicked, this, [this, dateField] {
      if (!services_.pickDate) return;
      QLineEdit* e = boxes_.value(dateField);
      const QDate initial = QDate::fromString(e->text(), QStringLiteral("dd.MM.yyyy"));
      const std::optional<QDate> chosen = services_.pickDate(initial.isValid() ? initial : dm_.today());
      if (!chosen) return;
      e->setText(chosen->toString(QStringLiteral("dd.MM.yyyy")));
      boxLeft(dateField);
    });
    if (l.price) {
      auto* price = new QLineEdit(handel);
      const QString priceField = QString::fromUtf16(l.price);
      price->setObjectName(QStringLiteral("DBEdit") + priceField);
      price->setMaximumWidth(90);
      price->setAlignment(Qt::AlignRight);
      price->installEventFilter(this);
      boxes_.insert(priceField, price);
      hg->addWidget(price, row, 3);
    }
    ++row;
  }
  hg->setColumnStretch(4, 1);
  hg->setRowStretch(row, 1);

  // The weight table with its buttons, the growth chart beside it.
  grid_ = new QTableView;
  grid_->setObjectName(QStringLiteral("DBGridGewichtstabelle"));
  model_ = new TGewichtModel(
      dm_.at(QStringLiteral("Gewichtstabelle")), [this] { return settings_.System.Speichern; },
      [this] { return dm_.today(); }, this);
  grid_->setModel(model_);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grid_->setMinimumWidth(280);
  rueckgaengig_ = new QPushButton(QStringLiteral("R&ückgängig"));
  rueckgaengig_->setObjectName(QStringLiteral("BitBtnGewichtRueckgaengig"));
  rueckgaengig_->setToolTip(QStringLiteral("Gewichteingabe rückgängig machen"));
  zeileLoeschen_ = new QPushButton(QStringLiteral("Zeile löschen"));
  zeileLoeschen_->setObjectName(QStringLiteral("BitBtnZeileLoeschen"));
  zeileLoeschen_->setToolTip(QStringLiteral("Zeile in Gewichtstabelle löschen"));
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"));
  auto* gridButtons = new QHBoxLayout;
  gridButtons->addWidget(rueckgaengig_);
  gridButtons->addWidget(zeileLoeschen_);
  gridButtons->addStretch(1);
  gridButtons->addWidget(hilfe);
  auto* gridBox = new QGroupBox(QStringLiteral("Gewichtstabelle"));
  auto* gl = new QVBoxLayout(gridBox);
  gl->addWidget(grid_, 1);
  gl->addLayout(gridButtons);
  chart_ = createGrowthChart(nullptr);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(gridBox);
  split->addWidget(chart_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setSizes({440, 440});

  info_ = new QPlainTextEdit;
  info_->setObjectName(QStringLiteral("DBMemoInfo"));
  info_->installEventFilter(this);
  auto* infoBox = new QGroupBox(QStringLiteral("Info"));
  auto* il = new QVBoxLayout(infoBox);
  il->addWidget(info_);

  auto* top = new QHBoxLayout;
  top->addWidget(handel);
  top->addWidget(infoBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(top);
  layout->addWidget(split, 1);

  connect(rueckgaengig_, &QPushButton::clicked, this, [this] { RueckgaengigClick(); });
  connect(zeileLoeschen_, &QPushButton::clicked, this, [this] { ZeileLoeschenClick(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (services_.showHelp) services_.showHelp(kHelpZusatzinfo);
  });
  connect(model_, &TGewichtModel::reloaded, this, [this] {
    updateButtons();
    if (isVisible()) loadChart();
  });
  connect(info_, &QPlainTextEdit::textChanged, this, [this] { infoLeft(); });

  // Another animal or another record state: the boxes follow.
  for (const QString& name : {QStringLiteral("Hasen"), QStringLiteral("Verkauft")}) {
    engine::DataSet* ds = dm_.cursor(name);
    if (!ds) continue;
    const int id = ds->addListener([this, ds](Notification n) {
      if (n == Notification::Destroyed) {
        for (auto& l : listeners_)
          if (l.first == ds) l.first = nullptr;
        return;
      }
      if (loading_) return;
      if (n == Notification::Scrolled || n == Notification::Reset || n == Notification::DataChanged ||
          n == Notification::Opened) {
        dirty_ = true;
        if (isVisible()) reload();
      }
    });
    listeners_.emplace_back(ds, id);
  }
  updateButtons();
}

TZusatzinfoSeite::~TZusatzinfoSeite() {
  for (auto& [ds, id] : listeners_)
    if (ds) ds->removeListener(id);
}

void TZusatzinfoSeite::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (dirty_) reload();
}

void TZusatzinfoSeite::reload() {
  dirty_ = false;
  loadBoxes();
  loadChart();
  updateButtons();
}

void TZusatzinfoSeite::loadBoxes() {
  loading_ = true;
  Cursor* v = dm_.cursor(QStringLiteral("Verkauft"));
  const bool has = v && v->isOpen() && (v->hasRecord() || v->isEditing());
  for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it) {
    const QSignalBlocker block(it.value());
    std::optional<engine::Field> f = has ? v->findField(it.key()) : std::nullopt;
    it.value()->setText(f ? f->asString() : QString());
  }
  Cursor& h = dm_.Hasen();
  const QString info = h.isOpen() && (h.hasRecord() || h.isEditing()) && h.findField(QStringLiteral("Info"))
                           ? h.field(QStringLiteral("Info")).asString()
                           : QString();
  if (info_->toPlainText() != info) {
    const QSignalBlocker block(info_);
    info_->setPlainText(info);
  }
  loading_ = false;
}

void TZusatzinfoSeite::loadChart() {
  Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !h.hasRecord()) {
    showGrowthChart(chart_, {});
    return;
  }
  showGrowthChart(chart_, growthOfAnimal(dm_, h.field(QStringLiteral("Nummer")).asInteger()));
}

void TZusatzinfoSeite::updateButtons() {
  Cursor* g = dm_.cursor(QStringLiteral("Gewichtstabelle"));
  const bool open = g && g->isOpen();
  rueckgaengig_->setEnabled(open && g->isEditing());
  zeileLoeschen_->setEnabled(open && model_->storedRows() > 0);
}

bool TZusatzinfoSeite::boxLeft(const QString& field) {
  if (loading_) return true;
  QLineEdit* e = boxes_.value(field);
  Cursor* v = dm_.cursor(QStringLiteral("Verkauft"));
  Cursor& h = dm_.Hasen();
  if (!e || !v || !v->isOpen()) return false;
  const QString text = e->text().trimmed();
  const bool has = v->hasRecord() || v->isEditing();
  if (text == (has ? v->field(field).asString() : QString())) return true;
  if (!has && (!h.hasRecord() || h.state() == engine::DataSetState::Insert)) {
    loadBoxes();
    return false;
  }
  loading_ = true;
  bool ok = guarded([&] {
    if (!v->isEditing()) {
      if (v->hasRecord())
        v->edit();
      else
        v->append();
    }
    v->field(field).setString(text);
  });
  if (ok) ok = guarded([&] { v->post(); }) && !v->isEditing();
  if (!ok && v->isEditing()) guarded([&] { v->cancel(); });
  loading_ = false;
  loadBoxes();
  return ok;
}

void TZusatzinfoSeite::infoLeft() {
  if (loading_) return;
  Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return;
  const QString text = info_->toPlainText();
  if (h.field(QStringLiteral("Info")).asString() == text) return;
  loading_ = true;
  // The memo belongs to the animal record: it is saved with "Speichern" like the master data.
  guarded([&] {
    if (!h.isEditing()) h.edit();
    h.field(QStringLiteral("Info")).setString(text);
  });
  loading_ = false;
}

bool TZusatzinfoSeite::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut)
    for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it)
      if (it.value() == watched) {
        boxLeft(it.key());
        break;
      }
  return QWidget::eventFilter(watched, event);
}

void TZusatzinfoSeite::RueckgaengigClick() {
  model_->undo();
  updateButtons();
}

void TZusatzinfoSeite::ZeileLoeschenClick() {
  const int row = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : 0;
  model_->deleteRow(std::min(row, model_->storedRows() - 1));
  updateButtons();
}

}  // namespace lapiro::card::ui
