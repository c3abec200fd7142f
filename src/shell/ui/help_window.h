// The help viewer: shows the page of a help context number (Help/<context>.html) in a
// window of its own; links between the pages work inside it. A missing page is reported as
// "Hilfe-Datei nicht gefunden", a carriage return and its path (information).
#pragma once

#include <QWidget>

class QTextBrowser;

namespace lapiro::shell::ui {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the page of `context` and brings the window forward. Returns false (after the
  // message) when the page does not exist; the window then stays as it was.
  bool showContext(int context);

  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace lapiro::shell::ui
