// Any bytes as a date-time text: a text that reads as a value writes back
// as a text that reads as the same value.
#include <cmath>
#include <cstdlib>
#include <string>

#include "corelib/textservices/date_time_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    double value = 12345.0;
    if (!corelib::TextToDateTime(text.c_str(), value)) {
        if (value != 12345.0)
            std::abort();  // a refused text leaves the value alone
        return 0;
    }
    if (!std::isfinite(value))
        std::abort();
    const std::string again = corelib::DateTimeToText(value);
    double reread = 0;
    if (!corelib::TextToDateTime(again.c_str(), reread))
        std::abort();
    // Whole seconds survive the round trip.
    if (std::fabs(reread - value) * 86400.0 > 1.0)
        std::abort();
    return 0;
}
