// "Impfbescheinigung" (TFormImpfbescheinigung): collects animals (from the animal search or
// dragged from the main list), prints the vaccination certificate and records the
// vaccination for every listed animal.
#pragma once

#include <QHash>
#include <QWidget>
#include <functional>
#include <optional>

#include "engine/engine.h"
#include "health/vaccination_certificate.h"
#include "reports/report.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lapiro::health::ui {

class TFormImpfbescheinigung : public QWidget {
  Q_OBJECT

 public:
  struct Services {
    // The animal search in its plain mode; the chosen Nummer or nullopt.
    std::function<std::optional<qint64>()> searchAnimal;
    std::function<void(int)> showHelp;
    // Previews (`preview` true) or prints the report.
    std::function<void(QWidget* parent, const reports::Report&, const reports::ReportDataSource&, bool preview)> print;
    std::function<bool()> speichernOhneFrage;
  };

  // `eigen` is the main window's view of the own data (read for the header).
  TFormImpfbescheinigung(engine::Engine& engine, engine::DataSet& eigen, const QDate& today, Services services,
                         QWidget* parent = nullptr);

  TImpfListe& list() { return list_; }
  QTableWidget* grid() const { return grid_; }
  QLineEdit* box(const QString& name) const { return boxes_.value(name); }
  CertificateHeader header() const;

  // Adds the animal `nummer` to the list (the line after the last used one).
  bool addAnimal(qint64 nummer);
  void BitBtn1Click();  // "Tier laden"
  void BitBtn2Click();  // "Tier löschen"
  void BitBtn3Click();  // "Liste löschen"
  void BitBtnSpeichernClick();
  // Fills the work table and previews (`preview`) or prints the certificate; the work table
  // is deleted again afterwards.
  void printCertificate(bool preview);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void showList();

  engine::Engine& engine_;
  Services services_;
  TImpfListe list_;
  QHash<QString, QLineEdit*> boxes_;
  QTableWidget* grid_ = nullptr;
  bool showing_ = false;
};

}  // namespace lapiro::health::ui
