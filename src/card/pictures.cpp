#include "card/pictures.h"

#include "engine/cursor.h"
#include "store/guarded.h"
#include "store/dialog_service.h"
#include "store/messages.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageWriter>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace lapiro::card {

namespace {

const QString kBilder = QStringLiteral("Bilder");
const QString kDruckbild = QStringLiteral("Druckbild");
constexpr int kMaxEdge = 8192;

using store::guarded;

// A JPEG file that stops before its end marker decodes with grey rows (the decoder only
// warns); such a file counts as damaged. Cameras may pad after the marker, so the tail is
// searched rather than its last two bytes read.
bool jpegComplete(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const qint64 size = f.size();
  const qint64 tail = std::min<qint64>(size, 64 * 1024);
  if (!f.seek(size - tail)) return false;
  const QByteArray bytes = f.read(tail);
  return bytes.contains(QByteArrayLiteral("\xFF\xD9"));
}

}  // namespace

QRect fitPicture(QSize picture, QSize area, int margin) {
  if (picture.isEmpty() || area.isEmpty()) return {};
  const double roomW = area.width() - 2.0 * margin;
  const double roomH = area.height() - 2.0 * margin;
  if (roomW <= 0 || roomH <= 0) return {};
  double scale = roomW / picture.width();
  if (picture.height() * scale > roomH) scale = roomH / picture.height();
  const int w = std::max(1, qRound(picture.width() * scale));
  const int h = std::max(1, qRound(picture.height() * scale));
  return QRect((area.width() - w) / 2, (area.height() - h) / 2, w, h);
}

int druckbildAfterRemoval(int druckbild, int removed) {
  if (druckbild <= 0 || removed <= 0) return druckbild;
  if (druckbild == removed) return 0;
  if (druckbild > removed) return druckbild - 1;
  return druckbild;
}

QImage decodePicture(const QString& path, QSize box, bool enlarge) {
  if (path.isEmpty()) return {};
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QSize stored = reader.size();
  if (!stored.isValid() || stored.isEmpty()) return {};
  const QByteArray format = reader.format();
  if (format == "jpeg" || format == "jpg") {
    if (!jpegComplete(path)) return {};
  }
  const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
  const QSize upright = turned ? stored.transposed() : stored;
  if (box.isEmpty()) box = QSize(kMaxEdge, kMaxEdge);
  box = box.boundedTo(QSize(kMaxEdge, kMaxEdge));
  QSize target = upright;
  const QSize fitted = upright.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  if (fitted.width() < upright.width()) target = fitted;
  // Decoding at the target size lets the JPEG decoder scale in the DCT domain.
  if (target != upright) reader.setScaledSize(turned ? target.transposed() : target);
  QImage image = reader.read();
  if (image.isNull()) return {};
  if (enlarge && fitted.width() > image.width())
    image = image.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  return image;
}

QByteArray encodeJpeg(const QImage& image, int exifOrientation, int quality) {
  QByteArray jpeg;
  {
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image)) return {};
  }
  if (exifOrientation <= 1 || jpeg.size() < 2) return jpeg;
  // APP1 "Exif": a little-endian TIFF header and one IFD entry, Orientation (0x0112, SHORT).
  QByteArray tiff = QByteArrayLiteral("II*\x00\x08\x00\x00\x00"  // header, IFD at offset 8
                                      "\x01\x00"                      // one entry
                                      "\x12\x01\x03\x00\x01\x00\x00\x00");
  tiff.append(static_cast<char>(exifOrientation));
  tiff.append(QByteArrayLiteral("\x00\x00\x00"      // value, padded
                                "\x00\x00\x00\x00"));  // no further IFD
  QByteArray app1 = QByteArrayLiteral("Exif\x00\x00") + tiff;
  const int length = app1.size() + 2;
  QByteArray segment = QByteArrayLiteral("\xFF\xE1");
  segment.append(static_cast<char>((length >> 8) & 0xFF));
  segment.append(static_cast<char>(length & 0xFF));
  segment.append(app1);
  jpeg.insert(2, segment);  // right after the start marker
  return jpeg;
}

QImage placeholderImage(QSize size) {
  if (size.isEmpty()) size = QSize(kThumbPicture, kThumbPicture);
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(0xE4, 0xE4, 0xE4));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  const QRect r = image.rect().adjusted(0, 0, -1, -1);
  p.drawRect(r);
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomLeft());
  p.end();
  return image;
}

TBildCache::TBildCache(qint64 maxBytes) : cache_(static_cast<int>(std::max<qint64>(1, maxBytes / 1024))) {}

