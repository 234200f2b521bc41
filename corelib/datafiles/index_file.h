// The index file of a database table: a B-tree of fixed-size pages ordering
// the table's records by key, duplicates ordered by record number.
//
// Every operation runs between BeginAccess and EndAccess (the operations
// below nest their own pair), under a lock on the whole file, so several
// processes can share one index. Pages are read through an 18-page cache
// whose dirty pages, with the header, are written back when the outermost
// EndAccess releases the lock; the cache is then emptied, since another
// process may change the file as soon as the lock is gone. Pages the cache
// lacks are copied from a mapped view of the file (index_page_cache.cpp).
//
// An access is all or nothing: after an operation failed, EndAccess puts
// back every page the cache had to write early and the file's length, so
// the file is as the access found it. A header whose counts point past the
// file is damage found by BeginAccess, before anything is written.
//
// The parts: index_file.cpp (opening, accesses, the entry points),
// index_page_cache.cpp, index_free_list.cpp, index_descent.cpp (searching
// and stepping), index_insert.cpp and index_delete.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/index_format.h"
#include "corelib/datafiles/index_key.h"
#include "platform/files/file.h"
#include "platform/files/file_view.h"

namespace corelib {

// One level of a descent: the page, its entry count and the entry taken.
struct IndexPathLevel {
    int32_t page = 0;
    int32_t count = 0;
    int32_t index = 0;
};

// A place among the leaf entries, as left by Search and Next. It stays valid
// while the caller's BeginAccess is held and the index is not changed.
struct IndexPosition {
    std::vector<IndexPathLevel> path;
};

class IndexFile {
public:
    static constexpr int kCachePages = 18;

    explicit IndexFile(const IndexDescriptor& descriptor);
    ~IndexFile();
    IndexFile(const IndexFile&) = delete;
    IndexFile& operator=(const IndexFile&) = delete;

    // Creates an empty index (replacing any file of that name, once no
    // access holds it: the lock is waited for like any other). A
    // descriptor that describes no usable index answers kDataInvalidFile,
    // with DescriptorProblem's text in `problem` when it is given.
    static int Create(std::string_view path, const IndexDescriptor& descriptor,
                      std::string* problem = nullptr);

    int Open(std::string_view path);
    void Close();

    int BeginAccess();
    int EndAccess();

    // `key` is K bytes as the record holds them; it is normalised here.
    int Insert(const uint8_t* key, int32_t record);
    int Delete(const uint8_t* key, int32_t record);
    int Update(const uint8_t* oldKey, const uint8_t* newKey, int32_t record);

    // Places `position` on the first entry whose key is at least `key` and
    // answers it; -57 when there is none.
    int Search(const uint8_t* key, IndexPosition& position, uint8_t* keyOut, int32_t& record);
    int First(IndexPosition& position, uint8_t* keyOut, int32_t& record);
    // Steps to the next entry; -57 past the last.
    int Next(IndexPosition& position, uint8_t* keyOut, int32_t& record);

    const IndexDescriptor& Descriptor() const { return descriptor_; }
    // Which check failed when the last operation answered kDataInvalidFile.
    DataDamage LastDamage() const { return damage_; }
    // Pages currently cached, in cache order (for tests of the cache rule).
    const std::vector<int32_t>& CachedPages() const { return cachePages_; }
    // Reads one page through the cache (for tools that walk the tree).
    int ReadPageForCheck(int32_t page, std::vector<uint8_t>& bytes) {
        bytes.resize(descriptor_.pageSize);
        return ReadPage(page, bytes.data());
    }

private:
    using Entry = std::vector<uint8_t>;  // 4 + K bytes

    // Points `bytes` into the cache; valid until the cache next changes.
    int CachedPage(int32_t page, const uint8_t*& bytes);
    // The same for a page about to be changed in place: marks it dirty, as
    // reading it and writing it back would.
    int ChangedPage(int32_t page, uint8_t*& bytes);
    int ReadPage(int32_t page, uint8_t* out);
    // A view for reading only (PageView's setters are never used on it).
    PageView ReadOnlyView(const uint8_t* bytes) const {
        return PageView(const_cast<uint8_t*>(bytes), descriptor_.keySize);
    }
    int WritePage(int32_t page, const uint8_t* bytes);
    void ResetCache();
    // Keeps view_ covering the file as the access found it (and room to
    // grow), so that pages are read from memory.
    void MapFile();
    // Where the view shows `page`, or null when it cannot (the access
    // appended the page, or the file is not mapped).
    const uint8_t* PageInView(int32_t page);
    // Reads or writes `page` in the file itself, bypassing the cache.
    int ReadFromFile(int32_t page, uint8_t* out);
    int WriteToFile(int32_t page, const uint8_t* bytes);
    // The place of `page` in cache order, -1 when it is not cached.
    int CacheSlot(int32_t page) const;
    const uint8_t* SlotBytes(int slot) const;
    // The slot's own buffer, holding its page: a page held in the view is
    // copied there first, to be changed.
    uint8_t* OwnSlotBytes(int slot);
    // Appends `page` to the cache order in a free buffer (after
    // MakeRoomInCache), or held where the view shows it when `inView` is
    // given, and answers its place.
    int AddToCache(int32_t page, bool dirty, const uint8_t* inView);
    int MakeRoomInCache();
    int FlushCache();
    void DropCacheBeyond(int32_t lastPage);
    // Keeps a page's bytes as the access found them, before its first
    // change, so a failed access can put back what the cache wrote early.
    int KeepOriginal(int32_t page);
    int WriteOriginalsBack();

