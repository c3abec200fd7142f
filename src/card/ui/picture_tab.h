// The card's tab "Bildergalerie": a strip of thumbnails of the current animal's pictures, the
// selected picture large with its two descriptions, and the choice of the picture that
// represents the animal on the master-data tab and in print. Files are linked, never copied.
#pragma once

#include "card/pictures.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSplitter;

namespace lapiro::shell {
class tsysteminfo;
}

namespace lapiro::card::ui {

// The large view: the picture fitted into the area (or at its own size, centred), with the
// context menu "Auswahl für Druck".
class TGrossbild : public QWidget {
  Q_OBJECT

 public:
  explicit TGrossbild(QWidget* parent = nullptr);
  // Shows the picture file `path`; an empty path or a missing or damaged file hides it.
  void zeige(const QString& path, bool anpassen);
  bool hatBild() const { return !image_.isNull(); }
  const QString& pfad() const { return path_; }
  // Where the picture is drawn now (empty when hidden).
  QRect bildRect() const;

 signals:
  void auswahlFuerDruck();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void decode();
  QString path_;
  bool anpassen_ = true;
  QImage image_;
};

class TBildergalerie : public QWidget {
  Q_OBJECT

 public:
  TBildergalerie(store::TDatenStamm& dm, shell::tsysteminfo& settings, std::function<void(int)> showHelp,
                 QWidget* parent = nullptr);
  ~TBildergalerie() override;

  // The file dialog of "Bi&ld laden" (tests replace it); returns the chosen path or empty.
  std::function<QString()> chooseFile;
  // Called whenever the representative picture's path may have changed.
  std::function<void(const QString& path)> representativeChanged;

  // Builds the strip again from the current animal's pictures and selects the first.
  void rebuild();
  // Selects the picture at 1-based `position` (a thumbnail click).
  void select(int position);
  // The buttons and the context menu.
  void BildLadenClick();
  void BildLoeschenClick();
  void AuswahlFuerDruckClick();
  // Leaving the field "Druck  von Bild".
  void DruckbildExit();
  // The hint of the path label (the current picture's path).
  void setPathHint(const QString& path);

  int count() const { return static_cast<int>(entries_.size()); }
  int selected() const { return selected_; }
  QString positionText() const;
  QLineEdit* druckbildEdit() const { return druckbild_; }
  QPlainTextEdit* memo(int which) const { return which == 1 ? memo1_ : memo2_; }
  QLabel* pathLabel() const { return pfad_; }
  TGrossbild* largeView() const { return gross_; }
  // The thumbnail frame at 1-based `position` (its style marks selection) and its bar.
  QLabel* thumbnail(int position) const;
  QWidget* bar(int position) const;
  bool isThumbnailSelected(int position) const;
  bool isBarShown(int position) const;
  const QString& representativePath() const { return representative_; }
  TBildergalerieDaten& daten() { return daten_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Thumb {
    QLabel* number = nullptr;
    QLabel* frame = nullptr;
    QWidget* bar = nullptr;
  };
  void clearStrip();
  void addThumb(int position, const BildEintrag& entry);
  void markSelected(int position);
  void markRepresentative();
  void showSelected();
  void loadMemos();
  void updateRepresentative();
  void saveMemos();

  store::TDatenStamm& dm_;
  shell::tsysteminfo& settings_;
  std::function<void(int)> showHelp_;
  TBildergalerieDaten daten_;
  std::vector<BildEintrag> entries_;
  std::vector<Thumb> thumbs_;
  int selected_ = 0;
  QString representative_;
  bool dirty_ = true;
  bool building_ = false;
  int hasenListener_ = -1;

  QPushButton* laden_ = nullptr;
  QPushButton* loeschen_ = nullptr;
  QLabel* position_ = nullptr;
  QLineEdit* druckbild_ = nullptr;
  QScrollArea* stripArea_ = nullptr;
  QWidget* strip_ = nullptr;
  QSplitter* splitter_ = nullptr;
  TGrossbild* gross_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QPlainTextEdit* memo2_ = nullptr;
  QLabel* pfad_ = nullptr;
};

}  // namespace lapiro::card::ui
