// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/copyright_notice.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "text_tag_photos.h"

namespace kelvane {
namespace {

using namespace std::string_literals;

const std::string kNul("\0", 1);

NoticeChoice Photographer() { return {true, false, false}; }
NoticeChoice Editor() { return {false, true, false}; }
NoticeChoice Both() { return {true, true, false}; }

TEST(ComposeCopyrightNotice, TypedYearBuildsWholeNotice) {
  CopyrightEntries entries{"  John Smith ", " 2008 ", "Ed Itor", "2010"};
  const ComposedNotice notice = ComposeCopyrightNotice(Both(), entries, NoticeTexts{});
  EXPECT_EQ(notice.code, compose_code::kOk);
  EXPECT_EQ(notice.parts[0], "Copyright(C) 2008 John Smith - All Rights Reserved." + kNul);
  EXPECT_EQ(notice.parts[1], "");
  EXPECT_EQ(notice.parts[2], "Copyright(C) 2010 Ed Itor - All Rights Reserved." + kNul);
  EXPECT_EQ(notice.parts[3], "");
  EXPECT_EQ(entries.photographerYear, "2008") << "the year is written back as used";
  EXPECT_FALSE(notice.firstTextEmpty);
  EXPECT_FALSE(notice.secondTextEmpty);
}

TEST(ComposeCopyrightNotice, TypedYearLimits) {
  const struct {
    std::string year;
    int16_t code;
    std::string usedYear;
  } cases[] = {
      {"1799", compose_code::kPhotographerYearInvalid, ""},
      {"1800", compose_code::kOk, "1800"},
      {"2999", compose_code::kOk, "2999"},
      {"3000", compose_code::kPhotographerYearInvalid, ""},
      {"", compose_code::kPhotographerYearInvalid, ""},
      {"abc", compose_code::kPhotographerYearInvalid, ""},
      {"2008abc", compose_code::kPhotographerYearInvalid, ""},
      {"-2008", compose_code::kPhotographerYearInvalid, ""},
      {"2008.6", compose_code::kOk, "2009"},
      {"1799.6", compose_code::kOk, "1800"},
      {"2999.4", compose_code::kOk, "2999"},
      {"1e400", compose_code::kPhotographerYearInvalid, ""},
  };
  for (const auto& c : cases) {
    CopyrightEntries entries{"Name", c.year, "", ""};
    const ComposedNotice notice = ComposeCopyrightNotice(Photographer(), entries, NoticeTexts{});
    EXPECT_EQ(notice.code, c.code) << c.year;
    if (c.code == compose_code::kOk) {
      EXPECT_EQ(entries.photographerYear, c.usedYear);
      EXPECT_EQ(notice.parts[0], "Copyright(C) " + c.usedYear + " Name - All Rights Reserved." + kNul);
    }
  }
}

TEST(ComposeCopyrightNotice, YearChecksFollowTheSelectionAndDeletes) {
  const struct {
    NoticeChoice choice;
    CopyrightEntries entries;
    int16_t code;
    bool firstEmpty;
    bool secondEmpty;
  } cases[] = {
      // Photographer checked first.
      {Both(), {"P", "1", "E", "1"}, compose_code::kPhotographerYearInvalid, false, false},
      {Both(), {"P", "2000", "E", "1"}, compose_code::kEditorYearInvalid, false, false},
      {Editor(), {"P", "1", "E", "2000"}, compose_code::kOk, false, false},
      // An emptied name is a delete: its year is not looked at.
      {Photographer(), {"  ", "nonsense", "", ""}, compose_code::kOk, true, false},
      {Both(), {"", "x", "", "y"}, compose_code::kOk, true, true},
      {Both(), {"", "x", "E", "y"}, compose_code::kEditorYearInvalid, true, false},
      // A notice not selected is never a delete.
      {Photographer(), {"P", "2000", "", ""}, compose_code::kOk, false, false},
  };
  for (const auto& c : cases) {
    CopyrightEntries entries = c.entries;
    const ComposedNotice notice = ComposeCopyrightNotice(c.choice, entries, NoticeTexts{});
    EXPECT_EQ(notice.code, c.code) << c.entries.photographerName << "/" << c.entries.editorName;
    EXPECT_EQ(notice.firstTextEmpty, c.firstEmpty);
    EXPECT_EQ(notice.secondTextEmpty, c.secondEmpty);
    if (c.firstEmpty) {
      EXPECT_EQ(notice.parts[0], "");
    }
  }
}

TEST(ComposeCopyrightNotice, YearFromPhotoLeavesRoomForTheYear) {
  CopyrightEntries entries{" P ", "ignored", "E", ""};
  const NoticeTexts texts{"(c) ", "."};
  const ComposedNotice notice = ComposeCopyrightNotice({true, true, true}, entries, texts);
  EXPECT_EQ(notice.code, compose_code::kOk);
  EXPECT_EQ(notice.parts, (CopyrightParts{"(c) ", " P." + kNul, "(c) ", " E." + kNul}));
  EXPECT_EQ(entries.photographerYear, "ignored");
}

TEST(ReadNoticeTexts, StoredTextsOrDefaults) {
  test::ScratchFolder scratch;
  SettingsStore store(scratch.File("settings.ini"));
  NoticeTexts texts = ReadNoticeTexts(store);
  EXPECT_EQ(texts.leading, "Copyright(C) ");
  EXPECT_EQ(texts.trailing, " - All Rights Reserved.");
  store.WriteSetting("COPYRIGHT", "CRText1", "(C)");
  store.WriteSetting("COPYRIGHT", "CRText2", "");
  texts = ReadNoticeTexts(store);
  EXPECT_EQ(texts.leading, "(C)");
  EXPECT_EQ(texts.trailing, " - All Rights Reserved.");
}

TEST(SplitCopyrightText, PhotographerAndEditorParts) {
  const struct {
    std::string text;
    std::string photographer;
    std::string editor;
  } cases[] = {
      {"", "", ""},
      {" A " + kNul + kNul, "A", ""},
      {"A" + kNul + " B" + kNul, "A", "B"},
      {" " + kNul + " B " + kNul, "", "B"},
      {" A", "A", ""},
      {kNul + "B", "", "B"},
  };
  for (const auto& c : cases) {
    const NoticePair pair = SplitCopyrightText(c.text);
    EXPECT_EQ(pair.photographer, c.photographer);
    EXPECT_EQ(pair.editor, c.editor);
  }
}

class MergeCopyrightNoticeTest : public ::testing::Test {
 protected:
  const std::string p_ = "Copyright(C) 2008 P - All Rights Reserved." + kNul;
  const std::string e_ = "Copyright(C) 2008 E - All Rights Reserved." + kNul;
  const CopyrightParts typed_{p_, "", e_, ""};
  const CopyrightParts fromPhoto_{"(c) ", " P" + kNul, "(c) ", " E" + kNul};
  const PhotoDateTexts dates_{"2010:01:01 00:00:00" + kNul, "2007:05:06 07:08:09" + kNul};
};

TEST_F(MergeCopyrightNoticeTest, LayoutOfTheTagValue) {
  const struct {
    NoticeChoice choice;
    std::string existing;
    std::string expected;
  } cases[] = {
      {Photographer(), "", p_},
      {Editor(), "", " " + kNul + e_},
      {Both(), "", p_ + " " + e_},
      // The notice not selected is kept as it was.
      {Editor(), "Old P" + kNul, "Old P" + kNul + " " + e_},
      {Photographer(), "Old P" + kNul + " Old E" + kNul, p_ + " Old E" + kNul},
      {Photographer(), " " + kNul + "Old E" + kNul, p_ + " Old E" + kNul},
  };
  for (const auto& c : cases) {
    NoticeMergeRules rules;
    rules.choice = c.choice;
    const MergedNotice merged = MergeCopyrightNotice(c.existing, typed_, dates_, rules);
    EXPECT_EQ(merged.code, merge_code::kOk);
    EXPECT_EQ(merged.text, c.expected) << c.existing;
  }
}

TEST_F(MergeCopyrightNoticeTest, SkipKeepsExistingNoticeButAddsTheOther) {
  NoticeMergeRules rules;
  rules.choice = Both();
  rules.overwriteExisting = false;
  EXPECT_EQ(MergeCopyrightNotice("Old P" + kNul, typed_, dates_, rules).text, "Old P" + kNul + " " + e_);
  EXPECT_EQ(MergeCopyrightNotice("", typed_, dates_, rules).text, p_ + " " + e_);
  rules.overwriteExisting = true;
  EXPECT_EQ(MergeCopyrightNotice("Old P" + kNul, typed_, dates_, rules).text, p_ + " " + e_);
}

TEST_F(MergeCopyrightNoticeTest, DeletesEmptyTheirPart) {
  NoticeMergeRules rules;
  rules.choice = Both();
  rules.deletePhotographer = true;
  const std::string existing = "Old P" + kNul + " Old E" + kNul;
  EXPECT_EQ(MergeCopyrightNotice(existing, {"", "", e_, ""}, dates_, rules).text, " " + kNul + e_);
  rules.deleteEditor = true;
  EXPECT_EQ(MergeCopyrightNotice(existing, {}, dates_, rules).text, "");
}

TEST_F(MergeCopyrightNoticeTest, YearFromThePhoto) {
  const struct {
    std::string modified;
    std::string taken;
    bool editorYearRule;
    int16_t code;
    std::string expected;
  } cases[] = {
      {"2010:01:01 00:00:00", "2007:05:06 07:08:09", false, merge_code::kOk,
       "(c) 2007 P" + kNul + " (c) 2010 E" + kNul},
      // The rule: a photo never modified gets no Editor notice.
      {"2007:05:06 07:08:09", "2007:05:06 07:08:09", true, merge_code::kOk, "(c) 2007 P" + kNul},
      {"2007:05:06 07:08:09", "2007:05:06 07:08:09", false, merge_code::kOk,
       "(c) 2007 P" + kNul + " (c) 2007 E" + kNul},
      {"2007:05:06 07:08:09" + kNul, " 2007:05:06 07:08:09", true, merge_code::kOk, "(c) 2007 P" + kNul},
      {"2010:01:01 00:00:00", "2007:05:06 07:08:09", true, merge_code::kOk, "(c) 2007 P" + kNul + " (c) 2010 E" + kNul},
      // No 'Modified': the Editor takes the 'Taken' year.
      {"", "2007:05:06 07:08:09", false, merge_code::kOk, "(c) 2007 P" + kNul + " (c) 2007 E" + kNul},
      // No 'Taken' or a year out of range: the photo fails.
      {"2010:01:01 00:00:00", "", false, merge_code::kNoValidYear, ""},
      {"2010:01:01 00:00:00", "1799:01:01 00:00:00", false, merge_code::kNoValidYear, ""},
      {"3000:01:01 00:00:00", "2007:05:06 07:08:09", false, merge_code::kNoValidYear, ""},
      {"2010:01:01 00:00:00", "  :  :     :  :  ", false, merge_code::kNoValidYear, ""},
      {"2010:01:01 00:00:00", "20", false, merge_code::kNoValidYear, ""},
  };
  for (const auto& c : cases) {
    NoticeMergeRules rules;
    rules.choice = {true, true, true};
    rules.editorYearRule = c.editorYearRule;
    const MergedNotice merged = MergeCopyrightNotice("", fromPhoto_, {c.modified, c.taken}, rules);
    EXPECT_EQ(merged.code, c.code) << c.modified << " / " << c.taken;
    EXPECT_EQ(merged.text, c.expected) << c.modified << " / " << c.taken;
  }
}

TEST_F(MergeCopyrightNoticeTest, EditorWithoutAnyDateFails) {
  NoticeMergeRules rules;
  rules.choice = {false, true, true};
  EXPECT_EQ(MergeCopyrightNotice("", fromPhoto_, {"", ""}, rules).code, merge_code::kNoValidYear);
  rules.editorYearRule = true;
  const MergedNotice merged = MergeCopyrightNotice("Old P" + kNul, fromPhoto_, {"", ""}, rules);
  EXPECT_EQ(merged.code, merge_code::kOk);
  EXPECT_EQ(merged.text, "Old P" + kNul);
}

TEST(TakeNoticeApart, NameAndYear) {
  const struct {
    std::string notice;
    std::string name;
    std::string year;
  } cases[] = {
      {"Copyright(C) 2008 John Smith - All Rights Reserved.", "John Smith", "2008"},
      {"COPYRIGHT (c) 1999, Jean-Paul Dupont, all rights reserved", "Jean-Paul Dupont", "1999"},
      {"Copyright 1850 Old Firm", "1850 Old Firm", ""},
      {"(C) 2001 2005 Studio -Rights", "2005 Studio", "2001"},
      {"Acme Ltd.", "Acme Ltd.", ""},
      {"", "", ""},
      {"2100", "", "2100"},
      {"2101", "2101", ""},
  };
  for (const auto& c : cases) {
    const NoticeFields fields = TakeNoticeApart(c.notice);
    EXPECT_EQ(fields.name, c.name) << c.notice;
    EXPECT_EQ(fields.year, c.year) << c.notice;
  }
}

TEST(TakeNoticeApart, ReadsBackComposedNotice) {
  CopyrightEntries entries{"Anna Maria Berg", "2012", "", ""};
  const ComposedNotice notice = ComposeCopyrightNotice(Photographer(), entries, NoticeTexts{});
  const NoticeFields fields = TakeNoticeApart(SplitCopyrightText(notice.parts[0]).photographer);
  EXPECT_EQ(fields.name, "Anna Maria Berg");
  EXPECT_EQ(fields.year, "2012");
}

class ExistingTextTest : public ::testing::Test {
 protected:
  std::string Photo(const test::TextTagPhoto& photo) { return WriteTextTagPhoto(scratch_, "p.jpg", photo); }

