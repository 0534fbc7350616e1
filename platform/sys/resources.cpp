#include "platform/sys/resources.h"

#include "platform/sys/elfsection.h"
#include "platform/sys/errnomapping.h"
#include "platform/sys/lasterror.h"
#include "platform/sys/libraries.h"
#include "platform/win/resource.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <unistd.h>

namespace win::internal {
namespace {

// Far more than the artwork of any binary; a larger section is not ours.
constexpr std::size_t largestResourceSection = 64 * 1024 * 1024;
constexpr std::size_t recordHeaderSize = 16;

DWORD WordAt(std::span<const std::byte> bytes, std::size_t offset) {
    DWORD value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<DWORD>(bytes[offset + i]) << (8 * i);
    return value;
}

std::optional<DWORD> IdOf(const char* name) {
    if (!name)
        return std::nullopt;
    if (IS_INTRESOURCE(name))
        return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(name));
    if (name[0] != '#')
        return std::nullopt;
    const char* end = name + std::strlen(name);
    DWORD id = 0;
    const auto [last, error] = std::from_chars(name + 1, end, id);
    if (error != std::errc() || last != end || last == name + 1)
        return std::nullopt;
    return id;
}

} // namespace

std::optional<std::vector<std::byte>> FindResourceRecord(std::span<const std::byte> section,
                                                         DWORD type, DWORD id) {
    std::size_t offset = 0;
    while (offset < section.size()) {
        if (section[offset] == std::byte{0}) {
            ++offset;
            continue;
        }
        if (section.size() - offset < recordHeaderSize ||
            std::memcmp(section.data() + offset, "BXRS", 4) != 0)
            return std::nullopt;
        const DWORD recordType = WordAt(section, offset + 4);
        const DWORD recordId = WordAt(section, offset + 8);
        const std::size_t size = WordAt(section, offset + 12);
        const std::size_t dataStart = offset + recordHeaderSize;
        if (size > section.size() - dataStart)
            return std::nullopt;
        if (recordType == type && recordId == id)
            return std::vector<std::byte>(section.begin() + static_cast<std::ptrdiff_t>(dataStart),
                                          section.begin() +
                                              static_cast<std::ptrdiff_t>(dataStart + size));
        offset = dataStart + size;
    }
    return std::nullopt;
}

std::optional<std::vector<std::byte>> LoadModuleResource(HMODULE module, DWORD type,
                                                         const char* name) {
    const std::optional<DWORD> id = IdOf(name);
    if (!id) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    std::string path(4096, '\0');
    const DWORD length = GetModuleFileName(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return std::nullopt;
    path.resize(length);
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        FailFromErrno();
        return std::nullopt;
    }
    const std::optional<std::vector<std::byte>> section =
        ReadElfSection(ReadFromDescriptor(file), resourceSectionName, largestResourceSection);
    close(file);
    std::optional<std::vector<std::byte>> data =
        section ? FindResourceRecord(*section, type, *id) : std::nullopt;
    if (!data)
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return data;
}

} // namespace win::internal

namespace win {
namespace {

// Every resource found so far, by module, type and id. A deque keeps the
// records where they are as it grows.
struct FoundResources {
    std::mutex mutex;
    std::deque<std::vector<std::byte>> records;
    std::map<std::tuple<HMODULE, DWORD, DWORD>, std::vector<std::byte>*> byKey;
};

FoundResources& Found() {
    static FoundResources found;
    return found;
}

} // namespace

HRSRC FindResource(HMODULE module, const char* name, const char* type) {
    const std::optional<DWORD> id = internal::IdOf(name);
    const std::optional<DWORD> typeId = internal::IdOf(type);
    if (!id || !typeId) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    FoundResources& found = Found();
    std::lock_guard lock(found.mutex);
    const auto key = std::make_tuple(module, *typeId, *id);
    if (const auto known = found.byKey.find(key); known != found.byKey.end())
        return reinterpret_cast<HRSRC>(known->second);
    std::optional<std::vector<std::byte>> data =
        internal::LoadModuleResource(module, *typeId, MAKEINTRESOURCE(*id));
    if (!data)
        return nullptr;
    std::vector<std::byte>* record = &found.records.emplace_back(std::move(*data));
    found.byKey.emplace(key, record);
    return reinterpret_cast<HRSRC>(record);
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    return reinterpret_cast<HGLOBAL>(resource);
}

const void* LockResource(HGLOBAL data) {
    return data ? reinterpret_cast<const std::vector<std::byte>*>(data)->data() : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    return resource ? static_cast<DWORD>(
                          reinterpret_cast<const std::vector<std::byte>*>(resource)->size())
                    : 0;
}

} // namespace win
