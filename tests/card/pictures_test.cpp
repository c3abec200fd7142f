// Pictures of an animal: fitting, decoding (EXIF orientation, damaged and huge files), the
// cache, the gallery's flows over the data module, the weight gains, and the two card tabs.
#include "app/modules.h"
#include "card/pictures.h"
#include "card/ui/animal_card.h"
#include "card/ui/picture_tab.h"
#include "card/ui/weight_tab.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/data_module.h"
#include "store/guarded.h"
#include "store/weight_table.h"
#include "support/scripted_dialogs.h"
#include "support/stock_fixture.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QTableView>
#include <QTest>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace lapiro::card {
namespace {

using test::ScriptedDialogs;

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A landscape test picture: red on the left half, blue on the right.
QImage landscape(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, x < w / 2 ? qRgb(220, 20, 20) : qRgb(20, 20, 220));
  return image;
}

bool reddish(QRgb c) { return qRed(c) > 150 && qBlue(c) < 100; }
bool bluish(QRgb c) { return qBlue(c) > 150 && qRed(c) < 100; }

// ---------------------------------------------------------------- pure rules

TEST(PictureRules, FittingScalesByWidthThenHeightAndCentres) {
  // Wide picture in a square: limited by the width, centred vertically.
  EXPECT_EQ(fitPicture(QSize(600, 400), QSize(73, 73), 3), QRect(3, 14, 67, 45));
  // Tall picture: the scaled height would not fit, so the height decides.
  EXPECT_EQ(fitPicture(QSize(400, 600), QSize(73, 73), 3), QRect(14, 3, 45, 67));
  // A small picture is enlarged to the area.
  EXPECT_EQ(fitPicture(QSize(10, 10), QSize(200, 100), 0), QRect(50, 0, 100, 100));
  EXPECT_TRUE(fitPicture(QSize(), QSize(73, 73), 3).isEmpty());
  EXPECT_TRUE(fitPicture(QSize(10, 10), QSize(4, 4), 3).isEmpty());
}

TEST(PictureRules, RepresentativePositionAfterARemoval) {
  EXPECT_EQ(druckbildAfterRemoval(3, 2), 2);  // came after the removed one
  EXPECT_EQ(druckbildAfterRemoval(3, 3), 0);  // was the removed one
  EXPECT_EQ(druckbildAfterRemoval(2, 3), 2);  // came before it
  EXPECT_EQ(druckbildAfterRemoval(0, 1), 0);  // none
}

TEST(WeightGains, DifferenceToThePreviousRowAndMeanGainSinceTheFirst) {
  const auto g = store::gewichtszuwaechse({1000, 1300, 1450});
  ASSERT_EQ(g.size(), 3u);
  EXPECT_DOUBLE_EQ(g[0].differenz, 0);
  EXPECT_DOUBLE_EQ(g[1].differenz, 300);
  EXPECT_DOUBLE_EQ(g[2].differenz, 150);
  EXPECT_DOUBLE_EQ(g[0].mittelwert, 0);
  EXPECT_DOUBLE_EQ(g[1].mittelwert, 300);
  EXPECT_DOUBLE_EQ(g[2].mittelwert, 225);
  EXPECT_TRUE(store::gewichtszuwaechse({}).empty());
}

// ---------------------------------------------------------------- decoding

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    pictureCache().clear();
    // The decoder's warnings about the damaged files below are expected.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false"));
  }
  QString file(const QString& name) const { return dir.file(name); }
  test::TempDir dir;
};

TEST_F(PictureFiles, ExifOrientationStandsAPhonePhotoUpright) {
  // Stored landscape, red left; orientation 6 means "turn 90° clockwise to show": the shown
  // picture is portrait with red on top.
  ASSERT_TRUE(writeFile(file(QStringLiteral("phone.jpg")), encodeJpeg(landscape(600, 400), 6)));
  const QImage shown = decodePicture(file(QStringLiteral("phone.jpg")), QSize(67, 67));
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.width(), 44);
  EXPECT_EQ(shown.height(), 67);
  EXPECT_TRUE(reddish(shown.pixel(22, 5)));
  EXPECT_TRUE(bluish(shown.pixel(22, 60)));

  ASSERT_TRUE(writeFile(file(QStringLiteral("plain.jpg")), encodeJpeg(landscape(600, 400), 1)));
  const QImage plain = decodePicture(file(QStringLiteral("plain.jpg")), QSize(67, 67));
  EXPECT_EQ(plain.size(), QSize(67, 44));
  EXPECT_TRUE(reddish(plain.pixel(5, 22)));
}

