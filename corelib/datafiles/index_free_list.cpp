// The index file's free pages: a doubly linked list whose head the header
// names. A page is taken from the head, else the file grows by one; a freed
// page goes to the head, except the file's last page, which goes back to
// the file system with every free page that then ends the file.
#include <algorithm>
#include <cstring>

#include "corelib/datafiles/index_file.h"

namespace corelib {

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
        // Page numbers are 32-bit: a file of 2^31 pages has no room for
        // another.
        if (header_.PageCount() == INT32_MAX)
            return kDataDiskFull;
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
        return Damaged(DataDamage::IndexFreeHeadInUse);
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

}  // namespace corelib
