// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/text_tag_amend.h"

#include <gtest/gtest.h>

#include <optional>

namespace kelvane {
namespace {

const std::string kNul("\0", 1);

// A photo's tags as the reader gives them: each text with its closing zero.
struct PhotoTexts {
  std::optional<std::string> copyright;
  std::optional<std::string> description;
  std::optional<std::string> modified;  // DateTime
  std::optional<std::string> taken;     // DateTimeOriginal
};

class TextTagAmendTest : public ::testing::Test {
 protected:
  // The new text for a photo holding the texts, or "<none>" when nothing is
  // to be written; the rule's result in result_.
  std::string Amend(const PhotoTexts& photo, const TextTagRequest& request) {
    ExifTagTable tags{};
    const auto put = [&tags](ExifSlot slot, const std::optional<std::string>& text) {
      if (!text) return;
      tags[slot].tag = kSlotTags[slot];
      tags[slot].text = *text + '\0';
    };
    put(kSlotCopyright, photo.copyright);
    put(kSlotImageDescription, photo.description);
    put(kSlotDateTime, photo.modified);
    put(kSlotDateTimeOriginal, photo.taken);
    const NewText text = NewTextOfPhoto(tags, request);
    result_ = text.result;
    return text.result == TextTagResult::kWrite ? text.text : "<none>";
  }

  static TextTagRequest Description(const std::string& text, DescriptionMode mode) {
    TextTagRequest request;
    request.function = ProgramFunction::AddDescription;
    request.description = text;
    request.mode = mode;
    return request;
  }

