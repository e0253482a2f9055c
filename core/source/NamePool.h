#pragma once
// The paths of all files collected for one pack job: NUL-terminated names
// back to back in one growable byte array, with an array of start offsets.

#include <cstdint>
#include <memory>

class NamePool {
public:
    NamePool() = default;
    NamePool(const NamePool&) = delete;
    NamePool& operator=(const NamePool&) = delete;

    // Appends `name` (up to its NUL) as the next name. Returns false, adding
    // nothing, when a 32-bit count or offset would overflow or storage cannot
    // be obtained.
    bool add(const char* name);

    uint32_t count() const { return offsets.count; }

    // The name at `index`, or nullptr when index >= count(). Valid until the
    // next add() that grows the text or the pool's destruction.
    const char* nameAt(uint32_t index) const;

private:
    // Grows to 2 x count + 2 elements when full, so capacities run 2, 6, 14, 30, ...
    template <class T>
    struct GrowArray {
        std::unique_ptr<T[]> data;
        uint32_t capacity = 0;
        uint32_t count = 0;
        bool push(T value);
    };

    GrowArray<char> text;
    GrowArray<uint32_t> offsets;
};
