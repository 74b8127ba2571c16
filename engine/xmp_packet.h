// SPDX-License-Identifier: GPL-2.0-or-later
// Edits an XMP packet so that it tells the same taken time, copyright notice
// and description as the photo's Exif. Only the bytes of the edited values
// change; everything else in the packet stays byte for byte as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/exif_date_time.h"

namespace kelvane {

// The photo's taken time (Exif DateTimeOriginal) before and after the edit.
struct XmpTakenTimeChange {
  CalendarTime before;
  CalendarTime after;
};

// Each edit is made only when set.
struct XmpEdits {
  // exif:DateTimeOriginal, xmp:CreateDate and photoshop:DateCreated move with
  // the taken time; exif:DateTimeDigitized and xmp:ModifyDate only where they
  // held the old taken time to the second (as the Exif DateTime and
  // DateTimeDigitized do; one that is not a date is left as it is). See
  // ShiftXmpDate for what each precision does; an empty value stays empty.
  std::optional<XmpTakenTimeChange> takenTime;
  // The new x-default text of dc:rights / dc:description; empty removes it.
  // Other languages are kept.
  std::optional<std::string> rights;
  std::optional<std::string> description;
};

enum class XmpPacketKind {
  kEmbedded,  // in a JPEG segment: keeps its length within its padding, else grows with fresh padding
  kSidecar,   // a file of its own: simply takes the length its text needs
};

enum class XmpEditStatus {
  kUnchanged,   // nothing to change; packet holds the old bytes
  kSameLength,  // changed, same length: can be written over the old packet
  kResized,     // changed, new length (an embedded packet only ever grows)
  kMalformed,   // not edited: see problem; packet holds the old bytes
  kTooLarge,    // not edited: an embedded packet would pass the segment limit
};

// One changed value, for the preview: property ("XMP dc:rights"), the text
// it held and the text it gets (empty when absent or removed).
struct XmpChange {
  std::string property;
  std::string before;
  std::string after;
};

struct XmpEditResult {
  XmpEditStatus status = XmpEditStatus::kUnchanged;
  std::vector<uint8_t> packet;
  std::vector<XmpChange> changes;
  std::string problem;  // why a packet is malformed
};

// Fresh padding given to an embedded packet that must grow, so that later
// edits fit in place.
inline constexpr size_t kXmpGrowthPadding = 2048;

// The properties are those of the rdf:Description elements of rdf:RDF
// (inside x:xmpmeta, or as the document element), as attributes or as
// elements, found by namespace whatever their prefix. Only the properties
// the packet holds are changed, except that dc:rights and dc:description
// are added to the first rdf:Description (declaring dc there when needed;
// a new rdf:Description when there is none) when a text is set. Texts are
// written as XmlCharacters makes them, XML-escaped. The packet is malformed
// when it is not well-formed UTF-8 XML, lacks rdf:RDF, or a value to edit
// can't be read (a date to move that is not one, a dc:rights that is
// neither a text nor a language alternative) or moved (past the year 9999).
// Zero bytes after the packet's text are kept as they are.
XmpEditResult EditXmpPacket(std::span<const uint8_t> packet, const XmpEdits& edits, XmpPacketKind kind);

// The text exiftool shows for an Exif Copyright value, which is what the
// XMP copy must hold: the Photographer and Editor notices (separated by a
// zero byte in Exif) on two lines, blanks before each zero byte and
// everything after the second one dropped.
std::string XmpTextOfExifCopyright(std::string_view value);

// The text of an Exif ASCII value such as ImageDescription: up to its first
// zero byte.
std::string XmpTextOfExifText(std::string_view value);

}  // namespace kelvane
