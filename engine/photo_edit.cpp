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
  int64_t grows = 0;
  for (size_t i = 0; i < splices.size(); ++i) {
    const HeadSplice& splice = splices[i];
    // Overlapping splices would be a fault of the caller.
    if (splice.offset < 0 || splice.length < 0 || (i > 0 && splice.offset < end)) return false;
    end = splice.offset + splice.length;
    grows += static_cast<int64_t>(splice.bytes.size()) - splice.length;
  }
  const std::span<const uint8_t> head = photo.Head(static_cast<size_t>(end));
  if (static_cast<int64_t>(head.size()) < end) return false;

  // From `from` on: the old bytes up to `to` with the splices in between.
  const auto spliced = [&](int64_t from, int64_t to) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(to - from + grows));
    int64_t at = from;
    for (const HeadSplice& splice : splices) {
      out.insert(out.end(), head.begin() + at, head.begin() + splice.offset);
      out.insert(out.end(), splice.bytes.begin(), splice.bytes.end());
      at = splice.offset + splice.length;
    }
    out.insert(out.end(), head.begin() + at, head.begin() + to);
    return out;
  };
  if (rewrite || grows != 0) {
    edit.replacement = HeadReplacement{end, spliced(0, end)};
    return true;
  }
  // The same length: one patch over the span where old and new differ.
  const int64_t from = splices.front().offset;
  const std::vector<uint8_t> after = spliced(from, end);
  const std::span<const uint8_t> before = head.subspan(static_cast<size_t>(from), after.size());
  size_t first = 0;
  while (first < after.size() && after[first] == before[first]) ++first;
  if (first == after.size()) return true;  // nothing differs
  size_t last = after.size();
  while (last > first && after[last - 1] == before[last - 1]) --last;
  BytePatch patch;
  patch.offset = from + static_cast<int64_t>(first);
  patch.before.assign(before.begin() + static_cast<ptrdiff_t>(first), before.begin() + static_cast<ptrdiff_t>(last));
  patch.after.assign(after.begin() + static_cast<ptrdiff_t>(first), after.begin() + static_cast<ptrdiff_t>(last));
  edit.patch = std::move(patch);
  return true;
}

}  // namespace kelvane
