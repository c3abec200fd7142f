#include "shell/ui/help_window.h"

#include "shell/startup.h"
#include "store/dialog_service.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lapiro::shell::ui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Lapiro Manager - Hilfe"));
  setAttribute(Qt::WA_DeleteOnClose);
  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  auto* back = new QPushButton(QStringLiteral("&Zurück"), this);
  auto* contents = new QPushButton(QStringLiteral("&Inhalt"), this);
  auto* close = new QPushButton(QStringLiteral("&Schließen"), this);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  back->setEnabled(false);
  connect(contents, &QPushButton::clicked, this, [this] { showContext(kHelpContents); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(contents);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_);
  resize(640, 560);
}

bool HelpWindow::showContext(int context) {
  const QString path = helpPagePath(context);
  if (!QFileInfo(path).isFile()) {
    store::dialogs().inform(helpMissingText(path));
    return false;
  }
  browser_->setSource(QUrl::fromLocalFile(path));
  show();
  raise();
  activateWindow();
  return true;
}

}  // namespace lapiro::shell::ui
