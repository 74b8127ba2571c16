// SPDX-License-Identifier: GPL-2.0-or-later
// Time per photo of whole batch runs over a folder of 10,000 copies of the
// sample photos that have a taken time (those under 64 KiB, to keep the
// folder small): the photo-time shift, the file times from the photos, the
// time-sequence prefix and the copyright notice (added, then replaced).
#include <cstdio>
#include <filesystem>

#include "batch/amend_operation.h"
#include "batch/batch_context.h"
#include "batch/engine_amend_operations.h"
#include "batch/engine_prefix_operations.h"
#include "batch/engine_time_operations.h"
#include "batch/filename_prefix.h"
#include "batch/time_corrections.h"
#include "bench/bench_common.h"

using namespace kelvane;

namespace {

constexpr size_t kPhotos = 10000;

// Answers every box with its default and keeps what the run reports.
class QuietUi : public UserDialogs, public RunObserver {
 public:
  MessageAnswer Show(const Message& message) override {
    lastText = message.text;
    return MessageAnswer::kOk;
  }
  void SetProgress(int) override {}
  void SetStatus(int, const std::string&) override {}
  void Notice(const std::string&) override {}
  void PumpEvents() override {}
  bool CancelRequested() override { return false; }

  std::string lastText;
};

// The first line of a completion text, and whether files are listed.
std::string Summary(const std::string& text) {
  const size_t end = text.find('\r');
  return end == std::string::npos ? text : text.substr(0, end) + " ...";
}

template <typename Run>
void Measure(const char* title, Run run, QuietUi& ui) {
  const auto start = std::chrono::steady_clock::now();
  run();
  const double seconds = bench::Seconds(start);
  std::printf("%-34s %8.4f ms/photo  (%.2f s)  %s\n", title, seconds * 1000.0 / kPhotos, seconds,
              Summary(ui.lastText).c_str());
}

}  // namespace

int main() {
  FileOpsLibrary fileOps;
  if (!fileOps.Available()) std::printf("warning: libqmrfio.so not found beside the program\n");
  bench::ScratchFolder scratch;
  bench::ScratchFolder settingsFolder;
  RunState state;
  Settings settings;
  SettingsStore store((settingsFolder.path() / "qmre0118.ini").string());
  QuietUi ui;
  RunUi ports(ui, ui);
  ExportOptions exportOptions;
  BatchContext context{state, settings, store, ports, fileOps, TagLibrary::BuiltIn(), exportOptions};
  BatchInputs inputs;
  inputs.sourcePath = scratch.path().string() + "/";

  std::vector<bench::fs::path> photos;
  EnginePrefixOperations probe(context, inputs);
  for (const auto& photo : bench::SamplePhotos()) {
    const TakenTime taken = probe.ReadTakenTime(photo.string());
    if (bench::fs::file_size(photo) < 64 * 1024 && taken.found && !taken.fromFileTime) photos.push_back(photo);
  }
  if (photos.empty()) {
    std::printf("no sample photos in %s; nothing measured\n", bench::SamplesFolder().c_str());
    return 0;
  }
  const auto files = bench::FillWithCopies(scratch.path(), photos, kPhotos);

  std::printf("photos: %zu copies of %zu samples\n", files.size(), photos.size());

  state.SelectedFunction = ProgramFunction::AdjustMetadataTime;
  inputs.timeTexts = {"1", "", ""};
  Measure(
      "photo-time shift (+1 hour)",
      [&] {
        EngineTimeOperations operations(context, inputs);
        RunTimeCorrections(context, inputs, operations);
      },
      ui);

  state.SelectedFunction = ProgramFunction::AdjustFileTime;
  Measure(
      "file times from the photos",
      [&] {
        EngineTimeOperations operations(context, inputs);
        RunTimeCorrections(context, inputs, operations);
      },
      ui);

  state.SelectedFunction = ProgramFunction::FilenamePrefix;
  state.PrefixTimeSequence = true;
  Measure(
      "time-sequence prefix",
      [&] {
        EnginePrefixOperations operations(context, inputs);
        RunFilenamePrefix(context, inputs, operations);
      },
      ui);

  // The samples have no notice: the first run grows each photo's Exif
  // segment (a whole-file rewrite), the second fits in the room left.
  state.SelectedFunction = ProgramFunction::AddCopyright;
  state.NoticeForPhotographer = true;
  state.NoticeForEditor = false;
  state.OverwriteExisting = true;
  const auto runCopyright = [&] {
    EngineAmendOperations operations(context, inputs);
    RunAmendOperation(context, inputs, operations);
  };
  inputs.copyright = {"Jane Doe", "2024", "", ""};
  Measure("copyright add", runCopyright, ui);
  inputs.copyright = {"John Roe", "2025", "", ""};
  Measure("copyright replace", runCopyright, ui);
  return 0;
}
