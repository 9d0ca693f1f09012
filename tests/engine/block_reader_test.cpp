// The reader that reads a large file ahead of the copier: blocks come in order across the ring,
// the end and a failed read reach the caller where they happened, and a stop does not wait for
// the rest of the file.

#include "engine/block_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

class BlockReaderTest : public ::testing::Test {
  protected:
    static constexpr uint32_t kBlock = 16;  // small blocks: the ring wraps many times

    std::unique_ptr<os::File> OpenFile(const std::string& path) {
        std::unique_ptr<os::File> file;
        EXPECT_EQ(sim.machine().files.Open(path, {}, file), os::kErrorSuccess);
        return file;
    }

    // Everything Next hands out until the end or an error; error is the result that ended it.
    std::string ReadAll(BlockReader& reader, uint32_t& error, int& blocks) {
        std::string out;
        blocks = 0;
        for (;;) {
            const std::byte* data = nullptr;
            uint32_t size = 0;
            error = reader.Next(data, size);
            if (error != os::kErrorSuccess || size == 0) {
                return out;
            }
            out.append(reinterpret_cast<const char*>(data), size);
            ++blocks;
        }
    }

    static std::string Pattern(size_t size) {
        std::string text;
        for (size_t i = 0; i < size; ++i) {
            text.push_back(static_cast<char>('a' + (i * 7 + i / kBlock) % 26));
        }
        return text;
    }

    os::sim::SimMachine sim;
};

TEST_F(BlockReaderTest, BlocksComeInOrderAcrossTheRingUpToTheEnd) {
    const std::string contents = Pattern(kBlock * 40 + 5);
    ASSERT_EQ(sim.files().PutFile("C:\\big.bin", contents), os::kErrorSuccess);
    auto file = OpenFile("C:\\big.bin");
    BlockReader reader(kBlock);
    ASSERT_TRUE(reader.usable());
    ASSERT_EQ(reader.Start(*file, contents.size()), os::kErrorSuccess);
    uint32_t error = 0;
    int blocks = 0;
    EXPECT_EQ(ReadAll(reader, error, blocks), contents);
    EXPECT_EQ(error, os::kErrorSuccess);
    EXPECT_EQ(blocks, 41);
    // Asked again after the end, it stays at the end.
    const std::byte* data = nullptr;
    uint32_t size = 1;
    EXPECT_EQ(reader.Next(data, size), os::kErrorSuccess);
    EXPECT_EQ(size, 0u);
}

TEST_F(BlockReaderTest, AFileOfWholeBlocksOrOneThatShrankEndsWithAnEmptyRead) {
    const std::string contents = Pattern(kBlock * 12);
    ASSERT_EQ(sim.files().PutFile("C:\\whole.bin", contents), os::kErrorSuccess);
    BlockReader reader(kBlock);
    uint32_t error = 0;
    int blocks = 0;
    for (const uint64_t expected : {contents.size(), contents.size() * 2}) {
        auto file = OpenFile("C:\\whole.bin");
        ASSERT_EQ(reader.Start(*file, expected), os::kErrorSuccess);
        EXPECT_EQ(ReadAll(reader, error, blocks), contents);
        EXPECT_EQ(error, os::kErrorSuccess);
        reader.Stop();
    }
    const std::string shorter = Pattern(kBlock * 3 + 1);
    ASSERT_EQ(sim.files().PutFile("C:\\shrank.bin", shorter), os::kErrorSuccess);
    auto file = OpenFile("C:\\shrank.bin");
    ASSERT_EQ(reader.Start(*file, kBlock * 20), os::kErrorSuccess);  // it was larger when opened
    EXPECT_EQ(ReadAll(reader, error, blocks), shorter);
    reader.Stop();
}

TEST_F(BlockReaderTest, AFailedReadReachesTheCallerAfterTheBlocksBeforeIt) {
    const std::string contents = Pattern(kBlock * 30);
    ASSERT_EQ(sim.files().PutFile("C:\\bad.bin", contents), os::kErrorSuccess);
    auto file = OpenFile("C:\\bad.bin");
    BlockReader reader(kBlock);
    sim.FailNthOperation(5, 23);  // the fifth read: a bad sector
    ASSERT_EQ(reader.Start(*file, contents.size()), os::kErrorSuccess);
    uint32_t error = 0;
    int blocks = 0;
    EXPECT_EQ(ReadAll(reader, error, blocks), contents.substr(0, kBlock * 4));
    EXPECT_EQ(error, 23u);
}

TEST_F(BlockReaderTest, AStopEndsTheReadingAndHandsTheFileBack) {
    ASSERT_EQ(sim.files().PutSparseFile("C:\\huge.bin", 64ULL << 20), os::kErrorSuccess);
    auto file = OpenFile("C:\\huge.bin");
    BlockReader reader(4096);
    ASSERT_EQ(reader.Start(*file, 64ULL << 20), os::kErrorSuccess);
    const std::byte* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(reader.Next(data, size), os::kErrorSuccess);
    EXPECT_EQ(size, 4096u);
    reader.Stop();  // with most of the file unread
    char byte = 1;
    uint32_t got = 0;
    EXPECT_EQ(file->Read(&byte, 1, got), os::kErrorSuccess);  // the file is the caller's again
    EXPECT_EQ(got, 1u);
}

}  // namespace
}  // namespace engine
