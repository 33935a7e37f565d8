// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/model/delivery_hold.h"

#include <utility>
#include <vector>

namespace tessary {
namespace {

int depth = 0;
std::vector<std::function<void()>>& pending() {
    static std::vector<std::function<void()>> requests;
    return requests;
}

}  // namespace

DeliveryHold::DeliveryHold() { ++depth; }

DeliveryHold::~DeliveryHold() {
    if (--depth > 0) return;
    // A resume may start a new hold (and queue new requests): run only what was asked for up to now.
    std::vector<std::function<void()>> requests;
    requests.swap(pending());
    for (auto& resume : requests) {
        if (resume) resume();
    }
}

bool DeliveryHold::active() { return depth > 0; }

void DeliveryHold::whenReleased(std::function<void()> resume) {
    if (depth == 0) {
        if (resume) resume();
        return;
    }
    pending().push_back(std::move(resume));
}

}  // namespace tessary
