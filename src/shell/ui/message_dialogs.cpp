#include "shell/ui/message_dialogs.h"

#include <QApplication>
#include <QCommandLinkButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

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

int MessageBoxDialogs::choose(const QString& text, const QStringList& options, const QString& title) {
  QDialog dialog(parent_);
  dialog.setObjectName(QStringLiteral("Auswahl"));
  dialog.setWindowTitle(title.isEmpty() ? QStringLiteral("Lapiro Manager") : title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(text, &dialog);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  layout->addSpacing(8);
  int chosen = -1;
  for (int i = 0; i < options.size(); ++i) {
    const QString caption = options[i].section(u'\n', 0, 0);
    const QString detail = options[i].section(u'\n', 1);
    auto* button = new QCommandLinkButton(caption, detail, &dialog);
    button->setObjectName(QStringLiteral("Auswahl%1").arg(i));
    if (i == 0) button->setDefault(true);
    QObject::connect(button, &QCommandLinkButton::clicked, &dialog, [&dialog, &chosen, i] {
      chosen = i;
      dialog.accept();
    });
    layout->addWidget(button);
  }
  auto* box = new QDialogButtonBox(&dialog);
  box->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(box);
  dialog.setMinimumWidth(460);
  const bool overridden = QApplication::overrideCursor() != nullptr;
  if (overridden) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  if (overridden) QApplication::restoreOverrideCursor();
  return result == QDialog::Accepted ? chosen : -1;
}

void runWithBusyWindow(const QString& what, const std::function<void()>& work) {
  QProgressDialog progress(what, QString(), 0, 0);
  progress.setWindowTitle(QStringLiteral("Lapiro Manager"));
  progress.setCancelButton(nullptr);
  progress.setMinimumDuration(0);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.show();
  QApplication::processEvents();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  work();
  QApplication::restoreOverrideCursor();
}

}  // namespace lapiro::shell::ui
