// SPDX-License-Identifier: GPL-2.0-or-later
// The exported C functions. Each catches everything, so no exception reaches
// the C caller, and turns it into the function's own failure code.
#include "qmrfio.h"

#include "chunked_copy.h"
#include "file_handle.h"
#include "pattern_search.h"
#include "wipe.h"

using qmrfio::ArgumentText;

extern "C" {

int32_t filefindstr(int32_t mode, int32_t start, int32_t end, const char* pattern, const char* fileName) {
  try {
    return qmrfio::FindInFile(mode, start, end, ArgumentText(pattern), ArgumentText(fileName));
  } catch (...) {
    return qmrfio::kSearchFailed;
  }
}

int32_t cbfindstr(int32_t mode, int32_t start, int32_t end, const char* pattern, const char* text) {
  try {
    return qmrfio::FindInText(mode, start, end, ArgumentText(pattern), ArgumentText(text));
  } catch (...) {
    return qmrfio::kSearchFailed;
  }
}

int32_t insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
                int32_t insertAt, int32_t donorOffset, int32_t insertLength, const char* sourceName,
                const char* donorName, const char* outputName) {
  try {
    const qmrfio::BuildRequest request{.resumeAt = resumeAt,
                                       .chunkLimit = chunkLimit,
                                       .sourceLength = sourceLength,
                                       .cutAt = cutAt,
                                       .cutLength = cutLength,
                                       .insertAt = insertAt,
                                       .donorOffset = donorOffset,
                                       .insertLength = insertLength,
                                       .sourceName = ArgumentText(sourceName),
                                       .donorName = ArgumentText(donorName),
                                       .outputName = ArgumentText(outputName)};
    return qmrfio::RunBuild(request);
  } catch (...) {
    return qmrfio::kBuildFailed;
  }
}

int32_t insert(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
               int32_t insertAt, int32_t insertLength, const char* sourceName, const char* donorName,
               const char* outputName) {
  try {
    // The donor block always starts at the donor's first byte.
    const qmrfio::BuildRequest request{.resumeAt = resumeAt,
                                       .chunkLimit = chunkLimit,
                                       .sourceLength = sourceLength,
                                       .cutAt = cutAt,
                                       .cutLength = cutLength,
                                       .insertAt = insertAt,
                                       .donorOffset = 0,
                                       .insertLength = insertLength,
                                       .sourceName = ArgumentText(sourceName),
                                       .donorName = ArgumentText(donorName),
                                       .outputName = ArgumentText(outputName),
                                       .extendedModes = false,
                                       .defaultChunk = 100'000};
    return qmrfio::RunBuild(request);
  } catch (...) {
    return qmrfio::kBuildFailed;
  }
}

int32_t wipefile(int32_t length, const char* fileName) {
  try {
    return qmrfio::WipeFile(length, ArgumentText(fileName));
  } catch (...) {
    return qmrfio::kWipeWriteFailed;
  }
}

}  // extern "C"
