#include "source/NamePool.h"

#include <gtest/gtest.h>

#include <string>

TEST(NamePool, NewPoolIsEmpty)
{
    NamePool pool;
    EXPECT_EQ(pool.count(), 0u);
    EXPECT_EQ(pool.nameAt(0), nullptr);
    EXPECT_EQ(pool.textCapacity(), 0u) << "nothing is reserved in advance";
}

TEST(NamePool, NamesBackToBackWithOffsets)
{
    NamePool pool;
    pool.add("a/b.txt");
    pool.add("c");
    ASSERT_EQ(pool.count(), 2u);
    EXPECT_STREQ(pool.nameAt(0), "a/b.txt");
    EXPECT_STREQ(pool.nameAt(1), "c");
    EXPECT_EQ(pool.nameAt(2), nullptr);
    EXPECT_EQ(pool.textCount(), 10u);
    EXPECT_EQ(pool.nameAt(1) - pool.nameAt(0), 8) << "the second name starts after the first one's NUL";
}

TEST(NamePool, EmptyNameTakesOneByte)
{
    NamePool pool;
    pool.add("");
    EXPECT_EQ(pool.count(), 1u);
    EXPECT_EQ(pool.textCount(), 1u);
    EXPECT_STREQ(pool.nameAt(0), "");
}

TEST(NamePool, TextGrowsToTwiceCountPlusTwo)
{
    // bytes received -> capacity
    const std::pair<unsigned, unsigned> steps[] = {{1, 2}, {2, 2}, {3, 6}, {6, 6}, {7, 14}, {15, 30}, {31, 62}};
    for (const auto& [bytes, capacity] : steps) {
        NamePool pool;
        pool.add(std::string(bytes - 1, 'x').c_str()); // the NUL makes up the last byte
        EXPECT_EQ(pool.textCapacity(), capacity) << "after " << bytes << " bytes";
    }
}

TEST(NamePool, ThousandLongNamesReadBackInOrder)
{
    NamePool pool;
    auto nameFor = [](int i) { return std::string(100 - std::to_string(i).size(), 'n') + std::to_string(i); };
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(pool.add(nameFor(i).c_str()));
    EXPECT_EQ(pool.textCount(), 101000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(pool.nameAt(i), nameFor(i)) << "name " << i;
}
