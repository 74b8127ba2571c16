// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_text.h"

#include <cstdint>
#include <cstdio>

#include "export/clean_text.h"

namespace kelvane {
namespace {

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
