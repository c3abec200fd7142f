// How the main window opens the options window "Systemparameter" and the own user data window
// "Anwenderdaten": normal child windows, each at most once, not while an office window is open.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::output::ui {

// "Systemparameter": its "&Speichern" lets the card save its pending change, applies the
// settings, writes the settings file and lets the card rebuild its young-animal rows.
void openSystemparameter(shell::ui::Host& main);

// "Anwenderdaten": after its record is written the main window's own-data cursor is reopened
// and the caption follows; the default breed and colour are written to the settings file.
void openAnwenderdaten(shell::ui::Host& main);

}  // namespace lapiro::output::ui
