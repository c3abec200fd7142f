#include "lineage/ui/lineage_windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "lineage/ui/inbreeding_window.h"
#include "lineage/ui/mating_planner_window.h"
#include "lineage/ui/stock_analysis_window.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

namespace lapiro::lineage::ui {

using shell::ui::Host;

namespace {

QPointer<QMdiSubWindow> inzuchtWindow;
QPointer<QMdiSubWindow> plannerWindow;
QPointer<QMdiSubWindow> analysisWindow;
std::function<void(Host&, qint64, qint64)> colourPairAction;

qint64 currentAnimal(Host& main) {
  store::TDatenStamm* module = main.session().dataModule();
  if (!module || !module->Hasen().isOpen() || !module->Hasen().hasRecord()) return 0;
  return module->Hasen().field(QStringLiteral("Nummer")).asInteger();
}

QMdiSubWindow* addChild(Host& main, QWidget* window) { return main.openNormalWindow(window); }

}  // namespace

TFormInzuchtgrad* openInzuchtgrad(Host& main) {
  if (main.bringForward(inzuchtWindow)) {
    return qobject_cast<TFormInzuchtgrad*>(inzuchtWindow->widget());
  }
  if (!main.officeRule().mayOpenNormal()) return nullptr;
  auto* window = new TFormInzuchtgrad(main.session().engine(), currentAnimal(main));
  shell::ui::HostPointer owner(main);
  QObject::connect(window, &TFormInzuchtgrad::helpRequested, main.widget(), [owner](int context) {
    if (owner) owner->showHelp(context);
  });
  inzuchtWindow = addChild(main, window);
  return window;
}

void openInzuchtgradEltern(Host& main, qint64 vater, qint64 mutter) {
  if (TFormInzuchtgrad* window = openInzuchtgrad(main)) window->zeigeEltern(vater, mutter);
}

void openAnpaarungsplanung(Host& main) {
  main.openOnce(plannerWindow, [&main]() -> QWidget* {
    auto* window = new TFormAnpaarungsplanung(main.session().engine(), main.session().settingsFile(),
                                               currentAnimal(main));
    shell::ui::HostPointer owner(main);
    QObject::connect(window, &TFormAnpaarungsplanung::paarGewaehlt, main.widget(), [owner](qint64 vater, qint64 mutter) {
      if (owner) openInzuchtgradEltern(*owner, vater, mutter);
    });
    QObject::connect(window, &TFormAnpaarungsplanung::farbvererbungGewuenscht, main.widget(),
                     [owner](qint64 vater, qint64 mutter) {
                       if (owner && colourPairAction) colourPairAction(*owner, vater, mutter);
                     });
    QObject::connect(window, &TFormAnpaarungsplanung::helpRequested, main.widget(), [owner](int context) {
      if (owner) owner->showHelp(context);
    });
    return window;
  });
}

void openBestandsanalyse(Host& main) {
  main.openOnce(analysisWindow, [&main]() -> QWidget* {
    auto* window = new TFormBestandsanalyse(main.session().engine());
    shell::ui::HostPointer owner(main);
    window->setSuchergebnisQuelle(
        [owner] { return owner ? owner->session().animalList().numbers() : std::vector<qint64>{}; });
    return window;
  });
}

void setColourPairAction(std::function<void(Host&, qint64, qint64)> action) { colourPairAction = std::move(action); }

}  // namespace lapiro::lineage::ui
