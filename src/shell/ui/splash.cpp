#include "shell/ui/splash.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace lapiro::shell::ui {

TIntro::TIntro(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("TIntro"));
  setWindowTitle(QStringLiteral("Lapiro Manager Intro"));
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::Box);
  frame->setStyleSheet(QStringLiteral("QFrame { background: #f4efe4; }"));
  auto* title = new QLabel(QStringLiteral("Lapiro Manager"), frame);
  title->setObjectName(QStringLiteral("Titel"));
  QFont font = title->font();
  font.setPointSize(26);
  font.setBold(true);
  title->setFont(font);
  title->setAlignment(Qt::AlignCenter);
  title->setStyleSheet(QStringLiteral("color: #6b3e1e;"));
  auto* sub = new QLabel(QStringLiteral("Zuchtverwaltung für Rassekaninchen"), frame);
  sub->setAlignment(Qt::AlignCenter);
  bar_ = new QProgressBar(frame);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  auto* inner = new QVBoxLayout(frame);
  inner->setContentsMargins(24, 24, 24, 18);
  inner->addStretch();
  inner->addWidget(title);
  inner->addWidget(sub);
  inner->addStretch();
  inner->addWidget(bar_);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);
  resize(420, 220);
  if (const QScreen* screen = QApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TIntro::setProgress(int value) {
  bar_->setValue(value);
  if (isVisible()) repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TIntro::progress() const { return bar_->value(); }

}  // namespace lapiro::shell::ui
