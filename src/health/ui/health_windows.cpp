#include "health/ui/health_windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "card/ui/animal_card.h"
#include "health/ui/certificate_window.h"
#include "health/ui/pharmacy_window.h"
#include "reports/ui/report_preview.h"
#include "shell/system_info.h"
#include "shell/ui/calendar_dialog.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"
#include "store/ui/animal_search_dialog.h"

namespace lapiro::health::ui {

using shell::ui::Host;

namespace {
QPointer<QMdiSubWindow> apothekeWindow;
QPointer<QMdiSubWindow> impfWindow;

QMdiSubWindow* addChild(Host& main, QWidget* window, const QSize& wanted, Qt::WindowFlags flags = {}) {
  return main.openNormalWindow(window, wanted, flags);
}
}  // namespace

void openApotheke(Host& main) {
  if (main.bringForward(apothekeWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  shell::tsysteminfo* settings = &session.settings();
  shell::ui::HostPointer owner(main);
  auto* window = new TFormApotheke(
      session.engine(), [settings] { return settings->System.Speichern; },
      [owner](int topic) {
        if (owner) owner->showHelp(topic);
      },
      [owner](const QDate& initial) -> std::optional<QDate> {
        if (!owner) return std::nullopt;
        return owner->calendar().pick(initial);
      });
  if (!window->isUsable()) {
    delete window;
    return;
  }
  apothekeWindow = addChild(main, window, QSize(760, 520));
}

void openImpfbescheinigung(Host& main) {
  if (main.bringForward(impfWindow)) return;
  shell::ShellSession& session = main.session();
  if (store::TDatenStamm* dm = session.dataModule();
      dm && card::ui::cardOf(main) && dm->Hasen().isOpen() && dm->Hasen().isEditing())
    card::ui::cardOf(main)->SpeichernClick();
  shell::tsysteminfo* settings = &session.settings();
  shell::ui::HostPointer owner(main);
  auto search = std::make_shared<QPointer<store::ui::TsuchenDlg>>();
  TFormImpfbescheinigung::Services services;
  services.searchAnimal = [owner, search, &session]() -> std::optional<qint64> {
    if (!owner) return std::nullopt;
    if (!*search) *search = new store::ui::TsuchenDlg(session.engine(), owner.widget());
    if ((*search)->exec(store::SearchRequest{}) != QDialog::Accepted) return std::nullopt;
    return (*search)->chosenNummer();
  };
  services.showHelp = [owner](int topic) {
    if (owner) owner->showHelp(topic);
  };
  services.print = [](QWidget* parent, const reports::Report& report, const reports::ReportDataSource& data,
                      bool preview) {
    if (preview)
      reports::showReportPreview(parent, report, data);
    else
      reports::printReport(parent, report, data);
  };
  services.speichernOhneFrage = [settings] { return settings->System.Speichern; };
  const QDate today = session.dataModule() ? session.dataModule()->today() : QDate::currentDate();
  auto* window = new TFormImpfbescheinigung(session.engine(), session.eigen(), today, services);
  impfWindow = addChild(main, window, QSize(860, 660), Qt::WindowStaysOnTopHint);
}

}  // namespace lapiro::health::ui
