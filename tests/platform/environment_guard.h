#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Sets environment variables for the length of a test and puts the old values back afterwards.
// A value of nullopt removes the variable.
class EnvironmentGuard {
public:
    using Values = std::map<std::string, std::optional<std::string>>;

    explicit EnvironmentGuard(const Values& values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            Set(name, value);
        }
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : saved_)
            Set(name, value);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

    // No variable through which a display could be found.
    static Values NoDisplay()
    {
        return {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}};
    }

private:
    Values saved_;

    static void Set(const std::string& name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
};
