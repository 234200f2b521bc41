#include "platform/base/jpeg_error_trap.h"

#include <jerror.h>

#include "platform/base/picture_limits.h"

namespace platform {
namespace {

JpegErrorTrap& TrapOf(j_common_ptr info) {
    return *reinterpret_cast<JpegErrorTrap*>(info->err);
}

void KeepMessage(j_common_ptr info) {
    JpegErrorTrap& trap = TrapOf(info);
    if (trap.message[0] == 0)
        trap.manager.format_message(info, trap.message);
}

[[noreturn]] void JumpBack(j_common_ptr info) {
    KeepMessage(info);
    std::longjmp(TrapOf(info).jump, 1);
}

void NoteMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;  // trace messages
    const int code = TrapOf(info).manager.msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC) {
        TrapOf(info).damaged = true;
        KeepMessage(info);
    }
}

void Silent(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap) {
    jpeg_error_mgr* manager = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBack;
    trap.manager.emit_message = NoteMessage;
    trap.manager.output_message = Silent;
    trap.damaged = false;
    trap.message[0] = 0;
    return manager;
}

void LimitJpegDecoder(jpeg_decompress_struct& info) {
    info.mem->max_memory_to_use = kMaxCodecMemory;
}

std::string JpegSizeProblem(const jpeg_decompress_struct& info, uint64_t fileBytes) {
    return PictureSizeProblem(info.image_width, info.image_height, fileBytes, PictureCoding::Jpeg);
}

std::string JpegProblem(const JpegErrorTrap& trap, const char* fallback) {
    if (trap.message[0] != 0)
        return trap.message;
    return fallback;
}

}  // namespace platform
