// The animal card's tab "Angora Leistungsnachweis": the current animal's wool test records
// (data module cursor "Angora", rules in breeding/wool_performance.h) in edit boxes with the
// calculated figures beside them, a navigator and "Neu", "Speichern", "R&ückgängig",
// "&Hilfe" and "Drucken". Boxes write into the record when they are left (or on a command);
// a box whose text is refused keeps the focus and writes nothing.
//
// Also the two print commands of the certificate (card button and main menu).
#pragma once

#include <QDate>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QBoxLayout;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace lapiro::store {
class TDatenStamm;
}
namespace lapiro::shell {
class tsysteminfo;
}
namespace lapiro::card::ui {
class TLapiroStamm;
}

namespace lapiro::breeding::ui {

class TabAngora : public QWidget {
  Q_OBJECT

 public:
  struct Services {
    std::function<void(int)> showHelp;                                  // may be empty
    std::function<std::optional<QDate>(const QDate& initial)> pickDate;  // may be empty
    // "Drucken": prints the current test record; may be empty (then printTest() is used).
    std::function<void()> print;
  };
  TabAngora(store::TDatenStamm& dm, const shell::tsysteminfo& settings, Services services, QWidget* parent = nullptr);
  ~TabAngora() override;

  // Commands.
  void NeuClick();
  void SpeichernClick();
  void RueckgaengigClick();
  void DruckenClick();

  // Writes the box being edited into the record (as leaving it would); false when its text
  // was refused (message shown, the focus back in the box).
  bool finishFieldEntry();
  // Reads the current record into the boxes.
  void loadFields();

  // The edit box of a stored field ("Pruefstelle", "Vom", "Gewicht", "Schurergebnis1",
  // "JWEInsgesamt", ...) or of a calculated one ("JWE1", "Punkte", "GesamtNote", ...);
  // null for an unknown name.
  QLineEdit* box(const QString& field) const;
  QComboBox* intervalBox() const { return intervall_; }
  QPushButton* newButton() const { return neu_; }
  QPushButton* saveButton() const { return speichern_; }
  QPushButton* undoButton() const { return rueckgaengig_; }
  QPushButton* printButton() const { return drucken_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Kind { Text, Date, Weight, Position, Integer, Grams, Points, Calculated };
  struct Box {
    QString field;
    QString caption;
    Kind kind;
    int index;  // Position: 0..6
    QLineEdit* edit;
  };

  bool hasRow() const;
  bool beginEdit();
  bool writeBox(Box& b);
  bool writeInterval();
  bool writeMemo();
  void updateButtons();
  void navigate(int move);
  QLineEdit* addBox(const QString& field, const QString& caption, Kind kind, int index = 0);

  store::TDatenStamm& dm_;
  const shell::tsysteminfo& settings_;
  Services services_;
  int listener_ = -1;
  bool loading_ = false;
  bool writing_ = false;
  bool keepTyped_ = false;
  QVariant mark_;

  QBoxLayout* middle_ = nullptr;
  std::vector<Box> boxes_;
  QComboBox* intervall_ = nullptr;
  QPlainTextEdit* bemerkung_ = nullptr;
  bool bemerkungModified_ = false;
  QPushButton* neu_ = nullptr;
  QPushButton* speichern_ = nullptr;
  QPushButton* rueckgaengig_ = nullptr;
  QPushButton* hilfe_ = nullptr;
  QPushButton* drucken_ = nullptr;
  std::array<QToolButton*, 6> nav_{};
};

// Shows the certificate of the current test record in the report preview; returns when it
// closes. Nothing happens without an animal or a test record.
void printWoolCertificate(QWidget* parent, store::TDatenStamm& dm, const shell::tsysteminfo& settings);

// The card's "Drucken": writes pending changes of the test record, then prints the current
// one; without a test record message 127 (information).
void printCurrentWoolTest(QWidget* parent, TabAngora& tab, store::TDatenStamm& dm, const shell::tsysteminfo& settings);

// The card's tab "Angora Leistungsnachweis"; null when the card has none.
TabAngora* woolTabOf(const card::ui::TLapiroStamm& card);

// The main menu's "Angora Leistungsnachweis" (Leistungsnachweis1Click): saves the card's
// animal and the test record being edited; for a breed outside "Langhaarrassen" an
// information that printing goes on; without a test record message 127 and nothing more;
// otherwise the newest test record becomes current and is printed.
void Leistungsnachweis1Click(QWidget* parent, card::ui::TLapiroStamm& card, store::TDatenStamm& dm,
                             const shell::tsysteminfo& settings);

}  // namespace lapiro::breeding::ui
