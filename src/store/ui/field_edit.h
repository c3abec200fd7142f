// FieldEdit: the one way an edit box takes a typed field value (number, money, date, text).
//
// Attach it to a QLineEdit that shows one field of a record:
//
//   auto* weight = store::ui::FieldEdit::attach(edit, engine::FieldType::Number, 0,
//       QStringLiteral("Min Gewicht"), [this](const QVariant& v) { return writeField(v); });
//   ...
//   weight->show(cursor.field(QStringLiteral("Min Gewicht")).value());   // when filling
//   ...
//   if (!store::ui::FieldEdit::finishAll(this)) return;                 // before save/move
//
// Behaviour the user sees:
//   - Typing is free: no message at a keystroke, nothing written to the record yet. Alpha
//     and Memo boxes get the field's size as their maximum length; number boxes 24
//     characters, date boxes 10.
//   - Leaving the box (focus moves to another widget of the window, Return, or a command
//     that calls finish()/finishAll()) reads the text with engine::parseFieldInput. Text
//     that is not a value of the field is refused ONCE with the engine's message through the
//     dialog service (error box); the box keeps the typed text, gets the focus back with the
//     text selected, and finish() returns false. Leaving again without a change refuses again.
//   - An accepted text is handed to `commit` as a typed value (invalid QVariant for an empty
//     box). When commit returns true the box is redrawn with engine::editText of that value,
//     so it always shows exactly what is stored ("3.5" becomes "3,5"). When commit returns
//     false (the record refused it and has said why) the box behaves as for a refusal but
//     shows no message of its own.
//   - A box whose text the user has not changed since show() is never checked or written.
//
// Lifetime: the FieldEdit is a child of the edit box and dies with it. Focus lost to another
// window or a popup (menus, message boxes) does not count as leaving.
#pragma once

#include "engine/types.h"

#include <QObject>
#include <QVariant>

#include <functional>

class QLineEdit;
class QWidget;

namespace lapiro::store::ui {

class FieldEdit : public QObject {
 public:
  // Writes an accepted value into the record. Returns false when the record refused it
  // (after showing its own message, e.g. through store::guarded).
  using Commit = std::function<bool(const QVariant& value)>;

  // Attaches to `edit` (which must outlive nothing: the FieldEdit is its child). `size` is
  // the Alpha/Memo length, ignored for other types. `fieldName` appears in messages.
  static FieldEdit* attach(QLineEdit* edit, engine::FieldType type, int size, const QString& fieldName,
                           Commit commit);
  // The FieldEdit attached to `edit`, or null.
  static FieldEdit* of(const QLineEdit* edit);

  // Fills the box with a typed value from the record (no check, nothing written).
  void show(const QVariant& typed);
  // True while the box holds text the user changed and that is not written yet.
  bool isPending() const;
  // Checks and writes a pending text as leaving the box does. True when nothing was
  // pending or the value was written; false after a refusal (focus is back in the box).
  bool finish();
  // finish() for every FieldEdit inside `root` (in creation order), stopping at the first
  // refusal. Windows call it before saving, moving to another record or closing.
  static bool finishAll(QWidget* root);

  QLineEdit* edit() const { return edit_; }
  engine::FieldType type() const { return type_; }

 private:
  FieldEdit(QLineEdit* edit, engine::FieldType type, int size, const QString& fieldName, Commit commit);
  void refuse();

  QLineEdit* edit_;
  engine::FieldType type_;
  int size_;
  QString fieldName_;
  Commit commit_;
  bool busy_ = false;  // a check is running (its message box takes the focus away)
};

}  // namespace lapiro::store::ui
