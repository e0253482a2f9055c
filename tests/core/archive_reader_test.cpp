// The reader treats an archive as untrusted: damaged files give an error that
// says what is wrong, never a crash or a read past the end.

#include "format/ArchiveReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace kobtest;

namespace {

class Reader : public testing::Test {
protected:
    void SetUp() override
    {
        mod.file("objects/a.txt", textBytes(70000, 5));
        mod.file("objects/b.txt", "bee");
        mod.file("objects/empty", "");
        good = packFolder("../objects", "objects", "objects.kob", 1).bytes;
    }

    // Writes `bytes` as damaged.kob and opens it.
    bool openDamaged(const std::string& bytes)
    {
        writeFile("damaged.kob", bytes);
        return reader.open("damaged.kob");
    }

    static std::string withWord(std::string bytes, size_t offset, uint32_t value)
    {
        return bytes.replace(offset, 4, word(value));
    }

    ModTree mod;
    std::string good;
    ArchiveReader reader;
};

} // namespace

TEST_F(Reader, StructuralDamageIsRefusedAtOpen)
{
    const uint32_t indexOffset = wordAt(good, 0);
    const struct { const char* name; std::string bytes; const char* error; } rows[] = {
        {"empty file", "", "file too short"},
        {"truncated inside the index", good.substr(0, good.size() - 10), "runs past the end"},
        {"index offset past the end", withWord(good, 0, 0x7FFFFFFF), "index offset 2147483647 lies outside"},
        {"index offset inside the header", withWord(good, 0, 12), "index offset 12 lies outside"},
        {"compression flag 2", withWord(good, 4, 2), "compression flag 2"},
        {"huge entry count", withWord(good, indexOffset, 0xFFFFFFFF), "entry count 4294967295"},
        {"huge name length", withWord(good, indexOffset + 4, 0xFFFFFFF0), "name length 4294967280"},
        {"bytes after the end word", good + "xx", "bytes follow the last record"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(openDamaged(row.bytes));
        EXPECT_NE(reader.error().find(row.error), std::string::npos) << reader.error();
        EXPECT_EQ(reader.error().rfind("damaged.kob: ", 0), 0u) << "the error names the file";
    }
}

TEST_F(Reader, VerifyReportsEveryProblemItFinds)
{
    ASSERT_TRUE(reader.open("objects.kob"));
    const ReaderEntry first = reader.entries()[0];
    const ReaderEntry second = reader.entries()[1];
    std::string bytes = good;
    // A flipped first byte of the first entry's first compressed block (the
    // format has no checksum, so a flipped literal inside a block decodes
    // "fine"), and a wrong data offset on the second record.
    const size_t blockStart = first.dataOffset + 4 + 12 * 3;
    bytes[blockStart] = static_cast<char>(bytes[blockStart] ^ 0x5A);
    const size_t secondRecord = wordAt(good, 0) + 4 + (4 + first.name.size() + 24);
    bytes = withWord(bytes, secondRecord + 4 + second.name.size() + 8, second.dataOffset + 1);
    bytes[bytes.size() - 5] = 1; // last byte of the last record tail

    ASSERT_TRUE(openDamaged(bytes)) << reader.error();
    const std::string problems = testing::PrintToString(reader.verify());
    for (const char* problem : {"entry 0 (objects/a.txt), block 0: ", "entry 1 (objects/b.txt): data offset",
                                "entry 2 (objects/empty): record tail"})
        EXPECT_NE(problems.find(problem), std::string::npos) << problems;
}

TEST_F(Reader, DescriptorsThatLieAreCaught)
{
    ASSERT_TRUE(reader.open("objects.kob"));
    const ReaderEntry first = reader.entries()[0];
    // offset: within the first entry's data area (70000 bytes: 32768, 32768, 4464)
    const struct { const char* name; size_t offset; uint32_t value; const char* error; size_t offset2 = 0; uint32_t value2 = 0; } rows[] = {
        {"block count past the area", 0, 1000000, "block count 1000000"},
        {"compressed size past the area", 4, 0xFFFFFF00, "runs past the data area"},
        {"uncompressed size above a block", 8, 40000, "uncompressed size 40000"},
        {"second block at a wrong offset", 4 + 12 + 8, 3, "offset 3, expected"},
        {"a short block before the last, the sum kept", 8, 32000, "block 0: uncompressed size 32000", 4 + 24 + 4, 5232},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string damaged = withWord(good, first.dataOffset + row.offset, row.value);
        if (row.offset2)
            damaged = withWord(damaged, first.dataOffset + row.offset2, row.value2);
        ASSERT_TRUE(openDamaged(damaged));
        std::vector<uint8_t> data;
        std::string error;
        EXPECT_FALSE(reader.readEntry(0, data, error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}
