// Placement of the main window from the setting System/Aufloesung and the desktop work area.
//
// The setting holds "Maximized"; or a width, "x" and a height ("1024x768"); or "Angepasst "
// followed by width, "x" and height, the size the window had at the end of the last run.
// Pure functions: the main window applies the result, start-up shows the error text.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace lapiro::shell {

struct MainWindowPlacement {
  // Show the window maximised (over `geometry`, the work area).
  bool maximized = false;
  // The normal geometry to set; nullopt keeps the window's current geometry.
  std::optional<QRect> geometry;
  // The work area could not be determined (empty rectangle): nothing was placed; the caller
  // shows workAreaErrorText().
  bool workAreaUnavailable = false;
};

// Computes the main window's placement.
// "Maximized" (any case, blanks ignored): maximised over the work area.
// Otherwise the digits before the first "x" form the width and the digits after it the
// height; every other character is skipped ("Angepasst 1024x740" gives 1024 and 740). A
// height not below the work area's height becomes that height, a width not below its width
// becomes that width, and either of these puts the window at the work area's top-left
// corner; otherwise the window is centred in the work area. When width or height is 0 (no
// digits, no "x") the geometry is left unchanged, except for "Angepasst" without any digits
// (what a fresh installation writes): the window then fills the work area.
// The work area need not start at (0, 0): a task bar at the top or left moves it, and the
// window is placed inside it.
MainWindowPlacement placeMainWindow(const QString& aufloesung, const QRect& workArea);

// Default of System/Aufloesung for a work area: "800x600"; "1024x768" when the work area is
// wider than 800 and higher than 600; "1152x864" when wider than 1024 and higher than 768.
// An empty work area gives "800x600".
QString defaultAufloesung(const QRect& workArea);

// The value that records the window size at the end of a run: "Angepasst 1024x740".
QString angepasstAufloesung(const QSize& size);

// True when the setting asks for the size of the last run to be kept (contains "Angepasst").
bool keepsLastSize(const QString& aufloesung);

// Message shown when the work area cannot be read, with the platform's error text.
QString workAreaErrorText(const QString& platformError);

// --- every other window --------------------------------------------------------------------

// The rectangle a window of geometry `wanted` gets inside `area` (a child window in the main
// window's client area, or a dialog on the screen's work area): a width or height larger
// than the area's becomes the area's, then the rectangle is moved the least distance that
// puts it wholly inside. An empty area leaves `wanted` as it is; an empty `wanted` keeps its
// top-left corner inside the area.
QRect fitIntoArea(const QRect& wanted, const QRect& area);

// Geometry of the child window at place `index` (0 for the first) of a cascade in `area`: its
// top-left corner `step` pixels further right and down than the one before (starting again at
// the area's corner when the room runs out), `wanted` large but no larger than the room below
// and right of that corner, and not below `minimum` where the area allows; then fitted into it.
QRect cascadeRect(int index, int step, const QSize& wanted, const QSize& minimum, const QRect& area);

// True when `rect` lies wholly inside `area`.
bool liesInside(const QRect& rect, const QRect& area);

// The work area of the screen that holds `point` (the primary screen when none does): the
// screen less task bars and docks. A test may pin it with setWorkAreaOverride().
QRect workAreaAt(const QPoint& point);
// Replaces the screens' work area for every caller (tests; an empty rectangle ends it).
void setWorkAreaOverride(const QRect& area);

}  // namespace lapiro::shell
