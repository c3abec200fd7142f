// The six buttons of a record navigator shared by the card's detail tabs.
#pragma once

#include <QVariant>

namespace lapiro::engine {
class Cursor;
}

namespace lapiro::store {

// In the order of the buttons: first, prior, next, last record, set the mark, go to the mark.
enum class NavigatorMove { First, Prior, Next, Last, SetMark, GotoMark };

// Moves `cursor` as `move` asks. SetMark keeps the current record in `mark`; GotoMark returns
// to it when one was set. An engine failure is shown through the dialog service and a rule's
// abort stays silent (store::guarded); then the result is false.
bool moveCursor(engine::Cursor& cursor, NavigatorMove move, QVariant& mark);

}  // namespace lapiro::store
