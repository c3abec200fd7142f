// The register, club, pharmacy and certificate commands of the main window: each opens its
// window once, and the office rule keeps the register and clubs exclusive.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "contacts/ui/register_windows.h"
#include "health/ui/certificate_window.h"
#include "health/ui/pharmacy_window.h"
#include "installer/content.h"
#include "shell/shell_install.h"
#include "shell/ui/main_window.h"
#include "support/scripted_dialogs.h"

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

QList<QAction*> actions(QWidget* window, const QString& caption) {
  QList<QAction*> out;
  for (QAction* a : window->findChildren<QAction*>())
    if (a->text() == caption) out << a;
  return out;
}

template <typename W>
int count(TFormLapiroManager& main) {
  int n = 0;
  for (QMdiSubWindow* s : main.mdiArea()->subWindowList()) n += qobject_cast<W*>(s->widget()) ? 1 : 0;
  return n;
}

TEST(OfficeWindows, RegisterAndClubsExcludeEachOtherAndThePharmacyOpensOnce) {
  ShellInstall install({.animals = ShellInstall::sampleAnimals()});
  ScriptedDialogs dialogs;
  shell::ShellSession session;
  TFormLapiroManager main(session);
  ASSERT_TRUE(main.startUp(QRect(0, 0, 1280, 1024)));
  main.applySettings();
  main.show();

  // Menu entry and tool button both open the register, once.
  const QList<QAction*> register_ = actions(&main, QStringLiteral("Züchterregister"));
  ASSERT_EQ(register_.size(), 2);
  for (QAction* a : register_) {
    EXPECT_TRUE(a->isEnabled());
    a->trigger();
  }
  EXPECT_EQ(count<contacts::ui::TFormZuechterregister>(main), 1);
  EXPECT_FALSE(main.listPanel()->isVisible());
  EXPECT_TRUE(dialogs.shown().empty());

  // Clubs and pharmacy are refused with the register's message.
  actions(&main, QStringLiteral("Vereine")).first()->trigger();
  actions(&main, QStringLiteral("Apotheke / Hygiene")).first()->trigger();
  EXPECT_EQ(dialogs.texts(), (QStringList{installer::messageText(1), installer::messageText(1)}));
  EXPECT_EQ(count<contacts::ui::TFormVereine>(main), 0);
  EXPECT_EQ(count<health::ui::TFormApotheke>(main), 0);

  main.mdiArea()->subWindowList().first()->widget()->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(main.listPanel()->isVisible());
  for (QAction* a : actions(&main, QStringLiteral("Apotheke"))) a->trigger();
  actions(&main, QStringLiteral("Apotheke / Hygiene")).first()->trigger();
  EXPECT_EQ(count<health::ui::TFormApotheke>(main), 1);
  actions(&main, QStringLiteral("Impfbescheinigung")).first()->trigger();
  EXPECT_EQ(count<health::ui::TFormImpfbescheinigung>(main), 1);
  EXPECT_EQ(dialogs.texts().size(), 2);
  main.hide();
}

}  // namespace
}  // namespace lapiro::test
