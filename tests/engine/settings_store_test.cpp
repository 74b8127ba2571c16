// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_support.h"

namespace kelvane {
namespace {

using test::ScratchFolder;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class SettingsStoreTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_;
  std::string path_ = scratch_.File("qmre0118.ini");
  SettingsStore store_{path_};
};

TEST_F(SettingsStoreTest, MissingFileReadsEmpty) {
  EXPECT_EQ(store_.ReadSetting("GENERAL", "Option0"), "");
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(SettingsStoreTest, ReadsValuesAsTheProgramExpects) {
  const std::string longValue(300, 'x');
  WriteText(path_,
            "; settings\n"
            "[GENERAL]\n"
            "  Option0 =   padded value \t\n"
            "Option1=NOT FOUND\n"
            "Option2=\n"
            "Dir0=" +
                longValue +
                "\n"
                "Spaced=" +
                std::string(250, 'y') +
                "     z\n"
                "Option3=first\n"
                "Option3=second\n"
                "[general]\n"
                "Option4=in a second section of the same name\n"
                "[Other]\n"
                "Option0=other\n");
  const struct {
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"GENERAL", "Option0", "padded value"},
      {"general", "OPTION0", "padded value"},
      {"GENERAL", "Option1", ""},
      {"GENERAL", "Option2", ""},
      {"GENERAL", "Dir0", std::string(254, 'x')},
      {"GENERAL", "Spaced", std::string(250, 'y')},
      {"GENERAL", "Option3", "first"},
      {"GENERAL", "Option4", ""},
      {"GENERAL", "Missing", ""},
      {"Other", "Option0", "other"},
      {"Nowhere", "Option0", ""},
      {"GENERAL", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(store_.ReadSetting(c.section, c.key), c.value) << c.section << "/" << c.key;
  }
}

TEST_F(SettingsStoreTest, ReplacesInPlaceKeepingTheRest) {
  WriteText(path_,
            "; kept comment\n"
            "[GENERAL]\n"
            "Option0=1\n"
            "; inner comment\n"
            "ValCharLim=250\n"
            "\n"
            "[COPYRIGHT]\n"
            "PhotoName=Ann\n");
  ASSERT_NE(store_.WriteSetting("general", "valcharlim", "400"), 0);
  ASSERT_NE(store_.WriteSetting("GENERAL", "CSVDelim", "9"), 0);
  ASSERT_NE(store_.WriteSetting("COPYRIGHT", "PhotoName", ""), 0);
  ASSERT_NE(store_.WriteSetting("FORMS", "StdFormX", "120"), 0);
  EXPECT_EQ(ReadText(path_),
            "; kept comment\n"
            "[GENERAL]\n"
            "Option0=1\n"
            "; inner comment\n"
            "ValCharLim=400\n"
            "CSVDelim=9\n"
            "\n"
            "[COPYRIGHT]\n"
            "PhotoName=\n"
            "\n"
            "[FORMS]\n"
            "StdFormX=120\n");
  EXPECT_EQ(store_.ReadSetting("GENERAL", "ValCharLim"), "400");
  EXPECT_EQ(store_.ReadSetting("COPYRIGHT", "PhotoName"), "");
}

TEST_F(SettingsStoreTest, KeepsWindowsLineEndings) {
  WriteText(path_, "[GENERAL]\r\nOption0=1\r\n");
  ASSERT_NE(store_.WriteSetting("GENERAL", "Option1", "1"), 0);
  ASSERT_NE(store_.WriteSetting("GENERAL", "Option0", "0"), 0);
  EXPECT_EQ(ReadText(path_), "[GENERAL]\r\nOption0=0\r\nOption1=1\r\n");
  EXPECT_EQ(store_.ReadSetting("GENERAL", "Option0"), "0");
}

TEST_F(SettingsStoreTest, CreatesFolderAndFileAndLeavesNoTemporaryFile) {
  SettingsStore nested(scratch_.File("config/kelvane/qmre0118.ini"));
  ASSERT_NE(nested.WriteSetting("GENERAL", "Option1", "1"), 0);
  ASSERT_NE(nested.WriteSetting("GENERAL", "Option1", "0"), 0);
  EXPECT_EQ(nested.ReadSetting("GENERAL", "Option1"), "0");
  const auto folder = std::filesystem::path(nested.Path()).parent_path();
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(SettingsStoreTest, KeepsTheFilePermissions) {
  WriteText(path_, "[GENERAL]\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  ASSERT_NE(store_.WriteSetting("GENERAL", "Option1", "1"), 0);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SettingsStoreTest, WritesThroughALink) {
  const std::string real = scratch_.File("real.ini");
  WriteText(real, "[GENERAL]\nOption0=1\n");
  std::filesystem::create_symlink(real, path_);
  ASSERT_NE(store_.WriteSetting("GENERAL", "Option0", "0"), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(ReadText(real), "[GENERAL]\nOption0=0\n");
}

TEST_F(SettingsStoreTest, RefusesTextThatWouldBreakTheFile) {
  WriteText(path_, "[GENERAL]\nOption0=1\n");
  EXPECT_EQ(store_.WriteSetting("GENERAL", "Dir0", "/photos/a\n[GENERAL]\nOption0=0"), 0);
  EXPECT_EQ(store_.WriteSetting("GEN]ERAL", "Dir0", "x"), 0);
  EXPECT_EQ(store_.WriteSetting("GENERAL", "Dir=0", "x"), 0);
  EXPECT_EQ(store_.WriteSetting("", "Dir0", "x"), 0);
  EXPECT_EQ(ReadText(path_), "[GENERAL]\nOption0=1\n");
}

TEST_F(SettingsStoreTest, WriteFailureIsReported) {
  WriteText(scratch_.File("plain"), "not a folder");
  SettingsStore blocked(scratch_.File("plain/qmre0118.ini"));
  EXPECT_EQ(blocked.WriteSetting("GENERAL", "Option0", "0"), 0);
  EXPECT_EQ(blocked.ReadSetting("GENERAL", "Option0"), "");
  std::filesystem::create_directory(path_);
  EXPECT_EQ(store_.WriteSetting("GENERAL", "Option0", "0"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

// The console program's store: what is written is read back for the rest of
// the process, and the file is never written or made.
TEST_F(SettingsStoreTest, InMemoryWritesAreKeptButNeverWritten) {
  const std::string text = "[GENERAL]\nOption0=1\n";
  WriteText(path_, text);
  const std::string absent = scratch_.File("config/qmre0118.ini");
  for (const std::string& path : {path_, absent}) {
    SettingsStore store(path, SettingsStore::Writes::kInMemory);
    EXPECT_EQ(store.ReadSetting("GENERAL", "Option0"), path == path_ ? "1" : "");
    EXPECT_NE(store.WriteSetting("GENERAL", "Option0", "0"), 0);
    EXPECT_NE(store.WriteSetting("general", "ValCharLim", std::string(300, '9')), 0);
    EXPECT_EQ(store.WriteSetting("GENERAL", "Bad=Key", "1"), 0);
    EXPECT_EQ(store.ReadSetting("GENERAL", "option0"), "0");
    EXPECT_EQ(store.ReadSetting("GENERAL", "ValCharLim"), std::string(254, '9'));
  }
  EXPECT_EQ(ReadText(path_), text);
  EXPECT_FALSE(std::filesystem::exists(scratch_.File("config")));
}

TEST(DefaultSettingsPath, FollowsTheConfigurationFolder) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(DefaultSettingsPath(), "/cfg/kelvane/qmre0118.ini");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    EXPECT_EQ(DefaultSettingsPath(), std::string(home) + "/.config/kelvane/qmre0118.ini");
  }
  if (oldXdg) {
    ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace kelvane