TEST_F(PictureFiles, PngIsAcceptedAndNeverEnlargedUnlessAsked) {
  ASSERT_TRUE(landscape(40, 20).save(file(QStringLiteral("small.png"))));
  EXPECT_EQ(decodePicture(file(QStringLiteral("small.png")), QSize(400, 400)).size(), QSize(40, 20));
  EXPECT_EQ(decodePicture(file(QStringLiteral("small.png")), QSize(400, 400), true).size(), QSize(400, 200));
}

TEST_F(PictureFiles, MissingTruncatedAndScrambledFilesGiveNoPicture) {
  EXPECT_TRUE(decodePicture(file(QStringLiteral("nowhere.jpg")), QSize(67, 67)).isNull());
  const QByteArray jpeg = encodeJpeg(landscape(300, 200));
  ASSERT_TRUE(writeFile(file(QStringLiteral("half.jpg")), jpeg.left(jpeg.size() / 2)));
  EXPECT_TRUE(decodePicture(file(QStringLiteral("half.jpg")), QSize(67, 67)).isNull());
  ASSERT_TRUE(writeFile(file(QStringLiteral("head.jpg")), jpeg.left(40)));
  EXPECT_TRUE(decodePicture(file(QStringLiteral("head.jpg")), QSize(67, 67)).isNull());
  ASSERT_TRUE(writeFile(file(QStringLiteral("text.jpg")), QByteArrayLiteral("kein Bild, nur Text")));
  EXPECT_TRUE(decodePicture(file(QStringLiteral("text.jpg")), QSize(67, 67)).isNull());
  // Flipped bits anywhere must never crash the decoder; the result may be a picture or none.
  for (int i = 0; i < 200; ++i) {
    QByteArray damaged = jpeg;
    const int at = (i * 7919) % damaged.size();
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (i % 8)));
    ASSERT_TRUE(writeFile(file(QStringLiteral("flip.jpg")), damaged));
    const QImage image = decodePicture(file(QStringLiteral("flip.jpg")), QSize(67, 67));
    if (!image.isNull()) {
      EXPECT_LE(image.width(), 67);
    }
  }
  EXPECT_EQ(placeholderImage(QSize(67, 67)).size(), QSize(67, 67));
}

TEST_F(PictureFiles, AHugePictureIsDecodedScaledDown) {
  QImage huge(10000, 10000, QImage::Format_Grayscale8);
  huge.fill(128);
  QByteArray jpeg = encodeJpeg(huge, 1, 50);
  huge = QImage();
  ASSERT_TRUE(writeFile(file(QStringLiteral("huge.jpg")), jpeg));
  jpeg.clear();
  const QImage thumb = decodePicture(file(QStringLiteral("huge.jpg")), QSize(67, 67));
  EXPECT_EQ(thumb.size(), QSize(67, 67));
  // Without a box the longer edge is limited.
  EXPECT_LE(decodePicture(file(QStringLiteral("huge.jpg")), QSize()).width(), 8192);
}

TEST_F(PictureFiles, CacheDecodesOnceAndNoticesAChangedFile) {
  const QString path = file(QStringLiteral("c.png"));
  ASSERT_TRUE(landscape(100, 50).save(path));
  TBildCache cache;
  EXPECT_EQ(cache.picture(path, QSize(67, 67)).size(), QSize(67, 33));
  EXPECT_EQ(cache.count(), 1);
  EXPECT_EQ(cache.picture(path, QSize(67, 67)).size(), QSize(67, 33));
  EXPECT_EQ(cache.count(), 1);
  ASSERT_TRUE(landscape(50, 100).save(path));
  QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
  EXPECT_EQ(cache.picture(path, QSize(67, 67)).size(), QSize(33, 67));
  EXPECT_TRUE(cache.picture(file(QStringLiteral("gone.png")), QSize(67, 67)).isNull());
}

