// How the main window opens the show windows and prints the show list.
#pragma once

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::shows::ui {

// "Drucker" → "Ausstellungsliste": saves a pending change of the animal and of its show rows,
// then previews the current animal's show list; message 123 when it has no show rows.
void printAusstellungsliste(shell::ui::Host& main);

// "Drucker" → "Ausstellungsanmeldung": saves a pending change of the current animal and opens
// the entry form (or brings the open one to the front).
void openAusstellungsanmeldung(shell::ui::Host& main);

// "Infobox" → "Ausstellungstermine" (menu and tool button): the show calendar as an office
// window filling the main window's area, refused by the office rule while another office
// window is open.
void openAusstellungstermine(shell::ui::Host& main);

// "System" → "Datenverwaltung" → "Ausstellungstitel": the title list as a child window, not
// while an office window is open.
void openAusstellungstitel(shell::ui::Host& main);

}  // namespace lapiro::shows::ui
