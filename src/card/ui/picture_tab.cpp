#include "card/ui/picture_tab.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/data_module.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace lapiro::card::ui {

namespace {

const QString kFrameNormal = QStringLiteral("QLabel { border: 2px solid #9a9a9a; background: white; }");
const QString kFrameSelected = QStringLiteral("QLabel { border: 2px solid red; background: white; }");
constexpr int kStripHeight = 100;

}  // namespace

// ---------------------------------------------------------------- large view

TGrossbild::TGrossbild(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ImageGross"));
  setMinimumSize(80, 60);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TGrossbild::zeige(const QString& path, bool anpassen) {
  path_ = path;
  anpassen_ = anpassen;
  decode();
  update();
}

void TGrossbild::decode() {
  if (path_.isEmpty()) {
    image_ = QImage();
    return;
  }
  // Fitted: decoded at the area's size (a large photo is scaled while it is decoded);
  // otherwise at its own size.
  image_ = anpassen_ ? pictureCache().picture(path_, size(), true) : pictureCache().picture(path_, QSize());
}

QRect TGrossbild::bildRect() const {
  if (image_.isNull()) return {};
  if (anpassen_) return fitPicture(image_.size(), size(), 0);
  return QRect((width() - image_.width()) / 2, (height() - image_.height()) / 2, image_.width(), image_.height());
}

void TGrossbild::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;  // hidden: the file is missing or damaged
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(bildRect(), image_);
}

void TGrossbild::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (anpassen_ && !path_.isEmpty()) decode();
}

void TGrossbild::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* a = menu.addAction(QStringLiteral("Auswahl für Druck"));
  if (menu.exec(event->globalPos()) == a) emit auswahlFuerDruck();
}

// ---------------------------------------------------------------- gallery

TBildergalerie::TBildergalerie(store::TDatenStamm& dm, shell::tsysteminfo& settings, std::function<void(int)> showHelp,
                               QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), showHelp_(std::move(showHelp)), daten_(dm) {
  setObjectName(QStringLiteral("TabSheetBildergalerie"));

  laden_ = new QPushButton(QStringLiteral("Bi&ld laden"), this);
  laden_->setObjectName(QStringLiteral("BitBtnBildLaden"));
  laden_->setToolTip(QStringLiteral("Bild in das Programm laden"));
  loeschen_ = new QPushButton(QStringLiteral("B&ild löschen"), this);
  loeschen_->setObjectName(QStringLiteral("BitBtnBildLoeschen"));
  loeschen_->setToolTip(QStringLiteral("Bild aus Programm entfernen"));
  auto* hilfe = new QPushButton(QStringLiteral("Hilfe"), this);
  hilfe->setObjectName(QStringLiteral("BitBtnHilfe"));
  position_ = new QLabel(QStringLiteral("Bild 0 von 0"), this);
  position_->setObjectName(QStringLiteral("LabelBildNr"));
  druckbild_ = new QLineEdit(this);
  druckbild_->setObjectName(QStringLiteral("DBEditDruckbild"));
  druckbild_->setMaximumWidth(50);
  druckbild_->setMaxLength(4);
  auto* druckLabel = new QLabel(QStringLiteral("Druck  von Bild"), this);
  druckLabel->setBuddy(druckbild_);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(laden_);
  buttons->addWidget(loeschen_);
  buttons->addSpacing(16);
  buttons->addWidget(position_);
  buttons->addStretch(1);
  buttons->addWidget(druckLabel);
  buttons->addWidget(druckbild_);
  buttons->addSpacing(16);
  buttons->addWidget(hilfe);

  strip_ = new QWidget;
  strip_->setObjectName(QStringLiteral("ScrollBoxBilder"));
  strip_->setFixedHeight(kStripHeight - 6);
  stripArea_ = new QScrollArea(this);
  stripArea_->setWidget(strip_);
  stripArea_->setWidgetResizable(false);
  stripArea_->setFixedHeight(kStripHeight + 4);
  stripArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  gross_ = new TGrossbild;
  memo1_ = new QPlainTextEdit;
  memo1_->setObjectName(QStringLiteral("DBMemoBild1"));
  memo2_ = new QPlainTextEdit;
  memo2_->setObjectName(QStringLiteral("DBMemoBild2"));
  memo1_->installEventFilter(this);
  memo2_->installEventFilter(this);
  auto* memos = new QWidget;
  auto* memoLayout = new QVBoxLayout(memos);
  memoLayout->setContentsMargins(0, 0, 0, 0);
  memoLayout->addWidget(new QLabel(QStringLiteral("Beschreibung"), memos));
  memoLayout->addWidget(memo1_, 1);  // the two memos share the height equally
  memoLayout->addWidget(memo2_, 1);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->addWidget(gross_);
  splitter_->addWidget(memos);
  splitter_->setStretchFactor(0, 3);
  splitter_->setStretchFactor(1, 1);

  pfad_ = new QLabel(this);
  pfad_->setObjectName(QStringLiteral("LabelBildpfad"));
  pfad_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(buttons);
  layout->addWidget(stripArea_);
  layout->addWidget(splitter_, 1);
  layout->addWidget(pfad_);

  connect(laden_, &QPushButton::clicked, this, [this] { BildLadenClick(); });
  connect(loeschen_, &QPushButton::clicked, this, [this] { BildLoeschenClick(); });
  connect(hilfe, &QPushButton::clicked, this, [this] {
    if (showHelp_) showHelp_(kHelpBildergalerie);
  });
  connect(druckbild_, &QLineEdit::editingFinished, this, [this] { DruckbildExit(); });
  connect(gross_, &TGrossbild::auswahlFuerDruck, this, [this] { AuswahlFuerDruckClick(); });

  chooseFile = [this] {
    // The user's pictures folder by its XDG name, never an English "Pictures" that may not exist.
    const QString home = QDir::homePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = home + QStringLiteral("/.config");
    const QString start =
        picturesFolder(home, config, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    return QFileDialog::getOpenFileName(this, QStringLiteral("Bild laden"), start,
                                        QStringLiteral("JPEG (*.jpg *.jpeg);;PNG (*.png);;Bitmap (*.bmp)"));
  };

  // Another animal: the strip is built again now when it is seen, else when it is shown.
  hasenListener_ = dm_.Hasen().addListener([this](engine::Notification n) {
    switch (n) {
      case engine::Notification::Destroyed:
        hasenListener_ = -1;
        break;
      case engine::Notification::Scrolled:
      case engine::Notification::Reset:
      case engine::Notification::Opened:
        dirty_ = true;
        if (isVisible() && !building_) rebuild();
        break;
      default:
        break;
    }
  });
}

TBildergalerie::~TBildergalerie() {
  if (hasenListener_ >= 0) dm_.Hasen().removeListener(hasenListener_);
}

void TBildergalerie::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (dirty_) rebuild();
}

