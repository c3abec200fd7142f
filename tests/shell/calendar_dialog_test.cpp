// The calendar dialog: month and year steps with their clamping, the date line, help, the
// keyboard and the result of pick().
#include "shell/ui/calendar_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "shell/calendar_nav.h"

namespace lapiro::test {
namespace {

using shell::calendarDateLine;
using shell::stepMonths;
using shell::stepYears;
using shell::ui::TKalenderDlg;

// ------------------------------------------------------------------ date steps

// The widget cases below cover the plain steps; these are the ones a dialog cannot reach.
TEST(CalendarNav, StepsClampToTheTargetMonthAndLeaveInvalidDatesInvalid) {
  EXPECT_EQ(stepMonths(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
  EXPECT_EQ(stepMonths(QDate(2025, 5, 31), -1), QDate(2025, 4, 30));
  // Each step starts from the clamped day, not from the day first chosen.
  EXPECT_EQ(stepMonths(stepMonths(QDate(2025, 1, 31), 1), 1), QDate(2025, 3, 28));
  EXPECT_EQ(stepYears(QDate(2024, 2, 29), 4), QDate(2028, 2, 29));
  EXPECT_FALSE(stepMonths(QDate(), 1).isValid());
  EXPECT_FALSE(stepYears(QDate(), -1).isValid());
}

TEST(CalendarNav, DateLineHasTwoBlanksAroundTheColonAndZeroPaddedDigits) {
  EXPECT_EQ(calendarDateLine(QDate(2025, 3, 1)), QStringLiteral("Datum  :  01.03.2025"));
  EXPECT_EQ(calendarDateLine(QDate()), QStringLiteral("Datum  :  "));
}

// ------------------------------------------------------------------ the dialog

class KalenderDlgTest : public ::testing::Test {
 protected:
  QAbstractButton* button(const char* name) {
    auto* b = dlg_.findChild<QAbstractButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  QCalendarWidget* calendar() { return dlg_.findChild<QCalendarWidget*>(QStringLiteral("Kalender")); }
  // The grid inside the calendar widget, which receives the keys.
  QTableView* grid() { return calendar()->findChild<QTableView*>(); }
  QString caption() { return dlg_.findChild<QLabel*>(QStringLiteral("MonatJahr"))->text(); }

  // Runs pick(initial) and, once the dialog is shown and active, `action` inside its modal
  // loop. A dialog still open after a few seconds is cancelled so a broken test cannot hang.
  std::optional<QDate> pickWhile(const QDate& initial, const std::function<void()>& action) {
    QTimer::singleShot(0, &dlg_, [this, action] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg_));
      action();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dlg_, [this] {
      ADD_FAILURE() << "the dialog was still open";
      dlg_.reject();
    });
    guard.start(5000);
    return dlg_.pick(initial);
  }

  TKalenderDlg dlg_;
};

TEST_F(KalenderDlgTest, DateLineFollowsTheSelection) {
  EXPECT_EQ(dlg_.dateLine(), calendarDateLine(QDate::currentDate()));  // opens on today

  dlg_.setSelectedDate(QDate(2025, 3, 1));
  EXPECT_EQ(dlg_.dateLine(), QStringLiteral("Datum  :  01.03.2025"));
  EXPECT_EQ(dlg_.findChild<QLabel*>(QStringLiteral("DatumZeile"))->text(), dlg_.dateLine());
  EXPECT_EQ(caption(), QStringLiteral("März 2025"));

  // An invalid date changes nothing.
  dlg_.setSelectedDate(QDate());
  EXPECT_EQ(dlg_.selectedDate(), QDate(2025, 3, 1));

  // A selection made in the grid itself is shown too.
  calendar()->setSelectedDate(QDate(2025, 3, 17));
  EXPECT_EQ(dlg_.dateLine(), QStringLiteral("Datum  :  17.03.2025"));
}

TEST_F(KalenderDlgTest, MonthAndYearButtonsMoveTheSelection) {
  struct Case {
    QDate from;
    const char* button;
    const char* line;
    const char* caption;
  };
  const Case cases[] = {
      {QDate(2025, 6, 15), "JahrVor", "Datum  :  15.06.2026", "Juni 2026"},
      {QDate(2025, 1, 31), "MonatVor", "Datum  :  28.02.2025", "Februar 2025"},
      {QDate(2024, 3, 31), "MonatZurueck", "Datum  :  29.02.2024", "Februar 2024"},
      {QDate(2024, 2, 29), "JahrVor", "Datum  :  28.02.2025", "Februar 2025"},
      {QDate(2024, 2, 29), "JahrZurueck", "Datum  :  28.02.2023", "Februar 2023"},
      {QDate(2025, 12, 31), "MonatVor", "Datum  :  31.01.2026", "Januar 2026"},
      {QDate(2025, 1, 1), "MonatZurueck", "Datum  :  01.12.2024", "Dezember 2024"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from.toString(QStringLiteral("dd.MM.yyyy")).toStdString() + " " + c.button);
    dlg_.setSelectedDate(c.from);
    button(c.button)->click();
    EXPECT_EQ(dlg_.dateLine(), QString::fromUtf8(c.line));
    EXPECT_EQ(caption(), QString::fromUtf8(c.caption));  // the grid turned to that month
  }
}

TEST_F(KalenderDlgTest, HilfeAsksForPage110AndLeavesTheDialogAlone) {
  QSignalSpy spy(&dlg_, &TKalenderDlg::helpRequested);
  dlg_.setSelectedDate(QDate(2025, 4, 2));
  button("Hilfe")->click();
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 110);
  EXPECT_EQ(dlg_.selectedDate(), QDate(2025, 4, 2));
}

TEST_F(KalenderDlgTest, PickReturnsTheDateOnOkAndNothingOnAbbruch) {
  std::optional<QDate> chosen;
  chosen = pickWhile(QDate(2025, 1, 31), [this] {
    button("MonatVor")->click();
    button("OK")->click();
  });
  EXPECT_EQ(chosen, QDate(2025, 2, 28));
  chosen = pickWhile(QDate(2025, 1, 31), [this] {
    button("JahrVor")->click();
    button("Abbruch")->click();
  });
  EXPECT_EQ(chosen, std::nullopt);
  // An invalid start opens on today.
  chosen = pickWhile(QDate(), [this] { button("OK")->click(); });
  EXPECT_EQ(chosen, QDate::currentDate());
}

TEST_F(KalenderDlgTest, KeyboardMovesInTheGridConfirmsWithEnterAndCancelsWithEscape) {
  std::optional<QDate> chosen;
  // Arrow keys in the grid move the selection across the month's end.
  chosen = pickWhile(QDate(2025, 1, 31), [this] {
    ASSERT_TRUE(grid()->hasFocus());
    QTest::keyClick(grid(), Qt::Key_Right);
    EXPECT_EQ(dlg_.dateLine(), QStringLiteral("Datum  :  01.02.2025"));
    EXPECT_EQ(caption(), QStringLiteral("Februar 2025"));
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Return);
  });
  EXPECT_EQ(chosen, QDate(2025, 2, 8));