// ---------------------------------------------------------------- gallery over the data module

class GalleryTest : public ::testing::Test {
 protected:
  GalleryTest() : stock({11, 13, 15, 29, 122, 131}) {}
  void SetUp() override {
    pictureCache().clear();
    settings.System.Speichern = true;
    animal = stock.animal(QStringLiteral("B1"), QStringLiteral("1.05.1"), {{QStringLiteral("Geschlecht"), QStringLiteral("1")}});
    for (int i = 1; i <= 3; ++i) {
      paths << dir.file(QStringLiteral("bild%1.jpg").arg(i));
      ASSERT_TRUE(writeFile(paths.back(), encodeJpeg(landscape(120 + i, 80))));
    }
  }
  void TearDown() override {
    card.reset();
    module.reset();
  }
  void open() {
    module = std::make_unique<store::TDatenStamm>(stock.engine, settings);
    module->open();
    ASSERT_TRUE(module->gotoAnimal(animal));
  }
  void link(const QString& path) {
    stock.add(QStringLiteral("Bilder.db"), {{QStringLiteral("KatzeNr"), animal}, {QStringLiteral("Bildpfad"), path}});
  }
  void setDruckbild(int d) {
    engine::Cursor h(stock.engine);
    h.setTableName(QStringLiteral("Hasen.db"));
    h.open();
    ASSERT_TRUE(h.locate(QStringLiteral("Nummer"), {animal}));
    h.edit();
    h.field(QStringLiteral("Druckbild")).setInteger(d);
    h.post();
  }
  QVariant storedDruckbild() { return stock.stored(QStringLiteral("Hasen.db"), animal, QStringLiteral("Druckbild")); }
  ui::TLapiroStamm& openCard() {
    open();
    card = std::make_unique<ui::TLapiroStamm>(*module, settings, ui::CardServices{}, app::featureCardPages());
    card->resize(1000, 700);
    return *card;
  }

  test::StockDirectory stock;
  test::TempDir dir;
  shell::tsysteminfo settings;
  qint64 animal = 0;
  QStringList paths;
  std::unique_ptr<store::TDatenStamm> module;
  std::unique_ptr<ui::TLapiroStamm> card;
};

TEST_F(GalleryTest, RemovingAPictureBeforeTheRepresentativeOneMovesItsPosition) {
  for (const QString& p : paths) link(p);
  setDruckbild(3);
  open();
  TBildergalerieDaten g(*module);
  ASSERT_EQ(g.bilder().size(), 3u);
  EXPECT_EQ(g.druckbildPfad(g.bilder()), paths[2]);
  ScriptedDialogs dialogs;
  dialogs.yes();
  ASSERT_TRUE(g.entferne(2));
  EXPECT_EQ(storedDruckbild().toInt(), 2);
  EXPECT_EQ(g.bilder().size(), 2u);
  EXPECT_EQ(g.druckbildPfad(g.bilder()), paths[2]);
  EXPECT_TRUE(QFile::exists(paths[1]));  // the file itself stays
}

// The gallery's steps report engine failures the one shared way: a damaged table is named
// once however often the user steps on, not once per step.
TEST_F(GalleryTest, ADamagedPictureTableIsNamedOnceHoweverOftenTheGalleryStepsOnIt) {
  for (int i = 0; i < 80; ++i) link(paths[i % paths.size()]);
  open();
  TBildergalerieDaten g(*module);
  ASSERT_TRUE(g.waehle(2));
  // Garbage over the table's pages, and a new change counter, so the connection reads them anew.
  QFile file(QDir(stock.dir.path()).filePath(QStringLiteral("Bilder.db")));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QByteArray header = file.read(100);
  const int pageSize = (quint8(header[16]) << 8) | quint8(header[17]);
  ASSERT_GT(file.size(), 2 * pageSize);
  ASSERT_TRUE(file.seek(24));
  file.write(QByteArray(4, '\x5a'));
  ASSERT_TRUE(file.seek(pageSize));
  file.write(QByteArray(static_cast<int>(file.size() - pageSize), '\xA5'));
  file.close();

  store::forgetReportedDamage();
  ScriptedDialogs dialogs;
  EXPECT_FALSE(g.waehle(3));
  EXPECT_FALSE(g.waehle(2));
  EXPECT_FALSE(g.waehle(3));
  ASSERT_EQ(dialogs.shown().size(), 1u) << dialogs.texts().join(u'\n').toStdString();
  EXPECT_EQ(dialogs.shown()[0].kind, store::DialogKind::Error);
  store::forgetReportedDamage();
}

