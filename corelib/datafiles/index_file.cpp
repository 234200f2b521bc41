#include "corelib/datafiles/index_file.h"

#include <algorithm>
#include <cstring>

#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/data_file_io.h"
#include "corelib/datafiles/range_locks.h"

namespace corelib {

namespace {

// Deeper than any tree of 2^31 pages could be: a deeper descent means the
// pages form a loop.
constexpr size_t kMaxDepth = 64;

// Soft answers change nothing, so they do not spoil the access.
bool IsHardError(int error) {
    return error != kDataOk && error != kDataNotFound && error != kDataNoSuchEntry;
}

bool SameLayout(const IndexDescriptor& a, const IndexDescriptor& b) {
    if (a.pageSize != b.pageSize || a.keySize != b.keySize || a.maxEntries != b.maxEntries ||
        a.splitPosition != b.splitPosition || a.conversionMode != b.conversionMode ||
        a.flags != b.flags) {
        return false;
    }
    const size_t parts = std::min<size_t>(b.partTypes.size(), kLayoutMaxParts);
    return a.partTypes.size() == parts &&
           std::equal(a.partTypes.begin(), a.partTypes.end(), b.partTypes.begin());
}

// Fills a cleared page as an internal page with two children: `left`, whose
// keys go up to `leftMax`, and `right`.
void MakeTwoChildPage(PageView& view, int32_t left, const uint8_t* leftMax, size_t keySize,
                      int32_t right) {
    view.SetFlags(kPageInternal);
    view.SetCount(1);
    view.SetNumber(0, left);
    std::memcpy(view.Key(0), leftMax, keySize);
    view.SetNumber(1, right);
}

// Keys are compared in their normal form; the caller's key stays as given.
std::vector<uint8_t> NormalisedKey(const IndexDescriptor& descriptor, const uint8_t* key) {
    std::vector<uint8_t> normal(key, key + descriptor.keySize);
    NormaliseKey(descriptor, normal.data());
    return normal;
}

}  // namespace

IndexFile::IndexFile(const IndexDescriptor& descriptor) : descriptor_(descriptor) {
    StoreInt32(header_.bytes, static_cast<int32_t>(kIndexMagic));
    StoreInt32(header_.bytes + 4, static_cast<int32_t>(kIndexVersion));
    StoreInt32(header_.bytes + 16, 0);
    StoreInt32(header_.bytes + 20, 0);
}

IndexFile::~IndexFile() {
    Close();
}

int IndexFile::Create(std::string_view path, const IndexDescriptor& d) {
    if (*DescriptorProblem(d) != 0)
        return kDataInvalidFile;
    IndexHeader header;
    StoreInt32(header.bytes, static_cast<int32_t>(kIndexMagic));
    StoreInt32(header.bytes + 4, static_cast<int32_t>(kIndexVersion));
    header.SetPageCount(1);
    header.SetRoot(1);
    header.StoreLayout(d);
    std::vector<uint8_t> bytes(2 * static_cast<size_t>(d.pageSize), 0);
    std::memcpy(bytes.data(), header.bytes, kIndexHeaderSize);

    platform::File file;
    const int error = DataErrorFromFile(file.Open(path, platform::OpenMode::CreateTruncate));
    if (error != kDataOk)
        return error;
    return WriteAt(file, 0, bytes.data(), bytes.size());
}

int IndexFile::Open(std::string_view path) {
    Close();
    if (*DescriptorProblem(descriptor_) != 0)
        return kDataInvalidFile;
    return DataErrorFromFile(file_.Open(path, platform::OpenMode::ReadWrite));
}

void IndexFile::Close() {
    if (nesting_ > 0) {
        nesting_ = 1;
        EndAccess();
    }
    file_.Close();
}

int IndexFile::BeginAccess() {
    if (!file_.IsOpen())
        return kDataOtherFailure;
    if (nesting_ > 0) {
        ++nesting_;
        return kDataOk;
    }
    int error = LockRange(file_, -1, true);
    if (error != kDataOk)
        return error;
    IndexHeader loaded;
    error = ReadExactly(file_, 0, loaded.bytes, kIndexHeaderSize, kDataOtherFailure);
    IndexDescriptor recorded;
    if (error == kDataOk && (loaded.Magic() != kIndexMagic || loaded.PageCount() < 1 ||
                             loaded.Root() < 1 || loaded.Root() > loaded.PageCount() ||
                             (loaded.LoadLayout(recorded) && !SameLayout(recorded, descriptor_)))) {
        error = kDataInvalidFile;
    }
    if (error != kDataOk) {
        LockRange(file_, -1, false);
        return error;
    }
    header_ = loaded;
    headerAsRead_ = loaded;
    headerLoaded_ = true;
    failed_ = false;
    truncatePending_ = false;
    cachePages_.clear();
    cacheDirty_.clear();
    cacheBytes_.assign(static_cast<size_t>(kCachePages) * descriptor_.pageSize, 0);
    nesting_ = 1;
    return kDataOk;
}

int IndexFile::EndAccess() {
    if (nesting_ == 0)
        return kDataOtherFailure;
    if (--nesting_ > 0)
        return kDataOk;
    int error = kDataOk;
    // After a failed operation the cached changes may be half done; the file
    // keeps its last whole state instead.
    if (!failed_) {
        error = FlushCache();
        if (error == kDataOk &&
            std::memcmp(header_.bytes, headerAsRead_.bytes, kIndexHeaderSize) != 0) {
            error = WriteAt(file_, 0, header_.bytes, kIndexHeaderSize);
        }
        if (error == kDataOk && truncatePending_) {
            error = DataErrorFromFile(
                file_.SetLength(int64_t{header_.PageCount() + 1} * descriptor_.pageSize));
        }
    }
    truncatePending_ = false;
    cachePages_.clear();
    cacheDirty_.clear();
    headerLoaded_ = false;
    const int unlocked = LockRange(file_, -1, false);
    return error != kDataOk ? error : unlocked;
}

int IndexFile::Fail(int error) {
    if (IsHardError(error))
        failed_ = true;
    return error;
}

// ---- Page cache ----

int IndexFile::CacheSlot(int32_t page) {
    const auto found = std::find(cachePages_.begin(), cachePages_.end(), page);
    return found == cachePages_.end() ? -1 : static_cast<int>(found - cachePages_.begin());
}

int IndexFile::MakeRoomInCache() {
    if (cachePages_.size() < static_cast<size_t>(kCachePages))
        return kDataOk;
    const size_t pageSize = descriptor_.pageSize;
    for (int slot = 0; slot < 3; ++slot) {
        if (!cacheDirty_[slot])
            continue;
        const int error = WriteAt(file_, int64_t{cachePages_[slot]} * descriptor_.pageSize,
                                  cacheBytes_.data() + slot * pageSize, pageSize);
        if (error != kDataOk)
            return error;
    }
    cachePages_.erase(cachePages_.begin(), cachePages_.begin() + 3);
    cacheDirty_.erase(cacheDirty_.begin(), cacheDirty_.begin() + 3);
    std::memmove(cacheBytes_.data(), cacheBytes_.data() + 3 * pageSize,
                 cachePages_.size() * pageSize);
    return kDataOk;
}

int IndexFile::CachedPage(int32_t page, const uint8_t*& bytes) {
    if (page < 1 || page > header_.PageCount())
        return kDataInvalidFile;
    const size_t pageSize = descriptor_.pageSize;
    int slot = CacheSlot(page);
    if (slot < 0) {
        int error = MakeRoomInCache();
        if (error != kDataOk)
            return error;
        slot = static_cast<int>(cachePages_.size());
        error = ReadExactly(file_, int64_t{page} * descriptor_.pageSize,
                            cacheBytes_.data() + slot * pageSize, pageSize, kDataShortPageRead);
        if (error != kDataOk)
            return error;
        cachePages_.push_back(page);
        cacheDirty_.push_back(false);
    }
    bytes = cacheBytes_.data() + slot * pageSize;
    return kDataOk;
}

int IndexFile::ReadPage(int32_t page, uint8_t* out) {
    const uint8_t* bytes = nullptr;
    const int error = CachedPage(page, bytes);
    if (error == kDataOk)
        std::memcpy(out, bytes, descriptor_.pageSize);
    return error;
}

int IndexFile::WritePage(int32_t page, const uint8_t* bytes) {
    const size_t pageSize = descriptor_.pageSize;
    int slot = CacheSlot(page);
    if (slot < 0) {
        const int error = MakeRoomInCache();
        if (error != kDataOk)
            return error;
        slot = static_cast<int>(cachePages_.size());
        cachePages_.push_back(page);
        cacheDirty_.push_back(true);
    }
    std::memcpy(cacheBytes_.data() + slot * pageSize, bytes, pageSize);
    cacheDirty_[slot] = true;
    return kDataOk;
}

int IndexFile::FlushCache() {
    const size_t pageSize = descriptor_.pageSize;
    for (size_t slot = 0; slot < cachePages_.size(); ++slot) {
        if (!cacheDirty_[slot])
            continue;
        const int error = WriteAt(file_, int64_t{cachePages_[slot]} * descriptor_.pageSize,
                                  cacheBytes_.data() + slot * pageSize, pageSize);
        if (error != kDataOk)
            return error;
        cacheDirty_[slot] = false;
    }
    return kDataOk;
}

void IndexFile::DropCacheBeyond(int32_t lastPage) {
    const size_t pageSize = descriptor_.pageSize;
    size_t kept = 0;
    for (size_t slot = 0; slot < cachePages_.size(); ++slot) {
        if (cachePages_[slot] > lastPage)
            continue;
        if (kept != slot) {
            cachePages_[kept] = cachePages_[slot];
            cacheDirty_[kept] = cacheDirty_[slot];
            std::memmove(cacheBytes_.data() + kept * pageSize, cacheBytes_.data() + slot * pageSize,
                         pageSize);
        }
        ++kept;
    }
    cachePages_.resize(kept);
    cacheDirty_.resize(kept);
}

// ---- Free pages ----

template <typename Change>
int IndexFile::ChangePage(int32_t page, Change change) {
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    const int error = ReadPage(page, buffer.data());
    if (error != kDataOk)
        return error;
    PageView view(buffer.data(), descriptor_.keySize);
    change(view);
    return WritePage(page, buffer.data());
}

int IndexFile::AllocatePage(int32_t& page) {
    const int32_t head = header_.FreeHead();
    if (head == 0) {
        page = header_.PageCount() + 1;
        header_.SetPageCount(page);
        return kDataOk;
    }
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    int error = ReadPage(head, buffer.data());
    if (error != kDataOk)
        return error;
    PageView view(buffer.data(), descriptor_.keySize);
    if (!view.IsFree())
        return kDataInvalidFile;
    const int32_t next = view.FreeNext();
    header_.SetFreeHead(next);
    header_.SetFreeCount(std::max(header_.FreeCount() - 1, 0));
    if (next != 0) {
        error = ChangePage(next, [](PageView& nextView) { nextView.SetFreePrev(0); });
        if (error != kDataOk)
            return error;
    }
    page = head;
    return kDataOk;
}

int IndexFile::UnlinkFreePage(int32_t page) {
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    int error = ReadPage(page, buffer.data());
    if (error != kDataOk)
        return error;
    PageView view(buffer.data(), descriptor_.keySize);
    const int32_t prev = view.FreePrev();
    const int32_t next = view.FreeNext();
    if (prev != 0) {
        error = ChangePage(prev, [next](PageView& prevView) { prevView.SetFreeNext(next); });
        if (error != kDataOk)
            return error;
    } else {
        header_.SetFreeHead(next);
    }
    if (next != 0) {
        error = ChangePage(next, [prev](PageView& nextView) { nextView.SetFreePrev(prev); });
        if (error != kDataOk)
            return error;
    }
    header_.SetFreeCount(std::max(header_.FreeCount() - 1, 0));
    return kDataOk;
}

int IndexFile::FreePage(int32_t page) {
    std::vector<uint8_t> buffer(descriptor_.pageSize, 0);
    PageView view(buffer.data(), descriptor_.keySize);
    int error = kDataOk;
    if (page == header_.PageCount()) {
        // The last page goes back to the file system, with every free page
        // that then ends the file.
        int32_t last = page - 1;
        while (last >= 1) {
            if ((error = ReadPage(last, buffer.data())) != kDataOk)
                return error;
            if (!view.IsFree())
                break;
            if ((error = UnlinkFreePage(last)) != kDataOk)
                return error;
            --last;
        }
        header_.SetPageCount(last);
        DropCacheBeyond(last);
        // The file is cut when the access ends, together with the header
        // that no longer counts the pages, so a failure in between leaves
        // the old header and the old length side by side.
        truncatePending_ = true;
        return kDataOk;
    }
    const int32_t head = header_.FreeHead();
    if (head != 0) {
        error = ChangePage(head, [page](PageView& headView) { headView.SetFreePrev(page); });
        if (error != kDataOk)
            return error;
    }
    view.SetFlags(kPageFree);
    view.SetFreePrev(0);
    view.SetFreeNext(head);
    header_.SetFreeHead(page);
    header_.SetFreeCount(header_.FreeCount() + 1);
    return WritePage(page, buffer.data());
}

// ---- Descent and positions ----

int IndexFile::Descend(const uint8_t* key, IndexPosition& position) {
    position.path.clear();
    int32_t page = header_.Root();
    while (position.path.size() < kMaxDepth) {
        const uint8_t* bytes = nullptr;
        const int error = CachedPage(page, bytes);
        if (error != kDataOk)
            return error;
        const PageView view = ReadOnlyView(bytes);
        const int32_t count = view.Count();
        if (view.IsFree() || count > descriptor_.maxEntries)
            return kDataInvalidFile;
        // First entry whose key is at least the key.
        int32_t low = 0, high = count;
        while (low < high) {
            const int32_t middle = (low + high) / 2;
            if (CompareKeys(descriptor_, view.Key(middle), key) < 0) {
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
    return kDataInvalidFile;
}

int IndexFile::Settle(IndexPosition& position, bool& atEntry) {
    atEntry = false;
    if (position.path.empty())
        return kDataOk;
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    // Only empty leaves are stepped over, and a sound tree has at most one
    // (an empty root): more hops than pages means damaged pages.
    for (int32_t hops = 0;; ++hops) {
        if (hops > header_.PageCount())
            return kDataInvalidFile;
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
        int error = ReadPage(path.back().page, buffer.data());
        if (error != kDataOk)
            return error;
        int32_t page = view.Number(path.back().index);
        for (;;) {
            if (path.size() >= kMaxDepth)
                return kDataInvalidFile;
            if ((error = ReadPage(page, buffer.data())) != kDataOk)
                return error;
            if (view.IsFree() || view.Count() > descriptor_.maxEntries)
                return kDataInvalidFile;
            path.push_back({page, view.Count(), 0});
            if (!view.IsInternal())
                break;
            page = view.Number(0);
        }
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

// Places `position` on the first entry at or after (key, record); equal keys
// are ordered by record number and may run over several leaves.
int IndexFile::SettleAndRead(IndexPosition& position, uint8_t* keyOut, int32_t& record) {
    bool atEntry = false;
    int error = Settle(position, atEntry);
    if (error == kDataOk)
        error = atEntry ? EntryAt(position, keyOut, record) : kDataNotFound;
    return error;
}

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
            const int order = CompareKeys(descriptor_, view.Key(leaf.index), key);
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

// ---- Insert ----

int IndexFile::Insert(const uint8_t* key, int32_t record) {
    return ChangeEntry(key, record, &IndexFile::InsertNormal);
}

int IndexFile::ChangeEntry(const uint8_t* key, int32_t record,
                           int (IndexFile::*change)(const uint8_t*, int32_t)) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    const std::vector<uint8_t> normal = NormalisedKey(descriptor_, key);
    const int error = Fail((this->*change)(normal.data(), record));
    const int ended = access.End();
    return error != kDataOk ? error : ended;
}

int IndexFile::InsertNormal(const uint8_t* key, int32_t record) {
    IndexPosition position;
    bool atEntry = false, exact = false;
    int error = Locate(key, record, position, atEntry, exact);
    if (error != kDataOk || exact)
        return error;

    const int32_t M = descriptor_.maxEntries;
    const int32_t S = descriptor_.splitPosition;
    const size_t pageSize = descriptor_.pageSize;
    std::vector<uint8_t> buffer(pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    const int leafLevel = static_cast<int>(position.path.size()) - 1;
    const IndexPathLevel leaf = position.path[leafLevel];
    if ((error = ReadPage(leaf.page, buffer.data())) != kDataOk)
        return error;
    const int32_t count = view.Count();
    const size_t E = view.EntrySize();

    // All entries with the new one in place, then cut where they belong.
    std::vector<uint8_t> entries((count + 1) * E);
    std::memcpy(entries.data(), view.Entry(0), leaf.index * E);
    StoreInt32(entries.data() + leaf.index * E, record);
    std::memcpy(entries.data() + leaf.index * E + 4, key, descriptor_.keySize);
    std::memcpy(entries.data() + (leaf.index + 1) * E, view.Entry(leaf.index),
                (count - leaf.index) * E);

    if (count < M) {
        std::memcpy(view.Entry(0), entries.data(), entries.size());
        view.SetCount(count + 1);
        return WritePage(leaf.page, buffer.data());
    }
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
        return kDataInvalidFile;

    // Entries 0..count (count + 1 of them) become count + 2: (left,
    // separator) goes in at the index and the old entry there, whose key
    // bounds the whole split page, now leads to the right page.
    std::vector<uint8_t> entries((count + 2) * E);
    std::memcpy(entries.data(), view.Entry(0), index * E);
    StoreInt32(entries.data() + index * E, left);
    std::memcpy(entries.data() + index * E + 4, separator, K);
    std::memcpy(entries.data() + (index + 1) * E, view.Entry(index), (count + 1 - index) * E);
    StoreInt32(entries.data() + (index + 1) * E, right);

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

// ---- Delete ----

int IndexFile::Delete(const uint8_t* key, int32_t record) {
    return ChangeEntry(key, record, &IndexFile::DeleteNormal);
}

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
    const int32_t M = descriptor_.maxEntries;
    const size_t pageSize = descriptor_.pageSize;
    std::vector<uint8_t> buffer(pageSize);
    PageView view(buffer.data(), K);
    const size_t E = view.EntrySize();
    const int32_t pageNumber = position.path[level].page;
    int error = ReadPage(pageNumber, buffer.data());
    if (error != kDataOk)
        return error;
    const int32_t count = view.Count();
    if (!view.IsInternal() || count < 1 || index > count)
        return kDataInvalidFile;

    if (count >= 2) {
        if (index < count) {
            std::memmove(view.Entry(index), view.Entry(index + 1), (count - index) * E);
            std::memset(view.Entry(count), 0, E);
            view.SetCount(count - 1);
            return WritePage(pageNumber, buffer.data());
        }
        // The rightmost child went: the one before it takes its place and
        // this page's largest key is now the key that bounded that child.
        std::vector<uint8_t> newMax(view.Key(count - 1), view.Key(count - 1) + K);
        std::memset(view.Entry(count), 0, E);
        std::memset(view.Key(count - 1), 0, K);
        view.SetCount(count - 1);
        if ((error = WritePage(pageNumber, buffer.data())) != kDataOk)
            return error;
        return CorrectSeparator(position, level - 1, newMax.data());
    }

    // One key, so one child is left.
    const int32_t remaining = index == 0 ? view.Number(1) : view.Number(0);
    const bool maxChanged = index == 1;
    std::vector<uint8_t> remainingMax(view.Key(0), view.Key(0) + K);
    if (level == 0) {
        header_.SetRoot(remaining);
        return FreePage(pageNumber);
    }

    const IndexPathLevel grand = position.path[level - 1];
    std::vector<uint8_t> grandBuffer(pageSize);
    PageView grandView(grandBuffer.data(), K);
    if ((error = ReadPage(grand.page, grandBuffer.data())) != kDataOk)
        return error;
    const int32_t grandCount = grandView.Count();
    const int32_t at = grand.index;
    if (at > grandCount || grandView.Number(at) != pageNumber || grandCount < 1) {
        return kDataInvalidFile;
    }
    std::vector<uint8_t> sibling(pageSize);
    PageView siblingView(sibling.data(), K);

    if (at > 0) {
        const int32_t left = grandView.Number(at - 1);
        std::vector<uint8_t> leftMax(grandView.Key(at - 1), grandView.Key(at - 1) + K);
        if ((error = ReadPage(left, sibling.data())) != kDataOk)
            return error;
        const int32_t leftCount = siblingView.Count();
        if (!siblingView.IsInternal() || leftCount < 1 || leftCount > M)
            return kDataInvalidFile;
        if (leftCount + 1 <= M) {
            // Merge: the left sibling takes the remaining child as its new
            // rightmost, bounded by the left sibling's old largest key.
            std::memcpy(siblingView.Key(leftCount), leftMax.data(), K);
            siblingView.SetNumber(leftCount + 1, remaining);
            siblingView.SetCount(leftCount + 1);
            if ((error = WritePage(left, sibling.data())) != kDataOk)
                return error;
            if ((error = FreePage(pageNumber)) != kDataOk)
                return error;
            if (maxChanged) {
                error = CorrectSeparator(position, level - 1, remainingMax.data());
                if (error != kDataOk)
                    return error;
            }
            if ((error = ReadPage(grand.page, grandBuffer.data())) != kDataOk)
                return error;
            grandView.SetNumber(at, left);
            if ((error = WritePage(grand.page, grandBuffer.data())) != kDataOk)
                return error;
            return RemoveChild(position, level - 1, at - 1);
        }
        // Borrow the left sibling's rightmost child.
        const int32_t borrowed = siblingView.Number(leftCount);
        std::vector<uint8_t> newLeftMax(siblingView.Key(leftCount - 1),
                                        siblingView.Key(leftCount - 1) + K);
        std::memset(siblingView.Entry(leftCount), 0, E);
        std::memset(siblingView.Key(leftCount - 1), 0, K);
        siblingView.SetCount(leftCount - 1);
        if ((error = WritePage(left, sibling.data())) != kDataOk)
            return error;
        std::fill(buffer.begin(), buffer.end(), 0);
        MakeTwoChildPage(view, borrowed, leftMax.data(), K, remaining);
        if ((error = WritePage(pageNumber, buffer.data())) != kDataOk)
            return error;
        std::memcpy(grandView.Key(at - 1), newLeftMax.data(), K);
        if ((error = WritePage(grand.page, grandBuffer.data())) != kDataOk)
            return error;
        if (maxChanged)
            return CorrectSeparator(position, level - 1, remainingMax.data());
        return kDataOk;
    }

    // The first child of its parent: work with the right sibling.
    const int32_t right = grandView.Number(1);
    if (!maxChanged)
        std::memcpy(remainingMax.data(), grandView.Key(0), K);
    if ((error = ReadPage(right, sibling.data())) != kDataOk)
        return error;
    const int32_t rightCount = siblingView.Count();
    if (!siblingView.IsInternal() || rightCount < 1 || rightCount > M)
        return kDataInvalidFile;
    if (rightCount + 1 <= M) {
        std::memmove(siblingView.Entry(1), siblingView.Entry(0), (rightCount + 1) * E);
        siblingView.SetNumber(0, remaining);
        std::memcpy(siblingView.Key(0), remainingMax.data(), K);
        siblingView.SetCount(rightCount + 1);
        if ((error = WritePage(right, sibling.data())) != kDataOk)
            return error;
        if ((error = FreePage(pageNumber)) != kDataOk)
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
    std::fill(buffer.begin(), buffer.end(), 0);
    MakeTwoChildPage(view, remaining, remainingMax.data(), K, borrowed);
    if ((error = WritePage(pageNumber, buffer.data())) != kDataOk)
        return error;
    std::memcpy(grandView.Key(0), borrowedMax.data(), K);
    return WritePage(grand.page, grandBuffer.data());
}

// ---- Update and stepping ----

int IndexFile::Update(const uint8_t* oldKey, const uint8_t* newKey, int32_t record) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    const std::vector<uint8_t> oldNormal = NormalisedKey(descriptor_, oldKey);
    const std::vector<uint8_t> newNormal = NormalisedKey(descriptor_, newKey);
    int error = kDataOk;
    if (std::memcmp(oldKey, newKey, descriptor_.keySize) != 0) {
        error = Fail(DeleteNormal(oldNormal.data(), record));
        if (error == kDataOk)
            error = Fail(InsertNormal(newNormal.data(), record));
    }
    const int ended = access.End();
    return error != kDataOk ? error : ended;
}

int IndexFile::Search(const uint8_t* key, IndexPosition& position, uint8_t* keyOut,
                      int32_t& record) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    const std::vector<uint8_t> normal = NormalisedKey(descriptor_, key);
    int error = Descend(normal.data(), position);
    if (error == kDataOk)
        error = SettleAndRead(position, keyOut, record);
    const int ended = access.End();
    return Fail(error != kDataOk ? error : ended);
}

int IndexFile::First(IndexPosition& position, uint8_t* keyOut, int32_t& record) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    std::vector<uint8_t> buffer(descriptor_.pageSize);
    PageView view(buffer.data(), descriptor_.keySize);
    position.path.clear();
    int error = kDataOk;
    for (int32_t page = header_.Root();;) {
        if (position.path.size() >= kMaxDepth) {
            error = kDataInvalidFile;
            break;
        }
        if ((error = ReadPage(page, buffer.data())) != kDataOk)
            break;
        if (view.IsFree() || view.Count() > descriptor_.maxEntries) {
            error = kDataInvalidFile;
            break;
        }
        position.path.push_back({page, view.Count(), 0});
        if (!view.IsInternal())
            break;
        page = view.Number(0);
    }
    if (error == kDataOk)
        error = SettleAndRead(position, keyOut, record);
    const int ended = access.End();
    return Fail(error != kDataOk ? error : ended);
}

int IndexFile::Next(IndexPosition& position, uint8_t* keyOut, int32_t& record) {
    if (position.path.empty())
        return kDataNotFound;
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    IndexPathLevel& leaf = position.path.back();
    if (leaf.index < leaf.count)
        ++leaf.index;
    const int error = SettleAndRead(position, keyOut, record);
    const int ended = access.End();
    return Fail(error != kDataOk ? error : ended);
}

}  // namespace corelib
