// Pictures of an animal: the links of the table "Bilder" (files are never copied, only their
// path is stored), the representative picture `Druckbild` of "Hasen", and the decoding of
// picture files into thumbnails and fitted views.
//
// Decoding reads JPEG with the decoder's DCT scaling (a thumbnail of a large photo decodes at
// 1/2, 1/4 or 1/8 of its size), turns the picture upright by its EXIF orientation, and accepts
// PNG and BMP. A missing, unreadable, corrupt or truncated file gives a null image and never a
// message; the gallery then shows placeholderImage(). Nothing here includes QtWidgets.
#pragma once

#include "store/data_module.h"

#include <QCache>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace lapiro::card {

// Margin of a thumbnail inside its frame; the large view and the master-data box have none.
inline constexpr int kThumbMargin = 3;
inline constexpr int kThumbFrame = 73;     // frame edge, pixels
inline constexpr int kThumbPicture = 67;   // room of the picture in the frame
inline constexpr int kThumbSpacing = 85;   // distance of two thumbnails in the strip
inline constexpr int kThumbStart = 10;     // first thumbnail from the left edge
inline constexpr int kHelpBildergalerie = 51;
inline constexpr int kHelpZusatzinfo = 14;
inline constexpr int kMeldungDruckbildUngueltig = 13;

// Where a picture of `picture` size goes in `area` with margin `margin`: scaled by the width
// first, by the height when the scaled height does not fit, then centred. An empty picture or
// area gives an empty rectangle.
QRect fitPicture(QSize picture, QSize area, int margin);

// `Druckbild` after the picture at 1-based `removed` was removed: emptied (0) when it was that
// picture, one less when it came after it, unchanged otherwise.
int druckbildAfterRemoval(int druckbild, int removed);

// The picture file decoded so that it fits into `box` (keeping its proportions, never larger
// than its own size unless `enlarge`), upright by its EXIF orientation. An empty box decodes at
// full size (limited to 8192 pixels on the longer edge so that a huge picture cannot exhaust
// memory). Null for a missing, unreadable or damaged file.
QImage decodePicture(const QString& path, QSize box, bool enlarge = false);

// `image` as JPEG bytes carrying the EXIF orientation `exifOrientation` (1 = upright, 6 = turn
// 90° clockwise to show, 3 = 180°, 8 = 90° counter-clockwise), as a phone camera writes them.
// Empty when the image cannot be encoded.
QByteArray encodeJpeg(const QImage& image, int exifOrientation = 1, int quality = 85);

// The folder the picture file dialog starts in: the user's pictures folder as the XDG user
// directories name it (XDG_PICTURES_DIR in `configHome`/user-dirs.dirs, "$HOME" replaced by
// `home`), whatever its name in the user's language ("Bilder"); when that is not set or does
// not exist, `fallback` when it exists; else `home`.
QString picturesFolder(const QString& home, const QString& configHome, const QString& fallback);

// The image shown for a missing or damaged picture file: a grey square with a crossed frame.
QImage placeholderImage(QSize size);

// Decoded pictures by path, box and the file's size and time, so that building the gallery of
// an animal again does not decode its files again. Holds up to `maxBytes` of pixels.
class TBildCache {
 public:
  explicit TBildCache(qint64 maxBytes = 48ll * 1024 * 1024);
  // decodePicture through the cache; a file changed since it was decoded is decoded anew.
  QImage picture(const QString& path, QSize box, bool enlarge = false);
  void clear() { cache_.clear(); }
  int count() const { return cache_.count(); }

 private:
  QCache<QString, QImage> cache_;
};

// The cache the card's windows share.
TBildCache& pictureCache();

// One picture link of an animal, in entry order.
struct BildEintrag {
  qint64 laufendeNr = 0;
  QString pfad;
  QString memo1, memo2;
};

// The gallery's flows over the data module's cursors "Bilder" (detail of "Hasen") and
// "Hasen" (`Druckbild`). Questions and messages go through store::dialogs(); engine failures
// are shown there and leave the records as they were. Nothing here throws.
class TBildergalerieDaten {
 public:
  explicit TBildergalerieDaten(store::TDatenStamm& dm) : dm_(dm) {}

  // The pictures of the current animal in entry order (empty without an animal); a relative
  // stored path is given as a full path below the data directory.
  std::vector<BildEintrag> bilder();
  // `Druckbild` of the current animal; 0 when empty or without an animal.
  int druckbild();
  // The representative picture's path: the picture at `Druckbild`, or when that is not set
  // the first picture whose file exists; empty when there is none.
  QString druckbildPfad(const std::vector<BildEintrag>& bilder);

  // Makes the picture at 1-based `position` the current "Bilder" record.
  bool waehle(int position);

  enum class Ergebnis { Hinzugefuegt, NichtGefunden, PfadZuLang, KeinBild, Fehler };
  // "Bi&ld laden": appends a link to the existing file `path` and saves it. A file that does
  // not exist shows "Bilddatei nicht gefunden " + name; a path longer than the field `Bildpfad`
  // is refused with a message instead of being stored cut. A file that cannot be decoded as a
  // picture asks "Die Datei ist kein lesbares Bild: … Trotzdem verknüpfen?" ("Nein" the
  // default; "Nein" gives KeinBild and links nothing).
  Ergebnis fuegeHinzu(const QString& path);

  // "B&ild löschen": asks, then deletes the link at `position` (the file stays) and mends
  // `Druckbild`, which is saved at once so that it never points at another picture. Returns
  // true when the link was deleted.
  bool entferne(int position);

  // "Auswahl für Druck" / typing a position: `Druckbild` := position (the animal record goes
  // into editing). Returns false when the record refused the edit.
  bool setzeDruckbild(int position);
  // Leaving the field "Druck  von Bild" with `text`: empty changes nothing; without pictures
  // the field is emptied; a position outside 1..count shows message 13 and sets 0. Returns
  // the position now set (or -1 when nothing changed).
  int druckbildEingabe(const QString& text, int count);

  // The descriptions of the current picture (the record goes into editing and is saved when
  // the picture or the animal changes).
  bool setzeMemo(int which, const QString& text);

 private:
  store::TDatenStamm& dm_;
};

}  // namespace lapiro::card
