#include "store/navigator.h"

#include "engine/cursor.h"
#include "store/guarded.h"

namespace lapiro::store {

bool moveCursor(engine::Cursor& cursor, NavigatorMove move, QVariant& mark) {
  return guarded([&] {
    switch (move) {
      case NavigatorMove::First: cursor.first(); break;
      case NavigatorMove::Prior: cursor.prior(); break;
      case NavigatorMove::Next: cursor.next(); break;
      case NavigatorMove::Last: cursor.last(); break;
      case NavigatorMove::SetMark: mark = cursor.bookmark(); break;
      case NavigatorMove::GotoMark:
        if (mark.isValid()) cursor.gotoBookmark(mark);
        break;
    }
  });
}

}  // namespace lapiro::store
