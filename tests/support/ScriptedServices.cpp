#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>

namespace vkttest {

using platform::MsgAnswer;

namespace {

template <typename T>
T TakeFront(std::deque<T>& script, T fallback)
{
    if (script.empty()) return fallback;
    T value = std::move(script.front());
    script.pop_front();
    return value;
}

} // namespace

void ScriptedServices::ShowWindow()
{
    if (!showsWindows) return;
    QWidget* active = QApplication::activeWindow();
    QDialog dialog(active);
    dialog.setWindowTitle(QStringLiteral("scripted"));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    if (!QTest::qWaitForWindowActive(&dialog)) ADD_FAILURE() << "the scripted window did not become active";
    dialog.hide();
    // The platform's notices of the hidden window arrive before the window before is made active.
    QCoreApplication::processEvents();
    if (!active) return;
    QApplication::setActiveWindow(active);
    if (!QTest::qWaitForWindowActive(active)) ADD_FAILURE() << "the window before did not become active again";
}

MsgAnswer ScriptedServices::MessageBox(const std::string& text, const std::string& caption, platform::MsgIcon icon,
                                       platform::MsgButtons buttons, MsgAnswer defaultButton)
{
    messages.push_back({text, caption, icon, buttons, defaultButton});
    calls.push_back("MessageBox|" + caption + "|" + text);
    ShowWindow();
    return TakeFront(answers, defaultButton);
}

std::optional<std::string> ScriptedServices::OpenFile(const std::string& caption, const std::string& filter,
                                                      const std::string& folder, const std::string& name)
{
    calls.push_back("OpenFile|" + caption + "|" + filter + "|" + platform::PickerStartFolder(folder) + "|" + name);
    ShowWindow();
    return TakeFront(files, std::optional<std::string>{});
}

std::vector<std::string> ScriptedServices::OpenFiles(const std::string& caption, const std::string& filter,
                                                    const std::string& folder)
{
    calls.push_back("OpenFiles|" + caption + "|" + filter + "|" + platform::PickerStartFolder(folder));
    ShowWindow();
    return TakeFront(fileLists, std::vector<std::string>{});
}

std::optional<std::string> ScriptedServices::SaveFile(const std::string& caption, const std::string& filter,
                                                      const std::string& folder, const std::string& name,
                                                      platform::OverwritePrompt prompt)
{
    calls.push_back("SaveFile|" + caption + "|" + filter + "|" + platform::PickerStartFolder(folder) + "|" + name +
                    (prompt == platform::OverwritePrompt::Allow ? "|allow" : ""));
    ShowWindow();
    return TakeFront(files, std::optional<std::string>{});
}

std::optional<std::string> ScriptedServices::PickFolder(const std::string& caption, const std::string& folder)
{
    calls.push_back("PickFolder|" + caption + "|" + platform::PickerStartFolder(folder));
    ShowWindow();
    return TakeFront(files, std::optional<std::string>{});
}

std::optional<platform::TColor> ScriptedServices::PickColor(platform::TColor initial)
{
    calls.push_back("PickColor|" + std::to_string(initial));
    ShowWindow();
    return TakeFront(colors, std::optional<platform::TColor>{});
}

bool ScriptedServices::PageSetup(QPrinter&)
{
    calls.push_back("PageSetup");
    ShowWindow();
    return TakeFront(pageSetups, false);
}

bool ScriptedServices::OpenUrl(const std::string& url)
{
    calls.push_back("OpenUrl|" + url);
    urls.push_back(url);
    return urlOpens;
}

void ScriptedServices::Reset()
{
    answers.clear();
    files.clear();
    fileLists.clear();
    colors.clear();
    pageSetups.clear();
    shift = false;
    urlOpens = true;
    showsWindows = false;
    messages.clear();
    calls.clear();
    urls.clear();
    busyDepth = 0;
}

} // namespace vkttest
