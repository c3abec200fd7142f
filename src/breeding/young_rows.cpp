#include "breeding/young_rows.h"

#include "engine/cursor.h"
#include "engine/multi_write.h"
#include "engine/query.h"
#include "shell/system_info.h"
#include "store/animal_rules.h"
#include "store/data_module.h"
#include "store/dialog_service.h"
#include "store/messages.h"

namespace lapiro::breeding {

using engine::Cursor;
using engine::DataSetState;

QString statusText(RowStatus status) {
  switch (status) {
    case RowStatus::Vorhanden: return QStringLiteral("vorh.");
    case RowStatus::Neu: return QStringLiteral("neu");
    case RowStatus::Geaendert: return QStringLiteral("geänd.");
    case RowStatus::Gespeichert: return QStringLiteral("gesp.");
    case RowStatus::Fehler: return QStringLiteral("FEHLER");
  }
  return {};
}

TattooPreset tattooPreset(const QDate& wurftag) {
  TattooPreset p;
  if (!wurftag.isValid()) return p;
  p.month = wurftag.month();
  p.year = wurftag.year();
  if (p.year > 999) p.year %= 100;
  if (p.month > 10) {
    p.month = 0;
    p.year += 1;
  }
  return p;
}

QString litterSizeText(const QVariant& maennlich, const QVariant& weiblich, const QVariant& tot) {
  auto t = [](const QVariant& v) { return v.isValid() && !v.isNull() ? QString::number(v.toLongLong()) : QString(); };
  return t(maennlich) + u'/' + t(weiblich) + u'/' + t(tot);
}

bool TNachzucht::partsMode() const { return settings_.Stammdaten.TaetoLinksEinzeln; }

QStringList TNachzucht::coloursOf(const QString& breedName) {
  for (const auto& b : dm_.breeds())
    if (b.name == breedName) return dm_.colourNames(b.key);
  return {};
}

void TNachzucht::clear() {
  rows_.clear();
  numbering_ = false;
}

QString ownClubNumber(engine::Engine& engine) {
  try {
    if (!engine.tableExists(QStringLiteral("eigen.DB"))) return {};
    Cursor eigen(engine, QStringLiteral("eigenNachzucht"));
    eigen.setTableName(QStringLiteral("eigen.DB"));
    eigen.setReadOnly(true);
    eigen.open();
    eigen.first();
    return eigen.hasRecord() ? eigen.field(QStringLiteral("Vereinsnummer")).asString() : QString();
  } catch (const engine::EngineError&) {
    return {};
  }
}

qint64 ownAddressNumber(engine::Engine& engine) {
  try {
    if (!engine.tableExists(QStringLiteral("eigen.DB")) || !engine.tableExists(QStringLiteral("Adresse.db"))) return 0;
    Cursor eigen(engine, QStringLiteral("eigenAdresse"));
    eigen.setTableName(QStringLiteral("eigen.DB"));
    eigen.setReadOnly(true);
    eigen.open();
    eigen.first();
    if (!eigen.hasRecord() || eigen.field(QStringLiteral("Name")).asString().isEmpty()) return 0;
    engine::Query q(engine, QStringLiteral("EigeneAdresse"));
    q.setSql(QStringLiteral("SELECT LaufendeNr FROM \"Adresse.db\" WHERE coalesce(Name, '') = :name AND "
                            "coalesce(Vorname, '') = :vorname AND coalesce(\"Straße\", '') = :strasse AND "
                            "coalesce(Ort, '') = :ort ORDER BY LaufendeNr"));
    q.setParam(QStringLiteral("name"), eigen.field(QStringLiteral("Name")).asString());
    q.setParam(QStringLiteral("vorname"), eigen.field(QStringLiteral("Vorname")).asString());
    q.setParam(QStringLiteral("strasse"), eigen.field(QStringLiteral("Strasse")).asString());
    q.setParam(QStringLiteral("ort"), eigen.field(QStringLiteral("Ort")).asString());
    q.open();
    return q.hasRecord() ? q.field(QStringLiteral("LaufendeNr")).asInteger() : 0;
  } catch (const engine::EngineError&) {
    return 0;
  }
}

qint64 TNachzucht::statusForNew() const {
  return statusForNew_ >= 0 ? statusForNew_ : settings_.Stammdaten.Status;
}

void TNachzucht::build() {
  saveEnabled_ = false;
  deleteEnabled_ = false;
  building_ = true;
  clear();
  Cursor& w = dm_.at(QStringLiteral("Wurfbuch"));
  Cursor& young = dm_.at(QStringLiteral("JungtiereWurfbuch"));
  Cursor& hasen = dm_.Hasen();
  if (!w.isOpen() || !w.hasRecord() || !hasen.hasRecord()) {
    building_ = false;
    notify();
    return;
  }
  // The recorded young animals in cursor order: bucks and does matched separately, so that
  // a buck row never takes a doe's place and turns into a second record of a saved buck.
  struct Recorded {
    qint64 nummer;
    QString rechts, links, rasse;
    qint64 farbe;
    bool hasFarbe;
    qint64 rasseNr;
  };
  std::vector<Recorded> bucks, does;
  if (young.isOpen()) {
    if (w.state() != DataSetState::Insert) young.refresh();
    for (young.first(); !young.eof() && young.hasRecord(); young.next()) {
      Recorded r{young.field(QStringLiteral("Nummer")).asInteger(),
                 young.field(QStringLiteral("TatoRechts")).asString(),
                 young.field(QStringLiteral("TatoLinks")).asString(),
                 young.field(QStringLiteral("RasseAnzeige")).asString(),
                 young.field(QStringLiteral("Farbe")).asInteger(),
                 !young.field(QStringLiteral("Farbe")).isNull(),
                 young.field(QStringLiteral("Rasse")).asInteger()};
      (store::isBuck(young.field(QStringLiteral("Geschlecht")).asString()) ? bucks : does).push_back(r);
    }
    young.first();
  }
  const int nBucks = static_cast<int>(std::max<qint64>(0, w.field(QStringLiteral("WurfStMaennlich")).asInteger()));
  const int nDoes = static_cast<int>(std::max<qint64>(0, w.field(QStringLiteral("WurfStWeiblich")).asInteger()));
  const TattooPreset preset = tattooPreset(w.field(QStringLiteral("Wurftag")).asDate());
  const QString club = ownClubNumber(dm_.Hasen().engine());
  const QString motherBreed = hasen.field(QStringLiteral("RasseAnzeige")).asString();
  const QString motherColour = hasen.field(QStringLiteral("FarbeAnzeige")).asString();
  const QStringList motherColours = coloursOf(motherBreed);

  size_t bi = 0, di = 0;
  for (int n = 0; n < nBucks + nDoes; ++n) {
    YoungRow row;
    row.buck = n < nBucks;
    std::vector<Recorded>& pool = row.buck ? bucks : does;
    size_t& idx = row.buck ? bi : di;
    if (idx < pool.size()) {
      const Recorded& r = pool[idx++];
      row.satzInDatei = r.nummer;
      row.tatoRechts = r.rechts;
      row.whole = r.links;
      const store::TattooParts parts = store::splitLeftTattoo(r.links);
      row.month = parts.month;
      row.year = parts.year;
      row.number = parts.number;
      row.rasse = r.rasse;
      row.farben = coloursOf(r.rasse);
      QString colourName;
      if (r.hasFarbe)
        for (const auto& c : dm_.colours(r.rasseNr))
          if (c.key == r.farbe) colourName = c.name;
      row.farbe = colourName;
      row.farbeEnabled = !colourName.isEmpty();
      row.status = RowStatus::Vorhanden;
      deleteEnabled_ = true;
    } else {
      row.tatoRechts = club;
      row.month = QString::number(preset.month);
      row.year = QString::number(preset.year);
      row.whole = row.month + u'.' + row.year + u'.';
      row.rasse = motherBreed;
      row.farben = motherColours;
      row.farbeEnabled = !motherColours.isEmpty();
      row.farbe = row.farbeEnabled ? motherColour : QString();
      row.status = RowStatus::Neu;
    }
    rows_.push_back(row);
  }
  building_ = false;
  notify();
}

void TNachzucht::touch(int i) {
  rows_.at(i).status = RowStatus::Geaendert;
  saveEnabled_ = true;
  if (store::TCardState* card = dm_.card()) card->setUndoButtonEnabled(true);
}

void TNachzucht::setRightTattoo(int i, const QString& text) {
  if (building_) return;
  rows_.at(i).tatoRechts = text.left(8);
  touch(i);
  notify();
}

bool TNachzucht::setPart(int i, Part part, const QString& text) {
  if (building_) return true;
  YoungRow& r = rows_.at(i);
  const int bound = part == Part::Month ? 12 : part == Part::Year ? 99 : 9999;
  bool ok = true;
  const int v = text.isEmpty() ? 0 : text.toInt(&ok);
  QString& target = part == Part::Month ? r.month : part == Part::Year ? r.year : r.number;
  if (!ok || v < 0 || v > bound) {
    store::dialogs().inform(part == Part::Month  ? QStringLiteral("Nur Werte zwischen 0 und 12 zulässig")
                            : part == Part::Year ? QStringLiteral("Nur Werte zwischen 0 und 99 zulässig")
                                                 : QStringLiteral("maximal 4-stellige Werte zulässig"));
    target.clear();
    touch(i);
    notify();
    return false;
  }
  target = text;
  if (part == Part::Number) numbering_ = true;
  touch(i);
  notify();
  return true;
}

void TNachzucht::setWhole(int i, const QString& text) {
  if (building_) return;
  rows_.at(i).whole = text.left(10);
  numbering_ = true;
  touch(i);
  notify();
}

void TNachzucht::leaveNumber(int i) {
  if (!numbering_) return;
  numbering_ = false;
  const YoungRow& r = rows_.at(i);
  int n = 0;
  if (partsMode()) {
    if (r.number.isEmpty()) return;
    n = r.number.toInt();
  } else {
    if (r.whole.isEmpty()) return;
    const QStringList parts = r.whole.split(u'.');
    if (parts.size() != 3) return;  // fewer than two dots, or a further one
    n = parts[2].toInt();
  }
  if (n == 0) return;
  for (int k = i + 1; k < rowCount(); ++k) {
    YoungRow& next = rows_[k];
    const QString number = QString::number(n + (k - i));
    if (partsMode()) {
      next.number = number;
    } else {
      const int first = next.whole.indexOf(u'.');
      const int second = first < 0 ? -1 : next.whole.indexOf(u'.', first + 1);
      next.whole = (second < 0 ? next.whole : next.whole.left(second + 1)) + number;
    }
    touch(k);
  }
  notify();
}

void TNachzucht::setBreed(int i, const QString& name) {
  if (building_) return;
  YoungRow& r = rows_.at(i);
  r.rasse = name;
  r.farben = coloursOf(name);
  r.farbe.clear();
  r.farbeEnabled = !r.farben.isEmpty();
  touch(i);
  notify();
}

void TNachzucht::setColour(int i, const QString& name) {
  if (building_) return;
  rows_.at(i).farbe = name;
  touch(i);
  notify();
}

int TNachzucht::save() {
  Cursor& w = dm_.at(QStringLiteral("Wurfbuch"));
  Cursor& hasen = dm_.Hasen();
  if (!w.isOpen() || !w.hasRecord() || !hasen.hasRecord()) return -1;
  if (w.field(QStringLiteral("Wurftag")).isNull()) {
    store::dialogs().warn(QStringLiteral("Bitte erst Wurftag erfassen!"));
    return -1;
  }
  if (w.field(QStringLiteral("Kater")).isNull()) {
    store::dialogs().warn(QStringLiteral("Bitte erst Rammler erfassen!"));
    return -1;
  }
  // A litter not yet stored has no number to write to: it is saved first, on its own.
  if (w.state() == DataSetState::Insert) {
    try {
      w.post();
    } catch (const engine::Abort&) {
      return -1;
    } catch (const engine::EngineError& e) {
      store::dialogs().error(e.message());
      return -1;
    }
  }
  if (!dm_.confirmSave()) return -1;

  const qint64 katze = hasen.field(QStringLiteral("Nummer")).asInteger();
  const QVariant besitzer = hasen.field(QStringLiteral("Besitzer")).value();
  const qint64 ownAddress = ownAddressNumber(hasen.engine());
  const QVariant zuechter = ownAddress > 0 ? QVariant(ownAddress) : besitzer;
  const qint64 status = statusForNew();
  const QDate wurftag = w.field(QStringLiteral("Wurftag")).asDate();
  const qint64 kater = w.field(QStringLiteral("Kater")).asInteger();
  const QString wurfgroesse = litterSizeText(w.field(QStringLiteral("WurfStMaennlich")).value(),
                                             w.field(QStringLiteral("WurfStWeiblich")).value(),
                                             w.field(QStringLiteral("WurfStTot")).value());

  // What each changed row writes; incomplete rows and tattoos another animal of the same
  // birth date already has (stored or in an earlier row) are marked with their reason and
  // left out: equal tattoos and birth date mean the same animal.
  struct Write {
    int row;
    QString rechts, links;
    bool buck;
    QVariant rasse, farbe;
  };
  std::vector<Write> writes;
  for (int i = 0; i < rowCount(); ++i) {
    YoungRow& r = rows_[i];
    if (r.status != RowStatus::Geaendert) continue;
    const bool complete = partsMode() ? !r.tatoRechts.isEmpty() && !r.month.isEmpty() && !r.year.isEmpty() && !r.number.isEmpty()
                                      : !r.whole.isEmpty();
    r.reason.clear();
    if (!complete) {
      r.status = RowStatus::Fehler;
      r.reason = QString::fromUtf16(kRowIncomplete);
      continue;
    }
    Write wr{i, r.tatoRechts, partsMode() ? r.month + u'.' + r.year + u'.' + r.number : r.whole, r.buck, {}, {}};
    if (!r.rasse.isEmpty()) {
      for (const auto& b : dm_.breeds())
        if (b.name == r.rasse) {
          wr.rasse = b.key;
          if (!r.farbe.isEmpty())
            for (const auto& c : dm_.colours(b.key))
              if (c.name == r.farbe) wr.farbe = c.key;
        }
    }
    bool duplicate = false;
    {
      engine::Query other(hasen.engine(), QStringLiteral("NachzuchtDoppelt"));
      other.setSql(QStringLiteral("SELECT Nummer FROM \"Hasen.db\" WHERE coalesce(TatoRechts, '') = :rechts AND coalesce(TatoLinks, '') = :links "
                                  "AND Geburtstag = :geb AND Nummer <> :own"));
      other.setParam(QStringLiteral("rechts"), wr.rechts);
      other.setParam(QStringLiteral("links"), wr.links);
      other.setParam(QStringLiteral("geb"), engine::toStorage(engine::FieldType::Date, wurftag));
      other.setParam(QStringLiteral("own"), r.satzInDatei);
      other.open();
      duplicate = other.hasRecord();
    }
    for (const Write& earlier : writes)
      if (earlier.rechts == wr.rechts && earlier.links == wr.links) duplicate = true;
    if (duplicate) {
      r.status = RowStatus::Fehler;
      r.reason = QString::fromUtf16(kRowDuplicate);
      continue;
    }
    writes.push_back(wr);
  }

  std::vector<qint64> numbers(writes.size(), 0);
  try {
    const qint64 litter = w.field(QStringLiteral("LaufendeNummer")).asInteger();
    const bool litterPending = w.isEditing() && w.modified();
    const engine::TableDef hasenDef = hasen.tableDef();
    const engine::TableDef wurfDef = w.tableDef();
    engine::writeAcrossTables(hasen.engine(), {QStringLiteral("Hasen.db"), QStringLiteral("Wurfbuch.DB")},
                              [&](sqlite3* db, const QStringList& names) {
      // The litter's pending change goes into the same transaction as its young animals.
      if (litterPending) {
        QStringList sets;
        QVariantList binds;
        for (const engine::FieldDef& f : wurfDef.fields) {
          if (f.name.compare(QStringLiteral("LaufendeNummer"), Qt::CaseInsensitive) == 0) continue;
          sets << engine::quoteIdent(f.name) + QStringLiteral(" = ?");
          binds << engine::toStorage(f.type, w.field(f.name).value());
        }
        binds << litter;
        engine::Statement st(db, QStringLiteral("UPDATE %1 SET %2 WHERE \"LaufendeNummer\" = ?").arg(names[1], sets.join(u", ")));
        st.bindAll(binds);
        st.step();
      }
      auto typeOf = [&](const QString& name) {
        for (const engine::FieldDef& f : hasenDef.fields)
          if (f.name.compare(name, Qt::CaseInsensitive) == 0) return f.type;
        return engine::FieldType::Alpha;
      };
      for (size_t k = 0; k < writes.size(); ++k) {
        const Write& wr = writes[k];
        const qint64 existing = rows_[wr.row].satzInDatei;
        QVariantMap values{{QStringLiteral("TatoRechts"), wr.rechts},
                           {QStringLiteral("TatoLinks"), wr.links},
                           {QStringLiteral("Geschlecht"), wr.buck ? QStringLiteral("1") : QStringLiteral("2")},
                           {QStringLiteral("Vater"), kater},
                           {QStringLiteral("Mutter"), katze},
                           {QStringLiteral("Geburtstag"), wurftag},
                           {QStringLiteral("Wurfgroesse"), wurfgroesse},
                           {QStringLiteral("Zuechter"), zuechter},
                           {QStringLiteral("Besitzer"), besitzer}};
        // A recorded animal keeps the status it has been given since.
        if (existing <= 0 && status > 0) values.insert(QStringLiteral("Status"), status);
        if (wr.rasse.isValid()) values.insert(QStringLiteral("Rasse"), wr.rasse);
        if (wr.farbe.isValid()) values.insert(QStringLiteral("Farbe"), wr.farbe);
        QStringList cols;
        QVariantList binds;
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
          cols << engine::quoteIdent(it.key());
          binds << engine::toStorage(typeOf(it.key()), it.value());
        }
        if (existing > 0) {
          QStringList sets;
          for (const QString& c : cols) sets << c + QStringLiteral(" = ?");
          binds << existing;
          engine::Statement st(db, QStringLiteral("UPDATE %1 SET %2 WHERE \"Nummer\" = ?").arg(names[0], sets.join(u", ")));
          st.bindAll(binds);
          st.step();
          numbers[k] = existing;
        } else {
          engine::Statement next(db, QStringLiteral("SELECT coalesce(max(\"Nummer\"), 0) + 1 FROM %1").arg(names[0]));
          next.step();
          const qint64 nummer = next.column(0).toLongLong();
          cols << QStringLiteral("\"Nummer\"");
          binds << nummer;
          QStringList marks;
          for (int m = 0; m < cols.size(); ++m) marks << QStringLiteral("?");
          engine::Statement st(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(names[0], cols.join(u", "), marks.join(u", ")));
          st.bindAll(binds);
          st.step();
          numbers[k] = nummer;
        }
        if (afterRowWritten) afterRowWritten(wr.row);
      }
    });
    // The litter row now holds on disk what its buffer held.
    if (litterPending) {
      w.cancel();
      w.refresh();
    }
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    notify();
    return -1;
  }
  for (size_t k = 0; k < writes.size(); ++k) {
    YoungRow& r = rows_[writes[k].row];
    r.satzInDatei = numbers[k];
    r.status = RowStatus::Gespeichert;
    deleteEnabled_ = true;
  }
  saveEnabled_ = false;
  if (animalsChanged) animalsChanged();
  notify();
  return static_cast<int>(writes.size());
}

