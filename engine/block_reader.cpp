#include "engine/block_reader.h"

#include <new>
#include <system_error>

#include "os/errors.h"

namespace engine {

namespace {

// Aligned for unbuffered I/O on volumes with sectors of up to 4096 bytes.
constexpr size_t kAlignment = 4096;

}  // namespace

void BlockReader::AlignedFree::operator()(std::byte* p) const {
    ::operator delete[](p, std::align_val_t(kAlignment));
}

BlockReader::BlockReader(uint32_t blockBytes) : blockBytes_(blockBytes) {
    ring_.reset(static_cast<std::byte*>(::operator new[](
        static_cast<size_t>(blockBytes) * kBlocks, std::align_val_t(kAlignment), std::nothrow)));
}

BlockReader::~BlockReader() {
    Stop();
}

uint32_t BlockReader::Start(os::File& in, uint64_t expectedSize) {
    Stop();
    for (Block& block : blocks_) {
        block = Block{};
    }
    next_ = 0;
    handedOut_ = false;
    finished_ = false;
    stopping_ = false;
    try {
        thread_ = std::thread([this, &in, expectedSize] { Read(in, expectedSize); });
    } catch (const std::system_error&) {
        return os::kErrorNotEnoughMemory;  // no thread: the caller reads block by block
    }
    return os::kErrorSuccess;
}

void BlockReader::Read(os::File& in, uint64_t expectedSize) {
    uint64_t total = 0;
    for (size_t index = 0;; index = (index + 1) % kBlocks) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || !blocks_[index].full; });
            if (stopping_) {
                return;
            }
        }
        // The block is the reader's until it is marked full: no lock while reading.
        uint32_t got = 0;
        const uint32_t error = in.Read(BlockData(index), blockBytes_, got);
        total += got;
        // A short block that reaches the size the file had when it was opened is its end; one
        // that does not (the file grew meanwhile) is read on from until a read gives nothing.
        const bool last =
            error != os::kErrorSuccess || got == 0 || (got < blockBytes_ && total >= expectedSize);
        {
            std::lock_guard lock(mutex_);
            blocks_[index] = Block{got, error, true, last};
        }
        changed_.notify_all();
        if (last) {
            return;
        }
    }
}

uint32_t BlockReader::Next(const std::byte*& data, uint32_t& size) {
    data = nullptr;
    size = 0;
    std::unique_lock lock(mutex_);
    if (handedOut_) {
        // The caller is done with the block it had: the reader may fill it again.
        blocks_[(next_ + kBlocks - 1) % kBlocks].full = false;
        handedOut_ = false;
        changed_.notify_all();
    }
    if (finished_) {
        return os::kErrorSuccess;  // the end, after the last block
    }
    changed_.wait(lock, [&] { return blocks_[next_].full; });
    const Block block = blocks_[next_];
    data = BlockData(next_);
    size = block.size;
    finished_ = block.last;
    next_ = (next_ + 1) % kBlocks;
    handedOut_ = true;
    return block.error;
}

void BlockReader::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace engine
