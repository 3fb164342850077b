#include "toolkit/package/SkinArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace SkinUI {
namespace {

constexpr std::uint32_t kEndOfDirectorySignature = 0x06054B50;
constexpr std::uint32_t kDirectorySignature = 0x02014B50;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kMaxCommentLength = 0xFFFF;
constexpr std::size_t kInflateChunk = 64 * 1024;

std::uint16_t Read16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::uint32_t Crc32(const unsigned char* data, std::size_t size)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    while (size > 0) {
        const uInt chunk = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = crc32(crc, data, chunk);
        data += chunk;
        size -= chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

// zlib's state and window come from the same allocator as everything else.
voidpf InflaterAlloc(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > static_cast<std::size_t>(-1) / size) return Z_NULL;
    return ::operator new(static_cast<std::size_t>(items) * size, std::nothrow);
}

void InflaterFree(voidpf, voidpf address)
{
    ::operator delete(address);
}

// A raw deflate stream, ended on every path.
class RawInflater {
public:
    RawInflater()
    {
        m_stream.zalloc = InflaterAlloc;
        m_stream.zfree = InflaterFree;
        m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
    }
    ~RawInflater()
    {
        if (m_ready) inflateEnd(&m_stream);
    }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;
    bool ready() const { return m_ready; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

}  // namespace

bool SkinMemorySource::Read(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (offset > m_size || count > m_size - offset) return false;
    if (count > 0) std::memcpy(buffer, m_data + offset, count);
    return true;
}

std::unique_ptr<SkinArchive> SkinArchive::Open(std::unique_ptr<SkinArchiveSource> source, SkinArchiveResult* result)
{
    if (result != nullptr) *result = SkinArchiveResult::NotAnArchive;
    if (!source) return nullptr;
    std::unique_ptr<SkinArchive> archive(new (std::nothrow) SkinArchive(std::move(source)));
    if (!archive) {
        if (result != nullptr) *result = SkinArchiveResult::OutOfMemory;
        return nullptr;
    }
    SkinArchiveResult read;
    try {
        read = archive->ReadDirectory();
    } catch (const std::bad_alloc&) {
        read = SkinArchiveResult::OutOfMemory;
    }
    if (result != nullptr) *result = read;
    if (read != SkinArchiveResult::Ok) return nullptr;
    return archive;
}

std::unique_ptr<SkinArchive> SkinArchive::OpenMemory(const void* data, std::size_t size, SkinArchiveResult* result)
{
    std::unique_ptr<SkinArchiveSource> source(new (std::nothrow) SkinMemorySource(data, size));
    if (!source) {
        if (result != nullptr) *result = SkinArchiveResult::OutOfMemory;
        return nullptr;
    }
    return Open(std::move(source), result);
}

SkinArchiveResult SkinArchive::ReadDirectory()
{
    const std::uint64_t size = m_source->Size();
    if (size < kEndOfDirectorySize) return SkinArchiveResult::NotAnArchive;

    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    const std::size_t tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndOfDirectorySize + kMaxCommentLength));
    const std::uint64_t tailOffset = size - tailSize;
    std::vector<unsigned char> tailCopy;
    const unsigned char* tail = nullptr;
    if (m_source->Data() != nullptr) {
        tail = m_source->Data() + tailOffset;
    } else {
        tailCopy.resize(tailSize);
        if (!m_source->Read(tailOffset, tailCopy.data(), tailSize)) return SkinArchiveResult::ReadFailed;
        tail = tailCopy.data();
    }
    std::size_t at = tailSize - kEndOfDirectorySize;
    for (;;) {
        if (Read32(tail + at) == kEndOfDirectorySignature &&
            at + kEndOfDirectorySize + Read16(tail + at + 20) <= tailSize)
            break;
        if (at == 0) return SkinArchiveResult::NotAnArchive;
        --at;
    }
    const unsigned char* end = tail + at;
    const std::uint64_t endOffset = tailOffset + at;
    const std::uint16_t disk = Read16(end + 4);
    const std::uint16_t directoryDisk = Read16(end + 6);
    const std::uint16_t entriesOnDisk = Read16(end + 8);
    const std::uint16_t entryTotal = Read16(end + 10);
    const std::uint32_t directorySize = Read32(end + 12);
    const std::uint32_t directoryOffset = Read32(end + 16);
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entryTotal) return SkinArchiveResult::Unsupported;
    if (directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) return SkinArchiveResult::Unsupported;
    if (static_cast<std::uint64_t>(directoryOffset) + directorySize > endOffset) return SkinArchiveResult::BadDirectory;

    m_directory.resize(directorySize);
    if (directorySize > 0 && !m_source->Read(directoryOffset, m_directory.data(), directorySize))
        return SkinArchiveResult::ReadFailed;

    // The count in the end record only bounds the loop; the room reserved
    // comes from the directory's real size.
    m_entries.reserve(std::min<std::size_t>(entryTotal, directorySize / kDirectoryEntrySize));
    std::size_t pos = 0;
    for (std::size_t i = 0; i < entryTotal; ++i) {
        if (directorySize - pos < kDirectoryEntrySize) return SkinArchiveResult::BadDirectory;
        const unsigned char* record = m_directory.data() + pos;
        if (Read32(record) != kDirectorySignature) return SkinArchiveResult::BadDirectory;
        const std::size_t nameLength = Read16(record + 28);
        const std::size_t extraLength = Read16(record + 30);
        const std::size_t commentLength = Read16(record + 32);
        const std::size_t recordSize = kDirectoryEntrySize + nameLength + extraLength + commentLength;
        if (directorySize - pos < recordSize) return SkinArchiveResult::BadDirectory;
        SkinArchiveEntry entry;
        entry.nameOffset = static_cast<std::uint32_t>(pos + kDirectoryEntrySize);
        entry.nameLength = static_cast<std::uint16_t>(nameLength);
        entry.flags = Read16(record + 8);
        entry.method = Read16(record + 10);
        entry.crc = Read32(record + 16);
        entry.compressedSize = Read32(record + 20);
        entry.uncompressedSize = Read32(record + 24);
        entry.localHeaderOffset = Read32(record + 42);
        m_entries.push_back(entry);
        pos += recordSize;
    }
    return SkinArchiveResult::Ok;
}

