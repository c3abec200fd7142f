// The dialog service of the running program: every question and message of the core is
// shown in a QMessageBox with German buttons ("Ja", "Nein", "Abbrechen", "OK").
#pragma once

#include "store/dialog_service.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace lapiro::shell::ui {

class MessageBoxDialogs : public store::DialogService {
 public:
  MessageBoxDialogs() = default;

  // Boxes are centred over `parent` once it is set (the main window); before that they stand
  // alone (start-up messages).
  void setParent(QWidget* parent) { parent_ = parent; }

  store::DialogAnswer show(store::DialogKind kind, const QString& text, store::DialogButtons buttons,
                           const QString& title = {}) override;
  // A dialog with one large button per option (caption and explanation) and "Abbrechen".
  int choose(const QString& text, const QStringList& options, const QString& title = {}) override;

 private:
  QPointer<QWidget> parent_;
};

// Runs `work` while a small window without buttons says `what`; for the first start.
void runWithBusyWindow(const QString& what, const std::function<void()>& work);

}  // namespace lapiro::shell::ui
