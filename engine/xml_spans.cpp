// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xml_spans.h"

#include "engine/xml_text.h"

namespace kelvane {
namespace {

constexpr size_t kNone = std::string_view::npos;

// Just after the tag that starts with '<' at xml[at] (start or end tag),
// stepping over quoted attribute values; kNone when it does not close.
size_t TagEnd(std::string_view xml, size_t at) {
  for (size_t i = at + 1; i < xml.size(); ++i) {
    const char c = xml[i];
    if (c == '"' || c == '\'') {
      i = xml.find(c, i + 1);
      if (i == kNone) return kNone;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return kNone;
}

// Just after the comment, CDATA section or processing instruction that
// starts at xml[at]; `at` itself when none starts there, kNone when one
// does not close.
size_t SkipMarkup(std::string_view xml, size_t at) {
  const std::string_view rest = xml.substr(at);
  const auto past = [&](std::string_view open, std::string_view close) {
    const size_t found = xml.find(close, at + open.size());
    return found == kNone ? kNone : found + close.size();
  };
  if (rest.starts_with("<!--")) return past("<!--", "-->");
  if (rest.starts_with("<![CDATA[")) return past("<![CDATA[", "]]>");
  if (rest.starts_with("<?")) return past("<?", "?>");
  return at;
}

}  // namespace

std::optional<ElementSpan> ScanElement(std::string_view xml, size_t start) {
  if (start >= xml.size() || xml[start] != '<') return std::nullopt;
  ElementSpan span;
  span.start = start;
  span.contentBegin = TagEnd(xml, start);
  if (span.contentBegin == kNone) return std::nullopt;
  if (xml[span.contentBegin - 2] == '/') {
    span.emptyElementTag = true;
    span.contentEnd = span.end = span.contentBegin;
    return span;
  }
  size_t depth = 1;
  size_t at = span.contentBegin;
  while (true) {
    const size_t open = xml.find('<', at);
    if (open == kNone) return std::nullopt;
    const size_t skipped = SkipMarkup(xml, open);
    if (skipped == kNone) return std::nullopt;
    if (skipped != open) {
      at = skipped;
      continue;
    }
    if (xml.substr(open).starts_with("<!")) return std::nullopt;  // no declaration belongs in content
    const size_t close = TagEnd(xml, open);
    if (close == kNone) return std::nullopt;
    if (open + 1 < xml.size() && xml[open + 1] == '/') {
      if (--depth == 0) {
        span.contentEnd = open;
        span.end = close;
        return span;
      }
    } else if (xml[close - 2] != '/') {
      ++depth;
    }
    at = close;
  }
}

std::optional<std::string> LeafText(std::string_view content) {
  std::string text;
  size_t at = 0;
  while (at < content.size()) {
    const size_t open = content.find('<', at);
    const size_t runEnd = open == kNone ? content.size() : open;
    const auto decoded = DecodeXmlReferences(content.substr(at, runEnd - at));
    if (!decoded) return std::nullopt;
    text += *decoded;
    if (open == kNone) break;
    const size_t skipped = SkipMarkup(content, open);
    if (skipped == kNone || skipped == open) return std::nullopt;  // an element, or markup cut short
    if (content.substr(open).starts_with("<![CDATA[")) text += content.substr(open + 9, skipped - 3 - (open + 9));
    at = skipped;
  }
  return text;
}

std::string_view LineIndent(std::string_view xml, size_t at) {
  size_t first = 0;
  if (at > 0 && at <= xml.size()) {
    const size_t lineBreak = xml.find_last_of("\r\n", at - 1);
    if (lineBreak != kNone) first = lineBreak + 1;
  }
  size_t end = first;
  while (end < xml.size() && (xml[end] == ' ' || xml[end] == '\t')) ++end;
  return xml.substr(first, end - first);
}

}  // namespace kelvane
