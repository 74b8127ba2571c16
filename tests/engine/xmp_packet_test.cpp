// SPDX-License-Identifier: GPL-2.0-or-later
// The XMP packet editor on hand-written packets: which values change, how
// the bytes around them stay, padding, and packets it must leave alone.
#include "engine/xmp_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/xmp_segment.h"

namespace kelvane {
namespace {

const std::string kOpen =
    R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)";
const std::string kClose = "</rdf:RDF></x:xmpmeta>";
const std::string kExif = R"(xmlns:exif="http://ns.adobe.com/exif/1.0/")";
const std::string kXap = R"(xmlns:xap="http://ns.adobe.com/xap/1.0/")";
const std::string kPhotoshop = R"(xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/")";
const std::string kDc = R"(xmlns:dc="http://purl.org/dc/elements/1.1/")";

std::string Packet(const std::string& body) { return kOpen + body + kClose; }

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

const CalendarTime kTaken{2008, 5, 4, 16, 47, 24};
XmpEdits Edits(std::optional<CalendarTime> after, std::optional<std::string> rights,
               std::optional<std::string> description) {
  XmpEdits edits;
  if (after) edits.takenTime = XmpTakenTimeChange{kTaken, *after};
  edits.rights = std::move(rights);
  edits.description = std::move(description);
  return edits;
}
XmpEdits Shift(CalendarTime after) { return Edits(after, {}, {}); }
XmpEdits Rights(const std::string& text) { return Edits({}, text, {}); }
XmpEdits Description(const std::string& text) { return Edits({}, {}, text); }

