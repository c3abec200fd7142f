// The main window's printouts of weighings and offspring: "Gewichtstabelle",
// "Gewichtstabellen -Formulare-" (window TFormGewichtstabelle) and "Jungtierliste" (year dialog
// TJahrDialog).
#pragma once

#include <QDialog>
#include <QWidget>

#include <functional>

class QLineEdit;
class QRadioButton;

namespace lapiro::shell::ui {
class Host;
}

namespace lapiro::breeding::ui {

// "Jahreseingabe für Jungtierliste:" with the field "Jahr" and "&OK", "&Abbruch", "&Hilfe".
class TJahrDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TJahrDialog(std::function<void(int)> showHelp, QWidget* parent = nullptr);
  QLineEdit* EditJahr() const { return jahr_; }

 private:
  QLineEdit* jahr_ = nullptr;
};

// The choice of form: "Formular mit Tieren und Stallnummer" or "leeres Formular"; "Druck"
// hides the window and prints (through `print`), "Abbruch" closes it.
class TFormGewichtstabelle : public QWidget {
  Q_OBJECT

 public:
  // `print(withAnimals)` prints the chosen form.
  TFormGewichtstabelle(std::function<void(bool withAnimals)> print, QWidget* parent = nullptr);
  QRadioButton* withAnimals() const { return mitTieren_; }
  QRadioButton* empty() const { return leer_; }
  void DruckClick();

 private:
  std::function<void(bool)> print_;
  QRadioButton* mitTieren_ = nullptr;
  QRadioButton* leer_ = nullptr;
};

void printGewichtstabelle(shell::ui::Host& main);
void openGewichtstabellenFormulare(shell::ui::Host& main);
void printJungtierliste(shell::ui::Host& main);

}  // namespace lapiro::breeding::ui
