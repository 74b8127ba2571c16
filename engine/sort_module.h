// SPDX-License-Identifier: GPL-2.0-or-later
// Ascending sorts of a key array that move a parallel index array along, so
// that afterwards index[k] is the row of the k-th smallest key. Used for
// photo names and tag numbers in exports and for taken times in filename
// prefixes. Not stable: equal keys may come out in either order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

// Sorts positions first..last (inclusive) of keys and index together.
// Returns false when the positions do not fit the arrays.
template <typename Key>
bool SortWithIndex(std::vector<Key>& keys, std::vector<int32_t>& index, int64_t first, int64_t last) {
  if (first < 0 || last >= static_cast<int64_t>(keys.size()) || keys.size() != index.size()) {
    return first > last;
  }
  while (first < last) {
    int64_t i = first;
    int64_t j = last;
    const Key pivot = keys[static_cast<size_t>((first + last) / 2)];
    while (i <= j) {
      while (keys[static_cast<size_t>(i)] < pivot) ++i;
      while (pivot < keys[static_cast<size_t>(j)]) --j;
      if (i <= j) {
        std::swap(keys[static_cast<size_t>(i)], keys[static_cast<size_t>(j)]);
        std::swap(index[static_cast<size_t>(i)], index[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part and loop on the larger one, so the depth
    // stays logarithmic whatever the keys.
    if (j - first < last - i) {
      if (first < j) SortWithIndex(keys, index, first, j);
      first = i;
    } else {
      if (i < last) SortWithIndex(keys, index, i, last);
      last = j;
    }
  }
  return true;
}

inline bool IntegerSort(std::vector<int32_t>& keys, std::vector<int32_t>& index, int64_t first, int64_t last) {
  return SortWithIndex(keys, index, first, last);
}
inline bool DateSort(std::vector<double>& keys, std::vector<int32_t>& index, int64_t first, int64_t last) {
  return SortWithIndex(keys, index, first, last);
}
// Strings compare by byte value, so upper case sorts before lower case.
inline bool TextSort(std::vector<std::string>& keys, std::vector<int32_t>& index, int64_t first, int64_t last) {
  return SortWithIndex(keys, index, first, last);
}

}  // namespace kelvane
