// The index file of a database table: a B-tree of fixed-size pages ordering
// the table's records by key, duplicates ordered by record number.
//
// Every operation runs between BeginAccess and EndAccess (the operations
// below nest their own pair), under a lock on the whole file, so several
// processes can share one index. Pages are read through an 18-page cache
// whose dirty pages, with the header, are written back when the outermost
// EndAccess releases the lock; the cache is then emptied, since another
// process may change the file as soon as the lock is gone.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "corelib/datafiles/index_format.h"
#include "corelib/datafiles/index_key.h"
#include "platform/files/file.h"

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

    // Creates an empty index (replacing any file of that name).
    static int Create(std::string_view path, const IndexDescriptor& descriptor);

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
    int ReadPage(int32_t page, uint8_t* out);
    // A view for reading only (PageView's setters are never used on it).
    PageView ReadOnlyView(const uint8_t* bytes) const {
        return PageView(const_cast<uint8_t*>(bytes), descriptor_.keySize);
    }
    int WritePage(int32_t page, const uint8_t* bytes);
    int CacheSlot(int32_t page);
    int MakeRoomInCache();
    int FlushCache();
    void DropCacheBeyond(int32_t lastPage);

    // Reads `page`, lets `change` edit it and writes it back.
    template <typename Change>
    int ChangePage(int32_t page, Change change);
    int AllocatePage(int32_t& page);
    int FreePage(int32_t page);
    int UnlinkFreePage(int32_t page);

    int Descend(const uint8_t* key, IndexPosition& position);
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
    int RemoveChild(IndexPosition& position, int level, int32_t index);
    int CorrectSeparator(const IndexPosition& position, int level, const uint8_t* key);

    int Fail(int error);

    platform::File file_;
    IndexDescriptor descriptor_;
    int nesting_ = 0;
    bool failed_ = false;
    bool truncatePending_ = false;
    bool headerLoaded_ = false;
    IndexHeader header_;
    IndexHeader headerAsRead_;
    std::vector<int32_t> cachePages_;
    std::vector<bool> cacheDirty_;
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