QImage TBildCache::picture(const QString& path, QSize box, bool enlarge) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return {};
  const QString key = QStringLiteral("%1|%2x%3|%4|%5|%6")
                          .arg(path)
                          .arg(box.width())
                          .arg(box.height())
                          .arg(enlarge ? 1 : 0)
                          .arg(info.size())
                          .arg(info.lastModified().toMSecsSinceEpoch());
  if (const QImage* hit = cache_.object(key)) return *hit;
  QImage image = decodePicture(path, box, enlarge);
  // A damaged file is remembered as a null image too, so it is not decoded again and again.
  const int cost = std::max<qint64>(1, image.sizeInBytes() / 1024);
  cache_.insert(key, new QImage(image), cost);
  return image;
}

TBildCache& pictureCache() {
  static TBildCache cache;
  return cache;
}

// ---------------------------------------------------------------- gallery flows

std::vector<BildEintrag> TBildergalerieDaten::bilder() {
  std::vector<BildEintrag> result;
  engine::Cursor* b = dm_.cursor(kBilder);
  if (!b || !b->isOpen()) return result;
  try {
    const qint64 n = b->recordCount();
    if (n <= 0) return result;
    const int iNr = b->fieldIndex(QStringLiteral("LaufendeNr"));
    const int iPfad = b->fieldIndex(QStringLiteral("Bildpfad"));
    const int iM1 = b->fieldIndex(QStringLiteral("BildMemo1"));
    const int iM2 = b->fieldIndex(QStringLiteral("BildMemo2"));
    // A relative path (as the demo installation writes them) lies below the data directory.
    const QDir dataDir(b->engine().aliasDirectory());
    for (const auto& row : b->readRows(0, static_cast<int>(n))) {
      BildEintrag e;
      e.laufendeNr = row[iNr].toLongLong();
      e.pfad = row[iPfad].toString();
      if (!e.pfad.isEmpty() && QFileInfo(e.pfad).isRelative()) e.pfad = QDir::cleanPath(dataDir.absoluteFilePath(e.pfad));
      if (iM1 >= 0) e.memo1 = row[iM1].toString();
      if (iM2 >= 0) e.memo2 = row[iM2].toString();
      result.push_back(std::move(e));
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    result.clear();
  }
  return result;
}

int TBildergalerieDaten::druckbild() {
  engine::Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return 0;
  const std::optional<engine::Field> f = h.findField(kDruckbild);
  return f ? static_cast<int>(f->asInteger()) : 0;
}

QString TBildergalerieDaten::druckbildPfad(const std::vector<BildEintrag>& bilder) {
  const int d = druckbild();
  if (d >= 1 && d <= static_cast<int>(bilder.size())) return bilder[d - 1].pfad;
  for (const BildEintrag& e : bilder)
    if (!e.pfad.isEmpty() && QFileInfo::exists(e.pfad)) return e.pfad;
  return {};
}

bool TBildergalerieDaten::waehle(int position) {
  engine::Cursor* b = dm_.cursor(kBilder);
  if (!b || !b->isOpen() || position < 1) return false;
  return guarded([&] {
    b->checkBrowseMode();
    b->first();
    if (position > 1) b->moveBy(position - 1);
  });
}

QString picturesFolder(const QString& home, const QString& configHome, const QString& fallback) {
  QFile dirs(configHome + QStringLiteral("/user-dirs.dirs"));
  if (dirs.open(QIODevice::ReadOnly | QIODevice::Text)) {
    // Lines of the form XDG_PICTURES_DIR="$HOME/Bilder" (or an absolute path).
    while (!dirs.atEnd()) {
      const QString line = QString::fromUtf8(dirs.readLine()).trimmed();
      if (!line.startsWith(QStringLiteral("XDG_PICTURES_DIR="))) continue;
      QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
      if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) value = value.mid(1, value.size() - 2);
      if (value.startsWith(QStringLiteral("$HOME"))) value = home + value.mid(5);
      if (!value.isEmpty() && QDir::isAbsolutePath(value) && QFileInfo(value).isDir()) return QDir::cleanPath(value);
    }
  }
  if (!fallback.isEmpty() && QFileInfo(fallback).isDir()) return fallback;
  return home;
}

