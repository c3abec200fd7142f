#include "shell/ui/office_rule.h"

#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::shell::ui {

int OfficeRule::messageNumber(OfficeWindow window) {
  switch (window) {
    case OfficeWindow::Zuechterregister: return 1;
    case OfficeWindow::Buchfuehrung: return 2;
    case OfficeWindow::Vereine: return 3;
    case OfficeWindow::Ausstellungstermine: return 4;
    case OfficeWindow::Adressenverwaltung: return 139;
  }
  return 0;
}

void OfficeRule::setOpen(OfficeWindow window, QObject* object) { open_[static_cast<size_t>(window)] = object; }

bool OfficeRule::isOpen(OfficeWindow window) const { return !open_[static_cast<size_t>(window)].isNull(); }

QObject* OfficeRule::window(OfficeWindow window) const { return open_[static_cast<size_t>(window)].data(); }

bool OfficeRule::anyOpen() const {
  for (const auto& w : open_)
    if (!w.isNull()) return true;
  return false;
}

bool OfficeRule::reportOpen() const {
  bool any = false;
  for (size_t i = 0; i < open_.size(); ++i) {
    if (open_[i].isNull()) continue;
    any = true;
    store::dialogs().inform(store::messageText(messageNumber(static_cast<OfficeWindow>(i))));
  }
  return any;
}

bool OfficeRule::mayOpenNormal() const { return !reportOpen(); }

bool OfficeRule::mayOpenOffice(OfficeWindow window) const {
  if (isOpen(window)) return false;
  return !reportOpen();
}

}  // namespace lapiro::shell::ui
