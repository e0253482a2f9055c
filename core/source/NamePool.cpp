#include "source/NamePool.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

template <class T>
bool NamePool::GrowArray<T>::push(T value)
{
    if (count == capacity) {
        const uint64_t wanted = std::max<uint64_t>(2ull * count + 2, 2);
        const uint32_t newCapacity = static_cast<uint32_t>(
            std::min<uint64_t>(wanted, std::numeric_limits<uint32_t>::max()));
        if (newCapacity <= count)
            return false;
        std::unique_ptr<T[]> grown(new (std::nothrow) T[newCapacity]);
        if (!grown)
            return false;
        std::copy(data.get(), data.get() + count, grown.get());
        data = std::move(grown);
        capacity = newCapacity;
    }
    data[count++] = value;
    return true;
}

bool NamePool::add(const char* name)
{
    const size_t length = std::strlen(name);
    // Refuse up front rather than leave half a name behind.
    if (uint64_t(text.count) + length + 1 > std::numeric_limits<uint32_t>::max()
        || offsets.count == std::numeric_limits<uint32_t>::max())
        return false;
    const uint32_t start = text.count;
    if (!offsets.push(start))
        return false;
    for (size_t i = 0; i <= length; ++i) { // the NUL included
        if (!text.push(name[i])) {
            text.count = start;
            --offsets.count;
            return false;
        }
    }
    return true;
}

const char* NamePool::nameAt(uint32_t index) const
{
    if (index >= offsets.count)
        return nullptr;
    return text.data.get() + offsets.data[index];
}
