#pragma once
#include "audio/BwfFile.h"

#include <cstdint>
#include <memory>

namespace tabrix {

/// The project's takes in ascending order of `key` (recording time). Takes with equal keys stay
/// in insertion order. The list owns its takes.
class TakeList {
public:
    TakeList() = default;
    ~TakeList() { clear(); }
    TakeList(const TakeList&) = delete;
    TakeList& operator=(const TakeList&) = delete;

    /// Links the take in after every take whose key is not greater; returns it (none for none).
    Take* insertSorted(std::unique_ptr<Take> take);
    /// Destroys every take (closing its file) and empties the list.
    void clear();
    std::uint32_t count() const noexcept { return takeCount; }
    Take* head() const noexcept { return first; }
    Take* tail() const noexcept { return last; }

    static Take* nextOf(const Take* take) noexcept { return static_cast<Take*>(take->next); }
    static Take* previousOf(const Take* take) noexcept { return static_cast<Take*>(take->previous); }

private:
    std::uint32_t takeCount = 0;
    Take* first = nullptr;
    Take* last = nullptr;
};

} // namespace tabrix
