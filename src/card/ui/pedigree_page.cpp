#include "card/ui/pedigree_page.h"

#include "engine/cursor.h"
#include "shell/system_info.h"
#include "store/data_module.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace lapiro::card::ui {

namespace {

constexpr int kHelpTopic = 12;

// The busy cursor while the pedigree is read.
struct BusyCursor {
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The frame around a box's text (the panel's line) in pixels on each side.
constexpr int kBoxFrame = 1;

// The largest font, not above `base`, in which two lines fill no more than `height` pixels;
// never below 5 pixels.
QFont twoLineFont(const QFont& base, int height) {
  if (2 * QFontMetrics(base).lineSpacing() <= height) return base;
  QFont f = base;
  int px = QFontInfo(base).pixelSize();
  while (px > 5) {
    --px;
    f.setPixelSize(px);
    if (2 * QFontMetrics(f).lineSpacing() <= height) break;
  }
  return f;
}

void paintBox(QPlainTextEdit* edit, const QColor& colour) {
  QPalette p = edit->palette();
  p.setColor(QPalette::Base, colour);
  // Dark palette colours keep the text readable in white.
  p.setColor(QPalette::Text, colour.lightness() < 110 ? Qt::white : Qt::black);
  edit->setPalette(p);
}

}  // namespace

TPedigreePage::TPedigreePage(store::TDatenStamm& dm, shell::tsysteminfo& settings, Hooks hooks, QWidget* parent)
    : QWidget(parent), dm_(dm), settings_(settings), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("TabSheetStammbaum"));
  smallFont_ = font();
  smallFont_.setPointSizeF(std::max(6.5, smallFont_.pointSizeF() - 1.5));
  for (int s = 1; s <= kPedigreeBoxes; ++s) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("StbP%1").arg(s));
    panel->setFrameShape(QFrame::Box);
    panel->setFrameShadow(QFrame::Plain);
    QPalette frame = panel->palette();
    frame.setColor(QPalette::WindowText, QColor(0x8c, 0x8c, 0x8c));
    panel->setPalette(frame);
    auto* edit = new QPlainTextEdit(panel);
    edit->setObjectName(QStringLiteral("Stammbaum%1").arg(s));
    edit->setReadOnly(true);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    // The large boxes of the parents and grandparents read in the normal font.
    if (pedigreeGeneration(s) > 2) edit->setFont(smallFont_);
    edit->document()->setDocumentMargin(1);
    edit->viewport()->installEventFilter(this);
    edit->installEventFilter(this);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(edit);
    panels_[s] = panel;
    edits_[s] = edit;
  }

  info_ = new QFrame(this);
  info_->setObjectName(QStringLiteral("PanelStammbaumInfo"));
  info_->setFrameShape(QFrame::Box);
  info_->setAutoFillBackground(true);
  infoText_ = new QPlainTextEdit(info_);
  infoText_->setObjectName(QStringLiteral("MemoStammbaumInfo"));
  infoText_->setReadOnly(true);
  infoText_->setLineWrapMode(QPlainTextEdit::NoWrap);
  infoText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  infoText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  infoText_->setMouseTracking(true);
  infoText_->viewport()->setMouseTracking(true);
  infoText_->viewport()->installEventFilter(this);
  info_->setMouseTracking(true);
  info_->installEventFilter(this);
  auto* il = new QVBoxLayout(info_);
  il->setContentsMargins(2, 2, 2, 2);
  il->addWidget(infoText_);
  info_->hide();

  menu_ = new QMenu(this);
  loadAction_ = menu_->addAction(QStringLiteral("Stammbaum laden"), this, &TPedigreePage::loadClickedAncestor);
  backAction_ = menu_->addAction(QStringLiteral("Rücksprung"), this, &TPedigreePage::goBack);
  backAction_->setEnabled(false);

  help_ = new QPushButton(QStringLiteral("&Hilfe"), this);
  help_->setObjectName(QStringLiteral("BitBtnHilfe"));
  connect(help_, &QPushButton::clicked, this, [this] {
    if (hooks_.showHelp) hooks_.showHelp(kHelpTopic);
  });
  layoutBoxes();

  hasenListener_ = dm_.Hasen().addListener([this](engine::Notification n) {
    if (n == engine::Notification::Destroyed) {
      hasenListener_ = -1;
      return;
    }
    if (n != engine::Notification::Scrolled || !isVisible() || rebuildPending_) return;
    rebuildPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (rebuildPending_) showPedigree(false);
        },
        Qt::QueuedConnection);
  });
}

TPedigreePage::~TPedigreePage() {
  if (hasenListener_ >= 0) dm_.Hasen().removeListener(hasenListener_);
}

void TPedigreePage::showPedigree(bool moveFocus) {
  rebuildPending_ = false;
  if (moveFocus) focusFirstBox();
  BusyCursor busy;
  closeInfo();
  engine::Cursor& h = dm_.Hasen();
  qint64 vater = 0;
  qint64 mutter = 0;
  if (h.isOpen() && (h.hasRecord() || h.isEditing())) {
    vater = h.field(QStringLiteral("Vater")).asInteger();
    mutter = h.field(QStringLiteral("Mutter")).asInteger();
  }
  boxes_ = buildPedigree(dm_, vater, mutter, settings_.AnzeigeReihenfolge);
  for (int s = 1; s <= kPedigreeBoxes; ++s) paintBox(edits_[s], pedigreeGroupColour(boxes_[s].group));
  layoutBoxes();
}

