#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "corelib/datafiles/data_file_check.h"
#include "corelib/datafiles/data_file_check_support.h"
#include "corelib/datafiles/data_file_errors.h"
#include "corelib/datafiles/data_file_io.h"
#include "corelib/datafiles/index_file.h"
#include "corelib/datafiles/index_format.h"
#include "corelib/datafiles/range_locks.h"
#include "platform/files/file.h"

namespace corelib {

namespace {

// No sound tree comes near this depth; a deeper one is damaged, and
// walking it further would only exhaust the stack.
constexpr int kMaxCheckedDepth = 64;

std::string Page(int64_t n) {
    return "page " + std::to_string(n);
}

class IndexChecker {
public:
    IndexChecker(const IndexDescriptor& layout, platform::File& file, CheckReport& report)
        : d_(layout), storedForm_(layout), order_(layout), file_(file), report_(report) {
        // A conversion puts a character where the dictionary orders it, and
        // that code is itself a character the conversion would move again:
        // a stored key is converted once, never a second time. What can be
        // checked is what stays put: folded letters and dropped spaces.
        storedForm_.conversionMode = kKeyConversionNone;
    }

    void Run(const IndexHeader& header) {
        pageCount_ = header.PageCount();
        std::vector<uint8_t> largest(d_.keySize);
        Walk(header.Root(), 0, true, largest);
        CheckFreeList(header);
        use_.ForEachUnreachedRun(pageCount_ + 1, [this](int64_t first, int64_t last) {
            Problem(RunText("page", first, last) + ": neither in the tree nor free");
        });
        report_.summary = std::to_string(pageCount_) + " pages, depth " +
                          std::to_string(leafDepth_ + 1) + ", " + std::to_string(entries_) +
                          " entries, " + std::to_string(freePages_) + " free pages";
    }

private:
    enum Use : uint8_t { kUnused = ReachedSet::kUnreached, kInTree, kFree };

    void Problem(std::string text) { report_.Add(std::move(text)); }

    // Pages are read as they are needed, so big files need little memory.
    std::vector<uint8_t> Load(int64_t n) {
        std::vector<uint8_t> page(d_.pageSize, 0);
        if (ReadExactly(file_, n * d_.pageSize, page.data(), page.size(), kDataShortPageRead) !=
            kDataOk) {
            Problem(Page(n) + ": cannot be read");
        }
        return page;
    }

    // Walks the subtree at `page`, checks it and answers its largest key in
    // `largest` (false when it has none).
    bool Walk(int64_t page, int depth, bool isRoot, std::vector<uint8_t>& largest) {
        const std::string where = Page(page);
        if (page < 1 || page > pageCount_) {
            Problem("child " + std::to_string(page) + " outside the file");
            return false;
        }
        if (use_.Use(page) != kUnused) {
            Problem(where + ": reached twice");
            return false;
        }
        if (depth > kMaxCheckedDepth) {
            Problem(where + ": more than " + std::to_string(kMaxCheckedDepth) + " levels deep");
            return false;
        }
        use_.Reach(page, kInTree);
        std::vector<uint8_t> bytes = Load(page);
        const PageView view(bytes.data(), d_.keySize);
        const int32_t count = view.Count();
        if (view.IsFree()) {
            Problem(where + ": in the tree but marked free");
            return false;
        }
        if (count > d_.maxEntries) {
            Problem(where + ": " + std::to_string(count) + " entries, more than M");
            return false;
        }
        if (!view.IsInternal()) {
            if (leafDepth_ < 0)
                leafDepth_ = depth;
            if (depth != leafDepth_)
                Problem(where + ": leaf at another depth than the others");
            if (count == 0 && !isRoot)
                Problem(where + ": empty leaf below the root");
            for (int32_t i = 0; i < count; ++i)
                CheckNextEntry(where, view.Key(i), view.Number(i));
            if (count == 0)
                return false;
            std::memcpy(largest.data(), view.Key(count - 1), d_.keySize);
            return true;
        }
        if (count < 1) {
            Problem(where + ": internal page without keys");
            return false;
        }
        bool any = false;
        std::vector<uint8_t> childLargest(d_.keySize);
        for (int32_t i = 0; i <= count; ++i) {
            const bool has = Walk(view.Number(i), depth + 1, false, childLargest);
            if (i < count) {
                CheckNormal(where, view.Key(i));
                if (has && order_.Compare(childLargest.data(), view.Key(i)) != 0) {
                    Problem(where + ": separator " + std::to_string(i) +
                            " is not the largest key of its child");
                }
            }
            if (has) {
                any = true;
                largest = childLargest;
            }
        }
        return any;
    }

    void CheckNormal(const std::string& where, const uint8_t* key) {
        std::vector<uint8_t> normal(key, key + d_.keySize);
        NormaliseKey(storedForm_, normal.data());
        if (std::memcmp(normal.data(), key, d_.keySize) != 0) {
            Problem(where + ": key not in normal form");
        }
    }

    void CheckNextEntry(const std::string& where, const uint8_t* key, int32_t record) {
        CheckNormal(where, key);
        if (entries_ > 0) {
            const int order = order_.Compare(previousKey_.data(), key);
            if (order > 0 || (order == 0 && previousRecord_ >= record)) {
                Problem(where + ": entry out of order (record " + std::to_string(record) + ")");
            }
        }
        previousKey_.assign(key, key + d_.keySize);
        previousRecord_ = record;
        ++entries_;
    }

