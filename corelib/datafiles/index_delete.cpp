// Deleting from the index file's tree. A leaf keeps its page while entries
// remain (a removed last entry corrects the separator above it); a leaf
// left empty is freed and its parent loses that child, which may in turn
// merge with or borrow from a sibling, up to the root.
#include <cstring>

#include "corelib/datafiles/index_file.h"
#include "corelib/datafiles/index_file_parts.h"

namespace corelib {

// A page with one key that has just lost one of its two children.
struct IndexFile::LoneChild {
    int32_t page;                       // the page itself
    int32_t remaining;                  // the child it still has
    std::vector<uint8_t> remainingMax;  // the largest key below that child
    bool maxChanged;                    // the page's largest key changed
    int32_t grand;                      // the page's parent
    int32_t at;                         // the page's index in its parent
};

int IndexFile::DeleteNormal(const uint8_t* key, int32_t record) {
    IndexPosition position;
    bool atEntry = false, exact = false;
    int error = Locate(key, record, position, atEntry, exact);
    if (error != kDataOk)
        return error;
    if (!exact)
        return kDataNoSuchEntry;

    std::vector<uint8_t> buffer(descriptor_.pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    const size_t E = view.EntrySize();
    const int leafLevel = static_cast<int>(position.path.size()) - 1;
    const IndexPathLevel leaf = position.path[leafLevel];
    if ((error = ReadPage(leaf.page, buffer.data())) != kDataOk)
        return error;
    const int32_t count = view.Count();
    if (count >= 2 || leafLevel == 0) {
        std::memmove(view.Entry(leaf.index), view.Entry(leaf.index + 1),
                     (count - leaf.index - 1) * E);
        std::memset(view.Entry(count - 1), 0, E);
        view.SetCount(count - 1);
        if ((error = WritePage(leaf.page, buffer.data())) != kDataOk)
            return error;
        if (leaf.index == count - 1 && count >= 2) {
            return CorrectSeparator(position, leafLevel - 1, view.Key(count - 2));
        }
        return kDataOk;
    }
    if ((error = FreePage(leaf.page)) != kDataOk)
        return error;
    return RemoveChild(position, leafLevel - 1, position.path[leafLevel - 1].index);
}

// The largest key below the path at `level` is now `key`: the separator
// that bounds it is the one at the nearest level whose path does not take
// the rightmost child.
int IndexFile::CorrectSeparator(const IndexPosition& position, int level, const uint8_t* key) {
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    for (; level >= 0; --level) {
        const IndexPathLevel& at = position.path[level];
        const int error = ReadPage(at.page, buffer.data());
        if (error != kDataOk)
            return error;
        if (at.index >= view.Count())
            continue;
        if (std::memcmp(view.Key(at.index), key, descriptor_.keySize) == 0)
            return kDataOk;
        std::memcpy(view.Key(at.index), key, descriptor_.keySize);
        return WritePage(at.page, buffer.data());
    }
    return kDataOk;
}

// The child `index` of the internal page at `level` is gone (its page
// already freed or merged away): drop its entry and keep the tree whole.
int IndexFile::RemoveChild(IndexPosition& position, int level, int32_t index) {
    const int32_t K = descriptor_.keySize;
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    PageView view(buffer.data(), K);
    const int32_t pageNumber = position.path[level].page;
    int error = ReadPage(pageNumber, buffer.data());
    if (error != kDataOk)
        return error;
    const int32_t count = view.Count();
    if (!view.IsInternal() || count < 1 || index > count)
        return Damaged(DataDamage::IndexNotInternal);
    if (count >= 2)
        return DropChildEntry(position, level, buffer, index);

    // One key, so one child is left.
    LoneChild lone{pageNumber,
                   index == 0 ? view.Number(1) : view.Number(0),
                   std::vector<uint8_t>(view.Key(0), view.Key(0) + K),
                   index == 1,
                   0,
                   0};
    if (level == 0) {
        // A root with one child hands the tree to it.
        header_.SetRoot(lone.remaining);
        return FreePage(pageNumber);
    }
    const IndexPathLevel grand = position.path[level - 1];
    std::vector<uint8_t> grandBuffer(descriptor_.pageSize);
    PageView grandView(grandBuffer.data(), K);
    if ((error = ReadPage(grand.page, grandBuffer.data())) != kDataOk)
        return error;
    const int32_t grandCount = grandView.Count();
    if (grand.index > grandCount || grandView.Number(grand.index) != pageNumber || grandCount < 1) {
        return Damaged(DataDamage::IndexParentLostChild);
    }
    lone.grand = grand.page;
    lone.at = grand.index;
    if (lone.at > 0)
        return MergeOrBorrowLeft(position, level, lone, grandBuffer);
    return MergeOrBorrowRight(position, level, lone, grandBuffer);
}

// A page with two or more keys simply drops the child's entry.
int IndexFile::DropChildEntry(IndexPosition& position, int level, std::vector<uint8_t>& page,
                              int32_t index) {
    const int32_t K = descriptor_.keySize;
    PageView view(page.data(), K);
    const size_t E = view.EntrySize();
    const int32_t count = view.Count();
    const int32_t pageNumber = position.path[level].page;
    if (index < count) {
        std::memmove(view.Entry(index), view.Entry(index + 1), (count - index) * E);
        std::memset(view.Entry(count), 0, E);
        view.SetCount(count - 1);
        return WritePage(pageNumber, page.data());
    }
    // The rightmost child went: the one before it takes its place and this
    // page's largest key is now the key that bounded that child.
    std::vector<uint8_t> newMax(view.Key(count - 1), view.Key(count - 1) + K);
    std::memset(view.Entry(count), 0, E);
    std::memset(view.Key(count - 1), 0, K);
    view.SetCount(count - 1);
    const int error = WritePage(pageNumber, page.data());
    if (error != kDataOk)
        return error;
    return CorrectSeparator(position, level - 1, newMax.data());
}

// The sibling a merge or borrow works with: an internal page of 1 to M
// keys, or damage.
int IndexFile::ReadSibling(int32_t page, std::vector<uint8_t>& bytes, int32_t& count) {
    bytes.resize(descriptor_.pageSize);
    const int error = ReadPage(page, bytes.data());
    if (error != kDataOk)
        return error;
    const PageView view(bytes.data(), descriptor_.keySize);
    count = view.Count();
    if (!view.IsInternal() || count < 1 || count > descriptor_.maxEntries)
        return Damaged(DataDamage::IndexSiblingDamaged);
    return kDataOk;
}

// Writes `page` afresh as an internal page of the two children.
int IndexFile::WriteTwoChildPage(int32_t page, int32_t left, const uint8_t* leftMax,
                                 int32_t right) {
    std::vector<uint8_t> bytes(descriptor_.pageSize, 0);
    PageView view(bytes.data(), descriptor_.keySize);
    MakeTwoChildPage(view, left, leftMax, size_t(descriptor_.keySize), right);
    return WritePage(page, bytes.data());
}

int IndexFile::MergeOrBorrowLeft(IndexPosition& position, int level, const LoneChild& lone,
                                 std::vector<uint8_t>& grand) {
    const int32_t K = descriptor_.keySize;
    PageView grandView(grand.data(), K);
    const int32_t left = grandView.Number(lone.at - 1);
    std::vector<uint8_t> leftMax(grandView.Key(lone.at - 1), grandView.Key(lone.at - 1) + K);
    std::vector<uint8_t> sibling;
    int32_t leftCount = 0;
    int error = ReadSibling(left, sibling, leftCount);
    if (error != kDataOk)
        return error;
    PageView siblingView(sibling.data(), K);
    if (leftCount + 1 <= descriptor_.maxEntries) {
        // Merge: the left sibling takes the remaining child as its new
        // rightmost, bounded by the left sibling's old largest key.
        std::memcpy(siblingView.Key(leftCount), leftMax.data(), K);
        siblingView.SetNumber(leftCount + 1, lone.remaining);
        siblingView.SetCount(leftCount + 1);
        if ((error = WritePage(left, sibling.data())) != kDataOk)
            return error;
        if ((error = FreePage(lone.page)) != kDataOk)
            return error;
        if (lone.maxChanged) {
            error = CorrectSeparator(position, level - 1, lone.remainingMax.data());
            if (error != kDataOk)
                return error;
        }
        if ((error = ReadPage(lone.grand, grand.data())) != kDataOk)
            return error;
        grandView.SetNumber(lone.at, left);
        if ((error = WritePage(lone.grand, grand.data())) != kDataOk)
            return error;
        return RemoveChild(position, level - 1, lone.at - 1);
    }
    // Borrow the left sibling's rightmost child.
    const int32_t borrowed = siblingView.Number(leftCount);
    std::vector<uint8_t> newLeftMax(siblingView.Key(leftCount - 1),
                                    siblingView.Key(leftCount - 1) + K);
    std::memset(siblingView.Entry(leftCount), 0, size_t(siblingView.EntrySize()));
    std::memset(siblingView.Key(leftCount - 1), 0, K);
    siblingView.SetCount(leftCount - 1);
    if ((error = WritePage(left, sibling.data())) != kDataOk)
        return error;
    if ((error = WriteTwoChildPage(lone.page, borrowed, leftMax.data(), lone.remaining)) !=
        kDataOk) {
        return error;
    }
    std::memcpy(grandView.Key(lone.at - 1), newLeftMax.data(), K);
    if ((error = WritePage(lone.grand, grand.data())) != kDataOk)
        return error;
    if (lone.maxChanged)
        return CorrectSeparator(position, level - 1, lone.remainingMax.data());
    return kDataOk;
}

// The first child of its parent works with the right sibling.
int IndexFile::MergeOrBorrowRight(IndexPosition& position, int level, const LoneChild& lone,
                                  std::vector<uint8_t>& grand) {
    const int32_t K = descriptor_.keySize;
    PageView grandView(grand.data(), K);
    const int32_t right = grandView.Number(1);
    std::vector<uint8_t> remainingMax = lone.remainingMax;
    if (!lone.maxChanged)
        std::memcpy(remainingMax.data(), grandView.Key(0), K);
    std::vector<uint8_t> sibling;
    int32_t rightCount = 0;
    int error = ReadSibling(right, sibling, rightCount);
    if (error != kDataOk)
        return error;
    PageView siblingView(sibling.data(), K);
    const size_t E = siblingView.EntrySize();
    if (rightCount + 1 <= descriptor_.maxEntries) {
        std::memmove(siblingView.Entry(1), siblingView.Entry(0), (rightCount + 1) * E);
        siblingView.SetNumber(0, lone.remaining);
        std::memcpy(siblingView.Key(0), remainingMax.data(), K);
        siblingView.SetCount(rightCount + 1);
        if ((error = WritePage(right, sibling.data())) != kDataOk)
            return error;
        if ((error = FreePage(lone.page)) != kDataOk)
            return error;
        return RemoveChild(position, level - 1, 0);
    }
    // Borrow the right sibling's first child.
    const int32_t borrowed = siblingView.Number(0);
    std::vector<uint8_t> borrowedMax(siblingView.Key(0), siblingView.Key(0) + K);
    std::memmove(siblingView.Entry(0), siblingView.Entry(1), rightCount * E);
    std::memset(siblingView.Entry(rightCount), 0, E);
    siblingView.SetCount(rightCount - 1);
    if ((error = WritePage(right, sibling.data())) != kDataOk)
        return error;
    if ((error = WriteTwoChildPage(lone.page, lone.remaining, remainingMax.data(), borrowed)) !=
        kDataOk) {
        return error;
    }
    std::memcpy(grandView.Key(0), borrowedMax.data(), K);
    return WritePage(lone.grand, grand.data());
}

}  // namespace corelib
