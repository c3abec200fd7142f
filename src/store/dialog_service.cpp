#include "store/dialog_service.h"

namespace lapiro::store {

namespace {

class SilentDialogs final : public DialogService {
 public:
  DialogAnswer show(DialogKind, const QString&, DialogButtons buttons, const QString&) override {
    switch (buttons) {
      case DialogButtons::Ok: return DialogAnswer::Ok;
      case DialogButtons::YesNo:
      case DialogButtons::YesNoDefaultNo: return DialogAnswer::No;
      default: return DialogAnswer::Cancel;
    }
  }
};

SilentDialogs silent;
DialogService* current = &silent;

}  // namespace

DialogService& dialogs() { return *current; }

void setDialogService(DialogService* service) { current = service ? service : &silent; }

}  // namespace lapiro::store
