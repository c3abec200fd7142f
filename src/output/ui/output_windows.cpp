#include "output/ui/output_windows.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>

#include "card/ui/animal_card.h"
#include "output/ui/options_window.h"
#include "output/ui/own_data_window.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/data_module.h"

namespace lapiro::output::ui {

using shell::ui::Host;

namespace {

QPointer<QMdiSubWindow> optionsWindow;
QPointer<QMdiSubWindow> ownDataWindow;

QMdiSubWindow* show(Host& main, QWidget* window) {
  return main.openNormalWindow(window, window->sizeHint().expandedTo(QSize(820, 500)));
}

template <class C>
std::vector<C> choices(const std::vector<store::TDatenStamm::Choice>& from) {
  std::vector<C> out;
  for (const auto& c : from) out.push_back(C{c.key, c.name});
  return out;
}

}  // namespace

void openSystemparameter(Host& main) {
  if (main.bringForward(optionsWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  store::TDatenStamm* module = session.dataModule();
  OptionLists lists;
  if (module) {
    lists.breeds = choices<OptionLists::Choice>(module->breeds());
    lists.states = choices<OptionLists::Choice>(module->states());
    lists.colours = [module](qint64 breed) { return choices<OptionLists::Choice>(module->colours(breed)); };
  }
  const QRect area = main.widget()->screen() ? main.widget()->screen()->availableGeometry() : QRect();
  auto* window = new TFOptionen(session.settings(), std::move(lists), area);
  window->addPages(main.optionsPages(), session.settingsFile());
  shell::ui::HostPointer owner(main);
  window->onSaved = [owner] {
    if (!owner) return;
    shell::ShellSession& s = owner->session();
    owner->applySettings();
    s.settings().save(s.settingsFile());
    s.saveSettingsFile();
    if (auto* card = card::ui::cardOf(*owner)) card->rebuildYoungAnimalRows();
  };
  window->onHelp = [owner](int context) {
    if (owner) owner->showHelp(context);
  };
  // "&Speichern" first lets the card save its pending change, then reads the controls.
  window->beforeSave = [owner] {
    if (owner && card::ui::cardOf(*owner)) card::ui::cardOf(*owner)->controller().save();
  };
  optionsWindow = show(main, window);
}

void openAnwenderdaten(Host& main) {
  if (main.bringForward(ownDataWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  shell::ShellSession& session = main.session();
  store::TDatenStamm* module = session.dataModule();
  TAnwenderdaten::Lists lists;
  if (module) {
    lists.breeds = choices<TAnwenderdaten::Choice>(module->breeds());
    lists.colours = [module](qint64 breed) { return choices<TAnwenderdaten::Choice>(module->colours(breed)); };
  }
  auto* window = new TAnwenderdaten(session.engine(), session.settings(), std::move(lists));
  if (!window->isUsable()) {
    delete window;
    return;
  }
  shell::ui::HostPointer owner(main);
  window->onSaved = [owner] {
    if (!owner) return;
    engine::Cursor& eigen = owner->session().eigen();
    eigen.close();
    eigen.open();
    owner->widget()->setWindowTitle(owner->session().caption());
  };
  window->saveDefaults = [owner](bool rasse, bool farbe) {
    if (!owner) return;
    shell::ShellSession& s = owner->session();
    if (rasse) s.settings().saveRasse(s.settingsFile());
    if (farbe) s.settings().saveFarbe(s.settingsFile());
    s.saveSettingsFile();
  };
  window->onHelp = [owner](int context) {
    if (owner) owner->showHelp(context);
  };
  ownDataWindow = show(main, window);
}

}  // namespace lapiro::output::ui
