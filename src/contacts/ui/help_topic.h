// The help of the address windows: shown through the host that (indirectly) owns them.
#pragma once

class QWidget;

namespace lapiro::contacts::ui {

// Shows help topic `context` through the main window that (indirectly) owns `from`; does
// nothing when there is none.
void showHelpTopic(QWidget* from, int context);

}  // namespace lapiro::contacts::ui
