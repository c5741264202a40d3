#pragma once
// A text kept in a named block of shared memory, so that another process can test for it and read
// it (the single-instance rule). The block holds the text's bytes and a zero byte; its size is
// fixed when it is published. A block whose publisher ended without unpublishing is stale:
// CheckMapping answers false for it and removes it.
#include "platform/SharedMemory.h"

#include <string>
#include <string_view>

// What MappingString returns and UnmappingString takes back: the block's descriptor and view
// (plus what POSIX needs to release them).
using TMappingIndex = platform::SharedMapping;

// Publishes the text under the name in a block of its length + 1 bytes. When a live publisher
// already holds the name, the text is written into that block, cut to fit. Failure gives an index
// without a view.
TMappingIndex MappingString(std::string_view name, std::string_view text);
// Unpublishes (the name disappears) and empties the index.
void UnmappingString(TMappingIndex& index);
// True when a live publisher holds a block of that name.
bool CheckMapping(std::string_view name);
// The text in the block, up to its first zero byte or the block's end; "" when there is no block.
std::string StringFromMapFile(std::string_view name);
// Writes the text and a zero byte into the existing block, cut to fit the block (at a character
// boundary); does nothing when there is no block.
void StringToMapFile(std::string_view name, std::string_view text);