    // Reads `page`, lets `change` edit it and writes it back.
    template <typename Change>
    int ChangePage(int32_t page, Change change);
    int AllocatePage(int32_t& page);
    int FreePage(int32_t page);
    int UnlinkFreePage(int32_t page);

    int Descend(const uint8_t* key, IndexPosition& position);
    // Appends the levels from `page` down its leftmost edge to a leaf.
    int DescendLeftmost(int32_t page, std::vector<IndexPathLevel>& path);
    // Points `bytes` at a page of the tree about to be followed, after
    // checking that it may be: not free, and no more than M entries.
    int TreePage(int32_t page, const uint8_t*& bytes);
    int Settle(IndexPosition& position, bool& atEntry);
    int EntryAt(const IndexPosition& position, uint8_t* key, int32_t& record);
    // Settles on the next entry and reads it; kDataNotFound past the last.
    int SettleAndRead(IndexPosition& position, uint8_t* keyOut, int32_t& record);
    int Locate(const uint8_t* key, int32_t record, IndexPosition& position, bool& atEntry,
               bool& exact);

    // Normalises `key` and applies `change` to it within one access; the
    // change's error wins over the error of writing back.
    int ChangeEntry(const uint8_t* key, int32_t record,
                    int (IndexFile::*change)(const uint8_t*, int32_t));
    int InsertNormal(const uint8_t* key, int32_t record);
    int DeleteNormal(const uint8_t* key, int32_t record);
    int InsertIntoParent(IndexPosition& position, int level, int32_t left, const uint8_t* separator,
                         int32_t right);
    int CorrectSeparator(const IndexPosition& position, int level, const uint8_t* key);

    // Removing the child `index` of the internal page at `level`, in steps:
    // a page with two or more keys drops the entry; a root left with one
    // child hands the tree to it; any other page with one key merges with
    // or borrows from its left sibling, or its right one when it is the
    // first child.
    int RemoveChild(IndexPosition& position, int level, int32_t index);
    int DropChildEntry(IndexPosition& position, int level, std::vector<uint8_t>& page,
                       int32_t index);
    struct LoneChild;
    int MergeOrBorrowLeft(IndexPosition& position, int level, const LoneChild& lone,
                          std::vector<uint8_t>& grand);
    int MergeOrBorrowRight(IndexPosition& position, int level, const LoneChild& lone,
                           std::vector<uint8_t>& grand);
    int ReadSibling(int32_t page, std::vector<uint8_t>& bytes, int32_t& count);
    int WriteTwoChildPage(int32_t page, int32_t left, const uint8_t* leftMax, int32_t right);

    int Fail(int error);
    // Notes which check found the damage and answers kDataInvalidFile.
    int Damaged(DataDamage damage);
    int CheckHeader(const IndexHeader& header);

    platform::File file_;
    // The file's bytes mapped for reading. Only what the file held when the
    // access took its lock is read through it: the lock keeps every other
    // writer from cutting it.
    platform::FileView view_;
    IndexDescriptor descriptor_;
    KeyOrder order_;
    DataDamage damage_ = DataDamage::None;
    int nesting_ = 0;
    bool failed_ = false;
    bool truncatePending_ = false;
    int64_t lengthAsFound_ = 0;
    // The file's length while the access holds the lock: as found, grown by
    // the pages the cache has written since.
    int64_t lengthNow_ = 0;
    // Pages the cache wrote before the access ended, as the access found
    // them.
    struct Original {
        int32_t page;
        std::vector<uint8_t> bytes;
    };
    std::vector<Original> originals_;
    bool headerLoaded_ = false;
    IndexHeader header_;
    IndexHeader headerAsRead_;
    // The cache in cache order: page numbers, dirty flags, which of the 18
    // page buffers in cacheBytes_ belongs to each, and where the view
    // shows a page that is held there instead (null when the buffer holds
    // it; a changed page is always in its buffer). The buffers stay where
    // they are while the order changes, so dropping the oldest pages moves
    // numbers, not pages.
    std::vector<int32_t> cachePages_;
    std::vector<bool> cacheDirty_;
    std::vector<int32_t> cacheBuffer_;
    std::vector<const uint8_t*> cacheInView_;
    std::vector<int32_t> freeBuffers_;
    std::vector<uint8_t> cacheBytes_;
};

// Scoped BeginAccess/EndAccess.
class IndexAccess {
public:
    explicit IndexAccess(IndexFile& index) : index_(index), error_(index.BeginAccess()) {}
    ~IndexAccess() { End(); }
    int Error() const { return error_; }
    // Ends the access now and answers the error of writing back.
    int End() {
        if (error_ != 0 || ended_)
            return error_;
        ended_ = true;
        return index_.EndAccess();
    }

private:
    IndexFile& index_;
    int error_;
    bool ended_ = false;
};

}  // namespace corelib
