#include "shows/show_rules.h"

#include "engine/cursor.h"
#include "shows/show_score.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/guarded.h"
#include "store/messages.h"

#include <QLocale>

namespace lapiro::shows {

using engine::Cursor;
using engine::DataSet;
using engine::FieldType;

namespace {

constexpr int kMsgDateMissing = 137;

const QString kTitel = QStringLiteral("Titel");
const QString kEigene = QStringLiteral("EigeneBewertung");
const QString kJungtier = QStringLiteral("BewertJungtier");
const QString kDatum = QStringLiteral("Datum");

QChar decimalSeparator() { return QLocale().decimalPoint().at(0); }

void onFieldChange(DataSet& ds, const QString& name) {
  if (isPositionField(name)) {
    const ShowPoints p = showPointsOf(ds);
    if (!isYoungAnimalTitle(p.titel)) ds.field(kEigene).setFloat(positionSum(p).toDouble());
  } else if (name.compare(kTitel, Qt::CaseInsensitive) == 0) {
    if (isYoungAnimalTitle(ds.field(kTitel).asString())) {
      if (!ds.field(kEigene).isNull()) ds.field(kEigene).clear();
    } else if (!ds.field(kJungtier).isNull()) {
      ds.field(kJungtier).clear();
    }
  }
}

}  // namespace

void addShowCalculatedFields(Cursor& c) {
  c.addCalculatedField(QStringLiteral("Gesamtpunkte"), FieldType::Number);
  c.addCalculatedField(QStringLiteral("AnzeigeBewertPunkte"), FieldType::Alpha, 5);
  c.addCalculatedField(QStringLiteral("PraedikatText"), FieldType::Alpha, 20);
  c.addCalculatedField(QStringLiteral("Fehlpunkte"), FieldType::Alpha, 30);
  c.events.onCalcFields = [](DataSet& ds) { computeShowFields(ds); };
}

void computeShowFields(DataSet& ds) {
  const ShowScore s = scoreOf(showPointsOf(ds), decimalSeparator());
  if (s.total)
    ds.field(QStringLiteral("Gesamtpunkte")).setFloat(s.total->toDouble());
  else
    ds.field(QStringLiteral("Gesamtpunkte")).clear();
  ds.field(QStringLiteral("AnzeigeBewertPunkte")).setValue(s.display);
  ds.field(QStringLiteral("PraedikatText")).setValue(s.grade);
  ds.field(QStringLiteral("Fehlpunkte")).setValue(s.missing);
}

bool fillOverallPoints(store::TDatenStamm& dm, Cursor& c, bool requireNonZeroPosition) {
  if (!c.isOpen() || !c.hasRecord() || c.isEditing()) return false;
  const ShowPoints p = showPointsOf(c);
  if (isYoungAnimalTitle(p.titel) || c.field(kDatum).isNull() || p.eigeneBewertung) return false;
  if (requireNonZeroPosition && !hasNonZeroPosition(p)) return false;
  bool ok = store::guarded([&] {
    c.edit();
    c.field(kEigene).setFloat(positionSum(p).toDouble());
  });
  if (!ok) {
    if (c.isEditing()) c.cancel();
    return false;
  }
  ok = dm.saveWithoutQuestion(c);
  if (!ok && c.isEditing()) c.cancel();
  return ok;
}

void attachShowRules(store::TDatenStamm& dm) {
  Cursor& c = dm.at(showCursorName());
  addShowCalculatedFields(c);
  c.events.onFieldChange = [](DataSet& ds, const QString& name) { onFieldChange(ds, name); };
  c.events.beforePost = [&dm](DataSet& ds) {
    if (ds.field(kDatum).isNull()) {
      store::dialogs().warn(store::messageText(kMsgDateMissing));
      throw engine::Abort();
    }
    if (!dm.confirmSave()) {
      ds.cancel();
      throw engine::Abort();
    }
  };
  // Moving inside the afterScroll hook of the fill must not start another fill.
  auto filling = std::make_shared<bool>(false);
  c.events.afterScroll = [&dm, filling](DataSet& ds) {
    if (*filling || !dm.card()) return;
    *filling = true;
    fillOverallPoints(dm, static_cast<Cursor&>(ds), true);
    *filling = false;
  };
}

bool appendShowRow(store::TDatenStamm& dm) {
  Cursor& h = dm.Hasen();
  if (!h.isOpen() || !h.hasRecord() || h.state() == engine::DataSetState::Insert) return false;
  Cursor& c = dm.at(showCursorName());
  if (!c.isOpen()) return false;
  const QDate today = dm.today();
  const bool ok = store::guarded([&] {
    c.append();
    c.field(kDatum).setDate(today);
  });
  return ok;
}

bool loadLastRecordedShow(store::TDatenStamm& dm) {
  Cursor& h = dm.Hasen();
  if (!h.isOpen() || !h.hasRecord() || h.state() == engine::DataSetState::Insert) return false;
  Cursor& c = dm.at(showCursorName());
  if (!c.isOpen()) return false;
  QVariant datum, titel, ort;
  bool found = false;
  const bool read = store::guarded([&] {
    Cursor& last = dm.at(QStringLiteral("TMPAusstellung"));
    const bool wasOpen = last.isOpen();
    if (!wasOpen) last.open();
    last.refresh();
    last.last();
    if (last.hasRecord()) {
      found = true;
      datum = last.field(kDatum).value();
      titel = last.field(kTitel).value();
      ort = last.field(QStringLiteral("Ort")).value();
    }
    if (!wasOpen) last.close();
  });
  if (!read || !found) return false;
  return store::guarded([&] {
    if (c.state() != engine::DataSetState::Insert) c.append();
    c.field(kDatum).setValue(datum);
    c.field(kTitel).setValue(titel);
    c.field(QStringLiteral("Ort")).setValue(ort);
  });
}

}  // namespace lapiro::shows
