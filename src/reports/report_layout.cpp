#include "reports/report_layout.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

#include "engine/types.h"

namespace lapiro::reports {

namespace {

// Text is measured at printer resolution so that the lines the layout breaks are the lines
// a PDF or printer shows.
constexpr double kReferenceDpi = 1200.0;
constexpr double kEpsilon = 0.01;  // mm

const QImage& referenceDevice() {
  static const QImage device = [] {
    QImage image(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kReferenceDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
  }();
  return device;
}

double pxToMm(double px) {
  return px * 25.4 / kReferenceDpi;
}
double mmToPx(double mm) {
  return mm * kReferenceDpi / 25.4;
}

constexpr QChar kSoftHyphen(0x00AD);

// Breaks one paragraph into lines of at most `width` mm, at word boundaries where possible.
// A break at a soft hyphen shows a hyphen; other soft hyphens vanish.
QStringList wrapParagraph(const QString& paragraph, const QFont& font, double width) {
  QStringList lines;
  QTextLayout layout(paragraph, font, &referenceDevice());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(std::max(1.0, mmToPx(width)));
    QString text = paragraph.mid(line.textStart(), line.textLength());
    while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
    if (text.endsWith(kSoftHyphen)) text.back() = u'-';
    text.remove(kSoftHyphen);
    lines << text;
  }
  layout.endLayout();
  return lines;
}

QStringList paragraphs(const QString& text) {
  QString normalised = text;
  normalised.remove(u'\r');
  QStringList result = normalised.split(u'\n');
  while (!result.isEmpty() && result.back().trimmed().isEmpty()) result.removeLast();
  return result;
}

QString elide(const QString& text, const QFont& font, double width) {
  QString plain = text;
  plain.remove(kSoftHyphen);
  const QFontMetricsF metrics(font, &referenceDevice());
  return metrics.elidedText(plain, Qt::ElideRight, std::max(1.0, mmToPx(width)));
}

bool isMoney(const QVariant& value) {
  return value.metaType() == QMetaType::fromType<engine::Money>();
}

struct Context {
  int row = -1;
  int page = 1;
  int pageCount = 1;
};

struct MeasuredBand {
  double height = 0.0;
  std::vector<PageItem> items;  // relative to the band's top-left corner
};

void addFrame(std::vector<PageItem>& items, const QRectF& rect, const Frame& frame) {
  if (!frame.sides) return;
  const Qt::Edges all = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
  if (frame.sides == all) {
    items.push_back(ShapeItem{rect, ShapeKind::Rectangle, frame.width, frame.color, QColor(), 0.0});
    return;
  }
  if (frame.sides & Qt::TopEdge)
    items.push_back(LineItem{QLineF(rect.topLeft(), rect.topRight()), frame.width, frame.color});
  if (frame.sides & Qt::BottomEdge)
    items.push_back(LineItem{QLineF(rect.bottomLeft(), rect.bottomRight()), frame.width, frame.color});
  if (frame.sides & Qt::LeftEdge)
    items.push_back(LineItem{QLineF(rect.topLeft(), rect.bottomLeft()), frame.width, frame.color});
  if (frame.sides & Qt::RightEdge)
    items.push_back(LineItem{QLineF(rect.topRight(), rect.bottomRight()), frame.width, frame.color});
}

void shiftItem(PageItem& item, QPointF offset) {
  std::visit(
      [&](auto& it) {
        if constexpr (std::is_same_v<std::decay_t<decltype(it)>, LineItem>) {
          it.line.translate(offset);
        } else {
          it.rect.translate(offset);
        }
      },
      item);
}

double itemTop(const PageItem& item) {
  return std::visit(
      [](const auto& it) -> double {
        if constexpr (std::is_same_v<std::decay_t<decltype(it)>, LineItem>) {
          return std::min(it.line.y1(), it.line.y2());
        } else {
          return it.rect.top();
        }
      },
      item);
}

double itemBottom(const PageItem& item) {
  return std::visit(
      [](const auto& it) -> double {
        if constexpr (std::is_same_v<std::decay_t<decltype(it)>, LineItem>) {
          return std::max(it.line.y1(), it.line.y2());
        } else {
          return it.rect.bottom();
        }
      },
      item);
}

// Cuts a band at `cut` mm (band coordinates) into the part that stays and the rest that
// continues on the next page. Text is cut between lines; shapes and vertical lines are cut in
// two; pictures move whole to the rest. On a fresh page (`mustProgress`), an item that cannot
// be cut stays, so every call makes progress.
std::pair<MeasuredBand, MeasuredBand> splitBand(const MeasuredBand& band, double cut, bool mustProgress) {
  MeasuredBand first, rest;
  first.height = cut;
  std::vector<size_t> reachesBottom;  // rest items that must reach the rest's bottom
  bool restHasContent = false;        // beyond the tails of cut frames and rules
  double contentBottom = 0.0;
  for (const PageItem& item : band.items) contentBottom = std::max(contentBottom, itemBottom(item));
  auto toRest = [&](PageItem item) {
    const double top = itemTop(item);
    shiftItem(item, QPointF(0, top >= cut ? -cut : -top));
    rest.items.push_back(std::move(item));
    restHasContent = true;
  };
  for (const PageItem& item : band.items) {
    if (itemBottom(item) <= cut + kEpsilon) {
      first.items.push_back(item);
      continue;
    }
    if (itemTop(item) >= cut - kEpsilon) {
      toRest(item);
      continue;
    }
    if (const auto* text = std::get_if<TextItem>(&item)) {
      const double lineHeight = std::max(text->lineHeight, 0.1);
      const int fitting =
          static_cast<int>(std::floor((cut - text->rect.top() - text->padding + kEpsilon) / lineHeight));
      const int lineCount = static_cast<int>(text->lines.size());
      if (fitting <= 0 && !mustProgress) {
        toRest(item);
      } else if (fitting <= 0 || fitting >= lineCount) {
        TextItem whole = *text;  // every line fits: only the bottom padding is cut off
        whole.rect.setBottom(std::max(whole.rect.top(), std::min(whole.rect.bottom(), cut)));
        first.items.push_back(whole);
      } else {
        TextItem head = *text;
        head.lines = text->lines.mid(0, fitting);
        head.rect.setBottom(
            std::min(cut, text->rect.top() + text->padding + fitting * lineHeight + text->padding));
        TextItem tail = *text;
        tail.lines = text->lines.mid(fitting);
        tail.rect = QRectF(text->rect.left(), 0.0, text->rect.width(),
                           text->padding * 2 + tail.lines.size() * lineHeight);
        first.items.push_back(head);
        rest.items.push_back(tail);
        restHasContent = true;
      }
    } else if (const auto* shape = std::get_if<ShapeItem>(&item)) {
      ShapeItem head = *shape, tail = *shape;
      head.rect.setBottom(cut);
      tail.rect = QRectF(shape->rect.left(), 0.0, shape->rect.width(), shape->rect.bottom() - cut);
      first.items.push_back(head);
      if (shape->rect.bottom() >= contentBottom - kEpsilon) reachesBottom.push_back(rest.items.size());
      rest.items.push_back(tail);
    } else if (const auto* line = std::get_if<LineItem>(&item)) {
      const QLineF l = line->line;
      const double t = (cut - l.y1()) / (l.y2() - l.y1());
      const QPointF at = l.pointAt(t);
      LineItem head = *line, tail = *line;
      head.line = l.y1() < l.y2() ? QLineF(l.p1(), at) : QLineF(at, l.p2());
      tail.line = l.y1() < l.y2() ? QLineF(at, l.p2()) : QLineF(l.p1(), at);
      tail.line.translate(0, -cut);
      first.items.push_back(head);
      if (std::max(l.y1(), l.y2()) >= contentBottom - kEpsilon) reachesBottom.push_back(rest.items.size());
      rest.items.push_back(tail);
    } else if (mustProgress) {
      first.items.push_back(item);  // a picture higher than the page: stays, cut off
    } else {
      toRest(item);
    }
  }
  if (!restHasContent) {
    rest.items.clear();
    rest.height = 0.0;
    return {std::move(first), std::move(rest)};
  }
  rest.height = band.height - cut;
  for (const PageItem& item : rest.items) rest.height = std::max(rest.height, itemBottom(item));
  double restContentBottom = 0.0;
  for (size_t i = 0; i < rest.items.size(); ++i) {
    if (std::find(reachesBottom.begin(), reachesBottom.end(), i) == reachesBottom.end()) {
      restContentBottom = std::max(restContentBottom, itemBottom(rest.items[i]));
    }
  }
  // Text continued on the next page starts with its padding again and so may need a little
  // more room than was left; frames and rules that reached the band's bottom still do.
  for (size_t index : reachesBottom) {
    PageItem& item = rest.items[index];
    const double bottom = std::max(itemBottom(item), restContentBottom);
    if (auto* shape = std::get_if<ShapeItem>(&item)) shape->rect.setBottom(bottom);
    if (auto* line = std::get_if<LineItem>(&item)) {
      if (line->line.y2() >= line->line.y1())
        line->line.setP2(QPointF(line->line.x2(), bottom));
      else
        line->line.setP1(QPointF(line->line.x1(), bottom));
    }
  }
  return {std::move(first), std::move(rest)};
}

class Layouter {
 public:
  Layouter(const Report& report, const ReportDataSource& data, const QDate& printDate)
      : report_(report), data_(data), body_(report.page.bodyRect()) {
    model_.setup = report.page;
    model_.title = report.title;
    model_.printDate = printDate;
    footer_ = footerWithImprint();
  }

