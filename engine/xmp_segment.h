// SPDX-License-Identifier: GPL-2.0-or-later
// The standard XMP APP1 segment of a JPEG: where it lies among the leading
// bytes of the photo, and a new segment for a new packet. Extended XMP
// segments (the "xmp/extension" header) are never taken for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kelvane {

// Bytes of the segment ahead of the packet: marker (2), length field (2) and
// the namespace header with its closing zero byte (29).
inline constexpr size_t kXmpSegmentHeadLength = 33;
// The largest packet one segment can carry: the length field counts itself
// and the header and can't pass 65535.
inline constexpr size_t kMaxXmpPacketLength = 65535 - 2 - 29;

struct XmpSegment {
  size_t offset = 0;        // of the segment's 0xFF marker
  size_t length = 0;        // the whole segment, marker included
  size_t packetOffset = 0;  // of the packet's first byte
  size_t packetLength = 0;
};

enum class XmpSegmentSearch {
  kFound,
  kNotFound,  // the segments up to the start of scan hold none, or are malformed
  kCutShort,  // the bytes ended before the start of scan: read more of the photo and search again
              // (when they were the whole photo, it has no usable XMP segment)
};

struct XmpSegmentLocation {
  XmpSegmentSearch search = XmpSegmentSearch::kNotFound;
  XmpSegment segment;  // set when found; every offset lies inside the bytes searched

  std::span<const uint8_t> Packet(std::span<const uint8_t> head) const {
    return head.subspan(segment.packetOffset, segment.packetLength);
  }
};

// Walks the segments of a JPEG from its start-of-image marker, in head (the
// photo's first bytes), up to the start of scan, and returns the first
// standard XMP segment.
XmpSegmentLocation FindXmpSegment(std::span<const uint8_t> head);

// A whole APP1 segment carrying packet; nothing when the packet is longer
// than kMaxXmpPacketLength.
std::optional<std::vector<uint8_t>> BuildXmpSegment(std::span<const uint8_t> packet);

}  // namespace kelvane
