// SPDX-License-Identifier: GPL-2.0-or-later
// Byte spans of elements in XML text that a parser has already found
// well-formed. The parser says what a document holds; these scans say where
// in the raw bytes it lies, so that an edit can replace just those bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane {

struct ElementSpan {
  size_t start = 0;              // the '<' of the start tag
  size_t contentBegin = 0;       // just after the start tag
  size_t contentEnd = 0;         // the '<' of the end tag; contentBegin for an empty-element tag
  size_t end = 0;                // just after the end tag, or after the empty-element tag
  bool emptyElementTag = false;  // written <name .../>
};

// The element whose start tag begins at xml[start]; nothing when the bytes
// there are not a complete element.
std::optional<ElementSpan> ScanElement(std::string_view xml, size_t start);

// The text of an element's content that holds no element: character data
// with its references decoded, CDATA sections as they stand, comments and
// processing instructions left out. Nothing when the content holds an
// element or a reference that can't be decoded.
std::optional<std::string> LeafText(std::string_view content);

// True for the four characters XML counts as white space.
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The indentation of the line in which xml[at] lies: the blanks and tabs
// between the line's start and its first other character.
std::string_view LineIndent(std::string_view xml, size_t at);

}  // namespace kelvane