  PageModel run() {
    const double footerHeight = measure(footer_, Context{}).height;
    footerTop_ = body_.bottom() - footerHeight;
    headerHeight_ = report_.columnHeader.isEmpty() ? 0.0 : measure(report_.columnHeader, Context{}).height;

    newPage();
    const int rows = data_.rowCount();
    for (int row = 0; row < rows; ++row) placeRow(row);
    if (!report_.summary.isEmpty()) {
      placeBand(measure(report_.summary, Context{rows - 1}), BandKind::Summary, -1, -1,
                report_.summary.startNewPage);
    }

    const int pageCount = model_.pageCount();
    for (int p = 0; p < pageCount; ++p) {
      Page& page = model_.pages[static_cast<size_t>(p)];
      MeasuredBand footer = measure(footer_, Context{-1, p + 1, pageCount});
      append(page, footer, BandKind::PageFooter, -1, -1, footerTop_, false);
    }
    return std::move(model_);
  }

 private:
  // The page footer, with a line carrying the imprint added when the layout left it out.
  Band footerWithImprint() const {
    if (report_.pageFooter.isEmpty()) return standardPageFooter(body_.width(), false);
    Band band = report_.pageFooter;
    const bool hasImprint = std::any_of(band.elements.begin(), band.elements.end(), [](const Element& e) {
      return e.kind == Element::Kind::Text && e.text.contains(imprintText());
    });
    if (!hasImprint) {
      double bottom = band.height;
      for (const Element& e : band.elements) bottom = std::max(bottom, e.rect.normalized().bottom());
      Element imprint = Element::label(QRectF(0.0, bottom, body_.width(), 0.0), imprintText())
                            .size(7.5)
                            .italic()
                            .singleLine();
      imprint.rect.setHeight(lineHeightMm(imprint.font.resolve(report_.defaultFont)) + 0.5);
      band.height = imprint.rect.bottom();
      band.add(imprint);
    }
    return band;
  }

