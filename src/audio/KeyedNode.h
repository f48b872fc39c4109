#pragma once
#include <cstdint>

namespace tabrix {

/// A node of a doubly linked list ordered by a 64-bit sort key.
class KeyedNode {
public:
    virtual ~KeyedNode() = default;

    /// Sort key; the base node's is 0.
    virtual std::int64_t key() const { return 0; }

    /// -1 when `other` is none or this key is lower, 0 when equal, else 1.
    int compare(const KeyedNode* other) const
    {
        if (other == nullptr)
            return -1;
        const std::int64_t mine = key();
        const std::int64_t theirs = other->key();
        return mine == theirs ? 0 : (mine < theirs ? -1 : 1);
    }

    KeyedNode* next = nullptr;
    KeyedNode* previous = nullptr;
};

} // namespace tabrix
