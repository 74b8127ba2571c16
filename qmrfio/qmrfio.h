// SPDX-License-Identifier: GPL-2.0-or-later
/* qmrfio - byte-level file operations for Kelvane.
 *
 * Every function works on files by name, opens and closes them within the
 * call, keeps no state and reports by its integer result. File offsets are
 * 0-based. Text arguments are zero-terminated byte strings; a null pointer
 * counts as an empty string. All offset arithmetic is done in 64 bits, so
 * no combination of 32-bit arguments overflows. */
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

/* Finds pattern in a file, scanning from start and stopping before end (end
 * 0 or less, or past the file, means the end of the file; the scan covers at
 * most the first 2^31 - 1 bytes, the largest offset a result can carry).
 *
 * mode < 2: line mode, >= 2: binary; odd: ASCII letters match in either
 * case. Binary mode has no backtracking: after a partial match fails, the
 * match is only retried from the failing byte (a a b is not found in
 * a a a b). Line mode: start counts as the start of a line, a CR or LF
 * ends a line, and a match must begin at the first byte of a line.
 *
 * Returns the 0-based offset of the match (line mode: of the matching line),
 * or -1 not found, -2 no file name or the size is unknown (not a regular
 * file), -3 empty pattern, -4 file shorter than start + pattern length,
 * -5 start is negative, -7 cannot open, -8 the file could not be read (or
 * no memory). */
QMRFIO_API int32_t filefindstr(int32_t mode, int32_t start, int32_t end, const char *pattern, const char *fileName);

/* The same search over a zero-terminated text in memory: -2 empty text,
 * -3 empty pattern, -4 text shorter than start + pattern length, -5 start
 * is negative. */
QMRFIO_API int32_t cbfindstr(int32_t mode, int32_t start, int32_t end, const char *pattern, const char *text);

/* Builds a file by appending to outputName (callers delete it first), or
 * patches sourceName in place when outputName is empty. The mode follows
 * from the arguments (S = source, D = donor, [a, b) = bytes a to b - 1):
 *
 *   extract   cutLength < 0:        S[insertAt, insertAt + insertLength)
 *   in place  outputName empty:     D[donorOffset, +insertLength) written over
 *                                   S from insertAt (the file grows if the
 *                                   block runs past its end)
 *   cut only  cutLength > 0, no D:  S[0, cutAt) S[cutAt + cutLength, sourceLength)
 *   replace   cutLength > 0 and D:  S[0, cutAt) D[donorOffset, +insertLength)
 *                                   S[cutAt + cutLength, sourceLength)
 *             the old block (cutLength) and the new one (insertLength) may
 *             differ in length; insertAt must equal cutAt (else -24)
 *   insert    D, insertAt >= 0:     S[0, insertAt) D[donorOffset, +insertLength)
 *                                   S[insertAt, sourceLength)
 *   append    D, insertAt < 0:      S[0, sourceLength) D[donorOffset, +insertLength)
 *   copy      no cut, no D:         S[0, sourceLength)
 *
 * A block of the source past sourceLength is empty; a block whose bytes are
 * not in the file fails with that step's code.
 *
 * Chunks: one call produces at most chunkLimit output bytes (0 or less:
 * 1,000,000), counted from resumeAt (0 on the first call). When it has
 * produced chunkLimit bytes it returns the output position reached, even if
 * that is the very end: call again with resumeAt set to it. 0 = finished.
 * A chunk limit of 3 on 10 output bytes returns 3, 6, 9, then 0.
 *
 * Errors: -1 cut with a negative cutAt; -2 source, -3 output, -4 donor
 * cannot be opened; -5 donor given with insertLength < 1; in place: -14
 * insertAt < 0, -15 insertLength < 1, -16 a cut requested; extract: -19
 * insertLength < 1, -20 a donor given; -24 replace with insertAt != cutAt;
 * -25 resumeAt < 0, or the chunk would end past 2^31 - 1 before the end of
 * the output; -23 writing the output failed; -26 out of memory.
 * A block that cannot be read where it should be (negative offset, file too
 * short, read error): -6 source before the cut (cut only, replace), -7
 * source after the cut (cut only), -8 / -9 / -10 insert: source before the
 * insert point / donor / source from the insert point, -11 / -12 append or
 * copy: source / donor, -13 extract, -17 in place: donor, -18 in place:
 * writing over the source failed, -21 / -22 replace: donor / source after
 * the old block. On an error the output holds what was appended before it. */
QMRFIO_API int32_t insert2(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
                           int32_t insertAt, int32_t donorOffset, int32_t insertLength, const char *sourceName,
                           const char *donorName, const char *outputName);

/* The older form of insert2: the donor block starts at the donor's first
 * byte, a negative cutLength means no cut (no extract mode), an output file
 * is always required (empty: -3) and the default chunk limit is 100,000.
 * Same modes and codes otherwise. */
QMRFIO_API int32_t insert(int32_t resumeAt, int32_t chunkLimit, int32_t sourceLength, int32_t cutAt, int32_t cutLength,
                          int32_t insertAt, int32_t insertLength, const char *sourceName, const char *donorName,
                          const char *outputName);

/* Overwrites a regular file with length zero bytes from its start (over the
 * old bytes, not into fresh blocks), leaves it length bytes long and flushes
 * it to the device. Returns -1 done, 0 nothing done (length 0 or less, or no
 * name), -6 cannot open (missing, not writable, not a regular file), -8 the
 * zeros could not be written or flushed. */
QMRFIO_API int32_t wipefile(int32_t length, const char *fileName);

#ifdef __cplusplus
}
#endif

#endif /* QMRFIO_H */
