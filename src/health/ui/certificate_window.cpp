#include "health/ui/certificate_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/cursor.h"
#include "reports/dataset_source.h"
#include "shell/animal_list.h"
#include "store/dialog_service.h"

namespace lapiro::health::ui {

TFormImpfbescheinigung::TFormImpfbescheinigung(engine::Engine& engine, engine::DataSet& eigen, const QDate& today,
                                               Services services, QWidget* parent)
    : QWidget(parent), engine_(engine), services_(std::move(services)) {
  setObjectName(QStringLiteral("TFormImpfbescheinigung"));
  setWindowTitle(QStringLiteral("Impfbescheinigung"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);

  const CertificateHeader h = initialHeader(eigen, today);
  auto* head = new QGroupBox(this);
  auto* form = new QGridLayout(head);
  const auto add = [&](const QString& caption, const QString& name, const QString& value, int row, int col,
                       int span = 1) {
    auto* e = new QLineEdit(value, head);
    e->setObjectName(name);
    e->setCursorPosition(0);  // long prefilled texts show their beginning
    auto* label = new QLabel(caption, head);
    label->setBuddy(e);
    form->addWidget(label, row, col);
    form->addWidget(e, row, col + 1, 1, span);
    boxes_.insert(name, e);
    return e;
  };
  add(QStringLiteral("Züchter:"), QStringLiteral("Zuechter"), h.zuechter, 0, 0, 3)->setReadOnly(true);
  add(QStringLiteral("Verein:"), QStringLiteral("Verein"), h.verein, 1, 0);
  add(QStringLiteral("Kreisverband:"), QStringLiteral("Kreisverband"), h.kreisverband, 1, 2);
  add(QStringLiteral("Landesverband:"), QStringLiteral("Landesverband"), h.landesverband, 2, 0, 3);
  add(QStringLiteral("Impfung:"), QStringLiteral("Impfung"), {}, 3, 0);
  add(QStringLiteral("Impfstoff:"), QStringLiteral("Impfstoff"), {}, 3, 2);
  add(QStringLiteral("Chargenbez.:"), QStringLiteral("Chargenbez"), {}, 4, 0);
  add(QStringLiteral("Tierarzt:"), QStringLiteral("Tierarzt"), {}, 4, 2);
  add(QStringLiteral("Impfdatum:"), QStringLiteral("Impfdatum"), {}, 5, 0)->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
  add(QStringLiteral("Ort"), QStringLiteral("Ort"), {}, 6, 0);
  add(QStringLiteral("Datum"), QStringLiteral("Datum"), h.datum, 6, 2);
  form->setColumnStretch(1, 1);
  form->setColumnStretch(3, 1);

  grid_ = new QTableWidget(0, ColCount, this);
  grid_->setHorizontalHeaderLabels(certificateHeads());
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(22);
  grid_->horizontalHeader()->setStretchLastSection(true);
  const int widths[ColCount] = {40, 90, 100, 60, 90, 150, 120};
  for (int i = 0; i < ColCount; ++i) grid_->setColumnWidth(i, widths[i]);
  // Animals dropped on the grid reach the window's drop handler.
  grid_->setAcceptDrops(false);
  grid_->viewport()->setAcceptDrops(false);
  connect(grid_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    if (showing_ || row >= list_.lineCount()) return;
    list_.setCell(row, column, grid_->item(row, column)->text().trimmed());
    // A line typed by hand counts once it has its number.
    if (column != ColNr && !list_.isUsed(row) && !grid_->item(row, column)->text().trimmed().isEmpty()) {
      list_.setCell(row, ColNr, QString::number(row + 1));
      showList();
    }
  });

  auto* buttons = new QVBoxLayout;
  const auto button = [&](const QString& name, const QString& caption, auto handler) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    return b;
  };
  button(QStringLiteral("BitBtn1"), QStringLiteral("Tier laden"), &TFormImpfbescheinigung::BitBtn1Click);
  button(QStringLiteral("BitBtn2"), QStringLiteral("Tier löschen"), &TFormImpfbescheinigung::BitBtn2Click);
  button(QStringLiteral("BitBtn3"), QStringLiteral("Liste löschen"), &TFormImpfbescheinigung::BitBtn3Click);
  buttons->addSpacing(12);
  button(QStringLiteral("BitBtnSpeichern"), QStringLiteral("Speichern"), &TFormImpfbescheinigung::BitBtnSpeichernClick);
  button(QStringLiteral("BitBtnDruckvorschau"), QStringLiteral("&Druckvorschau"), [this] { printCertificate(true); });
  button(QStringLiteral("BitBtnOK"), QStringLiteral("&Drucken"), [this] { printCertificate(false); });
  buttons->addStretch();
  button(QStringLiteral("BitBtnHilfe"), QStringLiteral("&Hilfe"), [this] {
    if (services_.showHelp) services_.showHelp(kHilfeImpfbescheinigung);
  });
  button(QStringLiteral("BitBtnAbbruch"), QStringLiteral("&Zurück"), &QWidget::close);

