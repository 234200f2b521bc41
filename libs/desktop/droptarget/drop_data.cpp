#include "libs/desktop/droptarget/drop_data.h"

#include <cstring>

namespace desktop {

namespace dd = platform::dragdrop;
namespace kernel = platform::kernel;

namespace {

// Content of the whole data, as a memory block, for no particular device.
dd::FORMATETC Describe(uint16_t format) {
    dd::FORMATETC wanted;
    wanted.cfFormat = format;
    wanted.ptd = nullptr;
    wanted.dwAspect = dd::DVASPECT_CONTENT;
    wanted.lindex = -1;
    wanted.tymed = dd::TYMED_HGLOBAL;
    return wanted;
}

}  // namespace

bool OffersFormat(dd::IDataObject* data, uint16_t format) {
    if (!data || format == 0)
        return false;
    dd::FORMATETC wanted = Describe(format);
    return data->QueryGetData(&wanted) == dd::S_OK;
}

std::optional<std::string> ReadDroppedText(dd::IDataObject* data, uint16_t format) {
    if (!data || format == 0)
        return std::nullopt;
    dd::FORMATETC wanted = Describe(format);
    dd::STGMEDIUM medium;
    if (data->GetData(&wanted, &medium) != dd::S_OK)
        return std::nullopt;
    std::optional<std::string> text;
    if (medium.tymed == dd::TYMED_HGLOBAL && medium.hGlobal) {
        size_t size = kernel::GlobalSize(medium.hGlobal);
        const auto* bytes = static_cast<const char*>(kernel::GlobalLock(medium.hGlobal));
        // A block need not end in a zero: the text stops at the block's end.
        text = bytes ? std::string(bytes, strnlen(bytes, size)) : std::string();
        if (bytes)
            kernel::GlobalUnlock(medium.hGlobal);
    }
    dd::ReleaseStgMedium(&medium);
    return text;
}

std::vector<std::string> ReadDroppedFiles(dd::IDataObject* data) {
    std::vector<std::string> names;
    if (!data)
        return names;
    dd::FORMATETC wanted = Describe(dd::CF_HDROP);
    dd::STGMEDIUM medium;
    if (data->GetData(&wanted, &medium) != dd::S_OK)
        return names;
    if (medium.tymed == dd::TYMED_HGLOBAL && medium.hGlobal) {
        uint32_t count = dd::DragQueryFile(medium.hGlobal, 0xFFFFFFFF, nullptr, 0);
        names.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t length = dd::DragQueryFile(medium.hGlobal, i, nullptr, 0);
            std::string name(size_t(length) + 1, '\0');
            name.resize(dd::DragQueryFile(medium.hGlobal, i, name.data(), length + 1));
            names.push_back(std::move(name));
        }
    }
    dd::ReleaseStgMedium(&medium);
    return names;
}

}  // namespace desktop
