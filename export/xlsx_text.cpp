// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_text.h"

#include <cstdint>
#include <cstdio>

namespace kelvane {
namespace {

// The length of the well-formed UTF-8 sequence at text[i] (no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

void AppendLatin1(std::string& out, uint8_t c) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// True when text[i..] reads "_xHHHH_".
bool IsEscapeAt(std::string_view text, size_t i) {
  if (text.size() - i < 7 || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return false;
  for (size_t k = 2; k < 6; ++k) {
    if (!IsHexDigit(text[i + k])) return false;
  }
  return true;
}

void AppendEscape(std::string& out, unsigned code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "_x%04X_", code);
  out += buf;
}

}  // namespace

std::string ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      AppendLatin1(out, static_cast<uint8_t>(bytes[i]));
      ++i;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

size_t CountCharacters(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) {
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string CellTextXml(std::string_view bytes) {
  const std::string text = ToUtf8(bytes);
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<uint8_t>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '_' && IsEscapeAt(text, i)) {
      out += "_x005F_";
    } else if (u < 0x20 && c != '\t' && c != '\n') {
      AppendEscape(out, u);
    } else if (u == 0xEF && text.size() - i >= 3 && static_cast<uint8_t>(text[i + 1]) == 0xBF &&
               (static_cast<uint8_t>(text[i + 2]) == 0xBE || static_cast<uint8_t>(text[i + 2]) == 0xBF)) {
      // U+FFFE and U+FFFF are not XML characters.
      AppendEscape(out, static_cast<uint8_t>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kelvane