  QVariant aggregate(const Element& e) const {
    const int rows = data_.rowCount();
    if (e.aggregate == Element::Aggregate::Count) return rows;
    bool money = false;
    engine::Money moneyTotal;
    double total = 0.0;
    for (int row = 0; row < rows; ++row) {
      const QVariant value = data_.value(row, e.field);
      if (isMoney(value)) {
        money = true;
        moneyTotal += value.value<engine::Money>();
      } else if (value.isValid() && !value.isNull()) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok) total += number;
      }
    }
    if (money) return QVariant::fromValue(moneyTotal + engine::Money::fromDouble(total));
    return total;
  }

  QString elementText(const Element& e, const Context& ctx) const {
    switch (e.kind) {
      case Element::Kind::Text:
        return e.text;
      case Element::Kind::PageNumber:
        return e.withTotal ? QStringLiteral("Seite %1 von %2").arg(ctx.page).arg(ctx.pageCount)
                           : QStringLiteral("Seite %1").arg(ctx.page);
      case Element::Kind::PrintDate:
        return e.prefix + model_.printDate.toString(QStringLiteral("dd.MM.yyyy")) + e.suffix;
      case Element::Kind::Field: {
        QVariant value;
        if (e.aggregate != Element::Aggregate::None) {
          value = aggregate(e);
        } else if (ctx.row >= 0 && ctx.row < data_.rowCount()) {
          value = e.calc ? e.calc(data_, ctx.row) : data_.value(ctx.row, e.field);
        }
        const QString text = formatValue(value, e.format);
        return text.isEmpty() ? QString() : e.prefix + text + e.suffix;
      }
      default:
        return {};
    }
  }

