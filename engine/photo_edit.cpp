// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_edit.h"

#include <algorithm>

#include "engine/photo_file.h"

namespace kelvane {

bool EditFromSplices(PhotoFile& photo, std::vector<HeadSplice> splices, bool rewrite, PhotoEdit& edit) {
  if (splices.empty()) return true;
  std::sort(splices.begin(), splices.end(),
            [](const HeadSplice& a, const HeadSplice& b) { return a.offset < b.offset; });
  int64_t end = 0;
  for (const HeadSplice& splice : splices) end = std::max(end, splice.offset + splice.length);
  const std::span<const uint8_t> head = photo.Head(static_cast<size_t>(end));
  if (static_cast<int64_t>(head.size()) < end) return false;

  std::vector<uint8_t> changed;
  changed.reserve(static_cast<size_t>(end));
  int64_t at = 0;
  for (const HeadSplice& splice : splices) {
    if (splice.offset < at) return false;  // overlapping splices: a fault of the caller
    changed.insert(changed.end(), head.begin() + at, head.begin() + splice.offset);
    changed.insert(changed.end(), splice.bytes.begin(), splice.bytes.end());
    at = splice.offset + splice.length;
  }
  changed.insert(changed.end(), head.begin() + at, head.begin() + end);

  if (rewrite || static_cast<int64_t>(changed.size()) != end) {
    edit.replacement = HeadReplacement{end, std::move(changed)};
    return true;
  }
  size_t first = 0;
  while (first < changed.size() && changed[first] == head[first]) ++first;
  if (first == changed.size()) return true;  // nothing differs
  size_t last = changed.size();
  while (last > first && changed[last - 1] == head[last - 1]) --last;
  BytePatch patch;
  patch.offset = static_cast<int64_t>(first);
  patch.before.assign(head.begin() + static_cast<ptrdiff_t>(first), head.begin() + static_cast<ptrdiff_t>(last));
  patch.after.assign(changed.begin() + static_cast<ptrdiff_t>(first), changed.begin() + static_cast<ptrdiff_t>(last));
  edit.patch = std::move(patch);
  return true;
}

}  // namespace kelvane
