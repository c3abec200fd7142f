#include "exchange/ui/exchange_windows.h"

#include "exchange/ui/exchange_window.h"
#include "shell/animal_list.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

#include <QDir>
#include <QMdiSubWindow>
#include <QPointer>

namespace lapiro::exchange::ui {

namespace {
QPointer<QMdiSubWindow> exchangeWindow;
}

void openDatenaustausch(shell::ui::Host& main) {
  if (main.bringForward(exchangeWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  shell::ui::HostPointer owner(main);
  auto current = [owner]() -> qint64 {
    if (!owner) return 0;
    store::TDatenStamm* module = owner->session().dataModule();
    if (!module || !module->Hasen().isOpen() || !module->Hasen().hasRecord()) return 0;
    return module->Hasen().field(QStringLiteral("Nummer")).asInteger();
  };
  auto listed = [owner]() { return owner ? owner->session().animalList().numbers() : std::vector<qint64>{}; };
  auto sheet = [owner]() {
    Sheet out;
    if (!owner) return out;
    engine::Cursor& list = owner->session().animalList().cursor();
    if (!list.isOpen()) return out;
    std::vector<std::pair<QString, QString>> columns;
    for (const shell::ListColumn& c : shell::listColumns(owner->session().settings()))
      if (c.visible) columns.emplace_back(c.field, c.title);
    return sheetOf(list, columns);
  };
  auto* window = new TFormDatenaustausch(session.engine(), QDir(shell::paths::programDir()).filePath(QStringLiteral("Austausch")),
                                         {current, listed, sheet});
  exchangeWindow = main.openNormalWindow(window);
}

}  // namespace lapiro::exchange::ui
