// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_command.h"

#include <gtest/gtest.h>

#include "batch_test_context.h"

namespace kelvane {
namespace {

TEST(RunCommand, DispatchesEachFunctionToItsProcedure) {
  const struct {
    int function;
    const char* expected;  // "" = nothing runs
  } cases[] = {
      {0, "time"},  {1, "time"},  {2, "prefix"}, {3, "amend"}, {4, "amend"},
      {5, "amend"}, {6, "amend"}, {7, "amend"},  {8, "amend"}, {42, ""},
  };
  for (const auto& c : cases) {
    test::BatchTestContext t;
    t.state.SelectedFunction = static_cast<ProgramFunction>(c.function);
    t.state.CancelRequested = true;
    std::string ran;
    const auto runner = [&](const char* name) {
      return [&, name] {
        ran += name;
        EXPECT_TRUE(t.state.RunInProgress);
        EXPECT_TRUE(t.ui.busy);
        EXPECT_FALSE(t.state.CancelRequested) << "cleared before the procedure runs";
      };
    };
    RunBtn_Click(t.context, {runner("time"), runner("prefix"), runner("amend")});
    EXPECT_EQ(ran, c.expected) << c.function;
    EXPECT_FALSE(t.state.RunInProgress);
    EXPECT_FALSE(t.ui.busy);
    EXPECT_FALSE(t.state.CancelRequested);
  }
}

TEST(RunCommand, CancelIsEnabledForFolderRunsOnly) {
  for (bool single : {false, true}) {
    test::BatchTestContext t;
    t.state.SinglePhotoMode = single;
    RunBtn_Click(t.context, {});  // a procedure not given runs nothing
    EXPECT_EQ(t.ui.cancelEnabled, single ? std::vector<bool>{} : std::vector<bool>{true});
    EXPECT_EQ(t.ui.busyChanges, 2);
  }
}

}  // namespace
}  // namespace kelvane
