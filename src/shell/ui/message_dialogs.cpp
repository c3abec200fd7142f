#include "shell/ui/message_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace lapiro::shell::ui {

using store::DialogAnswer;
using store::DialogButtons;
using store::DialogKind;

DialogAnswer MessageBoxDialogs::show(DialogKind kind, const QString& text, DialogButtons buttons,
                                     const QString& title) {
  QMessageBox box(parent_);
  box.setWindowTitle(title.isEmpty() ? QStringLiteral("Lapiro Manager") : title);
  // Catalogue texts are joined with carriage returns; a label wants line feeds.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  box.setText(shown);
  switch (kind) {
    case DialogKind::Information: box.setIcon(QMessageBox::Information); break;
    case DialogKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case DialogKind::Error: box.setIcon(QMessageBox::Critical); break;
    case DialogKind::Question: box.setIcon(QMessageBox::Question); break;
  }
  // The texts are set here as well, so the buttons are German even without a translation.
  auto add = [&box](QMessageBox::StandardButton b, const QString& caption) {
    box.addButton(b)->setText(caption);
  };
  switch (buttons) {
    case DialogButtons::Ok:
      add(QMessageBox::Ok, QStringLiteral("OK"));
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case DialogButtons::YesNo:
      add(QMessageBox::Yes, QStringLiteral("&Ja"));
      add(QMessageBox::No, QStringLiteral("&Nein"));
      box.setEscapeButton(QMessageBox::No);
      break;
    case DialogButtons::YesNoDefaultNo:
      add(QMessageBox::Yes, QStringLiteral("&Ja"));
      add(QMessageBox::No, QStringLiteral("&Nein"));
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    case DialogButtons::YesNoCancel:
      add(QMessageBox::Yes, QStringLiteral("&Ja"));
      add(QMessageBox::No, QStringLiteral("&Nein"));
      add(QMessageBox::Cancel, QStringLiteral("Abbrechen"));
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case DialogButtons::OkCancel:
      add(QMessageBox::Ok, QStringLiteral("OK"));
      add(QMessageBox::Cancel, QStringLiteral("Abbrechen"));
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  // A wait cursor of a running operation must not hide that an answer is wanted.
  const bool overridden = QApplication::overrideCursor() != nullptr;
  if (overridden) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (overridden) QApplication::restoreOverrideCursor();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Ok: return DialogAnswer::Ok;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    default: break;
  }
  switch (buttons) {
    case DialogButtons::Ok: return DialogAnswer::Ok;
    case DialogButtons::YesNo:
    case DialogButtons::YesNoDefaultNo: return DialogAnswer::No;
    default: return DialogAnswer::Cancel;
  }
}

}  // namespace lapiro::shell::ui
