#include "contacts/breeder_register.h"

#include "store/animal_search.h"

namespace lapiro::contacts {

namespace engine = lapiro::engine;

const std::vector<RegisterOrder>& registerOrders() {
  static const std::vector<RegisterOrder> orders = {
      {QStringLiteral("Vereinsnr."), QStringLiteral("ZwingerRasse")},
      {QStringLiteral("Rasse"), QStringLiteral("IDXRasse")},
      {QStringLiteral("Züchter"), QStringLiteral("IDXZüchter")},
      {QStringLiteral("Verein"), QStringLiteral("VereinZwinger")},
      {QStringLiteral("Ort"), QStringLiteral("OrtZwinger")},
      {QStringLiteral("PLZ"), QStringLiteral("PLZZwinger")},
  };
  return orders;
}

void configureRegisterCursor(engine::Cursor& cursor) {
  cursor.setTableName(QStringLiteral("ZWINGREG.DB"));
  cursor.setIndexName(QStringLiteral("ZwingerRasse"));
}

void configureClubCursor(engine::Cursor& cursor) {
  cursor.setTableName(QStringLiteral("VEREINE.DB"));
  cursor.setIndexName(QStringLiteral("VereinIdx"));
}

bool RegisterSearchBoxes::isEmpty() const {
  return zwinger.isEmpty() && zuechter.isEmpty() && plz.isEmpty() && ort.isEmpty() && rasse.isEmpty();
}

RegisterStatement buildRegisterSearch(const RegisterSearchBoxes& boxes) {
  RegisterStatement s;
  s.lines << QStringLiteral("SELECT z.LaufendeNummer,z.Zwinger,z.Züchter,z.PLZ,Z.Ort,Z.Land,Z.Rasse,z.Verein,"
                            "z.Strasse,z.Zuchtfarbe")
          << QStringLiteral("from Zwingreg.db z");
  QStringList conditions;
  // LIKE compares case as typed in this engine; the pattern is the typed text, with its
  // "%", "_" and "\" escaped, followed by "%", so the field begins with exactly that text.
  const auto prefix = [&](const QString& field, const QString& param, const QString& typed) {
    if (typed.isEmpty()) return;
    s.params.insert(param, store::likePrefixPattern(typed));
    conditions << QStringLiteral("z.%1 like :%2 ESCAPE '\\'").arg(field, param);
  };
  prefix(QStringLiteral("Züchter"), QStringLiteral("SuchZuechter"), boxes.zuechter);
  prefix(QStringLiteral("Zwinger"), QStringLiteral("SuchZwinger"), boxes.zwinger);
  prefix(QStringLiteral("PLZ"), QStringLiteral("SuchPLZ"), boxes.plz);
  prefix(QStringLiteral("Ort"), QStringLiteral("SuchOrt"), boxes.ort);
  prefix(QStringLiteral("Rasse"), QStringLiteral("SuchRasse"), boxes.rasse);
  if (!conditions.isEmpty()) {
    s.lines << QStringLiteral(" Where ");
    for (int i = 0; i < conditions.size(); ++i) s.lines << (i > 0 ? QStringLiteral(" AND ") : QString()) + conditions[i];
  }
  s.lines << QStringLiteral("ORDER BY Zwinger");
  return s;
}

qint64 runRegisterSearch(engine::Query& query, const RegisterSearchBoxes& boxes) {
  query.close();
  const RegisterStatement s = buildRegisterSearch(boxes);
  query.clearParams();
  query.setSql(s.lines);
  for (auto it = s.params.cbegin(); it != s.params.cend(); ++it) query.setParam(it.key(), it.value());
  query.open();
  return query.recordCount();
}

RegisterSearchBoxes boxesFromRegisterRow(engine::DataSet& row) {
  const auto text = [&](const QString& f) { return row.field(f).asString(); };
  RegisterSearchBoxes b;
  b.zuechter = text(QStringLiteral("Züchter"));
  b.zwinger = text(QStringLiteral("Zwinger"));
  b.plz = text(QStringLiteral("PLZ"));
  b.ort = text(QStringLiteral("Ort"));
  b.rasse = text(QStringLiteral("Rasse"));
  return b;
}

QString homepageUrl(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return {};
  return t.contains(QStringLiteral("://")) ? t : QStringLiteral("http://") + t;
}

QString mailUrl(const QString& address) { return QStringLiteral("mailto:") + address.trimmed(); }

}  // namespace lapiro::contacts
