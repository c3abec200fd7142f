// The office rule of the main window. Five office windows fill the whole client area and
// exclude each other and every other data window. Before a command opens a window it asks
// here: a normal window does not open while an office window is open, and an office window
// does not open while another one is open; the message of each open office window is shown
// (information, OK).
#pragma once

#include <QObject>
#include <QPointer>

#include <array>

namespace lapiro::shell::ui {

enum class OfficeWindow { Zuechterregister, Buchfuehrung, Vereine, Ausstellungstermine, Adressenverwaltung };

class OfficeRule {
 public:
  // Catalogue message shown while `window` is open: 1, 2, 3, 4 and 139 in the order above.
  static int messageNumber(OfficeWindow window);

  // Registers the open window (the rule forgets it when it is destroyed).
  void setOpen(OfficeWindow window, QObject* object);
  bool isOpen(OfficeWindow window) const;
  bool anyOpen() const;
  QObject* window(OfficeWindow window) const;

  // True when a normal window may open; otherwise shows the message of every open office
  // window and returns false.
  bool mayOpenNormal() const;
  // True when `window` may open: false without a message when it is itself open, false
  // after the messages when another office window is open.
  bool mayOpenOffice(OfficeWindow window) const;

 private:
  bool reportOpen() const;
  std::array<QPointer<QObject>, 5> open_;
};

}  // namespace lapiro::shell::ui