  QImage pictureOf(const Element& e, const Context& ctx) const {
    if (!e.image.isNull()) return e.image;
    if (ctx.row < 0 || ctx.row >= data_.rowCount() || e.field.isEmpty()) return {};
    const QVariant value = data_.value(ctx.row, e.field);
    switch (value.typeId()) {
      case QMetaType::QImage:
        return value.value<QImage>();
      case QMetaType::QByteArray:
        return QImage::fromData(value.toByteArray());
      case QMetaType::QString:
        return value.toString().isEmpty() ? QImage() : QImage(value.toString());
      default:
        return {};
    }
  }

  // Lays out the text of one element; returns the element's height after growing.
  TextItem textItem(const Element& e, const QString& text) const {
    TextItem item;
    item.rect = e.rect.normalized();
    item.text = text;
    item.font = e.font.resolve(report_.defaultFont);
    item.alignment = e.alignment;
    item.color = e.color;
    item.padding = e.padding;
    item.lineHeight = lineHeightMm(item.font);
    const double width = std::max(0.0, item.rect.width() - 2 * e.padding);
    for (const QString& paragraph : paragraphs(text)) {
      if (e.wordWrap) {
        item.lines << (paragraph.isEmpty() ? QStringList{QString()}
                                           : wrapParagraph(paragraph, item.font, width));
      } else {
        item.lines << elide(paragraph, item.font, width);
      }
    }
    const double needed = item.lines.size() * item.lineHeight + 2 * e.padding;
    if (e.canGrow && needed > item.rect.height()) {
      item.rect.setHeight(needed);
    } else if (needed > item.rect.height() + kEpsilon) {
      // A fixed-height element shows the lines that fit (at least one); the last one shown
      // ends in "…" so the cut is visible.
      const int fitting = std::max(
          1, static_cast<int>(std::floor((item.rect.height() - 2 * e.padding + kEpsilon) / item.lineHeight)));
      if (fitting < item.lines.size()) {
        item.lines = item.lines.mid(0, fitting);
        item.lines.back() = elide(item.lines.back() + QStringLiteral("…"), item.font, width);
        if (!item.lines.back().endsWith(QStringLiteral("…"))) {
          item.lines.back() = elide(item.lines.back() + QStringLiteral("   …"), item.font, width);
        }
      }
    }
    return item;
  }

