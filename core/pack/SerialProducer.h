#pragma once
// Reads, and for a compressed archive compresses, each file on the writer's
// own thread when the writer asks for it. Its buffers grow to the largest
// file and serve every file after it.

#include "pack/FileProducer.h"
#include "pack/FileRule.h"

#include <memory>

class SerialProducer : public FileProducer {
public:
    // What `rule` borrows must outlive the producer.
    explicit SerialProducer(const FileRule& rule);

    ProducedFile& take(uint32_t index) override;
    void release(uint32_t) override {}

private:
    // Grows `buffer` to at least `needed` bytes, discarding its contents;
    // false when the memory cannot be had.
    static bool reserve(std::unique_ptr<uint8_t[]>& buffer, size_t& capacity, size_t needed);
    // Compresses the input's `size` bytes block by block into the file's
    // blocks; no blocks when one was rejected.
    void compress(uint64_t size);
    // Takes the entry of unread file `index` over from the previous archive;
    // false when it does not hold up, and the file is to be read.
    bool takeUnread(uint32_t index, const FileStamp& stamp);

    const FileRule m_rule;
    std::unique_ptr<uint8_t[]> m_input;
    size_t m_inputCapacity = 0;
    std::unique_ptr<uint8_t[]> m_compressedArea;
    size_t m_compressedCapacity = 0;
    std::unique_ptr<uint8_t[]> m_workMemory;
    ProducedFile m_file;
};