TEST_F(GalleryTest, RemovingTheRepresentativePictureEmptiesItAndNoKeepsTheLink) {
  for (const QString& p : paths) link(p);
  setDruckbild(3);
  open();
  TBildergalerieDaten g(*module);
  ScriptedDialogs dialogs;
  dialogs.no();
  EXPECT_FALSE(g.entferne(3));
  EXPECT_EQ(g.bilder().size(), 3u);
  dialogs.yes();
  ASSERT_TRUE(g.entferne(3));
  EXPECT_FALSE(storedDruckbild().isValid() && storedDruckbild().toInt() != 0);
  // Without a representative picture the first existing file represents the animal.
  EXPECT_EQ(g.druckbildPfad(g.bilder()), paths[0]);
}

TEST_F(GalleryTest, AddingChecksTheFileAndRefusesAPathLongerThanTheField) {
  open();
  TBildergalerieDaten g(*module);
  ScriptedDialogs dialogs;
  EXPECT_EQ(g.fuegeHinzu(dir.file(QStringLiteral("fehlt.jpg"))), TBildergalerieDaten::Ergebnis::NichtGefunden);
  EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("Bilddatei nicht gefunden ")));

  QString deep = dir.path();
  while (deep.size() <= 150) deep += QStringLiteral("/unterordner");
  ASSERT_TRUE(QDir().mkpath(deep));
  const QString longPath = deep + QStringLiteral("/bild.jpg");
  ASSERT_TRUE(writeFile(longPath, encodeJpeg(landscape(20, 20))));
  EXPECT_EQ(g.fuegeHinzu(longPath), TBildergalerieDaten::Ergebnis::PfadZuLang);
  EXPECT_TRUE(dialogs.texts().last().contains(QStringLiteral("höchstens 150")));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Bilder.db")), 0);  // never stored cut

  EXPECT_EQ(g.fuegeHinzu(paths[0]), TBildergalerieDaten::Ergebnis::Hinzugefuegt);
  ASSERT_EQ(g.bilder().size(), 1u);
  EXPECT_EQ(g.bilder()[0].pfad, paths[0]);
}

// A file that is no picture (a damaged JPEG) is named as such before it is linked; "Nein",
// the default, links nothing.
TEST_F(GalleryTest, AnUnreadablePictureIsLinkedOnlyAfterAsking) {
  open();
  TBildergalerieDaten g(*module);
  ScriptedDialogs dialogs;
  const QString broken = dir.file(QStringLiteral("kaputt.jpg"));
  QByteArray bytes = encodeJpeg(landscape(40, 30));
  bytes = bytes.left(2) + QByteArray(200, 'x');  // the start of a JPEG, then garbage
  ASSERT_TRUE(writeFile(broken, bytes));
  dialogs.no();
  EXPECT_EQ(g.fuegeHinzu(broken), TBildergalerieDaten::Ergebnis::KeinBild);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].text.startsWith(QStringLiteral("Die Datei ist kein lesbares Bild")));
  EXPECT_EQ(dialogs.shown()[0].buttons, store::DialogButtons::YesNoDefaultNo);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Bilder.db")), 0);
  dialogs.yes();
  EXPECT_EQ(g.fuegeHinzu(broken), TBildergalerieDaten::Ergebnis::Hinzugefuegt);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Bilder.db")), 1);
  // A readable picture is linked without a question.
  const auto asked = dialogs.shown().size();
  EXPECT_EQ(g.fuegeHinzu(paths[0]), TBildergalerieDaten::Ergebnis::Hinzugefuegt);
  EXPECT_EQ(dialogs.shown().size(), asked);
}

