// SPDX-License-Identifier: GPL-2.0-or-later
// The window's rules that need no widgets: Run enabling, the prefix
// parameters, the shared panel memory, arrow-key wrap, help topics, the
// program's arguments, where the window opens and the cue files.
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/cue_files.h"
#include "app/function_memory.h"
#include "app/function_table.h"
#include "app/program_arguments.h"
#include "app/run_enabling.h"
#include "app/window_position.h"

using namespace kelvane;

namespace {

RunState ChosenFor(ProgramFunction function) {
  RunState state;
  state.SelectedFunction = function;
  state.SourceChosen = true;
  return state;
}

}  // namespace

class WindowRulesTest : public QObject {
  Q_OBJECT

 private slots:
  void NothingRunsWithoutASource() {
    for (int i = 0; i < kFunctionCount; ++i) {
      RunState state = ChosenFor(static_cast<ProgramFunction>(i));
      state.DaysEntryValid = state.TimeEntryValid = state.ExportTargetSet = state.TextEditedByUser = true;
      state.PrefixAddFixed = true;
      state.OverwriteExisting = true;
      QVERIFY(RunEnabled(state, {"A", "B", "C"}));
      state.SourceChosen = false;
      QVERIFY(!RunEnabled(state, {"A", "B", "C"}));
    }
  }

  void FunctionsWithoutParametersRun() {
    for (const ProgramFunction f :
         {ProgramFunction::AdjustFileTime, ProgramFunction::CreateMetadata, ProgramFunction::WipeFiles}) {
      QVERIFY(RunEnabled(ChosenFor(f), {}));
    }
  }

  void MetadataTimeNeedsAnEntry() {
    RunState state = ChosenFor(ProgramFunction::AdjustMetadataTime);
    QVERIFY(!RunEnabled(state, {}));
    state.DaysEntryValid = true;
    QVERIFY(RunEnabled(state, {}));
    state.DaysEntryValid = false;
    state.TimeEntryValid = true;
    QVERIFY(RunEnabled(state, {}));
  }

  void SecondPathNeeded() {
    for (const ProgramFunction f : {ProgramFunction::RestoreMetadata, ProgramFunction::ExportMetadata}) {
      RunState state = ChosenFor(f);
      QVERIFY(!RunEnabled(state, {}));
      state.ExportTargetSet = true;
      QVERIFY(RunEnabled(state, {}));
    }
  }

  void PrefixParameters_data() {
    QTest::addColumn<bool>("removeFirst");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<bool>("sequence");

    QTest::newRow("nothing") << false << 3 << 0 << "X" << false << false << false;
    QTest::newRow("remove 3") << true << 3 << 0 << "" << true << false << false;
    QTest::newRow("remove 0") << true << 0 << 0 << "" << false << false << false;
    QTest::newRow("fixed") << false << 1 << 1 << "Cam_" << false << true << false;
    QTest::newRow("fixed blank") << false << 1 << 1 << "   " << false << false << false;
    QTest::newRow("sequence") << false << 1 << 2 << "" << false << false << true;
    QTest::newRow("combined") << false << 1 << 3 << "Cam_" << false << true << true;
    QTest::newRow("combined no text") << false << 1 << 3 << "" << false << false << false;
  }

  void PrefixParameters() {
    QFETCH(bool, removeFirst);
    QFETCH(int, count);
    QFETCH(int, option);
    QFETCH(QString, text);
    QFETCH(bool, remove);
    QFETCH(bool, fixed);
    QFETCH(bool, sequence);

    RunState state = ChosenFor(ProgramFunction::FilenamePrefix);
    SetPrefixParameters(state, {removeFirst, count, option, text.toStdString()});
    QCOMPARE(state.PrefixRemoveChars, remove);
    QCOMPARE(state.PrefixAddFixed, fixed);
    QCOMPARE(state.PrefixTimeSequence, sequence);
    QCOMPARE(RunEnabled(state, {}), remove || fixed || sequence);
  }

