#include "app/path_pieces.h"

#include "app/calls.h"
#include "app/compiled.h"
#include "app/constants.h"
#include "app/globals.h"
#include "corelib/commands/core_commands.h"

namespace app {

int32_t LastSep(const char* text) {
    return IntOf(CallCore(&corelib::FindLast, {TextArgument(text), TextArgument(SEP)}));
}

int32_t LastDot(const char* text) {
    return IntOf(CallCore(&corelib::FindLast, {TextArgument(text), TextArgument(DOT)}));
}

rt::Text DirectoryOf(const char* path) {
    return TextOf(CallCore(&corelib::LeftPart, {TextArgument(path), IntArgument(LastSep(path))}));
}

rt::Text NameOf(const char* path) {
    // The count is worked out in floating point and the fraction dropped.
    double length = IntOf(CallCore(&corelib::TextLength, {TextArgument(path)}));
    int32_t count = int32_t(Truncate(length - double(LastSep(path))));
    return TextOf(CallCore(&corelib::RightPart, {TextArgument(path), IntArgument(count)}));
}

rt::Text BaseOf(const char* name) {
    return TextOf(CallCore(&corelib::LeftPart, {TextArgument(name), IntArgument(LastDot(name))}));
}

rt::Text ExtensionOf(const char* name) {
    double length = IntOf(CallCore(&corelib::TextLength, {TextArgument(name)}));
    int32_t count = int32_t(Truncate(length - double(LastDot(name))));
    return TextOf(CallCore(&corelib::RightPart, {TextArgument(name), IntArgument(count)}));
}

bool IsAccepted(const char* extension) {
    return IntOf(CallCore(&corelib::FindFirst,
                          {TextArgument(AcceptedExtensions), TextArgument(extension), Omitted(),
                           IntArgument(1)})) != -1;
}

}  // namespace app
