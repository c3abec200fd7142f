// The program's application object. It adds two rules that hold for every window and every
// event, so that no single window has to remember them:
//  - No engine failure escapes an event handler: an engine::EngineError thrown while an event
//    is delivered is shown as an error box (a damaged table named once, with what to do) and
//    the event counts as handled; a rule's silent Abort ends the handler quietly. The program
//    goes on.
//  - Every top-level window but the main window (dialogs, the help window, previews; the main
//    window places itself from its setting) stays inside the work area of
//    its screen: when one is shown or resized it shrinks to the work area where it is larger
//    and moves back in where it reaches beyond an edge. A window whose content needs more room
//    than the work area scrolls its content itself.
#pragma once

#include <QApplication>

#include <functional>

namespace lapiro::shell::ui {

class LapiroApplication : public QApplication {
 public:
  LapiroApplication(int& argc, char** argv);
  ~LapiroApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;
};

// Runs `deliver` (the delivery of one event); an engine failure it throws is shown and false
// is returned, a rule's Abort returns false silently. LapiroApplication::notify runs every
// event through it.
bool deliverGuarded(const std::function<bool()>& deliver);

// Puts the top-level window `window` inside the work area of its screen (see above); content
// that needs more room than the work area scrolls (scrollContentToFit). Does nothing for
// child widgets, pop-ups and tool tips.
void keepOnScreen(QWidget* window);

// When `window`'s content needs more than `room`, moves its layout with every widget in it
// into a scroll area that becomes the window's only content: the window can then be as small
// as the room and its content scrolls instead of being squeezed. The window stays the same
// object (every pointer to it and to its widgets stays valid). Returns true when it did so;
// a window without a layout, or one already scrolling, is left alone.
bool scrollContentToFit(QWidget* window, const QSize& room);

// Installs the rule of keepOnScreen() for every top-level window shown or resized from now on
// (LapiroApplication does so; tests that run on a plain QApplication call it). Idempotent.
void installKeepOnScreen();

}  // namespace lapiro::shell::ui