std::string_view SkinArchive::EntryName(const SkinArchiveEntry& entry) const
{
    return std::string_view(reinterpret_cast<const char*>(m_directory.data()) + entry.nameOffset, entry.nameLength);
}

const SkinArchiveEntry* SkinArchive::Find(std::string_view name)
{
    if (name.size() >= kMaxNameLength) {
        Fail(SkinArchiveResult::NameTooLong);
        return nullptr;
    }
    for (const SkinArchiveEntry& entry : m_entries) {
        const std::string_view stored = EntryName(entry);
        if (stored.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            const char wanted = name[i] == '\\' ? '/' : name[i];
            same = FoldAscii(wanted) == FoldAscii(stored[i]);
        }
        if (same) {
            m_result = SkinArchiveResult::Ok;
            return &entry;
        }
    }
    Fail(SkinArchiveResult::NotFound);
    return nullptr;
}

bool SkinArchive::Extract(const SkinArchiveEntry& entry, void* buffer, std::size_t size)
{
    if (size != entry.uncompressedSize || (size > 0 && buffer == nullptr)) return Fail(SkinArchiveResult::BadSize);
    if ((entry.flags & 0x0001) != 0) return Fail(SkinArchiveResult::Unsupported);  // encrypted
    if (entry.compressedSize == 0xFFFFFFFFu || entry.uncompressedSize == 0xFFFFFFFFu ||
        entry.localHeaderOffset == 0xFFFFFFFFu)
        return Fail(SkinArchiveResult::Unsupported);
    if (entry.method != 0 && entry.method != 8) return Fail(SkinArchiveResult::UnknownMethod);

    const std::uint64_t archiveSize = m_source->Size();
    unsigned char header[kLocalHeaderSize];
    if (static_cast<std::uint64_t>(entry.localHeaderOffset) + kLocalHeaderSize > archiveSize ||
        !m_source->Read(entry.localHeaderOffset, header, kLocalHeaderSize) ||
        Read32(header) != kLocalHeaderSignature)
        return Fail(SkinArchiveResult::BadLocalHeader);
    // The local name and extra field may differ in length from the directory's.
    const std::uint64_t dataOffset =
        static_cast<std::uint64_t>(entry.localHeaderOffset) + kLocalHeaderSize + Read16(header + 26) + Read16(header + 28);
    if (dataOffset > archiveSize || entry.compressedSize > archiveSize - dataOffset)
        return Fail(SkinArchiveResult::BadSize);

    auto* out = static_cast<unsigned char*>(buffer);
    if (entry.method == 0) {
        if (entry.compressedSize != entry.uncompressedSize) return Fail(SkinArchiveResult::BadSize);
        if (size > 0 && !m_source->Read(dataOffset, out, size)) return Fail(SkinArchiveResult::ReadFailed);
    } else {
        RawInflater inflater;
        if (!inflater.ready()) return Fail(SkinArchiveResult::OutOfMemory);
        z_stream& z = inflater.stream();
        unsigned char spare = 0;  // zlib wants an output pointer even for no output
        z.next_out = size > 0 ? out : &spare;
        z.avail_out = static_cast<uInt>(size);

        const unsigned char* memory = m_source->Data();
        std::vector<unsigned char> chunk;
        std::uint64_t inputOffset = dataOffset;
        std::uint64_t inputLeft = entry.compressedSize;
        if (memory != nullptr) {
            z.next_in = const_cast<Bytef*>(memory + dataOffset);
            z.avail_in = static_cast<uInt>(inputLeft);
            inputLeft = 0;
        } else {
            try {
                chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(inputLeft, kInflateChunk)));
            } catch (const std::bad_alloc&) {
                return Fail(SkinArchiveResult::OutOfMemory);
            }
        }
        for (;;) {
            if (z.avail_in == 0 && inputLeft > 0) {
                const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(inputLeft, chunk.size()));
                if (!m_source->Read(inputOffset, chunk.data(), count)) return Fail(SkinArchiveResult::ReadFailed);
                inputOffset += count;
                inputLeft -= count;
                z.next_in = chunk.data();
                z.avail_in = static_cast<uInt>(count);
            }
            const uInt inBefore = z.avail_in;
            const uInt outBefore = z.avail_out;
            const int status = inflate(&z, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                if (z.avail_out != 0) return Fail(SkinArchiveResult::BadSize);  // fewer bytes than declared
                break;
            }
            if (status == Z_BUF_ERROR || (status == Z_OK && z.avail_in == inBefore && z.avail_out == outBefore)) {
                // No progress: the output is full (more bytes than declared)
                // or the input ran out before the stream's end.
                return Fail(z.avail_out == 0 ? SkinArchiveResult::BadSize : SkinArchiveResult::BadData);
            }
            if (status != Z_OK) return Fail(SkinArchiveResult::BadData);
        }
    }
    if (Crc32(out, size) != entry.crc) return Fail(SkinArchiveResult::CrcMismatch);
    m_result = SkinArchiveResult::Ok;
    return true;
}

bool SkinArchive::ReadEntry(std::string_view name, std::size_t limit, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    const SkinArchiveEntry* entry = Find(name);
    if (entry == nullptr) return false;
    if (entry->uncompressedSize > limit) return Fail(SkinArchiveResult::BadSize);
    try {
        bytes.resize(entry->uncompressedSize);
    } catch (const std::bad_alloc&) {
        return Fail(SkinArchiveResult::OutOfMemory);
    }
    if (!Extract(*entry, bytes.data(), bytes.size())) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace SkinUI