  MeasuredBand measure(const Band& band, const Context& ctx) const {
    struct Laid {
      const Element* element;
      TextItem text;
      bool hasText = false;
    };
    std::vector<Laid> laid;
    double baseHeight = band.height;
    double growth = 0.0;
    for (const Element& e : band.elements) {
      Laid l{&e, {}, false};
      baseHeight = std::max(baseHeight, e.rect.normalized().bottom());
      switch (e.kind) {
        case Element::Kind::Text:
        case Element::Kind::Field:
        case Element::Kind::PageNumber:
        case Element::Kind::PrintDate:
          l.text = textItem(e, elementText(e, ctx));
          l.hasText = true;
          growth = std::max(growth, l.text.rect.height() - e.rect.normalized().height());
          break;
        default:
          break;
      }
      laid.push_back(std::move(l));
    }

    MeasuredBand result;
    result.height = baseHeight + growth;
    for (Laid& l : laid) {
      const Element& e = *l.element;
      QRectF rect = e.rect.normalized();
      if (e.stretchWithBand) rect.setBottom(rect.bottom() + growth);
      switch (e.kind) {
        case Element::Kind::Line: {
          QLineF line(e.rect.topLeft(), e.rect.bottomRight());
          if (e.stretchWithBand && qFuzzyCompare(line.y1() + 1.0, line.y2() + 1.0)) {
            line.translate(0, growth);  // a rule under the band keeps its place at the bottom
          } else if (e.stretchWithBand) {
            if (line.y2() >= line.y1())
              line.setP2(line.p2() + QPointF(0, growth));
            else
              line.setP1(line.p1() + QPointF(0, growth));
          }
          result.items.push_back(LineItem{line, e.penWidth > 0 ? e.penWidth : 0.1, e.penColor});
          break;
        }
        case Element::Kind::Shape:
          result.items.push_back(ShapeItem{rect, e.shape, e.penWidth, e.penColor, e.fill,
                                           e.shape == ShapeKind::RoundedRectangle ? e.radius : 0.0});
          break;
        case Element::Kind::Picture: {
          const QImage image = pictureOf(e, ctx);
          if (!image.isNull() && !rect.isEmpty()) {
            const QSizeF fitted = QSizeF(image.size()).scaled(rect.size(), Qt::KeepAspectRatio);
            double x = rect.left() + (rect.width() - fitted.width()) / 2;
            double y = rect.top() + (rect.height() - fitted.height()) / 2;
            if (e.alignment & Qt::AlignLeft) x = rect.left();
            if (e.alignment & Qt::AlignRight) x = rect.right() - fitted.width();
            if (e.alignment & Qt::AlignTop) y = rect.top();
            if (e.alignment & Qt::AlignBottom) y = rect.bottom() - fitted.height();
            result.items.push_back(PictureItem{QRectF(QPointF(x, y), fitted), image});
          }
          break;
        }
        default:
          if (e.stretchWithBand) l.text.rect.setBottom(std::max(l.text.rect.bottom(), rect.bottom()));
          rect = l.text.rect;
          if (!l.text.text.isEmpty()) result.items.push_back(std::move(l.text));
          break;
      }
      addFrame(result.items, rect, e.frame);
    }
    return result;
  }

  void append(Page& page, const MeasuredBand& band, BandKind kind, int row, int child, double top,
              bool continued) {
    const QPointF offset(body_.left(), top);
    for (PageItem item : band.items) {
      shiftItem(item, offset);
      page.items.push_back(std::move(item));
    }
    page.bands.push_back(
        BandPlacement{kind, row, child, QRectF(offset, QSizeF(body_.width(), band.height)), continued});
  }