QString TBildergalerie::positionText() const { return position_->text(); }

QLabel* TBildergalerie::thumbnail(int position) const {
  return position >= 1 && position <= static_cast<int>(thumbs_.size()) ? thumbs_[position - 1].frame : nullptr;
}

QWidget* TBildergalerie::bar(int position) const {
  return position >= 1 && position <= static_cast<int>(thumbs_.size()) ? thumbs_[position - 1].bar : nullptr;
}

bool TBildergalerie::isThumbnailSelected(int position) const {
  const QLabel* t = thumbnail(position);
  return t && t->styleSheet() == kFrameSelected;
}

bool TBildergalerie::isBarShown(int position) const {
  const QWidget* b = bar(position);
  return b && b->property("druckbild").toBool();
}

void TBildergalerie::clearStrip() {
  for (Thumb& t : thumbs_) {
    delete t.number;
    delete t.frame;
    delete t.bar;
  }
  thumbs_.clear();
  entries_.clear();
  selected_ = 0;
  position_->setText(QStringLiteral("Bild 0 von 0"));
  strip_->resize(kThumbStart, strip_->height());
}

void TBildergalerie::addThumb(int position, const BildEintrag& entry) {
  const int x = kThumbStart + (position - 1) * kThumbSpacing;
  Thumb t;
  t.number = new QLabel(QString::number(position), strip_);
  t.number->setGeometry(x, 0, kThumbFrame, 16);
  t.number->setAlignment(Qt::AlignCenter);
  t.frame = new QLabel(strip_);
  t.frame->setObjectName(QStringLiteral("Bild%1").arg(position));
  t.frame->setGeometry(x, 18, kThumbFrame, kThumbFrame);
  t.frame->setAlignment(Qt::AlignCenter);
  t.frame->setStyleSheet(kFrameNormal);
  t.frame->setToolTip(entry.pfad);
  t.frame->setCursor(Qt::PointingHandCursor);
  t.frame->setProperty("position", position);
  t.frame->installEventFilter(this);
  QImage image = pictureCache().picture(entry.pfad, QSize(kThumbPicture, kThumbPicture));
  if (image.isNull()) image = placeholderImage(QSize(kThumbPicture, kThumbPicture));
  // The decoded picture already fits the 67-pixel room; fitPicture only centres it.
  t.frame->setPixmap(QPixmap::fromImage(image));
  t.bar = new QWidget(strip_);
  t.bar->setGeometry(x, 18 + kThumbFrame + 2, kThumbFrame, 3);
  t.bar->setAutoFillBackground(true);
  t.number->show();
  t.frame->show();
  t.bar->show();
  thumbs_.push_back(t);
  strip_->resize(x + kThumbSpacing, strip_->height());
}

