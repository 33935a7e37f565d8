// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/com_ports.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <utility>

namespace tessary::link {
namespace {

std::mutex resolverMutex;
ComResolver installedResolver;

ComResolver currentResolver() {
    std::lock_guard lock(resolverMutex);
    return installedResolver;
}

}  // namespace

ComResolver setComResolver(ComResolver resolver) {
    std::lock_guard lock(resolverMutex);
    return std::exchange(installedResolver, std::move(resolver));
}

std::string resolveCom(int n) {
    const ComResolver resolver = currentResolver();
    return resolver ? resolver(n) : comDevicePath(n);
}

std::vector<int> scanOrder(int count, const std::map<int, PortKind>& kinds) {
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    const auto rank = [&kinds](int n) {
        const auto found = kinds.find(std::max(n, 1));
        return found == kinds.end() ? PortKind::Other : found->second;
    };
    std::stable_sort(order.begin(), order.end(), [&rank](int a, int b) { return rank(a) < rank(b); });
    return order;
}

std::vector<int> startupScanOrder(int count) {
    return scanOrder(count, currentResolver() ? std::map<int, PortKind>{} : systemPortKinds());
}

}  // namespace tessary::link
