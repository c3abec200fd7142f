#include "reports/report.h"

#include "reports/print_font.h"

#include <QDateTime>
#include <QLocale>

#include "engine/types.h"

namespace lapiro::reports {

QString imprintText() {
  return QStringLiteral("printed by Lapiro Manager");
}

QSizeF PageSetup::pageSize() const {
  const QSizeF portrait = format == PageFormat::A6 ? QSizeF(105.0, 148.0) : QSizeF(210.0, 297.0);
  return orientation == Orientation::Landscape ? portrait.transposed() : portrait;
}

QRectF PageSetup::bodyRect() const {
  return QRectF(QPointF(0, 0), pageSize()).marginsRemoved(margins);
}

const QStringList& designFontFamilies() {
  static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
  return families;
}

QStringList printFontFamilies(const QString& family) {
  const QString name = family.trimmed();
  const QStringList& design = designFontFamilies();
  if (name.isEmpty() || name.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0 ||
      name.compare(design.front(), Qt::CaseInsensitive) == 0)
    return design;
  QStringList families{name};
  for (const QString& f : design)
    if (f.compare(name, Qt::CaseInsensitive) != 0) families << f;
  return families;
}

QFont ReportFont::resolve(const ReportFont& fallback) const {
  QFont font;
  font.setFamilies(printFontFamilies(family.trimmed().isEmpty() ? fallback.family : family));
  const double points = pointSize > 0.0 ? pointSize : fallback.pointSize;
  font.setPointSizeF(points > 0.0 ? points : 10.0);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

namespace {

const QLocale& german() {
  static const QLocale locale(QLocale::German, QLocale::Germany);
  return locale;
}

QDate toDate(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QDate:
      return value.toDate();
    case QMetaType::QDateTime:
      return value.toDateTime().date();
    case QMetaType::QString: {
      const QString text = value.toString().trimmed();
      QDate date = QDate::fromString(text.left(10), Qt::ISODate);
      if (!date.isValid()) date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
      return date;
    }
    default:
      return {};
  }
}

bool isMoney(const QVariant& value) {
  return value.metaType() == QMetaType::fromType<engine::Money>();
}

QString formatNumber(double number, int decimals, bool groupDigits) {
  QLocale locale = german();
  locale.setNumberOptions(groupDigits ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
  return locale.toString(number, 'f', decimals);
}

// Reads a number from a numeric value or from text in German or C notation.
bool toNumber(const QVariant& value, double* number) {
  if (isMoney(value)) {
    *number = value.value<engine::Money>().toDouble();
    return true;
  }
  if (value.typeId() == QMetaType::QString) {
    bool ok = false;
    const QString text = value.toString().trimmed();
    *number = german().toDouble(text, &ok);
    if (!ok) *number = text.toDouble(&ok);
    return ok;
  }
  bool ok = false;
  *number = value.toDouble(&ok);
  return ok;
}

}  // namespace

QString formatValue(const QVariant& value, const ValueFormat& format) {
  if (!value.isValid() || value.isNull()) return {};
  switch (format.kind) {
    case ValueFormat::Kind::Text:
      return value.toString();
    case ValueFormat::Kind::Date: {
      const QDate date = toDate(value);
      return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    }
    case ValueFormat::Kind::Money: {
      if (isMoney(value)) return value.value<engine::Money>().toString();
      double number = 0.0;
      if (!toNumber(value, &number)) return {};
      return engine::Money::fromDouble(number).toString();
    }
    case ValueFormat::Kind::Number: {
      double number = 0.0;
      if (!toNumber(value, &number)) return {};
      return formatNumber(number, std::max(0, format.decimals), format.groupDigits);
    }
    case ValueFormat::Kind::Auto:
      break;
  }
  if (isMoney(value)) return value.value<engine::Money>().toString();
  switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
      return toDate(value).toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    case QMetaType::Double:
    case QMetaType::Float:
      return german().toString(value.toDouble(), 'g', 12);
    default:
      return value.toString();
  }
}

Element Element::label(const QRectF& rect, const QString& text) {
  Element e;
  e.kind = Kind::Text;
  e.rect = rect;
  e.text = text;
  return e;
}

Element Element::dataField(const QRectF& rect, const QString& field, ValueFormat format) {
  Element e;
  e.kind = Kind::Field;
  e.rect = rect;
  e.field = field;
  e.format = format;
  return e;
}

Element Element::calculated(const QRectF& rect, Calculation calc, ValueFormat format) {
  Element e = dataField(rect, QString(), format);
  e.calc = std::move(calc);
  return e;
}

Element Element::count(const QRectF& rect, const QString& prefix) {
  Element e = dataField(rect, QString());
  e.aggregate = Aggregate::Count;
  e.prefix = prefix;
  return e;
}

Element Element::sum(const QRectF& rect, const QString& field, ValueFormat format) {
  Element e = dataField(rect, field, format);
  e.aggregate = Aggregate::Sum;
  return e;
}

Element Element::pageNumber(const QRectF& rect, bool withTotal) {
  Element e;
  e.kind = Kind::PageNumber;
  e.rect = rect;
  e.withTotal = withTotal;
  return e;
}

Element Element::printDate(const QRectF& rect, const QString& prefix) {
  Element e;
  e.kind = Kind::PrintDate;
  e.rect = rect;
  e.prefix = prefix;
  return e;
}

Element Element::line(QPointF from, QPointF to, double width) {
  Element e;
  e.kind = Kind::Line;
  e.rect = QRectF(from, to);  // not normalised: the line runs from topLeft to bottomRight
  e.penWidth = width;
  return e;
}

Element Element::hLine(double x1, double x2, double y, double width) {
  return line(QPointF(x1, y), QPointF(x2, y), width);
}

Element Element::vLine(double x, double y1, double y2, double width) {
  return line(QPointF(x, y1), QPointF(x, y2), width);
}

Element Element::box(const QRectF& rect, const QColor& fill, double penWidth, ShapeKind shape) {
  Element e;
  e.kind = Kind::Shape;
  e.rect = rect;
  e.fill = fill;
  e.penWidth = penWidth;
  e.shape = shape;
  return e;
}

Element Element::picture(const QRectF& rect, const QImage& image) {
  Element e;
  e.kind = Kind::Picture;
  e.rect = rect;
  e.image = image;
  return e;
}

Element Element::pictureField(const QRectF& rect, const QString& field) {
  Element e;
  e.kind = Kind::Picture;
  e.rect = rect;
  e.field = field;
  return e;
}

Band standardPageFooter(double width, bool withTotal) {
  Band band(7.0);
  band.add(Element::hLine(0.0, width, 1.0, 0.2));
  band.add(Element::label(QRectF(0.0, 2.0, width * 0.6, 4.5), imprintText()).size(7.5).italic().singleLine());
  band.add(Element::pageNumber(QRectF(width * 0.6, 2.0, width * 0.4, 4.5), withTotal)
               .size(7.5)
               .align(Qt::AlignRight | Qt::AlignTop)
               .singleLine());
  return band;
}

}  // namespace lapiro::reports
