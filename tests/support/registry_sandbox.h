// A place of their own in the registry for the tests: natively a temporary hive file named by
// PATCHER_REGISTRY, on Windows a fresh key that is deleted afterwards with everything below it.
// tests/support/posix/ and tests/support/win32/ define it.
#pragma once

#include <memory>
#include <string>

namespace test {

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // A key path below HKEY_LOCAL_MACHINE that no other run uses; the key is not made yet.
    const std::string& Root() const { return m_root; }

private:
    struct Backend;
    std::string m_root;
    std::unique_ptr<Backend> m_backend;
};

// "Software\\PatcherTests\\" followed by a name unique to this process and moment.
std::string UniqueTestKeyPath();

}
