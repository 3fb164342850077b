#include "GameLoader/GameLoader/PlatformSettings.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <atomic>
#include <thread>

#include "GameLoader/Common/Folders.h"
#include "tests/support/TestSupport.h"
#include "base/Win32Handles.h"

namespace {

using testsupport::FileExists;
using testsupport::FolderEntries;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// The element texts under the document's first element, read back as XML
// bytes independently of the launcher's readers.
std::string ChildText(const std::string& xml, const char* root, const char* name)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    const TiXmlElement* rootElement = document.RootElement();
    if (!rootElement || rootElement->ValueStr() != root) return "<no root>";
    const TiXmlElement* element = rootElement->FirstChildElement(name);
    if (!element) return "<missing>";
    return element->GetText() ? element->GetText() : "";
}

int ChildCount(const std::string& xml)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    int count = 0;
    for (const TiXmlElement* e = document.RootElement() ? document.RootElement()->FirstChildElement() : nullptr; e;
         e = e->NextSiblingElement())
        ++count;
    return count;
}

TEST(PlatformSettingsTest, SettingFilePathIsInTheDataFolder)
{
    const std::wstring path = GetSettingFilePath();
    EXPECT_EQ(path, GetLocalAppDataDir() + L"\\Qixel\\setting.xml");
    const DWORD attributes = ::GetFileAttributesW((GetLocalAppDataDir() + L"\\Qixel").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(PlatformSettingsTest, WritingIntoAMissingFileCreatesTheSettingsRoot)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    ASSERT_TRUE(WriteSettingWindowId(L"131844", path));
    const std::string xml = ReadFileBytes(path);
    EXPECT_EQ(ChildText(xml, "settings", "qxwindowid"), "131844");
    EXPECT_EQ(ChildCount(xml), 1);
    EXPECT_EQ(xml.find("<?xml"), std::string::npos) << "no declaration unless one was there";

    ASSERT_TRUE(WriteSettingLoginSource(L"QX", path));
    std::wstring windowId, source;
    EXPECT_TRUE(ReadSettingWindowId(path, windowId));
    EXPECT_TRUE(ReadSettingLoginSource(path, source));
    EXPECT_EQ(windowId, L"131844");
    EXPECT_EQ(source, L"QX");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::wstring>{L"setting.xml"});
}

TEST(PlatformSettingsTest, WritingReplacesOnlyItsOwnElement)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    ASSERT_TRUE(WriteFileBytes(path,
                               "<?xml version=\"1.0\" ?>\n<config>\n<loginsource>old<b>bold</b>tail</loginsource>\n"
                               "<other>keep</other>\n<qxwindowid>7</qxwindowid>\n</config>\n"));
    ASSERT_TRUE(WriteSettingLoginSource(L"QX", path));
    const std::string xml = ReadFileBytes(path);
    EXPECT_EQ(ChildText(xml, "config", "loginsource"), "QX");
    EXPECT_EQ(xml.find("bold"), std::string::npos) << "every old child of the element goes";
    EXPECT_EQ(ChildText(xml, "config", "other"), "keep");
    EXPECT_EQ(ChildText(xml, "config", "qxwindowid"), "7");
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << "the declaration that was there stays";
}

