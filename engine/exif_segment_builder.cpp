// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_segment_builder.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/exif_types.h"

namespace kelvane {
namespace {

constexpr std::array<IfdKind, kIfdKindCount> kKinds = {IfdKind::kIfd0, IfdKind::kExif, IfdKind::kInterop, IfdKind::kGps,
                                                       IfdKind::kIfd1};

struct Range {
  uint64_t begin = 0;
  uint64_t end = 0;
};

struct OutEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::array<uint8_t, 4> field{};
  std::optional<IfdKind> pointsTo;  // the field is that directory's new offset
  bool newValue = false;            // the field is the new value's offset
};

uint64_t Even(uint64_t n) { return n + (n & 1); }

size_t Index(IfdKind kind) { return static_cast<size_t>(kind); }

uint64_t SlotSize(size_t entries) { return 2 + 12 * uint64_t{entries} + 4; }

std::optional<IfdKind> PointerTarget(EntryRole role) {
  switch (role) {
    case EntryRole::kExifPointer:
      return IfdKind::kExif;
    case EntryRole::kGpsPointer:
      return IfdKind::kGps;
    case EntryRole::kInteropPointer:
      return IfdKind::kInterop;
    default:
      return std::nullopt;
  }
}

class Builder {
 public:
  Builder(std::span<const uint8_t> oldTiff, const ExifStructure& structure, const TagEdit& edit)
      : old_(oldTiff), s_(structure), edit_(edit) {}

  BuildResult Build(size_t maxLength, std::vector<uint8_t>& out) {
    for (IfdKind kind : kKinds) {
      dirAt_[Index(kind)] = s_[kind].offset;
      if (!s_[kind].present) continue;
      const bool dropsSome = std::any_of(s_[kind].entries.begin(), s_[kind].entries.end(),
                                         [](const IfdEntry& e) { return e.role == EntryRole::kDropped; });
      rewritten_[Index(kind)] = kind == IfdKind::kIfd0 || kind == IfdKind::kExif || dropsSome;
      if (rewritten_[Index(kind)] && !Plan(kind)) return BuildResult::kTooManyEntries;
    }
    CollectKept();

    out.assign(old_.begin(), old_.end());
    for (IfdKind kind : kKinds) {
      if (rewritten_[Index(kind)]) Free(out, SlotOf(kind));
    }
    for (const Range& r : freedValues_) Free(out, r);

    const uint64_t total = Place(out);
    if (total > maxLength) return BuildResult::kTooLong;
    out.resize(total, 0);
    Emit(out);
    return BuildResult::kBuilt;
  }

 private:
  bool Removed(IfdKind kind, const IfdEntry& e) const {
    const IfdKind other = edit_.directory == IfdKind::kIfd0 ? IfdKind::kExif : IfdKind::kIfd0;
    return e.role == EntryRole::kDropped || (e.tag == edit_.tag && (kind == edit_.directory || kind == other));
  }

  OutEntry NewEntry() const {
    OutEntry o;
    o.tag = edit_.tag;
    o.type = edit_.type;
    o.count = edit_.count;
    o.field = edit_.field;
    o.newValue = edit_.value.size() > 4;
    return o;
  }

  // The directory's entries as they will be written.
  bool Plan(IfdKind kind) {
    std::vector<OutEntry>& out = entries_[Index(kind)];
    bool written = edit_.remove || kind != edit_.directory;
    for (const IfdEntry& e : s_[kind].entries) {
      if (Removed(kind, e)) {
        // The first copy of the tag in its own directory gives the new entry
        // its place; its old value may take the new one.
        if (!written && e.role != EntryRole::kDropped) {
          out.push_back(NewEntry());
          written = true;
          if (e.OutOfLine()) replacedValue_ = Range{e.valueOffset, uint64_t{e.valueOffset} + e.byteLength};
        }
        if (e.OutOfLine()) freedValues_.push_back({e.valueOffset, uint64_t{e.valueOffset} + e.byteLength});
        continue;
      }
      if (!written && e.tag > edit_.tag) {
        out.push_back(NewEntry());
        written = true;
      }
      OutEntry o;
      o.tag = e.tag;
      o.type = e.type;
      o.count = e.count;
      o.field = e.field;
      o.pointsTo = PointerTarget(e.role);
      out.push_back(o);
    }
    if (!written) out.push_back(NewEntry());
    return out.size() <= kMaxIfdEntries;
  }

  Range SlotOf(IfdKind kind) const {
    const uint64_t begin = s_[kind].offset;
    return {begin, std::min<uint64_t>(begin + SlotSize(s_[kind].entries.size()), old_.size())};
  }

  // Every byte range that stays as it is: the header and what precedes
  // IFD0, the directories not written again, the values of the entries that
  // stay, the thumbnail.
  void CollectKept() {
    kept_.push_back({0, s_.ifd0Offset});
    for (IfdKind kind : kKinds) {
      if (!s_[kind].present) continue;
      if (!rewritten_[Index(kind)]) kept_.push_back(SlotOf(kind));
      for (const IfdEntry& e : s_[kind].entries) {
        if (e.OutOfLine() && !Removed(kind, e))
          kept_.push_back({e.valueOffset, uint64_t{e.valueOffset} + e.byteLength});
      }
    }
    for (const DataSpan& span : s_.thumbnail) kept_.push_back({span.offset, uint64_t{span.offset} + span.length});
    std::sort(kept_.begin(), kept_.end(), [](const Range& a, const Range& b) { return a.begin < b.begin; });
  }