  void newPage() {
    model_.pages.emplace_back();
    Page& page = model_.pages.back();
    y_ = body_.top();
    if (model_.pageCount() == 1 && !report_.titleBand.isEmpty()) {
      const int row = data_.rowCount() > 0 ? 0 : -1;
      const MeasuredBand title = measure(report_.titleBand, Context{row});
      append(page, title, BandKind::Title, -1, -1, y_, false);
      y_ += title.height;
    }
    if (!report_.columnHeader.isEmpty()) {
      const MeasuredBand header = measure(report_.columnHeader, Context{-1, model_.pageCount(), 0});
      append(page, header, BandKind::ColumnHeader, -1, -1, y_, false);
      y_ += header.height;
    }
    contentTop_ = y_;
  }

  double freshCapacity() const { return footerTop_ - (body_.top() + headerHeight_); }
  bool pageHasContent() const { return y_ > contentTop_ + kEpsilon; }

  void placeBand(MeasuredBand band, BandKind kind, int row, int child, bool startNewPage) {
    if (startNewPage && pageHasContent()) newPage();
    if (y_ + band.height > footerTop_ + kEpsilon && pageHasContent() &&
        band.height <= freshCapacity() + kEpsilon) {
      newPage();
    }
    bool continued = false;
    // Only a band higher than a whole page body gets here without fitting: cut it.
    while (y_ + band.height > footerTop_ + kEpsilon) {
      const double cut = footerTop_ - y_;
      auto [head, rest] = splitBand(band, cut, !pageHasContent());
      append(model_.pages.back(), head, kind, row, child, y_, continued);
      if (rest.items.empty()) {  // only empty space was left over: no page for it
        y_ += head.height;
        return;
      }
      newPage();
      band = std::move(rest);
      continued = true;
    }
    append(model_.pages.back(), band, kind, row, child, y_, continued);
    y_ += band.height;
  }

  void placeRow(int row) {
    struct Pending {
      MeasuredBand band;
      BandKind kind;
      int child;
      bool startNewPage;
    };
    std::vector<Pending> bands;
    auto wanted = [&](const Band& band) {
      return !band.isEmpty() && (!band.printWhen || band.printWhen(data_, row));
    };
    if (wanted(report_.detail)) {
      bands.push_back(
          {measure(report_.detail, Context{row}), BandKind::Detail, -1, report_.detail.startNewPage});
    }
    for (size_t c = 0; c < report_.children.size(); ++c) {
      const Band& child = report_.children[c];
      if (wanted(child))
        bands.push_back(
            {measure(child, Context{row}), BandKind::Child, static_cast<int>(c), child.startNewPage});
    }
    if (bands.empty()) return;
    if (bands.front().startNewPage && pageHasContent()) newPage();
    if (report_.keepDetailWithChildren && bands.size() > 1) {
      double total = 0.0;
      for (const Pending& p : bands) total += p.band.height;
      if (y_ + total > footerTop_ + kEpsilon && pageHasContent() && total <= freshCapacity() + kEpsilon)
        newPage();
    }
    for (Pending& p : bands) placeBand(std::move(p.band), p.kind, row, p.child, p.startNewPage);
  }

  const Report& report_;
  const ReportDataSource& data_;
  const QRectF body_;
  Band footer_;
  PageModel model_;
  double footerTop_ = 0.0;
  double headerHeight_ = 0.0;
  double contentTop_ = 0.0;
  double y_ = 0.0;
};

}  // namespace

double lineHeightMm(const QFont& font) {
  return pxToMm(QFontMetricsF(font, &referenceDevice()).lineSpacing());
}

double textWidthMm(const QFont& font, const QString& text) {
  return pxToMm(QFontMetricsF(font, &referenceDevice()).horizontalAdvance(text));
}

PageModel layoutReport(const Report& report, const ReportDataSource& data, const QDate& printDate) {
  return Layouter(report, data, printDate).run();
}

QStringList wrapTextLines(const QString& text, const QFont& font, double width) {
  QStringList lines;
  for (const QString& paragraph : paragraphs(text))
    lines << (paragraph.isEmpty() ? QStringList{QString()} : wrapParagraph(paragraph, font, width));
  return lines;
}

}  // namespace lapiro::reports