TBildergalerieDaten::Ergebnis TBildergalerieDaten::fuegeHinzu(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists() || !info.isFile()) {
    store::dialogs().error(QStringLiteral("Bilddatei nicht gefunden ") + path);
    return Ergebnis::NichtGefunden;
  }
  engine::Cursor* b = dm_.cursor(kBilder);
  engine::Cursor& h = dm_.Hasen();
  if (!b || !b->isOpen() || !h.hasRecord() || h.state() == engine::DataSetState::Insert) return Ergebnis::Fehler;
  // A damaged file would only ever show the placeholder: the user is told before it is linked.
  if (decodePicture(path, QSize(kThumbPicture, kThumbPicture)).isNull() &&
      !store::dialogs().askDelete(QStringLiteral("Die Datei ist kein lesbares Bild: %1\nTrotzdem verknüpfen?")
                                      .arg(QDir::toNativeSeparators(info.absoluteFilePath())),
                                  store::DialogKind::Warning))
    return Ergebnis::KeinBild;
  const QString full = info.absoluteFilePath();
  const int room = b->field(QStringLiteral("Bildpfad")).size();
  if (room > 0 && full.size() > room) {
    store::dialogs().error(
        QStringLiteral("Der Pfad der Bilddatei ist %1 Zeichen lang; gespeichert werden können höchstens %2 "
                       "Zeichen. Bitte legen Sie das Bild in einen Ordner mit kürzerem Pfad.\n%3")
            .arg(full.size())
            .arg(room)
            .arg(full));
    return Ergebnis::PfadZuLang;
  }
  bool saved = false;
  guarded([&] {
    b->checkBrowseMode();
    b->append();
    b->field(QStringLiteral("Bildpfad")).setString(full);
    saved = dm_.saveWithoutQuestion(*b);
    if (!saved && b->isEditing()) b->cancel();
  });
  return saved ? Ergebnis::Hinzugefuegt : Ergebnis::Fehler;
}

bool TBildergalerieDaten::entferne(int position) {
  engine::Cursor* b = dm_.cursor(kBilder);
  if (!b || !b->isOpen() || position < 1 || position > b->recordCount()) return false;
  if (store::dialogs().show(store::DialogKind::Warning,
                            QStringLiteral("Soll die Verknüpfung zum Bild wirklich gelöscht werden?"),
                            store::DialogButtons::YesNo) != store::DialogAnswer::Yes)
    return false;
  if (!waehle(position)) return false;
  if (!guarded([&] { b->deleteRecord(); })) return false;
  const int before = druckbild();
  const int after = druckbildAfterRemoval(before, position);
  if (after != before) {
    engine::Cursor& h = dm_.Hasen();
    const bool wasBrowsing = !h.isEditing();
    guarded([&] {
      if (wasBrowsing) h.edit();
      if (after > 0)
        h.field(kDruckbild).setInteger(after);
      else
        h.field(kDruckbild).clear();
      // The link is gone for good, so its position is written at once as well.
      if (wasBrowsing && !dm_.saveWithoutQuestion(h) && h.isEditing()) h.cancel();
    });
  }
  return true;
}

bool TBildergalerieDaten::setzeDruckbild(int position) {
  engine::Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !(h.hasRecord() || h.isEditing())) return false;
  return guarded([&] {
    if (!h.isEditing()) h.edit();
    h.field(kDruckbild).setInteger(position);
  });
}

int TBildergalerieDaten::druckbildEingabe(const QString& text, int count) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return -1;
  if (count <= 0) {
    engine::Cursor& h = dm_.Hasen();
    if (h.isOpen() && (h.hasRecord() || h.isEditing()) && !h.field(kDruckbild).isNull())
      guarded([&] {
        if (!h.isEditing()) h.edit();
        h.field(kDruckbild).clear();
      });
    return 0;
  }
  bool ok = false;
  const int position = t.toInt(&ok);
  if (!ok || position < 1 || position > count) {
    store::dialogs().inform(store::messageText(kMeldungDruckbildUngueltig));
    setzeDruckbild(0);
    return 0;
  }
  setzeDruckbild(position);
  return position;
}

bool TBildergalerieDaten::setzeMemo(int which, const QString& text) {
  engine::Cursor* b = dm_.cursor(kBilder);
  if (!b || !b->isOpen() || !b->hasRecord()) return false;
  const QString field = which == 1 ? QStringLiteral("BildMemo1") : QStringLiteral("BildMemo2");
  if (b->field(field).asString() == text) return true;
  return guarded([&] {
    if (!b->isEditing()) b->edit();
    b->field(field).setString(text);
    if (!dm_.saveWithoutQuestion(*b) && b->isEditing()) b->cancel();
  });
}

}  // namespace lapiro::card
