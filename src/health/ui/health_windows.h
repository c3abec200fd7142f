// How the main window opens the health windows "Apotheke" and "Impfbescheinigung".
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::health::ui {

// "Apotheke" as a normal child window (one instance; not while an office window is open).
void openApotheke(shell::ui::Host& main);
// "Impfbescheinigung" (one instance, on top of the other child windows); a pending change of
// the current animal is saved first.
void openImpfbescheinigung(shell::ui::Host& main);

}  // namespace lapiro::health::ui
