#include "shell/ui/keyword_search_window.h"

#include "engine/types.h"
#include "shell/startup.h"
#include "shell/ui/host.h"
#include "store/dialog_service.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace lapiro::shell::ui {

namespace {

constexpr int kSnippetRole = Qt::UserRole + 1;
constexpr int kMostHits = 200;

// Paints the snippet column as rich text so the matched terms stand out.
class SnippetDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString html = index.data(kSnippetRole).toString();
    opt.text.clear();
    opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    QTextDocument doc;
    doc.setDefaultFont(opt.font);
    doc.setDocumentMargin(2);
    doc.setHtml(html);
    painter->save();
    painter->translate(opt.rect.topLeft());
    painter->setClipRect(QRect(QPoint(0, 0), opt.rect.size()));
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette = opt.palette;
    if (opt.state & QStyle::State_Selected)
      ctx.palette.setColor(QPalette::Text, opt.palette.color(QPalette::HighlightedText));
    doc.documentLayout()->draw(painter, ctx);
    painter->restore();
  }
};

QTableWidgetItem* item(const QString& text) {
  auto* it = new QTableWidgetItem(text);
  it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return it;
}

QPointer<QMdiSubWindow> openWindow;

}  // namespace

QString keywordSnippetHtml(const QString& snippet) {
  QString html = snippet.toHtmlEscaped();
  html.replace(store::kHitStart, QStringLiteral("<b>"));
  html.replace(store::kHitEnd, QStringLiteral("</b>"));
  html.replace(u'\n', u' ');
  return html;
}

TFormSchluesselwortsuche::TFormSchluesselwortsuche(store::KeywordIndex& index, QWidget* parent)
    : QWidget(parent), index_(index) {
  setWindowTitle(QStringLiteral("Suche nach Schlüsselwort"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Suchbegriff:"), this));
  box_ = new QLineEdit(this);
  box_->setMaxLength(200);
  box_->setClearButtonEnabled(true);
  box_->setPlaceholderText(QStringLiteral("Tätowierung, Name, Ort, Krankheit, Bemerkung …"));
  row->addWidget(box_, 1);
  auto* go = new QPushButton(QStringLiteral("Suchen"), this);
  row->addWidget(go);
  layout->addLayout(row);

  table_ = new QTableWidget(0, 3, this);
  table_->setHorizontalHeaderLabels({QStringLiteral("Art"), QStringLiteral("Treffer"), QStringLiteral("Fundstelle")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setColumnWidth(1, 220);
  table_->setItemDelegateForColumn(2, new SnippetDelegate(table_));
  layout->addWidget(table_, 1);
  count_ = new QLabel(this);
  layout->addWidget(count_);

  typing_ = new QTimer(this);
  typing_->setSingleShot(true);
  typing_->setInterval(300);
  connect(typing_, &QTimer::timeout, this, &TFormSchluesselwortsuche::runSearch);
  connect(box_, &QLineEdit::textEdited, typing_, qOverload<>(&QTimer::start));
  connect(box_, &QLineEdit::returnPressed, this, &TFormSchluesselwortsuche::runSearch);
  connect(go, &QPushButton::clicked, this, &TFormSchluesselwortsuche::runSearch);
  // Enter on a row and a double click both activate it.
  connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& i) { choose(i.row()); });
  resize(760, 420);
}

void TFormSchluesselwortsuche::search(const QString& text) {
  box_->setText(text);
  runSearch();
}

void TFormSchluesselwortsuche::runSearch() {
  typing_->stop();
  hits_.clear();
  table_->setRowCount(0);
  const QString text = box_->text();
  if (store::keywordMatchExpression(text).isEmpty()) {
    count_->setText(text.trimmed().isEmpty() ? QString() : QStringLiteral("Kein suchbares Wort eingegeben."));
    return;
  }
  // The first search of a stock builds the index, which takes a moment on a large one.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    hits_ = index_.search(text, kMostHits);
    QApplication::restoreOverrideCursor();
  } catch (const engine::EngineError& e) {
    QApplication::restoreOverrideCursor();
    count_->clear();
    store::dialogs().error(e.message());
    return;
  }
  table_->setRowCount(static_cast<int>(hits_.size()));
  for (int r = 0; r < static_cast<int>(hits_.size()); ++r) {
    const auto& hit = hits_[r];
    table_->setItem(r, 0, item(store::keywordKindName(hit.kind)));
    table_->setItem(r, 1, item(hit.heading));
    QTableWidgetItem* passage = item(QString());
    passage->setData(kSnippetRole, keywordSnippetHtml(hit.snippet));
    passage->setToolTip(QString(hit.snippet).remove(store::kHitStart).remove(store::kHitEnd));
    table_->setItem(r, 2, passage);
  }
  if (hits_.empty())
    count_->setText(QStringLiteral("Keine Treffer."));
  else if (static_cast<int>(hits_.size()) == kMostHits)
    count_->setText(QStringLiteral("Die ersten %1 Treffer – bitte genauer suchen.").arg(kMostHits));
  else
    count_->setText(hits_.size() == 1 ? QStringLiteral("1 Treffer") : QStringLiteral("%1 Treffer").arg(hits_.size()));
  if (!hits_.empty()) table_->selectRow(0);
}

void TFormSchluesselwortsuche::choose(int row) {
  if (row < 0 || row >= static_cast<int>(hits_.size())) return;
  emit hitChosen(hits_[row]);
}

void openSchluesselwortsuche(Host& main) {
  if (main.bringForward(openWindow)) return;
  if (!main.officeRule().mayOpenNormal()) return;
  auto* window = new TFormSchluesselwortsuche(main.session().keywordIndex());
  shell::ui::HostPointer owner(main);
  QObject::connect(window, &TFormSchluesselwortsuche::hitChosen, main.widget(), [owner](const store::KeywordHit& hit) {
    if (!owner || hit.target <= 0) return;
    // Hits outside animals lead to the window that keeps them (registered by its module).
    if (const auto open = owner->keywordTarget(hit.kind)) {
      open(hit.target);
      return;
    }
    if (!owner->showAnimal(hit.target)) return;
    if (auto* card = owner->cardWidget())
      if (auto* sub = qobject_cast<QMdiSubWindow*>(card->parentWidget())) owner->mdiArea()->setActiveSubWindow(sub);
  });
  // Wide enough for the place of each hit ("Fundstelle") beside its kind and heading.
  openWindow = main.openNormalWindow(window, QSize(820, 480));
  window->searchBox()->setFocus();
}

}  // namespace lapiro::shell::ui
