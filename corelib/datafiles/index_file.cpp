// Opening, accesses and the entry points of the index file; the page
// cache, the free list, the descent and the tree changes are in files of
// their own (index_file.h lists them).
#include "corelib/datafiles/index_file.h"

#include <algorithm>
#include <cstring>

#include "corelib/datafiles/data_file_io.h"
#include "corelib/datafiles/index_file_parts.h"
#include "corelib/datafiles/range_locks.h"

namespace corelib {

namespace {

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

}  // namespace

IndexFile::IndexFile(const IndexDescriptor& descriptor)
    : descriptor_(descriptor), order_(descriptor) {
    platform::WriteLe32(header_.bytes, kIndexMagic);
    platform::WriteLe32(header_.bytes + 4, kIndexVersion);
    WriteLeS32(header_.bytes + 16, 0);
    WriteLeS32(header_.bytes + 20, 0);
}

IndexFile::~IndexFile() {
    Close();
}

int IndexFile::Create(std::string_view path, const IndexDescriptor& d, std::string* problem) {
    if (const char* wrong = DescriptorProblem(d); *wrong != 0) {
        if (problem)
            *problem = wrong;
        return kDataInvalidFile;
    }
    IndexHeader header;
    platform::WriteLe32(header.bytes, kIndexMagic);
    platform::WriteLe32(header.bytes + 4, kIndexVersion);
    header.SetPageCount(1);
    header.SetRoot(1);
    header.StoreLayout(d);
    std::vector<uint8_t> bytes(2 * static_cast<size_t>(d.pageSize), 0);
    std::memcpy(bytes.data(), header.bytes, kIndexHeaderSize);

    // An index in use is replaced only between accesses: cutting the file
    // under an access would pull pages from under the view it reads them
    // through.
    platform::File file;
    int error = DataErrorFromFile(file.Open(path, platform::OpenMode::OpenOrCreate));
    if (error != kDataOk)
        return error;
    if ((error = LockRange(file, -1, true)) != kDataOk)
        return error;
    error = DataErrorFromFile(file.SetLength(0));
    if (error == kDataOk)
        error = WriteAt(file, 0, bytes.data(), bytes.size());
    const int unlocked = LockRange(file, -1, false);
    return error != kDataOk ? error : unlocked;
}

int IndexFile::Open(std::string_view path) {
    Close();
    damage_ = DataDamage::None;
    if (*DescriptorProblem(descriptor_) != 0)
        return Damaged(DataDamage::IndexLayoutUnusable);
    return DataErrorFromFile(file_.Open(path, platform::OpenMode::ReadWrite));
}

void IndexFile::Close() {
    if (nesting_ > 0) {
        nesting_ = 1;
        EndAccess();
    }
    view_.Unmap();
    file_.Close();
}

int IndexFile::Damaged(DataDamage damage) {
    damage_ = damage;
    return kDataInvalidFile;
}

// Every count and link of the header must lie within the file: pages are
// written before the header counts them and cut only after it stops, so a
// sound file always holds every page its header counts. Trusting a header
// that says otherwise would write far past the end of the file.
int IndexFile::CheckHeader(const IndexHeader& header) {
    IndexDescriptor recorded;
    if (header.Magic() != kIndexMagic)
        return Damaged(DataDamage::IndexNotAnIndex);
    if (header.LoadLayout(recorded) && !SameLayout(recorded, descriptor_))
        return Damaged(DataDamage::IndexOtherLayout);
    const int64_t pages = header.PageCount();
    if (pages < 1 || (pages + 1) * descriptor_.pageSize > lengthAsFound_)
        return Damaged(DataDamage::IndexPagesBeyondFile);
    if (header.Root() < 1 || header.Root() > pages)
        return Damaged(DataDamage::IndexRootOutOfRange);
    if (header.FreeHead() < 0 || header.FreeHead() > pages || header.FreeCount() < 0 ||
        header.FreeCount() > pages) {
        return Damaged(DataDamage::IndexFreeListOutOfRange);
    }
    return kDataOk;
}

int IndexFile::BeginAccess() {
    if (!file_.IsOpen())
        return kDataOtherFailure;
    if (nesting_ > 0) {
        ++nesting_;
        return kDataOk;
    }
    damage_ = DataDamage::None;
    int error = LockRange(file_, -1, true);
    if (error != kDataOk)
        return error;
    IndexHeader loaded;
    error = ReadExactly(file_, 0, loaded.bytes, kIndexHeaderSize, kDataOtherFailure);
    if (error == kDataOk)
        error = DataErrorFromFile(file_.Length(lengthAsFound_));
    if (error == kDataOk)
        error = CheckHeader(loaded);
    if (error != kDataOk) {
        LockRange(file_, -1, false);
        return error;
    }
    header_ = loaded;
    headerAsRead_ = loaded;
    headerLoaded_ = true;
    failed_ = false;
    truncatePending_ = false;
    originals_.clear();
    ResetCache();
    lengthNow_ = lengthAsFound_;
    MapFile();
    nesting_ = 1;
    return kDataOk;
}

int IndexFile::EndAccess() {
    if (nesting_ == 0)
        return kDataOtherFailure;
    if (--nesting_ > 0)
        return kDataOk;
    int error = kDataOk;
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
    } else {
        // After a failed operation the cached changes may be half done; the
        // file keeps the state the access found instead.
        WriteOriginalsBack();
    }
    truncatePending_ = false;
    originals_.clear();
    ResetCache();
    headerLoaded_ = false;
    const int unlocked = LockRange(file_, -1, false);
    return error != kDataOk ? error : unlocked;
}

int IndexFile::Fail(int error) {
    if (IsHardError(error))
        failed_ = true;
    return error;
}

// ---- Entry points ----

int IndexFile::Insert(const uint8_t* key, int32_t record) {
    return ChangeEntry(key, record, &IndexFile::InsertNormal);
}

int IndexFile::Delete(const uint8_t* key, int32_t record) {
    return ChangeEntry(key, record, &IndexFile::DeleteNormal);
}

int IndexFile::ChangeEntry(const uint8_t* key, int32_t record,
                           int (IndexFile::*change)(const uint8_t*, int32_t)) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    const NormalisedKey normal(descriptor_, key);
    const int error = Fail((this->*change)(normal.data(), record));
    const int ended = access.End();
    return error != kDataOk ? error : ended;
}

int IndexFile::Update(const uint8_t* oldKey, const uint8_t* newKey, int32_t record) {
    IndexAccess access(*this);
    if (access.Error() != kDataOk)
        return access.Error();
    const NormalisedKey oldNormal(descriptor_, oldKey);
    const NormalisedKey newNormal(descriptor_, newKey);
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
    const NormalisedKey normal(descriptor_, key);
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
    position.path.clear();  // a position used before starts afresh
    int error = DescendLeftmost(header_.Root(), position.path);
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
