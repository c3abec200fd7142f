#include "output/ui/printout_commands.h"

#include "card/ui/pedigree_print.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTimer>

#include "card/ui/animal_card.h"
#include "engine/cursor.h"
#include "output/animal_sheets.h"
#include "output/ui/label_window.h"
#include "reports/report_layout.h"
#include "reports/report_renderer.h"
#include "reports/ui/report_preview.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/ui/animal_search_dialog.h"

namespace lapiro::output::ui {

using shell::ui::Host;

namespace {

QPointer<TFormTransportaufkleber> labelWindow;

// Saves a pending change of `c`; false when it stays unsaved (a rule stopped the save).
bool settle(engine::Cursor* c) {
  if (!c || !c->isOpen() || !c->isEditing()) return true;
  return store::guarded([&] { c->post(); }) && !c->isEditing();
}

QString benutzer(Host& main) {
  engine::Cursor& eigen = main.session().eigen();
  if (!eigen.isOpen() || !eigen.hasRecord()) return {};
  const auto f = eigen.findField(QStringLiteral("Benutzer"));
  return f ? f->asString() : QString();
}

// The usable height of the data sheet's picture, in units: the page body less the footer and
// the picture's own margins.
int maxPictureHeightUnits() {
  return static_cast<int>((297.0 - 20.0 - 6.0 - 2 * 5.3 - 1.0) / kMmPerUnit);
}

// The modal preview; returns when the user closes it.
void preview(Host& main, reports::PageModel model) {
  reports::TReportVorschau dialog(std::move(model), main.widget());
  dialog.exec();
}

}  // namespace

void printKaninchendaten(Host& main) {
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm) return;
  engine::Cursor& hasen = dm->Hasen();
  if (!settle(&hasen) || !settle(dm->cursor(QStringLiteral("Bilder")))) return;
  if (!hasen.isOpen() || !hasen.hasRecord()) return;
  const auto& s = main.session().settings();
  reports::MemoryDataSource row;
  SheetPicture picture;
  QString anomalien;
  const bool ok = store::guarded([&] {
    row = dataSheetRow(hasen, benutzer(main));
    anomalien = hasen.field(QStringLiteral("Anomalien")).asString();
    if (s.Drucken.Bild) {
      const QString path = representativePicturePath(main.session().engine(),
                                                     hasen.field(QStringLiteral("Nummer")).asInteger(),
                                                     hasen.field(QStringLiteral("Druckbild")).asInteger());
      picture = loadSheetPicture(path, s.Stammdaten.BildAnpassen, static_cast<int>(190.0 / kMmPerUnit),
                                 maxPictureHeightUnits());
    }
  });
  if (!ok) return;
  const TReportStammdaten report(anomalien, picture);
  preview(main, layoutPrintout(report, row));
}

void printKaninchendatenListe(Host& main) {
  store::ui::TsuchenDlg dialog(main.session().engine(), main.widget());
  dialog.prepareForShow(store::SearchRequest{});
  if (auto* links = dialog.findChild<QLineEdit*>(QStringLiteral("EditTatoLinks"))) links->setFocus();
  if (dialog.QDialog::exec() != QDialog::Accepted) {
    dialog.search().close();
    return;
  }
  engine::Query& result = dialog.search().result();
  std::optional<reports::MemoryDataSource> rows;
  QProgressDialog progress(QStringLiteral("Kaninchendaten werden gelesen …"), QStringLiteral("Abbrechen"), 0,
                           100, main.widget());
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  progress.setWindowTitle(QStringLiteral("Kaninchendaten - Liste"));
  const bool ok = store::guarded([&] {
    if (!result.isOpen()) return;
    rows = dataListRows(result, [&](int done, int total) {
      progress.setMaximum(std::max(1, total));
      progress.setValue(done);
      QApplication::processEvents();
      return !progress.wasCanceled();
    });
  });
  dialog.search().close();
  progress.reset();
  if (!ok || !rows) return;
  preview(main, layoutPrintout(TReportKatzenListe(), *rows));
}

void printStallkarteA6(Host& main) {
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm) return;
  engine::Cursor& hasen = dm->Hasen();
  if (!settle(&hasen)) return;
  if (!hasen.isOpen() || !hasen.hasRecord()) return;
  engine::Cursor* wurfbuch = dm->cursor(QStringLiteral("Wurfbuch"));
  reports::MemoryDataSource row;
  if (!store::guarded([&] { row = stableCardRow(hasen, wurfbuch); })) return;
  const bool withLitter = wurfbuch && wurfbuch->isOpen() && wurfbuch->hasRecord();
  preview(main, layoutPrintout(TReportStallkarten(withLitter), row));
}

void printByCardTab(Host& main) {
  card::ui::TLapiroStamm* card = card::ui::cardOf(main);
  if (!card || !card->tabs()) return;
  switch (card->tabs()->currentIndex()) {
    case card::ui::TLapiroStamm::TabStammdaten:
      printKaninchendaten(main);
      break;
    case card::ui::TLapiroStamm::TabStammbaum:
      if (store::TDatenStamm* dm = main.session().dataModule())
        card::ui::AbstammungsnachweisClick(main.widget(), *card, *dm, main.session().settings());
      break;
    default:
      break;
  }
}

void openTransportaufkleber(Host& main) {
  if (labelWindow) {
    labelWindow->raise();
    labelWindow->activateWindow();
    return;
  }
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm || !settle(&dm->Hasen()) || !settle(dm->cursor(QStringLiteral("Wurfbuch")))) return;
  shell::ui::HostPointer owner(main);
  LabelWindowServices services;
  services.searchAnimal = [owner]() -> std::optional<qint64> {
    if (!owner) return std::nullopt;
    store::ui::TsuchenDlg dialog(owner->session().engine(), labelWindow);
    if (dialog.exec(store::SearchRequest{}) != QDialog::Accepted) return std::nullopt;
    return dialog.chosenNummer();
  };
  services.showPages = [](QWidget* parent, const reports::PageModel& model, bool preview) {
    if (preview) {
      reports::TReportVorschau dialog(model, parent);
      dialog.exec();
    } else {
      printPageModel(parent, model, false);
    }
  };
  services.showHelp = [owner](int context) {
    if (owner) owner->showHelp(context);
  };
  TFormTransportaufkleber* window = nullptr;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = store::guarded(
      [&] { window = new TFormTransportaufkleber(main.session().engine(), std::move(services), main.widget()); });
  QApplication::restoreOverrideCursor();
  if (!ok) return;
  labelWindow = window;
  window->setAttribute(Qt::WA_DeleteOnClose);
  const QRect frame = main.widget()->geometry();
  window->adjustSize();
  window->move(frame.center() - QPoint(window->width() / 2, window->height() / 2));
  window->show();
}

bool printPageModel(QWidget* parent, const reports::PageModel& model, bool askPrinter) {
  QPrinter printer(QPrinter::HighResolution);
  reports::preparePrinter(printer, model.setup);
  printer.setDocName(model.title);
  if (askPrinter) {
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    if (dialog.exec() != QDialog::Accepted) return false;
    reports::preparePrinter(printer, model.setup);
  }
  return reports::renderToDevice(model, printer);
}

}  // namespace lapiro::output::ui
