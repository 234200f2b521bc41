#include "libs/desktop/shell/shell_library.h"
#include "platform/shell/shell_open.h"

namespace desktop {
namespace {

bool Present(int32_t argCount, const rt::ArgRecord* args, int32_t index) {
    return argCount > index && !args[index].omitted();
}

const char* TextOrNull(int32_t argCount, const rt::ArgRecord* args, int32_t index) {
    return Present(argCount, args, index) ? args[index].asText() : nullptr;
}

}  // namespace

const char* ShellOperationText(int32_t number) {
    return number >= 1 && number <= 5 ? kShellOperations[number - 1] : nullptr;
}

int ShellShowMode(int32_t number) {
    return number >= 1 && number <= 6 ? kShowModes[number - 1] : kShowNormal;
}

void ShellOpen(rt::ResultSlot* /*result*/, int32_t argCount, const rt::ArgRecord* args) {
    int32_t operation = Present(argCount, args, 0) ? args[0].asInt() : 0;
    const char* file = TextOrNull(argCount, args, 1);
    const char* parameters = TextOrNull(argCount, args, 2);
    const char* directory = TextOrNull(argCount, args, 3);
    int32_t showMode = Present(argCount, args, 4) ? args[4].asInt() : 0;
    platform::shell::ShellExecute(nullptr, ShellOperationText(operation), file ? file : "",
                                  parameters, directory ? directory : kDefaultWorkingDirectory,
                                  ShellShowMode(showMode));
}

}  // namespace desktop
