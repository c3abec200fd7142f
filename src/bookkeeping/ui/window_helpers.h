// Small helpers the pages of the bookkeeping window share: dates as typed, read-only grids,
// value labels and amounts with the currency name.
#pragma once

#include "bookkeeping/amount.h"

#include <QDate>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

namespace lapiro::bookkeeping::ui::detail {


inline const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

inline QDate parseDate(const QString& text) {
  const QString t = text.trimmed();
  for (const QString& f : {QStringLiteral("d.M.yyyy"), QStringLiteral("d.M.yy")}) {
    QDate d = QDate::fromString(t, f);
    if (d.isValid()) {
      if (f.endsWith(QStringLiteral("yy")) && !f.endsWith(QStringLiteral("yyyy"))) d = d.addYears(100 * ((2000 - d.year()) / 100 + (d.year() < 1950 ? 1 : 0)));
      return d;
    }
  }
  return {};
}

inline QTableWidget* grid(const QStringList& heads) {
  auto* g = new QTableWidget(0, int(heads.size()));
  g->setHorizontalHeaderLabels(heads);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->verticalHeader()->hide();
  g->setWordWrap(false);
  g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
  g->horizontalHeader()->setStretchLastSection(true);
  return g;
}

inline void setRow(QTableWidget* g, int row, const QStringList& cells, const QList<int>& rightAligned = {}) {
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    if (rightAligned.contains(c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->setItem(row, c, item);
  }
}

inline QLabel* valueLabel() {
  auto* l = new QLabel;
  l->setFrameShape(QFrame::StyledPanel);
  l->setMinimumWidth(110);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return l;
}

inline QString dm(engine::Money m) { return formatAmount(m) + QStringLiteral(" DM"); }


}  // namespace lapiro::bookkeeping::ui::detail
