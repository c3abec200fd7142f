// The lineage windows as the main window opens them: menu command and tool button, one window
// each, and the planner's double click opening the inbreeding window on the pair.
#include "lineage/ui/inbreeding_window.h"
#include "lineage/ui/mating_planner_window.h"
#include "shell/shell_install.h"
#include "shell/ui/main_window.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

template <typename W>
std::vector<W*> windowsOf(TFormLapiroManager& main) {
  std::vector<W*> found;
  for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
    if (auto* w = qobject_cast<W*>(sub->widget())) found.push_back(w);
  return found;
}

void trigger(QWidget* window, const QString& caption, int which = 0) {
  int seen = 0;
  for (QAction* a : window->findChildren<QAction*>())
    if (a->text() == caption && seen++ == which) {
      ASSERT_TRUE(a->isEnabled()) << caption.toStdString();
      a->trigger();
      return;
    }
  FAIL() << "no action " << caption.toStdString();
}

TEST(LineageMenu, CommandsOpenOneWindowEachAndThePlannerOpensThePair) {
  ShellInstall install({.animals = ShellInstall::sampleAnimals()});
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  TFormLapiroManager main(session);
  ASSERT_TRUE(main.startUp(QRect(0, 0, 1280, 1024)));
  main.show();

  trigger(&main, QStringLiteral("Inzuchtgrad"));
  trigger(&main, QStringLiteral("Inzuchtgrad"), 1);  // the tool button
  ASSERT_EQ(windowsOf<lineage::ui::TFormInzuchtgrad>(main).size(), 1u);

  trigger(&main, QStringLiteral("Anpaarungsplanung"));
  trigger(&main, QStringLiteral("Anpaarungsplanung"), 1);
  const auto planners = windowsOf<lineage::ui::TFormAnpaarungsplanung>(main);
  ASSERT_EQ(planners.size(), 1u);
  lineage::ui::TFormAnpaarungsplanung& planner = *planners.front();
  planner.UebernehmenClick();
  planner.BerechnenClick();
  ASSERT_GT(planner.model().rowCount(), 0);
  {
    emit planner.table()->doubleClicked(planner.model().index(0, 0));
    const auto inzucht = windowsOf<lineage::ui::TFormInzuchtgrad>(main);
    ASSERT_EQ(inzucht.size(), 1u);
    const lineage::PlanPaar& p = planner.model().pairAt(0);
    EXPECT_EQ(inzucht.front()->eingabe().art, lineage::Berechnungsart::Eltern);
    EXPECT_EQ(inzucht.front()->eingabe().vater.nummer, planner.model().rammler()[p.rammler].nummer);
    EXPECT_EQ(inzucht.front()->eingabe().mutter.nummer, planner.model().haesinnen()[p.haesin].nummer);
  }
  main.mdiArea()->closeAllSubWindows();
  main.hide();
}

}  // namespace
}  // namespace lapiro::test
