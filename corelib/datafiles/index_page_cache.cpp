// The index file's page cache: at most 18 pages of one access, in the order
// they came in. When it is full, the three oldest leave it, written back
// first when they are dirty; every dirty page is written back when the
// access ends. A page the cache writes back before the access ends has its
// bytes as the access found them kept, so that a failed access can put
// them back (index_file.h).
//
// A page the cache lacks is read from a view of the file mapped into
// memory, not with a system call: a random walk over a tree larger than 18
// pages misses on nearly every operation. Until the page is changed, the
// cache holds it where the view shows it, without copying it: a search
// then copies nothing. Pages go back to the file with ordinary writes,
// whose failures (a full disk) come back as codes. Where the file cannot be
// mapped, pages are read the ordinary way.
#include <algorithm>
#include <cstring>

#include "corelib/datafiles/data_file_io.h"
#include "corelib/datafiles/index_file.h"

namespace corelib {

void IndexFile::ResetCache() {
    cachePages_.clear();
    cacheDirty_.clear();
    cacheBuffer_.clear();
    cacheInView_.clear();
    freeBuffers_.clear();
    for (int32_t buffer = kCachePages - 1; buffer >= 0; --buffer)
        freeBuffers_.push_back(buffer);
    cacheBytes_.resize(static_cast<size_t>(kCachePages) * descriptor_.pageSize);
}

void IndexFile::MapFile() {
    if (view_.IsMapped() && view_.Length() >= lengthNow_)
        return;
    // The old view goes: the pages the cache holds in it move to buffers.
    for (size_t slot = 0; slot < cachePages_.size(); ++slot)
        OwnSlotBytes(static_cast<int>(slot));
    // Room for the file to double (by a gigabyte at most) before it needs
    // mapping again: address space costs nothing until it is read.
    constexpr int64_t kGrain = int64_t{1} << 20;
    const int64_t room = std::clamp(lengthNow_, kGrain, kGrain << 10);
    const int64_t length = (lengthNow_ + room + kGrain - 1) / kGrain * kGrain;
    if (view_.Map(file_, length) != platform::FileError::None)
        view_.Unmap();  // pages are then read with system calls
}

const uint8_t* IndexFile::PageInView(int32_t page) {
    const int64_t offset = int64_t{page} * descriptor_.pageSize;
    const int64_t end = offset + descriptor_.pageSize;
    // A page the access appended and has not written back yet is not in
    // the file: only a read can tell how much of it is there.
    if (end > lengthNow_)
        return nullptr;
    if (end > view_.Length() && view_.IsMapped())
        MapFile();  // the access grew the file past the view
    return end <= view_.Length() ? view_.Data() + offset : nullptr;
}

int IndexFile::ReadFromFile(int32_t page, uint8_t* out) {
    if (const uint8_t* bytes = PageInView(page)) {
        std::memcpy(out, bytes, descriptor_.pageSize);
        return kDataOk;
    }
    return ReadExactly(file_, int64_t{page} * descriptor_.pageSize, out, descriptor_.pageSize,
                       kDataShortPageRead);
}

int IndexFile::WriteToFile(int32_t page, const uint8_t* bytes) {
    const int64_t offset = int64_t{page} * descriptor_.pageSize;
    const int error = WriteAt(file_, offset, bytes, descriptor_.pageSize);
    if (error == kDataOk)
        lengthNow_ = std::max(lengthNow_, offset + descriptor_.pageSize);
    return error;
}

int IndexFile::CacheSlot(int32_t page) const {
    const auto found = std::find(cachePages_.begin(), cachePages_.end(), page);
    return found == cachePages_.end() ? -1 : static_cast<int>(found - cachePages_.begin());
}

const uint8_t* IndexFile::SlotBytes(int slot) const {
    if (cacheInView_[slot] != nullptr)
        return cacheInView_[slot];
    return cacheBytes_.data() + static_cast<size_t>(cacheBuffer_[slot]) * descriptor_.pageSize;
}

uint8_t* IndexFile::OwnSlotBytes(int slot) {
    uint8_t* buffer =
        cacheBytes_.data() + static_cast<size_t>(cacheBuffer_[slot]) * descriptor_.pageSize;
    if (cacheInView_[slot] != nullptr) {
        std::memcpy(buffer, cacheInView_[slot], descriptor_.pageSize);
        cacheInView_[slot] = nullptr;
    }
    return buffer;
}

int IndexFile::AddToCache(int32_t page, bool dirty, const uint8_t* inView) {
    cachePages_.push_back(page);
    cacheDirty_.push_back(dirty);
    cacheBuffer_.push_back(freeBuffers_.back());
    cacheInView_.push_back(inView);
    freeBuffers_.pop_back();
    return static_cast<int>(cachePages_.size()) - 1;
}

int IndexFile::KeepOriginal(int32_t page) {
    // Pages the access added have no earlier bytes: cutting the file back
    // to its length removes them.
    if (page > headerAsRead_.PageCount())
        return kDataOk;
    for (const Original& original : originals_) {
        if (original.page == page)
            return kDataOk;  // written before: the first bytes are kept
    }
    Original original{page, std::vector<uint8_t>(descriptor_.pageSize)};
    const int error = ReadFromFile(page, original.bytes.data());
    if (error == kDataOk)
        originals_.push_back(std::move(original));
    return error;
}

int IndexFile::WriteOriginalsBack() {
    int error = kDataOk;
    for (const Original& original : originals_) {
        const int written = WriteAt(file_, int64_t{original.page} * descriptor_.pageSize,
                                    original.bytes.data(), original.bytes.size());
        if (error == kDataOk)
            error = written;
    }
    int64_t length = 0;
    if (file_.Length(length) == platform::FileError::None && length > lengthAsFound_) {
        const int cut = DataErrorFromFile(file_.SetLength(lengthAsFound_));
        if (error == kDataOk)
            error = cut;
    }
    return error;
}

int IndexFile::MakeRoomInCache() {
    if (cachePages_.size() < static_cast<size_t>(kCachePages))
        return kDataOk;
    for (int slot = 0; slot < 3; ++slot) {
        if (!cacheDirty_[slot])
            continue;
        int error = KeepOriginal(cachePages_[slot]);
        if (error == kDataOk)
            error = WriteToFile(cachePages_[slot], SlotBytes(slot));
        if (error != kDataOk)
            return error;
    }
    freeBuffers_.insert(freeBuffers_.end(), cacheBuffer_.begin(), cacheBuffer_.begin() + 3);
    cachePages_.erase(cachePages_.begin(), cachePages_.begin() + 3);
    cacheDirty_.erase(cacheDirty_.begin(), cacheDirty_.begin() + 3);
    cacheBuffer_.erase(cacheBuffer_.begin(), cacheBuffer_.begin() + 3);
    cacheInView_.erase(cacheInView_.begin(), cacheInView_.begin() + 3);
    return kDataOk;
}

int IndexFile::CachedPage(int32_t page, const uint8_t*& bytes) {
    if (page < 1 || page > header_.PageCount())
        return Damaged(DataDamage::IndexPageOutOfRange);
    int slot = CacheSlot(page);
    if (slot < 0) {
        int error = MakeRoomInCache();
        if (error != kDataOk)
            return error;
        const uint8_t* inView = PageInView(page);
        if (inView == nullptr) {
            const size_t pageSize = descriptor_.pageSize;
            uint8_t* buffer =
                cacheBytes_.data() + static_cast<size_t>(freeBuffers_.back()) * pageSize;
            if ((error = ReadExactly(file_, int64_t{page} * descriptor_.pageSize, buffer, pageSize,
                                     kDataShortPageRead)) != kDataOk) {
                return error;
            }
        }
        slot = AddToCache(page, false, inView);
    }
    bytes = SlotBytes(slot);
    return kDataOk;
}

int IndexFile::ChangedPage(int32_t page, uint8_t*& bytes) {
    const uint8_t* cached = nullptr;
    const int error = CachedPage(page, cached);
    if (error != kDataOk)
        return error;
    const int slot = CacheSlot(page);
    cacheDirty_[slot] = true;
    bytes = OwnSlotBytes(slot);
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
    int slot = CacheSlot(page);
    if (slot < 0) {
        const int error = MakeRoomInCache();
        if (error != kDataOk)
            return error;
        slot = AddToCache(page, true, nullptr);
    }
    cacheInView_[slot] = nullptr;  // the new bytes replace the view's
    std::memcpy(OwnSlotBytes(slot), bytes, descriptor_.pageSize);
    cacheDirty_[slot] = true;
    return kDataOk;
}

int IndexFile::FlushCache() {
    for (size_t slot = 0; slot < cachePages_.size(); ++slot) {
        if (!cacheDirty_[slot])
            continue;
        const int error = WriteToFile(cachePages_[slot], SlotBytes(static_cast<int>(slot)));
        if (error != kDataOk)
            return error;
        cacheDirty_[slot] = false;
    }
    return kDataOk;
}

void IndexFile::DropCacheBeyond(int32_t lastPage) {
    size_t kept = 0;
    for (size_t slot = 0; slot < cachePages_.size(); ++slot) {
        if (cachePages_[slot] > lastPage) {
            freeBuffers_.push_back(cacheBuffer_[slot]);
            continue;
        }
        cachePages_[kept] = cachePages_[slot];
        cacheDirty_[kept] = cacheDirty_[slot];
        cacheBuffer_[kept] = cacheBuffer_[slot];
        cacheInView_[kept] = cacheInView_[slot];
        ++kept;
    }
    cachePages_.resize(kept);
    cacheDirty_.resize(kept);
    cacheBuffer_.resize(kept);
    cacheInView_.resize(kept);
}

}  // namespace corelib
