// Enciphered files: what is written reads back in any order of positions and
// sizes, the bytes on disk match an RC4 key stream computed here from the
// published algorithm, and the core library messages create and destroy one.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "corelib/textservices/enciphered_file.h"
#include "corelib/textservices/enciphered_file_messages.h"
#include "corelib/textservices/key_digest.h"
#include "tests/datafiles/scratch_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// RC4 written out plainly, independent of the code under test.
class ReferenceRc4 {
public:
    explicit ReferenceRc4(const Bytes& key) {
        for (int k = 0; k < 256; ++k)
            s_[k] = k;
        for (int k = 0, j = 0; k < 256; ++k) {
            j = (j + s_[k] + key[k % key.size()]) % 256;
            std::swap(s_[k], s_[j]);
        }
    }
    uint8_t Next() {
        i_ = (i_ + 1) % 256;
        j_ = (j_ + s_[i_]) % 256;
        std::swap(s_[i_], s_[j_]);
        return static_cast<uint8_t>(s_[(s_[i_] + s_[j_]) % 256]);
    }

private:
    int s_[256];
    int i_ = 0, j_ = 0;
};

std::string ReferenceKeyDigest(const std::string& password) {
    unsigned char digest[16];
    unsigned int length = 0;
    EVP_Digest(password.data(), password.size(), digest, &length, EVP_md5(), nullptr);
    char hex[33];
    for (int k = 0; k < 16; ++k)
        std::snprintf(hex + 2 * k, 3, "%02x", digest[k]);
    std::string text(hex, 32);
    for (int k = 0; k < 32; k += 2)
        std::swap(text[k], text[k + 1]);
    std::reverse(text.begin(), text.end());
    return text;
}

