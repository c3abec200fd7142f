// The print command of the pedigree certificate "Abstammungsnachweis".
#pragma once

class QWidget;

namespace lapiro::store {
class TDatenStamm;
}
namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::card::ui {

// Shows the pedigree certificate of the card's current animal in the report preview (print,
// "Als PDF speichern"); returns when the preview closes. Nothing happens without an animal.
void printPedigreeCertificate(QWidget* parent, store::TDatenStamm& dm, const shell::tsysteminfo& settings);

class TLapiroStamm;
// The menu command "Abstammungsnachweis" (and "Drucken" on the tab "Stammbaum"): saves the
// card's animal when it is being edited, then prints its certificate. A refused or failed
// save prints nothing.
void AbstammungsnachweisClick(QWidget* parent, TLapiroStamm& card, store::TDatenStamm& dm,
                              const shell::tsysteminfo& settings);

}  // namespace lapiro::card::ui