TEST(PicturesFolder, TheXdgPicturesFolderWhateverItsNameElseTheFallbackElseHome) {
  test::TempDir home;
  const QString config = home.file(QStringLiteral(".config"));
  ASSERT_TRUE(QDir().mkpath(config));
  ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Bilder"))));
  ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Pictures"))));
  // Without user-dirs.dirs: the fallback when it exists, else the home folder.
  EXPECT_EQ(picturesFolder(home.path(), config, home.file(QStringLiteral("Pictures"))), home.file(QStringLiteral("Pictures")));
  EXPECT_EQ(picturesFolder(home.path(), config, home.file(QStringLiteral("Fotos"))), home.path());
  QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
  ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
  dirs.write("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
             "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  dirs.close();
  EXPECT_EQ(picturesFolder(home.path(), config, home.file(QStringLiteral("Pictures"))), home.file(QStringLiteral("Bilder")));
  // A named folder that does not exist is not offered.
  ASSERT_TRUE(QDir(home.file(QStringLiteral("Bilder"))).removeRecursively());
  EXPECT_EQ(picturesFolder(home.path(), config, home.file(QStringLiteral("Pictures"))), home.file(QStringLiteral("Pictures")));
}

TEST_F(GalleryTest, ARelativePathLiesBelowTheDataDirectory) {
  ASSERT_TRUE(QDir(stock.dir.path()).mkpath(QStringLiteral("Bilder")));
  ASSERT_TRUE(writeFile(stock.dir.file(QStringLiteral("Bilder/k.jpg")), encodeJpeg(landscape(30, 20))));
  link(QStringLiteral("Bilder/k.jpg"));
  open();
  TBildergalerieDaten g(*module);
  ASSERT_EQ(g.bilder().size(), 1u);
  EXPECT_EQ(g.bilder()[0].pfad, QDir::cleanPath(stock.dir.file(QStringLiteral("Bilder/k.jpg"))));
  EXPECT_EQ(g.druckbildPfad(g.bilder()), g.bilder()[0].pfad);
}

TEST_F(GalleryTest, TypedRepresentativePositionIsCheckedAgainstTheCount) {
  for (const QString& p : paths) link(p);
  open();
  TBildergalerieDaten g(*module);
  ScriptedDialogs dialogs;
  EXPECT_EQ(g.druckbildEingabe(QString(), 3), -1);
  EXPECT_EQ(g.druckbildEingabe(QStringLiteral("2"), 3), 2);
  EXPECT_EQ(g.druckbild(), 2);
  EXPECT_EQ(g.druckbildEingabe(QStringLiteral("4"), 3), 0);
  EXPECT_EQ(dialogs.texts().last(), test::StockDirectory::message(13));
  EXPECT_EQ(g.druckbild(), 0);
  EXPECT_EQ(g.druckbildEingabe(QStringLiteral("1"), 0), 0);
}

TEST_F(GalleryTest, TabShowsThumbnailsSelectionRepresentativeAndAMovedFile) {
  for (const QString& p : paths) link(p);
  setDruckbild(3);
  ASSERT_TRUE(QFile::rename(paths[1], dir.file(QStringLiteral("woanders.jpg"))));  // picture 2 moved
  ui::TLapiroStamm& c = openCard();
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabBilder);
  ui::TBildergalerie* g = c.gallery();
  ASSERT_EQ(g->count(), 3);
  EXPECT_EQ(g->positionText(), QStringLiteral("Bild 1 von 3"));
  EXPECT_TRUE(g->isThumbnailSelected(1));
  EXPECT_TRUE(g->isBarShown(3));
  EXPECT_FALSE(g->isBarShown(1));
  EXPECT_TRUE(g->largeView()->hatBild());
  EXPECT_EQ(c.representativePicture(), paths[2]);
  EXPECT_FALSE(c.pictureBox()->pixmap().isNull());

  // The moved picture keeps its place with the placeholder and is not shown large.
  ASSERT_FALSE(g->thumbnail(2)->pixmap().isNull());
  g->select(2);
  EXPECT_EQ(g->positionText(), QStringLiteral("Bild 2 von 3"));
  EXPECT_TRUE(g->isThumbnailSelected(2));
  EXPECT_FALSE(g->isThumbnailSelected(1));
  EXPECT_FALSE(g->largeView()->hatBild());
  EXPECT_EQ(g->pathLabel()->text(), paths[1]);

  // "Auswahl für Druck" on picture 1.
  g->select(1);
  g->AuswahlFuerDruckClick();
  EXPECT_TRUE(g->isBarShown(1));
  EXPECT_EQ(c.representativePicture(), paths[0]);
  EXPECT_EQ(module->Hasen().field(QStringLiteral("Druckbild")).asInteger(), 1);

  // Removing the last picture selects the new last one.
  ScriptedDialogs dialogs;
  dialogs.yes();
  g->select(3);
  g->BildLoeschenClick();
  EXPECT_EQ(g->count(), 2);
  EXPECT_EQ(g->selected(), 2);
  EXPECT_EQ(g->positionText(), QStringLiteral("Bild 2 von 2"));
}

