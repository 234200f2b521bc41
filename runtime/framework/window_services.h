// The window framework's service bodies, installed by InstallWindowFramework.
#pragma once

#include <cstdint>

namespace rt {

void ShowStartWindow(uint32_t windowId);
void RunEventLoop();
void ProcessPendingWindowMessages();
uint64_t GetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index);
void SetProperty(uint32_t windowId, uint32_t unitId, uint32_t property, int32_t index,
                 uint32_t valueLow, uint32_t valueHigh);

}  // namespace rt
