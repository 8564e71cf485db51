#include "platform/system.h"

#include <stdexcept>

namespace platform {
namespace {
System* g_system = nullptr;
}

System& Sys() {
    if (!g_system) throw std::logic_error("no window system installed");
    return *g_system;
}

void SetSystem(System* s) { g_system = s; }
bool HasSystem() { return g_system != nullptr; }

}  // namespace platform
