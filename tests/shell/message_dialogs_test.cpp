// The message boxes behind the dialog service: which button Enter presses.
#include "shell/ui/message_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lapiro::test {
namespace {

using store::DialogAnswer;
using store::DialogButtons;
using store::DialogKind;

// Shows a question and presses Enter in the box; returns the answer and the default button's text.
std::pair<DialogAnswer, QString> pressEnter(DialogButtons buttons) {
  shell::ui::MessageBoxDialogs dialogs;
  QString defaultText;
  QTimer::singleShot(0, [&defaultText] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    if (box->defaultButton()) defaultText = box->defaultButton()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  const DialogAnswer answer = dialogs.show(DialogKind::Warning, QStringLiteral("Datensatz löschen?"), buttons);
  return {answer, defaultText};
}

TEST(MessageBoxDialogs, DeleteQuestionsAnswerNeinOnEnterOtherQuestionsJa) {
  const auto remove = pressEnter(DialogButtons::YesNoDefaultNo);
  EXPECT_EQ(remove.first, DialogAnswer::No);
  EXPECT_EQ(remove.second, QStringLiteral("&Nein"));
  EXPECT_EQ(pressEnter(DialogButtons::YesNo).first, DialogAnswer::Yes);
}

}  // namespace
}  // namespace lapiro::test
