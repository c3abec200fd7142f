#include "shell/ui/info_window.h"

#include "shell/paths.h"
#include "shell/startup.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lapiro::shell::ui {

TFormInfo::TFormInfo(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TFormInfo"));
  setWindowTitle(QStringLiteral("Infos"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* product = new QLabel(QStringLiteral("Lapiro Manager"), this);
  product->setObjectName(QStringLiteral("Produkt"));
  QFont font = product->font();
  font.setPointSize(font.pointSize() + 8);
  font.setBold(true);
  product->setFont(font);
  product->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QStringLiteral("Version ") + programVersion(), this);
  version->setObjectName(QStringLiteral("Version"));
  version->setAlignment(Qt::AlignCenter);
  auto* purpose = new QLabel(QStringLiteral("Zuchtverwaltung für Rassekaninchen"), this);
  purpose->setAlignment(Qt::AlignCenter);
  auto* where = new QLabel(QStringLiteral("Daten: ") + QDir::toNativeSeparators(paths::dataDir()), this);
  where->setObjectName(QStringLiteral("Datenverzeichnis"));
  where->setAlignment(Qt::AlignCenter);
  where->setWordWrap(true);
  where->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* back = new QPushButton(QStringLiteral("&Zurück"), this);
  back->setObjectName(QStringLiteral("Zurueck"));
  back->setDefault(true);
  // The window usually lives in a sub-window of the main window's area: close that.
  connect(back, &QPushButton::clicked, this, [this] {
    if (QWidget* frame = parentWidget(); frame && frame->inherits("QMdiSubWindow")) frame->close();
    else close();
  });
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(back);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addStretch();
  layout->addWidget(product);
  layout->addWidget(version);
  layout->addWidget(purpose);
  layout->addSpacing(8);
  layout->addWidget(where);
  layout->addStretch();
  layout->addLayout(row);
  resize(420, 240);
}

}  // namespace lapiro::shell::ui
