// The process-wide skin source under Windows: the resource folder, archive
// files in it, and the archives this test program carries as "ZIPRES"
// resources 130 (skin.zip), 131 (deflated.zip) and 132 (empty).
#include "toolkit/package/SkinMarkupFile.h"
#include "toolkit/package/SkinResources.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "tests/toolkit/package/SkinFixtures.h"
#include "toolkit/markup/SkinMarkup.h"

namespace {

using namespace SkinUI;
using testsupport::BesideTests;

std::wstring Str(const wchar_t* text)
{
    return text == nullptr ? std::wstring(L"(null)") : std::wstring(text);
}

// One stored entry under a name given as raw bytes.
std::string StoredZip(const std::string& name, const std::string& content)
{
    auto put = [](std::string& to, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) to.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const std::uint32_t crc = [&] {
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : content) {
            c ^= b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return ~c;
    }();
    const auto size = static_cast<std::uint32_t>(content.size());
    const auto nameLength = static_cast<std::uint32_t>(name.size());
    std::string zip;
    put(zip, 0x04034B50, 4), put(zip, 10, 2), put(zip, 0, 2), put(zip, 0, 2), put(zip, 0, 4);
    put(zip, crc, 4), put(zip, size, 4), put(zip, size, 4), put(zip, nameLength, 2), put(zip, 0, 2);
    zip += name + content;
    const auto directoryOffset = static_cast<std::uint32_t>(zip.size());
    put(zip, 0x02014B50, 4), put(zip, 10, 2), put(zip, 10, 2), put(zip, 0, 2), put(zip, 0, 2), put(zip, 0, 4);
    put(zip, crc, 4), put(zip, size, 4), put(zip, size, 4), put(zip, nameLength, 2);
    put(zip, 0, 2), put(zip, 0, 2), put(zip, 0, 2), put(zip, 0, 2), put(zip, 0, 4), put(zip, 0, 4);
    zip += name;
    const auto directorySize = static_cast<std::uint32_t>(zip.size()) - directoryOffset;
    put(zip, 0x06054B50, 4), put(zip, 0, 4), put(zip, 1, 2), put(zip, 1, 2);
    put(zip, directorySize, 4), put(zip, directoryOffset, 4), put(zip, 0, 2);
    return zip;
}

// The resource folder is the module's folder plus the window's skin folder,
// so each test works in a fresh folder beside the test program.
class SkinResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSkinResources();
        SetSkinModuleInstance(::GetModuleHandleW(nullptr));
        SetSkinResourceInstance(nullptr);
        static int counter = 0;
        m_folder = L"skin_read_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        testsupport::RemoveTree(BesideTests(m_folder));
        ASSERT_TRUE(::CreateDirectoryW(BesideTests(m_folder).c_str(), nullptr));
    }
    void TearDown() override
    {
        ResetSkinResources();  // closes the archive before its file goes
        testsupport::RemoveTree(BesideTests(m_folder));
    }

    std::wstring Path(const std::wstring& name) const { return BesideTests(m_folder) + L"\\" + name; }
    void Write(const std::wstring& name, const std::string& bytes)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(Path(name), bytes));
    }
    void CopyFixture(const std::string& fixture, const std::wstring& name)
    {
        const std::string bytes = ReadFixture(fixture);
        ASSERT_FALSE(bytes.empty()) << fixture;
        Write(name, bytes);
    }

    std::wstring m_folder;
};

TEST_F(SkinResourcesTest, ResourceFolderIsTheModuleFolderPlusTheFirstSkinFolder)
{
    const std::wstring moduleDir = testsupport::ModuleDir() + L"\\";
    struct Case {
        bool module;
        const wchar_t* skinFolder;
        std::wstring folder;
    } cases[] = {
        {true, L"", moduleDir},
        {true, L"skins", moduleDir + L"skins\\"},
        {true, L"skins\\", moduleDir + L"skins\\"},
        {true, L"skins/", moduleDir + L"skins/"},
        {false, L"", L""},  // no module stored: relative to the current directory
        {false, L"skins", L"skins\\"},
    };
    for (const Case& c : cases) {
        ResetSkinResources();
        SetSkinModuleInstance(c.module ? ::GetModuleHandleW(nullptr) : nullptr);
        EXPECT_TRUE(OpenSkinSource(SkinSource::File, c.skinFolder, nullptr, nullptr));
        EXPECT_EQ(GetSkinResourceFolder(), c.folder) << c.skinFolder;
    }
    // A later window keeps the folder the first one computed.
    ResetSkinResources();
    SetSkinModuleInstance(::GetModuleHandleW(nullptr));
    OpenSkinSource(SkinSource::File, L"first", nullptr, nullptr);
    OpenSkinSource(SkinSource::ZipFile, L"second", L"skin.zip", nullptr);
    EXPECT_EQ(GetSkinResourceFolder(), moduleDir + L"first\\");
}

