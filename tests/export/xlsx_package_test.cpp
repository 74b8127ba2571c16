// SPDX-License-Identifier: GPL-2.0-or-later
#include "export/xlsx_package.h"

#include <gtest/gtest.h>

#include "export/clean_text.h"
#include "export/export_output.h"
#include "export/xlsx_text.h"
#include "export/xlsx_worksheet.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

TEST(XlsxText, CellTextIsValidXmlThatSpreadsheetsDecodeBack) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain", "plain"},
      {"a&b<c>d\"e'", "a&amp;b&lt;c&gt;d\"e'"},
      {"tab\tline\n", "tab\tline\n"},
      {std::string("nul\0one\x01", 8), "nul_x0000_one_x0001_"},
      {"cr\r", "cr_x000D_"},
      {"_x0041_ and _x00zz_", "_x005F_x0041_ and _x00zz_"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},                // valid UTF-8 kept
      {"caf\xe9", "caf\xc3\xa9"},                    // a Latin-1 byte
      {"\xc0\xaf", "\xc3\x80\xc2\xaf"},              // overlong form: two Latin-1 bytes
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},  // a surrogate is not UTF-8
      {"\xef\xbf\xbe!", "_xFFFE_!"},
      {"\xf0\x9f\x93\xb7", "\xf0\x9f\x93\xb7"},  // outside the basic plane
      {"end\xe2\x82", "end\xc3\xa2\xc2\x82"},    // cut-off sequence
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CellTextXml(c.in), c.out) << c.in;
  }
  EXPECT_EQ(CountCharacters(ToUtf8("\xe9t\xc3\xa9")), 3u);
}

TEST(CleanText, StopsAtTheFirstZeroByteAndIsAlwaysUtf8) {
  EXPECT_EQ(CleanText(std::string("Nikon\0\2\0MM", 10)), "Nikon");
  EXPECT_EQ(CleanText("caf\xe9"), "caf\xc3\xa9");
  EXPECT_EQ(CleanText("caf\xc3\xa9"), "caf\xc3\xa9");
  EXPECT_EQ(CleanText(std::string("\0x", 2)), "");
  EXPECT_EQ(HexText(std::string("\0\x01\xAB", 3)), "0001ab");
}

