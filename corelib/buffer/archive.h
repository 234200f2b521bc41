// A stream that tables store themselves to and load themselves from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corelib {

class Archive {
public:
    virtual ~Archive() = default;
    virtual bool IsStoring() const = 0;
    // Both answer false when the bytes could not be written or supplied.
    virtual bool Write(const void* data, size_t count) = 0;
    virtual bool Read(void* data, size_t count) = 0;

    bool WriteWord(uint32_t value);
    bool ReadWord(uint32_t& value);
};

// An archive over a byte vector: stores append to it, loads read from the
// front of what it holds.
class MemoryArchive final : public Archive {
public:
    explicit MemoryArchive(bool storing) : storing_(storing) {}
    MemoryArchive(std::vector<uint8_t> bytes) : storing_(false), bytes_(std::move(bytes)) {}

    bool IsStoring() const override { return storing_; }
    bool Write(const void* data, size_t count) override;
    bool Read(void* data, size_t count) override;
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    bool storing_;
    std::vector<uint8_t> bytes_;
    size_t readPos_ = 0;
};

}  // namespace corelib
