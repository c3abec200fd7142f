#include "contacts/ui/help_topic.h"

#include "shell/ui/host.h"

#include <QWidget>

namespace lapiro::contacts::ui {

void showHelpTopic(QWidget* from, int context) {
  for (QWidget* w = from; w; w = w->parentWidget()) {
    if (auto* main = dynamic_cast<shell::ui::Host*>(w)) {
      main->showHelp(context);
      return;
    }
  }
}

}  // namespace lapiro::contacts::ui
