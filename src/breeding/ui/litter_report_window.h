// The modal window "Jungtiermeldung" (heading "Wurfmeldung"): the litter report of the current
// doe's selected litter, every field editable and discarded on closing, the herd-book
// pre-check listed beside it, "&Drucken", "&Druckvorschau", "&Zurück" and "&Hilfe".
#pragma once

#include "breeding/litter_report.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace lapiro::reports {
struct Report;
class ReportDataSource;
}  // namespace lapiro::reports

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::breeding::ui {

class TformWurfmeldung : public QDialog {
  Q_OBJECT

 public:
  struct Services {
    // Prints (preview false) or previews the report; returns true when printed.
    std::function<bool(QWidget*, const reports::Report&, bool preview)> print;
    std::function<void(int)> showHelp;
    // Called with the printed contents after a successful print (the running number moves on).
    std::function<void(const TWurfmeldungDaten&)> printed;
  };

  TformWurfmeldung(const TWurfmeldungDaten& daten, Services services, QWidget* parent = nullptr);

  // The window's current contents.
  TWurfmeldungDaten contents() const;
  QLineEdit* field(const QString& name) const;
  QTableWidget* grid() const { return grid_; }
  QListWidget* checkList() const { return check_; }

  void DruckenClick();
  void DruckvorschauClick();

 private:
  void figureChanged(QLineEdit* edit);
  void runCheck();

  Services services_;
  QTableWidget* grid_ = nullptr;
  QListWidget* check_ = nullptr;
  QLineEdit* jungtiere_ = nullptr;
};

// "Drucker" → "Wurfmeldung": saves a pending change of the current animal and its litter and
// opens the window for a doe; does nothing for a buck.
void openWurfmeldung(shell::ui::Host& main);

}  // namespace lapiro::breeding::ui
