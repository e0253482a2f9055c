#pragma once
// Where an archive's bytes go as the writer produces them: appended in order,
// except placeholders, whose final bytes are given by patch() once known (the
// header words that name the index). An output keeps its first failure in
// error() and fails every call after it.

#include "platform/File.h"

#include <cstdint>
#include <string>
#include <vector>

class ArchiveOutput {
public:
    virtual ~ArchiveOutput() = default;

    // Appends `length` bytes. False on a failure.
    virtual bool append(const void* data, size_t length) = 0;
    // Appends bytes that patch() replaces before close(); until then they are
    // what a reader of the unfinished file finds.
    virtual bool appendPlaceholder(const void* data, size_t length) = 0;
    // Gives the placeholder appended at `offset` its final bytes, as long.
    virtual bool patch(uint64_t offset, const void* data, size_t length) = 0;
    // Puts the bytes on the disk for good and closes. False on a failure.
    virtual bool close() = 0;
    // What went wrong first; "" when nothing did.
    virtual std::string error() const = 0;
};

// An output to a file that stays its caller's, written through a buffer of
// `bufferSize` bytes. close() writes out what is buffered; the file's owner
// syncs and closes it.
class FileOutput : public ArchiveOutput {
public:
    explicit FileOutput(platform::File& file, size_t bufferSize = size_t(64) << 10);

    bool append(const void* data, size_t length) override;
    bool appendPlaceholder(const void* data, size_t length) override { return append(data, length); }
    bool patch(uint64_t offset, const void* data, size_t length) override;
    bool close() override;
    std::string error() const override { return m_error; }

    // Appends the `length` bytes at `offset` of `from`, copied by the system
    // where it can.
    bool appendCopy(platform::File& from, uint64_t offset, uint64_t length);

private:
    bool fail(const std::string& reason);
    bool flush();

    platform::File& m_file;
    std::vector<char> m_buffer;
    size_t m_buffered = 0;
    uint64_t m_end = 0;
    std::string m_error;
};
