// The main window's show commands: the calendar as an office window, the title list refused
// while it is open, the show list without show rows and the entry form window.
#include "shell/ui/main_window.h"

#include "shell/running_main_window.h"
#include "shell/shell_install.h"
#include "shows/ui/entry_form_window.h"
#include "shows/ui/show_list_windows.h"
#include "store/messages.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <QPointer>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using shell::ui::TFormLapiroManager;

class MainWindowShowsTest : public RunningMainWindow {
 protected:
  template <typename W>
  int open() {
    int n = 0;
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (qobject_cast<W*>(sub->widget())) ++n;
    return n;
  }
};

TEST_F(MainWindowShowsTest, CalendarIsAnOfficeWindowThatKeepsTheTitleListOut) {
  QAction* termine = command(QStringLiteral("Ausstellungstermine"));
  ASSERT_TRUE(termine);
  ASSERT_TRUE(termine->isEnabled());
  termine->trigger();
  termine->trigger();  // brought forward, not opened twice
  EXPECT_EQ(open<shows::ui::TFormAusstellungstermine>(), 1);
  EXPECT_FALSE(window_->listPanel()->isVisible());

  command(QStringLiteral("Ausstellungstitel"))->trigger();
  EXPECT_EQ(open<shows::ui::TFormAusstellungstitel>(), 0);
  EXPECT_EQ(dialogs_.texts(), QStringList{store::messageText(4)});

  for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
    if (qobject_cast<shows::ui::TFormAusstellungstermine*>(sub->widget())) sub->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window_->listPanel()->isVisible());
  command(QStringLiteral("Ausstellungstitel"))->trigger();
  EXPECT_EQ(open<shows::ui::TFormAusstellungstitel>(), 1);
}

TEST_F(MainWindowShowsTest, ShowListWithoutShowsAndTheEntryForm) {
  command(QStringLiteral("Ausstellungsliste"))->trigger();
  EXPECT_EQ(dialogs_.texts(), QStringList{store::messageText(123)});
  command(QStringLiteral("Ausstellungsanmeldung"))->trigger();
  command(QStringLiteral("Ausstellungsanmeldung"))->trigger();  // the open one comes forward
  int forms = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<shows::ui::TFormAusstellungsanmeldung*>(w) && w->isVisible()) ++forms;
  EXPECT_EQ(forms, 1);
}

}  // namespace
}  // namespace lapiro::test
