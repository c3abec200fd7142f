#include "exchange/passport.h"

#include "exchange/exchange_export.h"

#include <QHash>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSet>

// The decoder's text accessors in their UTF-8 form (this file reads only the raw bytes); without
// the switch the library's header announces the change of their type at every build.
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <qrencode.h>

namespace lapiro::exchange {

namespace {

constexpr int kSlots = (2 << kPassportGenerations) - 1;  // 15: the animal and three generations
constexpr qsizetype kMaxExpanded = 64 * 1024;            // a passport never needs more

}  // namespace

QByteArray passportJson(engine::Engine& engine, qint64 nummer) {
  ExportOptions o;
  o.animals = {nummer};
  o.generations = kPassportGenerations;
  o.withAddresses = false;
  o.withShows = false;
  const ExchangeFile f = collectExport(engine, o);
  if (f.animals.empty()) return {};
  QHash<QString, int> byId;
  for (int i = 0; i < static_cast<int>(f.animals.size()); ++i) byId.insert(f.animals[i].id, i);

  // Slots: the animal first, each ancestor at its pedigree slot; a repeated ancestor is
  // written once and its further slots point to the first ("=").
  std::vector<int> slotAnimal(kSlots, -1);
  slotAnimal[0] = 0;  // collectExport puts the chosen animal first
  QHash<int, int> firstSlot;  // animal index -> first slot
  QJsonArray slotRows;
  QSet<QString> breedsUsed;
  for (int s = 0; s < kSlots; ++s) {
    const int i = slotAnimal[s];
    if (i < 0) continue;
    if (const auto it = firstSlot.constFind(i); it != firstSlot.constEnd()) {
      slotRows.append(QJsonArray{s, QStringLiteral("="), *it});
      continue;
    }
    firstSlot.insert(i, s);
    const ExAnimal& a = f.animals[i];
    QJsonArray row{s,
                   a.tatoRechts,
                   a.tatoLinks,
                   a.birthDate.isValid() ? a.birthDate.toString(Qt::ISODate) : QString(),
                   a.sex,
                   a.breedCode,
                   a.colourName,
                   a.geneticFormula,
                   a.litterSize,
                   a.koernote ? QJsonValue(static_cast<double>(*a.koernote)) : QJsonValue(QString()),
                   a.name};
    while (row.size() > 1 && row.last().toVariant().toString().isEmpty()) row.removeLast();
    slotRows.append(row);
    if (!a.breedCode.isEmpty()) breedsUsed.insert(a.breedCode);
    if (2 * s + 2 < kSlots) {
      slotAnimal[2 * s + 1] = byId.value(a.sireId, -1);
      slotAnimal[2 * s + 2] = byId.value(a.damId, -1);
    }
  }
  QJsonArray breeds;
  for (const ExBreed& b : f.breeds)
    if (breedsUsed.contains(b.code)) breeds.append(QJsonArray{b.code, b.name});
  QJsonObject passport{{QStringLiteral("breeds"), breeds}, {QStringLiteral("slots"), slotRows}};
  QJsonObject top{{QStringLiteral("format"), QString::fromUtf16(kFormatName)},
                  {QStringLiteral("version"), QStringLiteral("%1.%2").arg(kFormatMajor).arg(kFormatMinor)},
                  {QStringLiteral("passport"), passport}};
  return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

QByteArray passportPayload(engine::Engine& engine, qint64 nummer) {
  const QByteArray json = passportJson(engine, nummer);
  return json.isEmpty() ? QByteArray() : qCompress(json, 9);
}

QImage passportImage(const QByteArray& payload, int pixelsPerModule, int* version) {
  if (payload.isEmpty()) return {};
  // Error correction M keeps a scan readable with a crease or a smudge; a large pedigree
  // falls back to L, because at 30 mm larger modules matter more to a phone camera.
  auto encode = [&](QRecLevel level) {
    return QRcode_encodeData(static_cast<int>(payload.size()), reinterpret_cast<const unsigned char*>(payload.constData()),
                             0, level);
  };
  QRcode* code = encode(QR_ECLEVEL_M);
  if (code && code->version > kPassportMaxVersionM) {
    if (QRcode* smaller = encode(QR_ECLEVEL_L)) {
      QRcode_free(code);
      code = smaller;
    }
  }
  if (!code) return {};
  const int quiet = 4;
  const int size = (code->width + 2 * quiet) * pixelsPerModule;
  QImage image(size, size, QImage::Format_Grayscale8);
  image.fill(Qt::white);
  QPainter p(&image);
  for (int y = 0; y < code->width; ++y)
    for (int x = 0; x < code->width; ++x)
      if (code->data[y * code->width + x] & 1)
        p.fillRect((x + quiet) * pixelsPerModule, (y + quiet) * pixelsPerModule, pixelsPerModule, pixelsPerModule,
                   Qt::black);
  p.end();
  if (version) *version = code->version;
  QRcode_free(code);
  return image;
}

QImage passportImage(engine::Engine& engine, qint64 nummer) {
  try {
    return passportImage(passportPayload(engine, nummer));
  } catch (const engine::EngineError&) {
    return {};
  }
}

PassportRead readPassportPayload(const QByteArray& payload) {
  PassportRead out;
  const QString damaged = QStringLiteral("Der QR-Code ist kein Abstammungspass von Lapiro Manager.");
  // qCompress puts the expanded size in front (big endian); refuse what no passport needs.
  if (payload.size() < 5) {
    out.error = damaged;
    return out;
  }
  const quint32 expanded = (quint32(uchar(payload[0])) << 24) | (quint32(uchar(payload[1])) << 16) |
                           (quint32(uchar(payload[2])) << 8) | quint32(uchar(payload[3]));
  if (expanded == 0 || expanded > kMaxExpanded) {
    out.error = damaged;
    return out;
  }
  const QByteArray json = qUncompress(payload);
  if (json.isEmpty()) {
    out.error = damaged;
    return out;
  }
  const QJsonDocument doc = QJsonDocument::fromJson(json);
  const QJsonObject top = doc.object();
  if (top.value(QStringLiteral("format")).toString() != QString::fromUtf16(kFormatName) ||
      !top.value(QStringLiteral("passport")).isObject()) {
    out.error = damaged;
    return out;
  }
  // Expand to the full form, then read that like any exchange file (all its checks apply).
  const QJsonObject passport = top.value(QStringLiteral("passport")).toObject();
  QJsonArray breeds;
  for (const QJsonValue& b : passport.value(QStringLiteral("breeds")).toArray()) {
    const QJsonArray pair = b.toArray();
    breeds.append(QJsonObject{{QStringLiteral("code"), pair.at(0)}, {QStringLiteral("name"), pair.at(1)}});
  }
  QHash<int, QJsonArray> bySlot;
  QHash<int, int> alias;
  for (const QJsonValue& v : passport.value(QStringLiteral("slots")).toArray()) {
    const QJsonArray row = v.toArray();
    const int slot = row.at(0).toInt(-1);
    if (slot < 0 || slot >= kSlots || bySlot.contains(slot) || alias.contains(slot)) continue;
    if (row.at(1).toString() == u"=")
      alias.insert(slot, row.at(2).toInt(-1));
    else
      bySlot.insert(slot, row);
  }
  auto idOf = [&](int slot) -> QString {
    if (alias.contains(slot)) slot = alias.value(slot);
    return bySlot.contains(slot) ? QStringLiteral("p%1").arg(slot) : QString();
  };
  QJsonArray animals;
  for (int s = 0; s < kSlots; ++s) {
    if (!bySlot.contains(s)) continue;
    const QJsonArray row = bySlot.value(s);
    auto text = [&](int i) { return row.at(i).toString(); };
    QJsonObject a{{QStringLiteral("id"), idOf(s)}};
    QJsonArray ids;
    if (!text(1).isEmpty()) ids.append(QJsonObject{{QStringLiteral("scheme"), QStringLiteral("tattoo-right")}, {QStringLiteral("id"), text(1)}});
    if (!text(2).isEmpty()) ids.append(QJsonObject{{QStringLiteral("scheme"), QStringLiteral("tattoo-left")}, {QStringLiteral("id"), text(2)}});
    a.insert(QStringLiteral("identifiers"), ids);
    if (!text(3).isEmpty()) a.insert(QStringLiteral("birthDate"), text(3));
    a.insert(QStringLiteral("sex"), text(4) == u"1" ? QStringLiteral("Male") : QStringLiteral("Female"));
    if (!text(5).isEmpty()) a.insert(QStringLiteral("breed"), text(5));
    if (!text(6).isEmpty()) a.insert(QStringLiteral("colour"), QJsonObject{{QStringLiteral("name"), text(6)}});
    if (!text(7).isEmpty()) a.insert(QStringLiteral("geneticFormula"), text(7));
    if (!text(8).isEmpty()) a.insert(QStringLiteral("litterSize"), text(8));
    if (row.at(9).isDouble()) a.insert(QStringLiteral("koernote"), row.at(9));
    if (!text(10).isEmpty()) a.insert(QStringLiteral("name"), text(10));
    QJsonArray parentage;
    if (2 * s + 2 < kSlots) {
      const QString sire = idOf(2 * s + 1);
      const QString dam = idOf(2 * s + 2);
      if (!sire.isEmpty()) parentage.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Sire")}, {QStringLiteral("animal"), sire}});
      if (!dam.isEmpty()) parentage.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Dam")}, {QStringLiteral("animal"), dam}});
    }
    if (!parentage.isEmpty()) a.insert(QStringLiteral("parentage"), parentage);
    animals.append(a);
  }
  QJsonObject full{{QStringLiteral("format"), top.value(QStringLiteral("format"))},
                   {QStringLiteral("version"), top.value(QStringLiteral("version"))},
                   {QStringLiteral("exportedBy"), QJsonObject{{QStringLiteral("program"), QStringLiteral("Abstammungspass")}}},
                   {QStringLiteral("breeds"), breeds},
                   {QStringLiteral("animals"), animals}};
  ReadResult r = readExchange(QJsonDocument(full).toJson(QJsonDocument::Compact));
  out.file = std::move(r.file);
  out.error = r.error;
  return out;
}

PassportRead readPassportImage(const QImage& image) {
  PassportRead out;
  if (image.isNull()) {
    out.error = QStringLiteral("Das Bild kann nicht gelesen werden.");
    return out;
  }
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::QRCode);
  hints.setTryHarder(true);
  auto decode = [&](const QImage& img) {
    const QImage grey = img.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    return ZXing::ReadBarcode(view, hints);
  };
  // A phone photo has far more pixels than the code needs: look at a reduced copy first.
  ZXing::Result result = decode(image.width() * image.height() > 4'000'000
                                    ? image.scaled(2400, 2400, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                    : image);
  if (!result.isValid() && image.width() * image.height() > 4'000'000) result = decode(image);
  if (!result.isValid()) {
    out.error = QStringLiteral("Im Bild wurde kein QR-Code gefunden.");
    return out;
  }
  const auto& bytes = result.bytes();
  return readPassportPayload(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

PassportRead readPassportImageFile(const QString& path) {
  QImageReader reader(path);
  reader.setAutoTransform(true);  // photos carry their orientation
  // Refuse absurd images before decoding them (a forged header must not take the memory).
  if (reader.size().isValid() && qint64(reader.size().width()) * reader.size().height() > 80'000'000) {
    return {std::nullopt, QStringLiteral("Das Bild \"%1\" ist zu groß.").arg(path)};
  }
  const QImage image = reader.read();
  if (image.isNull()) return {std::nullopt, QStringLiteral("Das Bild \"%1\" kann nicht gelesen werden: %2").arg(path, reader.errorString())};
  return readPassportImage(image);
}

}  // namespace lapiro::exchange
