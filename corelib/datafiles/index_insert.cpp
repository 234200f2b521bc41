// Inserting into the index file's tree: a leaf with room takes the entry; a
// full one splits at S, its new right half taking the later entries, and
// the split travels up through full parents, where the key at S moves up
// and belongs to neither half. A split root makes a new root.
#include <cstring>

#include "corelib/datafiles/index_file.h"
#include "corelib/datafiles/index_file_parts.h"

namespace corelib {

int IndexFile::InsertNormal(const uint8_t* key, int32_t record) {
    IndexPosition position;
    bool atEntry = false, exact = false;
    int error = Locate(key, record, position, atEntry, exact);
    if (error != kDataOk || exact)
        return error;

    const int32_t M = descriptor_.maxEntries;
    const int32_t S = descriptor_.splitPosition;
    const size_t pageSize = descriptor_.pageSize;
    const int leafLevel = static_cast<int>(position.path.size()) - 1;
    const IndexPathLevel leaf = position.path[leafLevel];
    {
        // A leaf with room takes the entry in place, in the cache.
        const uint8_t* cached = nullptr;
        if ((error = CachedPage(leaf.page, cached)) != kDataOk)
            return error;
        const int32_t count = ReadOnlyView(cached).Count();
        uint8_t* bytes = nullptr;
        if (count < M && (error = ChangedPage(leaf.page, bytes)) != kDataOk)
            return error;
        if (count < M) {
            PageView view(bytes, descriptor_.keySize);
            const size_t E = view.EntrySize();
            std::memmove(view.Entry(leaf.index + 1), view.Entry(leaf.index),
                         (count - leaf.index) * E);
            view.SetNumber(leaf.index, record);
            std::memcpy(view.Key(leaf.index), key, descriptor_.keySize);
            view.SetCount(count + 1);
            return kDataOk;
        }
    }
    std::vector<uint8_t> buffer(pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    if ((error = ReadPage(leaf.page, buffer.data())) != kDataOk)
        return error;
    const int32_t count = view.Count();
    const size_t E = view.EntrySize();

    // All entries with the new one in place, then cut where they belong.
    std::vector<uint8_t> entries((count + 1) * E);
    std::memcpy(entries.data(), view.Entry(0), leaf.index * E);
    WriteLeS32(entries.data() + leaf.index * E, record);
    std::memcpy(entries.data() + leaf.index * E + 4, key, descriptor_.keySize);
    std::memcpy(entries.data() + (leaf.index + 1) * E, view.Entry(leaf.index),
                (count - leaf.index) * E);

    int32_t right = 0;
    if ((error = AllocatePage(right)) != kDataOk)
        return error;
    std::vector<uint8_t> rightBuffer(pageSize, 0);
    PageView rightView(rightBuffer.data(), descriptor_.keySize);
    rightView.SetCount(count + 1 - S);
    std::memcpy(rightView.Entry(0), entries.data() + S * E, (count + 1 - S) * E);
    std::fill(buffer.begin() + 4, buffer.end(), 0);
    view.SetCount(S);
    std::memcpy(view.Entry(0), entries.data(), S * E);
    std::vector<uint8_t> separator(view.Key(S - 1), view.Key(S - 1) + descriptor_.keySize);
    if ((error = WritePage(leaf.page, buffer.data())) != kDataOk)
        return error;
    if ((error = WritePage(right, rightBuffer.data())) != kDataOk)
        return error;
    return InsertIntoParent(position, leafLevel - 1, leaf.page, separator.data(), right);
}

// The child at the path's index of `level` split into `left` (same page)
// and `right`, with `separator` the largest key of `left`.
int IndexFile::InsertIntoParent(IndexPosition& position, int level, int32_t left,
                                const uint8_t* separator, int32_t right) {
    const size_t pageSize = descriptor_.pageSize;
    const int32_t K = descriptor_.keySize;
    std::vector<uint8_t> buffer(pageSize, 0);
    PageView view(buffer.data(), K);
    const size_t E = view.EntrySize();
    int error = kDataOk;
    if (level < 0) {
        int32_t root = 0;
        if ((error = AllocatePage(root)) != kDataOk)
            return error;
        MakeTwoChildPage(view, left, separator, K, right);
        if ((error = WritePage(root, buffer.data())) != kDataOk)
            return error;
        header_.SetRoot(root);
        return kDataOk;
    }
    const IndexPathLevel parent = position.path[level];
    if ((error = ReadPage(parent.page, buffer.data())) != kDataOk)
        return error;
    const int32_t count = view.Count();
    const int32_t index = parent.index;
    if (index > count || view.Number(index) != left)
        return Damaged(DataDamage::IndexParentLostChild);

    // Entries 0..count (count + 1 of them) become count + 2: (left,
    // separator) goes in at the index and the old entry there, whose key
    // bounds the whole split page, now leads to the right page.
    std::vector<uint8_t> entries((count + 2) * E);
    std::memcpy(entries.data(), view.Entry(0), index * E);
    WriteLeS32(entries.data() + index * E, left);
    std::memcpy(entries.data() + index * E + 4, separator, K);
    std::memcpy(entries.data() + (index + 1) * E, view.Entry(index), (count + 1 - index) * E);
    WriteLeS32(entries.data() + (index + 1) * E, right);

    const int32_t M = descriptor_.maxEntries;
    const int32_t keys = count + 1;
    if (keys <= M) {
        std::memcpy(view.Entry(0), entries.data(), entries.size());
        view.SetCount(keys);
        return WritePage(parent.page, buffer.data());
    }
    // The key at S moves up and belongs to neither half.
    const int32_t S = descriptor_.splitPosition;
    int32_t rightPage = 0;
    if ((error = AllocatePage(rightPage)) != kDataOk)
        return error;
    std::vector<uint8_t> rightBuffer(pageSize, 0);
    PageView rightView(rightBuffer.data(), K);
    rightView.SetFlags(kPageInternal);
    rightView.SetCount(keys - S - 1);
    std::memcpy(rightView.Entry(0), entries.data() + (S + 1) * E, (keys - S) * E);
    std::vector<uint8_t> up(entries.data() + S * E + 4, entries.data() + S * E + 4 + K);

    std::fill(buffer.begin() + 4, buffer.end(), 0);
    view.SetCount(S);
    std::memcpy(view.Entry(0), entries.data(), (S + 1) * E);
    std::memset(view.Key(S), 0, K);
    if ((error = WritePage(parent.page, buffer.data())) != kDataOk)
        return error;
    if ((error = WritePage(rightPage, rightBuffer.data())) != kDataOk)
        return error;
    return InsertIntoParent(position, level - 1, parent.page, up.data(), rightPage);
}

}  // namespace corelib
