// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/photo_spill.h"

#include <cstring>
#include <string>

namespace kelvane {
namespace {

// Records are written as unsigned LEB128 numbers, texts as their length and
// bytes, reals as their eight bytes.

void PutNumber(std::string& out, uint64_t value) {
  do {
    const auto low = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
    out += static_cast<char>(value != 0 ? low | 0x80 : low);
  } while (value != 0);
}

void PutSigned(std::string& out, int64_t value) {
  PutNumber(out, (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63));
}

void PutText(std::string& out, std::string_view text) {
  PutNumber(out, text.size());
  out += text;
}

void PutReal(std::string& out, double value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

void PutTyped(std::string& out, const TypedValue& typed) {
  out += static_cast<char>(typed.kind);
  switch (typed.kind) {
    case TypedValue::Kind::kNone:
      break;
    case TypedValue::Kind::kInteger:
      PutSigned(out, typed.integer);
      break;
    case TypedValue::Kind::kReal:
      PutReal(out, typed.real);
      PutText(out, typed.fraction);
      break;
    case TypedValue::Kind::kText:
    case TypedValue::Kind::kDate:
      PutText(out, typed.text);
      break;
    case TypedValue::Kind::kList:
      out += static_cast<char>(typed.listIntegers ? 1 : 0);
      PutNumber(out, typed.numbers.size());
      for (const double number : typed.numbers) PutReal(out, number);
      break;
  }
}

class RecordReader {
 public:
  explicit RecordReader(ScratchReader& in) : in_(in) {}

  bool Number(uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      uint8_t byte = 0;
      if (!in_.Read(&byte, 1)) return false;
      value |= uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }
  bool Signed(int64_t& value) {
    uint64_t raw = 0;
    if (!Number(raw)) return false;
    value = static_cast<int64_t>(raw >> 1) ^ -static_cast<int64_t>(raw & 1);
    return true;
  }
  bool Text(std::string& text) {
    uint64_t length = 0;
    if (!Number(length) || length > kMaxText) return false;
    text.resize(static_cast<size_t>(length));
    return length == 0 || in_.Read(text.data(), text.size());
  }
  bool Real(double& value) { return in_.Read(&value, sizeof value); }
  bool Typed(TypedValue& typed) {
    uint8_t kind = 0;
    if (!in_.Read(&kind, 1) || kind > static_cast<uint8_t>(TypedValue::Kind::kList)) return false;
    typed = TypedValue();
    typed.kind = static_cast<TypedValue::Kind>(kind);
    switch (typed.kind) {
      case TypedValue::Kind::kNone:
        return true;
      case TypedValue::Kind::kInteger:
        return Signed(typed.integer);
      case TypedValue::Kind::kReal:
        return Real(typed.real) && Text(typed.fraction);
      case TypedValue::Kind::kText:
      case TypedValue::Kind::kDate:
        return Text(typed.text);
      case TypedValue::Kind::kList: {
        uint8_t integers = 0;
        uint64_t count = 0;
        if (!in_.Read(&integers, 1) || !Number(count) || count > kMaxText) return false;
        typed.listIntegers = integers != 0;
        typed.numbers.resize(static_cast<size_t>(count));
        for (double& number : typed.numbers) {
          if (!Real(number)) return false;
        }
        return true;
      }
    }
    return false;
  }

 private:
  // Nothing the program writes comes near; a larger length is a damaged file.
  static constexpr uint64_t kMaxText = 1u << 30;
  ScratchReader& in_;
};

}  // namespace

bool PhotoSpill::Add(const PhotoValues& photo) {
  std::string record;
  PutText(record, photo.folder);
  PutText(record, photo.name);
  PutText(record, photo.gpsDateTime);
  PutNumber(record, photo.values.size());
  for (const CollectedValue& value : photo.values) {
    PutNumber(record, static_cast<uint64_t>(value.tag));
    PutText(record, value.text);
    PutTyped(record, value.typed);
  }
  if (!file_.Append(record)) return false;
  ++count_;
  return true;
}

bool PhotoSpill::Replay(const std::function<bool(const PhotoValues&)>& visit) {
  if (!file_.Flush()) return false;
  ScratchReader in(file_, 0, file_.Size());
  RecordReader reader(in);
  PhotoValues photo;
  for (size_t p = 0; p < count_; ++p) {
    uint64_t values = 0;
    if (!reader.Text(photo.folder) || !reader.Text(photo.name) || !reader.Text(photo.gpsDateTime) ||
        !reader.Number(values) || values > kExportTagLimit) {
      return false;
    }
    photo.values.resize(static_cast<size_t>(values));
    for (CollectedValue& value : photo.values) {
      uint64_t tag = 0;
      if (!reader.Number(tag) || tag >= kExportTagLimit || !reader.Text(value.text) || !reader.Typed(value.typed)) {
        return false;
      }
      value.tag = static_cast<int32_t>(tag);
    }
    if (!visit(photo)) return false;
  }
  return true;
}

}  // namespace kelvane
