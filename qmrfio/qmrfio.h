/* qmrfio - byte-level file operations for Kelvane.
 *
 * Every function works on files by name, opens and closes them within the
 * call, keeps no state and reports by its integer result. File offsets are
 * 0-based. Text arguments are zero-terminated byte strings. */
#ifndef QMRFIO_H
#define QMRFIO_H

#include <stdint.h>

#if defined(QMRFIO_BUILDING)
#define QMRFIO_API __attribute__((visibility("default")))
#else
#define QMRFIO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Finds pattern in a file. mode < 2: line mode, >= 2: binary; odd: ASCII
 * letters match in either case. Returns the 0-based offset of the match
 * (line mode: of the matching line), or -1 not found, -2 no file name or
 * unknown size, -3 empty pattern, -4 file shorter than start + pattern,
 * -5 cannot seek to start, -7 cannot open. */
QMRFIO_API int32_t filefindstr(int32_t mode, int32_t start, int32_t end, const char *pattern,
                               const char *fileName);

/* The same search over a zero-terminated text in memory. */
QMRFIO_API int32_t cbfindstr(int32_t mode, int32_t start, int32_t end, const char *pattern,
                             const char *text);

/* Builds (appends to outputName) or patches (empty outputName) a file from
 * pieces of sourceName and donorName. Returns 0 finished, > 0 the output
 * position to resume at, < 0 an error. */
QMRFIO_API int32_t insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt,
                           int32_t cutLength, int32_t insertAt, int32_t donorOffset,
                           int32_t insertLength, const char *sourceName, const char *donorName,
                           const char *outputName);

/* The older form of insert2: no donor offset, no extract or in-place mode. */
QMRFIO_API int32_t insert(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt,
                          int32_t cutLength, int32_t insertAt, int32_t insertLength,
                          const char *sourceName, const char *donorName, const char *outputName);

/* Overwrites a file with length zero bytes and flushes them to the device.
 * Returns -1 done, 0 nothing to do (length 0 or no name), -6 cannot open. */
QMRFIO_API int32_t wipefile(int32_t length, const char *fileName);

#ifdef __cplusplus
}
#endif

#endif /* QMRFIO_H */
