#include "shell/startup.h"
#include "shell/ui/host.h"

#include "engine/types.h"
#include "store/dialog_service.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lapiro::shell::ui {

namespace {
ModuleRegistration installedRegistration = nullptr;
}

void setModuleRegistration(ModuleRegistration registration) { installedRegistration = registration; }
ModuleRegistration moduleRegistration() { return installedRegistration; }

QWidget* Host::openOffice(OfficeWindow which, const std::function<QWidget*()>& create) {
  OfficeRule& office = officeRule();
  if (auto* open = qobject_cast<QWidget*>(office.window(which))) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) mdiArea()->setActiveSubWindow(sub);
    return nullptr;
  }
  if (!office.mayOpenOffice(which)) return nullptr;
  QWidget* window = create();
  if (!window) return nullptr;
  openOfficeWindow(window, which);
  return window;
}

bool Host::openOnce(QPointer<QMdiSubWindow>& slot, const std::function<QWidget*()>& create, const QSize& wanted) {
  if (bringForward(slot)) return false;
  if (!officeRule().mayOpenNormal()) return false;
  QWidget* window = nullptr;
  try {
    window = create();
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  if (!window) return false;
  slot = openNormalWindow(window, wanted);
  return true;
}

QIcon tileIcon(const QString& letters, const QColor& colour) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
  p.fillPath(path, colour);
  p.setPen(colour.darker(150));
  p.drawPath(path);
  QFont font = QApplication::font();
  font.setBold(true);
  font.setPixelSize(letters.size() > 1 ? 12 : 16);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

}  // namespace lapiro::shell::ui