TEST(PlatformSettingsTest, ReadersFollowTheFirstElementAndExactNames)
{
    struct Case {
        const char* xml;
        bool windowIdFound;
        const wchar_t* windowId;  // output starts as "unchanged"
    } cases[] = {
        {"<settings><qxwindowid>42</qxwindowid></settings>", true, L"42"},
        {"<anything><qxwindowid>42</qxwindowid></anything>", true, L"42"},
        {"<settings><qxwindowid></qxwindowid></settings>", true, L"unchanged"},
        {"<settings><qxwindowid/></settings>", true, L"unchanged"},
        {"<settings><qxwindowid><b>1</b>2</qxwindowid></settings>", true, L"unchanged"},
        {"<settings><qxwindowid>1</qxwindowid><qxwindowid>2</qxwindowid></settings>", true, L"1"},
        {"<settings><QXWINDOWID>42</QXWINDOWID></settings>", false, L"unchanged"},
        {"<settings><inner><qxwindowid>42</qxwindowid></inner></settings>", false, L"unchanged"},
        {"<first/><settings><qxwindowid>42</qxwindowid></settings>", false, L"unchanged"},
        {"<!-- only a comment -->", false, L"unchanged"},
        {"not xml at all", false, L"unchanged"},
        {"", false, L"unchanged"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::wstring path = dir.file(L"setting.xml");
        ASSERT_TRUE(WriteFileBytes(path, c.xml));
        std::wstring value = L"unchanged";
        EXPECT_EQ(ReadSettingWindowId(path, value), c.windowIdFound) << c.xml;
        EXPECT_EQ(value, c.windowId) << c.xml;
        // Both values from one reading answer as the single readers do.
        const PlatformSettingValues both = ReadPlatformSettings(path);
        EXPECT_EQ(both.windowIdFound, c.windowIdFound) << c.xml;
        EXPECT_EQ(both.windowId, value == L"unchanged" ? std::wstring() : value) << c.xml;
        EXPECT_FALSE(both.loginSourceFound) << c.xml;
    }
    {
        TempDir dir;
        const std::wstring path = dir.file(L"setting.xml");
        ASSERT_TRUE(WriteFileBytes(path, "<s><loginsource>QX</loginsource><x/><qxwindowid>9</qxwindowid></s>"));
        const PlatformSettingValues both = ReadPlatformSettings(path);
        EXPECT_TRUE(both.loginSourceFound && both.windowIdFound);
        EXPECT_EQ(both.loginSource, L"QX");
        EXPECT_EQ(both.windowId, L"9");
    }
    TempDir empty;
    std::wstring value = L"unchanged";
    EXPECT_FALSE(ReadSettingLoginSource(empty.file(L"setting.xml"), value));
    EXPECT_EQ(value, L"unchanged");
}

TEST(PlatformSettingsTest, FilesThatAreNotUsableXmlAreLeftByteForByte)
{
    const char* contents[] = {
        "not xml at all",
        "\xEF\xBB\xBF<settings><qxwindowid>1</qxwindowid>",  // truncated
        "<!-- no element -->",
        "",
    };
    for (const char* content : contents) {
        TempDir dir;
        const std::wstring path = dir.file(L"setting.xml");
        ASSERT_TRUE(WriteFileBytes(path, content));
        EXPECT_FALSE(WriteSettingWindowId(L"99", path)) << content;
        EXPECT_FALSE(WriteSettingLoginSource(L"QX", path)) << content;
        EXPECT_EQ(ReadFileBytes(path), content);
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::wstring>{L"setting.xml"}) << content;
    }
}

TEST(PlatformSettingsTest, ValuesAreWrittenAsUtf8AndReadThroughTheAnsiCodePage)
{
    ASSERT_EQ(::GetACP(), 936u) << "the tests expect a Chinese locale (LANG=zh_CN.UTF-8)";
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    const std::wstring chinese = L"\x4E2D\x6587";  // "中文"
    ASSERT_TRUE(WriteSettingLoginSource(chinese, path));
    EXPECT_EQ(ChildText(ReadFileBytes(path), "settings", "loginsource"), "\xE4\xB8\xAD\xE6\x96\x87");
    std::wstring back;
    ASSERT_TRUE(ReadSettingLoginSource(path, back));
    EXPECT_NE(back, chinese) << "UTF-8 bytes read as code page 936 are other characters";

    // Markup characters are escaped by TinyXML and come back unchanged.
    ASSERT_TRUE(WriteSettingLoginSource(L"a<b>&\"c'", path));
    ASSERT_TRUE(ReadSettingLoginSource(path, back));
    EXPECT_EQ(back, L"a<b>&\"c'");
}

