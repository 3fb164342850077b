// A reader of zip archives (the skin package): the end-of-central-directory
// record, the central directory and the local headers of the standard
// layout; stored entries are copied, deflated ones inflated and checked
// against their CRC-32. Every offset and size is checked against the
// archive's real size before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace SkinUI {

// Random access to the archive's bytes.
class SkinArchiveSource {
public:
    virtual ~SkinArchiveSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly `count` bytes at `offset`; false on any shortfall.
    virtual bool Read(std::uint64_t offset, void* buffer, std::size_t count) = 0;
    // The whole archive when it lies in memory, else null.
    virtual const unsigned char* Data() const { return nullptr; }
};

// Bytes owned by someone else (a module resource, a test buffer); they must
// outlive the archive.
class SkinMemorySource : public SkinArchiveSource {
public:
    SkinMemorySource(const void* data, std::size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(data == nullptr ? 0 : size)
    {
    }
    std::uint64_t Size() const override { return m_size; }
    bool Read(std::uint64_t offset, void* buffer, std::size_t count) override;
    const unsigned char* Data() const override { return m_data; }

private:
    const unsigned char* m_data;
    std::size_t m_size;
};

// Outcome of the last operation; only success or failure is observed by the
// skin loading, the rest helps a reader of the code or a debugger.
enum class SkinArchiveResult {
    Ok = 0,
    NotAnArchive,       // no end-of-central-directory record
    BadDirectory,       // central directory outside the data or malformed
    Unsupported,        // multi-disk, 64-bit extensions or encryption
    NotFound,
    NameTooLong,
    BadLocalHeader,
    BadSize,            // a size that does not fit the data or the caller's buffer
    UnknownMethod,
    BadData,            // the deflate stream is broken or ends early
    CrcMismatch,
    ReadFailed,
    OutOfMemory,
};

struct SkinArchiveEntry {
    std::uint32_t nameOffset = 0;  // into the copy of the central directory
    std::uint16_t nameLength = 0;
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint32_t localHeaderOffset = 0;
};

class SkinArchive {
public:
    // Names of this many bytes or more are refused by Find.
    static constexpr std::size_t kMaxNameLength = 256;

    // Null when the data is no readable archive; `result` says why.
    static std::unique_ptr<SkinArchive> Open(std::unique_ptr<SkinArchiveSource> source,
                                             SkinArchiveResult* result = nullptr);
    // Over bytes kept by the caller: nothing is copied.
    static std::unique_ptr<SkinArchive> OpenMemory(const void* data, std::size_t size,
                                                   SkinArchiveResult* result = nullptr);

    std::size_t EntryCount() const { return m_entries.size(); }
    const SkinArchiveEntry& Entry(std::size_t index) const { return m_entries[index]; }
    std::string_view EntryName(const SkinArchiveEntry& entry) const;

    // The first entry in directory order whose name equals `name` after
    // every "\" became "/", ignoring the case of ASCII letters. `name` is in
    // the archive's narrow encoding.
    const SkinArchiveEntry* Find(std::string_view name);

    // Fills `buffer` with exactly the entry's uncompressed size; `size` must
    // be that size. A deflate stream that would give more or less, or other
    // bytes than the CRC says, fails.
    bool Extract(const SkinArchiveEntry& entry, void* buffer, std::size_t size);

    // Find and extract into `bytes`, refusing entries larger than `limit`
    // before anything is allocated.
    bool ReadEntry(std::string_view name, std::size_t limit, std::vector<unsigned char>& bytes);

    SkinArchiveResult LastResult() const { return m_result; }

private:
    explicit SkinArchive(std::unique_ptr<SkinArchiveSource> source) : m_source(std::move(source)) {}
    SkinArchiveResult ReadDirectory();
    bool Fail(SkinArchiveResult result)
    {
        m_result = result;
        return false;
    }

    std::unique_ptr<SkinArchiveSource> m_source;
    std::vector<unsigned char> m_directory;  // the central directory, for the names
    std::vector<SkinArchiveEntry> m_entries;
    SkinArchiveResult m_result = SkinArchiveResult::Ok;
};

}  // namespace SkinUI
