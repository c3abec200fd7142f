// How the main window opens the data exchange window.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::exchange::ui {

// Opens "Datenaustausch" as a normal child window (or brings it forward when it is open);
// refused under the office rule while an office window is open. Import logs go to the folder
// "Austausch" of the program directory.
void openDatenaustausch(shell::ui::Host& main);

}  // namespace lapiro::exchange::ui
