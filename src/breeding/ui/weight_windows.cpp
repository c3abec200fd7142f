#include "breeding/ui/weight_windows.h"

#include "breeding/weight_reports.h"
#include "card/ui/animal_card.h"
#include "card/ui/weight_tab.h"
#include "engine/cursor.h"
#include "reports/dataset_source.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lapiro::breeding::ui {

using shell::ui::Host;

namespace {

reports::ReportFont fontOf(shell::tsysteminfo& s) {
  (void)s;
  return reports::ReportFont{QStringLiteral("Arial"), 10.0};
}

// The current animal being edited is saved before a printout reads it.
void settleCurrentAnimal(Host& main) {
  store::TDatenStamm* dm = main.session().dataModule();
  if (dm && card::ui::cardOf(main) && dm->Hasen().isOpen() && dm->Hasen().isEditing()) card::ui::cardOf(main)->SpeichernClick();
}

}  // namespace

TJahrDialog::TJahrDialog(std::function<void(int)> showHelp, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TJahrDialog"));
  setWindowTitle(QStringLiteral("Jungtierliste"));
  auto* heading = new QLabel(QStringLiteral("Jahreseingabe für Jungtierliste:"), this);
  QFont f = heading->font();
  f.setBold(true);
  heading->setFont(f);
  jahr_ = new QLineEdit(this);
  jahr_->setObjectName(QStringLiteral("EditJahr"));
  jahr_->setMaxLength(4);
  auto* label = new QLabel(QStringLiteral("Jahr"), this);
  label->setBuddy(jahr_);
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  ok->setDefault(true);
  auto* abbruch = new QPushButton(QStringLiteral("&Abbruch"), this);
  auto* hilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(jahr_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(abbruch);
  buttons->addWidget(hilfe);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addLayout(row);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(abbruch, &QPushButton::clicked, this, &QDialog::reject);
  connect(hilfe, &QPushButton::clicked, this, [showHelp] {
    if (showHelp) showHelp(kHilfeJahrDialog);
  });
}

TFormGewichtstabelle::TFormGewichtstabelle(std::function<void(bool)> print, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), print_(std::move(print)) {
  setObjectName(QStringLiteral("TFormGewichtstabelle"));
  setWindowTitle(QStringLiteral("Gewichtstabellen -Formulare-"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* box = new QGroupBox(QStringLiteral("Druckauswahl"), this);
  mitTieren_ = new QRadioButton(QStringLiteral("Formular mit Tieren und Stallnummer"), box);
  leer_ = new QRadioButton(QStringLiteral("leeres Formular"), box);
  mitTieren_->setChecked(true);
  auto* bl = new QVBoxLayout(box);
  bl->addWidget(mitTieren_);
  bl->addWidget(leer_);
  auto* druck = new QPushButton(QStringLiteral("Druck"), this);
  auto* abbruch = new QPushButton(QStringLiteral("Abbruch"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(druck);
  buttons->addWidget(abbruch);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addLayout(buttons);
  connect(druck, &QPushButton::clicked, this, [this] { DruckClick(); });
  connect(abbruch, &QPushButton::clicked, this, &QWidget::close);
}

void TFormGewichtstabelle::DruckClick() {
  hide();  // it does not come back
  if (print_) print_(mitTieren_->isChecked());
  close();
}

void printGewichtstabelle(Host& main) {
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm || !dm->Hasen().isOpen() || !dm->Hasen().hasRecord()) return;
  settleCurrentAnimal(main);
  engine::Cursor* g = dm->cursor(QStringLiteral("Gewichtstabelle"));
  if (g && g->isOpen() && g->isEditing()) {
    try {
      dm->saveWithoutQuestion(*g);
    } catch (const engine::EngineError& e) {
      store::dialogs().error(e.message());
    }
  }
  if (!g || !g->isOpen() || g->recordCount() == 0) {
    store::dialogs().inform(store::messageText(kMeldungKeineGewichte));
    return;
  }
  const qint64 hase = dm->Hasen().field(QStringLiteral("Nummer")).asInteger();
  const QImage chart = card::ui::renderGrowthChart(card::ui::growthOfAnimal(*dm, hase), QSize(900, 440));
  const TReportGewichtstabelle report(weighingHead(*dm), chart, fontOf(main.session().settings()));
  const reports::MemoryDataSource rows = weighingRows(*dm);
  reports::showReportPreview(main.widget(), report, rows);
}

void openGewichtstabellenFormulare(Host& main) {
  static QPointer<TFormGewichtstabelle> window;
  if (window) {
    window->raise();
    window->activateWindow();
    return;
  }
  shell::ui::HostPointer owner(main);
  window = new TFormGewichtstabelle([owner](bool withAnimals) {
    if (!owner) return;
    const reports::ReportFont font = fontOf(owner->session().settings());
    if (withAnimals) {
      reports::MemoryDataSource rows;
      try {
        rows = hutchAnimals(owner->session().engine());
      } catch (const engine::EngineError& e) {
        store::dialogs().error(e.message());
        return;
      }
      reports::showReportPreview(owner.widget(), TReportGewichtFormular(font), rows);
    } else {
      reports::showReportPreview(owner.widget(), TReportGewichtFormularLeer(font), reports::MemoryDataSource());
    }
  }, main.widget());
  window->adjustSize();
  window->move(main.widget()->geometry().center() - QPoint(window->width() / 2, window->height() / 2));
  window->show();
}

void printJungtierliste(Host& main) {
  settleCurrentAnimal(main);
  shell::ui::HostPointer owner(main);
  TJahrDialog dialog([owner](int topic) {
    if (owner) owner->showHelp(topic);
  }, main.widget());
  dialog.EditJahr()->clear();
  if (QScreen* screen = main.widget()->screen()) {
    dialog.adjustSize();
    dialog.move(screen->geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  if (dialog.exec() != QDialog::Accepted) return;
  QString error;
  const std::optional<Zuchtjahr> jahr = zuchtjahr(dialog.EditJahr()->text(), &error);
  if (!jahr) {
    store::dialogs().error(error);
    return;
  }
  std::unique_ptr<engine::Query> query;
  try {
    query = openJungtierQuery(main.session().engine(), *jahr);
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  QString ersteller;
  if (store::TDatenStamm* dm = main.session().dataModule()) {
    const store::OwnUser& own = dm->ownUser();
    ersteller = own.vorname + u' ' + own.name;
  }
  const reports::DataSetSource rows(*query);
  reports::showReportPreview(main.widget(), TReportJungtierliste(*jahr, ersteller, fontOf(main.session().settings())), rows);
  query->close();
}

}  // namespace lapiro::breeding::ui