  void CopyrightRun_data() {
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("photographer");
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("photographerName");
    QTest::addColumn<QString>("editorName");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("named photographer") << true << true << false << "Ann"
                                        << "" << false << true;
    QTest::newRow("not edited") << false << true << false << "Ann"
                                << "" << false << false;
    QTest::newRow("photographer unnamed") << true << true << false << " "
                                          << "Bob" << false << false;
    QTest::newRow("unnamed but overwrite") << true << true << false << ""
                                           << "" << true << true;
    QTest::newRow("editor named") << true << false << true << ""
                                  << "Bob" << false << true;
    QTest::newRow("both, one named") << true << true << true << ""
                                     << "Bob" << false << true;
  }

  void CopyrightRun() {
    QFETCH(bool, edited);
    QFETCH(bool, photographer);
    QFETCH(bool, editor);
    QFETCH(QString, photographerName);
    QFETCH(QString, editorName);
    QFETCH(bool, overwrite);
    QFETCH(bool, enabled);

    RunState state = ChosenFor(ProgramFunction::AddCopyright);
    state.TextEditedByUser = edited;
    state.NoticeForPhotographer = photographer;
    state.NoticeForEditor = editor;
    state.OverwriteExisting = overwrite;
    QCOMPARE(RunEnabled(state, {photographerName.toStdString(), editorName.toStdString(), ""}), enabled);
  }

  void DescriptionRun_data() {
    QTest::addColumn<int>("option");  // 0 Add/Replace, 1 Append, 2 Prefix
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("replace text") << 0 << "Paris" << false << true << true;
    QTest::newRow("replace empty, skip") << 0 << "" << false << true << false;
    QTest::newRow("replace empty = delete") << 0 << "" << true << true << true;
    QTest::newRow("append text") << 1 << "2008" << false << true << true;
    QTest::newRow("append empty") << 1 << " " << true << true << false;
    QTest::newRow("prefix empty") << 2 << "" << true << true << false;
    QTest::newRow("not edited") << 0 << "Paris" << true << false << false;
  }

  void DescriptionRun() {
    QFETCH(int, option);
    QFETCH(QString, text);
    QFETCH(bool, overwrite);
    QFETCH(bool, edited);
    QFETCH(bool, enabled);

    RunState state = ChosenFor(ProgramFunction::AddDescription);
    state.NoticeForPhotographer = option == 1;
    state.NoticeForEditor = option == 2;
    state.OverwriteExisting = overwrite;
    state.TextEditedByUser = edited;
    QCOMPARE(RunEnabled(state, {"", "", text.toStdString()}), enabled);
  }

  void MemoryKeepsEachFunctionsChoices() {
    FunctionMemory memory;
    // First entry: skip checked, option 0.
    std::optional<SharedPanelChoice> choice = memory.Enter(ProgramFunction::AddCopyright);
    QVERIFY(choice);
    QCOMPARE(choice->skipUnchecked, false);
    QCOMPARE(choice->option, 0);
    QCOMPARE(memory.Bits(), uint8_t{0x08});

    memory.Leave(ProgramFunction::AddCopyright, {true, 1});  // Editor, skip unchecked
    QCOMPARE(memory.Bits(), uint8_t{0x03});
    choice = memory.Enter(ProgramFunction::AddDescription);
    QCOMPARE(choice->skipUnchecked, false);
    QCOMPARE(choice->option, 0);
    memory.Leave(ProgramFunction::AddDescription, {false, 2});  // Prefix
    QCOMPARE(memory.Bits(), uint8_t{0x43});

    QVERIFY(!memory.Enter(ProgramFunction::ExportMetadata));
    memory.Leave(ProgramFunction::ExportMetadata, {true, 2});
    QCOMPARE(memory.Bits(), uint8_t{0x43});

    choice = memory.Enter(ProgramFunction::AddCopyright);
    QCOMPARE(choice->skipUnchecked, true);
    QCOMPARE(choice->option, 1);
    choice = memory.Enter(ProgramFunction::AddDescription);
    QCOMPARE(choice->skipUnchecked, false);
    QCOMPARE(choice->option, 2);
  }

