#pragma once
// The system clipboard: text (UTF-8), images and the program's own formats by their Qt format
// strings ("-QL-PageViewObject", "text/rtf").
#include "gui/Image.h"

#include <memory>
#include <optional>
#include <string>

class QMimeData;

namespace platform {

namespace Clipboard {
void SetText(const std::string& text);
std::string GetText();
bool HasText();
void SetImage(const Image& image);
std::optional<Image> GetImage();
void SetData(const std::string& format, const std::string& bytes);
bool HasFormat(const std::string& format);
std::string GetData(const std::string& format);
} // namespace Clipboard

// Several formats put on the clipboard in one write (on Commit or destruction).
class ClipboardWriter {
public:
    ClipboardWriter();
    ~ClipboardWriter();
    ClipboardWriter(const ClipboardWriter&) = delete;
    ClipboardWriter& operator=(const ClipboardWriter&) = delete;

    void SetText(const std::string& text);
    void SetImage(const Image& image);
    void SetData(const std::string& format, const std::string& bytes);
    void Commit();

private:
    std::unique_ptr<QMimeData> data_;
};

} // namespace platform
