// What depends on an animal: the counts read from the tables and the delete question built
// from them in singular and plural.
#include "store/animal_dependants.h"

#include <gtest/gtest.h>

#include "support/stock_fixture.h"

namespace lapiro::store {
namespace {

QString q(bool buck, int young, int litters, int judgings) {
  return deleteQuestion(buck, AnimalDependants{young, litters, judgings});
}

TEST(DeleteQuestion, SaysWhatDependsInSingularAndPlural) {
  EXPECT_EQ(q(false, 5, 1, 1), QStringLiteral("Diese Häsin ist Mutter von 5 Tieren, steht in 1 Wurf und 1 Körung. Trotzdem löschen?"));
  EXPECT_EQ(q(true, 1, 0, 0), QStringLiteral("Dieser Rammler ist Vater von 1 Tier. Trotzdem löschen?"));
  EXPECT_EQ(q(true, 2, 3, 0), QStringLiteral("Dieser Rammler ist Vater von 2 Tieren und steht in 3 Würfen. Trotzdem löschen?"));
  EXPECT_EQ(q(false, 1, 0, 2), QStringLiteral("Diese Häsin ist Mutter von 1 Tier und steht in 2 Körungen. Trotzdem löschen?"));
  EXPECT_EQ(q(false, 0, 2, 1), QStringLiteral("Diese Häsin steht in 2 Würfen und 1 Körung. Trotzdem löschen?"));
  EXPECT_EQ(q(true, 0, 0, 1), QStringLiteral("Dieser Rammler steht in 1 Körung. Trotzdem löschen?"));
  // Nothing depends on it: no text, the caller keeps its plain question.
  EXPECT_TRUE(q(false, 0, 0, 0).isEmpty());
  EXPECT_EQ(deletedAnimalText(302), QStringLiteral("gelöscht (Nr. 302)"));
}

TEST(AnimalDependantsOf, CountsYoungLittersAndJudgingsInEveryRole) {
  test::StockDirectory stock;
  const qint64 doe = stock.animal(QStringLiteral("H 512"), QStringLiteral("10.26.1"));
  const qint64 other = stock.animal(QStringLiteral("H 512"), QStringLiteral("10.26.2"));
  for (int i = 0; i < 5; ++i)
    stock.animal(QStringLiteral("J"), QStringLiteral("3.27.%1").arg(i), {{QStringLiteral("Mutter"), doe}});
  stock.animal(QStringLiteral("J"), QStringLiteral("3.27.9"), {{QStringLiteral("Vater"), doe}});  // a slip: counted too
  stock.animal(QStringLiteral("K"), QStringLiteral("3.27.8"), {{QStringLiteral("Mutter"), other}});
  stock.add(QStringLiteral("Wurfbuch.DB"), {{QStringLiteral("Katze"), doe}});
  stock.add(QStringLiteral("Wurfbuch.DB"), {{QStringLiteral("Katze"), other}});
  stock.add(QStringLiteral("Koernote.db"), {{QStringLiteral("Hase"), other}, {QStringLiteral("Haesin2"), doe}});
  const AnimalDependants d = dependantsOf(stock.engine, doe);
  EXPECT_EQ(d.young, 6);
  EXPECT_EQ(d.litters, 1);
  EXPECT_EQ(d.judgings, 1);
  EXPECT_TRUE(d.any());
  const AnimalDependants none = dependantsOf(stock.engine, 9999);
  EXPECT_FALSE(none.any());
}

}  // namespace
}  // namespace lapiro::store
