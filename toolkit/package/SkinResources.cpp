#include "toolkit/package/SkinResources.h"

#include <cwchar>
#include <memory>
#include <new>

#include "base/Win32Handles.h"

namespace SkinUI {
namespace {

struct SkinResourceState {
    HINSTANCE moduleInstance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    std::wstring folder;
    std::wstring zipName;
    std::unique_ptr<SkinArchive> archive;  // the cached archive
    SkinArchiveResult zipResult = SkinArchiveResult::Ok;
};

SkinResourceState& State()
{
    static SkinResourceState state;
    return state;
}

// An archive file read piece by piece; the handle is shared for reading
// only, like every skin file.
class SkinFileSource : public SkinArchiveSource {
public:
    static std::unique_ptr<SkinFileSource> Open(const std::wstring& path)
    {
        win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
        return std::unique_ptr<SkinFileSource>(
            new (std::nothrow) SkinFileSource(std::move(file), static_cast<std::uint64_t>(size.QuadPart)));
    }

    std::uint64_t Size() const override { return m_size; }

    bool Read(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        if (offset > m_size || count > m_size - offset) return false;
        auto* out = static_cast<unsigned char*>(buffer);
        while (count > 0) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
            DWORD got = 0;
            if (!::ReadFile(m_file.get(), out, want, &got, &at) || got == 0) return false;
            out += got;
            offset += got;
            count -= got;
        }
        return true;
    }

private:
    SkinFileSource(win32::UniqueHandle file, std::uint64_t size) : m_file(std::move(file)), m_size(size) {}
    win32::UniqueHandle m_file;
    std::uint64_t m_size;
};

std::unique_ptr<SkinArchive> OpenArchiveFile(const std::wstring& path, SkinArchiveResult& result)
{
    std::unique_ptr<SkinFileSource> source = SkinFileSource::Open(path);
    if (!source) {
        result = SkinArchiveResult::ReadFailed;
        return nullptr;
    }
    return SkinArchive::Open(std::move(source), &result);
}

std::wstring ModuleFileName(HINSTANCE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

// Archive entry names are compared in the system ANSI code page. Names the
// code page cannot hold exactly are not looked up at all.
bool ToAnsiName(const wchar_t* name, std::string& ansi)
{
    const std::size_t length = std::wcslen(name);
    if (length == 0 || length >= SkinArchive::kMaxNameLength) return false;
    const int wide = static_cast<int>(length);
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, 0, name, wide, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return false;
    ansi.assign(static_cast<std::size_t>(size), '\0');
    return ::WideCharToMultiByte(CP_ACP, 0, name, wide, &ansi[0], size, nullptr, &lossy) == size && !lossy;
}

// "130" names the integer resource 130; any other text is a resource name.
LPCWSTR ResourceName(const wchar_t* id)
{
    if (id == nullptr || *id == L'\0') return nullptr;
    unsigned long value = 0;
    for (const wchar_t* p = id; *p != L'\0'; ++p) {
        if (*p < L'0' || *p > L'9') return id;
        value = value * 10 + static_cast<unsigned long>(*p - L'0');
        if (value > 0xFFFF) return id;
    }
    return value == 0 ? id : MAKEINTRESOURCEW(value);
}

}  // namespace

void SetSkinModuleInstance(HINSTANCE instance)
{
    State().moduleInstance = instance;
}

HINSTANCE GetSkinModuleInstance()
{
    return State().moduleInstance;
}

void SetSkinResourceInstance(HINSTANCE instance)
{
    State().resourceInstance = instance;
}

HINSTANCE GetSkinResourceInstance()
{
    const SkinResourceState& state = State();
    if (state.resourceInstance != nullptr) return state.resourceInstance;
    if (state.moduleInstance != nullptr) return state.moduleInstance;
    return ::GetModuleHandleW(nullptr);
}

const std::wstring& GetSkinResourceFolder()
{
    return State().folder;
}

const std::wstring& GetSkinZipName()
{
    return State().zipName;
}

SkinArchive* GetSkinArchive()
{
    return State().archive.get();
}

SkinArchiveResult GetSkinZipResult()
{
    return State().zipResult;
}

bool OpenSkinSource(SkinSource kind, const wchar_t* skinFolder, const wchar_t* zipName, const wchar_t* resourceId)
{
    SkinResourceState& state = State();
    if (state.folder.empty()) {
        // Without a stored module the folder is relative to the current directory.
        std::wstring folder = state.moduleInstance != nullptr ? ModuleFileName(state.moduleInstance) : std::wstring();
        const std::size_t slash = folder.rfind(L'\\');
        folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
        if (skinFolder != nullptr) folder += skinFolder;
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
        state.folder = folder;
    }

    if (kind == SkinSource::ZipFile) {
        const wchar_t* name = zipName != nullptr ? zipName : L"";
        if (state.zipName != name || !state.archive) {
            state.archive.reset();
            state.zipName = name;
            state.archive = OpenArchiveFile(state.folder + state.zipName, state.zipResult);
        }
    } else if (kind == SkinSource::ZipResource) {
        const HMODULE module = GetSkinResourceInstance();
        const LPCWSTR resource = ResourceName(resourceId);
        const HRSRC found = resource != nullptr ? ::FindResourceW(module, resource, L"ZIPRES") : nullptr;
        const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
        const DWORD size = loaded != nullptr ? ::SizeofResource(module, found) : 0;
        if (size == 0) return false;
        const void* bytes = ::LockResource(loaded);
        if (bytes == nullptr) return false;
        // The first archive from a resource serves every later window,
        // whatever resource that window names.
        if (state.zipName != kSkinMemoryArchiveName) {
            state.archive.reset();
            state.zipName = kSkinMemoryArchiveName;
            state.archive = SkinArchive::OpenMemory(bytes, size, &state.zipResult);
        }
    }
    return true;
}

bool ReadSkinFile(const wchar_t* name, std::size_t limit, std::vector<unsigned char>& bytes, const wchar_t** error)
{
    bytes.clear();
    const auto fail = [error](const wchar_t* text) {
        if (error != nullptr) *error = text;
        return false;
    };
    if (name == nullptr) name = L"";
    SkinResourceState& state = State();
    try {
        if (state.zipName.empty()) {
            win32::UniqueHandle file(::CreateFileW((state.folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return fail(L"Error opening file");
            LARGE_INTEGER size{};
            if (!::GetFileSizeEx(file.get(), &size)) return fail(L"Could not read file");
            if (size.QuadPart == 0) return fail(L"File is empty");
            if (static_cast<std::uint64_t>(size.QuadPart) > limit) return fail(L"File too large");
            bytes.resize(static_cast<std::size_t>(size.QuadPart));
            std::size_t total = 0;
            while (total < bytes.size()) {
                DWORD got = 0;
                if (!::ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got,
                                nullptr) ||
                    got == 0)
                    break;
                total += got;
            }
            if (total < bytes.size()) {
                bytes.clear();
                return fail(L"Could not read file");
            }
            return true;
        }

        // A cached archive stays open; one opened for this read only closes again.
        std::unique_ptr<SkinArchive> opened;
        SkinArchive* archive = state.archive.get();
        if (archive == nullptr && state.zipName != kSkinMemoryArchiveName) {
            opened = OpenArchiveFile(state.folder + state.zipName, state.zipResult);
            archive = opened.get();
        }
        if (archive == nullptr) return fail(L"Error opening zip file");
        std::string ansi;
        const SkinArchiveEntry* entry = ToAnsiName(name, ansi) ? archive->Find(ansi) : nullptr;
        state.zipResult = archive->LastResult();
        if (entry == nullptr) return fail(L"Could not find ziped file");
        if (entry->uncompressedSize == 0) return fail(L"File is empty");
        if (entry->uncompressedSize > limit) return fail(L"File too large");
        bytes.resize(entry->uncompressedSize);
        const bool extracted = archive->Extract(*entry, bytes.data(), bytes.size());
        state.zipResult = archive->LastResult();
        if (!extracted) {
            bytes.clear();
            return fail(L"Could not unzip file");
        }
        return true;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        state.zipResult = SkinArchiveResult::OutOfMemory;
        return fail(state.zipName.empty() ? L"Could not read file" : L"Could not unzip file");
    }
}

bool ReadSkinResource(const wchar_t* id, const wchar_t* type, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    const HMODULE module = GetSkinResourceInstance();
    const LPCWSTR resource = ResourceName(id);
    if (resource == nullptr || type == nullptr) return false;
    const HRSRC found = ::FindResourceW(module, resource, type);
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    const DWORD size = ::SizeofResource(module, found);
    try {
        bytes.assign(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
    return true;
}

bool CSkinSourceReader::ReadSkinFile(std::wstring_view name, std::vector<unsigned char>& bytes) const
{
    bytes.clear();
    if (name.empty()) return false;
    return SkinUI::ReadSkinFile(std::wstring(name).c_str(), m_limit, bytes);
}

void ResetSkinResources()
{
    SkinResourceState& state = State();
    state.archive.reset();
    state.folder.clear();
    state.zipName.clear();
    state.zipResult = SkinArchiveResult::Ok;
}

}  // namespace SkinUI