    void CheckFreeList(const IndexHeader& header) {
        int64_t previous = 0;
        for (int64_t n = header.FreeHead(); n != 0;) {
            if (n < 1 || n > pageCount_) {
                Problem("free list: page " + std::to_string(n) + " outside the file");
                break;
            }
            if (use_.Use(n) != kUnused) {
                Problem("free list: " + Page(n) +
                        (use_.Use(n) == kFree ? " listed twice" : " is in the tree"));
                break;
            }
            use_.Reach(n, kFree);
            ++freePages_;
            std::vector<uint8_t> bytes = Load(n);
            const PageView view(bytes.data(), d_.keySize);
            if (view.Flags() != kPageFree)
                Problem("free list: " + Page(n) + " not marked free");
            if (view.FreePrev() != previous) {
                Problem("free list: " + Page(n) + " prev is " + std::to_string(view.FreePrev()) +
                        ", expected " + std::to_string(previous));
            }
            if (n == pageCount_)
                Problem("free list: the last page is free, the file was not shortened");
            previous = n;
            n = view.FreeNext();
        }
        if (freePages_ != header.FreeCount()) {
            Problem("header counts " + std::to_string(header.FreeCount()) +
                    " free pages, the list has " + std::to_string(freePages_));
        }
    }

    const IndexDescriptor& d_;
    IndexDescriptor storedForm_;  // d_ without its text conversion
    const KeyOrder order_;
    platform::File& file_;
    CheckReport& report_;
    int64_t pageCount_ = 0;
    ReachedSet use_;
    int leafDepth_ = -1;
    int64_t entries_ = 0;
    int64_t freePages_ = 0;
    std::vector<uint8_t> previousKey_;
    int32_t previousRecord_ = 0;
};

}  // namespace

CheckReport CheckIndexFile(std::string_view path, const std::optional<IndexDescriptor>& layout) {
    CheckReport report;
    auto problem = [&report](std::string text) { report.Add(std::move(text)); };

    platform::File file;
    if (!OpenForCheck(path, file, report))
        return report;
    // The writers' whole-file lock, shared: the file holds still while it is
    // read, and a writer that died mid-change has released it.
    if (const int locked = LockRange(file, -1, true); locked != kDataOk) {
        problem("the index stays locked by another process (code " + std::to_string(locked) + ")");
        return report;
    }
    struct Unlock {
        platform::File& file;
        ~Unlock() { LockRange(file, -1, false); }
    } unlock{file};
    int64_t length = 0;
    file.Length(length);
    IndexHeader header;
    if (ReadExactly(file, 0, header.bytes, kIndexHeaderSize, kDataOtherFailure) != kDataOk) {
        problem("file shorter than its 224-byte header");
        return report;
    }
    if (header.Magic() != kIndexMagic)
        problem("magic is not WENX");
    if (header.Version() != kIndexVersion)
        problem("version is not 0x00010000");

    IndexDescriptor recorded;
    const bool hasRecorded = header.LoadLayout(recorded);
    if (!layout && !hasRecorded) {
        problem("the header records no key layout; give it with --key");
        return report;
    }
    const IndexDescriptor d = layout ? *layout : recorded;
    if (layout && hasRecorded) {
        IndexHeader given;
        given.StoreLayout(*layout);
        if (std::memcmp(given.bytes + kLayoutOffset, header.bytes + kLayoutOffset,
                        kIndexHeaderSize - kLayoutOffset) != 0) {
            problem("the given key layout differs from the one the file records");
        }
    }
    if (const char* wrong = DescriptorProblem(d); *wrong != 0) {
        problem(std::string("key layout: ") + wrong);
        return report;
    }
    const int64_t pageCount = header.PageCount();
    if (pageCount < 1 || (pageCount + 1) * d.pageSize != length) {
        problem("header counts " + std::to_string(pageCount) + " pages, the file is " +
                std::to_string(length) + " bytes of " + std::to_string(d.pageSize) + "-byte pages");
        return report;
    }
    if (header.Root() < 1 || header.Root() > pageCount) {
        problem("root page " + std::to_string(header.Root()) + " outside the file");
        return report;
    }
    IndexChecker checker(d, file, report);
    checker.Run(header);
    return report;
}

std::string IndexReaderProblem(std::string_view path,
                               const std::optional<IndexDescriptor>& layout) {
    IndexDescriptor d;
    if (layout) {
        d = *layout;
    } else {
        platform::File file;
        IndexHeader header;
        if (file.Open(path, platform::OpenMode::ReadOnly) != platform::FileError::None ||
            ReadExactly(file, 0, header.bytes, kIndexHeaderSize, kDataOtherFailure) != kDataOk ||
            !header.LoadLayout(d)) {
            return "the reader cannot tell the key layout";
        }
    }
    IndexFile index(d);
    int error = index.Open(path);
    IndexPosition position;
    std::vector<uint8_t> key(size_t(std::max(d.keySize, 0)));
    int32_t record = 0;
    if (error == kDataOk)
        error = index.First(position, key.data(), record);
    while (error == kDataOk)
        error = index.Next(position, key.data(), record);
    if (error == kDataNotFound)
        return {};
    std::string text = "the reader answers " + std::to_string(error);
    if (index.LastDamage() != DataDamage::None)
        text += std::string(": ") + DataDamageText(index.LastDamage());
    return text;
}

}  // namespace corelib