TEST(XmpPacket, ChangesOnlyTheEditedValues) {
  const CalendarTime hourLater{2008, 5, 4, 17, 47, 24};
  const struct {
    const char* what;
    std::string in;
    XmpEdits edits;
    std::string out;
  } cases[] = {
      {"dates as elements, blanks around a value kept; ModifyDate not the taken time",
       Packet("<rdf:Description " + kExif + " " + kXap + " " + kPhotoshop +
              ">\n <exif:DateTimeOriginal> 2008-05-04T16:47:24.50+02:00\n</exif:DateTimeOriginal>"
              "<exif:DateTimeDigitized>2008-05-04T16:47:24Z</exif:DateTimeDigitized>"
              "<xap:ModifyDate>2008-05-04T16:47:25</xap:ModifyDate><xap:CreateDate>2008-05-04T16:47</xap:CreateDate>"
              "<photoshop:DateCreated>2008-05-04</photoshop:DateCreated></rdf:Description>"),
       Shift(hourLater),
       Packet("<rdf:Description " + kExif + " " + kXap + " " + kPhotoshop +
              ">\n <exif:DateTimeOriginal> 2008-05-04T17:47:24.50+02:00\n</exif:DateTimeOriginal>"
              "<exif:DateTimeDigitized>2008-05-04T17:47:24Z</exif:DateTimeDigitized>"
              "<xap:ModifyDate>2008-05-04T16:47:25</xap:ModifyDate><xap:CreateDate>2008-05-04T17:47</xap:CreateDate>"
              "<photoshop:DateCreated>2008-05-04</photoshop:DateCreated></rdf:Description>")},
      {"dates as attributes, any prefix; ModifyDate that is not a date left alone",
       Packet("<rdf:Description " + kXap + " " + kExif +
              " xap:CreateDate='2008-05-04T16:47:24-07:00' exif:DateTimeDigitized=\"4 May 2008, 16:47:24\"\n"
              " xap:ModifyDate=\"2008-05-04T16:47:24\"/>"),
       Shift({2008, 5, 3, 23, 0, 0}),
       Packet("<rdf:Description " + kXap + " " + kExif +
              " xap:CreateDate='2008-05-03T23:00:00-07:00' exif:DateTimeDigitized=\"4 May 2008, 16:47:24\"\n"
              " xap:ModifyDate=\"2008-05-03T23:00:00\"/>")},
      {"same names elsewhere: another namespace, inside a structure, an empty value",
       Packet("<rdf:Description xmlns:o=\"urn:other\" " + kExif +
              "><o:DateTimeOriginal>2008-05-04T16:47:24</o:DateTimeOriginal>"
              "<o:S rdf:parseType=\"Resource\"><exif:DateTimeOriginal>2008-05-04T16:47:24</exif:DateTimeOriginal></o:S>"
              "<exif:DateTimeOriginal/></rdf:Description>"),
       Shift(hourLater), ""},
      {"rights: x-default replaced (escaped), other language kept",
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt><rdf:li xml:lang=\"de\">Alt</rdf:li><rdf:li xml:lang=\"X-Default\">Old</rdf:li>"
              "</rdf:Alt></dc:rights></rdf:Description>"),
       Rights("A & B <C>\r\n\x01\xA9"),
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt><rdf:li xml:lang=\"de\">Alt</rdf:li><rdf:li xml:lang=\"X-Default\">"
              "A &amp; B &lt;C&gt;&#13;\n\xC2\xA9</rdf:li></rdf:Alt></dc:rights></rdf:Description>")},
      {"rights: removing the only alternative removes the property with its line",
       Packet("<rdf:Description " + kDc +
              ">\n  <dc:format>image/jpeg</dc:format>\n  <dc:rights>\n   <rdf:Alt>\n    <rdf:li "
              "xml:lang='x-default'>Old</rdf:li>\n   </rdf:Alt>\n  </dc:rights>\n </rdf:Description>"),
       Rights(""), Packet("<rdf:Description " + kDc + ">\n  <dc:format>image/jpeg</dc:format>\n </rdf:Description>")},
      {"rights: removing x-default keeps the other languages",
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt>\n<rdf:li xml:lang='x-default'>Old</rdf:li>\n<rdf:li xml:lang='fr'>Vieux</rdf:li>"
              "</rdf:Alt></dc:rights></rdf:Description>"),
       Rights(""),
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt>\n<rdf:li xml:lang='fr'>Vieux</rdf:li></rdf:Alt></dc:rights></rdf:Description>")},
      {"rights: x-default added first when only other languages are there",
       Packet("<rdf:Description " + kDc +
              ">\n <dc:rights>\n  <rdf:Alt>\n   <rdf:li xml:lang='fr'>Vieux</rdf:li>\n  </rdf:Alt>\n </dc:rights>\n"
              "</rdf:Description>"),
       Rights("New"),
       Packet("<rdf:Description " + kDc +
              ">\n <dc:rights>\n  <rdf:Alt>\n   <rdf:li xml:lang=\"x-default\">New</rdf:li>\n   <rdf:li "
              "xml:lang='fr'>Vieux</rdf:li>\n  </rdf:Alt>\n </dc:rights>\n</rdf:Description>")},
      {"description added to the first rdf:Description, declaring dc there",
       Packet("\n <rdf:Description rdf:about=''>\n  <a:b xmlns:a='urn:a'>1</a:b>\n </rdf:Description>\n"
              " <rdf:Description " +
              kDc + "/>\n"),
       Description("Text"),
       Packet("\n <rdf:Description rdf:about=''>\n  <a:b xmlns:a='urn:a'>1</a:b>\n  <dc:description " + kDc +
              ">\n   <rdf:Alt>\n    <rdf:li xml:lang=\"x-default\">Text</rdf:li>\n   </rdf:Alt>\n  "
              "</dc:description>\n </rdf:Description>\n <rdf:Description " +
              kDc + "/>\n")},
      {"description and rights added to an empty-element rdf:Description that declares dc",
       Packet("\n <rdf:Description " + kDc + "/>\n"), Edits({}, "R", "D"),
       Packet("\n <rdf:Description " + kDc +
              ">\n  <dc:description>\n   <rdf:Alt>\n    <rdf:li xml:lang=\"x-default\">D</rdf:li>\n   </rdf:Alt>\n  "
              "</dc:description>\n  <dc:rights>\n   <rdf:Alt>\n    <rdf:li xml:lang=\"x-default\">R</rdf:li>\n   "
              "</rdf:Alt>\n  </dc:rights>\n </rdf:Description>\n")},
      {"rights added to an rdf:RDF without rdf:Description", Packet(""), Rights("R"),
       kOpen + "\n <rdf:Description rdf:about=\"\">\n  <dc:rights " + kDc +
           ">\n   <rdf:Alt>\n    <rdf:li xml:lang=\"x-default\">R</rdf:li>\n   </rdf:Alt>\n  </dc:rights>\n "
           "</rdf:Description>" +
           kClose},
      {"attribute and plain-text forms; an attribute removed with its blank",
       Packet("<rdf:Description " + kDc + " dc:description=\"Old\"><dc:rights>Old</dc:rights></rdf:Description>" +
              "<rdf:Description " + kDc + " dc:rights='X'/>"),
       Edits({}, "", "Line 1\nLine \"2\"\t'"),
       Packet("<rdf:Description " + kDc + " dc:description=\"Line 1&#10;Line &quot;2&quot;&#9;'\"></rdf:Description>" +
              "<rdf:Description " + kDc + "/>")},
      {"an empty x-default alternative given a text",
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt><rdf:li xml:lang='x-default'/></rdf:Alt></dc:rights></rdf:Description>"),
       Rights("R"),
       Packet("<rdf:Description " + kDc +
              "><dc:rights><rdf:Alt><rdf:li xml:lang='x-default'>R</rdf:li></rdf:Alt></dc:rights></rdf:Description>")},
      {"the same text again changes nothing", Packet("<rdf:Description " + kDc + " dc:rights='A &amp; B'/>"),
       Rights("A & B"), ""},
      {"no shift is no change", Packet("<rdf:Description " + kExif + " exif:DateTimeOriginal='2008-05-04T16:47:24'/>"),
       Shift(kTaken), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const XmpEditResult result = EditXmpPacket(Bytes(c.in), c.edits, XmpPacketKind::kSidecar);
    ASSERT_TRUE(result.problem.empty()) << result.problem;
    if (c.out.empty()) {
      EXPECT_EQ(result.status, XmpEditStatus::kUnchanged);
      EXPECT_TRUE(result.changes.empty());
      EXPECT_EQ(Text(result.packet), c.in);
    } else {
      EXPECT_NE(result.status, XmpEditStatus::kUnchanged);
      EXPECT_FALSE(result.changes.empty());
      EXPECT_EQ(Text(result.packet), c.out);
    }
  }
}

