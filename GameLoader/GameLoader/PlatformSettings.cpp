#include "GameLoader/GameLoader/PlatformSettings.h"

#include <windows.h>
#include <io.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>

#include <tinyxml.h>

#include "GameLoader/Common/Folders.h"
#include "GameLoader/Common/TextConvert.h"
#include "base/Win32Handles.h"

namespace {

constexpr char kWindowIdElement[] = "qxwindowid";
constexpr char kLoginSourceElement[] = "loginsource";
constexpr char kRootElement[] = "settings";
constexpr int kReplaceAttempts = 20;
constexpr DWORD kReplaceRetryMs = 25;

struct FileCloser {
    void operator()(FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Opened by its wide name, so a profile folder outside the ANSI code page
// still works; the content is TinyXML's either way.
bool LoadSettings(const std::wstring& path, TiXmlDocument& document)
{
    UniqueFile file(::_wfopen(path.c_str(), L"rb"));
    return file && document.LoadFile(file.get());
}

// A file that another process has open, even only for reading, cannot be
// replaced; readers (another launcher, the platform) hold it for a moment.
// False with blocked set when a holder still kept it open at the end.
bool ReplaceWithRetry(const std::wstring& from, const std::wstring& to, bool& blocked)
{
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = ::GetLastError();
        blocked = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!blocked || attempt == kReplaceAttempts) return false;
        ::Sleep(kReplaceRetryMs);
    }
}

// The platform may keep the file open without delete sharing for as long
// as it likes, which rules out replacing it but not writing into it; a
// stale qxwindowid would send the game-exit notice to the wrong window.
bool WriteInPlace(const std::wstring& from, const std::wstring& to)
{
    std::string bytes;
    {
        UniqueFile source(::_wfopen(from.c_str(), L"rb"));
        if (!source) return false;
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, source.get())) > 0) bytes.append(buffer, n);
        if (std::ferror(source.get())) return false;
    }
    win32::UniqueHandle target(::CreateFileW(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) return false;
    DWORD written = 0;
    return ::WriteFile(target.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && ::FlushFileBuffers(target.get());
}

// Writes a temporary file beside the settings file and moves it over the
// old one, so a crash or a second launcher never sees a half-written file.
bool SaveSettingsReplacing(const TiXmlDocument& document, const std::wstring& path)
{
    const std::wstring temporary =
        path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetCurrentThreadId()) +
        L".tmp";
    bool written = false;
    {
        UniqueFile file(::_wfopen(temporary.c_str(), L"w"));  // text mode, as TinyXML saves
        if (!file) return false;
        written = document.SaveFile(file.get());
        written = std::fflush(file.get()) == 0 && written;
        written = ::_commit(::_fileno(file.get())) == 0 && written;
        written = std::fclose(file.release()) == 0 && written;
    }
    bool blocked = false;
    if (written && ReplaceWithRetry(temporary, path, blocked)) return true;
    const bool saved = written && blocked && WriteInPlace(temporary, path);
    ::DeleteFileW(temporary.c_str());
    return saved;
}

// The element of the loaded document: true when it exists; value is set
// only when its first child is text.
bool ReadSetting(const TiXmlDocument& document, const char* name, std::wstring& value)
{
    const TiXmlElement* root = document.RootElement();
    if (!root) return false;
    const TiXmlElement* element = root->FirstChildElement(name);
    if (!element) return false;
    const TiXmlNode* first = element->FirstChild();
    if (first && first->ToText()) value = AnsiToWide(first->Value());
    return true;
}

bool ReadSetting(const std::wstring& path, const char* name, std::wstring& value)
{
    TiXmlDocument document;
    if (!LoadSettings(path, document)) return false;
    return ReadSetting(document, name, value);
}

// The element's content is this text alone (nothing at all for an empty one).
bool HoldsExactly(const TiXmlElement& element, const std::string& text)
{
    const TiXmlNode* first = element.FirstChild();
    if (!first) return text.empty();
    return first == element.LastChild() && first->ToText() && first->ValueStr() == text && !text.empty();
}

bool WriteSetting(const char* name, const std::wstring& value, const std::wstring& path)
{
    TiXmlDocument document;
    TiXmlElement* parent = nullptr;
    if (!::PathFileExistsW(path.c_str())) {
        parent = document.LinkEndChild(new TiXmlElement(kRootElement))->ToElement();
    } else {
        if (!LoadSettings(path, document)) return false;
        parent = document.RootElement();
        if (!parent) return false;
    }
    TiXmlElement* element = parent->FirstChildElement(name);
    const std::string text = WideToMultiByte(value, CP_UTF8);
    // Nothing to change: the file is not written again (each write waits
    // for the disk twice, and the platform may be holding the file).
    if (element && HoldsExactly(*element, text)) return true;
    if (element) {
        element->Clear();
    } else {
        element = parent->LinkEndChild(new TiXmlElement(name))->ToElement();
    }
    element->LinkEndChild(new TiXmlText(text));
    return SaveSettingsReplacing(document, path);
}

}  // namespace

std::wstring GetSettingFilePath()
{
    const std::wstring dataDir = GetLocalAppDataDir() + L"\\Qixel";
    if (!::PathFileExistsW(dataDir.c_str())) ::CreateDirectoryW(dataDir.c_str(), nullptr);
    return dataDir + L"\\setting.xml";
}

bool ReadSettingWindowId(const std::wstring& settingFilePath, std::wstring& value)
{
    return ReadSetting(settingFilePath, kWindowIdElement, value);
}

bool ReadSettingLoginSource(const std::wstring& settingFilePath, std::wstring& value)
{
    return ReadSetting(settingFilePath, kLoginSourceElement, value);
}

PlatformSettingValues ReadPlatformSettings(const std::wstring& settingFilePath)
{
    PlatformSettingValues values;
    TiXmlDocument document;
    if (!LoadSettings(settingFilePath, document)) return values;
    values.windowIdFound = ReadSetting(document, kWindowIdElement, values.windowId);
    values.loginSourceFound = ReadSetting(document, kLoginSourceElement, values.loginSource);
    return values;
}

bool WriteSettingWindowId(const std::wstring& value, const std::wstring& settingFilePath)
{
    return WriteSetting(kWindowIdElement, value, settingFilePath);
}

bool WriteSettingLoginSource(const std::wstring& value, const std::wstring& settingFilePath)
{
    return WriteSetting(kLoginSourceElement, value, settingFilePath);
}
