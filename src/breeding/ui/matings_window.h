// The window "Verpaarungen und Würfe" (TFormVerpaarung): the tree of partners, litters and
// young animals of one animal with the statistics pages "Tier", "Partner", "Wurf", "Jungtier"
// and "leer", and "Druck" of the selected part.
#pragma once

#include "breeding/matings.h"
#include "breeding/matings_report.h"

#include <QWidget>

#include <functional>
#include <optional>

class QGridLayout;
class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::breeding::ui {

class TFormVerpaarung : public QWidget {
  Q_OBJECT

 public:
  struct Services {
    std::function<std::optional<qint64>()> searchAnimal;  // "Kaninchen laden"
    std::function<void(int)> showHelp;
    std::function<void(QWidget*, const reports::Report&, const reports::ReportDataSource&)> preview;
  };
  TFormVerpaarung(engine::Engine& engine, Services services, QWidget* parent = nullptr);

  // Loads animal `nummer`; an animal that is not found leaves the window as it was.
  void ladeTier(qint64 nummer);
  void DruckClick();

  QTreeWidget* tree() const { return tree_; }
  const Verpaarungen& daten() const { return daten_; }
  const Knotenauswahl& auswahl() const { return auswahl_; }
  // The shown page's name ("Tier", "Partner", "Wurf", "Jungtier", "leer") and its values by label.
  QString seite() const { return seite_; }
  QString wert(const QString& label) const;
  QString tierZeile() const;

 private:
  void baueBaum();
  void knotenGewaehlt(QTreeWidgetItem* item);
  void zeigeSeite(const QString& name, const std::vector<std::pair<QString, QString>>& werte, bool rammler);

  engine::Engine& engine_;
  Services services_;
  Verpaarungen daten_;
  Knotenauswahl auswahl_;
  bool bauen_ = false;
  QString seite_;
  std::vector<std::pair<QString, QString>> werte_;
  QLabel* symbol_ = nullptr;
  QLabel* zeile_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QWidget* detail_ = nullptr;
  QGridLayout* detailGrid_ = nullptr;
  QLabel* detailTitel_ = nullptr;
};

// The main window's command: opens the window (one instance, not while an office window is
// open) for the current animal, or brings it forward.
void openVerpaarungenUndWuerfe(shell::ui::Host& main);
// A double click in the main list reloads an open window for that animal.
void reloadVerpaarungen(qint64 nummer);

}  // namespace lapiro::breeding::ui
