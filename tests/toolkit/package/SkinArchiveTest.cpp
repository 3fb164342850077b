#include "toolkit/package/SkinArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "tests/toolkit/package/SkinFixtures.h"
#include "toolkit/markup/SkinMarkup.h"

namespace {

using namespace SkinUI;
using Bytes = std::string;

// The same bytes without the memory shortcut: the archive reads them in
// pieces, as it reads a file.
class StreamedSource : public SkinArchiveSource {
public:
    explicit StreamedSource(Bytes bytes) : m_bytes(std::move(bytes)) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool Read(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        ++reads;
        if (offset > m_bytes.size() || count > m_bytes.size() - offset) return false;
        std::memcpy(buffer, m_bytes.data() + offset, count);
        return true;
    }
    int reads = 0;

private:
    Bytes m_bytes;
};

std::string Extracted(const Bytes& zip, const std::string& name, bool streamed, SkinArchiveResult* result = nullptr)
{
    std::unique_ptr<SkinArchive> archive =
        streamed ? SkinArchive::Open(std::make_unique<StreamedSource>(zip), result)
                 : SkinArchive::OpenMemory(zip.data(), zip.size(), result);
    if (!archive) return "<no archive>";
    std::vector<unsigned char> bytes;
    const bool read = archive->ReadEntry(name, 4194304, bytes);
    if (result != nullptr) *result = archive->LastResult();
    if (!read) return "<failed>";
    return std::string(bytes.begin(), bytes.end());
}

bool Failed(const std::string& extracted)
{
    return extracted == "<no archive>" || extracted == "<failed>";
}

std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t Get16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(Get32(b.substr(at, 2) + std::string(2, '\0'), 0));
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

// Where the parts of an archive written by a zip tool are.
struct Layout {
    std::size_t end = 0;        // end-of-central-directory record
    std::size_t directory = 0;  // central directory record of the entry
    std::size_t local = 0;      // local header of the entry
    std::size_t data = 0;       // the entry's data
};

Layout Locate(const Bytes& zip, const std::string& name)
{
    Layout at;
    at.end = zip.rfind(std::string("PK\x05\x06", 4));
    std::size_t pos = Get32(zip, at.end + 16);
    while (Get32(zip, pos) == 0x02014B50) {
        const std::size_t nameLength = Get16(zip, pos + 28);
        if (zip.compare(pos + 46, nameLength, name) == 0) {
            at.directory = pos;
            at.local = Get32(zip, pos + 42);
            at.data = at.local + 30 + Get16(zip, at.local + 26) + Get16(zip, at.local + 28);
            return at;
        }
        pos += 46 + nameLength + Get16(zip, pos + 30) + Get16(zip, pos + 32);
    }
    ADD_FAILURE() << "no entry " << name;
    return at;
}

Bytes RawDeflate(const Bytes& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::uint32_t Crc(const Bytes& data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// A hand-made archive, for what a zip tool will not write.
struct CraftedEntry {
    std::string name;
    std::uint16_t method;
    Bytes stored;  // the bytes as they sit in the archive
    std::uint32_t crc;
    std::uint32_t size;  // the declared uncompressed size
    std::uint16_t flags = 0;
};

CraftedEntry Deflated(const std::string& name, const Bytes& content)
{
    return {name, 8, RawDeflate(content), Crc(content), static_cast<std::uint32_t>(content.size())};
}

Bytes Craft(const std::vector<CraftedEntry>& entries)
{
    Bytes zip;
    Bytes directory;
    for (const CraftedEntry& e : entries) {
        Bytes local(30, '\0');
        Put32(local, 0, 0x04034B50);
        Put16(local, 4, 20);
        Put16(local, 6, e.flags);
        Put16(local, 8, e.method);
        Put32(local, 14, e.crc);
        Put32(local, 18, static_cast<std::uint32_t>(e.stored.size()));
        Put32(local, 22, e.size);
        Put16(local, 26, static_cast<std::uint16_t>(e.name.size()));
        Bytes central(46, '\0');
        Put32(central, 0, 0x02014B50);
        Put16(central, 4, 20);
        Put16(central, 6, 20);
        Put16(central, 8, e.flags);
        Put16(central, 10, e.method);
        Put32(central, 16, e.crc);
        Put32(central, 20, static_cast<std::uint32_t>(e.stored.size()));
        Put32(central, 24, e.size);
        Put16(central, 28, static_cast<std::uint16_t>(e.name.size()));
        Put32(central, 42, static_cast<std::uint32_t>(zip.size()));
        directory += central + e.name;
        zip += local + e.name + e.stored;
    }
    Bytes end(22, '\0');
    Put32(end, 0, 0x06054B50);
    Put16(end, 8, static_cast<std::uint16_t>(entries.size()));
    Put16(end, 10, static_cast<std::uint16_t>(entries.size()));
    Put32(end, 12, static_cast<std::uint32_t>(directory.size()));
    Put32(end, 16, static_cast<std::uint32_t>(zip.size()));
    return zip + directory + end;
}

TEST(SkinArchiveTest, ZipToolArchivesReadBackAsWritten)
{
    const std::string markup = ReadFixture("src/GameLoader.xml");
    const std::string deep = ReadFixture("src/Images/Nested/Deep.txt");
    ASSERT_FALSE(markup.empty());
    ASSERT_FALSE(deep.empty());
    for (const char* zipName : {"stored.zip", "deflated.zip"}) {
        const Bytes zip = ReadFixture(zipName);
        ASSERT_FALSE(zip.empty()) << zipName;
        for (bool streamed : {false, true}) {
            EXPECT_EQ(Extracted(zip, "GameLoader.xml", streamed), markup) << zipName;
            EXPECT_EQ(Extracted(zip, "Images/Nested/Deep.txt", streamed), deep) << zipName;
            EXPECT_EQ(Extracted(zip, "empty.txt", streamed), "") << zipName;
        }
    }
    // The fixture really has both methods.
    const Bytes deflated = ReadFixture("deflated.zip");
    EXPECT_EQ(Get16(deflated, Locate(deflated, "GameLoader.xml").directory + 10), 8);
    EXPECT_EQ(Get16(deflated, Locate(deflated, "Images/Nested/Deep.txt").directory + 10), 8);
    const Bytes stored = ReadFixture("stored.zip");
    EXPECT_EQ(Get16(stored, Locate(stored, "GameLoader.xml").directory + 10), 0);
}

TEST(SkinArchiveTest, LookupTurnsBackslashesAndFoldsAsciiCase)
{
    const Bytes zip = ReadFixture("deflated.zip");
    std::unique_ptr<SkinArchive> archive = SkinArchive::OpenMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    struct Case {
        const char* wanted;
        const char* found;  // null: not found
    } cases[] = {
        {"images\\nested\\DEEP.TXT", "Images/Nested/Deep.txt"},
        {"Images/Nested/Deep.txt", "Images/Nested/Deep.txt"},
        {"GAMELOADER.XML", "GameLoader.xml"},
        {"Images\\", "Images/"},
        {"Images/Nested", nullptr},
        {"GameLoader.xml ", nullptr},
        {"/GameLoader.xml", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const SkinArchiveEntry* entry = archive->Find(c.wanted);
        if (c.found == nullptr) {
            EXPECT_EQ(entry, nullptr) << c.wanted;
            EXPECT_EQ(archive->LastResult(), SkinArchiveResult::NotFound) << c.wanted;
        } else {
            ASSERT_NE(entry, nullptr) << c.wanted;
            EXPECT_EQ(archive->EntryName(*entry), c.found);
        }
    }
}

TEST(SkinArchiveTest, LookupTakesTheFirstMatchAndFoldsOnlyAscii)
{
    const std::string longName(255, 'n');
    const std::string tooLong(256, 'n');
    const Bytes zip = Craft({
        Deflated("a.txt", "first"),
        Deflated("A.TXT", "second"),
        Deflated("\xC9t\xC9.txt", "upper accented"),  // Latin-1 letters: no folding
        Deflated(longName, "255"),
        Deflated(tooLong, "256"),
    });
    std::unique_ptr<SkinArchive> archive = SkinArchive::OpenMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    EXPECT_EQ(Extracted(zip, "A.txt", false), "first");
    EXPECT_EQ(Extracted(zip, "\xC9T\xC9.TXT", false), "upper accented");
    EXPECT_EQ(archive->Find("\xE9t\xE9.txt"), nullptr);
    EXPECT_EQ(Extracted(zip, longName, false), "255");
    EXPECT_EQ(archive->Find(tooLong), nullptr);
    EXPECT_EQ(archive->LastResult(), SkinArchiveResult::NameTooLong);
}

TEST(SkinArchiveTest, FourMebibytesAndNotOneByteMore)
{
    const Bytes zip = ReadFixture("big.zip");
    std::unique_ptr<SkinArchive> archive = SkinArchive::OpenMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(archive->ReadEntry("exact.xml", 4194304, bytes));
    EXPECT_EQ(bytes.size(), 4194304u);
    CSkinMarkup markup;
    ASSERT_TRUE(markup.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_EQ(std::wstring(markup.GetRoot().GetName()), L"Window");

    EXPECT_FALSE(archive->ReadEntry("over.xml", 4194304, bytes));
    EXPECT_EQ(archive->LastResult(), SkinArchiveResult::BadSize);
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(archive->ReadEntry("over.xml", 4194305, bytes));
}

TEST(SkinArchiveTest, CorruptedArchivesFailCleanly)
{
    const Bytes original = ReadFixture("deflated.zip");
    ASSERT_FALSE(original.empty());
    const Layout at = Locate(original, "GameLoader.xml");
    const std::uint32_t compressed = Get32(original, at.directory + 20);
    const std::uint32_t size = Get32(original, at.directory + 24);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> corrupt;
        SkinArchiveResult expected;
    } cases[] = {
        {"no end record", [&](Bytes& z) { z[at.end] = 'X'; }, SkinArchiveResult::NotAnArchive},
        {"directory offset past the end", [&](Bytes& z) { Put32(z, at.end + 16, 0x7FFFFFF0); },
         SkinArchiveResult::BadDirectory},
        {"directory larger than the data", [&](Bytes& z) { Put32(z, at.end + 12, 0x10000); },
         SkinArchiveResult::BadDirectory},
        {"more entries than recorded", [&](Bytes& z) { Put16(z, at.end + 8, 60000), Put16(z, at.end + 10, 60000); },
         SkinArchiveResult::BadDirectory},
        {"name running past the directory", [&](Bytes& z) { Put16(z, at.directory + 28, 0xFFFF); },
         SkinArchiveResult::BadDirectory},
        {"second disk", [&](Bytes& z) { Put16(z, at.end + 4, 1); }, SkinArchiveResult::Unsupported},
        {"local header past the end", [&](Bytes& z) { Put32(z, at.directory + 42, 0x7FFFFFF0); },
         SkinArchiveResult::BadLocalHeader},
        {"local header elsewhere", [&](Bytes& z) { Put32(z, at.directory + 42, 3); },
         SkinArchiveResult::BadLocalHeader},
        {"local extra field past the end", [&](Bytes& z) { Put16(z, at.local + 28, 0xFFFF); },
         SkinArchiveResult::BadSize},
        {"compressed size past the end", [&](Bytes& z) { Put32(z, at.directory + 20, 0x7FFFFFF0); },
         SkinArchiveResult::BadSize},
        {"stream cut short", [&](Bytes& z) { Put32(z, at.directory + 20, compressed / 2); },
         SkinArchiveResult::BadData},
        {"declared size too small", [&](Bytes& z) { Put32(z, at.directory + 24, size - 1); },
         SkinArchiveResult::BadSize},
        {"declared size too large", [&](Bytes& z) { Put32(z, at.directory + 24, size + 1); },
         SkinArchiveResult::BadSize},
        {"unknown method", [&](Bytes& z) { Put16(z, at.directory + 10, 12); }, SkinArchiveResult::UnknownMethod},
        {"stored with two sizes", [&](Bytes& z) { Put16(z, at.directory + 10, 0); }, SkinArchiveResult::BadSize},
        {"encrypted", [&](Bytes& z) { Put16(z, at.directory + 8, 1); }, SkinArchiveResult::Unsupported},
        {"crc", [&](Bytes& z) { Put32(z, at.directory + 16, Get32(z, at.directory + 16) ^ 1); },
         SkinArchiveResult::CrcMismatch},
        {"broken block type", [&](Bytes& z) { z[at.data] = static_cast<char>(z[at.data] | 0x06); },
         SkinArchiveResult::BadData},
    };
    for (const Case& c : cases) {
        Bytes zip = original;
        c.corrupt(zip);
        for (bool streamed : {false, true}) {
            SkinArchiveResult result = SkinArchiveResult::Ok;
            EXPECT_TRUE(Failed(Extracted(zip, "GameLoader.xml", streamed, &result))) << c.what;
            EXPECT_EQ(result, c.expected) << c.what << (streamed ? " (streamed)" : "");
        }
    }
}

TEST(SkinArchiveTest, EveryTruncationFails)
{
    const Bytes original = ReadFixture("deflated.zip");
    const std::string markup = ReadFixture("src/GameLoader.xml");
    for (std::size_t length = 0; length < original.size(); ++length) {
        const Bytes zip = original.substr(0, length);
        EXPECT_TRUE(Failed(Extracted(zip, "GameLoader.xml", length % 2 == 0))) << length;
    }
    EXPECT_EQ(Extracted(original, "GameLoader.xml", false), markup);
}

TEST(SkinArchiveTest, SizesThatLieCannotInflateBeyondTheDeclaredSize)
{
    const Bytes zeros(16 * 1024 * 1024, '\0');
    CraftedEntry bomb = Deflated("bomb.xml", zeros);
    ASSERT_LT(bomb.stored.size(), 32u * 1024);
    bomb.size = 1000;  // claims a small entry
    CraftedEntry huge = Deflated("huge.xml", zeros);  // tells the truth: 16 MiB
    const Bytes zip = Craft({bomb, huge});
    for (bool streamed : {false, true}) {
        SkinArchiveResult result = SkinArchiveResult::Ok;
        EXPECT_EQ(Extracted(zip, "bomb.xml", streamed, &result), "<failed>");
        EXPECT_EQ(result, SkinArchiveResult::BadSize);
        // Refused by the caller's limit before a byte is allocated.
        EXPECT_EQ(Extracted(zip, "huge.xml", streamed, &result), "<failed>");
        EXPECT_EQ(result, SkinArchiveResult::BadSize);
    }
}

TEST(SkinArchiveTest, LargeEntriesStreamInPieces)
{
    Bytes noise(300 * 1024, '\0');
    std::uint32_t state = 12345;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const Bytes zip = Craft({Deflated("noise.bin", noise), {"plain.bin", 0, noise, Crc(noise), 300 * 1024}});
    auto source = std::make_unique<StreamedSource>(zip);
    StreamedSource* counted = source.get();
    std::unique_ptr<SkinArchive> archive = SkinArchive::Open(std::move(source));
    ASSERT_TRUE(archive);
    const int readsBefore = counted->reads;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(archive->ReadEntry("noise.bin", 4194304, bytes));
    EXPECT_GT(counted->reads - readsBefore, 4);
    EXPECT_TRUE(Bytes(bytes.begin(), bytes.end()) == noise);
    ASSERT_TRUE(archive->ReadEntry("plain.bin", 4194304, bytes));
    EXPECT_TRUE(Bytes(bytes.begin(), bytes.end()) == noise);
}

}  // namespace
