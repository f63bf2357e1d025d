#pragma once
// Sets (or with nullopt removes) an environment variable for the lifetime of
// the object, or only keeps it, and puts the previous setting back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : ScopedEnv(name) {
        Set(value);
    }
    // Changes nothing now; whatever the variable becomes, it is put back.
    explicit ScopedEnv(std::string name) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str()))
            m_previous = old;
    }
    ~ScopedEnv() { Set(m_previous); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const std::optional<std::string>& value) const {
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

} // namespace testsupport
