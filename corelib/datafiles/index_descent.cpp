// Finding places in the index file's tree: the descent to a key, the
// leftmost edge, and stepping from one leaf entry to the next over empty
// leaves. Every page followed is checked first, and no walk may go deeper
// or further than a sound tree could.
#include <cstring>

#include "corelib/datafiles/index_file.h"
#include "corelib/datafiles/index_file_parts.h"

namespace corelib {

int IndexFile::TreePage(int32_t page, const uint8_t*& bytes) {
    const int error = CachedPage(page, bytes);
    if (error != kDataOk)
        return error;
    const PageView view = ReadOnlyView(bytes);
    if (view.IsFree())
        return Damaged(DataDamage::IndexTreePageFree);
    if (view.Count() > descriptor_.maxEntries)
        return Damaged(DataDamage::IndexTooManyEntries);
    return kDataOk;
}

int IndexFile::Descend(const uint8_t* key, IndexPosition& position) {
    position.path.clear();
    int32_t page = header_.Root();
    while (position.path.size() < kMaxIndexDepth) {
        const uint8_t* bytes = nullptr;
        if (const int error = TreePage(page, bytes); error != kDataOk)
            return error;
        const PageView view = ReadOnlyView(bytes);
        const int32_t count = view.Count();
        // First entry whose key is at least the key.
        int32_t low = 0, high = count;
        while (low < high) {
            const int32_t middle = (low + high) / 2;
            if (order_.Compare(view.Key(middle), key) < 0) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        position.path.push_back({page, count, low});
        if (!view.IsInternal())
            return kDataOk;
        page = view.Number(low);
    }
    return Damaged(DataDamage::IndexTreeTooDeep);
}

int IndexFile::DescendLeftmost(int32_t page, std::vector<IndexPathLevel>& path) {
    for (;;) {
        if (path.size() >= kMaxIndexDepth)
            return Damaged(DataDamage::IndexTreeTooDeep);
        const uint8_t* bytes = nullptr;
        if (const int error = TreePage(page, bytes); error != kDataOk)
            return error;
        const PageView view = ReadOnlyView(bytes);
        path.push_back({page, view.Count(), 0});
        if (!view.IsInternal())
            return kDataOk;
        page = view.Number(0);
    }
}

int IndexFile::Settle(IndexPosition& position, bool& atEntry) {
    atEntry = false;
    if (position.path.empty())
        return kDataOk;
    // Only empty leaves are stepped over, and a sound tree has at most one
    // (an empty root): more hops than pages means damaged pages.
    for (int32_t hops = 0;; ++hops) {
        if (hops > header_.PageCount())
            return Damaged(DataDamage::IndexEmptyLeavesLoop);
        const IndexPathLevel& leaf = position.path.back();
        if (leaf.index < leaf.count) {
            atEntry = true;
            return kDataOk;
        }
        // Up to the nearest level with a child further right, then down its
        // leftmost edge.
        int level = static_cast<int>(position.path.size()) - 2;
        while (level >= 0 && position.path[level].index >= position.path[level].count)
            --level;
        if (level < 0)
            return kDataOk;
        std::vector<IndexPathLevel> path(position.path.begin(), position.path.begin() + level + 1);
        path.back().index += 1;
        const uint8_t* bytes = nullptr;
        int error = CachedPage(path.back().page, bytes);
        if (error != kDataOk)
            return error;
        const int32_t child = ReadOnlyView(bytes).Number(path.back().index);
        if ((error = DescendLeftmost(child, path)) != kDataOk)
            return error;
        position.path = std::move(path);
    }
}

int IndexFile::EntryAt(const IndexPosition& position, uint8_t* key, int32_t& record) {
    const IndexPathLevel& leaf = position.path.back();
    const uint8_t* bytes = nullptr;
    const int error = CachedPage(leaf.page, bytes);
    if (error != kDataOk)
        return error;
    const PageView view = ReadOnlyView(bytes);
    if (leaf.index >= std::min(view.Count(), descriptor_.maxEntries))
        return kDataNotFound;
    if (key != nullptr)
        std::memcpy(key, view.Key(leaf.index), descriptor_.keySize);
    record = view.Number(leaf.index);
    return kDataOk;
}

int IndexFile::SettleAndRead(IndexPosition& position, uint8_t* keyOut, int32_t& record) {
    bool atEntry = false;
    int error = Settle(position, atEntry);
    if (error == kDataOk)
        error = atEntry ? EntryAt(position, keyOut, record) : kDataNotFound;
    return error;
}

// Places `position` on the first entry at or after (key, record); equal keys
// are ordered by record number and may run over several leaves.
int IndexFile::Locate(const uint8_t* key, int32_t record, IndexPosition& position, bool& atEntry,
                      bool& exact) {
    exact = false;
    int error = Descend(key, position);
    if (error != kDataOk)
        return error;
    for (;;) {
        if ((error = Settle(position, atEntry)) != kDataOk || !atEntry)
            return error;
        IndexPathLevel& leaf = position.path.back();
        const uint8_t* bytes = nullptr;
        if ((error = CachedPage(leaf.page, bytes)) != kDataOk)
            return error;
        const PageView view = ReadOnlyView(bytes);
        while (leaf.index < leaf.count) {
            const int order = order_.Compare(view.Key(leaf.index), key);
            if (order > 0)
                return kDataOk;
            const int32_t entryRecord = view.Number(leaf.index);
            if (order == 0 && entryRecord >= record) {
                exact = entryRecord == record;
                return kDataOk;
            }
            ++leaf.index;
        }
    }
}

}  // namespace corelib