void TPedigreePage::fillBox(int slot, bool shown) {
  QPlainTextEdit* edit = edits_[slot];
  if (!shown) {
    // A hidden box keeps its whole text.
    edit->setPlainText(boxes_[slot].lines.join(u'\n'));
    return;
  }
  const QRect r = panels_[slot]->geometry();
  // A box shows at least its first two lines whole: where they do not fit in the box's font,
  // a smaller one is taken (the small boxes of the fourth and fifth generations).
  const QFont base = pedigreeGeneration(slot) > 2 ? smallFont_ : font();
  const int margin = static_cast<int>(edit->document()->documentMargin());
  const int room = r.height() - 2 * kBoxFrame - 2 * margin;
  const QFont fitted = twoLineFont(base, room);
  if (edit->font() != fitted) edit->setFont(fitted);
  // Only whole lines show; the panel a click opens shows every line.
  const qsizetype fits = std::max(2, room / std::max(1, QFontMetrics(fitted).lineSpacing()));
  const QString text = boxes_[slot].lines.mid(0, fits).join(u'\n');
  if (edit->toPlainText() != text) {
    edit->setPlainText(text);
    edit->moveCursor(QTextCursor::Start);
  }
}

void TPedigreePage::focusFirstBox() {
  if (edits_[1]) edits_[1]->setFocus(Qt::OtherFocusReason);
}

void TPedigreePage::layoutBoxes() {
  const PedigreeLayout layout = pedigreeLayout(size());
  fifthShown_ = layout.fifthGeneration;
  for (int s = 1; s <= kPedigreeBoxes; ++s) {
    const QRect r = layout.rects[s];
    panels_[s]->setVisible(!r.isEmpty());
    if (!r.isEmpty()) panels_[s]->setGeometry(r);
    fillBox(s, !r.isEmpty());
  }
  if (help_) {
    const QSize hs = help_->sizeHint();
    // Bottom left, below the mother's box, where the first column leaves room.
    help_->setGeometry(6, height() - hs.height() - 4, hs.width(), hs.height());
  }
}

void TPedigreePage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutBoxes();
}

void TPedigreePage::openInfo(int slot) {
  if (slot < 1 || slot > kPedigreeBoxes) return;
  infoText_->setPlainText(boxes_[slot].lines.join(u'\n'));
  infoText_->moveCursor(QTextCursor::Start);
  const QFontMetrics fm(infoText_->font());
  int w = 120;
  for (const QString& line : boxes_[slot].lines) w = std::max(w, fm.horizontalAdvance(line) + 16);
  const int h = fm.lineSpacing() * std::max<qsizetype>(1, boxes_[slot].lines.size()) + 14;
  QRect r(panels_[slot]->pos(), QSize(std::min(w, width()), std::min(h, height())));
  // Kept inside the page, its bottom at least 20 pixels above the page's bottom.
  if (r.right() > width() - 1) r.moveRight(width() - 1);
  if (r.bottom() > height() - 21) r.moveBottom(height() - 21);
  if (r.left() < 0) r.moveLeft(0);
  if (r.top() < 0) r.moveTop(0);
  info_->setGeometry(r);
  info_->show();
  info_->raise();
}

void TPedigreePage::closeInfo() {
  if (info_) info_->hide();
}

bool TPedigreePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == info_ || watched == infoText_->viewport()) {
    // Moving over the panel or clicking its text closes it.
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress) {
      closeInfo();
      focusFirstBox();
      return event->type() == QEvent::MouseButtonPress;
    }
    return QWidget::eventFilter(watched, event);
  }
  for (int s = 1; s <= kPedigreeBoxes; ++s) {
    if (watched != edits_[s] && watched != edits_[s]->viewport()) continue;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        clicked_ = s;
        break;
      case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) openInfo(s);
        break;
      case QEvent::ContextMenu:
        clicked_ = s;
        backAction_->setEnabled(hasReturnPoint());
        menu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      default:
        break;
    }
    break;
  }
  return QWidget::eventFilter(watched, event);
}

void TPedigreePage::contextMenuEvent(QContextMenuEvent* event) {
  backAction_->setEnabled(hasReturnPoint());
  menu_->popup(event->globalPos());
}

void TPedigreePage::loadClickedAncestor() {
  const qint64 nummer = clicked_ >= 1 && clicked_ <= kPedigreeBoxes ? boxes_[clicked_].nummer : 0;
  engine::Cursor& h = dm_.Hasen();
  if (!h.isOpen() || !h.hasRecord()) return;
  returnPoint_ = h.bookmark();
  returnNummer_ = h.field(QStringLiteral("Nummer")).asInteger();
  backAction_->setEnabled(hasReturnPoint());
  if (nummer > 0 && dm_.gotoAnimal(nummer) && hooks_.positionList) hooks_.positionList(nummer);
  afterMove();
}

void TPedigreePage::goBack() {
  if (!hasReturnPoint()) return;
  const QVariant point = returnPoint_;
  const qint64 nummer = returnNummer_;
  returnPoint_ = QVariant();
  returnNummer_ = 0;
  backAction_->setEnabled(false);
  engine::Cursor& h = dm_.Hasen();
  if (hooks_.positionList && nummer > 0) hooks_.positionList(nummer);
  if (h.isOpen() && !h.gotoBookmark(point) && nummer > 0) dm_.gotoAnimal(nummer);
  afterMove();
}

void TPedigreePage::afterMove() {
  if (hooks_.refreshCard) hooks_.refreshCard();
  showPedigree(true);
}

}  // namespace lapiro::card::ui
