#include "store/ui/field_edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "engine/field_input.h"
#include "store/dialog_service.h"

namespace lapiro::store::ui {

using engine::FieldType;

FieldEdit::FieldEdit(QLineEdit* edit, FieldType type, int size, const QString& fieldName, Commit commit)
    : QObject(edit), edit_(edit), type_(type), size_(size), fieldName_(fieldName), commit_(std::move(commit)) {
  setObjectName(QStringLiteral("FieldEdit"));
  switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
      if (size > 0) edit->setMaxLength(size);
      break;
    case FieldType::Date: edit->setMaxLength(10); break;
    default: edit->setMaxLength(24); break;
  }
  connect(edit, &QLineEdit::returnPressed, this, [this] { finish(); });
  // Leaving = the focus moves from this box to another widget of the same window. Another
  // window taking the focus (a message box, another program) is not leaving. focusChanged is
  // used rather than focus-out events, which an inactive window does not receive.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (busy_ || old != edit_ || !now || now->window() != edit_->window() || !edit_->isModified()) return;
    // Checked after the focus change has finished, so a refusal can take the focus back.
    QTimer::singleShot(0, this, [this] { finish(); });
  });
}

FieldEdit* FieldEdit::attach(QLineEdit* edit, FieldType type, int size, const QString& fieldName, Commit commit) {
  return new FieldEdit(edit, type, size, fieldName, std::move(commit));
}

FieldEdit* FieldEdit::of(const QLineEdit* edit) {
  return edit ? edit->findChild<FieldEdit*>(QStringLiteral("FieldEdit"), Qt::FindDirectChildrenOnly) : nullptr;
}

void FieldEdit::show(const QVariant& typed) {
  edit_->setText(engine::editText(type_, typed));  // also clears the modified flag
}

bool FieldEdit::isPending() const {
  return edit_->isModified();
}

bool FieldEdit::finish() {
  if (busy_ || !edit_->isModified()) return true;
  busy_ = true;
  const QString text = edit_->text();
  const engine::FieldInput input = engine::parseFieldInput(type_, size_, text, fieldName_);
  bool ok = input.ok();
  if (!ok) dialogs().error(input.error);
  if (ok) ok = commit_(input.value);
  if (ok) {
    show(input.value);
  } else {
    refuse();
  }
  busy_ = false;
  return ok;
}

void FieldEdit::refuse() {
  // The text stays as typed and still counts as changed, so the next leave checks it again.
  edit_->setModified(true);
  edit_->setFocus(Qt::OtherFocusReason);
  edit_->selectAll();
}

bool FieldEdit::finishAll(QWidget* root) {
  if (!root) return true;
  for (QLineEdit* e : root->findChildren<QLineEdit*>()) {
    FieldEdit* f = of(e);
    if (f && !f->finish()) return false;
  }
  return true;
}

}  // namespace lapiro::store::ui
