// vostrel.exe as Windows sees the built file: a 32-bit GUI program, the version
// Explorer shows under Properties > Details, the manifest the loader reads and the
// icon Explorer draws. Everything is read back from the file, not from the sources.
#include "test_support.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace vostrel {
namespace {

using namespace vostrel::test;

std::string exePath() { return siblingPath("vostrel.exe"); }

// The exe loaded as data: its resources can be found, none of its code runs.
class ExeResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA(exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module) << "cannot load " << exePath() << " as data: error " << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    std::string resource(LPCSTR name, LPCSTR type) {
        HRSRC found = FindResourceA(module, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return {};
        return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
    }

    HMODULE module = nullptr;
};

// The release is the 32-bit build; the 64-bit build of the same sources is a PE32+.
TEST(ExeHeader, IsAWindowsGuiProgramOfThisBuildsBitness) {
#ifdef _WIN64
    using NtHeaders = IMAGE_NT_HEADERS64;
    const WORD machine = IMAGE_FILE_MACHINE_AMD64;
    const WORD magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const DWORD binaryType = SCS_64BIT_BINARY;
#else
    using NtHeaders = IMAGE_NT_HEADERS32;
    const WORD machine = IMAGE_FILE_MACHINE_I386;
    const WORD magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    const DWORD binaryType = SCS_32BIT_BINARY;
#endif
    std::string bytes = readFileBytes(exePath());
    ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos{};
    std::memcpy(&dos, bytes.data(), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_GE(bytes.size(), dos.e_lfanew + sizeof(NtHeaders));
    NtHeaders nt{};
    std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    ASSERT_EQ(nt.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt.FileHeader.Machine, machine);
    EXPECT_EQ(nt.OptionalHeader.Magic, magic);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI) << "a console window would open beside it";

    DWORD kind = 99;
    ASSERT_TRUE(GetBinaryTypeA(exePath().c_str(), &kind));
    EXPECT_EQ(kind, binaryType);
}

// What Explorer's Details page reads, through the same calls.
class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(exePath().c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource: error " << GetLastError();
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(exePath().c_str(), 0, size, block.data()));
    }

    // A string of the Chinese (Simplified) block, as ANSI (code page 936) text.
    std::string value(const char* name) {
        std::string path = std::string("\\StringFileInfo\\080404B0\\") + name;
        char* text = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text) {
            return "<missing>";
        }
        return text;
    }

    std::string block;
};

TEST_F(VersionResource, SaysVostrelAndTheProjectVersionForSimplifiedChinese) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD majorMinor = MAKELONG(VOSTREL_RELEASE_MINOR, VOSTREL_RELEASE_MAJOR);
    EXPECT_EQ(fixed->dwFileVersionMS, majorMinor);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, majorMinor);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // Explorer picks the string block through the Translation pairs.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u) << "exactly one language";
    EXPECT_EQ(translation[0], 0x0804) << "Chinese (Simplified, PRC)";
    EXPECT_EQ(translation[1], 1200) << "Unicode strings";

    EXPECT_EQ(value("ProductName"), "Vostrel");
    EXPECT_EQ(value("ProductVersion"), VOSTREL_RELEASE_VERSION);
    EXPECT_EQ(value("FileVersion"), VOSTREL_RELEASE_VERSION);
    EXPECT_EQ(value("OriginalFilename"), "vostrel.exe");
    EXPECT_EQ(value("InternalName"), "vostrel");
}

// Without the UTF-8 code page in the .rc these come out as mojibake.
TEST_F(VersionResource, ChineseTextsReadBackIntact) {
    EXPECT_EQ(value("FileDescription"), "Vostrel 场控助手：快捷键管理、场控文本发送")
        << gbkToUtf8(value("FileDescription"));
    EXPECT_EQ(value("CompanyName"), "Morvath 社区") << gbkToUtf8(value("CompanyName"));
    EXPECT_EQ(value("LegalCopyright"), "Vostrel 由 Morvath 社区制作并保留所有权利")
        << gbkToUtf8(value("LegalCopyright"));
}

TEST_F(ExeResources, ManifestAsksForCommonControls6AsInvokerAndNoDpiAwareness) {
    std::string manifest = resource(MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    // Windows 7, 8, 8.1, 10/11.
    for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id), std::string::npos) << id;
    }
    // The client's points are in DPI-unaware coordinates; so must the tool's be.
    EXPECT_EQ(manifest.find("<dpiAware"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("<ws2:dpiAware"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("dpiAwareness>"), std::string::npos) << manifest;
}

// A manifest the loader cannot parse stops the exe from starting at all
// ("side-by-side configuration is incorrect"). Build the activation context the
// loader builds, and see that it hands out common controls 6.
TEST(ExeManifest, ActivatesAndLoadsCommonControls6) {
    std::string exe = exePath();
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest does not parse: error " << GetLastError();

    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    // Version 6 is a side-by-side assembly: it loads from the assembly store
    // (WinSxS), not from the system folder that version 5 comes from.
    HMODULE controls = LoadLibraryA("comctl32.dll");
    char path[MAX_PATH] = "";
    if (controls) GetModuleFileNameA(controls, path, MAX_PATH);
    if (controls) FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);

    std::string loaded = path;
    for (char& c : loaded) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(loaded.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

TEST_F(ExeResources, IconHasTheSizesExplorerAndTheTitleBarShow) {
    // The window class loads icon 1; its group lists one image per size.
    std::string group = resource(MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u) << "no icon group 1";
    auto word = [&](size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(group[at]) |
                                                              static_cast<unsigned char>(group[at + 1]) << 8); };
    unsigned count = word(4);
    ASSERT_EQ(group.size(), 6 + count * 14u);  // header, then 14 bytes per image
    std::vector<unsigned> sizes;
    for (unsigned i = 0; i < count; ++i) {
        unsigned width = static_cast<unsigned char>(group[6 + i * 14]);
        sizes.push_back(width == 0 ? 256 : width);
    }
    for (unsigned wanted : {16u, 32u, 48u, 256u}) {
        EXPECT_NE(std::find(sizes.begin(), sizes.end(), wanted), sizes.end()) << wanted << " x " << wanted;
    }
    EXPECT_EQ(ExtractIconExA(exePath().c_str(), -1, nullptr, nullptr, 0), 1u) << "Explorer finds one icon";
}

}  // namespace
}  // namespace vostrel
