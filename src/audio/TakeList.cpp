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
    const std::int64_t key = take->key();
    Take* node = first;
    while (node != nullptr && !(key < node->key()))
        node = nextOf(node);
    if (node == nullptr) {
        take->previous = last;
        last->next = take;
        last = take;
    } else {
        take->next = node;
        take->previous = node->previous;
        if (node->previous != nullptr)
            node->previous->next = take;
        else
            first = take;
        node->previous = take;
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
