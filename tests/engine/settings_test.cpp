// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/window_position.h"
#include "support/test_support.h"

namespace kelvane {
namespace {

using test::ScratchFolder;

class LoadSettingsTest : public ::testing::Test {
 protected:
  LoadSettingsTest() {
    for (const char* cue : {"success.wav", "error.wav", "attention.wav"}) test::WriteBytes(programFolder_ + cue, {0});
  }

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
  Settings Load(bool devices = true) { return LoadSettings(store_, devices, programFolder_); }

  ScratchFolder scratch_;
  std::string programFolder_ = scratch_.path().string() + "/";
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
    bool cues;
    bool devices;
    bool useSounds;
    bool available;
    const char* storedAfter;
  } cases[] = {
      {"0", true, true, false, true, "0"},   {"1", true, true, true, true, "1"},
      {"1", false, true, false, false, "0"}, {nullptr, false, true, false, false, "0"},
      {"1", true, false, false, false, "0"}, {"0", true, false, false, false, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.option0 ? c.option0 : "none") << c.cues << c.devices);
    std::filesystem::remove(store_.Path());
    if (c.option0 != nullptr) store_.WriteSetting("GENERAL", "Option0", c.option0);
    if (!c.cues) std::filesystem::remove(programFolder_ + "error.wav");
    const Settings s = Load(c.devices);
    EXPECT_EQ(s.Options[ProgramOption::UseSounds], c.useSounds);
    EXPECT_EQ(s.SoundAvailable, c.available);
    EXPECT_EQ(s.SoundsEnabled, c.useSounds && c.available);
    EXPECT_EQ(store_.ReadSetting("GENERAL", "Option0"), c.storedAfter);
    test::WriteBytes(programFolder_ + "error.wav", {0});
  }
}

TEST_F(LoadSettingsTest, CueFolderInsteadOfCueFileIsMissing) {
  std::filesystem::remove(programFolder_ + "attention.wav");
  std::filesystem::create_directory(programFolder_ + "attention.wav");
  EXPECT_FALSE(Load().SoundAvailable);
  EXPECT_EQ(CuePath("", SoundCue::Success), "");
  EXPECT_EQ(CuePath("/opt/kelvane", SoundCue::Attention), "/opt/kelvane/attention.wav");
}

TEST(WindowPosition, StoredOrCentred) {
  // Screen 19200 x 10800 twips, window 9000 x 6000.
  const struct {
    const char* left;
    const char* top;
    int x;
    int y;
  } cases[] = {
      {"1500", "900", 1500, 900},     {"0", "", 5100, 2400},
      {"30000", "-20", 5100, 2400},   {"18300", "10200", 18300, 10200},  // a tenth of the window still on screen
      {"18301", "10201", 5100, 2400}, {"abc", "12x", 5100, 12},
  };
  for (const auto& c : cases) {
    const WindowPosition p = PlaceWindow(c.left, c.top, 19200, 10800, 9000, 6000);
    EXPECT_EQ(p.left, c.x) << c.left;
    EXPECT_EQ(p.top, c.y) << c.top;
  }
  const WindowPosition big = PlaceWindow("0", "0", 9000, 6000, 12000, 8000);
  EXPECT_EQ(big.left, 1);
  EXPECT_EQ(big.top, 1);
}

}  // namespace
}  // namespace kelvane
