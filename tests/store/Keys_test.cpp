#include "store/Keys.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

TEST(Keys, DefaultsAreMinusOne) {
  const QClavis clavis;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(clavis[i], -1);
  const QIdx7 history;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(history[i], -1);
  EXPECT_EQ(QIdx1().id(), -1);
  const S1int1int64 pack;
  EXPECT_EQ(pack.trackKey, -1);
  EXPECT_EQ(pack.position, -1);
}

TEST(Keys, FieldOrderAndProjections) {
  const QClavis key(7, 2500, 3, 4, 12, 9);
  EXPECT_EQ(key.mode(), 7);
  EXPECT_EQ(key.instrument(), 2500);
  EXPECT_EQ(key.channel(), 3);
  EXPECT_EQ(key.location(), 4);
  EXPECT_EQ(key.parameter(), 12);
  EXPECT_EQ(key.sensor(), 9);

  const QIdx7 section(key, 42);
  EXPECT_EQ(section.historyIndex(), 42);
  EXPECT_EQ(section.clavis(), key);

  const QIdx4 unitKey(key);
  EXPECT_EQ(unitKey, QIdx4(7, 2500, 3, 9));
  // Location and parameter do not take part in the measuring-unit key.
  EXPECT_EQ(QIdx4(QClavis(7, 2500, 3, 0, 0, 9)), unitKey);
  EXPECT_EQ(QIdx4(QClavis(7, 2500, 3, 1, 5, 9)), unitKey);
  EXPECT_FALSE(QIdx4(QClavis(7, 2500, 3, 4, 12, 8)) == unitKey);

  const QIdx6 six(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(QClavis(six), QClavis(1, 2, 3, 4, 5, 6));
}

TEST(Keys, LexicographicSignedOrder) {
  // The fourth field decides although the fifth is larger.
  EXPECT_TRUE(QClavis(2, 5, 1, 0, 3, 0) < QClavis(2, 5, 1, 1, 0, 0));
  EXPECT_FALSE(QClavis(2, 5, 1, 1, 0, 0) < QClavis(2, 5, 1, 0, 3, 0));
  // Fields compare signed.
  EXPECT_TRUE(QClavis(-1, 9, 9, 9, 9, 9) < QClavis(0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(QIdx1(-5) < QIdx1(3));
  // Equal keys are not less.
  EXPECT_FALSE(QClavis(1, 2, 3, 4, 5, 6) < QClavis(1, 2, 3, 4, 5, 6));
  EXPECT_TRUE(QIdx3(1, 2, 3) < QIdx3(1, 2, 4));
  EXPECT_TRUE(QIdx2(1, 9) < QIdx2(2, 0));

  const QClavis key(3, 2500, 1, 2, 7, 0);
  const QIdx7 older(key, 3);
  const QIdx7 newer(key, 10);
  EXPECT_TRUE(older < newer);
  EXPECT_TRUE(QIdx7(QClavis(3, 2500, 1, 2, 6, 0), 99) < older);
  EXPECT_TRUE(newer < QIdx7(QClavis(3, 2500, 1, 2, 7, 1), 0));
}

TEST(Keys, ModeRangeIsContiguous) {
  std::map<QClavis, int> table;
  table[QClavis(1, 2500, 1, 1, 5, 0)] = 1;
  table[QClavis(2, 1, 0, 0, 0, 0)] = 2;
  table[QClavis(2, 2500, 3, 4, 5, 6)] = 3;
  table[QClavis(2, 10000, 0, 0, 1, 0)] = 4;
  table[QClavis(3, 0, 0, 0, 0, 0)] = 5;

  std::vector<int> inMode2;
  for (auto it = table.lower_bound(QClavis::ModeBegin(2));
       it != table.lower_bound(QClavis::ModeBegin(3)); ++it)
    inMode2.push_back(it->second);
  EXPECT_EQ(inMode2, (std::vector<int>{2, 3, 4}));

  // History sections of one quantity follow each other oldest first.
  std::map<QIdx7, int> history;
  const QClavis a(2, 2500, 1, 1, 5, 0);
  const QClavis b(2, 2500, 1, 1, 6, 0);
  for (int section : {4, 1, 9}) {
    history[QIdx7(a, section)] = section;
    history[QIdx7(b, section)] = 100 + section;
  }
  std::vector<int> order;
  for (const auto& entry : history) order.push_back(entry.second);
  EXPECT_EQ(order, (std::vector<int>{1, 4, 9, 101, 104, 109}));
  EXPECT_EQ(history.lower_bound(QIdx7(b, 0))->second, 101);
}
