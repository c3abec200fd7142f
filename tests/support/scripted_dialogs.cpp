#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace lapiro::test {

ScriptedDialogs::ScriptedDialogs() { store::setDialogService(this); }

ScriptedDialogs::~ScriptedDialogs() { store::setDialogService(nullptr); }

store::DialogAnswer ScriptedDialogs::show(store::DialogKind kind, const QString& text, store::DialogButtons buttons,
                                          const QString&) {
  shown_.push_back({kind, text, buttons});
  if (buttons == store::DialogButtons::Ok) return store::DialogAnswer::Ok;
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted question: " << text.toStdString();
    return buttons == store::DialogButtons::YesNo || buttons == store::DialogButtons::YesNoDefaultNo
               ? store::DialogAnswer::No
               : store::DialogAnswer::Cancel;
  }
  const auto a = answers_.front();
  answers_.pop_front();
  return a;
}

int ScriptedDialogs::choose(const QString& text, const QStringList& options, const QString&) {
  shown_.push_back({store::DialogKind::Question, text + u'\n' + options.join(u'\n'), store::DialogButtons::OkCancel});
  if (choices_.empty()) {
    ADD_FAILURE() << "unscripted choice: " << text.toStdString();
    return -1;
  }
  const int c = choices_.front();
  choices_.pop_front();
  return c;
}

QStringList ScriptedDialogs::texts() const {
  QStringList out;
  for (const auto& s : shown_) out << s.text;
  return out;
}

}  // namespace lapiro::test
