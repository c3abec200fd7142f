#include "store/weight_table.h"

#include <memory>

#include "engine/cursor.h"
#include "engine/query.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::store {

namespace {

// The weighings of one animal read once per change of the table: the grid computes the
// fields of every row it shows, which must not read the table again for each row.
struct WeightCache {
  qint64 hase = -1;
  const void* table = nullptr;
  quint64 version = ~quint64(0);
  std::vector<Waegung> rows;
  bool warned = false;
};

}  // namespace

std::vector<Gewichtszuwachs> gewichtszuwaechse(const std::vector<double>& gewichte) {
  std::vector<Gewichtszuwachs> out(gewichte.size());
  for (size_t i = 1; i < gewichte.size(); ++i) {
    out[i].differenz = gewichte[i] - gewichte[i - 1];
    out[i].mittelwert = (gewichte[i] - gewichte[0]) / static_cast<double>(i);
  }
  return out;
}

std::vector<Waegung> waegungen(engine::Cursor* calc, qint64 hase) {
  std::vector<Waegung> out;
  if (!calc || !calc->isOpen()) return out;
  // Entry order: the auto-increment number, as the detail cursors list the rows.
  engine::Query q(calc->engine());
  q.setSql(QStringList{QStringLiteral("SELECT Nummer, Datum, Gewicht FROM \"Gewichtstabelle.DB\""),
                       QStringLiteral("WHERE Hase = :Hase ORDER BY Nummer")});
  q.setParam(QStringLiteral("Hase"), hase);
  q.open();
  const qint64 n = q.recordCount();
  if (n > 0) {
    const auto rows = q.readRows(0, static_cast<int>(n));
    std::vector<double> weights;
    for (const auto& r : rows) {
      Waegung w;
      w.nummer = r[0].toLongLong();
      w.datum = r[1].toDate();
      w.gewicht = r[2].toDouble();
      weights.push_back(w.gewicht);
      out.push_back(w);
    }
    const auto gains = gewichtszuwaechse(weights);
    for (size_t i = 0; i < out.size(); ++i) out[i].zuwachs = gains[i];
  }
  return out;
}

void defineWeightFields(engine::Cursor& c) {
  c.addCalculatedField(QStringLiteral("Differenz"), engine::FieldType::Number);
  c.addCalculatedField(QStringLiteral("Mittelwert"), engine::FieldType::Number);
}

void attachWeightCalculation(engine::Cursor& gewicht, std::function<engine::Cursor*()> berechnung) {
  // Closing the table keeps a weighing that is being entered; one that cannot be saved is
  // dropped with its message so that the table can close.
  gewicht.events.beforeClose = [](engine::DataSet& ds) {
    if (!ds.isEditing()) return;
    if (!ds.modified()) {
      ds.cancel();
      return;
    }
    try {
      ds.post();
    } catch (const engine::Abort&) {
      if (ds.isEditing()) ds.cancel();
    } catch (const engine::EngineError& e) {
      dialogs().error(e.message());
      if (ds.isEditing()) ds.cancel();
    }
  };
  auto cache = std::make_shared<WeightCache>();
  gewicht.events.onCalcFields = [berechnung = std::move(berechnung), cache](engine::DataSet& ds) {
    engine::Cursor* calc = berechnung();
    if (!calc || !calc->isOpen()) {
      if (!cache->warned) {
        cache->warned = true;
        dialogs().warn(messageText(kMeldungGewichtBerechnung));
      }
      return;
    }
    const qint64 hase = ds.field(QStringLiteral("Hase")).asInteger();
    const qint64 nummer = ds.field(QStringLiteral("Nummer")).asInteger();
    auto* cursor = dynamic_cast<engine::Cursor*>(&ds);
    const void* table = cursor && cursor->table() ? cursor->table().get() : nullptr;
    const quint64 version = cursor && cursor->table() ? cursor->table()->version() : 0;
    if (cache->hase != hase || cache->table != table || cache->version != version) {
      cache->rows = waegungen(calc, hase);
      cache->hase = hase;
      cache->table = table;
      cache->version = version;
    }
    for (const Waegung& w : cache->rows)
      if (w.nummer == nummer) {
        ds.field(QStringLiteral("Differenz")).setFloat(w.zuwachs.differenz);
        ds.field(QStringLiteral("Mittelwert")).setFloat(w.zuwachs.mittelwert);
        return;
      }
  };
}

}  // namespace lapiro::store