void TBildergalerie::rebuild() {
  building_ = true;
  saveMemos();
  clearStrip();
  entries_ = daten_.bilder();
  for (size_t i = 0; i < entries_.size(); ++i) addThumb(static_cast<int>(i) + 1, entries_[i]);
  dirty_ = false;
  building_ = false;
  markRepresentative();
  if (entries_.empty()) {
    gross_->zeige(QString(), true);
    memo1_->clear();
    memo2_->clear();
    pfad_->clear();
    pfad_->setToolTip(QString());
    loeschen_->setEnabled(false);
    return;
  }
  loeschen_->setEnabled(true);
  select(1);
}

void TBildergalerie::markSelected(int position) {
  for (size_t i = 0; i < thumbs_.size(); ++i)
    thumbs_[i].frame->setStyleSheet(static_cast<int>(i) + 1 == position ? kFrameSelected : kFrameNormal);
}

void TBildergalerie::markRepresentative() {
  const int d = daten_.druckbild();
  for (size_t i = 0; i < thumbs_.size(); ++i) {
    const bool on = static_cast<int>(i) + 1 == d;
    QPalette pal = thumbs_[i].bar->palette();
    pal.setColor(QPalette::Window, on ? QColor(Qt::blue) : palette().color(QPalette::Window));
    thumbs_[i].bar->setPalette(pal);
    thumbs_[i].bar->setProperty("druckbild", on);
  }
  {
    const QSignalBlocker block(druckbild_);
    druckbild_->setText(d > 0 ? QString::number(d) : QString());
  }
  updateRepresentative();
}

void TBildergalerie::updateRepresentative() {
  representative_ = daten_.druckbildPfad(entries_);
  if (representativeChanged) representativeChanged(representative_);
}

void TBildergalerie::select(int position) {
  if (position < 1 || position > count()) return;
  saveMemos();
  selected_ = position;
  markSelected(position);
  daten_.waehle(position);
  position_->setText(QStringLiteral("Bild %1 von %2").arg(position).arg(count()));
  const BildEintrag& e = entries_[position - 1];
  pfad_->setText(e.pfad);
  pfad_->setToolTip(e.pfad);
  if (QWidget* w = thumbnail(position)) stripArea_->ensureWidgetVisible(w, 10, 0);
  showSelected();
  loadMemos();
}

void TBildergalerie::showSelected() {
  const QString path = selected_ >= 1 && selected_ <= count() ? entries_[selected_ - 1].pfad : QString();
  gross_->zeige(QFileInfo::exists(path) ? path : QString(), settings_.Stammdaten.BildAnpassen);
}

void TBildergalerie::loadMemos() {
  const QSignalBlocker b1(memo1_);
  const QSignalBlocker b2(memo2_);
  if (selected_ < 1 || selected_ > count()) return;
  memo1_->setPlainText(entries_[selected_ - 1].memo1);
  memo2_->setPlainText(entries_[selected_ - 1].memo2);
}

void TBildergalerie::saveMemos() {
  if (selected_ < 1 || selected_ > count()) return;
  BildEintrag& e = entries_[selected_ - 1];
  const QString m1 = memo1_->toPlainText(), m2 = memo2_->toPlainText();
  if (m1 == e.memo1 && m2 == e.memo2) return;
  if (!daten_.waehle(selected_)) return;
  if (m1 != e.memo1 && daten_.setzeMemo(1, m1)) e.memo1 = m1;
  if (m2 != e.memo2 && daten_.setzeMemo(2, m2)) e.memo2 = m2;
}

bool TBildergalerie::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const QVariant pos = watched->property("position");
    if (pos.isValid()) {
      select(pos.toInt());
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut && (watched == memo1_ || watched == memo2_)) saveMemos();
  return QWidget::eventFilter(watched, event);
}

void TBildergalerie::BildLadenClick() {
  if (!chooseFile) return;
  const QString path = chooseFile();
  if (path.isEmpty()) return;
  const bool hadRepresentative = !representative_.isEmpty();
  if (daten_.fuegeHinzu(path) != TBildergalerieDaten::Ergebnis::Hinzugefuegt) return;
  // The new link is the last of the animal's pictures.
  const BildEintrag added = [&] {
    auto all = daten_.bilder();
    return all.empty() ? BildEintrag{} : all.back();
  }();
  saveMemos();
  entries_.push_back(added);
  addThumb(count(), added);
  loeschen_->setEnabled(true);
  if (!hadRepresentative) updateRepresentative();
  markRepresentative();
  select(count());
}

void TBildergalerie::BildLoeschenClick() {
  if (selected_ < 1) return;
  const int position = selected_;
  saveMemos();
  if (!daten_.entferne(position)) return;
  rebuild();
  if (count() > 0) select(std::min(position, count()));
}

void TBildergalerie::AuswahlFuerDruckClick() {
  if (selected_ < 1) return;
  if (daten_.setzeDruckbild(selected_)) markRepresentative();
}

void TBildergalerie::DruckbildExit() {
  if (daten_.druckbildEingabe(druckbild_->text(), count()) >= 0) markRepresentative();
}

void TBildergalerie::setPathHint(const QString& path) { pfad_->setToolTip(path); }

}  // namespace lapiro::card::ui
