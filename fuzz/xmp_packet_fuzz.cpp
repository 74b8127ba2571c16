// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes to the XMP segment finder (as a photo's head) and to
// the packet editor (as a packet, embedded or sidecar). Neither may crash,
// hang or read out of bounds; a packet not edited must come back as it was,
// an edited one must keep the length its status says and read back as
// already holding the texts it was given.
//
// Input: a flag byte (edits and kind), a length byte n, n bytes of text for
// dc:rights and dc:description, then the bytes searched and edited.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/xmp_packet.h"
#include "engine/xmp_segment.h"

namespace {

using kelvane::XmpEditResult;
using kelvane::XmpEditStatus;

void Check(bool condition) {
  if (!condition) std::abort();
}

void EditAndCheck(std::span<const uint8_t> packet, const kelvane::XmpEdits& edits, kelvane::XmpPacketKind kind) {
  const XmpEditResult result = kelvane::EditXmpPacket(packet, edits, kind);
  const bool same =
      result.packet.size() == packet.size() && std::equal(packet.begin(), packet.end(), result.packet.begin());
  switch (result.status) {
    case XmpEditStatus::kUnchanged:
    case XmpEditStatus::kMalformed:
    case XmpEditStatus::kTooLarge:
      Check(same && result.changes.empty());
      return;
    case XmpEditStatus::kSameLength:
      Check(result.packet.size() == packet.size() && !result.changes.empty());
      break;
    case XmpEditStatus::kResized:
      Check(result.packet.size() != packet.size() && !result.changes.empty());
      if (kind == kelvane::XmpPacketKind::kEmbedded) {
        Check(result.packet.size() > packet.size());
        Check(result.packet.size() <= kelvane::kMaxXmpPacketLength || packet.size() > kelvane::kMaxXmpPacketLength);
      }
      break;
  }
  // The edited packet is still one the editor can read, and already holds
  // the texts.
  kelvane::XmpEdits again;
  again.rights = edits.rights;
  again.description = edits.description;
  const XmpEditResult second = kelvane::EditXmpPacket(result.packet, again, kind);
  Check(second.status == XmpEditStatus::kUnchanged);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const size_t textLength = std::min<size_t>(data[1], size - 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), textLength);
  const std::span<const uint8_t> bytes(data + 2 + textLength, size - 2 - textLength);

  kelvane::XmpEdits edits;
  if (flags & 1) edits.rights = (flags & 8) ? std::string() : text;
  if (flags & 2) edits.description = (flags & 16) ? std::string() : text;
  if (flags & 4) {
    const kelvane::CalendarTime before{2008, 5, 4, 16, 47, 24};
    const kelvane::CalendarTime after{2008 + (flags >> 5) - 4, 12, 31, 23, 59, 59};
    edits.takenTime = kelvane::XmpTakenTimeChange{before, after};
  }
  const auto kind = (flags & 128) ? kelvane::XmpPacketKind::kSidecar : kelvane::XmpPacketKind::kEmbedded;

  const kelvane::XmpSegmentLocation found = kelvane::FindXmpSegment(bytes);
  if (found.search == kelvane::XmpSegmentSearch::kFound) {
    const kelvane::XmpSegment& s = found.segment;
    Check(s.offset < bytes.size() && s.length <= bytes.size() - s.offset);
    Check(s.packetOffset == s.offset + kelvane::kXmpSegmentHeadLength &&
          s.packetOffset + s.packetLength == s.offset + s.length);
    EditAndCheck(found.Packet(bytes), edits, kelvane::XmpPacketKind::kEmbedded);
  }
  EditAndCheck(bytes, edits, kind);
  return 0;
}
