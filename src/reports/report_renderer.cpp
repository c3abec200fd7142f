#include "reports/report_renderer.h"

#include "core/safe_write.h"

#include <QBuffer>

#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace lapiro::reports {

QPageLayout pageLayoutOf(const PageSetup& setup) {
  const QPageSize size(setup.format == PageFormat::A6 ? QPageSize::A6 : QPageSize::A4);
  const auto orientation =
      setup.orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
  return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

namespace {

QPen penOf(const QColor& color, double widthMm, double pixelsPerMm) {
  QPen pen(color);
  pen.setWidthF(std::max(widthMm * pixelsPerMm, 1.0));
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QRectF scaled(const QRectF& rect, double s) {
  return QRectF(rect.x() * s, rect.y() * s, rect.width() * s, rect.height() * s);
}

void paintText(QPainter& painter, const TextItem& item, double s) {
  painter.setFont(item.font);
  painter.setPen(item.color);
  const double lineHeight = item.lineHeight * s;
  const QRectF inner =
      scaled(item.rect, s).adjusted(item.padding * s, item.padding * s, -item.padding * s, -item.padding * s);
  const double block = lineHeight * item.lines.size();
  double top = inner.top();
  if (item.alignment & Qt::AlignBottom)
    top = inner.bottom() - block;
  else if (item.alignment & Qt::AlignVCenter)
    top = inner.top() + (inner.height() - block) / 2;
  const Qt::Alignment horizontal = item.alignment & Qt::AlignHorizontal_Mask;
  for (const QString& line : item.lines) {
    const QRectF lineRect(inner.left(), top, inner.width(), lineHeight);
    painter.drawText(lineRect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextDontClip), line);
    top += lineHeight;
  }
}

void paintShape(QPainter& painter, const ShapeItem& item, double s) {
  painter.setPen(item.penWidth > 0 ? penOf(item.penColor, item.penWidth, s) : QPen(Qt::NoPen));
  painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
  const QRectF rect = scaled(item.rect, s);
  switch (item.shape) {
    case ShapeKind::Rectangle:
      painter.drawRect(rect);
      break;
    case ShapeKind::RoundedRectangle:
      painter.drawRoundedRect(rect, item.radius * s, item.radius * s);
      break;
    case ShapeKind::Ellipse:
      painter.drawEllipse(rect);
      break;
  }
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

void paintPage(QPainter& painter, const Page& page, double pixelsPerMm) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  for (const PageItem& item : page.items) {
    if (const auto* text = std::get_if<TextItem>(&item)) {
      paintText(painter, *text, pixelsPerMm);
    } else if (const auto* line = std::get_if<LineItem>(&item)) {
      painter.setPen(penOf(line->color, line->width, pixelsPerMm));
      painter.drawLine(QLineF(line->line.p1() * pixelsPerMm, line->line.p2() * pixelsPerMm));
    } else if (const auto* shape = std::get_if<ShapeItem>(&item)) {
      paintShape(painter, *shape, pixelsPerMm);
    } else if (const auto* picture = std::get_if<PictureItem>(&item)) {
      painter.drawImage(scaled(picture->rect, pixelsPerMm), picture->image);
    }
  }
  painter.restore();
}

bool renderToDevice(const PageModel& model, QPagedPaintDevice& device) {
  // Set the paper only when it differs, so a printer keeps its full-page mode and margins.
  const QPageLayout wanted = pageLayoutOf(model.setup);
  const QPageLayout current = device.pageLayout();
  if (!current.pageSize().isEquivalentTo(wanted.pageSize()) ||
      current.orientation() != wanted.orientation()) {
    device.setPageLayout(wanted);
  }
  QPainter painter;
  if (!painter.begin(&device)) return false;
  const double pixelsPerMm = device.logicalDpiX() / 25.4;
  // The page model measures from the paper's edge. A device with margins of its own (a
  // printer's unprintable border, a PDF writer's default 10 pt) starts painting at them: the
  // origin moves back to the edge, so a layout centred on the paper stays centred.
  const QPointF margin = device.pageLayout().paintRect(QPageLayout::Millimeter).topLeft() -
                         device.pageLayout().fullRect(QPageLayout::Millimeter).topLeft();
  painter.translate(-margin * pixelsPerMm);
  for (int i = 0; i < model.pageCount(); ++i) {
    if (i > 0) device.newPage();
    paintPage(painter, model.pages[static_cast<size_t>(i)], pixelsPerMm);
  }
  return painter.end();
}

bool renderToPdf(const PageModel& model, const QString& fileName) {
  // Rendered in memory first, then written through the checked whole-file write, so a full
  // disk never leaves a truncated PDF in place of an older one.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  bool ok = false;
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setTitle(model.title);
    writer.setCreator(QStringLiteral("Lapiro Manager"));
    ok = renderToDevice(model, writer);
  }
  return ok && core::writeFileSafely(fileName, buffer.data());
}

QImage renderPageImage(const PageModel& model, int index, double dpi) {
  const QSizeF size = model.pageSize() * (dpi / 25.4);
  QImage image(qRound(size.width()), qRound(size.height()), QImage::Format_RGB32);
  const int dotsPerMeter = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  QPainter painter(&image);
  paintPage(painter, model.pages[static_cast<size_t>(index)], dpi / 25.4);
  return image;
}

}  // namespace lapiro::reports
