#include "shell/Ustartprefetch.h"

#include <system_error>

#include <dlfcn.h>

namespace {

// fontconfig's FcInit, reached through the libraries already loaded (Qt's font backend links it);
// nothing where the backend is another.
void ReadFontConfiguration()
{
    using InitFunction = int (*)();
    if (const auto init = reinterpret_cast<InitFunction>(dlsym(RTLD_DEFAULT, "FcInit"))) init();
}

std::thread StartWorker()
{
    try {
        return std::thread(ReadFontConfiguration);
    } catch (const std::system_error&) {
        return {};   // no thread: Qt reads the configuration when it first needs it
    }
}

} // namespace

TStartPrefetch::TStartPrefetch() : fonts_(StartWorker()) {}

TStartPrefetch::~TStartPrefetch() { WaitFonts(); }

void TStartPrefetch::WaitFonts()
{
    if (fonts_.joinable()) fonts_.join();
}