// The key-stream byte that enciphers file position `position` (no base
// position): page words from the password's own stream, then one key per
// 4096-byte page made of the page's word, the key digest and the word
// mixed with the page number.
uint8_t ReferenceKeyByte(const std::string& password, int64_t position) {
    const int64_t page = position / 4096;
    ReferenceRc4 base(Bytes(password.begin(), password.end()));
    uint32_t word = 0;
    for (int64_t w = 0; w <= page; ++w) {
        word = 0;
        for (int k = 0; k < 4; ++k)
            word |= uint32_t{base.Next()} << (8 * k);
    }
    const std::string digest = ReferenceKeyDigest(password);
    Bytes key(40);
    for (int k = 0; k < 4; ++k)
        key[k] = static_cast<uint8_t>(word >> (8 * k));
    std::memcpy(key.data() + 4, digest.data(), 32);
    for (int k = 0; k < 4; ++k)
        key[36 + k] = static_cast<uint8_t>((word ^ uint32_t(page)) >> (8 * k));
    ReferenceRc4 rc4(key);
    for (int64_t n = 0; n < 36 + position % 4096; ++n)
        rc4.Next();
    return rc4.Next();
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class EncipheredFileTest : public ::testing::Test {
protected:
    datafiles_test::ScratchDir dir_;
    std::string path_ = dir_.File("secret.dat");
};

TEST_F(EncipheredFileTest, KeyDigestIsTheSwappedReversedMd5Text) {
    for (const std::string password : {"", "a", "password", "\xC3\xDC\xC2\xEB"}) {
        char digest[corelib::kKeyDigestSize];
        corelib::KeyDigest(password.data(), password.size(), digest);
        EXPECT_EQ(std::string(digest), ReferenceKeyDigest(password));
    }
}

TEST_F(EncipheredFileTest, PageBoundaryUsesEachPagesOwnKeyStream) {
    const std::string password = "open sesame";
    {
        corelib::EncipheredFile file(password.c_str(), 0);
        ASSERT_EQ(file.Open(path_, platform::OpenMode::CreateTruncate), platform::FileError::None);
        ASSERT_EQ(file.Seek(4095), platform::FileError::None);
        const uint8_t plain[2] = {0x41, 0x42};
        ASSERT_EQ(file.Write(plain, 2), platform::FileError::None);
    }
    const Bytes onDisk = FileBytes(path_);
    ASSERT_EQ(onDisk.size(), 4097u);
    EXPECT_EQ(onDisk[4095], 0x41 ^ ReferenceKeyByte(password, 4095));
    EXPECT_EQ(onDisk[4096], 0x42 ^ ReferenceKeyByte(password, 4096));
    EXPECT_TRUE(
        std::all_of(onDisk.begin(), onDisk.begin() + 4095, [](uint8_t b) { return b == 0; }));
}

TEST_F(EncipheredFileTest, ReadsBackWhateverWasWrittenInAnyOrder) {
    std::mt19937 rng(5);
    const size_t size = 3 * 4096 + 777;
    Bytes expected(size);
    for (auto& b : expected)
        b = static_cast<uint8_t>(rng());
    corelib::EncipheredFile writer("k3y", 100);
    ASSERT_EQ(writer.Open(path_, platform::OpenMode::CreateTruncate), platform::FileError::None);
    // Pieces of random sizes at shuffled positions, some byte by byte.
    std::vector<std::pair<size_t, size_t>> pieces;
    for (size_t at = 0; at < size;) {
        const size_t length = std::min(size - at, size_t{1} + rng() % 5000);
        pieces.emplace_back(at, length);
        at += length;
    }
    std::shuffle(pieces.begin(), pieces.end(), rng);
    for (const auto& [at, length] : pieces) {
        ASSERT_EQ(writer.Seek(static_cast<int64_t>(at)), platform::FileError::None);
        if (length < 40) {
            for (size_t k = 0; k < length; ++k)
                ASSERT_EQ(writer.Write(&expected[at + k], 1), platform::FileError::None);
        } else {
            ASSERT_EQ(writer.Write(&expected[at], length), platform::FileError::None);
        }
    }
    writer.Close();

    const Bytes onDisk = FileBytes(path_);
    EXPECT_TRUE(std::equal(onDisk.begin(), onDisk.begin() + 100, expected.begin()));
    EXPECT_FALSE(std::equal(onDisk.begin() + 100, onDisk.begin() + 200, expected.begin() + 100));

    corelib::EncipheredFile reader("k3y", 100);
    ASSERT_EQ(reader.Open(path_, platform::OpenMode::ReadOnly), platform::FileError::None);
    for (int probe = 0; probe < 200; ++probe) {
        const size_t at = rng() % size;
        const size_t length = std::min(size - at, size_t{rng() % 9000});
        Bytes back(length);
        size_t done = 0;
        ASSERT_EQ(reader.Seek(static_cast<int64_t>(at)), platform::FileError::None);
        ASSERT_EQ(reader.Read(back.data(), length, done), platform::FileError::None);
        ASSERT_EQ(done, length);
        ASSERT_TRUE(std::equal(back.begin(), back.end(), expected.begin() + at)) << at;
    }
    // Same password and base, same writes: the same file.
    const std::string again = dir_.File("again.dat");
    corelib::EncipheredFile twin("k3y", 100);
    ASSERT_EQ(twin.Open(again, platform::OpenMode::CreateTruncate), platform::FileError::None);
    ASSERT_EQ(twin.Write(expected.data(), size), platform::FileError::None);
    twin.Close();
    EXPECT_EQ(FileBytes(again), onDisk);
}

TEST_F(EncipheredFileTest, EmptyPasswordIsAPlainFileAndCallersBufferIsUntouched) {
    for (const char* password : {static_cast<const char*>(nullptr), ""}) {
        corelib::EncipheredFile file(password, 0);
        EXPECT_FALSE(file.HasKey());
        ASSERT_EQ(file.Open(path_, platform::OpenMode::CreateTruncate), platform::FileError::None);
        ASSERT_EQ(file.Write("plain", 5), platform::FileError::None);
        file.Close();
        EXPECT_EQ(FileBytes(path_), (Bytes{'p', 'l', 'a', 'i', 'n'}));
    }
    corelib::EncipheredFile file("x", 0);
    ASSERT_EQ(file.Open(path_, platform::OpenMode::CreateTruncate), platform::FileError::None);
    const char text[] = "unchanged";
    ASSERT_EQ(file.Write(text, 9), platform::FileError::None);
    EXPECT_STREQ(text, "unchanged");
}

TEST_F(EncipheredFileTest, LibraryMessagesCreateAndDestroyFiles) {
    const char password[] = "pw";
    const intptr_t object =
        corelib::CreateEncipheredFileMessage(reinterpret_cast<intptr_t>(password), -5);
    ASSERT_NE(object, 0);
    auto* file = reinterpret_cast<corelib::EncipheredFile*>(object);
    EXPECT_EQ(file->BasePosition(), 0);
    EXPECT_TRUE(file->HasKey());
    ASSERT_EQ(file->Open(path_, platform::OpenMode::CreateTruncate), platform::FileError::None);
    ASSERT_EQ(file->Write("abc", 3), platform::FileError::None);
    EXPECT_EQ(corelib::DestroyEncipheredFileMessage(object), 0);
    EXPECT_EQ(FileBytes(path_), (Bytes{uint8_t('a' ^ ReferenceKeyByte(password, 0)),
                                       uint8_t('b' ^ ReferenceKeyByte(password, 1)),
                                       uint8_t('c' ^ ReferenceKeyByte(password, 2))}));
    EXPECT_EQ(corelib::DestroyEncipheredFileMessage(0), 0);

    const intptr_t plain = corelib::CreateEncipheredFileMessage(0, 12);
    ASSERT_NE(plain, 0);
    EXPECT_FALSE(reinterpret_cast<corelib::EncipheredFile*>(plain)->HasKey());
    EXPECT_EQ(reinterpret_cast<corelib::EncipheredFile*>(plain)->BasePosition(), 12);
    EXPECT_EQ(corelib::DestroyEncipheredFileMessage(plain), 0);
}

}  // namespace
