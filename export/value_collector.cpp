// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/value_collector.h"

#include <algorithm>

#include "export/clean_text.h"
#include "export/format_tag_value.h"
#include "export/tag_value.h"

namespace kelvane {
namespace {

constexpr std::string_view kFirstFound = "[1st found] ";
// Cell of a value whose formatting says it is not meant to be read as is.
constexpr std::string_view kUnreadableCell = "[]";

constexpr uint16_t kGpsPointer = 0x8825;
// A GPS directory holds at most 32 standard tags; many more is not one.
constexpr size_t kMaxGpsEntries = 256;

constexpr int32_t kDateTime = 0x0132;
constexpr int32_t kGpsLatitudeRef = kGpsTagBase + 1;
constexpr int32_t kGpsLatitude = kGpsTagBase + 2;
constexpr int32_t kGpsLongitudeRef = kGpsTagBase + 3;
constexpr int32_t kGpsLongitude = kGpsTagBase + 4;
constexpr int32_t kGpsAltitudeRef = kGpsTagBase + 5;
constexpr int32_t kGpsAltitude = kGpsTagBase + 6;
constexpr int32_t kGpsTimeStamp = kGpsTagBase + 7;
constexpr int32_t kGpsDestLatitudeRef = kGpsTagBase + 19;
constexpr int32_t kGpsDestLatitude = kGpsTagBase + 20;
constexpr int32_t kGpsDestLongitudeRef = kGpsTagBase + 21;
constexpr int32_t kGpsDestLongitude = kGpsTagBase + 22;
constexpr int32_t kGpsDateStamp = kGpsTagBase + 29;

// Each date/time with the tags that give its zone and its fraction of a second.
struct DateParts {
  int32_t date, zone, fraction;
};
constexpr DateParts kDates[] = {{kDateTime, 0x9010, 0x9290}, {0x9003, 0x9011, 0x9291}, {0x9004, 0x9012, 0x9292}};

// Each coordinate with its reference and the reference letter that makes it negative.
struct SignedPart {
  int32_t value, reference;
  char negative;
};
constexpr SignedPart kSigned[] = {{kGpsLatitude, kGpsLatitudeRef, 'S'},
                                  {kGpsLongitude, kGpsLongitudeRef, 'W'},
                                  {kGpsDestLatitude, kGpsDestLatitudeRef, 'S'},
                                  {kGpsDestLongitude, kGpsDestLongitudeRef, 'W'}};

std::string TextOf(const PhotoValues& photo, int32_t tag) {
  const CollectedValue* value = photo.Find(tag);
  return value != nullptr ? value->text : std::string();
}

}  // namespace

const CollectedValue* PhotoValues::Find(int32_t tag) const {
  const auto it = std::lower_bound(values.begin(), values.end(), tag,
                                   [](const CollectedValue& value, int32_t wanted) { return value.tag < wanted; });
  return it != values.end() && it->tag == tag ? &*it : nullptr;
}

CollectedValue* PhotoValues::Find(int32_t tag) {
  return const_cast<CollectedValue*>(static_cast<const PhotoValues&>(*this).Find(tag));
}

ValueCollector::ValueCollector(const TagLibrary& library, CollectOptions options)
    : library_(library), options_(options) {}

bool ValueCollector::Excluded(int32_t tag) {
  int8_t& kept = kept_[static_cast<size_t>(tag)];
  if (kept == 0) {
    // Looked up once: an excluded tag stays excluded for the whole export.
    const auto record = options_.excludeTechnical ? library_.Record(tag) : std::nullopt;
    kept = !options_.excludeTechnical || (record && record->IsNonTechnical()) ? 1 : -1;
  }
  return kept < 0;
}

PhotoValues ValueCollector::Collect(PhotoFile& file, const ExifSegmentInfo& segment, std::string folder,
                                    std::string name) {
  PhotoValues photo;
  photo.folder = std::move(folder);
  photo.name = std::move(name);
  const ByteOrder order = segment[kLocByteOrder] == 1 ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian;
  // The locator counts file positions from 1.
  TiffDecoder decoder(file, int64_t{segment[kLocTiffBase]} - 1, order);
  uint32_t gpsOffset = 0;
  for (int d = 0; d < 2; ++d) {
    const uint64_t entries = static_cast<uint64_t>(segment[static_cast<size_t>(kLocIfd0Count + d)]);
    const uint64_t first = static_cast<uint64_t>(segment[static_cast<size_t>(kLocIfd0Offset + d)]) + 2;
    for (uint64_t e = 0; e < entries; ++e) {
      TiffEntry entry;
      // An entry the reader passed is always readable; one that is not has no tag to show.
      if (!decoder.Entry(first + e * kEntrySize, entry)) continue;
      if (d == 0 && entry.tag == kGpsPointer && entry.count == 1 && entry.byteLength == 4) {
        gpsOffset = entry.FieldValue(order);
      }
      ReadEntry(decoder, entry, entry.tag, photo);
    }
  }
  if (gpsOffset != 0) WalkGps(decoder, gpsOffset, photo);
  for (const CollectedValue& value : photo.values) position_[static_cast<size_t>(value.tag)] = -1;
  std::sort(photo.values.begin(), photo.values.end(),
            [](const CollectedValue& a, const CollectedValue& b) { return a.tag < b.tag; });
  if (options_.typed) ApplyComposites(photo);
  return photo;
}

void ValueCollector::WalkGps(TiffDecoder& decoder, uint32_t offset, PhotoValues& photo) {
  std::vector<TiffEntry> entries;
  if (decoder.Directory(offset, kMaxGpsEntries, entries) != TiffDecoder::DirectoryRead::kOk) return;
  for (const TiffEntry& entry : entries) {
    // Tags past the standard ones have no name anywhere: they are left out.
    if (entry.tag < kGpsTagCount) ReadEntry(decoder, entry, kGpsTagBase + entry.tag, photo);
  }
}

void ValueCollector::ReadEntry(TiffDecoder& decoder, const TiffEntry& entry, int32_t tag, PhotoValues& photo) {
  if (Excluded(tag)) return;
  int32_t& position = position_[static_cast<size_t>(tag)];
  if (position < 0) {
    position = static_cast<int32_t>(photo.values.size());
    photo.values.push_back({tag, {}, {}});
  }
  CollectedValue& cell = photo.values[static_cast<size_t>(position)];

  RawTagValue raw;
  raw.type = entry.type;
  raw.count = entry.count;
  raw.order = decoder.order();
  const uint64_t total = TagValueByteCount(raw.type, raw.count);
  const int16_t limit = options_.valueCharLimit;
  if (limit < 0 || total > static_cast<uint64_t>(limit)) {
    cell.text = FormatTagValue(library_, tag, raw, limit).text;
    if (options_.typed) cell.typed = {TypedValue::Kind::kText, 0, 0, cell.text, {}, false, {}};
    return;
  }
  // The tag met again (IFD0 and the Exif IFD): the first value stays.
  if (!cell.text.empty()) {
    const size_t keep = static_cast<size_t>(std::max(0, limit - static_cast<int>(kFirstFound.size())));
    cell.text = std::string(kFirstFound) + cell.text.substr(0, keep);
    return;
  }

  // total is at most the value limit here, so the read stays small. Bytes
  // past the end of the file are not there: the value is decoded from what is.
  std::vector<uint8_t> bytes;
  if (total <= 4) {
    bytes.assign(entry.field.begin(), entry.field.begin() + static_cast<ptrdiff_t>(total));
  } else {
    const uint64_t at = decoder.ValueOffset(entry);
    const int64_t structureSize = decoder.source().Size() - decoder.start();
    const uint64_t size = structureSize > 0 ? static_cast<uint64_t>(structureSize) : 0;
    const uint64_t available = at >= size ? 0 : std::min(total, size - at);
    bytes.resize(static_cast<size_t>(available));
    if (available > 0 && !decoder.Bytes(at, bytes.data(), bytes.size())) bytes.clear();
  }
  raw.bytes = bytes;
  const TagValue value = DecodeTagValue(raw);
  const FormattedValue formatted = FormatTagValue(library_, tag, value);
  cell.text = formatted.status < -1 ? std::string(kUnreadableCell) : CleanText(formatted.text);
  if (options_.typed) cell.typed = TypedTagValue(library_, tag, value, cell.text);
}

void ValueCollector::ApplyComposites(PhotoValues& photo) const {
  for (const DateParts& parts : kDates) {
    CollectedValue* date = photo.Find(parts.date);
    if (date == nullptr || date->typed.kind != TypedValue::Kind::kDate) continue;
    if (auto iso = IsoDateTime(date->text, TextOf(photo, parts.fraction), TextOf(photo, parts.zone))) {
      date->typed.text = std::move(*iso);
    }
  }
  for (const SignedPart& part : kSigned) {
    CollectedValue* value = photo.Find(part.value);
    const CollectedValue* reference = photo.Find(part.reference);
    if (value == nullptr || reference == nullptr || value->typed.kind != TypedValue::Kind::kReal) continue;
    if (!reference->typed.text.empty() && reference->typed.text[0] == part.negative) value->typed.real *= -1;
  }
  CollectedValue* altitude = photo.Find(kGpsAltitude);
  const CollectedValue* below = photo.Find(kGpsAltitudeRef);
  if (altitude != nullptr && below != nullptr && altitude->typed.kind == TypedValue::Kind::kReal &&
      below->typed.kind == TypedValue::Kind::kInteger && below->typed.integer == 1) {
    altitude->typed.real *= -1;
  }
  const CollectedValue* day = photo.Find(kGpsDateStamp);
  const CollectedValue* time = photo.Find(kGpsTimeStamp);
  if (day != nullptr && time != nullptr && day->typed.kind == TypedValue::Kind::kDate && !time->text.empty()) {
    photo.gpsDateTime = day->typed.text + "T" + time->text + "Z";
  }
}

}  // namespace kelvane
