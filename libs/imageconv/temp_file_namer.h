// Names for the backing files of file-backed pixel storage.
#pragma once

#include <string>
#include <string_view>

namespace imageconv {

class TempFileNamer {
public:
    static TempFileNamer& Instance();

    // $TMPDIR when set and non-empty, else /tmp; empty when that is not an
    // existing directory.
    static std::string TemporaryDirectory();

    // The first name directory/prefix<n>.pbraster (n = 0, 1, ...) that no file
    // has yet; empty on failure. Another thread or process may take the name
    // before the caller creates it, so callers create with O_EXCL and ask again.
    std::string MakeName(std::string_view prefix) const;

    static constexpr std::string_view kSuffix = ".pbraster";
    static constexpr long kCounterLimit = 0x7A0A1F00;

private:
    TempFileNamer() = default;
};

}  // namespace imageconv
