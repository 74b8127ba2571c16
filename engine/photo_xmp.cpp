// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/photo_xmp.h"

#include "engine/xmp_segment.h"

namespace kelvane {

std::string AddXmpEdits(PhotoFile& photo, const XmpEdits& edits, std::vector<HeadSplice>& splices,
                        std::vector<PreviewLine>& preview) {
  size_t wanted = 64 * 1024;
  std::span<const uint8_t> head;
  XmpSegmentLocation location;
  for (;;) {
    head = photo.Head(wanted);
    location = FindXmpSegment(head);
    // The segments before the scan run on past what is read: read on.
    if (location.search != XmpSegmentSearch::kCutShort || head.size() < wanted || wanted >= PhotoFile::kHeadLimit) {
      break;
    }
    wanted = std::min(wanted * 2, PhotoFile::kHeadLimit);
  }
  if (location.search != XmpSegmentSearch::kFound) return {};

  XmpEditResult result = EditXmpPacket(location.Packet(head), edits, XmpPacketKind::kEmbedded);
  const XmpSegment& segment = location.segment;
  switch (result.status) {
    case XmpEditStatus::kUnchanged:
      return {};
    case XmpEditStatus::kMalformed:
      return result.problem.empty() ? "not well-formed" : result.problem;
    case XmpEditStatus::kTooLarge:
      return "it would pass the segment limit";
    case XmpEditStatus::kSameLength:
      splices.push_back({static_cast<int64_t>(segment.packetOffset), static_cast<int64_t>(segment.packetLength),
                         std::move(result.packet)});
      break;
    case XmpEditStatus::kResized: {
      auto grown = BuildXmpSegment(result.packet);
      if (!grown) return "it would pass the segment limit";
      splices.push_back(
          {static_cast<int64_t>(segment.offset), static_cast<int64_t>(segment.length), std::move(*grown)});
      break;
    }
  }
  for (XmpChange& change : result.changes) {
    preview.push_back({std::move(change.property), std::move(change.before), std::move(change.after)});
  }
  return {};
}

}  // namespace kelvane
