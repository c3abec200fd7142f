// Column widths of a grid over a CursorModel.
#pragma once

class QTableView;

namespace lapiro::engine {
class CursorModel;
}

namespace lapiro::store::ui {

// Sets every column to its width in characters (CursorModel::Column::width, measured with the
// grid's font; never narrower than its title) and keeps the `fill` column (usually the name)
// at least that wide while it takes whatever room the viewport has beyond the other columns,
// so names are not cut while a number column sprawls, and no grey area is left at the right.
// With too little room the grid scrolls horizontally instead of squeezing the fill column.
// Call after setModel(); the grid keeps following its resizes. The user may still drag
// columns; a resize of the grid re-fits only the fill column.
void fitGridColumns(QTableView* grid, const engine::CursorModel& model, int fill);

}  // namespace lapiro::store::ui