  // Enter confirms even while a month button has the focus, instead of stepping again.
  chosen = pickWhile(QDate(2025, 6, 15), [this] {
    QAbstractButton* vor = button("MonatVor");
    vor->setFocus();
    vor->click();
    QTest::keyClick(vor, Qt::Key_Enter);
  });
  EXPECT_EQ(chosen, QDate(2025, 7, 15));

  chosen = pickWhile(QDate(2025, 6, 15), [this] {
    QTest::keyClick(grid(), Qt::Key_Left);
    QTest::keyClick(grid(), Qt::Key_Escape);
  });
  EXPECT_EQ(chosen, std::nullopt);
}

TEST_F(KalenderDlgTest, AcceleratorsReachTheGroupsAndButtons) {
  std::optional<QDate> chosen;
  // Alt+J puts the focus into the year group; Space presses its back button.
  chosen = pickWhile(QDate(2025, 6, 15), [this] {
    QTest::keyClick(&dlg_, Qt::Key_J, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), button("JahrZurueck"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(&dlg_, Qt::Key_M, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), button("MonatZurueck"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(&dlg_, Qt::Key_O, Qt::AltModifier);
  });
  EXPECT_EQ(chosen, QDate(2024, 5, 15));

  QSignalSpy help(&dlg_, &TKalenderDlg::helpRequested);
  chosen = pickWhile(QDate(2025, 6, 15), [this] {
    QTest::keyClick(&dlg_, Qt::Key_H, Qt::AltModifier);
    QTest::keyClick(&dlg_, Qt::Key_A, Qt::AltModifier);
  });
  EXPECT_EQ(chosen, std::nullopt);
  EXPECT_EQ(help.count(), 1);
}

}  // namespace
}  // namespace lapiro::test