  // Zeroes the bytes of r that nothing kept uses.
  void Free(std::vector<uint8_t>& out, const Range& r) const {
    uint64_t pos = r.begin;
    const uint64_t end = std::min<uint64_t>(r.end, out.size());
    for (const Range& k : kept_) {
      if (pos >= end || k.begin >= end) break;
      if (k.end <= pos) continue;
      if (k.begin > pos)
        std::fill(out.begin() + static_cast<ptrdiff_t>(pos), out.begin() + static_cast<ptrdiff_t>(k.begin), 0);
      pos = std::max(pos, k.end);
    }
    if (pos < end) std::fill(out.begin() + static_cast<ptrdiff_t>(pos), out.begin() + static_cast<ptrdiff_t>(end), 0);
  }

  // Gives the rewritten directories and the new value their places: their
  // old ones where they fit, else the free room behind everything in use.
  // Returns the length of the new structure.
  uint64_t Place(const std::vector<uint8_t>& freed) {
    std::vector<Range> taken = kept_;
    const auto free = [&](const Range& r) {
      return std::none_of(taken.begin(), taken.end(),
                          [&](const Range& t) { return t.begin < r.end && r.begin < t.end; });
    };
    std::vector<IfdKind> moving;
    for (IfdKind kind : kKinds) {
      if (!rewritten_[Index(kind)]) continue;
      const uint64_t size = SlotSize(entries_[Index(kind)].size());
      const Range here{s_[kind].offset, s_[kind].offset + size};
      if (size <= SlotSize(s_[kind].entries.size()) && here.end <= old_.size() && free(here)) {
        dirAt_[Index(kind)] = here.begin;
        taken.push_back(here);
      } else {
        moving.push_back(kind);
      }
    }
    const uint64_t valueSize = edit_.value.size() > 4 ? edit_.value.size() : 0;
    const Range here{replacedValue_.begin, replacedValue_.begin + valueSize};
    const bool valueMoves = valueSize > 0 && !(here.end <= replacedValue_.end && free(here));
    if (valueSize > 0 && !valueMoves) {
      valueAt_ = here.begin;
      taken.push_back(here);
    }
    if (moving.empty() && !valueMoves) return old_.size();

    const auto lastNonZero = std::find_if(freed.rbegin(), freed.rend(), [](uint8_t b) { return b != 0; });
    uint64_t cursor = static_cast<uint64_t>(freed.rend() - lastNonZero);
    for (const Range& t : taken) cursor = std::max(cursor, t.end);
    const auto take = [&cursor](uint64_t size) {
      const uint64_t at = Even(cursor);
      cursor = at + size;
      return at;
    };
    for (IfdKind kind : moving) dirAt_[Index(kind)] = take(SlotSize(entries_[Index(kind)].size()));
    if (valueMoves) valueAt_ = take(valueSize);
    return std::max<uint64_t>(Even(cursor), old_.size());
  }

  void EmitDirectory(IfdKind kind, uint8_t* p) const {
    const ByteOrder be = s_.order;
    const std::vector<OutEntry>& entries = entries_[Index(kind)];
    Put16(p, static_cast<uint16_t>(entries.size()), be);
    p += 2;
    for (const OutEntry& e : entries) {
      Put16(p, e.tag, be);
      Put16(p + 2, e.type, be);
      Put32(p + 4, e.count, be);
      std::memcpy(p + 8, e.field.data(), 4);
      if (e.pointsTo) Put32(p + 8, static_cast<uint32_t>(dirAt_[Index(*e.pointsTo)]), be);
      if (e.newValue) Put32(p + 8, static_cast<uint32_t>(valueAt_), be);
      p += 12;
    }
    // Only IFD0 links on, to IFD1.
    const bool linksIfd1 = kind == IfdKind::kIfd0 && s_[IfdKind::kIfd1].present;
    Put32(p, linksIfd1 ? static_cast<uint32_t>(dirAt_[Index(IfdKind::kIfd1)]) : 0, be);
  }

  void Emit(std::vector<uint8_t>& out) const {
    Put32(out.data() + 4, static_cast<uint32_t>(dirAt_[Index(IfdKind::kIfd0)]), s_.order);
    if (edit_.value.size() > 4) std::memcpy(out.data() + valueAt_, edit_.value.data(), edit_.value.size());
    for (IfdKind kind : kKinds) {
      if (rewritten_[Index(kind)]) EmitDirectory(kind, out.data() + dirAt_[Index(kind)]);
    }
  }

  std::span<const uint8_t> old_;
  const ExifStructure& s_;
  const TagEdit& edit_;
  std::array<bool, kIfdKindCount> rewritten_{};
  std::array<std::vector<OutEntry>, kIfdKindCount> entries_{};
  std::array<uint64_t, kIfdKindCount> dirAt_{};
  std::vector<Range> kept_;
  std::vector<Range> freedValues_;
  Range replacedValue_;
  uint64_t valueAt_ = 0;
};

}  // namespace

BuildResult BuildExifStructure(std::span<const uint8_t> oldTiff, const ExifStructure& structure, const TagEdit& edit,
                        size_t maxLength, std::vector<uint8_t>& out) {
  return Builder(oldTiff, structure, edit).Build(maxLength, out);
}

}  // namespace kelvane
