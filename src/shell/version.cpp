#include "shell/version.h"

namespace lapiro::shell {

QString programVersion() { return QStringLiteral(LAPIRO_VERSION); }

}  // namespace lapiro::shell
