// An environment variable set for the life of an object, for the tests that steer a backend or
// a helper through the environment ($TMPDIR, $PATCHER_REGISTRY, the XDG folders, the frame
// checks' switches).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace test {

// Sets an environment variable (null: unsets it) and restores it at the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedEnvironment() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
#ifdef _WIN32
    // The C runtime's own copy, which getenv reads; "" removes the variable.
    void Set(const char* value)
    {
        _putenv_s(m_name, value ? value : "");
    }
#else
    void Set(const char* value)
    {
        value ? setenv(m_name, value, 1) : unsetenv(m_name);
    }
#endif
    const char* m_name;
    std::optional<std::string> m_old;
};

}
