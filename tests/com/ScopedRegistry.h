#pragma once
// Points QUILLMERE_REGISTRY at a file in a fresh temporary folder for the
// lifetime of the object, and the machine's registry beneath it
// (QUILLMERE_SYSTEM_REGISTRY) at another file there that does not exist
// until a test writes it; the previous settings come back afterwards.

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <string>

namespace testsupport {

class ScopedRegistry {
public:
    ScopedRegistry()
        : m_user("QUILLMERE_REGISTRY", Path()),
          m_system("QUILLMERE_SYSTEM_REGISTRY", SystemPath()) {}

    std::string Path() const { return m_dir / "registry.reg"; }
    std::string SystemPath() const { return m_dir / "system.reg"; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    ScopedEnv m_user, m_system;
};

} // namespace testsupport