  test::ScratchFolder scratch_;
};

TEST_F(ExistingTextTest, ReadsCopyrightFieldsAndDescription) {
  const std::string path = Photo(
      {"Copyright(C) 2008 Ann - All Rights Reserved." + kNul + " Copyright(C) 2011 Bob Lee - All Rights Reserved.",
       "  Paris  ", std::nullopt, std::nullopt});
  EXPECT_EQ(ReadExistingText(" " + path + " ", ProgramFunction::AddCopyright), "Ann\t2008\tBob Lee\t2011");
  EXPECT_EQ(ReadExistingText(path, ProgramFunction::AddDescription), "Paris");
  EXPECT_EQ(ReadExistingText(path, ProgramFunction::ExportMetadata), "");
  EXPECT_EQ(ReadExistingText(scratch_.File("missing.jpg"), ProgramFunction::AddCopyright), "");
}

TEST_F(ExistingTextTest, NothingFromPhotosWithoutTheTag) {
  const std::string path = Photo({std::nullopt, std::nullopt, "2008:01:01 00:00:00", std::nullopt});
  EXPECT_EQ(ReadExistingText(path, ProgramFunction::AddCopyright), "");
  EXPECT_EQ(ReadExistingText(path, ProgramFunction::AddDescription), "");
  const std::string text = scratch_.File("notes.txt");
  test::WriteBytes(text, {'h', 'i'});
  EXPECT_EQ(ReadExistingText(text, ProgramFunction::AddDescription), "");
}

TEST_F(ExistingTextTest, ShowExistingTextChoosesTheNoticeType) {
  const struct {
    std::optional<std::string> copyright;
    NoticeType type;
  } cases[] = {
      {std::nullopt, NoticeType::Photographer},
      {"Copyright(C) 2008 Ann", NoticeType::Photographer},
      {" " + kNul + "Copyright(C) 2008 Bob", NoticeType::Editor},
      {"Ann" + kNul + " Bob", NoticeType::Both},
  };
  for (const auto& c : cases) {
    const std::string path = Photo({c.copyright, std::nullopt, std::nullopt, std::nullopt});
    const ExistingTextView view = ShowExistingText(path, ProgramFunction::AddCopyright, true);
    ASSERT_TRUE(view.noticeType);
    EXPECT_EQ(*view.noticeType, c.type);
    EXPECT_FALSE(ShowExistingText(path, ProgramFunction::AddCopyright, false).noticeType);
  }
  const std::string path = Photo({"Ann" + kNul + " Bob 2001", "Lake", std::nullopt, std::nullopt});
  EXPECT_EQ(ShowExistingText(path, ProgramFunction::AddCopyright, false).copyright,
            (CopyrightEntries{"Ann", "", "Bob", "2001"}));
  const ExistingTextView description = ShowExistingText(path, ProgramFunction::AddDescription, true);
  EXPECT_EQ(description.description, "Lake");
  EXPECT_FALSE(description.noticeType);
}

TEST(SplitExistingText, MissingFieldsAreEmpty) {
  EXPECT_EQ(SplitExistingText("a\tb\tc\td\te"), (CopyrightEntries{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitExistingText("a\t\tc"), (CopyrightEntries{"a", "", "c", ""}));
  EXPECT_EQ(SplitExistingText(""), CopyrightEntries{});
}

TEST(StandardText, SetThenInsert) {
  test::ScratchFolder scratch;
  SettingsStore store(scratch.File("settings.ini"));
  RunState state;
  SetStandardText(store, {"Ann", "2008", "", "2011"}, state);
  EXPECT_TRUE(state.StdCopyrightAvailable);
  state.YearFromPhoto = true;
  SetStandardText(store, {"Ann", "", " ", ""}, state);
  EXPECT_EQ(store.ReadSetting("COPYRIGHT", "PhotoYear"), "2008") << "years kept with the year from the photo";

  CopyrightEntries entries;
  state = RunState{};
  InsertStandardText(store, entries, state);
  EXPECT_EQ(entries, (CopyrightEntries{"Ann", "2008", "", "2011"}));
  EXPECT_FALSE(state.FirstTextEmpty);
  EXPECT_TRUE(state.SecondTextEmpty);
  EXPECT_TRUE(state.TextEditedByUser);

  SetStandardText(store, {"", "", "  ", ""}, state);
  EXPECT_FALSE(state.StdCopyrightAvailable);
}

}  // namespace
}  // namespace kelvane
