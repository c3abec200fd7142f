// The window "Infos": product name, program version and the button "&Zurück".
#pragma once

#include <QWidget>

namespace lapiro::shell::ui {

class TFormInfo : public QWidget {
  Q_OBJECT

 public:
  explicit TFormInfo(QWidget* parent = nullptr);
};

}  // namespace lapiro::shell::ui
