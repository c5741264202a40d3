#pragma once
// The bounds of the XML reader (Xml.h) on its input: layout files, layouts pasted from the
// clipboard and the settings sections of a database, any of which another program may have
// written or made to harm. Input past a bound fails the parse with an
// XmlError; what the reader's callers build from the elements is bounded by them.

namespace platform {

// Elements nested inside one another: the document's readers (the layout's item tree, the
// settings) walk elements recursively, and a hostile document must not exhaust their stack.
inline constexpr int kMaxXmlDepth = 256;

} // namespace platform
