// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Environment variables for a test's time, set back as they were at its end (UTF-8 names and values).
#include <optional>
#include <string>

namespace tessary::testing {

std::optional<std::string> environmentVariable(const std::string& name);
// An empty optional unsets the variable.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)), old_(environmentVariable(name_)) {
        setEnvironmentVariable(name_, value);
    }
    ~ScopedEnvironment() { setEnvironmentVariable(name_, old_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace tessary::testing
