// The animal card's tab "Ausstellung": the current animal's show results (data module cursor
// "Ausstellung") as a list and the current row in edit boxes, with "Neu", "Speichern",
// "R&ückgängig", "Löschen", "Letzte erfasste Ausstellung laden", "&Hilfe" and a navigator.
//
// The boxes write into the cursor when they are left (or on "Speichern"); the rules of
// shows/show_rules.h compute totals, grades and missing points and check the save. Two editors
// share the place "Gesamtpunkte": the points (EigeneBewertung) and the young-animal code
// (BewertJungtier); exactly one is visible, chosen by the title.
#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace lapiro::engine {
class Cursor;
class CursorModel;
}  // namespace lapiro::engine

namespace lapiro::store {
class TDatenStamm;
}

namespace lapiro::shows::ui {

class TabAusstellung : public QWidget {
  Q_OBJECT

 public:
  // `showHelp` opens a help topic by context number (may be empty). The title list is read
  // once, here.
  TabAusstellung(store::TDatenStamm& dm, std::function<void(int)> showHelp, QWidget* parent = nullptr);
  ~TabAusstellung() override;

  // Commands.
  void NeuClick();
  void SpeichernClick();
  void RueckgaengigClick();
  void LoeschenClick();
  void LetzteAusstellungLadenClick();

  // Writes the box being edited into the record (as leaving it would); false when its text
  // was refused (message shown, the focus back in the box).
  bool finishFieldEntry();
  // Shows the points editor or the code editor by the title `title`.
  void applyEditorSwitch(const QString& title);
  // Reads the current row into the boxes.
  void loadFields();

  QComboBox* titleBox() const { return titel_; }
  QLineEdit* dateEdit() const { return datum_; }
  QLineEdit* placeEdit() const { return ort_; }
  QLineEdit* positionEdit(int i) const { return positions_[i]; }
  QLineEdit* pointsEdit() const { return eigene_; }
  QLineEdit* codeEdit() const { return jungtier_; }
  QLineEdit* gradeBox() const { return praedikat_; }
  QLineEdit* missingBox() const { return fehlpunkte_; }
  QPushButton* newButton() const { return neu_; }
  QPushButton* saveButton() const { return speichern_; }
  QPushButton* undoButton() const { return rueckgaengig_; }
  QPushButton* deleteButton() const { return loeschen_; }
  QPushButton* loadLastButton() const { return letzte_; }
  QTableView* grid() const { return grid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  engine::Cursor& cursor() const;
  bool hasRow() const;
  bool beginEdit();
  bool writeText(const QString& field, const QString& text);
  bool writePoints(QLineEdit* edit, const QString& field);
  bool writeDate();
  bool writeTitle();
  void updateButtons();
  void navigate(int move);

  store::TDatenStamm& dm_;
  std::function<void(int)> showHelp_;
  int listener_ = -1;
  bool loading_ = false;
  bool writing_ = false;
  QVariant mark_;

  engine::CursorModel* model_ = nullptr;
  QTableView* grid_ = nullptr;
  QLineEdit* datum_ = nullptr;
  QComboBox* titel_ = nullptr;
  QLineEdit* ort_ = nullptr;
  QLineEdit* gewicht_ = nullptr;
  QLineEdit* preis_ = nullptr;
  std::array<QLineEdit*, 7> positions_{};
  QLineEdit* eigene_ = nullptr;
  QLineEdit* jungtier_ = nullptr;
  QLineEdit* praedikat_ = nullptr;
  QLineEdit* fehlpunkte_ = nullptr;
  QPlainTextEdit* bemerkung_ = nullptr;
  bool bemerkungModified_ = false;
  bool titleModified_ = false;
  QPushButton* neu_ = nullptr;
  QPushButton* speichern_ = nullptr;
  QPushButton* rueckgaengig_ = nullptr;
  QPushButton* loeschen_ = nullptr;
  QPushButton* letzte_ = nullptr;
  QPushButton* hilfe_ = nullptr;
  std::array<QToolButton*, 6> nav_{};
};

}  // namespace lapiro::shows::ui
