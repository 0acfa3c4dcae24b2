// The module's entry: the protocol the host drives through bx3_main.
#pragma once

#include <cstdint>

extern "C" int32_t bx3_main(int32_t action, intptr_t p1, intptr_t p2, intptr_t p3);

namespace kv {

// The lowest host interface version the module works with.
inline constexpr int32_t kMinimumHostVersion = 23100;

bool ModuleStart();
void ModuleEnd();
bool ModuleMessage(int32_t id, void* data);
// How many starts have not been matched by an end yet.
int32_t ModuleStartCount();

}  // namespace kv
