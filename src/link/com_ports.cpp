// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/com_ports.h"

#include <mutex>
#include <utility>

namespace tessary::link {
namespace {

std::mutex resolverMutex;
ComResolver installedResolver;

}  // namespace

ComResolver setComResolver(ComResolver resolver) {
    std::lock_guard lock(resolverMutex);
    return std::exchange(installedResolver, std::move(resolver));
}

std::string resolveCom(int n) {
    ComResolver resolver;
    {
        std::lock_guard lock(resolverMutex);
        resolver = installedResolver;
    }
    return resolver ? resolver(n) : comDevicePath(n);
}

}  // namespace tessary::link
