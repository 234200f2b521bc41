// A data object built in the program: text, file lists and data in any
// registered format, offered as movable memory blocks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/dragdrop/drop_interfaces.h"

namespace platform::dragdrop {

class DataObject final : public IDataObject {
public:
    // A new object holding one reference.
    static DataObject* Create();

    // Runtime text, offered as CF_TEXT (zero-ended).
    void SetText(const std::string& runtimeText);
    // Runtime-text paths, offered as CF_HDROP.
    void SetFiles(const std::vector<std::string>& runtimePaths);
    void SetData(uint16_t format, std::vector<uint8_t> bytes);

    HRESULT QueryInterface(const GUID& iid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT QueryGetData(const FORMATETC* format) override;

    // A summary for the drag image: "3 files", the text's first line, ...
    std::string Describe() const;

private:
    DataObject() = default;
    ~DataObject() = default;
    uint32_t references_ = 1;
    std::map<uint16_t, std::vector<uint8_t>> formats_;
    size_t fileCount_ = 0;
};

// The CF_HDROP block for a list of runtime-text paths.
std::vector<uint8_t> MakeFileList(const std::vector<std::string>& runtimePaths, POINT point = {});

}  // namespace platform::dragdrop
