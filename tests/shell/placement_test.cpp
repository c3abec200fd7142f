#include "shell/placement.h"

#include <gtest/gtest.h>

using namespace lapiro::shell;

namespace {
const QRect kArea(0, 0, 1280, 1024);

QRect geometryOf(const QString& setting, const QRect& area = kArea) {
  const MainWindowPlacement p = placeMainWindow(setting, area);
  EXPECT_FALSE(p.maximized);
  EXPECT_FALSE(p.workAreaUnavailable);
  return p.geometry.value_or(QRect());
}
}  // namespace

TEST(Placement, MaximizedFillsTheWorkArea) {
  for (const char* s : {"Maximized", " maximized "}) {
    const MainWindowPlacement p = placeMainWindow(QString::fromLatin1(s), kArea);
    EXPECT_TRUE(p.maximized) << s;
    EXPECT_EQ(p.geometry, kArea);
  }
}

TEST(Placement, SmallerSizeIsCentred) {
  EXPECT_EQ(geometryOf(QStringLiteral("800x600")), QRect(240, 212, 800, 600));
  EXPECT_EQ(geometryOf(QStringLiteral("Angepasst 1024x740")), QRect(128, 142, 1024, 740));
  EXPECT_EQ(geometryOf(QStringLiteral("801x601")), QRect(239, 211, 801, 601));  // div rounds down
}

TEST(Placement, SizeNotBelowTheWorkAreaIsCutAndPutAtTheCorner) {
  EXPECT_EQ(geometryOf(QStringLiteral("1600x1200")), QRect(0, 0, 1280, 1024));
  EXPECT_EQ(geometryOf(QStringLiteral("1280x600")), QRect(0, 0, 1280, 600));
  EXPECT_EQ(geometryOf(QStringLiteral("1000x1024")), QRect(0, 0, 1000, 1024));
  EXPECT_EQ(geometryOf(QStringLiteral("99999999999999x5")), QRect(0, 0, 1280, 5));
}

TEST(Placement, MissingNumbersLeaveTheGeometryUnchanged) {
  for (const char* s : {"", "1024", "x768", "axb", "Angepasst 1024"}) {
    const MainWindowPlacement p = placeMainWindow(QString::fromLatin1(s), kArea);
    EXPECT_FALSE(p.maximized) << s;
    EXPECT_FALSE(p.geometry.has_value()) << s;
  }
}

TEST(Placement, FreshInstallationFillsTheWorkAreaUntilASizeIsKept) {
  const MainWindowPlacement fresh = placeMainWindow(QStringLiteral("Angepasst"), kArea);
  EXPECT_FALSE(fresh.maximized);
  EXPECT_EQ(fresh.geometry, kArea);
  EXPECT_EQ(geometryOf(angepasstAufloesung(QSize(1000, 700))).size(), QSize(1000, 700));
}

// A task bar at the top or left moves the work area; the window stays inside it.
TEST(Placement, WorkAreaOffsetIsRespected) {
  const QRect area(0, 40, 1280, 984);
  EXPECT_EQ(geometryOf(QStringLiteral("800x600"), area), QRect(240, 232, 800, 600));
  EXPECT_EQ(geometryOf(QStringLiteral("1280x1000"), area), QRect(0, 40, 1280, 984));
  const QRect left(60, 0, 1220, 1024);
  EXPECT_EQ(geometryOf(QStringLiteral("1000x700"), left), QRect(170, 162, 1000, 700));
}

TEST(Placement, UnreadableWorkAreaIsReported) {
  const MainWindowPlacement p = placeMainWindow(QStringLiteral("800x600"), QRect());
  EXPECT_TRUE(p.workAreaUnavailable);
  EXPECT_FALSE(p.geometry.has_value());
  EXPECT_EQ(workAreaErrorText(QStringLiteral("Zugriff verweigert")),
            QStringLiteral("SystemParametersInfo(SPI_GETWORKAREA) ist fehlgeschlagen: \nZugriff verweigert"));
}

