// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/module_table.h"

#include <cstdio>

#include "platform/module_loader.h"

namespace tessary::image {

const void* ModuleTable::get() {
    std::call_once(opened_, [this] {
        using Entry = const void* (*)();
        const auto entry = reinterpret_cast<Entry>(platform::moduleSymbol(module_, entry_, error_));
        const void* table = entry ? entry() : nullptr;
        if (table && *static_cast<const int*>(table) == version_)
            table_ = table;
        else if (entry)
            error_ = std::string(module_) + " is from another build of Tessary";
    });
    return table_;
}

void ModuleTable::reportMissing() {
    if (!get()) std::fprintf(stderr, "%s: %s are refused: %s\n", module_, refused_, error_.c_str());
}

}  // namespace tessary::image
