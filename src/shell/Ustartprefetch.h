#pragma once
// TStartPrefetch: work the first showing of the main window needs, begun on worker threads as the
// program starts so that the main thread finds it done:
//  - the font configuration is read (the first text measured otherwise waits for it);
//  - once the application object exists, the printer support plugins are loaded with the libraries
//    they pull in (the layout designer's page asks for the printers while the window is built).
// Nothing depends on the workers' results: whatever is undone when needed is done as before by the
// main thread, which the workers never touch. Qt is not called from the workers.
#include <string>
#include <thread>

class TStartPrefetch {
public:
    // Starts reading the font configuration.
    TStartPrefetch();
    // Waits for the workers.
    ~TStartPrefetch();
    TStartPrefetch(const TStartPrefetch&) = delete;
    TStartPrefetch& operator=(const TStartPrefetch&) = delete;

    // Loads each shared library in `folder` (Qt's printer support plugin folder), in the background.
    void LoadPlugins(const std::string& folder);
    // Returns once the font configuration is read.
    void WaitFonts();

private:
    std::thread fonts_;
    std::thread plugins_;
};

// Qt's plugin folder for printer support ("<plugins>/printsupport").
std::string PrintSupportPluginFolder();
