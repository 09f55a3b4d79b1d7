#include "remote/remote_memory.h"

#include "known_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

using test::ChildProcess;

// A helper process whose memory the tests allocate in.
class OtherProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(helper_.start(test::siblingPath(test::kHelperProgram)));
        window_ = test::waitForProcessWindow(helper_.id(), test::kHelperTitle);
        ASSERT_TRUE(window_) << test::describeWindows();
        process_ = memory_.openWindowProcess(window_);
        ASSERT_TRUE(process_);
    }
    void TearDown() override { memory_.closeProcess(process_); }

    ChildProcess helper_;
    HWND window_ = nullptr;
    RemoteMemory memory_;
    HANDLE process_ = nullptr;
};

TEST_F(OtherProcess, NtBlocksAreCommittedReadWriteMemoryOfTheOtherProcessAndMakeNoRecord) {
    ASSERT_EQ(operatingSystemClass(), os_class::kNt);  // what Wine reports
    void* block = memory_.allocate(process_, 300);
    ASSERT_TRUE(block);
    EXPECT_EQ(memory_.osClass(), os_class::kNt);
    EXPECT_TRUE(memory_.mappings().empty());

    MEMORY_BASIC_INFORMATION info{};
    ASSERT_TRUE(VirtualQueryEx(process_, block, &info, sizeof info));
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
    // Not an address of ours: this process has nothing there.
    MEMORY_BASIC_INFORMATION own{};
    VirtualQuery(block, &own, sizeof own);
    EXPECT_NE(own.State, static_cast<DWORD>(MEM_COMMIT));

    const char bytes[] = "场控\0tail";
    EXPECT_TRUE(memory_.writeMemory(process_, block, bytes, sizeof bytes));
    EXPECT_EQ(memory_.readMemory(process_, block, sizeof bytes), std::string(bytes, sizeof bytes));
    EXPECT_TRUE(memory_.release(process_, block));
    // What the address reads afterwards is not checked: the other process may
    // already have been given the same pages again (seen once in a full run).
}

TEST_F(OtherProcess, ReadsOfNothingOrOfUnreadableAddressesGiveZeros) {
    void* block = memory_.allocate(process_, 16);
    ASSERT_TRUE(block);
    EXPECT_EQ(memory_.readMemory(process_, block, 0), "");
    EXPECT_EQ(memory_.readMemory(process_, block, -5), "");
    EXPECT_EQ(memory_.readMemory(process_, reinterpret_cast<void*>(0x10), 32), std::string(32, '\0'));
    EXPECT_EQ(memory_.readMemory(nullptr, block, 8), std::string(8, '\0'));
    memory_.release(process_, block);
}

TEST_F(OtherProcess, ProcessHandleZeroAndImpossibleSizesFailByResult) {
    EXPECT_EQ(memory_.allocate(nullptr, 40), nullptr);
    EXPECT_EQ(memory_.allocate(process_, -1), nullptr);
    EXPECT_EQ(memory_.allocate(process_, 0), nullptr);
    char byte = 'x';
    EXPECT_FALSE(memory_.writeMemory(nullptr, reinterpret_cast<void*>(0x10000), &byte, 1));
    EXPECT_FALSE(memory_.writeMemory(process_, reinterpret_cast<void*>(0x10), &byte, 1));
    EXPECT_FALSE(memory_.writeMemory(process_, &byte, &byte, -1));
    EXPECT_FALSE(memory_.release(nullptr, reinterpret_cast<void*>(0x10000)));
    EXPECT_EQ(memory_.openWindowProcess(nullptr), nullptr);
}

TEST(RemoteMemory, OpenWindowProcessOfADestroyedWindowGivesZero) {
    HWND window = CreateWindowExA(0, "STATIC", "gone", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    DestroyWindow(window);
    RemoteMemory memory;
    EXPECT_EQ(memory.openWindowProcess(window), nullptr);
}

// The page-file mapping path of the older systems, forced: its blocks are views in
// this process, which is where these tests read them.
TEST(RemoteMemoryMappings, TwoBlocksMakeTwoRecordsAndReleasingTheSecondKeepsTheFirst) {
    RemoteMemory memory;
    memory.forceOsClass(os_class::kWindows9x);
    HANDLE self = GetCurrentProcess();
    void* first = memory.allocate(self, 40);
    void* second = memory.allocate(self, 260);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(memory.osClass(), os_class::kWindows9x);
    ASSERT_EQ(memory.mappings().size(), 2u);
    EXPECT_EQ(memory.mappings()[0].viewAddress, first);
    EXPECT_EQ(memory.mappings()[1].viewAddress, second);
    HANDLE firstMapping = memory.mappings()[0].mappingHandle;

    EXPECT_TRUE(memory.writeMemory(self, second, "abc", 4));
    EXPECT_EQ(memory.readMemory(self, second, 4), std::string("abc", 4));

    // An address no record names changes nothing.
    EXPECT_EQ(memory.release(self, static_cast<char*>(second) + 1), 0);
    EXPECT_EQ(memory.release(self, nullptr), 0);
    ASSERT_EQ(memory.mappings().size(), 2u);

    EXPECT_EQ(memory.release(self, second), 1);
    ASSERT_EQ(memory.mappings().size(), 1u);
    EXPECT_EQ(memory.mappings()[0].viewAddress, first);
    EXPECT_EQ(memory.mappings()[0].mappingHandle, firstMapping);
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(second, &info, sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));  // the view is unmapped
    EXPECT_EQ(memory.release(self, second), 0);            // and only once

    EXPECT_EQ(memory.release(self, first), 1);
    EXPECT_TRUE(memory.mappings().empty());
}

TEST(RemoteMemoryMappings, ARefusedSizeLeavesNoRecord) {
    RemoteMemory memory;
    memory.forceOsClass(os_class::kUnknown);
    EXPECT_EQ(memory.allocate(nullptr, -1), nullptr);  // 4 GB: refused
    EXPECT_EQ(memory.allocate(nullptr, 0), nullptr);
    EXPECT_TRUE(memory.mappings().empty());
    EXPECT_EQ(memory.release(nullptr, nullptr), 0);
    // The process handle plays no part on this path.
    void* block = memory.allocate(nullptr, 8);
    EXPECT_TRUE(block);
    EXPECT_EQ(memory.release(nullptr, block), 1);
}

TEST(RemoteMemoryMappings, CopiesOwnTheirRecordsAndCloseProcessForgetsThem) {
    RemoteMemory memory;
    memory.forceOsClass(os_class::kWin32s);
    HANDLE self = GetCurrentProcess();
    void* block = memory.allocate(self, 64);
    ASSERT_TRUE(block);

    RemoteMemory copy = memory;
    EXPECT_EQ(copy.osClass(), os_class::kWin32s);
    ASSERT_EQ(copy.mappings().size(), 1u);
    EXPECT_EQ(memory.release(self, block), 1);
    EXPECT_TRUE(memory.mappings().empty());
    EXPECT_EQ(copy.mappings().size(), 1u);  // a deep copy, not a shared list

    copy.closeProcess(nullptr);
    EXPECT_EQ(copy.mappings().size(), 1u);
    HANDLE duplicate = nullptr;
    ASSERT_TRUE(DuplicateHandle(self, self, self, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS));
    copy.closeProcess(duplicate);
    EXPECT_TRUE(copy.mappings().empty());
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(duplicate, &flags));  // closed
}

}  // namespace
}  // namespace vostrel
