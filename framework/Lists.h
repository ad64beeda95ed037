// A list of untyped pointers.
#pragma once

#include "framework/SysUtils.h"

#include <algorithm>
#include <vector>

class TList {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // Grows with null entries or drops entries from the end.
    void SetCount(int count)
    {
        if (count < 0)
            throw Exception(Format("List count out of bounds (%d)", count));
        FItems.resize(static_cast<size_t>(count), nullptr);
    }

    void* Items(int index) const
    {
        CheckIndex(index);
        return FItems[static_cast<size_t>(index)];
    }

    // Appends `item` and returns its index.
    int Add(void* item)
    {
        FItems.push_back(item);
        return Count() - 1;
    }

    void Delete(int index)
    {
        CheckIndex(index);
        FItems.erase(FItems.begin() + index);
    }

    int IndexOf(void* item) const
    {
        auto it = std::find(FItems.begin(), FItems.end(), item);
        return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
    }

    void Clear() { FItems.clear(); }

private:
    void CheckIndex(int index) const
    {
        if (index < 0 || index >= Count())
            throw Exception(Format("List index out of bounds (%d)", index));
    }

    std::vector<void*> FItems;
};
