// The program's version (the package's), shown in the window "Infos" and written into exports.
#pragma once

#include <QString>

namespace lapiro::shell {

QString programVersion();

}  // namespace lapiro::shell
