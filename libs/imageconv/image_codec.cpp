#include "libs/imageconv/image_codec.h"

#include "libs/imageconv/image_file.h"

namespace imageconv {

bool ImageReader::OpenForReading(rt::ConstText path, RasterImage* image,
                                 ProgressCallback progress) {
    Close();
    path_ = path ? path : "";
    problem_.clear();
    image_ = image;
    progress_ = progress;
    file_ = OpenImageFile(path, FileAccess::Read);
    if (!file_)
        return Fail("the file cannot be opened");
    reading_ = true;
    return true;
}

bool ImageReader::FinishDecoding(bool decoded) {
    if (!decoded)
        image_->Clear();
    CloseFile();
    return decoded;
}

bool ImageCodec::WithinLimits(uint64_t fileBytes, platform::PictureCoding coding) {
    std::string why =
        platform::PictureSizeProblem(uint64_t(width_), uint64_t(height_), fileBytes, coding);
    return why.empty() || Fail(std::move(why));
}

long FileSizeOf(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0)
        return -1;
    return size;
}

}  // namespace imageconv
