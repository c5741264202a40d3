#pragma once
// The bounds of the RTF reader (Urtparser) on its input: rich text from a database's memos, a
// file, the clipboard or a pasted layout, any of it written by another program or made to harm.
// Each bounds what one document may make the reader hold or do; input past one is cut or held as
// said, or fails the parse, never grows the reader's memory or stack without end.
//
// Beside these, every numeric parameter of a control word is held to int32 (its digits stop
// counting at 2^32).
#include <cstdint>

// Bytes of one text piece handed on: pieces of longer text follow one another (a code-page-932
// lead byte ending a full piece moves to the next one), so a run of text is never held whole.
inline constexpr int kRtfMaxPiece = 999;
// Letters of a control-word name kept, well past every word the reader knows; the rest of a
// longer name is read and dropped, so that a name never grows without end.
inline constexpr int kRtfMaxName = 31;
// Groups open at once: the reader keeps a saved state per open group; deeper input fails the
// parse.
inline constexpr int kRtfMaxDepth = 4096;
// A length or size read, in twips, held within 24 inches, beyond the long side of the largest
// paper (A2, 594 mm), so that what is computed from it (pixels, line heights) stays in range.
inline constexpr std::int64_t kRtfMaxLengthTwips = 24 * 1440;
