#include "core/Umapobject.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies as much of the text as fits before a terminating zero, never cutting a UTF-8 character.
void WriteBounded(const TMappingIndex& block, std::string_view text)
{
    if (!block.IsValid())
        return;
    std::size_t length = std::min(text.size(), block.Size - 1);
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            --length;
    auto* view = static_cast<char*>(block.View);
    std::memcpy(view, text.data(), length);
    view[length] = '\0';
}

} // namespace

TMappingIndex MappingString(std::string_view name, std::string_view text)
{
    TMappingIndex index = platform::CreateSharedMapping(name, text.size() + 1);
    WriteBounded(index, text);
    return index;
}

void UnmappingString(TMappingIndex& index)
{
    platform::CloseSharedMapping(index);
}

bool CheckMapping(std::string_view name)
{
    return platform::IsSharedMappingLive(name);
}

std::string StringFromMapFile(std::string_view name)
{
    TMappingIndex block = platform::OpenSharedMapping(name, false);
    if (!block.IsValid())
        return {};
    const auto* view = static_cast<const char*>(block.View);
    const void* zero = std::memchr(view, '\0', block.Size);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - view) : block.Size;
    std::string text(view, length);
    platform::CloseSharedMapping(block);
    return text;
}

void StringToMapFile(std::string_view name, std::string_view text)
{
    TMappingIndex block = platform::OpenSharedMapping(name, true);
    WriteBounded(block, text);
    platform::CloseSharedMapping(block);
}