TEST_F(SkinResourcesTest, MarkupFilesFromTheFolder)
{
    CopyFixture("exact.xml", L"exact.xml");
    CopyFixture("over.xml", L"over.xml");
    Write(L"empty.xml", "");
    Write(L"broken.xml", "<Window><Label></Window>");
    ASSERT_TRUE(OpenSkinSource(SkinSource::File, m_folder.c_str(), nullptr, nullptr));
    ASSERT_EQ(GetSkinZipName(), L"");
    struct Case {
        const wchar_t* file;
        const wchar_t* message;  // null: loads
        const wchar_t* location;
    } cases[] = {
        {L"exact.xml", nullptr, L""},
        {L"missing.xml", L"Error opening file", L""},
        {L"empty.xml", L"File is empty", L""},
        {L"over.xml", L"File too large", L""},
        {L"broken.xml", L"Unmatched closing tag", L"Window>"},
    };
    for (const Case& c : cases) {
        CSkinMarkup markup;
        const bool loaded = LoadSkinMarkupFile(markup, c.file);
        EXPECT_EQ(loaded, c.message == nullptr) << c.file;
        if (c.message == nullptr) {
            EXPECT_EQ(Str(markup.GetRoot().GetName()), L"Window");
        } else {
            EXPECT_EQ(Str(markup.GetLastErrorMessage()), c.message) << c.file;
            EXPECT_EQ(Str(markup.GetLastErrorLocation()), c.location) << c.file;
            EXPECT_FALSE(markup.GetRoot().IsValid());
        }
    }
}

TEST_F(SkinResourcesTest, MarkupFilesFromAZipFile)
{
    CopyFixture("big.zip", L"big.zip");
    CopyFixture("deflated.zip", L"deflated.zip");
    std::string corrupt = ReadFixture("deflated.zip");
    ASSERT_EQ(corrupt.compare(30, 14, "GameLoader.xml"), 0);  // the first entry's data follows its header
    const std::size_t data = 30 + 14 + static_cast<unsigned char>(corrupt[28]) + 256 * static_cast<unsigned char>(corrupt[29]);
    corrupt[data + 40] = static_cast<char>(corrupt[data + 40] ^ 0x55);
    Write(L"corrupt.zip", corrupt);
    struct Case {
        const wchar_t* zip;
        const wchar_t* file;
        const wchar_t* message;  // null: loads
    } cases[] = {
        {L"big.zip", L"exact.xml", nullptr},
        {L"big.zip", L"over.xml", L"File too large"},
        {L"big.zip", L"missing.xml", L"Could not find ziped file"},
        {L"deflated.zip", L"GameLoader.xml", nullptr},
        {L"deflated.zip", L"GAMELOADER.XML", nullptr},
        {L"deflated.zip", L"empty.txt", L"File is empty"},
        {L"corrupt.zip", L"GameLoader.xml", L"Could not unzip file"},
        {L"missing.zip", L"GameLoader.xml", L"Error opening zip file"},
    };
    for (const Case& c : cases) {
        ResetSkinResources();
        ASSERT_TRUE(OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), c.zip, nullptr));
        EXPECT_EQ(GetSkinZipName(), c.zip);
        CSkinMarkup markup;
        EXPECT_EQ(LoadSkinMarkupFile(markup, c.file), c.message == nullptr) << c.zip << L" " << c.file;
        EXPECT_EQ(Str(markup.GetLastErrorMessage()), c.message == nullptr ? L"" : c.message) << c.zip << L" " << c.file;
        EXPECT_EQ(Str(markup.GetLastErrorLocation()), L"");
    }

    // Backslashes and letter case in the wanted name.
    ResetSkinResources();
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"deflated.zip", nullptr));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadSkinFile(L"images\\NESTED\\deep.txt", kMaxSkinFileSize, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ReadFixture("src/Images/Nested/Deep.txt"));
}

