// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/sort_module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace kelvane {
namespace {

template <typename Key>
void ExpectSortedWithIndex(const std::vector<Key>& original, const std::vector<Key>& keys,
                           const std::vector<int32_t>& index) {
  ASSERT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  for (size_t k = 0; k < keys.size(); ++k) EXPECT_EQ(original[static_cast<size_t>(index[k])], keys[k]);
}

std::vector<int32_t> Identity(size_t n) {
  std::vector<int32_t> index(n);
  std::iota(index.begin(), index.end(), 0);
  return index;
}

TEST(SortModule, SortsKeysAndMovesTheIndexAlong) {
  std::mt19937 random(7);
  for (size_t n : {0u, 1u, 2u, 3u, 10u, 1000u}) {
    std::vector<int32_t> ints(n);
    for (auto& v : ints) v = static_cast<int32_t>(random() % 50) - 25;  // many equal keys
    auto keys = ints;
    auto index = Identity(n);
    ASSERT_TRUE(IntegerSort(keys, index, 0, static_cast<int64_t>(n) - 1));
    ExpectSortedWithIndex(ints, keys, index);
  }
}

TEST(SortModule, TextSortComparesByteValues) {
  const std::vector<std::string> names = {"b.jpg", "B.jpg", "a.jpg", "A.JPG", "_x.jpg", "a.jpg"};
  auto keys = names;
  auto index = Identity(names.size());
  ASSERT_TRUE(TextSort(keys, index, 0, 5));
  EXPECT_EQ(keys, (std::vector<std::string>{"A.JPG", "B.jpg", "_x.jpg", "a.jpg", "a.jpg", "b.jpg"}));
  ExpectSortedWithIndex(names, keys, index);
}

TEST(SortModule, SortsOnlyTheGivenRange) {
  std::vector<double> keys = {9, 5, 3, 1, 0};
  auto index = Identity(5);
  ASSERT_TRUE(DateSort(keys, index, 1, 3));
  EXPECT_EQ(keys, (std::vector<double>{9, 1, 3, 5, 0}));
  EXPECT_EQ(index, (std::vector<int32_t>{0, 3, 2, 1, 4}));
}

TEST(SortModule, DeepInputsDoNotExhaustTheStack) {
  // Already sorted and reversed inputs of a million keys.
  for (bool reversed : {false, true}) {
    std::vector<int32_t> keys(1000000);
    std::iota(keys.begin(), keys.end(), 0);
    if (reversed) std::reverse(keys.begin(), keys.end());
    auto index = Identity(keys.size());
    ASSERT_TRUE(IntegerSort(keys, index, 0, static_cast<int64_t>(keys.size()) - 1));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  }
}

TEST(SortModule, RangesOutsideTheArraysFail) {
  std::vector<int32_t> keys = {2, 1};
  auto index = Identity(2);
  EXPECT_FALSE(IntegerSort(keys, index, 0, 2));
  EXPECT_FALSE(IntegerSort(keys, index, -1, 1));
  std::vector<int32_t> shortIndex = {0};
  EXPECT_FALSE(IntegerSort(keys, shortIndex, 0, 1));
  EXPECT_TRUE(IntegerSort(keys, index, 0, -1)) << "an empty range is sorted";
}

}  // namespace
}  // namespace kelvane
