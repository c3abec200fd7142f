#include "shows/ui/show_windows.h"

#include "engine/cursor.h"
#include "reports/ui/report_preview.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "shows/show_list_report.h"
#include "shows/show_rules.h"
#include "shows/ui/entry_form_window.h"
#include "shows/ui/show_list_windows.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"
#include "store/ui/animal_search_dialog.h"

#include <QFileDialog>
#include <QMdiSubWindow>
#include <QPointer>

namespace lapiro::shows::ui {

using shell::ui::OfficeWindow;
using shell::ui::Host;

namespace {

constexpr int kMsgNoShows = 123;

QPointer<TFormAusstellungsanmeldung> entryWindow;
QPointer<QMdiSubWindow> titleWindow;

QString ownText(engine::Cursor& eigen, const QString& field) {
  if (!eigen.isOpen() || !eigen.hasRecord()) return {};
  const auto f = eigen.findField(field);
  return f ? f->asString() : QString();
}

// Saves a pending change of `c` as its own "Speichern" would; false when it stays unsaved.
bool settle(engine::Cursor& c) {
  if (!c.isOpen() || !c.isEditing()) return true;
  return store::guarded([&] { c.post(); }) && !c.isEditing();
}

}  // namespace

void printAusstellungsliste(Host& main) {
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm) return;
  engine::Cursor& hasen = dm->Hasen();
  engine::Cursor* shows = dm->cursor(showCursorName());
  if (!shows || !settle(hasen) || !settle(*shows)) return;
  if (!hasen.hasRecord() || !shows->isOpen() || shows->isEmpty()) {
    store::dialogs().inform(store::messageText(kMsgNoShows));
    return;
  }
  reports::MemoryDataSource rows;
  const QString benutzer = ownText(main.session().eigen(), QStringLiteral("Benutzer"));
  if (!store::guarded([&] { rows = showListRows(hasen, *shows, benutzer); })) return;
  const TReportAusstellung report;
  reports::showReportPreview(main.widget(), report, rows);
}

void openAusstellungsanmeldung(Host& main) {
  if (entryWindow) {
    entryWindow->raise();
    entryWindow->activateWindow();
    return;
  }
  store::TDatenStamm* dm = main.session().dataModule();
  if (!dm || !settle(dm->Hasen())) return;
  engine::Cursor& eigen = main.session().eigen();
  EntryOwnData own;
  own.benutzer = ownText(eigen, QStringLiteral("Benutzer"));
  own.strasse = ownText(eigen, QStringLiteral("Strasse"));
  own.ortAnzeige = ownText(eigen, QStringLiteral("ortAnzeige"));
  own.telefon = ownText(eigen, QStringLiteral("Telefon"));
  own.kontonummer = ownText(eigen, QStringLiteral("Kontonummer"));
  own.kontoname = ownText(eigen, QStringLiteral("Kontoname"));
  own.kontoIn = ownText(eigen, QStringLiteral("KontoIn"));
  own.bankleitzahl = ownText(eigen, QStringLiteral("Bankleitzahl"));

  shell::ui::HostPointer owner(main);
  EntryFormServices services;
  services.saveFileName = [owner](const QString& suggested) -> std::optional<QString> {
    const QString chosen = QFileDialog::getSaveFileName(entryWindow, QStringLiteral("Meldebogen speichern"), suggested,
                                                        QStringLiteral("Meldebogen (*.mel)"));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
  };
  services.openFileName = [](const QString& folder) -> std::optional<QString> {
    const QString chosen = QFileDialog::getOpenFileName(entryWindow, QStringLiteral("Meldebogen laden"), folder,
                                                        QStringLiteral("Meldebogen (*.mel)"));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
  };
  services.searchAnimal = [owner]() -> std::optional<qint64> {
    if (!owner) return std::nullopt;
    store::ui::TsuchenDlg dialog(owner->session().engine(), entryWindow);
    if (dialog.exec(store::SearchRequest{}) != QDialog::Accepted) return std::nullopt;
    return dialog.chosenNummer();
  };
  services.showReport = [owner](const reports::Report& report, const reports::ReportDataSource& data, bool preview) {
    if (preview)
      reports::showReportPreview(owner.widget(), report, data);
    else
      reports::printReport(owner.widget(), report, data, false);
  };
  services.showHelp = [owner](int context) {
    if (owner) owner->showHelp(context);
  };

  TFormAusstellungsanmeldung* window = nullptr;
  try {
    window = new TFormAusstellungsanmeldung(*dm, main.session().settings().Stammdaten.Rasse,
                                            ownText(eigen, QStringLiteral("Vereinsnummer")), own, services, main.widget());
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  window->setAttribute(Qt::WA_DeleteOnClose);
  entryWindow = window;
  window->adjustSize();
  window->move(main.widget()->geometry().center() - window->rect().center());
  window->show();
}

void openAusstellungstermine(Host& main) {
  main.openOffice(OfficeWindow::Ausstellungstermine, [&main]() -> QWidget* {
    shell::ShellSession& session = main.session();
    store::TDatenStamm* module = session.dataModule();
    const QDate today = module ? module->today() : QDate::currentDate();
    shell::ui::HostPointer owner(main);
    try {
      return new TFormAusstellungstermine(
          session.engine(), session.settings(), module, today,
          [owner](int context) {
            if (owner) owner->showHelp(context);
          },
          [owner](const QDate& initial) -> std::optional<QDate> {
            if (!owner) return std::nullopt;
            return owner->calendar().pick(initial);
          });
    } catch (const engine::EngineError& e) {
      store::dialogs().error(e.message());
      return nullptr;
    }
  });
}

void openAusstellungstitel(Host& main) {
  if (main.bringForward(titleWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  shell::ui::HostPointer owner(main);
  TFormAusstellungstitel* window = nullptr;
  try {
    window = new TFormAusstellungstitel(session.engine(), session.settings(), session.dataModule(), [owner](int context) {
      if (owner) owner->showHelp(context);
    });
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return;
  }
  titleWindow = main.openNormalWindow(window, QSize(380, 420));
}

}  // namespace lapiro::shows::ui
