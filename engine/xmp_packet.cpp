// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/xmp_packet.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <pugixml.hpp>

#include "engine/xml_spans.h"
#include "engine/xml_text.h"
#include "engine/xmp_date.h"
#include "engine/xmp_segment.h"

namespace kelvane {
namespace {

constexpr std::string_view kRdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kMetaNs = "adobe:ns:meta/";
constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kDcNs = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kExifNs = "http://ns.adobe.com/exif/1.0/";
constexpr std::string_view kXmpNs = "http://ns.adobe.com/xap/1.0/";
constexpr std::string_view kPhotoshopNs = "http://ns.adobe.com/photoshop/1.0/";

struct DateProperty {
  std::string_view ns;
  std::string_view local;
  std::string_view shown;
  bool onlyWhereTaken;  // moved only where it held the old taken time
};

constexpr DateProperty kDateProperties[] = {
    {kExifNs, "DateTimeOriginal", "exif:DateTimeOriginal", false},
    {kXmpNs, "CreateDate", "xmp:CreateDate", false},
    {kPhotoshopNs, "DateCreated", "photoshop:DateCreated", false},
    {kExifNs, "DateTimeDigitized", "exif:DateTimeDigitized", true},
    {kXmpNs, "ModifyDate", "xmp:ModifyDate", true},
};

struct QName {
  std::string_view prefix;
  std::string_view local;
};

QName Split(const char* name) {
  const std::string_view text(name);
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return {{}, text};
  return {text.substr(0, colon), text.substr(colon + 1)};
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool IsXDefault(std::string_view lang) {
  constexpr std::string_view kXDefault = "x-default";
  return lang.size() == kXDefault.size() && std::equal(lang.begin(), lang.end(), kXDefault.begin(), [](char a, char b) {
           return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
         });
}

// Whitespace for the padding of an embedded packet: lines of blanks, the
// last line ended so that the closing processing instruction starts a line.
std::string Padding(size_t length) {
  std::string padding(length, ' ');
  for (size_t i = 0; i < length; i += 100) padding[i] = '\n';
  if (length > 0) padding.back() = '\n';
  return padding;
}

struct Splice {
  size_t at = 0;
  size_t length = 0;
  std::string text;
};

// One edit of one parsed packet: finds the values, works out the splices
// that change them and the preview lines. The parser ran over a copy of the
// text (base), so a name or value it returns lies at the same offset in the
// text as in the copy.
class PacketEditor {
 public:
  PacketEditor(std::string_view text, const char* base) : text_(text), base_(base) {}

  std::vector<Splice>& splices() { return splices_; }
  std::vector<XmpChange>& changes() { return changes_; }
  const std::string& problem() const { return problem_; }

  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  bool Is(pugi::xml_node node, std::string_view ns, std::string_view local) const {
    if (!node || node.type() != pugi::node_element) return false;
    const QName name = Split(node.name());
    return name.local == local && NamespaceOf(node, name.prefix) == ns;
  }

  // rdf:RDF inside x:xmpmeta (or the older x:xapmeta), or as the document element.
  pugi::xml_node FindRdf(const pugi::xml_document& document) {
    const pugi::xml_node root = document.document_element();
    if (Is(root, kRdfNs, "RDF")) return root;
    if (!Is(root, kMetaNs, "xmpmeta") && !Is(root, kMetaNs, "xapmeta")) return {};
    for (const pugi::xml_node child : root.children()) {
      if (Is(child, kRdfNs, "RDF")) return child;
    }
    return {};
  }

  bool ShiftDates(pugi::xml_node description, const XmpTakenTimeChange& change) {
    for (const pugi::xml_attribute attribute : description.attributes()) {
      const QName name = Split(attribute.name());
      const DateProperty* property = DatePropertyNamed(description, name);
      if (property == nullptr) continue;
      const size_t begin = OffsetOf(attribute.value());
      const size_t end = begin + std::strlen(attribute.value());
      const auto value = DecodeXmlReferences(text_.substr(begin, end - begin));
      if (!value) return Fail(std::string(property->shown) + " holds a reference that can't be read");
      if (!ShiftDate(*property, begin, end, *value, change)) return false;
    }
    for (const pugi::xml_node child : description.children()) {
      if (child.type() != pugi::node_element) continue;
      const DateProperty* property = DatePropertyNamed(child, Split(child.name()));
      if (property == nullptr) continue;
      const auto span = SpanOf(child);
      if (!span) return Fail("an element can't be delimited");
      const auto value = LeafText(Content(*span));
      if (!value) return Fail(std::string(property->shown) + " is not a plain value");
      if (!ShiftDate(*property, span->contentBegin, span->contentEnd, *value, change)) return false;
    }
    return true;
  }

  // Sets the x-default text of dc:<local> in every rdf:Description that
  // holds it; when none does, the property's text, to be placed in host, is
  // added to `added`.
  bool SetText(const std::vector<pugi::xml_node>& descriptions, pugi::xml_node host, std::string_view local,
               const std::string& newText, std::string& added, std::string_view indent, std::string_view step) {
    const std::string wanted = XmlCharacters(newText);
    const std::string shown = "dc:" + std::string(local);
    bool found = false;
    for (const pugi::xml_node description : descriptions) {
      for (const pugi::xml_attribute attribute : description.attributes()) {
        const QName name = Split(attribute.name());
        if (name.local != local || name.prefix.empty() || NamespaceOf(description, name.prefix) != kDcNs) continue;
        found = true;
        if (!SetAttributeText(attribute, shown, wanted)) return false;
      }
      for (const pugi::xml_node child : description.children()) {
        if (child.type() != pugi::node_element) continue;
        const QName name = Split(child.name());
        if (name.local != local || NamespaceOf(child, name.prefix) != kDcNs) continue;
        found = true;
        if (!SetElementText(child, shown, wanted, step)) return false;
      }
    }
    if (!found && !wanted.empty()) {
      added += "\n" + std::string(indent) + "<" + shown + Declaration(host, "dc", kDcNs) +
               Declaration(host, "rdf", kRdfNs) + ">";
      added += "\n" + std::string(indent) + std::string(step) + "<rdf:Alt>";
      added += "\n" + std::string(indent) + std::string(step) + std::string(step) + "<rdf:li xml:lang=\"x-default\">" +
               EscapeXmlContent(wanted) + "</rdf:li>";
      added += "\n" + std::string(indent) + std::string(step) + "</rdf:Alt>";
      added += "\n" + std::string(indent) + "</" + shown + ">";
      changes_.push_back({"XMP " + shown, {}, wanted});
    }
    return true;
  }

  // Puts `children` (texts starting with a line break) at the end of
  // parent's content, turning an empty-element tag into start and end tags.
  bool Append(pugi::xml_node parent, const std::string& children) {
    const auto span = SpanOf(parent);
    if (!span) return Fail("an element can't be delimited");
    if (span->emptyElementTag) {
      splices_.push_back(
          {span->end - 2, 2,
           ">" + children + "\n" + std::string(LineIndent(text_, span->start)) + "</" + parent.name() + ">"});
      return true;
    }
    size_t at = span->contentEnd;
    while (at > span->contentBegin && IsXmlSpace(text_[at - 1])) --at;
    splices_.push_back({at, 0, children});
    return true;
  }

  // The indentation of parent's child elements, and the step from the
  // parent's own indentation to it.
  std::pair<std::string, std::string> ChildIndent(pugi::xml_node parent) {
    const std::string_view own = LineIndent(text_, OffsetOf(parent.name()));
    const std::string step = own.find('\t') != std::string_view::npos ? "\t" : " ";
    for (const pugi::xml_node child : parent.children()) {
      if (child.type() != pugi::node_element) continue;
      const std::string_view indent = LineIndent(text_, OffsetOf(child.name()));
      if (indent.size() > own.size() && indent.starts_with(own)) {
        return {std::string(indent), std::string(indent.substr(own.size()))};
      }
      break;
    }
    return {std::string(own) + step, step};
  }

  // " xmlns:prefix=..." when prefix is not bound to ns where node is.
  std::string Declaration(pugi::xml_node node, std::string_view prefix, std::string_view ns) {
    if (NamespaceOf(node, prefix) == ns) return {};
    return " xmlns:" + std::string(prefix) + "=\"" + std::string(ns) + "\"";
  }

 private:
  size_t OffsetOf(const char* p) const { return static_cast<size_t>(p - base_); }

  std::string_view Content(const ElementSpan& span) const {
    return text_.substr(span.contentBegin, span.contentEnd - span.contentBegin);
  }

  std::optional<ElementSpan> SpanOf(pugi::xml_node element) const {
    const size_t name = OffsetOf(element.name());
    if (name == 0) return std::nullopt;
    return ScanElement(text_, name - 1);
  }

  // The namespace bound to prefix where node is ("" for none); the empty
  // prefix gives the default namespace. Names are looked up often: a name
  // written without references is returned where it lies, in the parser's
  // copy; a decoded one is kept for the editor's life.
  std::string_view NamespaceOf(pugi::xml_node node, std::string_view prefix) const {
    if (prefix == "xml") return kXmlNs;
    for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent()) {
      for (const pugi::xml_attribute attribute : n.attributes()) {
        const std::string_view name(attribute.name());
        const bool binds = prefix.empty() ? name == "xmlns" : name.starts_with("xmlns:") && name.substr(6) == prefix;
        if (!binds) continue;
        const std::string_view raw(attribute.value());
        if (raw.find('&') == std::string_view::npos) return raw;
        return decodedNames_.emplace_back(DecodeXmlReferences(raw).value_or(std::string()));
      }
    }
    return {};
  }

  bool RdfAttribute(pugi::xml_node element, std::string_view local) const {
    for (const pugi::xml_attribute attribute : element.attributes()) {
      const QName name = Split(attribute.name());
      if (name.local == local && !name.prefix.empty() && NamespaceOf(element, name.prefix) == kRdfNs) return true;
    }
    return false;
  }

  // The date property of that name, resolved where node is (an attribute's
  // element, or the property element itself).
  const DateProperty* DatePropertyNamed(pugi::xml_node node, const QName& name) const {
    if (name.prefix.empty() || name.prefix.starts_with("xmlns")) return nullptr;
    for (const DateProperty& property : kDateProperties) {
      if (property.local == name.local && NamespaceOf(node, name.prefix) == property.ns) return &property;
    }
    return nullptr;
  }

  bool ShiftDate(const DateProperty& property, size_t begin, size_t end, std::string_view value,
                 const XmpTakenTimeChange& change) {
    const std::string_view before = Trimmed(value);
    if (before.empty()) return true;  // nothing to move
    const auto date = ParseXmpDate(before);
    // A value that is not a date can't have held the taken time; one that
    // must move with it makes the packet unfit to edit.
    if (property.onlyWhereTaken && (!date || !SameSecond(*date, change.before))) return true;
    if (!date) return Fail(std::string(property.shown) + " holds \"" + std::string(before) + "\", not a date");
    const auto shifted = ShiftXmpDate(*date, change.before, change.after);
    if (!shifted) return Fail(std::string(property.shown) + " \"" + std::string(before) + "\" can't be moved");
    const std::string after = FormatXmpDate(*shifted);
    if (after == before) return true;
    // Blanks around the value stay; a value written with references or
    // CDATA is replaced whole.
    while (begin < end && IsXmlSpace(text_[begin])) ++begin;
    while (end > begin && IsXmlSpace(text_[end - 1])) --end;
    splices_.push_back({begin, end - begin, after});
    changes_.push_back({"XMP " + std::string(property.shown), std::string(before), after});
    return true;
  }

  bool SetAttributeText(pugi::xml_attribute attribute, const std::string& shown, const std::string& wanted) {
    const size_t begin = OffsetOf(attribute.value());
    const size_t end = begin + std::strlen(attribute.value());
    const auto before = DecodeXmlReferences(text_.substr(begin, end - begin));
    if (!before) return Fail(shown + " holds a reference that can't be read");
    if (*before == wanted) return true;
    if (wanted.empty()) {
      size_t from = OffsetOf(attribute.name());
      while (from > 0 && IsXmlSpace(text_[from - 1])) --from;
      splices_.push_back({from, end + 1 - from, {}});  // with its closing quote
    } else {
      splices_.push_back({begin, end - begin, EscapeXmlAttribute(wanted, text_[begin - 1])});
    }
    changes_.push_back({"XMP " + shown, *before, wanted});
    return true;
  }

  bool SetElementText(pugi::xml_node property, const std::string& shown, const std::string& wanted,
                      std::string_view step) {
    const auto span = SpanOf(property);
    if (!span) return Fail("an element can't be delimited");
    std::vector<pugi::xml_node> items;
    for (const pugi::xml_node child : property.children()) {
      if (child.type() == pugi::node_element) items.push_back(child);
    }
    if (items.empty()) {
      if (RdfAttribute(property, "resource")) return Fail(shown + " names a resource, not a text");
      return SetLeafText(property, *span, shown, wanted, *span);
    }
    if (items.size() != 1 || !Is(items.front(), kRdfNs, "Alt")) {
      return Fail(shown + " is neither a text nor a language alternative");
    }
    const pugi::xml_node alternative = items.front();
    pugi::xml_node xDefault;
    size_t languages = 0;
    for (const pugi::xml_node item : alternative.children()) {
      if (item.type() != pugi::node_element) continue;
      ++languages;
      if (xDefault) continue;
      for (const pugi::xml_attribute attribute : item.attributes()) {
        const QName name = Split(attribute.name());
        if (name.local == "lang" && NamespaceOf(item, name.prefix) == kXmlNs && IsXDefault(attribute.value())) {
          xDefault = item;
        }
      }
    }
    if (xDefault) {
      const auto itemSpan = SpanOf(xDefault);
      if (!itemSpan) return Fail("an element can't be delimited");
      // Removing the only alternative removes the property.
      return SetLeafText(xDefault, *itemSpan, shown, wanted, languages == 1 ? *span : *itemSpan);
    }
    if (wanted.empty()) return true;
    const auto alternativeSpan = SpanOf(alternative);
    if (!alternativeSpan) return Fail("an element can't be delimited");
    const std::string rdf(Split(alternative.name()).prefix);
    const std::string li = rdf.empty() ? "li" : rdf + ":li";
    const std::string item = "<" + li + " xml:lang=\"x-default\">" + EscapeXmlContent(wanted) + "</" + li + ">";
    if (alternativeSpan->emptyElementTag) {
      if (!Append(alternative, "\n" + ChildIndent(alternative).first + item)) return false;
    } else {
      // The x-default alternative comes first.
      const std::string indent = std::string(LineIndent(text_, alternativeSpan->start)) + std::string(step);
      splices_.push_back({alternativeSpan->contentBegin, 0, "\n" + indent + item});
    }
    changes_.push_back({"XMP " + shown, {}, wanted});
    return true;
  }

  // Replaces the text of element (a property or an alternative) or, when
  // wanted is empty, removes `removed` with the blanks before it.
  bool SetLeafText(pugi::xml_node element, const ElementSpan& span, const std::string& shown, const std::string& wanted,
                   const ElementSpan& removed) {
    const auto before = LeafText(Content(span));
    if (!before) return Fail(shown + " is not a plain text");
    if (*before == wanted) return true;
    if (wanted.empty()) {
      size_t from = removed.start;
      while (from > 0 && IsXmlSpace(text_[from - 1])) --from;
      splices_.push_back({from, removed.end - from, {}});
    } else if (span.emptyElementTag) {
      splices_.push_back({span.end - 2, 2, ">" + EscapeXmlContent(wanted) + "</" + std::string(element.name()) + ">"});
    } else {
      splices_.push_back({span.contentBegin, span.contentEnd - span.contentBegin, EscapeXmlContent(wanted)});
    }
    changes_.push_back({"XMP " + shown, *before, wanted});
    return true;
  }

  std::string_view text_;
  const char* base_;
  mutable std::deque<std::string> decodedNames_;
  std::vector<Splice> splices_;
  std::vector<XmpChange> changes_;
  std::string problem_;
};

// Where the padding of an embedded packet lies: the whitespace just before
// its closing <?xpacket end=...?>, or at its very end when it has none.
struct PaddingPlace {
  size_t begin = 0;
  size_t end = 0;
};

PaddingPlace FindPadding(std::string_view text, size_t rootEnd) {
  size_t end = text.size();
  const size_t trailer = text.rfind("<?xpacket");
  if (trailer != std::string_view::npos && trailer >= rootEnd) {
    size_t at = trailer + 9;
    while (at < text.size() && IsXmlSpace(text[at])) ++at;
    if (text.substr(at).starts_with("end")) end = trailer;
  }
  size_t begin = end;
  while (begin > rootEnd && IsXmlSpace(text[begin - 1])) --begin;
  return {begin, end};
}

// text with the splices (in any order, none overlapping) applied, followed
// by trailer; nothing when two overlap.
std::optional<std::vector<uint8_t>> Applied(std::string_view text, std::vector<Splice> splices,
                                            std::string_view trailer) {
  std::stable_sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.at < b.at; });
  std::vector<uint8_t> out;
  out.reserve(text.size() + trailer.size() + kXmpGrowthPadding);
  const auto append = [&out](std::string_view part) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(part.data());
    out.insert(out.end(), bytes, bytes + part.size());
  };
  size_t done = 0;
  for (const Splice& s : splices) {
    if (s.at < done || s.at > text.size() || s.length > text.size() - s.at) return std::nullopt;
    append(text.substr(done, s.at - done));
    append(s.text);
    done = s.at + s.length;
  }
  append(text.substr(done));
  append(trailer);
  return out;
}

