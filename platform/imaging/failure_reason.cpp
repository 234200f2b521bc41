#include "platform/imaging/failure_reason.h"

#include "platform/imaging/imaging.h"

namespace platform::imaging {
namespace {

thread_local std::string t_reason;

}  // namespace

void SetFailureReason(std::string reason) {
    t_reason = std::move(reason);
}

void ClearFailureReason() {
    t_reason.clear();
}

const std::string& FailureReason() {
    return t_reason;
}

const std::string& LastFailureReason() {
    return t_reason;
}

std::nullptr_t Refuse(std::string reason) {
    SetFailureReason(std::move(reason));
    return nullptr;
}

void SetFailureReasonIfNone(const char* reason) {
    if (t_reason.empty())
        t_reason = reason;
}

}  // namespace platform::imaging
