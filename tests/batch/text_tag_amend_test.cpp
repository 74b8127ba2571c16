// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/text_tag_amend.h"

#include <gtest/gtest.h>

#include "fake_amend_operations.h"
#include "support/scripted_ui.h"
#include "text_tag_photos.h"

namespace kelvane {
namespace {

using namespace std::string_literals;

const std::string kNul("\0", 1);

class TextTagAmendTest : public ::testing::Test {
 protected:
  std::string Photo(const test::TextTagPhoto& photo) { return WriteTextTagPhoto(scratch_, "p.jpg", photo); }

  int16_t Amend(const std::string& path, const TextTagRequest& request) {
    operations_.writes.clear();
    return AmendTextTagOfFile(path, request, operations_, fileOps_, {10, 20}, ui_);
  }

  // The text written by the last call, or "<none>".
  std::string Written() const { return operations_.writes.empty() ? "<none>" : operations_.writes.back().record.text; }

  static TextTagRequest Description(const std::string& text, DescriptionMode mode) {
    TextTagRequest request;
    request.function = ProgramFunction::AddDescription;
    request.description = text;
    request.mode = mode;
    return request;
  }

  test::ScratchFolder scratch_;
  FileOpsLibrary fileOps_;
  test::FakeAmendOperations operations_;
  test::ScriptedUi ui_;
};

TEST_F(TextTagAmendTest, DescriptionTexts) {
  const struct {
    std::optional<std::string> existing;
    std::string typed;
    DescriptionMode mode;
    bool noAutoSpace;
    int16_t code;
    std::string written;
  } cases[] = {
      // Short texts are padded to four characters and the zero.
      {std::nullopt, "abc", DescriptionMode::AddReplace, false, text_tag_code::kWritten, "abc " + kNul},
      {std::nullopt, " a ", DescriptionMode::AddReplace, false, text_tag_code::kWritten, "a   " + kNul},
      {"Old", "abcd", DescriptionMode::AddReplace, false, text_tag_code::kWritten, "abcd" + kNul},
      {"Paris", "2008", DescriptionMode::Append, false, text_tag_code::kWritten, "Paris 2008" + kNul},
      {"Paris", "2008", DescriptionMode::Append, true, text_tag_code::kWritten, "Paris2008" + kNul},
      {"Paris ", "2008", DescriptionMode::Append, false, text_tag_code::kWritten, "Paris 2008" + kNul},
      {"Paris", "2008", DescriptionMode::Prefix, false, text_tag_code::kWritten, "2008 Paris" + kNul},
      {"Paris", "2008", DescriptionMode::Prefix, true, text_tag_code::kWritten, "2008Paris" + kNul},
      {std::nullopt, "2008", DescriptionMode::Append, false, text_tag_code::kWritten, "2008" + kNul},
      {"", "ab", DescriptionMode::Prefix, false, text_tag_code::kWritten, "ab  " + kNul},
      // Nothing to add.
      {"Paris", "  ", DescriptionMode::Append, false, text_tag_code::kNoChange, "<none>"},
      {"Paris", "", DescriptionMode::Prefix, false, text_tag_code::kNoChange, "<none>"},
      {std::nullopt, "", DescriptionMode::Append, false, text_tag_code::kNoChange, "<none>"},
  };
  for (const auto& c : cases) {
    const std::string path = Photo({std::nullopt, c.existing, std::nullopt, std::nullopt});
    TextTagRequest request = Description(c.typed, c.mode);
    request.noAutoSpace = c.noAutoSpace;
    EXPECT_EQ(Amend(path, request), c.code) << c.existing.value_or("-") << " + " << c.typed;
    EXPECT_EQ(Written(), c.written) << c.existing.value_or("-") << " + " << c.typed;
  }
}

TEST_F(TextTagAmendTest, DescriptionWriteRequest) {
  const std::string path = Photo({});
  ASSERT_EQ(Amend(path, Description("Lake view", DescriptionMode::AddReplace)), text_tag_code::kWritten);
  ASSERT_EQ(operations_.writes.size(), 1u);
  const auto& write = operations_.writes[0];
  EXPECT_EQ(write.path, path);
  EXPECT_EQ(write.slot, 8);
  EXPECT_EQ(write.record.tag, 0x010E);
  EXPECT_EQ(write.record.type, 2);
  EXPECT_EQ(write.record.count, 10);
  EXPECT_EQ(write.record.byteLength, 10);
  EXPECT_EQ(operations_.calls[0].progress.first, 10);
  EXPECT_EQ(operations_.calls[0].progress.last, 20);
  EXPECT_EQ(ui_.pumps, 1);
}

TEST_F(TextTagAmendTest, SkipKeepsAnExistingDescription) {
  TextTagRequest request = Description("New", DescriptionMode::AddReplace);
  request.overwriteExisting = false;
  EXPECT_EQ(Amend(Photo({std::nullopt, "Old", std::nullopt, std::nullopt}), request), text_tag_code::kNoOverwrite);
  EXPECT_EQ(Written(), "<none>");
  EXPECT_EQ(Amend(Photo({}), request), text_tag_code::kWritten);
  EXPECT_EQ(Written(), "New " + kNul);
}

TEST_F(TextTagAmendTest, DescriptionDelete) {
  TextTagRequest request = Description("", DescriptionMode::AddReplace);
  request.deleteDescription = true;
  const std::string path = Photo({std::nullopt, "Old", std::nullopt, std::nullopt});
  EXPECT_EQ(Amend(path, request), text_tag_code::kWritten);
  ASSERT_EQ(operations_.writes.size(), 1u);
  EXPECT_EQ(operations_.writes[0].record.byteLength, 0);
  EXPECT_EQ(operations_.writes[0].record.text, "");

  // A photo without a description: the writer finds nothing to delete.
  operations_.codes["p.jpg"] = 7;
  EXPECT_EQ(Amend(Photo({}), request), text_tag_code::kWritten);
  operations_.codes["p.jpg"] = 9;
  EXPECT_EQ(Amend(path, request), text_tag_code::kNoMetadata);
  operations_.codes.clear();

  // "Skip if text already present" refuses the delete of an existing text.
  request.overwriteExisting = false;
  EXPECT_EQ(Amend(Photo({std::nullopt, "Old", std::nullopt, std::nullopt}), request), text_tag_code::kDeleteRefused);
  EXPECT_EQ(Written(), "<none>");
  EXPECT_EQ(Amend(Photo({}), request), text_tag_code::kWritten);
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

TEST_F(CopyrightAmendTest, MergedNoticeIsWrittenToTheCopyrightTag) {
  const std::string path = Photo({"Old P" + kNul + " Old E", std::nullopt, std::nullopt, std::nullopt});
  ASSERT_EQ(Amend(path, Copyright({false, true, false})), text_tag_code::kWritten);
  ASSERT_EQ(operations_.writes.size(), 1u);
  const auto& write = operations_.writes[0];
  EXPECT_EQ(write.slot, 7);
  EXPECT_EQ(write.record.tag, 0x8298);
  EXPECT_EQ(write.record.type, 2);
  EXPECT_EQ(write.record.text, "Old P" + kNul + " E" + kNul);
  EXPECT_EQ(write.record.byteLength, static_cast<int32_t>(write.record.text.size()));
}

TEST_F(CopyrightAmendTest, YearFromThePhotoUsesItsDates) {
  TextTagRequest request = Copyright({true, true, true});
  request.parts = {"(c) ", " P" + kNul, "(c) ", " E" + kNul};
  request.editorYearRule = true;
  ASSERT_EQ(Amend(Photo({std::nullopt, std::nullopt, "2009:01:01 10:00:00", "2009:01:01 10:00:00"}), request),
            text_tag_code::kWritten);
  EXPECT_EQ(Written(), "(c) 2009 P" + kNul);
  ASSERT_EQ(Amend(Photo({std::nullopt, std::nullopt, "2011:01:01 10:00:00", "2009:01:01 10:00:00"}), request),
            text_tag_code::kWritten);
  EXPECT_EQ(Written(), "(c) 2009 P" + kNul + " (c) 2011 E" + kNul);
  EXPECT_EQ(Amend(Photo({std::nullopt, std::nullopt, "2011:01:01 10:00:00", std::nullopt}), request),
            text_tag_code::kNoValidYear);
  EXPECT_EQ(Written(), "<none>");
}

TEST_F(CopyrightAmendTest, UnreadablePhotos) {
  const std::string text = scratch_.File("notes.txt");
  test::WriteBytes(text, {'n', 'o'});
  EXPECT_EQ(Amend(text, Copyright({true, false, false})), text_tag_code::kNotJpeg);
  EXPECT_EQ(Amend(scratch_.File("missing.jpg"), Copyright({true, false, false})), text_tag_code::kNotJpeg);

  const std::string plain = scratch_.File("plain.jpg");
  test::WriteBytes(plain, test::BuildJpeg({}, {.exif = false}));
  EXPECT_EQ(Amend(plain, Copyright({true, false, false})), text_tag_code::kNoMetadata);

  const std::string bad = scratch_.File("bad.jpg");
  test::WriteBytes(bad, test::BuildJpeg({'I', 'I', 43, 0, 8, 0, 0, 0}));
  EXPECT_EQ(Amend(bad, Copyright({true, false, false})), text_tag_code::kBadMetadata);
  EXPECT_TRUE(operations_.writes.empty());

  operations_.codes["p.jpg"] = 3;
  EXPECT_EQ(Amend(Photo({}), Copyright({true, false, false})), text_tag_code::kNoMetadata);
}

TEST_F(CopyrightAmendTest, DeleteUnderSkip) {
  TextTagRequest request = Copyright({true, true, false});
  request.parts[0].clear();
  request.deletePhotographer = true;
  request.overwriteExisting = false;
  // The photo holds a Photographer notice: the delete is refused.
  EXPECT_EQ(Amend(Photo({"Old P", std::nullopt, std::nullopt, std::nullopt}), request), text_tag_code::kDeleteRefused);
  // Nothing to delete: the Editor notice is added.
  EXPECT_EQ(Amend(Photo({" " + kNul + "Old E", std::nullopt, std::nullopt, std::nullopt}), request),
            text_tag_code::kWritten);
  EXPECT_EQ(Written(), " " + kNul + "Old E" + kNul);
  request.overwriteExisting = true;
  EXPECT_EQ(Amend(Photo({"Old P", std::nullopt, std::nullopt, std::nullopt}), request), text_tag_code::kWritten);
  EXPECT_EQ(Written(), " " + kNul + "E" + kNul);
}

}  // namespace
}  // namespace kelvane
