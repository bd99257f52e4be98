#pragma once
// Environment variables of the test process, the same way on every system.
#include <optional>
#include <string>

namespace kalvora::test {

std::optional<std::string> environmentVariable(const std::string& name);
// nullopt removes the variable. On Windows an empty value removes it too.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

// Sets a variable (or removes it, with nullopt) while it lives; the previous state returns.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace kalvora::test