  auto* left = new QVBoxLayout;
  left->addWidget(head);
  left->addWidget(grid_, 1);
  auto* all = new QHBoxLayout(this);
  all->addLayout(left, 1);
  all->addLayout(buttons);
  showList();
  resize(820, 640);
}

void TFormImpfbescheinigung::showList() {
  showing_ = true;
  grid_->setRowCount(list_.lineCount());
  for (int r = 0; r < list_.lineCount(); ++r)
    for (int c = 0; c < ColCount; ++c) {
      QTableWidgetItem* item = grid_->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        grid_->setItem(r, c, item);
      }
      item->setText(list_.cell(r, c));
    }
  showing_ = false;
}

CertificateHeader TFormImpfbescheinigung::header() const {
  const auto t = [this](const char16_t* n) { return boxes_.value(QString::fromUtf16(n))->text().trimmed(); };
  CertificateHeader h;
  h.zuechter = t(u"Zuechter");
  h.verein = t(u"Verein");
  h.kreisverband = t(u"Kreisverband");
  h.landesverband = t(u"Landesverband");
  h.impfung = t(u"Impfung");
  h.impfstoff = t(u"Impfstoff");
  h.chargenbez = t(u"Chargenbez");
  h.tierarzt = t(u"Tierarzt");
  h.impfdatum = t(u"Impfdatum");
  h.ort = t(u"Ort");
  h.datum = t(u"Datum");
  return h;
}

bool TFormImpfbescheinigung::addAnimal(qint64 nummer) {
  try {
    const std::optional<CertificateAnimal> a = readCertificateAnimal(engine_, nummer);
    if (!a) return false;
    const int line = list_.addAnimal(*a);
    showList();
    grid_->setCurrentCell(line, ColTatoRechts);
    return true;
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
}

void TFormImpfbescheinigung::BitBtn1Click() {
  if (!services_.searchAnimal) return;
  if (const std::optional<qint64> nr = services_.searchAnimal()) addAnimal(*nr);
}

void TFormImpfbescheinigung::BitBtn2Click() {
  const int row = grid_->currentRow();
  if (row < 0) return;
  list_.removeLine(row);
  showList();
  grid_->setCurrentCell(std::min(row, list_.lineCount() - 1), std::max(0, grid_->currentColumn()));
}

void TFormImpfbescheinigung::BitBtn3Click() {
  list_.clear();
  showList();
}

void TFormImpfbescheinigung::BitBtnSpeichernClick() {
  try {
    recordVaccinations(engine_, list_, header(), !services_.speichernOhneFrage || services_.speichernOhneFrage());
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
  }
}

void TFormImpfbescheinigung::printCertificate(bool preview) {
  if (!services_.print) return;
  // The window gives way to the report and comes back after it.
  QWidget* frame = parentWidget() ? parentWidget() : this;
  try {
    fillCertificateTable(engine_, list_);
    {
      engine::Cursor rows(engine_, QStringLiteral("tmpImpf"));
      rows.setTableName(QStringLiteral("tmpImpf"));
      rows.setReadOnly(true);
      rows.open();
      const reports::DataSetSource data(rows);
      frame->hide();
      services_.print(this, TReportImpfbescheinigung(header()), data, preview);
      frame->show();
    }
    dropCertificateTable(engine_);
  } catch (const engine::EngineError& e) {
    frame->show();
    store::dialogs().error(e.message());
  }
}

void TFormImpfbescheinigung::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(shell::kAnimalMimeType))) event->acceptProposedAction();
}

void TFormImpfbescheinigung::dropEvent(QDropEvent* event) {
  const auto animal =
      shell::decodeDraggedAnimal(event->mimeData()->data(QString::fromLatin1(shell::kAnimalMimeType)));
  if (!animal) return;
  addAnimal(animal->nummer);
  event->acceptProposedAction();
}

}  // namespace lapiro::health::ui
