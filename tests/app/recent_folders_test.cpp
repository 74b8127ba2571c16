// SPDX-License-Identifier: GPL-2.0-or-later
// The recent-folder list: captions, moves, the eleventh folder, start-up
// compaction and what is written to the settings.
#include "app/recent_folders.h"

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>

#include "engine/settings.h"

using namespace kelvane;

namespace {

std::string Key(int k) { return "Dir" + std::to_string(k); }

}  // namespace

class RecentFoldersTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  std::string SettingsPath() const { return dir_.filePath(QStringLiteral("qmre0118.ini")).toStdString(); }

  // A store holding the entries, freshly written.
  SettingsStore StoreWith(const std::vector<std::string>& entries) {
    std::filesystem::remove(SettingsPath());
    SettingsStore store(SettingsPath());
    for (size_t k = 0; k < entries.size(); ++k)
      store.WriteSetting(kGeneralSection, Key(static_cast<int>(k)), entries[k]);
    return store;
  }

  static std::vector<std::string> Stored(const SettingsStore& store) {
    std::vector<std::string> list;
    for (int k = 0; k < RecentFolders::kCount; ++k) list.push_back(store.ReadSetting(kGeneralSection, Key(k)));
    return list;
  }

  static std::vector<std::string> Listed(const RecentFolders& recent) {
    return {recent.Entries().begin(), recent.Entries().end()};
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void Captions() {
    const std::string shortPath(63, 'a');
    QCOMPARE(RecentFolders::CaptionOf(shortPath), shortPath);
    const std::string longPath = "/" + std::string(69, 'b');  // 70 characters
    const std::string caption = RecentFolders::CaptionOf(longPath);
    QCOMPARE(caption.size(), size_t{63});
    QCOMPARE(caption, "~" + longPath.substr(0, 62));
  }

  void LongPathKeptWhole() {
    SettingsStore store = StoreWith({});
    RecentFolders recent(store);
    const std::string longPath = "/photos/" + std::string(62, 'x') + "/";  // 71 characters
    recent.AddChosenFolder(longPath);
    QCOMPARE(recent.PathOf(0), longPath);
    QCOMPARE(store.ReadSetting(kGeneralSection, "Dir0"), longPath);
  }

  void ChosenFolderMovesToTop() {
    SettingsStore store = StoreWith({"/a/", "/b/", "/c/", "/d/"});
    RecentFolders recent(store);
    recent.LoadAtStartUp([](const std::string&) { return true; });
    recent.AddChosenFolder("/c/");
    const std::vector<std::string> expected{"/c/", "/a/", "/b/", "/d/", "", "", "", "", "", ""};
    QCOMPARE(Listed(recent), expected);
    QCOMPARE(Stored(store), expected);

    recent.AddChosenFolder("/c/");  // already first: order unchanged
    QCOMPARE(Stored(store), expected);
  }

  void EleventhFolderPushesOldestOut() {
    SettingsStore store = StoreWith({});
    RecentFolders recent(store);
    recent.LoadAtStartUp([](const std::string&) { return true; });
    for (int i = 0; i < 11; ++i) recent.AddChosenFolder("/f" + std::to_string(i) + "/");
    const std::vector<std::string> stored = Stored(store);
    QCOMPARE(stored.front(), std::string("/f10/"));
    QCOMPARE(stored.back(), std::string("/f1/"));
    QVERIFY(std::find(stored.begin(), stored.end(), "/f0/") == stored.end());
  }

  void EmptyOrOverlongFolderChangesNothing() {
    SettingsStore store = StoreWith({"/a/"});
    RecentFolders recent(store);
    recent.LoadAtStartUp([](const std::string&) { return true; });
    recent.AddChosenFolder("   ");
    recent.AddChosenFolder("/" + std::string(255, 'z'));
    QCOMPARE(Stored(store)[0], std::string("/a/"));
    QCOMPARE(Stored(store)[1], std::string());
  }

  void MenuChoiceMovesEntryToTop() {
    SettingsStore store = StoreWith({"/a/", "/b/", "/c/"});
    RecentFolders recent(store);
    recent.LoadAtStartUp([](const std::string&) { return true; });
    QCOMPARE(recent.PathOf(2), std::string("/c/"));
    recent.MoveToTop(2);
    QCOMPARE(Stored(store)[0], std::string("/c/"));
    QCOMPARE(Stored(store)[1], std::string("/a/"));
    QCOMPARE(Stored(store)[2], std::string("/b/"));
  }

  void StartUpDropsVanishedAndRepeatedFolders() {
    SettingsStore store = StoreWith({"/a/", "/gone/", "/b/", "/a/", "/c/"});
    RecentFolders recent(store);
    const std::set<std::string> existing{"/a/", "/b/", "/c/"};
    recent.LoadAtStartUp([&](const std::string& path) { return existing.count(path) > 0; });
    const std::vector<std::string> expected{"/a/", "/b/", "/c/", "", "", "", "", "", "", ""};
    QCOMPARE(Listed(recent), expected);
    QCOMPARE(Stored(store), expected);
  }

  void StartUpWritesNothingWhenNothingRemoved() {
    SettingsStore store = StoreWith({"/a/", "/b/"});
    const auto before = std::filesystem::last_write_time(SettingsPath());
    std::filesystem::last_write_time(SettingsPath(), before - std::chrono::hours(1));
    const auto aged = std::filesystem::last_write_time(SettingsPath());
    RecentFolders recent(store);
    recent.LoadAtStartUp([](const std::string&) { return true; });
    QCOMPARE(std::filesystem::last_write_time(SettingsPath()), aged);
    QCOMPARE(recent.PathOf(1), std::string("/b/"));
  }
};

QTEST_APPLESS_MAIN(RecentFoldersTest)
#include "recent_folders_test.moc"
