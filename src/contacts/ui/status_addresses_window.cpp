#include "contacts/ui/status_addresses_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "contacts/address_book.h"
#include "contacts/ui/help_topic.h"
#include "shell/system_info.h"
#include "store/dialog_service.h"
#include "store/messages.h"
#include "store/schema_upgrade.h"

namespace lapiro::contacts::ui {

namespace {
constexpr int kHilfeStatus = 131;
}

TFormStatusAdressen::TFormStatusAdressen(engine::Engine& engine, shell::tsysteminfo& settings,
                                         QWidget* parent)
    : QWidget(parent), cursor_(engine, QStringLiteral("StatusAdressen")), settings_(settings) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Status Adressen"));
  cursor_.setTableName(QStringLiteral("StatusAdressen.db"));
  store::openPlain(cursor_, QStringLiteral("StatusAdressen"));

  rowLayout_ = new QVBoxLayout;
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const QString& caption, auto handler) {
    auto* b = new QPushButton(caption, this);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    return b;
  };
  button(QStringLiteral("H&inzufügen"), &TFormStatusAdressen::HinzufuegenClick);
  button(QStringLiteral("R&ückgängig"), &TFormStatusAdressen::RueckgaengigClick);
  button(QStringLiteral("Löschen"), &TFormStatusAdressen::LoeschenClick);
  button(QStringLiteral("&Hilfe"), [this] { showHelpTopic(this, kHilfeStatus); });
  button(QStringLiteral("&Zurück"), &QWidget::close);
  auto* all = new QVBoxLayout(this);
  all->addLayout(rowLayout_);
  all->addStretch();
  all->addLayout(buttons);
  reload();
}

TFormStatusAdressen::~TFormStatusAdressen() {
  if (cursor_.isOpen() && cursor_.isEditing()) saveRow();
}

void TFormStatusAdressen::reload() {
  for (QLineEdit* e : rows_) delete e;
  rows_.clear();
  currentRow_ = -1;
  if (!cursor_.isOpen()) return;
  for (cursor_.first(); !cursor_.eof(); cursor_.next()) {
    auto* edit = new QLineEdit(cursor_.field(QStringLiteral("Status")).asString(), this);
    edit->setMaxLength(30);
    const int row = static_cast<int>(rows_.size());
    connect(edit, &QLineEdit::textEdited, this, [this, row](const QString& t) { rowEdited(row, t); });
    connect(edit, &QLineEdit::editingFinished, this, [this] { saveRow(); });
    rowLayout_->addWidget(edit);
    rows_.push_back(edit);
  }
}

bool TFormStatusAdressen::moveToRow(int row) {
  if (row == currentRow_ && cursor_.hasRecord()) return true;
  if (cursor_.isEditing() && !saveRow()) return false;
  cursor_.first();
  if (row > 0 && cursor_.moveBy(row) != row) return false;
  currentRow_ = row;
  return true;
}

void TFormStatusAdressen::rowEdited(int row, const QString& text) {
  if (cursor_.state() != engine::DataSetState::Insert || row != currentRow_) {
    if (!moveToRow(row)) return;
    if (!cursor_.isEditing()) cursor_.edit();
  }
  cursor_.field(QStringLiteral("Status")).setString(text);
}

bool TFormStatusAdressen::saveRow() {
  if (!cursor_.isOpen() || !cursor_.isEditing()) return true;
  const bool saved = saveAddress(cursor_, settings_.System.Speichern);
  if (!saved && !cursor_.isEditing()) reload();
  return saved;
}

void TFormStatusAdressen::HinzufuegenClick() {
  if (!cursor_.isOpen() || !saveRow()) return;
  if (!mayAddCategory(static_cast<int>(cursor_.recordCount()))) return;
  cursor_.append();
  auto* edit = new QLineEdit(this);
  edit->setMaxLength(30);
  const int row = static_cast<int>(rows_.size());
  connect(edit, &QLineEdit::textEdited, this, [this, row](const QString& t) { rowEdited(row, t); });
  connect(edit, &QLineEdit::editingFinished, this, [this] { saveRow(); });
  rowLayout_->addWidget(edit);
  rows_.push_back(edit);
  currentRow_ = row;
  edit->setFocus();
}

void TFormStatusAdressen::RueckgaengigClick() {
  if (cursor_.isOpen() && cursor_.isEditing()) cursor_.cancel();
  reload();
}

void TFormStatusAdressen::LoeschenClick() {
  if (!cursor_.isOpen()) return;
  int row = currentRow_;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (rows_[i]->hasFocus()) row = i;
  if (cursor_.state() == engine::DataSetState::Insert) cursor_.cancel();
  if (row < 0 || row >= static_cast<int>(cursor_.recordCount()) || !moveToRow(row)) return;
  deleteCurrent(cursor_);
  reload();
}

void TFormStatusAdressen::closeEvent(QCloseEvent* event) {
  saveRow();
  QWidget::closeEvent(event);
}

}  // namespace lapiro::contacts::ui
