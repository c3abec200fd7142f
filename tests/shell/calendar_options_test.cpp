// The "Zuchtkalender" tab the breeding module adds to "Systemparameter", in the running main
// window: refused intervals keep the window open with nothing written, saved ones reach the
// settings file and the open calendar.
#include "shell/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include "breeding/breeding_calendar.h"
#include "breeding/ui/breeding_calendar_window.h"
#include "breeding/ui/calendar_options_page.h"
#include "output/ui/options_window.h"
#include "shell/paths.h"
#include "shell/profile_file.h"
#include "shell/running_main_window.h"
#include "shell/shell_install.h"
#include "support/scripted_dialogs.h"

namespace lapiro::test {
namespace {

using breeding::BreedingCalendarWindow;
using breeding::CalendarSettings;
using breeding::ui::CalendarOptionsPage;
using output::ui::TFOptionen;
using shell::ui::TFormLapiroManager;

class CalendarOptionsTest : public RunningMainWindow {
 protected:
  // The calendar tab of the open options window; null when there is none.
  CalendarOptionsPage* calendarPage(TFOptionen* options) {
    QTabWidget* tabs = options->tabs();
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i) == QStringLiteral("Zuchtkalender")) return qobject_cast<CalendarOptionsPage*>(tabs->widget(i));
    return nullptr;
  }
  static CalendarSettings onDisk() {
    CalendarSettings s;
    s.load(shell::ProfileFile(shell::paths::settingsFile()));
    return s;
  }
};

}  // namespace

TEST_F(CalendarOptionsTest, RefusedIntervalsKeepTheWindowOpenAndSavedOnesReachTheFileAndTheOpenCalendar) {
  trigger(QStringLiteral("Zuchtkalender"));
  auto* calendar = openWindow<BreedingCalendarWindow>();
  ASSERT_NE(calendar, nullptr);
  trigger(QStringLiteral("Systemparameter"));
  TFOptionen* options = openWindow<TFOptionen>();
  ASSERT_NE(options, nullptr);
  // The feature tab follows the window's own seven, with the rabbit defaults of a file that
  // has no calendar section yet.
  EXPECT_EQ(options->tabs()->tabText(7), QStringLiteral("Zuchtkalender"));
  // The window asks for room for all eight captions.
  EXPECT_GT(options->sizeHint().width(), options->tabs()->tabBar()->sizeHint().width());
  CalendarOptionsPage* page = calendarPage(options);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->intervalBox(QStringLiteral("Abtasten"))->value(), 12);
  EXPECT_EQ(page->intervalBox(QStringLiteral("Trennen"))->value(), 84);
  EXPECT_EQ(page->weighingDaysEdit()->text(), QStringLiteral("21,28,35,42,56"));
  EXPECT_FALSE(page->showAtStartBox()->isChecked());

  // 0 days, more than a year and unreadable weighing days: one message, the window stays on
  // the calendar tab, and neither the calendar nor an own tab's change is written.
  options->tabs()->setCurrentIndex(0);
  options->marginBox(2)->setValue(33);
  page->intervalBox(QStringLiteral("Abtasten"))->setValue(0);
  page->intervalBox(QStringLiteral("Trennen"))->setValue(366);
  page->weighingDaysEdit()->setText(QStringLiteral("21,drei"));
  EXPECT_FALSE(options->SpeichernClick());
  QApplication::processEvents();
  ASSERT_EQ(dialogs_.texts().size(), 1u);
  const QString message = dialogs_.texts().front();
  EXPECT_TRUE(message.contains(QStringLiteral("Abtasten nach dem Decken"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("Geschlechter trennen nach dem Wurf"))) << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("drei"))) << message.toStdString();
  EXPECT_EQ(openWindow<TFOptionen>(), options);
  if (qEnvironmentVariableIsSet("LAPIRO_SCREENSHOTS"))
    window_->grab().save(qEnvironmentVariable("LAPIRO_SCREENSHOTS") + QStringLiteral("/zuchtkalender-optionen.png"));
  EXPECT_EQ(options->tabs()->currentWidget(), page);
  const shell::ProfileFile refused(shell::paths::settingsFile());
  EXPECT_EQ(refused.readString(QStringLiteral("Zuchtkalender"), QStringLiteral("Abtasten")), QString());
  EXPECT_NE(refused.readString(QStringLiteral("Stammbaum"), QStringLiteral("untererRand")), QStringLiteral("33"));
  EXPECT_NE(session_.settings().Stammbaum.untererRand, 33);

  // "Grundeinstellung laden" brings the defaults back; then valid values are saved.
  for (QPushButton* b : page->findChildren<QPushButton*>())
    if (b->text() == QStringLiteral("Grundeinstellung &laden")) b->click();
  EXPECT_EQ(page->intervalBox(QStringLiteral("Abtasten"))->value(), 12);
  EXPECT_EQ(page->weighingDaysEdit()->text(), QStringLiteral("21,28,35,42,56"));
  page->intervalBox(QStringLiteral("Abtasten"))->setValue(14);
  page->intervalBox(QStringLiteral("Trennen"))->setValue(365);
  page->intervalBox(QStringLiteral("Rueckblick"))->setValue(1);
  page->weighingDaysEdit()->setText(QStringLiteral(" 21, 42 "));
  page->showAtStartBox()->setChecked(true);
  options->gestationBox()->setValue(33);
  dialogs_.clear();
  EXPECT_TRUE(options->SpeichernClick());
  // The options window and then its frame are deleted later.
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(dialogs_.texts().isEmpty()) << dialogs_.texts().join(u'|').toStdString();
  EXPECT_EQ(openWindow<TFOptionen>(), nullptr);

  const shell::ProfileFile saved(shell::paths::settingsFile());
  EXPECT_EQ(saved.readString(QStringLiteral("Zuchtkalender"), QStringLiteral("Abtasten")), QStringLiteral("14"));
  EXPECT_EQ(saved.readString(QStringLiteral("Zuchtkalender"), QStringLiteral("Wiegetage")), QStringLiteral("21, 42"));
  EXPECT_EQ(saved.readString(QStringLiteral("Stammbaum"), QStringLiteral("untererRand")), QStringLiteral("33"));
  const CalendarSettings file = onDisk();
  EXPECT_EQ(file.abtasten, 14);
  EXPECT_EQ(file.trennen, 365);
  EXPECT_EQ(file.rueckblick, 1);
  EXPECT_EQ(file.nestkiste, 3);
  EXPECT_EQ(file.weighingDays(), (std::vector<int>{21, 42}));
  EXPECT_TRUE(file.beimStart);
  // The open calendar took the new intervals.
  EXPECT_EQ(calendar->settings().abtasten, 14);
  EXPECT_EQ(calendar->settings().trennen, 365);
  EXPECT_TRUE(calendar->settings().beimStart);
  EXPECT_EQ(calendar->gestationDays(), 33);

  // Opened again, the tab shows what the file holds.
  trigger(QStringLiteral("Systemparameter"));
  options = openWindow<TFOptionen>();
  ASSERT_NE(options, nullptr);
  page = calendarPage(options);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->intervalBox(QStringLiteral("Abtasten"))->value(), 14);
  EXPECT_EQ(page->weighingDaysEdit()->text(), QStringLiteral("21, 42"));
  EXPECT_TRUE(page->showAtStartBox()->isChecked());
}

}  // namespace lapiro::test
