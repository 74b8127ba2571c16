// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xmp_segment.h"

#include <algorithm>
#include <string_view>

namespace kelvane {
namespace {

constexpr std::string_view kXmpHeader{"http://ns.adobe.com/xap/1.0/\0", 29};

constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kApp1 = 0xE1;

// Markers that stand alone, without a length field: TEM and RST0..RST7.
bool Standalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

bool HoldsXmpHeader(std::span<const uint8_t> payload) {
  return payload.size() >= kXmpHeader.size() && std::equal(kXmpHeader.begin(), kXmpHeader.end(), payload.begin());
}

}  // namespace

XmpSegmentLocation FindXmpSegment(std::span<const uint8_t> head) {
  XmpSegmentLocation result;
  const auto cutShort = [&result] {
    result.search = XmpSegmentSearch::kCutShort;
    return result;
  };
  if (head.size() < 2) return cutShort();
  if (head[0] != 0xFF || head[1] != kSoi) return result;
  size_t at = 2;
  for (;;) {
    if (at >= head.size()) return cutShort();
    if (head[at] != 0xFF) return result;  // not a marker where one must be
    // Any number of 0xFF fill bytes may come before the marker code; the
    // segment starts at the last of them.
    while (at < head.size() && head[at] == 0xFF) ++at;
    if (at >= head.size()) return cutShort();
    const size_t markerAt = at - 1;
    const uint8_t marker = head[at++];
    if (marker == kSos || marker == kEoi) return result;
    if (marker == 0x00 || marker == kSoi) return result;
    if (Standalone(marker)) continue;
    if (head.size() - at < 2) return cutShort();
    const size_t lengthField = size_t{head[at]} << 8 | head[at + 1];
    if (lengthField < 2) return result;
    if (head.size() - at < lengthField) return cutShort();
    const std::span<const uint8_t> payload = head.subspan(at + 2, lengthField - 2);
    if (marker == kApp1 && HoldsXmpHeader(payload)) {
      result.search = XmpSegmentSearch::kFound;
      result.segment.offset = markerAt;
      result.segment.length = at + lengthField - markerAt;
      result.segment.packetOffset = at + 2 + kXmpHeader.size();
      result.segment.packetLength = payload.size() - kXmpHeader.size();
      return result;
    }
    at += lengthField;
  }
}

std::optional<std::vector<uint8_t>> BuildXmpSegment(std::span<const uint8_t> packet) {
  if (packet.size() > kMaxXmpPacketLength) return std::nullopt;
  const size_t lengthField = 2 + kXmpHeader.size() + packet.size();
  std::vector<uint8_t> segment;
  segment.reserve(2 + lengthField);
  segment.push_back(0xFF);
  segment.push_back(kApp1);
  segment.push_back(static_cast<uint8_t>(lengthField >> 8));
  segment.push_back(static_cast<uint8_t>(lengthField));
  segment.insert(segment.end(), kXmpHeader.begin(), kXmpHeader.end());
  segment.insert(segment.end(), packet.begin(), packet.end());
  return segment;
}

}  // namespace kelvane
