// The data module's operation "ancestor box text" and its pieces.
#include "store/ancestor_box_text.h"

#include "engine/cursor.h"
#include "shows/show_score.h"
#include "store/data_module.h"
#include "store/dialog_service.h"

#include <QHash>
#include <QLocale>

#include <new>

namespace lapiro::store {

using engine::Cursor;
using engine::EngineError;

bool tBewListe::add(core::Points total) {
  try {
    auto it = values_.begin();
    while (it != values_.end() && *it < total) ++it;
    values_.insert(it, total);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

QStringList tBewListe::descendingTexts() const {
  QStringList texts;
  for (auto it = values_.rbegin(); it != values_.rend(); ++it) texts << it->twoDecimals();
  return texts;
}

QString showScoreText(const tBewListe& scores, const QString& youngRatings) {
  QString text = scores.descendingTexts().join(QStringLiteral(" /"));
  if (!youngRatings.isEmpty()) {
    if (!text.isEmpty()) text += QStringLiteral(" /");
    text += youngRatings;
  }
  return text;
}

QString ancestorTitleLine(const QString& rechts, const QString& links, qint64 nummer) {
  return rechts + QStringLiteral("  ") + links + QStringLiteral(" {") + QString::number(nummer) + u'}';
}

QString personName(const QString& name, const QString& vorname) {
  if (vorname.isEmpty()) return name;
  return name + QStringLiteral(", ") + vorname;
}

// Breed, colour and address names by number. The pedigree asks for the same few breeds and
// breeders again and again; each name is read once while its table stays unchanged.
struct TDatenStamm::AncestorLookups {
  struct Names {
    std::pair<const void*, quint64> stamp{};
    QHash<qint64, QString> byNumber;
  };
  Names breeds, colours, persons;

  // The name of `number` in cursor `c`'s table, from the cache or read with `read`.
  template <class Read>
  static QString cached(Names& names, Cursor& c, qint64 number, Read&& read) {
    if (!c.isOpen() || !c.table()) return {};
    const std::pair<const void*, quint64> now{c.table().get(), c.table()->version()};
    if (now != names.stamp) {
      names.byNumber.clear();
      names.stamp = now;
    }
    auto it = names.byNumber.constFind(number);
    if (it != names.byNumber.constEnd()) return *it;
    QString name;
    try {
      name = read();
    } catch (const EngineError&) {
      name.clear();  // an unreadable table leaves the line out
    }
    names.byNumber.insert(number, name);
    return name;
  }
};

QStringList TDatenStamm::ancestorBoxText(qint64 nummer) {
  return ancestorBoxText(nummer, settings_.AnzeigeReihenfolge);
}

QStringList TDatenStamm::ancestorBoxText(qint64 nummer, const shell::PedigreeItemOrder& order, qint64* vater,
                                         qint64* mutter) {
  if (vater) *vater = 0;
  if (mutter) *mutter = 0;
  Cursor* stb = cursor(QStringLiteral("Stammbaum"));
  if (nummer <= 0 || !stb || !stb->isOpen()) return {};
  try {
    if (!stb->indexName().isEmpty() || !stb->indexFieldNames().isEmpty()) stb->setIndexName(QString());
    if (!stb->findKey({QVariant(nummer)})) return {};
  } catch (const EngineError&) {
    return {};
  }
  if (!ancestorLookups_) ancestorLookups_ = std::make_shared<AncestorLookups>();
  AncestorLookups& names = *ancestorLookups_;

  auto text = [&](const QString& f) { return stb->field(f).asString(); };
  auto number = [&](const QString& f) { return stb->field(f).asInteger(); };
  if (vater) *vater = number(QStringLiteral("Vater"));
  if (mutter) *mutter = number(QStringLiteral("Mutter"));

  QStringList lines{ancestorTitleLine(text(QStringLiteral("TatoRechts")), text(QStringLiteral("TatoLinks")), nummer)};

  auto breedName = [&](qint64 n) {
    Cursor& c = at(QStringLiteral("StbRasse"));
    return AncestorLookups::cached(names.breeds, c, n, [&] {
      return c.lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("Name")).toString();
    });
  };
  auto colourName = [&](qint64 n) {
    Cursor& c = at(QStringLiteral("StbFarbe"));
    return AncestorLookups::cached(names.colours, c, n, [&] {
      return c.lookup(QStringLiteral("Nummer"), {QVariant(n)}, QStringLiteral("Name")).toString();
    });
  };
  auto person = [&](qint64 n) {
    Cursor& c = at(QStringLiteral("Adressen"));
    return AncestorLookups::cached(names.persons, c, n, [&]() -> QString {
      const QVariant name = c.lookup(QStringLiteral("LaufendeNr"), {QVariant(n)}, QStringLiteral("Name"));
      if (!name.isValid()) return {};
      const QString first =
          c.lookup(QStringLiteral("LaufendeNr"), {QVariant(n)}, QStringLiteral("Vorname")).toString();
      return personName(name.toString(), first);
    });
  };
  auto scoreText = [&]() -> QString {
    Cursor* shows = cursor(QStringLiteral("StammbaumBewertung"));
    if (!shows || !shows->isOpen()) return {};
    tBewListe scores;
    QString young;
    try {
      for (shows->first(); !shows->eof() && shows->hasRecord(); shows->next()) {
        const shows::ShowPoints row = shows::showPointsOf(*shows);
        if (shows::isYoungAnimalTitle(row.titel)) {
          if (!young.isEmpty()) young += QStringLiteral(" /");
          young += row.bewertJungtier;
        } else if (!scores.add(shows::showTotal(row).value_or(core::Points()))) {
          dialogs().error(QStringLiteral("Zu wenig Speicher vorhanden!"));
          break;
        }
      }
    } catch (const EngineError&) {
      // What was read so far is shown.
    }
    return showScoreText(scores, young);
  };

  for (int code : order) {
    switch (code) {
      case 3:
        if (const qint64 n = number(QStringLiteral("Rasse")); n != 0)
          if (const QString name = breedName(n); !name.isEmpty()) lines << QStringLiteral("Rasse: ") + name;
        break;
      case 4:
        if (const qint64 n = number(QStringLiteral("Farbe")); n != 0)
          if (const QString name = colourName(n); !name.isEmpty()) lines << QStringLiteral("Farbe: ") + name;
        break;
      case 5: {
        const QString sex = text(QStringLiteral("Geschlecht"));
        if (sex == u"1")
          lines << QStringLiteral("Geschlecht: Rammler 1.0");
        else if (sex == u"2")
          lines << QStringLiteral("Geschlecht: Häsin 0.1");
        break;
      }
      case 6:
        if (const QString size = text(QStringLiteral("Wurfgroesse")); !size.isEmpty())
          lines << QStringLiteral("Wurfgröße: ") + size;
        break;
      case 7:
      case 8:
        if (const qint64 n = number(code == 7 ? QStringLiteral("Zuechter") : QStringLiteral("Besitzer")); n != 0)
          if (const QString name = person(n); !name.isEmpty())
            lines << (code == 7 ? QStringLiteral("Züchter: ") : QStringLiteral("Besitzer: ")) + name;
        break;
      case 9:
        if (const qint64 n = number(QStringLiteral("Stallnummer")); n != 0)
          lines << QStringLiteral("Stallnummer: ") + QString::number(n);
        break;
      case 10:
        if (const QString scores = scoreText(); !scores.isEmpty()) lines << QStringLiteral("Bew: ") + scores;
        break;
      case 11:
        if (const QString formula = text(QStringLiteral("Erbformel")); !formula.isEmpty())
          lines << QStringLiteral("Erbformel: ") + formula;
        break;
      case 12:
        if (const qint64 n = number(QStringLiteral("Körnote")); n != 0)
          lines << QStringLiteral("Körnote: ") + QString::number(n);
        break;
      default:  // 1 and 2 are in line 1; 0 ends the used slots
        break;
    }
  }
  return lines;
}

}  // namespace lapiro::store