TEST_F(GalleryTest, TypingAPositionOutsideTheCountClearsTheRepresentativePicture) {
  for (const QString& p : paths) link(p);
  setDruckbild(2);
  ui::TLapiroStamm& c = openCard();
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabBilder);
  ui::TBildergalerie* g = c.gallery();
  EXPECT_EQ(g->druckbildEdit()->text(), QStringLiteral("2"));
  ScriptedDialogs dialogs;
  g->druckbildEdit()->setText(QStringLiteral("7"));
  g->DruckbildExit();
  EXPECT_EQ(dialogs.texts(), QStringList{test::StockDirectory::message(13)});
  EXPECT_FALSE(g->isBarShown(2));
  EXPECT_EQ(g->druckbildEdit()->text(), QString());
  // Without a representative picture the first existing file represents the animal.
  EXPECT_EQ(c.representativePicture(), paths[0]);
}

TEST(LargeView, FitsOnlyWhenAskedAndOtherwiseCentresAtItsOwnSize) {
  test::TempDir dir;
  const QString path = dir.file(QStringLiteral("g.png"));
  ASSERT_TRUE(landscape(100, 50).save(path));
  pictureCache().clear();
  ui::TGrossbild view;
  view.resize(400, 400);
  view.zeige(path, true);
  EXPECT_EQ(view.bildRect(), QRect(0, 100, 400, 200));
  view.zeige(path, false);
  EXPECT_EQ(view.bildRect(), QRect(150, 175, 100, 50));
  view.zeige(dir.file(QStringLiteral("weg.png")), true);
  EXPECT_FALSE(view.hatBild());
}

TEST_F(GalleryTest, MasterDataPictureFollowsTheCurrentAnimal) {
  link(paths[0]);
  const qint64 other = stock.animal(QStringLiteral("B2"), QStringLiteral("1.05.2"));
  ui::TLapiroStamm& c = openCard();
  EXPECT_EQ(c.representativePicture(), paths[0]);
  ASSERT_TRUE(module->gotoAnimal(other));
  EXPECT_EQ(c.pictureBox()->text(), QStringLiteral("kein Bild"));
  ASSERT_TRUE(module->gotoAnimal(animal));
  EXPECT_EQ(c.representativePicture(), paths[0]);
  EXPECT_FALSE(c.pictureBox()->pixmap().isNull());
}

