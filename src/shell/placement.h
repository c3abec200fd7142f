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

}  // namespace lapiro::shell
