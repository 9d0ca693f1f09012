// The system port's contract. (Shutting the machine down is not tried here.)

#include "os/errors.h"
#include "tests/os/contract/port_environment.h"

namespace contract {
namespace {

class SystemContract : public ContractTest {};

TEST_F(SystemContract, TheMachineHasMemory) {
    EXPECT_GE(system().PhysicalMemory(), 64ULL << 20);
}

TEST_F(SystemContract, TheProgramKnowsItsPathAndItsDataFolder) {
    const std::string program = system().ProgramPath();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(program[1], ':');
    const std::string data = system().LocalAppDataFolder();
    ASSERT_FALSE(data.empty());
    EXPECT_NE(data.back(), '\\');
    uint32_t attributes = 0;
    ASSERT_EQ(files().GetAttributes(data, attributes), os::kErrorSuccess);
    EXPECT_NE(attributes & os::kAttributeDirectory, 0u);
}

TEST_F(SystemContract, ErrorCodesHaveTheSystemsTexts) {
    EXPECT_FALSE(system().ErrorMessageText(os::kErrorFileNotFound).empty());
    EXPECT_FALSE(system().ErrorMessageText(os::kErrorDiskFull).empty());
    EXPECT_TRUE(system().ErrorMessageText(0x2FFFFFFF).empty());
}

}  // namespace
}  // namespace contract