TEST(XlsxWorksheet, ColumnNamesAndCellOrder) {
  const std::pair<uint32_t, const char*> names[] = {{1, "A"},   {26, "Z"},   {27, "AA"},   {52, "AZ"},
                                                    {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
  for (const auto& [column, name] : names) EXPECT_EQ(ColumnName(column), name);

  ScratchFile file;
  ASSERT_TRUE(file.Append("before"));
  WorksheetXml sheet(file);
  EXPECT_TRUE(sheet.AddNumber(1, 2, 271));
  EXPECT_FALSE(sheet.AddText(1, 2, "again"));
  EXPECT_FALSE(sheet.AddText(1, 1, "before"));
  EXPECT_FALSE(sheet.AddText(0, 1, "row 0"));
  EXPECT_FALSE(sheet.AddText(2, WorksheetXml::kMaxColumns + 1, "too far"));
  EXPECT_FALSE(sheet.AddText(WorksheetXml::kMaxRows + 1, 1, "too low"));
  EXPECT_TRUE(sheet.AddText(2, 1, " padded"));
  const std::optional<PartRange> range = sheet.Finish();
  ASSERT_TRUE(range && file.Flush());
  EXPECT_EQ(range->offset, 6u);
  std::string part(range->length, '\0');
  ASSERT_TRUE(file.ReadAt(range->offset, part.data(), part.size()));
  EXPECT_EQ(part,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
            "<row r=\"1\"><c r=\"B1\"><v>271</v></c></row>"
            "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> padded</t></is></c></row>"
            "</sheetData></worksheet>");
}

// An empty worksheet part in a scratch file.
PartRange EmptySheet(ScratchFile& file) { return *WorksheetXml(file).Finish(); }

TEST(XlsxPackage, SheetNamesAreCheckedAsASpreadsheetChecksThem) {
  XlsxPackage package;
  ScratchFile parts;
  ASSERT_EQ(package.AddWorksheet("Metadata 001", parts, EmptySheet(parts)), XlsxResult::kOk);
  const struct {
    std::string name;
    bool allowed;
  } cases[] = {
      {"IMG_0001", true},
      {"", false},
      {std::string(31, 'x'), true},
      {std::string(32, 'x'), false},
      {std::string(31, 'x') + "\xc3\xa9", false},
      {std::string(30, 'x') + "\xc3\xa9", true},  // 31 characters in 32 bytes
      {"a:b", false},
      {"a\\b", false},
      {"a/b", false},
      {"a?b", false},
      {"a*b", false},
      {"a[b", false},
      {"a]b", false},
      {"'ab", false},
      {"ab'", false},
      {"a'b", true},
      {"tab\there", false},
      {"METADATA 001", false},
      {"Metadata 002", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(package.SheetNameAllowed(c.name), c.allowed) << c.name;
  }
  EXPECT_EQ(package.AddWorksheet("metadata 001", parts, EmptySheet(parts)), XlsxResult::kNameRefused);
  EXPECT_EQ(package.WorksheetCount(), 1u);
}

TEST(XlsxPackage, OpenRefusesWhatIsNotAWorkbook) {
  test::ScratchFolder scratch;
  XlsxPackage package;
  EXPECT_EQ(XlsxPackage::Open(scratch.File("missing.xlsx"), package), XlsxResult::kCannotOpen);
  test::WriteBytes(scratch.File("text.xlsx"), {'t', 'e', 'x', 't'});
  EXPECT_EQ(XlsxPackage::Open(scratch.File("text.xlsx"), package), XlsxResult::kCannotOpen);
  test::WriteBytes(scratch.File("empty.xlsx"), {});
  EXPECT_NE(XlsxPackage::Open(scratch.File("empty.xlsx"), package), XlsxResult::kOk);

  // Zip packages lacking a workbook part, or with a damaged one.
  const struct {
    const char* name;
    const char* members;
  } broken[] = {
      {"plain.zip", "{'a.txt': 'hello'}"},
      {"norels.xlsx", "{'[Content_Types].xml': '<Types/>'}"},
      {"nobook.xlsx", "{'[Content_Types].xml': '<Types/>', '_rels/.rels': '<Relationships/>'}"},
      {"badbook.xlsx",
       "{'[Content_Types].xml': '<Types/>', '_rels/.rels': '<Relationships><Relationship Id=\"r\" "
       "Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>', 'xl/workbook.xml': '<workbook'}"},
      {"escape.xlsx",
       "{'[Content_Types].xml': '<Types/>', '_rels/.rels': '<Relationships><Relationship Id=\"r\" "
       "Type=\"x/officeDocument\" Target=\"../../etc/passwd\"/></Relationships>'}"},
  };
  for (const auto& b : broken) {
    const std::string path = scratch.File(b.name);
    ASSERT_TRUE(
        test::RunCommand("/usr/bin/python3 -c " +
                         test::ShellQuote(std::string("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                                      "for n, t in ") +
                                          b.members + ".items(): z.writestr(n, t)\nz.close()") +
                         " " + test::ShellQuote(path)));
    EXPECT_EQ(XlsxPackage::Open(path, package), XlsxResult::kNotAWorkbook) << b.name;
  }
}

// Saves the package as path through an export output (beside it, then renamed over it).
bool SaveAs(XlsxPackage& package, const std::string& path) {
  ExportOutput file = ExportOutput::File(path);
  return file.Open() && package.Save(file.fd()) == XlsxResult::kOk && file.Finish() && file.Commit();
}

TEST(XlsxPackage, SavedPackagesOpenAgainWithTheirSheets) {
  test::ScratchFolder scratch;
  const std::string path = scratch.File("book.xlsx");
  ScratchFile parts;
  XlsxPackage created;
  ASSERT_EQ(created.AddWorksheet("One", parts, EmptySheet(parts)), XlsxResult::kOk);
  ASSERT_TRUE(parts.Flush() && SaveAs(created, path));
  XlsxPackage opened;
  ASSERT_EQ(XlsxPackage::Open(path, opened), XlsxResult::kOk);
  EXPECT_FALSE(opened.SheetNameAllowed("one"));
  ASSERT_EQ(opened.AddWorksheet("Two", parts, EmptySheet(parts)), XlsxResult::kOk);
  ASSERT_TRUE(parts.Flush() && SaveAs(opened, path));
  XlsxPackage reopened;
  ASSERT_EQ(XlsxPackage::Open(path, reopened), XlsxResult::kOk);
  EXPECT_FALSE(reopened.SheetNameAllowed("TWO"));
  EXPECT_EQ(reopened.WorksheetCount(), 2u);
}

}  // namespace
}  // namespace kelvane