TEST_F(GalleryTest, AnimalWithoutPicturesShowsNoPictureOnTheMasterData) {
  ui::TLapiroStamm& c = openCard();
  EXPECT_EQ(c.pictureBox()->text(), QStringLiteral("kein Bild"));
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabBilder);
  EXPECT_EQ(c.gallery()->positionText(), QStringLiteral("Bild 0 von 0"));
  EXPECT_FALSE(c.gallery()->largeView()->hatBild());
  // "Bi&ld laden" with a chosen file adds it at the end and it represents the animal.
  c.gallery()->chooseFile = [this] { return paths[0]; };
  c.gallery()->BildLadenClick();
  EXPECT_EQ(c.gallery()->count(), 1);
  EXPECT_EQ(c.gallery()->positionText(), QStringLiteral("Bild 1 von 1"));
  EXPECT_EQ(c.representativePicture(), paths[0]);
}

// ---------------------------------------------------------------- weights over the data module

TEST_F(GalleryTest, WeightRowsCarryTheirGainsInEntryOrder) {
  // Entered out of date order: the gains follow the entry order as the card lists it.
  open();  // creates the weight table
  for (auto [d, w] : {std::pair{QDate(2024, 3, 1), 1000.0}, std::pair{QDate(2024, 2, 1), 1300.0},
                      std::pair{QDate(2024, 4, 1), 1450.0}})
    stock.add(QStringLiteral("Gewichtstabelle.DB"),
              {{QStringLiteral("Hase"), animal}, {QStringLiteral("Datum"), d}, {QStringLiteral("Gewicht"), w}});
  ASSERT_TRUE(module->gotoAnimal(animal));
  engine::Cursor& g = module->at(QStringLiteral("Gewichtstabelle"));
  ASSERT_EQ(g.recordCount(), 3);
  const auto rows = g.readRows(0, 3);
  const int d = g.fieldIndex(QStringLiteral("Differenz")), m = g.fieldIndex(QStringLiteral("Mittelwert"));
  EXPECT_DOUBLE_EQ(rows[0][d].toDouble(), 0);
  EXPECT_DOUBLE_EQ(rows[1][d].toDouble(), 300);
  EXPECT_DOUBLE_EQ(rows[2][d].toDouble(), 150);
  EXPECT_DOUBLE_EQ(rows[1][m].toDouble(), 300);
  EXPECT_DOUBLE_EQ(rows[2][m].toDouble(), 225);
  g.first();
  EXPECT_DOUBLE_EQ(g.field(QStringLiteral("Mittelwert")).asFloat(), 0);
}

TEST_F(GalleryTest, WeightGridSavesWithTheQuestionAndDeletesWithMessage15) {
  settings.System.Speichern = false;
  ui::TLapiroStamm& c = openCard();
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabZusatzinfo);
  ui::TGewichtModel* model = c.additionalInfo()->model();
  ScriptedDialogs dialogs;
  dialogs.no();
  model->setData(model->index(0, 1), QStringLiteral("1000"));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 0);  // "Nein" cancels
  dialogs.yes().yes();
  model->setData(model->index(0, 1), QStringLiteral("1000"));
  model->setData(model->index(1, 1), QStringLiteral("1300"));
  ASSERT_EQ(model->storedRows(), 2);
  EXPECT_EQ(model->data(model->index(1, 2)).toString(), QStringLiteral("300"));
  EXPECT_EQ(model->data(model->index(0, 0)).toString(), module->today().toString(QStringLiteral("dd.MM.yyyy")));
  EXPECT_TRUE(c.additionalInfo()->deleteButton()->isEnabled());
  dialogs.yes();
  EXPECT_TRUE(model->deleteRow(0));
  EXPECT_EQ(dialogs.shown().back().text, test::StockDirectory::message(15));
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 1);
  EXPECT_TRUE(dialogs.allAnswersUsed());
}

QStringList& qtWarnings() {
  static QStringList warnings;
  return warnings;
}
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtWarningMsg) qtWarnings() << text;
}

