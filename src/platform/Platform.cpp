#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace nimbrel {

namespace {
Platform*& installed() {
    static Platform* p = nullptr;
    return p;
}
} // namespace

Platform& Platform::current() {
    Platform* p = installed();
    if (!p) {
        std::fputs("Nimbrel: no platform installed\n", stderr);
        std::abort();
    }
    return *p;
}

bool Platform::isInstalled() {
    return installed() != nullptr;
}

Platform* Platform::install(Platform* platform) {
    return std::exchange(installed(), platform);
}

} // namespace nimbrel
