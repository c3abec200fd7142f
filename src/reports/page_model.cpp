#include "reports/page_model.h"

namespace lapiro::reports {

QStringList Page::texts() const {
  QStringList result;
  for (const PageItem& item : items) {
    if (const auto* text = std::get_if<TextItem>(&item)) result << text->lines.join(u' ');
  }
  return result;
}

bool Page::containsText(const QString& text) const {
  for (const PageItem& item : items) {
    if (const auto* t = std::get_if<TextItem>(&item); t && t->text.contains(text)) return true;
  }
  return false;
}

namespace {

QString mm(double value) {
  return QString::number(value, 'f', 1);
}

QString rectText(const QRectF& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(mm(r.x()), mm(r.y()), mm(r.width()), mm(r.height()));
}

QString bandName(BandKind kind) {
  switch (kind) {
    case BandKind::Title:
      return QStringLiteral("title");
    case BandKind::ColumnHeader:
      return QStringLiteral("header");
    case BandKind::Detail:
      return QStringLiteral("detail");
    case BandKind::Child:
      return QStringLiteral("child");
    case BandKind::Summary:
      return QStringLiteral("summary");
    case BandKind::PageFooter:
      return QStringLiteral("footer");
  }
  return {};
}

}  // namespace

QString PageModel::dump() const {
  QString out;
  const QSizeF size = pageSize();
  out += QStringLiteral("report \"%1\" %2 x %3 mm, %4 page(s)\n")
             .arg(title, mm(size.width()), mm(size.height()))
             .arg(pageCount());
  for (int p = 0; p < pageCount(); ++p) {
    const Page& page = pages[static_cast<size_t>(p)];
    out += QStringLiteral("page %1\n").arg(p + 1);
    for (const BandPlacement& band : page.bands) {
      out += QStringLiteral("  band %1 row %2 at %3%4\n")
                 .arg(bandName(band.kind))
                 .arg(band.row)
                 .arg(rectText(band.rect), band.continued ? QStringLiteral(" continued") : QString());
    }
    for (const PageItem& item : page.items) {
      if (const auto* t = std::get_if<TextItem>(&item)) {
        out +=
            QStringLiteral("  text %1 \"%2\"\n").arg(rectText(t->rect), t->lines.join(QStringLiteral("|")));
      } else if (const auto* l = std::get_if<LineItem>(&item)) {
        out += QStringLiteral("  line %1,%2 - %3,%4\n")
                   .arg(mm(l->line.x1()), mm(l->line.y1()), mm(l->line.x2()), mm(l->line.y2()));
      } else if (const auto* s = std::get_if<ShapeItem>(&item)) {
        out += QStringLiteral("  shape %1 %2\n")
                   .arg(rectText(s->rect), s->fill.isValid() ? s->fill.name() : QStringLiteral("-"));
      } else if (const auto* pic = std::get_if<PictureItem>(&item)) {
        out += QStringLiteral("  picture %1\n").arg(rectText(pic->rect));
      }
    }
  }
  return out;
}

}  // namespace lapiro::reports
