// TRecordWindow: the common frame of the small list windows that edit one table record by
// record ("Apotheke", "Züchterregister", "Vereine"): a page "&Felder" with one box per field
// and a record navigator, a page "&Tabelle" with the same table as a grid, and the commands
// "H&inzufügen", "R&ückgängig", "L&öschen", "&Hilfe" and "&Zurück".
//
// There is no save button: a change is saved when the cursor leaves the record or the window
// closes. With System/Speichern off each save asks message 29 first; "Nein" cancels the
// change. Entering edit or insert mode enables "R&ückgängig", a save or undo disables it.
//
// Lifetime: the window owns its cursor; subclasses configure it and call openTable(), then
// build their boxes. The cursor closes with the window (a pending change is posted first).
#pragma once

#include <QHash>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

#include "engine/cursor.h"
#include "engine/cursor_model.h"

class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace lapiro::store::ui {

class TRecordWindow : public QWidget {
  Q_OBJECT

 public:
  // `speichernOhneFrage` is read at every save (System/Speichern); `showHelp` shows a topic.
  TRecordWindow(engine::Engine& engine, const QString& title, std::function<bool()> speichernOhneFrage,
                std::function<void(int)> showHelp, QWidget* parent = nullptr);
  ~TRecordWindow() override;

  bool isUsable() const { return cursor_.isOpen(); }
  engine::Cursor& cursor() { return cursor_; }
  QLineEdit* box(const QString& field) const { return boxes_.value(field); }
  QPlainTextEdit* memo(const QString& field) const { return memos_.value(field); }
  QPushButton* undoButton() const { return abbruch_; }
  QTabWidget* pages() const { return pages_; }
  QTableView* grid() const { return grid_; }

  void HinzufuegenClick();
  void AbbruchClick();
  // Message 28 (Yes/No); on "Ja" deletes the current record. Subclasses may ask more.
  virtual void LoeschenClick();
  // Posts a pending change (with the save question). False when it stays pending.
  bool savePending();

 protected:
  // Opens the configured cursor; message 11 with `tableName` when it cannot be opened.
  bool openTable(const QString& tableName);
  // Builds the pages, the navigator and the commands; call after openTable() once the
  // grid columns are known. `firstBox` gets the focus on "H&inzufügen". `help` is the
  // help topic.
  void buildFrame(std::vector<engine::CursorModel::Column> gridColumns, const QString& firstBox, int help);
  // Boxes on the page "&Felder" (grid layout fieldsGrid()).
  QLineEdit* addBox(const QString& caption, const QString& field, int maxLength, int row, int column = 0,
                    int span = 1);
  // Two boxes on one row behind one caption (postcode and place): the first `firstWidth`
  // pixels wide, the second taking the rest of `span` columns.
  void addBoxPair(const QString& caption, const QString& first, int firstLength, int firstWidth,
                  const QString& second, int secondLength, int row, int span = 3);
  QLineEdit* addDateBox(const QString& caption, const QString& field, int row, int column = 0);
  QPlainTextEdit* addMemo(const QString& caption, const QString& field, int row, int column = 0, int span = 1);
  QGridLayout* fieldsGrid() const { return fieldsGrid_; }
  // The column of commands; subclasses add their own buttons before buildFrame() ends.
  QVBoxLayout* commandColumn() const { return commands_; }
  QPushButton* addCommand(const QString& caption, std::function<void()> action);
  // Writes a typed value into the record (edit or append first).
  void fieldEdited(const QString& field, const QVariant& value);
  // Fills the boxes from the record; subclasses extend it for their own widgets.
  virtual void fillFromRecord();
  // Runs a cursor operation: a rule's silent stop ends it, an engine failure is shown.
  bool guarded(const std::function<void()>& operation);
  void showHelpTopic(int topic) {
    if (showHelp_) showHelp_(topic);
  }
  void closeEvent(QCloseEvent* event) override;

  engine::Engine& engine_;
  bool filling_ = false;

 private:
  void updateButtons();

  engine::Cursor cursor_;
  std::function<bool()> speichern_;
  std::function<void(int)> showHelp_;
  std::unique_ptr<engine::CursorModel> model_;
  QHash<QString, QLineEdit*> boxes_;
  QHash<QString, QPlainTextEdit*> memos_;
  QStringList dateFields_;
  QString firstBox_;
  QTabWidget* pages_ = nullptr;
  QWidget* felder_ = nullptr;
  QGridLayout* fieldsGrid_ = nullptr;
  QTableView* grid_ = nullptr;
  QVBoxLayout* commands_ = nullptr;
  QPushButton* abbruch_ = nullptr;
  QVariant mark_;
  int listener_ = 0;
};

}  // namespace lapiro::store::ui
