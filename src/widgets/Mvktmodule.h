#pragma once
// TVktModule: the program-wide settings holder. It knows the product name and version, the
// program's folders, the machine values of the key "Quillore\Vektara" (HomePage, Mail, Cgi) and
// the database list kept per user under the same key (Aliases). Every value is fixed at
// construction except NewsFound and SampleKitchenMade; folders use '/' as separator.
#include <functional>
#include <string>

#include "database/Uvktsamplekitchen.h"

class THTTPThread;

class TVktModule {
public:
    // Fills every field; creates DataFolder with its parents when it is missing.
    TVktModule();
    TVktModule(const TVktModule&) = delete;
    TVktModule& operator=(const TVktModule&) = delete;

    // Always true on this platform; SetWindowsSupported lets tests take the unsupported branch.
    bool GetWindowsSupported() const { return windowsSupported_; }
    void SetWindowsSupported(bool value) { windowsSupported_ = value; }
    // Set by the update check when the update file carries newer dates.
    bool GetNewsFound() const { return newsFound_; }
    void SetNewsFound(bool value) { newsFound_ = value; }

    // The base address of the home page and of the update file (expected to end with '/').
    const std::string& GetHomePage() const { return homePage_; }
    const std::string& GetMail() const { return mail_; }
    const std::string& GetCgi() const { return cgi_; }
    // The folder of the files shipped with the program (platform::ProgramDataFolder), trailing
    // '/'; only read.
    const std::string& GetShippedFolder() const { return shippedFolder_; }
    // "Vektara 2005".
    const std::string& GetProductName() const { return productName_; }
    // Four dot-separated integers.
    const std::string& GetFileVersion() const { return fileVersion_; }
    // "Quillore\" + the product name: the user key of the forms' layout values.
    const std::string& GetRegistrySubKey() const { return registrySubKey_; }
    // The user's documents folder, no trailing '/'.
    const std::string& GetDocumentsFolder() const { return documentsFolder_; }
    // <user data folder>/Quillore/<product name>/, trailing '/'.
    const std::string& GetDataFolder() const { return dataFolder_; }
    // The database list as read at construction: name=folder lines ending with CR LF.
    const std::string& GetAliases() const { return aliases_; }

    // Writes the database list as the user value Aliases, creating the key's file when missing.
    // A failed write raises platform::FileError.
    void WriteAliases(const std::string& text);

    // Whether the sample kitchen of a first start was made for this user, or its making failed (the
    // user value SampleKitchen, "1" or "failed", read on every call); once tried it is never tried
    // again, deleted or not.
    TSampleRecord GetSampleKitchen() const;
    bool GetSampleKitchenMade() const { return GetSampleKitchen() == TSampleRecord::Made; }
    // Remembers the outcome; a failed write raises platform::FileError.
    void WriteSampleKitchen(TSampleRecord record);
    // The memory the first start's making reads and writes (a failed write is left unsaid: the
    // start then tries again next time).
    TSampleMemory SampleMemory();
    // The database open when the main window last closed (the user value LastDatabase); "" when
    // none was.
    std::string GetLastDatabase() const;
    // Remembers it ("" for none); a failed write raises platform::FileError.
    void WriteLastDatabase(const std::string& name);
    // The folder of the pictures the sample kitchen uses, shipped with the program.
    std::string GetSamplePictureFolder() const { return shippedFolder_ + "samples"; }

    // The update check (Mvktmodule_update.cpp): fetches HomePage + "vktupdatefile.txt" and parses
    // it; onTerminate runs after every completion, a failed one included. `attempt` has no effect.
    void StartUpdateCheck(bool attempt, std::function<void(THTTPThread* sender)> onTerminate);
    // Records the update file's newer dates and values in the machine values; sets NewsFound.
    void ParseUpdateFile(THTTPThread* sender, const std::string& text, bool complete);
    // True when the recorded InternetFileVersion is newer than FileVersion.
    bool IsNewerVersion() const;

private:
    std::string ReadHomePage() const;
    std::string ReadMail() const;
    std::string ReadCgi() const;
    std::string ReadAliases() const;

    bool windowsSupported_ = true;
    bool newsFound_ = false;
    std::string homePage_;
    std::string mail_;
    std::string cgi_;
    std::string shippedFolder_;
    std::string productName_;
    std::string fileVersion_;
    std::string registrySubKey_;
    std::string documentsFolder_;
    std::string dataFolder_;
    std::string aliases_;
};

// The program's one settings module, created on first use (a Qt application must exist then).
TVktModule* VktMdl();

// A version text padded with ".0" (or cut) to four dot-separated parts: "0.1" → "0.1.0.0".
std::string FourPartVersion(const std::string& version);