  void ArrowKeysWrap() {
    QCOMPARE(WrappedFunctionIndex(0, true), 8);
    QCOMPARE(WrappedFunctionIndex(8, false), 0);
    QCOMPARE(WrappedFunctionIndex(4, true), 3);
    QCOMPARE(WrappedFunctionIndex(4, false), 5);
  }

  void HelpTopics() {
    QCOMPARE(NextHelpContext(ProgramFunction::AdjustFileTime, kStartUpHelpContext), 1);
    QCOMPARE(NextHelpContext(ProgramFunction::AdjustMetadataTime, 1), 8);
    QCOMPARE(NextHelpContext(ProgramFunction::AdjustFileTime, 8), 7);
    QCOMPARE(NextHelpContext(ProgramFunction::FilenamePrefix, 7), 10);
    QCOMPARE(NextHelpContext(ProgramFunction::WipeFiles, 7), 16);
  }

  void Headings() {
    QCOMPARE(ParametersHeading(ProgramFunction::AddCopyright, true, false), std::string("Existing Copyright entry:"));
    QCOMPARE(ParametersHeading(ProgramFunction::AddCopyright, true, true), std::string("Revised Copyright entry:"));
    QCOMPARE(ParametersHeading(ProgramFunction::AddDescription, false, false),
             std::string("Revised Image Description entry:"));
    QCOMPARE(ParametersHeading(ProgramFunction::WipeFiles, false, false),
             std::string("No parameters are needed for this function."));
  }

  void ProgramArguments() {
    const struct {
      std::vector<std::string> args;
      bool help, version;
      const char* path;
      const char* error;
    } cases[] = {
        {{}, false, false, "", ""},
        {{"photos/"}, false, false, "photos/", ""},
        {{"--", "-odd name.jpg"}, false, false, "-odd name.jpg", ""},
        {{"-"}, false, false, "-", ""},
        {{"--bogus", "--version"}, false, true, "", "unknown option '--bogus'"},
        {{"a", "b", "-h"}, true, false, "a", "more than one FOLDER or PHOTO given ('b')"},
        {{""}, false, false, "", "the FOLDER or PHOTO is empty"},
    };
    for (const auto& c : cases) {
      const kelvane::ProgramArguments read = ReadProgramArguments(c.args);
      QCOMPARE(read.help, c.help);
      QCOMPARE(read.version, c.version);
      QCOMPARE(read.path, std::string(c.path));
      QCOMPARE(read.error, std::string(c.error));
    }
  }

  void WindowPositionStoredOrCentred() {
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
      QCOMPARE(p.left, c.x);
      QCOMPARE(p.top, c.y);
    }
    const WindowPosition big = PlaceWindow("0", "0", 9000, 6000, 12000, 8000);
    QCOMPARE(big.left, 1);
    QCOMPARE(big.top, 1);
  }

  void CueFolderInsteadOfCueFileIsMissing() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    for (const char* cue : {"success.wav", "error.wav", "attention.wav"}) std::ofstream(folder + cue) << ' ';
    QVERIFY(AllCuesPresent(folder));
    std::filesystem::remove(folder + "attention.wav");
    std::filesystem::create_directory(folder + "attention.wav");
    QVERIFY(!AllCuesPresent(folder));
    QCOMPARE(CuePath("", SoundCue::Success), std::string());
    QCOMPARE(CuePath("/opt/kelvane", SoundCue::Attention), std::string("/opt/kelvane/attention.wav"));
  }
};

QTEST_APPLESS_MAIN(WindowRulesTest)
#include "window_rules_test.moc"