TEST_F(SkinResourcesTest, AZipFileIsCachedUntilAnotherNameIsAsked)
{
    CopyFixture("big.zip", L"big.zip");
    CopyFixture("deflated.zip", L"deflated.zip");
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"big.zip", nullptr));
    SkinArchive* first = GetSkinArchive();
    ASSERT_NE(first, nullptr);
    OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"big.zip", nullptr);
    EXPECT_EQ(GetSkinArchive(), first);
    OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"deflated.zip", nullptr);
    ASSERT_NE(GetSkinArchive(), nullptr);
    CSkinMarkup markup;
    EXPECT_TRUE(LoadSkinMarkupFile(markup, L"GameLoader.xml"));
    EXPECT_FALSE(LoadSkinMarkupFile(markup, L"exact.xml"));

    // An archive that was missing at window creation is opened for each
    // read and closed again.
    ResetSkinResources();
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"later.zip", nullptr));
    EXPECT_EQ(GetSkinArchive(), nullptr);
    EXPECT_FALSE(LoadSkinMarkupFile(markup, L"GameLoader.xml"));
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Error opening zip file");
    CopyFixture("deflated.zip", L"later.zip");
    EXPECT_TRUE(LoadSkinMarkupFile(markup, L"GameLoader.xml"));
    EXPECT_EQ(GetSkinArchive(), nullptr);
    EXPECT_TRUE(::DeleteFileW(Path(L"later.zip").c_str()));
}

TEST_F(SkinResourcesTest, EntryNamesAreLookedUpInTheAnsiCodePage)
{
    const std::wstring name = L"\u76AE\u80A4.xml";  // 皮肤.xml
    char ansi[64] = {};
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_GT(length, 1);
    ASSERT_FALSE(lossy) << "the ANSI code page cannot hold the name (the Wine session runs zh_CN)";
    Write(L"names.zip", StoredZip(std::string(ansi, static_cast<std::size_t>(length - 1)), "<Window/>"));
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipFile, m_folder.c_str(), L"names.zip", nullptr));
    CSkinMarkup markup;
    EXPECT_TRUE(LoadSkinMarkupFile(markup, name.c_str())) << markup.GetLastErrorMessage();
    // Not in the code page, or too long: never looked up.
    for (const std::wstring& other : {std::wstring(L"\u0E01.xml"), std::wstring(256, L'a')}) {
        EXPECT_FALSE(LoadSkinMarkupFile(markup, other.c_str()));
        EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Could not find ziped file");
    }
}

TEST_F(SkinResourcesTest, ZipResourceIsOpenedOnceAndServesEveryWindow)
{
    // Missing or empty resources leave the state as it was.
    EXPECT_FALSE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"999"));
    EXPECT_FALSE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"132"));
    EXPECT_FALSE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L""));
    EXPECT_EQ(GetSkinZipName(), L"");

    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
    EXPECT_EQ(GetSkinZipName(), kSkinMemoryArchiveName);
    SkinArchive* archive = GetSkinArchive();
    ASSERT_NE(archive, nullptr);
    CSkinMarkup markup;
    ASSERT_TRUE(LoadSkinMarkupFile(markup, L"GameLoader.xml")) << markup.GetLastErrorMessage();
    EXPECT_EQ(Str(markup.GetRoot().GetAttributeValue(L"size")), L"960,620");

    // A second window naming another resource gets the first archive.
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"131"));
    EXPECT_EQ(GetSkinArchive(), archive);
    ASSERT_TRUE(LoadSkinMarkupFile(markup, L"CustomMsgBox.xml"));
    EXPECT_FALSE(LoadSkinMarkupFile(markup, L"Images/Nested/Deep.txt"));
    EXPECT_EQ(Str(markup.GetLastErrorMessage()), L"Could not find ziped file");

    // Images come the same way.
    const CSkinSourceReader images;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(images.ReadSkinFile(L"SHADOW.png", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "\x89PNG");
    EXPECT_FALSE(images.ReadSkinFile(L"missing.png", bytes));

    ResetSkinResources();
    ASSERT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"131"));
    EXPECT_TRUE(ReadSkinFile(L"Images\\Nested\\Deep.txt", kMaxSkinFileSize, bytes));
}

TEST_F(SkinResourcesTest, ResourcesComeFromTheResourceInstance)
{
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadSkinResource(L"131", L"ZIPRES", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ReadFixture("deflated.zip"));
    EXPECT_FALSE(ReadSkinResource(L"131", L"xml", bytes));
    EXPECT_FALSE(ReadSkinResource(L"999", L"ZIPRES", bytes));
    EXPECT_TRUE(bytes.empty());

    SetSkinResourceInstance(::GetModuleHandleW(L"kernel32.dll"));
    EXPECT_FALSE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
    SetSkinResourceInstance(nullptr);
    EXPECT_EQ(GetSkinResourceInstance(), ::GetModuleHandleW(nullptr));
    EXPECT_TRUE(OpenSkinSource(SkinSource::ZipResource, L"", L"", L"130"));
}

}  // namespace