TEST(XmpPacket, ListsEachChangeForThePreview) {
  const std::string in = Packet("<rdf:Description " + kExif + " " + kDc +
                                " exif:DateTimeOriginal='2008-05-04T16:47:24+02:00'><dc:rights><rdf:Alt><rdf:li "
                                "xml:lang='x-default'>Old</rdf:li></rdf:Alt></dc:rights></rdf:Description>");
  const XmpEditResult result =
      EditXmpPacket(Bytes(in), Edits(CalendarTime{2008, 5, 5, 1, 0, 0}, "", "D"), XmpPacketKind::kSidecar);
  ASSERT_EQ(result.changes.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"XMP exif:DateTimeOriginal", "2008-05-04T16:47:24+02:00", "2008-05-05T01:00:00+02:00"},
      {"XMP dc:description", "", "D"},
      {"XMP dc:rights", "Old", ""},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(result.changes[i].property, expected[i][0]);
    EXPECT_EQ(result.changes[i].before, expected[i][1]);
    EXPECT_EQ(result.changes[i].after, expected[i][2]);
  }
}

TEST(XmpPacket, LeavesAMalformedPacketByteForByte) {
  const std::string date = "<rdf:Description " + kExif + " exif:DateTimeOriginal='2008-05-04T16:47:24'/>";
  const struct {
    const char* what;
    std::string in;
    XmpEdits edits;
  } cases[] = {
      {"not XML", "<x:xmpmeta><rdf:RDF>", Rights("R")},
      {"mismatched end tag", kOpen + "</rdf:Description>" + kClose, Rights("R")},
      {"no rdf:RDF", R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"/>)", Rights("R")},
      {"rdf:RDF bound to another namespace",
       "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='urn:x'/></x:xmpmeta>", Rights("R")},
      {"another document element", "<html><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/></html>",
       Rights("R")},
      {"a zero byte", Packet(std::string("<rdf:Description/>\0", 19)), Rights("R")},
      {"a taken date that is not a date", Packet("<rdf:Description " + kExif + " exif:DateTimeOriginal='yesterday'/>"),
       Shift({2009, 1, 1, 0, 0, 0})},
      {"a taken date holding an element",
       Packet("<rdf:Description " + kExif + "><exif:DateTimeOriginal><a/></exif:DateTimeOriginal></rdf:Description>"),
       Shift({2009, 1, 1, 0, 0, 0})},
      {"a date moved past 9999", date, Shift({9999, 12, 31, 23, 0, 0})},
      {"rights as a bag", Packet("<rdf:Description " + kDc + "><dc:rights><rdf:Bag/></dc:rights></rdf:Description>"),
       Rights("R")},
      {"rights as a resource",
       Packet("<rdf:Description " + kDc + "><dc:rights rdf:resource='urn:r'/></rdf:Description>"), Rights("R")},
      {"an unknown reference in the value to replace", Packet("<rdf:Description " + kDc + " dc:rights='&copy; A'/>"),
       Rights("R")},
      {"a date edit fine, the rights not",
       date + Packet("<rdf:Description " + kDc + "><dc:rights><rdf:Seq/></dc:rights></rdf:Description>"),
       Edits(CalendarTime{2009, 1, 1, 0, 0, 0}, "R", {})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const XmpEditResult result = EditXmpPacket(Bytes(c.in), c.edits, XmpPacketKind::kEmbedded);
    EXPECT_EQ(result.status, XmpEditStatus::kMalformed);
    EXPECT_FALSE(result.problem.empty());
    EXPECT_TRUE(result.changes.empty());
    EXPECT_EQ(Text(result.packet), c.in);
  }
}

// An embedded packet as writers leave it: the xpacket wrapper, padding lines
// before the closing instruction.
std::string Embedded(const std::string& rights, size_t paddingLines) {
  std::string padding;
  for (size_t i = 0; i < paddingLines; ++i) padding += std::string(99, ' ') + "\n";
  return "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n" +
         Packet("<rdf:Description " + kDc + " dc:rights='" + rights + "'/>") + "\n" + padding + "<?xpacket end='w'?>";
}

TEST(XmpPacket, EmbeddedPacketKeepsItsLengthWithinItsPaddingElseGrows) {
  const std::string longer(150, 'L');
  const struct {
    const char* what;
    std::string in;
    std::string rights;
    XmpEditStatus status;
    size_t length;
  } cases[] = {
      {"longer, fits", Embedded("Old", 2), "Old and more", XmpEditStatus::kSameLength, Embedded("Old", 2).size()},
      {"shorter", Embedded("Old", 2), "O", XmpEditStatus::kSameLength, Embedded("Old", 2).size()},
      {"fills the padding to its last byte", Embedded("Old", 1), "Old" + std::string(100, '+'),
       XmpEditStatus::kSameLength, Embedded("Old", 1).size()},
      // The old padding (down to the line break after x:xmpmeta) gives way to fresh padding.
      {"past the padding", Embedded("Old", 1), longer, XmpEditStatus::kResized,
       Embedded("Old", 0).size() - 1 + longer.size() - 3 + kXmpGrowthPadding},
      {"no padding at all", Embedded("Old", 0), "Older", XmpEditStatus::kResized,
       Embedded("Old", 0).size() - 1 + 2 + kXmpGrowthPadding},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const XmpEditResult result = EditXmpPacket(Bytes(c.in), Rights(c.rights), XmpPacketKind::kEmbedded);
    EXPECT_EQ(result.status, c.status);
    const std::string out = Text(result.packet);
    EXPECT_EQ(out.size(), c.length);
    // Everything up to the value and from the closing instruction on stays.
    EXPECT_EQ(out.substr(0, c.in.find("Old")), c.in.substr(0, c.in.find("Old")));
    EXPECT_NE(out.find(c.rights + "'/>" + kClose + "\n"), std::string::npos);
    EXPECT_TRUE(out.ends_with("\n<?xpacket end='w'?>"));
    // A grown packet has room for the next edit in place.
    if (c.status == XmpEditStatus::kResized) {
      const XmpEditResult next = EditXmpPacket(result.packet, Rights(c.rights + "!"), XmpPacketKind::kEmbedded);
      EXPECT_EQ(next.status, XmpEditStatus::kSameLength);
    }
  }
}

TEST(XmpPacket, EmbeddedPacketNeverPassesTheSegmentLimit) {
  const std::string head = Embedded("Old", 0);
  const std::string filler(kMaxXmpPacketLength - head.size() - 100, 'f');
  const std::string nearlyFull = Embedded(filler, 0);
  // Grows, with what room is left as padding.
  XmpEditResult result = EditXmpPacket(Bytes(nearlyFull), Rights(filler + "++"), XmpPacketKind::kEmbedded);
  EXPECT_EQ(result.status, XmpEditStatus::kResized);
  EXPECT_EQ(result.packet.size(), kMaxXmpPacketLength);
  // Can't grow.
  result = EditXmpPacket(Bytes(nearlyFull), Rights(filler + std::string(200, '+')), XmpPacketKind::kEmbedded);
  EXPECT_EQ(result.status, XmpEditStatus::kTooLarge);
  EXPECT_EQ(Text(result.packet), nearlyFull);
  EXPECT_TRUE(result.changes.empty());
}

}  // namespace
}  // namespace kelvane
