#include "runtime/arg_record.h"

namespace rt {

void SetResultInt(ResultSlot* result, int32_t value) {
    *result = ArgRecord::Int(value);
}
void SetResultLong(ResultSlot* result, int64_t value) {
    *result = ArgRecord::Long(value);
}
void SetResultDouble(ResultSlot* result, double value) {
    *result = ArgRecord::Double(value);
}
void SetResultPointer(ResultSlot* result, const void* block, TypeCode type) {
    *result = ArgRecord::Pointer(block, type);
}

}  // namespace rt
