#include "shell/placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace lapiro::shell {

namespace {

// Appends a decimal digit, saturating instead of overflowing on absurdly long numbers.
int appendDigit(int value, int digit) {
  constexpr int kMax = std::numeric_limits<int>::max();
  if (value > (kMax - digit) / 10) return kMax;
  return value * 10 + digit;
}

}  // namespace

MainWindowPlacement placeMainWindow(const QString& aufloesung, const QRect& workArea) {
  MainWindowPlacement result;
  const bool maximize = aufloesung.trimmed().compare(QStringLiteral("Maximized"), Qt::CaseInsensitive) == 0;
  if (workArea.isEmpty()) {
    result.workAreaUnavailable = true;
    result.maximized = maximize;
    return result;
  }
  if (maximize) {
    result.maximized = true;
    result.geometry = workArea;
    return result;
  }

  int width = 0;
  int height = 0;
  bool afterX = false;
  for (const QChar c : aufloesung) {
    if (!afterX && (c == u'x' || c == u'X')) {
      afterX = true;
    } else if (c >= u'0' && c <= u'9') {
      int& target = afterX ? height : width;
      target = appendDigit(target, c.unicode() - u'0');
    }
  }
  if (width <= 0 || height <= 0) {
    // "Angepasst" before any run has recorded a size (a fresh installation): the window
    // takes the whole work area; its size at the end of the run is kept from then on.
    if (keepsLastSize(aufloesung) && width == 0 && height == 0) result.geometry = workArea;
    return result;
  }

  bool corner = false;
  if (height >= workArea.height()) {
    height = workArea.height();
    corner = true;
  }
  if (width >= workArea.width()) {
    width = workArea.width();
    corner = true;
  }
  QPoint topLeft = workArea.topLeft();
  if (!corner) {
    topLeft += QPoint((workArea.width() - width) / 2, (workArea.height() - height) / 2);
  }
  result.geometry = QRect(topLeft, QSize(width, height));
  return result;
}

QString defaultAufloesung(const QRect& workArea) {
  const int w = workArea.isEmpty() ? 0 : workArea.width();
  const int h = workArea.isEmpty() ? 0 : workArea.height();
  if (w > 1024 && h > 768) return QStringLiteral("1152x864");
  if (w > 800 && h > 600) return QStringLiteral("1024x768");
  return QStringLiteral("800x600");
}

QString angepasstAufloesung(const QSize& size) {
  return QStringLiteral("Angepasst %1x%2").arg(size.width()).arg(size.height());
}

bool keepsLastSize(const QString& aufloesung) {
  return aufloesung.contains(QStringLiteral("Angepasst"), Qt::CaseInsensitive);
}

QString workAreaErrorText(const QString& platformError) {
  return QStringLiteral("SystemParametersInfo(SPI_GETWORKAREA) ist fehlgeschlagen: \n") + platformError;
}

QRect fitIntoArea(const QRect& wanted, const QRect& area) {
  if (area.isEmpty()) return wanted;
  const QSize size(std::clamp(wanted.width(), 0, area.width()), std::clamp(wanted.height(), 0, area.height()));
  // Moved the least distance: the right or bottom edge back inside first, then the left or top
  // edge, which wins for a window as large as the area.
  int x = std::min(wanted.x(), area.x() + area.width() - size.width());
  int y = std::min(wanted.y(), area.y() + area.height() - size.height());
  x = std::max(x, area.x());
  y = std::max(y, area.y());
  return QRect(QPoint(x, y), size);
}

QRect cascadeRect(int index, int step, const QSize& wanted, const QSize& minimum, const QRect& area) {
  if (area.isEmpty()) return QRect(QPoint(0, 0), wanted);
  // Corners that leave at least half the area (and the window's minimum) for the window.
  const QSize need = minimum.expandedTo(area.size() / 2).boundedTo(area.size());
  const int places = step <= 0 ? 1
                               : std::max(1, 1 + std::min((area.width() - need.width()) / step,
                                                          (area.height() - need.height()) / step));
  const int offset = std::max(0, index) % places * std::max(0, step);
  const QPoint corner = area.topLeft() + QPoint(offset, offset);
  QSize size = wanted.boundedTo(QSize(area.right() - corner.x() + 1, area.bottom() - corner.y() + 1));
  size = size.expandedTo(minimum.boundedTo(area.size()));
  return fitIntoArea(QRect(corner, size), area);
}

bool liesInside(const QRect& rect, const QRect& area) { return area.contains(rect); }

namespace {
QRect& workAreaOverride() {
  static QRect area;
  return area;
}
}  // namespace

void setWorkAreaOverride(const QRect& area) { workAreaOverride() = area; }

QRect workAreaAt(const QPoint& point) {
  if (!workAreaOverride().isEmpty()) return workAreaOverride();
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

}  // namespace lapiro::shell
