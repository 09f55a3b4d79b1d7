#include "core/pe_image.h"

#include <algorithm>

namespace vostrel {
namespace {

constexpr size_t kDosPointerAt = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr unsigned kCertificateDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY

std::uint32_t read16(std::string_view bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

std::uint32_t read32(std::string_view bytes, size_t at) {
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

}  // namespace

std::optional<PeImage> readPeImage(std::string_view bytes) {
    if (bytes.size() < kDosPointerAt + 4 || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
    const size_t peAt = read32(bytes, kDosPointerAt);
    if (peAt > bytes.size() || bytes.size() - peAt < 4 + kFileHeaderSize + 2) return std::nullopt;
    if (bytes.substr(peAt, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;

    const size_t fileHeader = peAt + 4;
    PeImage image;
    image.machine = static_cast<std::uint16_t>(read16(bytes, fileHeader));
    const size_t sections = read16(bytes, fileHeader + 2);
    const size_t optionalSize = read16(bytes, fileHeader + 16);
    const size_t optional = fileHeader + kFileHeaderSize;

    // Where the header size, the directory count and the directories sit.
    const std::uint32_t magic = read16(bytes, optional);
    size_t directoriesAt = 0;
    if (magic == kPe32Magic) {
        directoriesAt = 96;
    } else if (magic == kPe32PlusMagic) {
        directoriesAt = 112;
    } else {
        return std::nullopt;
    }
    const size_t sectionTable = optional + optionalSize;
    if (optionalSize < directoriesAt || sectionTable > bytes.size() ||
        (bytes.size() - sectionTable) / kSectionHeaderSize < sections) {
        return std::nullopt;
    }

    std::uint64_t whole = read32(bytes, optional + 60);  // SizeOfHeaders
    for (size_t i = 0; i < sections; ++i) {
        const size_t header = sectionTable + i * kSectionHeaderSize;
        const std::uint64_t size = read32(bytes, header + 16);
        if (size > 0) whole = std::max(whole, read32(bytes, header + 20) + size);
    }
    const size_t directoryCount = read32(bytes, optional + directoriesAt - 4);
    const size_t certificate = optional + directoriesAt + kCertificateDirectory * 8;
    if (directoryCount > kCertificateDirectory && certificate + 8 <= sectionTable) {
        // The certificate table's "address" is a file offset, not a memory one.
        const std::uint64_t size = read32(bytes, certificate + 4);
        if (size > 0) whole = std::max(whole, read32(bytes, certificate) + size);
    }
    image.wholeLength = whole;
    return image;
}

bool windowsRunsMachine(std::uint16_t program, std::uint16_t native, std::optional<bool> guestSupported) {
    if (program == native) return true;
    if (guestSupported) return *guestSupported;
    return program == machine::kX86 && (native == machine::kX64 || native == machine::kArm64);
}

}  // namespace vostrel
