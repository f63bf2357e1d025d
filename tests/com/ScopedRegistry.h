#pragma once
// Points QUILLMERE_REGISTRY at a file in a fresh temporary folder for the
// lifetime of the object, and puts the previous setting back afterwards.

#include "support/TempDir.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

class ScopedRegistry {
public:
    ScopedRegistry() {
        if (const char* old = std::getenv("QUILLMERE_REGISTRY"))
            m_previous = old;
        ::setenv("QUILLMERE_REGISTRY", Path().c_str(), 1);
    }
    ~ScopedRegistry() {
        if (m_previous)
            ::setenv("QUILLMERE_REGISTRY", m_previous->c_str(), 1);
        else
            ::unsetenv("QUILLMERE_REGISTRY");
    }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

    std::string Path() const { return m_dir / "registry.reg"; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    std::optional<std::string> m_previous;
};

} // namespace testsupport
