// A running main window over a small installation with the four sample animals, its data
// module and card created, shown at 1280 x 1024; questions and messages go to `dialogs_`.
#pragma once

#include "shell/shell_install.h"
#include "shell/startup.h"
#include "shell/ui/main_window.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

namespace lapiro::test {

class RunningMainWindow : public ::testing::Test {
 protected:
  RunningMainWindow() : install_({.animals = ShellInstall::sampleAnimals()}) {}
  void SetUp() override {
    window_ = std::make_unique<shell::ui::TFormLapiroManager>(session_);
    ASSERT_TRUE(window_->startUp(QRect(0, 0, 1280, 1024)));
    session_.createDataModule();
    beforeCard();
    window_->createCard();
    window_->applySettings();
    window_->show();
  }
  void TearDown() override {
    window_->hide();
    window_.reset();
  }
  // Runs with the data module open and before the card is made: a fixture's own records.
  virtual void beforeCard() {}
  // The menu command or tool button `caption`; null when there is none.
  QAction* command(const QString& caption) {
    for (QAction* a : window_->findChildren<QAction*>())
      if (a->text() == caption && a->menu() == nullptr) return a;
    return nullptr;
  }
  // Gives the menu command `caption` and lets the events it posts run.
  void trigger(const QString& caption) {
    QAction* a = command(caption);
    ASSERT_NE(a, nullptr) << "no command " << caption.toStdString();
    a->trigger();
    QApplication::processEvents();
  }
  // The open child window showing a `W`; null when there is none.
  template <class W>
  W* openWindow() {
    for (QMdiSubWindow* sub : window_->mdiArea()->subWindowList())
      if (auto* w = qobject_cast<W*>(sub->widget())) return w;
    return nullptr;
  }

  ShellInstall install_;
  ScriptedDialogs dialogs_;
  shell::ShellSession session_;
  std::unique_ptr<shell::ui::TFormLapiroManager> window_;
};

}  // namespace lapiro::test