// Typed into the grid as a user does: the save inside the cell's commit keeps the grid's
// editor (a reset there made Qt warn "commitData/closeEditor called with an editor that does
// not belong to this view"), and the next row is offered at once.
TEST_F(GalleryTest, WeightsTypedIntoTheGridKeepTheEditorAndOfferTheNextRow) {
  ui::TLapiroStamm& c = openCard();
  c.resize(1100, 760);
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabZusatzinfo);
  QApplication::processEvents();
  ScriptedDialogs dialogs;
  QTableView* grid = c.additionalInfo()->grid();
  ui::TGewichtModel* model = c.additionalInfo()->model();
  qtWarnings().clear();
  const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
  for (const char16_t* weight : {u"1000", u"1250,5"}) {
    const QModelIndex cell = model->index(model->storedRows(), 1);
    grid->setFocus();
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    QApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && editor != grid);
    QTest::keyClicks(editor, QString::fromUtf16(weight));
    QTest::keyClick(editor, Qt::Key_Tab);  // leaving the cell commits it as Enter does
    QApplication::processEvents();
  }
  qInstallMessageHandler(previous);
  for (const QString& w : qtWarnings()) EXPECT_FALSE(w.contains(QStringLiteral("does not belong to this view"))) << w.toStdString();
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 2);
  ASSERT_EQ(model->rowCount(), 3);
  EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("1250,5"));
  EXPECT_TRUE(model->data(model->index(1, 2)).toString().startsWith(QStringLiteral("25")));
}

TEST_F(GalleryTest, ClosingTheTablesKeepsAWeighingBeingEntered) {
  open();
  engine::Cursor& g = module->at(QStringLiteral("Gewichtstabelle"));
  g.append();
  g.field(QStringLiteral("Datum")).setDate(QDate(2024, 5, 1));
  g.field(QStringLiteral("Gewicht")).setFloat(1234);
  module->close();
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 1);
}

TEST_F(GalleryTest, ANewRowWaitsForItsWeightAndUndoDropsIt) {
  ui::TLapiroStamm& c = openCard();
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabZusatzinfo);
  ui::TZusatzinfoSeite* page = c.additionalInfo();
  ui::TGewichtModel* model = page->model();
  EXPECT_FALSE(page->undoButton()->isEnabled());
  EXPECT_FALSE(page->deleteButton()->isEnabled());
  model->setData(model->index(0, 0), QStringLiteral("01.05.2024"));
  EXPECT_TRUE(page->undoButton()->isEnabled());
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 0);
  page->RueckgaengigClick();
  EXPECT_FALSE(page->undoButton()->isEnabled());
  EXPECT_EQ(model->storedRows(), 0);
  EXPECT_EQ(stock.rowCount(QStringLiteral("Gewichtstabelle.DB")), 0);
}

TEST_F(GalleryTest, SaleAndDeathDatesAreWrittenToTheTradeRecord) {
  ui::TLapiroStamm& c = openCard();
  c.show();
  c.tabs()->setCurrentIndex(ui::TLapiroStamm::TabZusatzinfo);
  ui::TZusatzinfoSeite* page = c.additionalInfo();
  page->box(QStringLiteral("Verkauftam"))->setText(QStringLiteral("01.05.2024"));
  ASSERT_TRUE(page->boxLeft(QStringLiteral("Verkauftam")));
  page->box(QStringLiteral("Preisverkauft"))->setText(QStringLiteral("25,50"));
  ASSERT_TRUE(page->boxLeft(QStringLiteral("Preisverkauft")));
  ASSERT_EQ(stock.rowCount(QStringLiteral("VERKAUFT.db")), 1);
  engine::Cursor& v = module->at(QStringLiteral("Verkauft"));
  EXPECT_EQ(v.field(QStringLiteral("Verkauftam")).asDate(), QDate(2024, 5, 1));
  EXPECT_EQ(v.field(QStringLiteral("Preisverkauft")).asString(), QStringLiteral("25,50"));
  EXPECT_EQ(v.field(QStringLiteral("Katze")).asInteger(), animal);
  // A text that is no date is refused with the engine's message and the box shows the record.
  ScriptedDialogs dialogs;
  page->box(QStringLiteral("Gestorbenam"))->setText(QStringLiteral("gestern"));
  EXPECT_FALSE(page->boxLeft(QStringLiteral("Gestorbenam")));
  EXPECT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(page->box(QStringLiteral("Gestorbenam"))->text(), QString());
}

}  // namespace
}  // namespace lapiro::card
