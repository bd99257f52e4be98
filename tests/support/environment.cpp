#include "support/environment.h"

#include <cstdlib>
#include <utility>

namespace kalvora::test {

std::optional<std::string> environmentVariable(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value)
{
#ifdef _WIN32
    // Also changes the process environment that child processes inherit.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
#endif
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), previous_(environmentVariable(name_))
{
    setEnvironmentVariable(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() { setEnvironmentVariable(name_, previous_); }

}  // namespace kalvora::test
