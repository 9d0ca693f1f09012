#pragma once
// Reading a large file ahead of its writer: a thread of its own fills a ring of 32768-byte blocks
// while the copier writes the ones before, so that the disk written to does not wait for the next
// block to be read. The block is the unit of reading as without it: every read asks for one
// block.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "os/file_system.h"

namespace engine {

class BlockReader {
  public:
    static constexpr size_t kBlocks = 8;

    // blockBytes is the size of each block of the ring; the ring is allocated here, once.
    explicit BlockReader(uint32_t blockBytes);
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // False when the ring could not be allocated (the copier then reads one block at a time).
    bool usable() const { return ring_ != nullptr; }

    // Starts reading `in` from its current position on a thread of its own; the reading ends at
    // the end of the file, at the first failed read, or at Stop. expectedSize is the file's size
    // when it was opened: a block shorter than asked for that reaches it is the end. 0, or 8 when
    // no thread can be started (nothing was read then).
    [[nodiscard]] uint32_t Start(os::File& in, uint64_t expectedSize);
    // The next block in order: its data and size (0 at the end of the file), or the error of the
    // read that gave it. The data stays valid until the next call of Next or Stop.
    [[nodiscard]] uint32_t Next(const std::byte*& data, uint32_t& size);
    // Lets the reading thread finish the read it is in and waits for it. The file is the caller's
    // again afterwards.
    void Stop();

  private:
    struct Block {
        uint32_t size = 0;
        uint32_t error = 0;
        bool full = false;  // read and not yet given back by the caller
        bool last = false;  // nothing is read after it
    };
    struct AlignedFree {
        void operator()(std::byte* p) const;
    };

    void Read(os::File& in, uint64_t expectedSize);
    std::byte* BlockData(size_t index) const { return ring_.get() + index * blockBytes_; }

    const uint32_t blockBytes_;
    std::unique_ptr<std::byte, AlignedFree> ring_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Block blocks_[kBlocks];
    size_t next_ = 0;         // the block Next hands out next
    bool handedOut_ = false;  // the block before next_ is still the caller's
    bool finished_ = false;   // the last block has been handed out
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace engine