TEST(Placement, DefaultAndSavedSizes) {
  EXPECT_EQ(defaultAufloesung(QRect(0, 0, 800, 600)), QStringLiteral("800x600"));
  EXPECT_EQ(defaultAufloesung(QRect(0, 0, 1280, 600)), QStringLiteral("800x600"));
  EXPECT_EQ(defaultAufloesung(QRect(0, 0, 801, 601)), QStringLiteral("1024x768"));
  EXPECT_EQ(defaultAufloesung(QRect(0, 0, 1024, 768)), QStringLiteral("1024x768"));
  EXPECT_EQ(defaultAufloesung(QRect(0, 0, 1025, 769)), QStringLiteral("1152x864"));
  EXPECT_EQ(defaultAufloesung(QRect()), QStringLiteral("800x600"));
  // The size saved at the end of a run is read back by the next start.
  EXPECT_EQ(geometryOf(angepasstAufloesung(QSize(1100, 700))).size(), QSize(1100, 700));
}

TEST(FitIntoArea, ARectangleReachingBeyondAnEdgeMovesBackTheLeastDistance) {
  const QRect area(0, 0, 800, 600);
  EXPECT_EQ(fitIntoArea(QRect(100, 50, 300, 200), area), QRect(100, 50, 300, 200));  // inside: unchanged
  EXPECT_EQ(fitIntoArea(QRect(-94, 10, 300, 200), area), QRect(0, 10, 300, 200));   // the entry form's x = -94
  EXPECT_EQ(fitIntoArea(QRect(600, 500, 300, 200), area), QRect(500, 400, 300, 200));
  EXPECT_EQ(fitIntoArea(QRect(0, 0, 800, 600), area), QRect(0, 0, 800, 600));  // exactly the area
  EXPECT_EQ(fitIntoArea(QRect(1, 1, 800, 600), area), QRect(0, 0, 800, 600));
}

TEST(FitIntoArea, ARectangleLargerThanTheAreaShrinksToItAtTheCorner) {
  // The register search grown to 900x480 near the right edge, on both screens of the issue.
  EXPECT_EQ(fitIntoArea(QRect(700, 400, 900, 480), QRect(0, 0, 800, 600)), QRect(0, 120, 800, 480));
  EXPECT_EQ(fitIntoArea(QRect(700, 600, 900, 480), QRect(0, 0, 1280, 1024)), QRect(380, 544, 900, 480));
  EXPECT_EQ(fitIntoArea(QRect(-50, -50, 3000, 2000), QRect(0, 0, 800, 600)), QRect(0, 0, 800, 600));
  // A work area that does not start at (0, 0): a task bar on the left and at the top.
  EXPECT_EQ(fitIntoArea(QRect(0, 0, 900, 700), QRect(48, 30, 752, 570)), QRect(48, 30, 752, 570));
  EXPECT_EQ(fitIntoArea(QRect(10, 10, 100, 100), QRect(48, 30, 752, 570)), QRect(48, 30, 100, 100));
  // An empty area leaves the rectangle alone.
  EXPECT_EQ(fitIntoArea(QRect(-5, -5, 10, 10), QRect()), QRect(-5, -5, 10, 10));
}

TEST(CascadeRect, StepsDownWhileRoomIsLeftAndNeverLeavesTheArea) {
  const QRect area(0, 0, 700, 500);
  EXPECT_EQ(cascadeRect(0, 30, QSize(400, 300), QSize(100, 100), area), QRect(0, 0, 400, 300));
  EXPECT_EQ(cascadeRect(2, 30, QSize(400, 300), QSize(100, 100), area), QRect(60, 60, 400, 300));
  // A window wanting more than the room below its corner gets that room.
  EXPECT_EQ(cascadeRect(1, 30, QSize(900, 620), QSize(100, 100), area), QRect(30, 30, 670, 470));
  // The corners start again at the top once half the area would be left.
  const QRect late = cascadeRect(50, 30, QSize(400, 300), QSize(100, 100), area);
  EXPECT_TRUE(liesInside(late, area));
  EXPECT_LE(late.left(), 350);
  EXPECT_LE(late.top(), 250);
  // A window whose minimum is larger than the room below its corner moves up to keep it.
  const QRect tight = cascadeRect(8, 30, QSize(650, 450), QSize(650, 450), area);
  EXPECT_TRUE(liesInside(tight, area));
  EXPECT_EQ(tight.size(), QSize(650, 450));
  for (int i = 0; i < 40; ++i)
    EXPECT_TRUE(liesInside(cascadeRect(i, 27, QSize(820, 620), QSize(300, 200), area), area)) << i;
}
