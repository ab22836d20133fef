// The registry sandbox on POSIX: a temporary hive file named by PATCHER_REGISTRY for the
// sandbox's lifetime, so that no test touches the user's registry file.
#include "tests/support/registry_sandbox.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace test {

struct RegistrySandbox::Backend {
    TempDir folder;
    std::optional<std::string> previous;
};

RegistrySandbox::RegistrySandbox()
    : m_root(UniqueTestKeyPath())
    , m_backend(std::make_unique<Backend>())
{
    if (const char* value = std::getenv("PATCHER_REGISTRY"))
        m_backend->previous = value;
    ::setenv("PATCHER_REGISTRY", m_backend->folder.File("registry.reg").c_str(), 1);
}

RegistrySandbox::~RegistrySandbox()
{
    if (m_backend->previous)
        ::setenv("PATCHER_REGISTRY", m_backend->previous->c_str(), 1);
    else
        ::unsetenv("PATCHER_REGISTRY");
}

}