// The splice that keeps an embedded packet's length, or gives it fresh
// padding when the change does not fit in the old.
std::optional<Splice> PaddingSplice(std::string_view text, const PaddingPlace& padding, std::ptrdiff_t growth,
                                    size_t limit) {
  const size_t room = padding.end - padding.begin;
  // Padding is taken or given before the line break that ends it, when it has one.
  const bool lineBreak = room > 0 && text[padding.end - 1] == '\n';
  if (growth < 0) {
    return Splice{lineBreak ? padding.end - 1 : padding.end, 0, std::string(static_cast<size_t>(-growth), ' ')};
  }
  const auto needed = static_cast<size_t>(growth);
  if (needed <= room) {
    const size_t cut = lineBreak && needed < room ? padding.end - 1 : padding.end;
    return Splice{cut - needed, needed, {}};
  }
  const size_t bare = text.size() - room + needed;
  if (bare > limit) return std::nullopt;
  const size_t fresh = std::min(kXmpGrowthPadding, limit - bare);
  return Splice{padding.begin, room, Padding(fresh)};
}

}  // namespace

XmpEditResult EditXmpPacket(std::span<const uint8_t> packet, const XmpEdits& edits, XmpPacketKind kind) {
  XmpEditResult result;
  result.packet.assign(packet.begin(), packet.end());
  const auto malformed = [&result](std::string problem) {
    result.status = XmpEditStatus::kMalformed;
    result.problem = std::move(problem);
    result.changes.clear();
    return result;
  };
  // Some writers end the segment with zero bytes after the packet: they stay
  // where they are, outside the text edited.
  std::string_view text(reinterpret_cast<const char*>(packet.data()), packet.size());
  const size_t xmlLength = text.find_last_not_of('\0') + 1;
  const std::string_view trailer = text.substr(xmlLength);
  text = text.substr(0, xmlLength);
  if (text.find('\0') != std::string_view::npos) return malformed("the packet holds a zero byte");

  // The parser works in place on a copy, without decoding values, so that
  // every name and value it returns points at its own raw bytes.
  std::vector<char> copy(text.begin(), text.end());
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer_inplace(copy.data(), copy.size(), pugi::parse_minimal, pugi::encoding_utf8);
  if (!parsed) return malformed(std::string("not well-formed XML: ") + parsed.description());
  PacketEditor editor(text, copy.data());
  const pugi::xml_node rdf = editor.FindRdf(document);
  if (!rdf) return malformed("no rdf:RDF in x:xmpmeta");
  std::vector<pugi::xml_node> descriptions;
  for (const pugi::xml_node child : rdf.children()) {
    if (editor.Is(child, kRdfNs, "Description")) descriptions.push_back(child);
  }

  if (edits.takenTime) {
    for (const pugi::xml_node description : descriptions) {
      if (!editor.ShiftDates(description, *edits.takenTime)) return malformed(editor.problem());
    }
  }
  // New properties go to the end of the first rdf:Description, or into a new
  // one when there is none.
  const pugi::xml_node host = descriptions.empty() ? rdf : descriptions.front();
  const auto [indent, step] = editor.ChildIndent(host);
  const std::string propertyIndent = descriptions.empty() ? indent + step : indent;
  std::string added;
  if (edits.description &&
      !editor.SetText(descriptions, host, "description", *edits.description, added, propertyIndent, step)) {
    return malformed(editor.problem());
  }
  if (edits.rights && !editor.SetText(descriptions, host, "rights", *edits.rights, added, propertyIndent, step)) {
    return malformed(editor.problem());
  }
  if (!added.empty()) {
    if (descriptions.empty()) {
      added = "\n" + indent + "<rdf:Description rdf:about=\"\"" + editor.Declaration(rdf, "rdf", kRdfNs) + ">" + added +
              "\n" + indent + "</rdf:Description>";
    }
    if (!editor.Append(host, added)) return malformed(editor.problem());
  }

  std::vector<Splice>& splices = editor.splices();
  if (splices.empty()) return result;
  std::ptrdiff_t growth = 0;
  for (const Splice& s : splices) {
    growth += static_cast<std::ptrdiff_t>(s.text.size()) - static_cast<std::ptrdiff_t>(s.length);
  }
  if (kind == XmpPacketKind::kEmbedded && growth != 0) {
    const pugi::xml_node root = document.document_element();
    const auto rootSpan = ScanElement(text, static_cast<size_t>(root.name() - copy.data()) - 1);
    if (!rootSpan) return malformed("the document element can't be delimited");
    const size_t limit = trailer.size() < kMaxXmpPacketLength ? kMaxXmpPacketLength - trailer.size() : 0;
    const auto padding = PaddingSplice(text, FindPadding(text, rootSpan->end), growth, limit);
    if (!padding) {
      result.status = XmpEditStatus::kTooLarge;
      result.problem = "the packet would pass the 65535-byte segment limit";
      return result;
    }
    splices.push_back(*padding);
  }
  auto edited = Applied(text, splices, trailer);
  if (!edited) return malformed("two edits overlap");
  result.status = edited->size() == packet.size() ? XmpEditStatus::kSameLength : XmpEditStatus::kResized;
  result.packet = std::move(*edited);
  result.changes = std::move(editor.changes());
  return result;
}

std::string XmpTextOfExifCopyright(std::string_view value) {
  std::string text(value);
  const size_t first = text.find('\0');
  if (first != std::string::npos) {
    size_t from = first;
    while (from > 0 && text[from - 1] == ' ') --from;
    text.replace(from, first + 1 - from, "\n");
    const size_t second = text.find('\0', from + 1);
    if (second != std::string::npos) {
      size_t cut = second;
      while (cut > from + 1 && text[cut - 1] == ' ') --cut;
      text.erase(cut);
    }
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string XmpTextOfExifText(std::string_view value) { return std::string(value.substr(0, value.find('\0'))); }

}  // namespace kelvane
