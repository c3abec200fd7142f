#include "installer/demo_pictures.h"

#include "card/pictures.h"
#include "engine/cursor.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <vector>

namespace lapiro::installer {

namespace {

// A rabbit sitting in straw, drawn with shapes only (no fonts are needed, so the installer
// runs without a display).
QImage rabbitPhoto(int variant) {
  const QColor furs[] = {QColor(0x8a, 0x7a, 0x6a), QColor(0xf2, 0xf0, 0xea), QColor(0x3a, 0x32, 0x2c),
                         QColor(0xb0, 0x78, 0x40), QColor(0x9a, 0x9a, 0xa0), QColor(0x60, 0x48, 0x38)};
  const QColor skies[] = {QColor(0xa8, 0xc8, 0xe0), QColor(0xd8, 0xe4, 0xc8), QColor(0xe8, 0xd8, 0xc0)};
  QImage image(480, 640, QImage::Format_RGB32);  // portrait, as a phone takes it
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), skies[variant % 3]);
  p.fillRect(QRect(0, 430, 480, 210), QColor(0xd8, 0xb8, 0x60));  // straw
  p.setPen(QPen(QColor(0xb8, 0x98, 0x40), 2));
  for (int i = 0; i < 60; ++i) {
    const int x = (i * 97 + variant * 31) % 480, y = 440 + (i * 53) % 190;
    p.drawLine(x, y, x + 18 - (i % 5) * 9, y + 6);
  }
  const QColor fur = furs[variant % 6];
  p.setPen(Qt::NoPen);
  p.setBrush(fur);
  p.drawEllipse(QRectF(110, 300, 260, 200));  // body
  p.drawEllipse(QRectF(170, 190, 150, 140));  // head
  const bool lop = variant % 2 == 1;  // a lop-eared breed
  if (lop) {
    p.drawEllipse(QRectF(135, 220, 50, 150));
    p.drawEllipse(QRectF(305, 220, 50, 150));
  } else {
    p.drawEllipse(QRectF(185, 50, 45, 170));
    p.drawEllipse(QRectF(260, 50, 45, 170));
    p.setBrush(QColor(0xe8, 0xa8, 0xa8));
    p.drawEllipse(QRectF(198, 75, 20, 120));
    p.drawEllipse(QRectF(273, 75, 20, 120));
  }
  p.setBrush(Qt::black);
  p.drawEllipse(QRectF(205, 240, 16, 18));
  p.drawEllipse(QRectF(270, 240, 16, 18));
  p.setBrush(QColor(0xd0, 0x80, 0x80));
  p.drawEllipse(QRectF(238, 285, 14, 10));
  p.setBrush(fur.lighter(115));
  p.drawEllipse(QRectF(350, 420, 45, 40));  // tail
  p.end();
  return image;
}

}  // namespace

int writeDemoPictures(engine::Engine& engine) {
  const QString folder = QStringLiteral("Bilder");
  const QString pictureDir = QDir(engine.aliasDirectory()).absoluteFilePath(folder);
  if (!QDir().mkpath(pictureDir)) return 0;
  constexpr int kPhotos = 6;
  QStringList paths;
  for (int i = 0; i < kPhotos; ++i) {
    QImage upright = rabbitPhoto(i);
    // Every second photo is stored turned as a phone stores it; EXIF orientation 6 ("turn 90°
    // clockwise to show") stands it upright again.
    const bool turned = i % 2 == 0;
    const QImage stored = turned ? upright.transformed(QTransform().rotate(-90)) : upright;
    const QByteArray jpeg = card::encodeJpeg(stored, turned ? 6 : 1, 82);
    const QString name = QStringLiteral("Kaninchen%1.jpg").arg(i + 1);
    QFile f(QDir(pictureDir).absoluteFilePath(name));
    if (jpeg.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size()) return 0;
    paths << folder + u'/' + name;  // relative: the links stay valid wherever the program lies
  }

  // The first animals of the own stock get one to three photos each.
  engine::Cursor hasen(engine);
  hasen.setTableName(QStringLiteral("Hasen.db"));
  hasen.open();
  std::vector<qint64> own;
  for (hasen.first(); !hasen.eof() && own.size() < 8; hasen.next())
    if (hasen.field(QStringLiteral("Status")).asInteger() == 1) own.push_back(hasen.field(QStringLiteral("Nummer")).asInteger());

  engine::Cursor bilder(engine);
  bilder.setTableName(QStringLiteral("Bilder.db"));
  bilder.open();
  int links = 0;
  for (size_t a = 0; a < own.size(); ++a) {
    const int count = 1 + static_cast<int>(a % 3);
    for (int k = 0; k < count; ++k) {
      bilder.append();
      bilder.field(QStringLiteral("KatzeNr")).setInteger(own[a]);
      bilder.field(QStringLiteral("Bildpfad")).setString(paths[(a + k) % paths.size()]);
      bilder.field(QStringLiteral("BildMemo1")).setString(k == 0 ? QStringLiteral("Aufnahme im Stall") : QStringLiteral("Aufnahme im Auslauf"));
      bilder.post();
      ++links;
    }
    // The last photo of an animal with three represents it.
    if (count == 3 && hasen.locate(QStringLiteral("Nummer"), {own[a]})) {
      hasen.edit();
      hasen.field(QStringLiteral("Druckbild")).setInteger(3);
      hasen.post();
    }
  }
  bilder.close();
  hasen.close();
  return links;
}

}  // namespace lapiro::installer
