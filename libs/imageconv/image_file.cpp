#include "libs/imageconv/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/base/text_codec.h"

namespace imageconv {

namespace {
std::string FilesystemPath(rt::ConstText path) {
    return platform::RuntimeToUtf8(path ? path : "");
}
}  // namespace

int OpenImageFileDescriptor(rt::ConstText path, FileAccess access) {
    std::string name = FilesystemPath(path);
    if (name.empty())
        return -1;
    int flags = access == FileAccess::Read ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    return open(name.c_str(), flags | O_CLOEXEC, 0666);
}

FILE* OpenImageFile(rt::ConstText path, FileAccess access) {
    int fd = OpenImageFileDescriptor(path, access);
    if (fd < 0)
        return nullptr;
    FILE* file = fdopen(fd, access == FileAccess::Read ? "rb" : "wb");
    if (!file)
        close(fd);
    return file;
}

bool ImageFileExists(rt::ConstText path) {
    std::string name = FilesystemPath(path);
    struct stat st {};
    return !name.empty() && stat(name.c_str(), &st) == 0;
}

}  // namespace imageconv
