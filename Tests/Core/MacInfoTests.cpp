#include "Core/MacInfo.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

constexpr int64_t GiB = int64_t{1} << 30;
constexpr int64_t physical = 3 * GiB;

std::string profileWithMemory(const std::string& memory)
{
    return R"({"SPHardwareDataType":[{"machine_name":"Mac","chip_type":"Apple M1","physical_memory":")" + memory +
           R"("}]})";
}

} // namespace

TEST(HardwareProfile, ChipKindDecidesAppleSilicon)
{
    EXPECT_EQ(MacInfo::parse(test::fixture("hardware/apple-silicon.json"), physical),
              (MacInfo{"MacBook Pro", "Apple M2 Pro", 16 * GiB, true}));
    EXPECT_EQ(MacInfo::parse(test::fixture("hardware/intel.json"), physical),
              (MacInfo{"MacBook Pro", "Quad-Core Intel Core i7", 512 << 20, false}));
    EXPECT_EQ(MacInfo::parse(test::fixture("hardware/no-chip.json"), physical),
              (MacInfo{"Mac mini", "Unknown chip", int64_t{1} << 40, false}));
    EXPECT_EQ(MacInfo::parse(R"({"SPHardwareDataType":[{"machine_name":"X","cpu_type":"Apple A"}]})", physical),
              (MacInfo{"X", "Apple A", physical, false}));
    EXPECT_EQ(MacInfo::parse(R"({"SPHardwareDataType":[{"machine_name":"X","chip_type":"apple m1"}]})", physical),
              (MacInfo{"X", "apple m1", physical, false}));
}

TEST(HardwareProfile, DocumentsWithoutAMachineNameAreNotProfiles)
{
    EXPECT_FALSE(MacInfo::parse(test::fixture("hardware/no-machine-name.json"), physical));
    for (const char* text : {"", "not json", "[]", R"({"SPHardwareDataType":[]})", R"({"SPHardwareDataType":{}})",
                             R"({"SPHardwareDataType":[{"machine_name":"X"},1]})",
                             R"({"SPHardwareDataType":[{"machine_name":7}]})", R"({"Other":[{"machine_name":"X"}]})"}) {
        EXPECT_FALSE(MacInfo::parse(text, physical)) << text;
    }
}

TEST(HardwareProfile, MemorySizesReadOnlyInTheirExactForm)
{
    EXPECT_EQ(MacInfo::parse(profileWithMemory("16 GB"), physical)->memoryBytes, 17'179'869'184);
    EXPECT_EQ(MacInfo::parse(profileWithMemory("512 MB"), physical)->memoryBytes, 536'870'912);
    EXPECT_EQ(MacInfo::parse(profileWithMemory("1 TB"), physical)->memoryBytes, 1'099'511'627'776);
    EXPECT_EQ(MacInfo::parse(profileWithMemory("  16   GB "), physical)->memoryBytes, 16 * GiB);
    EXPECT_EQ(MacInfo::parse(profileWithMemory("+16 GB"), physical)->memoryBytes, 16 * GiB);
    for (const char* memory : {"16GB", "1.5 TB", "16 gb", "16 KB", "16", "16 GB RAM", "0 GB", "-8 GB", "+-16 GB",
                               "9223372036854775807 MB", "99999999999999999999 GB"}) {
        EXPECT_EQ(MacInfo::parse(profileWithMemory(memory), physical)->memoryBytes, physical) << memory;
    }
    EXPECT_EQ(MacInfo::parse(R"({"SPHardwareDataType":[{"machine_name":"X","physical_memory":16}]})", physical)
                  ->memoryBytes,
              physical);
}

TEST(MacInfoReading, BuildsTheProfileFromTheMachinesOwnDescription)
{
    test::FakeTree root;
    root.write("proc/sys/kernel/arch", "x86_64\n");
    root.write("sys/class/dmi/id/product_name", "ThinkPad X1 Carbon\n");
    root.write("proc/cpuinfo", "processor\t: 0\nmodel name\t: Intel(R) Core(TM) i7-8650U\n");
    root.write("proc/meminfo", "MemTotal:       16000000 kB\nMemFree: 1 kB\n");
    EXPECT_EQ(MacInfo::read(root.path()), (MacInfo{"ThinkPad X1 Carbon", "Intel(R) Core(TM) i7-8650U",
                                                   16'384'000'000, false}));

    // An Arm processor is Apple silicon only in Apple's own machine.
    root.write("proc/sys/kernel/arch", "aarch64\n");
    root.write("proc/cpuinfo", "model name\t: Apple M1\n");
    EXPECT_EQ(MacInfo::read(root.path()), (MacInfo{"ThinkPad X1 Carbon", "Apple M1", 16'384'000'000, false}));
    root.write("sys/class/dmi/id/product_name", "Apple MacBook Air (M1, 2020)\n");
    EXPECT_EQ(MacInfo::read(root.path()),
              (MacInfo{"Apple MacBook Air (M1, 2020)", "Apple M1", 16'384'000'000, true}));
    root.write("proc/cpuinfo", "processor\t: 0\n");
    EXPECT_EQ(MacInfo::read(root.path()),
              (MacInfo{"Apple MacBook Air (M1, 2020)", "Apple silicon", 16'384'000'000, true}));
}

TEST(MacInfoReading, WithoutAModelNameTheChipIsTheProcessorsOwnName)
{
    test::FakeTree root;
    root.write("proc/sys/kernel/arch", "aarch64\n");
    root.write("proc/cpuinfo", "model name\t: Some ARM core\n");
    root.write("proc/meminfo", "MemTotal: 1024 kB\n");
    EXPECT_EQ(MacInfo::read(root.path()), (MacInfo{"", "Some ARM core", 1024 * 1024, false}));

    root.write("proc/sys/kernel/arch", "x86_64\n");
    root.write("proc/cpuinfo", "model name\t: AMD Ryzen 7 5800X\n");
    EXPECT_EQ(MacInfo::read(root.path()), (MacInfo{"", "AMD Ryzen 7 5800X", 1024 * 1024, false}));
    root.write("proc/cpuinfo", "processor\t: 0\n");
    EXPECT_EQ(MacInfo::read(root.path()), (MacInfo{"", "Unknown chip", 1024 * 1024, false}));
}
