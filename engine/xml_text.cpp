// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xml_text.h"

#include <array>
#include <cstdint>

namespace kelvane {
namespace {

// Windows-1252 0x80..0x9F; the five bytes it leaves undefined read as Latin-1.
constexpr std::array<char32_t, 32> kWindows1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool XmlAllows(char32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character of a well-formed UTF-8 sequence at text[at] (shortest form,
// no surrogates) and its length; length 0 when there is none.
char32_t NextUtf8(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[at + i]); };
  const uint8_t lead = byte(0);
  length = 0;
  if (lead < 0x80) {
    length = 1;
    return lead;
  }
  size_t count = 0;
  char32_t c = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    count = 2, c = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    count = 3, c = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    count = 4, c = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < count) return 0;
  for (size_t i = 1; i < count; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = c << 6 | (byte(i) & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  length = count;
  return c;
}

// XmlCharacters, with escape(c, out) given each character first: true when
// it wrote the character itself.
template <typename Escape>
std::string Filtered(std::string_view text, Escape escape) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t length = 0;
    char32_t c = NextUtf8(text, at, length);
    if (length == 0) {
      const auto b = static_cast<uint8_t>(text[at]);
      c = b >= 0x80 && b <= 0x9F ? kWindows1252High[b - 0x80] : b;
      length = 1;
    }
    at += length;
    if (!XmlAllows(c) || escape(c, out)) continue;
    AppendUtf8(out, c);
  }
  return out;
}

bool EscapeCommon(char32_t c, std::string& out) {
  switch (c) {
    case '&':
      out += "&amp;";
      return true;
    case '<':
      out += "&lt;";
      return true;
    case '>':
      out += "&gt;";
      return true;
    case '\r':
      out += "&#13;";
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string XmlCharacters(std::string_view text) {
  return Filtered(text, [](char32_t, std::string&) { return false; });
}

std::string EscapeXmlContent(std::string_view text) { return Filtered(text, EscapeCommon); }

std::string EscapeXmlAttribute(std::string_view text, char quote) {
  return Filtered(text, [quote](char32_t c, std::string& out) {
    if (EscapeCommon(c, out)) return true;
    if (c == '\t') {
      out += "&#9;";
    } else if (c == '\n') {
      out += "&#10;";
    } else if (c == static_cast<char32_t>(quote)) {
      out += quote == '"' ? "&quot;" : "&apos;";
    } else {
      return false;
    }
    return true;
  });
}

std::optional<std::string> DecodeXmlReferences(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t at = 0; at < raw.size();) {
    if (raw[at] != '&') {
      out += raw[at++];
      continue;
    }
    const size_t end = raw.find(';', at);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view name = raw.substr(at + 1, end - at - 1);
    at = end + 1;
    if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "amp") {
      out += '&';
    } else if (name == "apos") {
      out += '\'';
    } else if (name == "quot") {
      out += '"';
    } else if (name.size() >= 2 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      if (digits.empty() || digits.size() > 8) return std::nullopt;
      char32_t c = 0;
      for (const char d : digits) {
        int value = -1;
        if (d >= '0' && d <= '9') {
          value = d - '0';
        } else if (hex && d >= 'a' && d <= 'f') {
          value = d - 'a' + 10;
        } else if (hex && d >= 'A' && d <= 'F') {
          value = d - 'A' + 10;
        }
        if (value < 0) return std::nullopt;
        c = c * (hex ? 16 : 10) + static_cast<char32_t>(value);
      }
      if (!XmlAllows(c)) return std::nullopt;
      AppendUtf8(out, c);
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace kelvane
