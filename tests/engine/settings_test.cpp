// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_support.h"

namespace kelvane {
namespace {

using test::ScratchFolder;

class LoadSettingsTest : public ::testing::Test {
 protected:
  void WriteFile(const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(store_.Path()).parent_path());
    std::ofstream(store_.Path(), std::ios::binary) << text;
  }
  std::string FileText() const {
    std::ifstream in(store_.Path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  Settings Load(bool soundAvailable = true) { return LoadSettings(store_, soundAvailable); }

  ScratchFolder scratch_;
  SettingsStore store_{scratch_.File("config/qmre0118.ini")};
};

TEST_F(LoadSettingsTest, NoFileGivesDefaultsAndWritesTheTwoNumbers) {
  const Settings s = Load();
  EXPECT_TRUE(s.Options[ProgramOption::UseSounds]);
  EXPECT_TRUE(s.SoundAvailable);
  EXPECT_TRUE(s.SoundsEnabled);
  for (int i = 1; i < ProgramOptions::kCount; ++i) EXPECT_FALSE(s.Options.switches[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(s.CsvDelimiter, 9);
  EXPECT_EQ(s.ValueCharLimit, 250);
  EXPECT_FALSE(s.HexTagIds);
  EXPECT_FALSE(s.StdCopyrightAvailable);
  EXPECT_EQ(FileText(), "[GENERAL]\nValCharLim=250\nCSVDelim=9\n");
}

TEST_F(LoadSettingsTest, ReadsStoredOptions) {
  WriteFile(
      "[GENERAL]\nOption0=\nOption1=1\nOption2=1\nOption3=yes\nOption6=1 \nOption7=1\n"
      "ValCharLim=32767\nCSVDelim=59\nExpOpt0=1\n[COPYRIGHT]\nPhotoName=  \nEditName= Ed \n");
  const Settings s = Load();
  EXPECT_TRUE(s.SoundsEnabled);
  EXPECT_TRUE(s.Options[ProgramOption::ShowStartMessage]);
  EXPECT_TRUE(s.Options[ProgramOption::KeepFileTimes]);
  EXPECT_FALSE(s.Options[ProgramOption::FileTimeFromModified]);
  EXPECT_FALSE(s.Options[ProgramOption::NoAutoSpace]);
  EXPECT_TRUE(s.Options[ProgramOption::ConfirmEachWipe]);
  EXPECT_TRUE(s.Options[ProgramOption::EditorYearRule]);
  EXPECT_EQ(s.ValueCharLimit, 32767);
  EXPECT_EQ(s.CsvDelimiter, 59);
  EXPECT_TRUE(s.HexTagIds);
  EXPECT_TRUE(s.StdCopyrightAvailable);
}

TEST_F(LoadSettingsTest, InvalidValueLimitFallsBackAndIsWrittenBack) {
  const std::pair<const char*, int> cases[] = {
      {"3", 250},           {"40000", 250}, {"letters", 250}, {"-5", 250},
      {"99999999999", 250}, {"4", 4},       {"32767", 32767}, {"120 chars", 120},
  };
  for (const auto& [stored, limit] : cases) {
    SCOPED_TRACE(stored);
    store_.WriteSetting("GENERAL", "ValCharLim", stored);
    EXPECT_EQ(Load().ValueCharLimit, limit);
    const std::string expected = limit == 250 ? "250" : stored;
    EXPECT_EQ(store_.ReadSetting("GENERAL", "ValCharLim"), expected);
  }
}

TEST_F(LoadSettingsTest, InvalidDelimiterFallsBackToTab) {
  const std::pair<const char*, int> cases[] = {
      {"59", 59}, {"44", 44}, {"32", 32}, {"255", 255}, {"059", 59}, {"0", 9},
      {"", 9},    {"256", 9}, {"300", 9}, {"-1", 9},    {"tab", 9},  {"59x", 9},
  };
  for (const auto& [stored, delimiter] : cases) {
    SCOPED_TRACE(stored);
    store_.WriteSetting("GENERAL", "CSVDelim", stored);
    EXPECT_EQ(Load().CsvDelimiter, delimiter);
    const std::string expected = delimiter == 9 ? "9" : stored;
    EXPECT_EQ(store_.ReadSetting("GENERAL", "CSVDelim"), expected);
  }
}

TEST_F(LoadSettingsTest, SoundsOffWhenSwitchedOffOrUnavailable) {
  const struct {
    const char* option0;  // nullptr: no key
    bool available;       // an audio output and the three cue files
    bool useSounds;
    const char* storedAfter;
  } cases[] = {
      {"0", true, false, "0"},      {"1", true, true, "1"},   {"1", false, false, "0"},
      {nullptr, false, false, "0"}, {"0", false, false, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.option0 ? c.option0 : "none") << c.available);
    std::filesystem::remove(store_.Path());
    if (c.option0 != nullptr) store_.WriteSetting("GENERAL", "Option0", c.option0);
    const Settings s = Load(c.available);
    EXPECT_EQ(s.Options[ProgramOption::UseSounds], c.useSounds);
    EXPECT_EQ(s.SoundAvailable, c.available);
    EXPECT_EQ(s.SoundsEnabled, c.useSounds && c.available);
    EXPECT_EQ(store_.ReadSetting("GENERAL", "Option0"), c.storedAfter);
  }
}

}  // namespace
}  // namespace kelvane