  TextTagResult result_ = TextTagResult::kWrite;
};

TEST_F(TextTagAmendTest, DescriptionTexts) {
  using enum TextTagResult;
  const struct {
    std::optional<std::string> existing;
    std::string typed;
    DescriptionMode mode;
    bool noAutoSpace;
    TextTagResult result;
    std::string written;
  } cases[] = {
      // Short texts are padded to four characters and the zero.
      {std::nullopt, "abc", DescriptionMode::AddReplace, false, kWrite, "abc " + kNul},
      {std::nullopt, " a ", DescriptionMode::AddReplace, false, kWrite, "a   " + kNul},
      {"Old", "abcd", DescriptionMode::AddReplace, false, kWrite, "abcd" + kNul},
      {"Paris", "2008", DescriptionMode::Append, false, kWrite, "Paris 2008" + kNul},
      {"Paris", "2008", DescriptionMode::Append, true, kWrite, "Paris2008" + kNul},
      {"Paris ", "2008", DescriptionMode::Append, false, kWrite, "Paris 2008" + kNul},
      {"Paris", "2008", DescriptionMode::Prefix, false, kWrite, "2008 Paris" + kNul},
      {"Paris", "2008", DescriptionMode::Prefix, true, kWrite, "2008Paris" + kNul},
      {std::nullopt, "2008", DescriptionMode::Append, false, kWrite, "2008" + kNul},
      {"", "ab", DescriptionMode::Prefix, false, kWrite, "ab  " + kNul},
      // Nothing to add.
      {"Paris", "  ", DescriptionMode::Append, false, kNoChange, "<none>"},
      {"Paris", "", DescriptionMode::Prefix, false, kNoChange, "<none>"},
      {std::nullopt, "", DescriptionMode::Append, false, kNoChange, "<none>"},
  };
  for (const auto& c : cases) {
    TextTagRequest request = Description(c.typed, c.mode);
    request.noAutoSpace = c.noAutoSpace;
    EXPECT_EQ(Amend({std::nullopt, c.existing, std::nullopt, std::nullopt}, request), c.written)
        << c.existing.value_or("-") << " + " << c.typed;
    EXPECT_EQ(result_, c.result) << c.existing.value_or("-") << " + " << c.typed;
  }
}

TEST(TextTagRecord, AsciiOfTheSlotsTag) {
  const ExifTagRecord description = TextTagRecord(kSlotImageDescription, "Lake view" + kNul);
  EXPECT_EQ(description.tag, 0x010E);
  EXPECT_EQ(description.type, 2);
  EXPECT_EQ(description.count, 10);
  EXPECT_EQ(description.byteLength, 10);
  EXPECT_EQ(description.text, "Lake view" + kNul);
  const ExifTagRecord removal = TextTagRecord(kSlotCopyright, "");
  EXPECT_EQ(removal.tag, 0x8298);
  EXPECT_EQ(removal.byteLength, 0);
}

TEST_F(TextTagAmendTest, SkipKeepsAnExistingDescription) {
  TextTagRequest request = Description("New", DescriptionMode::AddReplace);
  request.overwriteExisting = false;
  EXPECT_EQ(Amend({std::nullopt, "Old", std::nullopt, std::nullopt}, request), "<none>");
  EXPECT_EQ(result_, TextTagResult::kNoOverwrite);
  EXPECT_EQ(Amend({}, request), "New " + kNul);
}

TEST_F(TextTagAmendTest, DescriptionDelete) {
  TextTagRequest request = Description("", DescriptionMode::AddReplace);
  request.deleteDescription = true;
  EXPECT_EQ(Amend({std::nullopt, "Old", std::nullopt, std::nullopt}, request), "");
  EXPECT_EQ(result_, TextTagResult::kWrite);
  EXPECT_EQ(Amend({}, request), "") << "the writer finds nothing to delete";

  // "Skip if text already present" refuses the delete of an existing text.
  request.overwriteExisting = false;
  EXPECT_EQ(Amend({std::nullopt, "Old", std::nullopt, std::nullopt}, request), "<none>");
  EXPECT_EQ(result_, TextTagResult::kDeleteRefused);
  EXPECT_EQ(Amend({}, request), "");
  EXPECT_EQ(result_, TextTagResult::kWrite);
}

class CopyrightAmendTest : public TextTagAmendTest {
 protected:
  static TextTagRequest Copyright(NoticeChoice choice) {
    TextTagRequest request;
    request.function = ProgramFunction::AddCopyright;
    request.choice = choice;
    request.parts = {"P" + kNul, "", "E" + kNul, ""};
    return request;
  }
};

TEST_F(CopyrightAmendTest, TheMergedNoticeIsTheNewText) {
  EXPECT_EQ(
      Amend({"Old P" + kNul + " Old E", std::nullopt, std::nullopt, std::nullopt}, Copyright({false, true, false})),
      "Old P" + kNul + " E" + kNul);
}

TEST_F(CopyrightAmendTest, YearFromThePhotoUsesItsDates) {
  TextTagRequest request = Copyright({true, true, true});
  request.parts = {"(c) ", " P" + kNul, "(c) ", " E" + kNul};
  request.editorYearRule = true;
  EXPECT_EQ(Amend({std::nullopt, std::nullopt, "2009:01:01 10:00:00", "2009:01:01 10:00:00"}, request),
            "(c) 2009 P" + kNul);
  EXPECT_EQ(Amend({std::nullopt, std::nullopt, "2011:01:01 10:00:00", "2009:01:01 10:00:00"}, request),
            "(c) 2009 P" + kNul + " (c) 2011 E" + kNul);
  EXPECT_EQ(Amend({std::nullopt, std::nullopt, "2011:01:01 10:00:00", std::nullopt}, request), "<none>");
  EXPECT_EQ(result_, TextTagResult::kNoValidYear);
}

TEST_F(CopyrightAmendTest, DeleteUnderSkip) {
  TextTagRequest request = Copyright({true, true, false});
  request.parts[0].clear();
  request.deletePhotographer = true;
  request.overwriteExisting = false;
  // The photo holds a Photographer notice: the delete is refused.
  EXPECT_EQ(Amend({"Old P", std::nullopt, std::nullopt, std::nullopt}, request), "<none>");
  EXPECT_EQ(result_, TextTagResult::kDeleteRefused);
  // Nothing to delete: the Editor notice is added.
  EXPECT_EQ(Amend({" " + kNul + "Old E", std::nullopt, std::nullopt, std::nullopt}, request),
            " " + kNul + "Old E" + kNul);
  request.overwriteExisting = true;
  EXPECT_EQ(Amend({"Old P", std::nullopt, std::nullopt, std::nullopt}, request), " " + kNul + "E" + kNul);
}

TEST(TextTagMessage, EachResultOfEachFunction) {
  using F = ProgramFunction;
  using R = TextTagResult;
  const struct {
    F function;
    R result;
    std::string text;
  } cases[] = {
      {F::AddCopyright, R::kNoChange, "Copyright text without change to existing"},
      {F::AddDescription, R::kNoChange, "Image Description text without change to existing"},
      {F::AddCopyright, R::kNoOverwrite, "Copyright change without overwrite permission"},
      {F::AddDescription, R::kNoOverwrite, "Image Description change without overwrite permission"},
      {F::AddCopyright, R::kNoValidYear, "Copyright text unspecified processing error"},
      {F::AddDescription, R::kNoValidYear, "Image Description text unspecified processing error"},
      {F::AddDescription, R::kDeleteRefused, "Delete invalid with 'Skip if text already present' set"},
  };
  for (const auto& c : cases) EXPECT_EQ(ListText(TextTagMessage(c.result, c.function)), c.text);
  EXPECT_EQ(EntryOf(TextTagMessage(R::kNoValidYear, F::AddCopyright)).code, 19);
  EXPECT_EQ(EntryOf(TextTagMessage(R::kDeleteRefused, F::AddCopyright)).code, 61);
}

}  // namespace
}  // namespace kelvane
