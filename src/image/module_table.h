// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table of entry points that one of our modules exports (see platform/module_loader.h), opened the
// first time a picture needs it. The module's entry function returns the table, whose first member is the
// version of its layout.
#include <mutex>
#include <string>

namespace tessary::image {

class ModuleTable {
  public:
    // `refused` names what cannot be taken in without the module ("HEIC and AVIF pictures").
    ModuleTable(const char* module, const char* entry, int version, const char* refused)
        : module_(module), entry_(entry), version_(version), refused_(refused) {}

    // The table; nullptr when the module is missing, broken or of another version.
    const void* get();
    // One line on standard error: what is refused for want of the module, and why.
    void reportMissing();

  private:
    const char* module_;
    const char* entry_;
    int version_;
    const char* refused_;
    std::once_flag opened_;
    const void* table_ = nullptr;
    std::string error_;
};

}  // namespace tessary::image
