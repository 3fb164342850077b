// Archives of any bytes: opening, looking up and extracting every entry
// fail cleanly or give exactly the declared size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/package/SkinArchive.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

// The same bytes read in pieces, as from a file.
class PieceSource : public SkinUI::SkinArchiveSource {
public:
    PieceSource(const std::uint8_t* data, std::size_t size) : m_memory(data, size) {}
    std::uint64_t Size() const override { return m_memory.Size(); }
    bool Read(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        return m_memory.Read(offset, buffer, count);
    }

private:
    SkinUI::SkinMemorySource m_memory;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bool streamed = size > 0 && (data[size - 1] & 1) != 0;
    std::unique_ptr<SkinUI::SkinArchive> archive =
        streamed ? SkinUI::SkinArchive::Open(std::make_unique<PieceSource>(data, size))
                 : SkinUI::SkinArchive::OpenMemory(data, size);
    if (!archive) return 0;
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < archive->EntryCount() && i < 64; ++i) {
        const SkinUI::SkinArchiveEntry& entry = archive->Entry(i);
        const std::string name(archive->EntryName(entry));
        const SkinUI::SkinArchiveEntry* found = archive->Find(name);
        // Only the wanted name has its backslashes turned: a stored name
        // with one cannot be asked for.
        Check(name.size() >= SkinUI::SkinArchive::kMaxNameLength || name.find('\\') != std::string::npos ||
              found != nullptr);
        if (archive->ReadEntry(name, 1 << 20, bytes)) {
            Check(found != nullptr && bytes.size() == found->uncompressedSize);
        } else {
            Check(bytes.empty());
        }
    }
    return 0;
}
