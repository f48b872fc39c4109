#include "audio/TakeList.h"

namespace tabrix {

Take* TakeList::insertSorted(std::unique_ptr<Take> owned)
{
    if (!owned)
        return nullptr;
    Take* take = owned.release();
    take->next = nullptr;
    take->previous = nullptr;
    if (takeCount == 0 || first == nullptr) {
        first = last = take;
        takeCount = 1;
        return take;
    }
    // Walked from the tail: takes usually arrive in recording order, so the place is found at
    // once. Stopping at the last key not greater keeps equal keys in insertion order.
    const std::int64_t key = take->key();
    Take* node = last;
    while (node != nullptr && key < node->key())
        node = previousOf(node);
    if (node == nullptr) {
        take->next = first;
        first->previous = take;
        first = take;
    } else {
        take->previous = node;
        take->next = node->next;
        if (node->next != nullptr)
            node->next->previous = take;
        else
            last = take;
        node->next = take;
    }
    ++takeCount;
    return take;
}

void TakeList::clear()
{
    for (Take* node = first; node != nullptr;) {
        Take* following = nextOf(node);
        delete node;
        node = following;
    }
    takeCount = 0;
    first = last = nullptr;
}

} // namespace tabrix