// A value the file holds already is not written again: the file keeps its
// bytes and its time. Any other content of the element is replaced.
TEST(PlatformSettingsTest, AValueTheFileHoldsAlreadyLeavesTheFileUntouched)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    const auto writeTime = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    };
    const auto ageFile = [&] {
        // 2001-01-01: any write after it shows.
        const FILETIME old = {0x2C8C4000u, 0x01C07385u};
        win32::UniqueHandle file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        return file && ::SetFileTime(file.get(), nullptr, nullptr, &old);
    };
    struct Case {
        const char* name;
        std::string content;
        bool (*write)(const std::wstring&, const std::wstring&);
        std::wstring value;
        bool rewritten;
    };
    const Case cases[] = {
        {"same window id", "<settings><qxwindowid>131844</qxwindowid></settings>", WriteSettingWindowId, L"131844",
         false},
        {"same empty source", "<settings><loginsource /></settings>", WriteSettingLoginSource, L"", false},
        {"other window id", "<settings><qxwindowid>131844</qxwindowid></settings>", WriteSettingWindowId, L"131845",
         true},
        {"source missing", "<settings><qxwindowid>1</qxwindowid></settings>", WriteSettingLoginSource, L"QX", true},
        {"source among other content", "<settings><loginsource>QX<b /></loginsource></settings>",
         WriteSettingLoginSource, L"QX", true},
        {"empty source over a value", "<settings><loginsource>QX</loginsource></settings>", WriteSettingLoginSource,
         L"", true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileBytes(path, c.content)) << c.name;
        ASSERT_TRUE(ageFile()) << c.name;
        const unsigned long long before = writeTime();
        EXPECT_TRUE(c.write(c.value, path)) << c.name;
        EXPECT_EQ(writeTime() != before, c.rewritten) << c.name;
        EXPECT_EQ(ReadFileBytes(path) != c.content, c.rewritten) << c.name;
    }
}

TEST(PlatformSettingsTest, AReaderWithoutDeleteSharingGetsTheFileWrittenInPlace)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    ASSERT_TRUE(WriteSettingWindowId(L"1", path));
    {
        // The platform holding the file without delete sharing: it cannot
        // be replaced, only written into.
        win32::UniqueHandle holder(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        ASSERT_TRUE(WriteSettingWindowId(L"2", path));
        // Read through the holder's own handle: it is the same file.
        char buffer[512] = {};
        DWORD read = 0;
        ASSERT_TRUE(::ReadFile(holder.get(), buffer, sizeof buffer - 1, &read, nullptr));
        EXPECT_EQ(ChildText(std::string(buffer, read), "settings", "qxwindowid"), "2");
    }
    EXPECT_EQ(ChildText(ReadFileBytes(path), "settings", "qxwindowid"), "2");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::wstring>{L"setting.xml"}) << "no temporary stays behind";
}

TEST(PlatformSettingsTest, AFileThatCannotBeWrittenAtAllLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    ASSERT_TRUE(WriteSettingWindowId(L"1", path));
    const std::string before = ReadFileBytes(path);
    {
        // Shared for reading only: neither a replacement nor a write in place.
        win32::UniqueHandle holder(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(WriteSettingWindowId(L"2", path));
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::wstring>{L"setting.xml"});
}

TEST(PlatformSettingsTest, AFolderPathOutsideTheAnsiCodePageWorks)
{
    TempDir dir;
    const std::wstring folder = dir.file(L"\x00E9\x0416\x0E01");  // é Ж ก: not all in code page 936
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\setting.xml";
    ASSERT_TRUE(WriteSettingWindowId(L"5", path));
    std::wstring value;
    EXPECT_TRUE(ReadSettingWindowId(path, value));
    EXPECT_EQ(value, L"5");
}

TEST(PlatformSettingsTest, AReaderNeverSeesAHalfWrittenFile)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setting.xml");
    ASSERT_TRUE(WriteSettingWindowId(L"0", path));
    std::atomic<bool> stop{false};
    std::atomic<int> failedWrites{0};
    std::thread writer([&] {
        for (int i = 0; !stop && i < 300; ++i) {
            if (!WriteSettingLoginSource(std::wstring(2000 + i, L'x'), path)) ++failedWrites;
        }
    });
    int torn = 0;
    for (int i = 0; i < 300; ++i) {
        // A file truncated and rewritten in place reads empty or cut short.
        if (ChildText(ReadFileBytes(path), "settings", "qxwindowid") != "0") ++torn;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(failedWrites, 0) << "a reader holding the file only delays the replacement";
}

}  // namespace
