#include <cstdio>

#include "runtime/services.h"
#include "runtime/termination.h"

namespace rt {
namespace {

const char* DescribeRuntimeError(uint32_t error) {
    switch (error) {
        case ERR_INDEX_ABOVE:
            return "array index is above the number of elements";
        case ERR_INDEX_BELOW:
            return "array index is below 1";
        case ERR_STACK_MISMATCH:
            return "an external routine was called with arguments that do not match its "
                   "declaration";
        case ERR_NEGATIVE_SIZE:
            return "an array was given a negative size";
        default:
            return "unknown runtime error";
    }
}

}  // namespace

void RtRaiseError(uint32_t error) {
    char message[160];
    std::snprintf(message, sizeof message, "runtime error %u: %s", error,
                  DescribeRuntimeError(error));
    ReportAndTerminate("picbatch runtime error", error, message, 1);
}

}  // namespace rt
