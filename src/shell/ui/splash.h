// The splash window TIntro: shown from the start until the main window is ready, with a
// progress bar from 0 to 100 that start-up advances step by step.
#pragma once

#include <QWidget>

class QProgressBar;

namespace lapiro::shell::ui {

class TIntro : public QWidget {
  Q_OBJECT

 public:
  explicit TIntro(QWidget* parent = nullptr);

  // Sets the progress bar and lets the window repaint at once.
  void setProgress(int value);
  int progress() const;

 private:
  QProgressBar* bar_;
};

}  // namespace lapiro::shell::ui
