// The headers of a downloaded program: what it runs on and how long it must be.
#include "core/pe_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vostrel {
namespace {

struct Section {
    std::uint32_t rawAt, rawSize;
};

void put16(std::string& bytes, size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
void put32(std::string& bytes, size_t at, std::uint32_t value) {
    put16(bytes, at, value & 0xFFFF);
    put16(bytes, at + 2, value >> 16);
}

// The headers a linker writes: DOS header pointing at 0x80, file header, optional
// header of the kind asked for with 16 directories, then the section table.
std::string headers(std::uint16_t machine, bool plus, const std::vector<Section>& sections,
                    Section certificate = {0, 0}) {
    const size_t pe = 0x80, optional = pe + 24, optionalSize = plus ? 240 : 224;
    std::string bytes(optional + optionalSize + sections.size() * 40, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    put32(bytes, 0x3C, pe);
    bytes.replace(pe, 4, std::string("PE\0\0", 4));
    put16(bytes, pe + 4, machine);
    put16(bytes, pe + 6, static_cast<std::uint32_t>(sections.size()));
    put16(bytes, pe + 20, static_cast<std::uint32_t>(optionalSize));
    put16(bytes, optional, plus ? 0x20B : 0x10B);
    put32(bytes, optional + 60, 0x400);  // SizeOfHeaders
    const size_t directories = optional + (plus ? 112 : 96);
    put32(bytes, directories - 4, 16);
    put32(bytes, directories + 4 * 8, certificate.rawAt);
    put32(bytes, directories + 4 * 8 + 4, certificate.rawSize);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t header = optional + optionalSize + i * 40;
        put32(bytes, header + 16, sections[i].rawSize);
        put32(bytes, header + 20, sections[i].rawAt);
    }
    return bytes;
}

TEST(PeImage, TheMachineAndTheLengthAWholeFileHas) {
    auto image = readPeImage(headers(machine::kX86, false, {{0x400, 0x1000}, {0x1400, 0x200}, {0, 0}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->machine, machine::kX86);
    EXPECT_EQ(image->wholeLength, 0x1600u);

    // A signed program ends with its certificate table, past the last section.
    image = readPeImage(headers(machine::kX64, true, {{0x400, 0x1000}}, {0x1400, 0x2345}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->machine, machine::kX64);
    EXPECT_EQ(image->wholeLength, 0x3745u);

    image = readPeImage(headers(machine::kArm64, true, {}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->wholeLength, 0x400u);  // the headers at least
}

TEST(PeImage, BytesThatAreNoProgramOrCutInTheirHeadersAreNone) {
    const std::string good = headers(machine::kX86, false, {{0x400, 0x1000}, {0x1400, 0x200}});
    EXPECT_FALSE(readPeImage(""));
    EXPECT_FALSE(readPeImage("<html><body>captive portal</body></html>"));
    std::string bytes = good;
    bytes[0x80] = 'N';
    EXPECT_FALSE(readPeImage(bytes)) << "no PE signature";
    bytes = good;
    put32(bytes, 0x3C, 0xFFFFFFF0);
    EXPECT_FALSE(readPeImage(bytes)) << "the DOS header points outside";
    bytes = good;
    put16(bytes, 0x80 + 24, 0x107);
    EXPECT_FALSE(readPeImage(bytes)) << "a ROM image";
    EXPECT_FALSE(readPeImage(good.substr(0, good.size() - 1))) << "the section table cut";
}

TEST(PeImage, WhatEachWindowsStarts) {
    using namespace machine;
    struct Case {
        std::uint16_t program, native;
        std::optional<bool> guest;
        bool runs;
    } cases[] = {
        {kX86, kX86, std::nullopt, true},
        {kX64, kX86, std::nullopt, false},      // a 64-bit program on 32-bit Windows
        {kArm64, kX86, std::nullopt, false},
        {kX86, kX64, std::nullopt, true},       // WOW64
        {kX64, kX64, std::nullopt, true},
        {kArm64, kX64, std::nullopt, false},
        {kX86, kArm64, std::nullopt, true},     // emulated on every ARM64 Windows
        {kX64, kArm64, std::nullopt, false},    // emulated only where Windows says so
        {kX64, kArm64, true, true},
        {kArm64, kArm64, false, true},
        {0x01C4, kX64, std::nullopt, false},    // ARM (Thumb-2)
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowsRunsMachine(c.program, c.native, c.guest), c.runs) << std::hex << c.program << " on " << c.native;
    }
}

}  // namespace
}  // namespace vostrel
