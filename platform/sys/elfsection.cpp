#include "platform/sys/elfsection.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <unistd.h>

namespace win::internal {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the ELF headers are read in the host's byte order");

// A longer table of section names than this is no binary of ours.
constexpr std::size_t largestNameTable = 1 << 20;

template <typename Record>
bool ReadRecord(const ReadAt& read, std::uint64_t offset, Record& record) {
    return read(offset, std::as_writable_bytes(std::span(&record, 1)));
}

std::optional<std::vector<std::byte>> ReadContents(const ReadAt& read, const Elf64_Shdr& section,
                                                   std::size_t largest) {
    if (section.sh_type == SHT_NOBITS || section.sh_size > largest) {
        return std::nullopt;
    }
    std::vector<std::byte> contents(section.sh_size);
    if (!read(section.sh_offset, contents)) {
        return std::nullopt;
    }
    return contents;
}

bool IsElf64LittleEndian(const Elf64_Ehdr& header) {
    return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
           header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_ident[EI_DATA] == ELFDATA2LSB;
}

} // namespace

ReadAt ReadFromMemory(std::span<const std::byte> file) {
    return [file](std::uint64_t offset, std::span<std::byte> out) {
        if (offset > file.size() || out.size() > file.size() - offset) {
            return false;
        }
        if (out.empty()) {
            return true; // an empty section has no storage to copy into
        }
        std::memcpy(out.data(), file.data() + offset, out.size());
        return true;
    };
}

ReadAt ReadFromDescriptor(int descriptor) {
    return [descriptor](std::uint64_t offset, std::span<std::byte> out) {
        if (offset > static_cast<std::uint64_t>(INT64_MAX) - out.size()) {
            return false; // beyond what a file offset can say
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = pread(descriptor, out.data() + done, out.size() - done,
                                      static_cast<off_t>(offset + done));
            if (got <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(got);
        }
        return true;
    };
}

std::optional<std::vector<std::byte>> ReadElfSection(const ReadAt& read, std::string_view name,
                                                     std::size_t largestSection) {
    Elf64_Ehdr header{};
    if (!ReadRecord(read, 0, header) || !IsElf64LittleEndian(header) ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum) {
        return std::nullopt;
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!read(header.e_shoff, std::as_writable_bytes(std::span(sections)))) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::byte>> names =
        ReadContents(read, sections[header.e_shstrndx], largestNameTable);
    if (!names) {
        return std::nullopt;
    }
    for (const Elf64_Shdr& section : sections) {
        if (section.sh_name >= names->size()) {
            continue;
        }
        const char* start = reinterpret_cast<const char*>(names->data()) + section.sh_name;
        const std::size_t room = names->size() - section.sh_name;
        const std::string_view sectionName(start, strnlen(start, room));
        if (sectionName.size() < room && sectionName == name) {
            return ReadContents(read, section, largestSection);
        }
    }
    return std::nullopt;
}

} // namespace win::internal
