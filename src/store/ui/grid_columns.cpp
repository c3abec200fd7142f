#include "store/ui/grid_columns.h"

#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

#include "engine/cursor_model.h"

namespace lapiro::store::ui {

namespace {

// Widens the fill column to the room left whenever the grid's viewport changes size.
class FillColumn : public QObject {
 public:
  FillColumn(QTableView* grid, int fill, int preferred) : QObject(grid), grid_(grid), fill_(fill), preferred_(preferred) {
    grid->viewport()->installEventFilter(this);
  }
  void apply() {
    QHeaderView* header = grid_->horizontalHeader();
    int others = 0;
    for (int i = 0; i < header->count(); ++i)
      if (i != fill_ && !header->isSectionHidden(i)) others += header->sectionSize(i);
    grid_->setColumnWidth(fill_, std::max(preferred_, grid_->viewport()->width() - others));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == grid_->viewport()) apply();
    return false;
  }

 private:
  QTableView* grid_;
  int fill_;
  int preferred_;
};

}  // namespace

void fitGridColumns(QTableView* grid, const engine::CursorModel& model, int fill) {
  const QFontMetrics fm = grid->fontMetrics();
  const QFontMetrics header = grid->horizontalHeader()->fontMetrics();
  const auto& columns = model.columns();
  grid->horizontalHeader()->setStretchLastSection(false);
  int preferred = 0;
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const int chars = columns[i].width > 0 ? columns[i].width : 10;
    // 'n' stands for an average letter; averageCharWidth() is too narrow for German words.
    const int width = std::max(fm.horizontalAdvance(QString(chars, u'n')) * 9 / 10,
                               header.horizontalAdvance(columns[i].title)) + 16;
    grid->setColumnWidth(i, width);
    if (i == fill) preferred = width;
  }
  if (fill < 0 || fill >= static_cast<int>(columns.size())) return;
  auto* filler = new FillColumn(grid, fill, preferred);
  filler->apply();
}

}  // namespace lapiro::store::ui