bool TNachzucht::deleteYoung() {
  if (store::dialogs().show(store::DialogKind::Information,
                            QStringLiteral("Sollen die Jungtiere des Wurfes wirklich aus dem Datenbestand gelöscht werden?"),
                            store::DialogButtons::YesNoDefaultNo) != store::DialogAnswer::Yes)
    return false;
  Cursor& w = dm_.at(QStringLiteral("Wurfbuch"));
  Cursor& hasen = dm_.Hasen();
  if (!w.isOpen() || !w.hasRecord() || !hasen.hasRecord() || w.field(QStringLiteral("Wurftag")).isNull()) return false;
  const qint64 katze = hasen.field(QStringLiteral("Nummer")).asInteger();
  const QDate wurftag = w.field(QStringLiteral("Wurftag")).asDate();
  try {
    engine::writeAcrossTables(hasen.engine(), {QStringLiteral("Hasen.db")}, [&](sqlite3* db, const QStringList& names) {
      engine::Statement st(db, QStringLiteral("DELETE FROM %1 WHERE \"Mutter\" = ? AND \"Geburtstag\" = ?").arg(names[0]));
      st.bindAll({katze, engine::toStorage(engine::FieldType::Date, wurftag)});
      st.step();
    });
  } catch (const engine::EngineError& e) {
    store::dialogs().error(e.message());
    return false;
  }
  if (animalsChanged) animalsChanged();
  build();
  return true;
}

}  // namespace lapiro::breeding
