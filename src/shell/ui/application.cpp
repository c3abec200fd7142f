#include "shell/ui/application.h"

#include "engine/types.h"
#include "shell/placement.h"
#include "store/guarded.h"

#include <QEvent>
#include <QFrame>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace lapiro::shell::ui {

namespace {

// Watches every object of the application for the show and resize of top-level windows.
class KeepOnScreenFilter : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Resize) && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget->isWindow() && !busy_) {
        busy_ = true;
        keepOnScreen(widget);
        busy_ = false;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool busy_ = false;
};

QPointer<KeepOnScreenFilter>& installedFilter() {
  static QPointer<KeepOnScreenFilter> filter;
  return filter;
}

}  // namespace

bool deliverGuarded(const std::function<bool()>& deliver) {
  try {
    return deliver();
  } catch (const engine::Abort&) {
  } catch (const engine::EngineError& e) {
    store::showEngineError(e);
  }
  return false;
}

bool scrollContentToFit(QWidget* window, const QSize& room) {
  static constexpr const char* kScrolls = "lapiroScrollsContent";
  if (!window || !window->layout() || window->property(kScrolls).toBool()) return false;
  const QSize need = window->minimumSizeHint();
  if (need.width() <= room.width() && need.height() <= room.height()) return false;
  QLayout* content = window->layout();
  auto* inner = new QWidget;
  inner->setObjectName(window->objectName() + QStringLiteral("Inhalt"));
  inner->setLayout(content);  // takes the layout over from the window, with its widgets
  auto* area = new QScrollArea(window);
  area->setObjectName(window->objectName() + QStringLiteral("Rollbereich"));
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(inner);
  auto* outer = new QVBoxLayout(window);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(area);
  // The minimum the old layout gave a top-level window would keep it from shrinking.
  window->setMinimumSize(0, 0);
  window->setProperty(kScrolls, true);
  return true;
}

void keepOnScreen(QWidget* window) {
  if (!window || !window->isWindow() || !window->isVisible()) return;
  switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
      return;
    default:
      break;
  }
  if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return;
  // The main window places itself from the setting System/Aufloesung on the work area.
  if (qobject_cast<QMainWindow*>(window)) return;
  QRect frame = window->frameGeometry();
  const QRect area = workAreaAt(frame.center());
  const QSize borders = frame.size() - window->size();
  if (scrollContentToFit(window, area.size() - borders)) {
    window->resize(window->size().boundedTo(area.size() - borders));
    frame = window->frameGeometry();
  }
  const QRect fitted = fitIntoArea(frame, area);
  if (fitted == frame) return;
  // The frame (title bar, borders) stays the same size: the client area takes the change.
  const QMargins frameMargins(window->geometry().left() - frame.left(), window->geometry().top() - frame.top(),
                              frame.right() - window->geometry().right(), frame.bottom() - window->geometry().bottom());
  window->setGeometry(fitted.marginsRemoved(frameMargins));
}

void installKeepOnScreen() {
  if (installedFilter() || !qApp) return;
  installedFilter() = new KeepOnScreenFilter(qApp);
  qApp->installEventFilter(installedFilter());
}

LapiroApplication::LapiroApplication(int& argc, char** argv) : QApplication(argc, argv) { installKeepOnScreen(); }

LapiroApplication::~LapiroApplication() = default;

bool LapiroApplication::notify(QObject* receiver, QEvent* event) {
  return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

}  // namespace lapiro::shell::ui
