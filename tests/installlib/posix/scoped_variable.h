// An environment variable set for the life of an object, for the POSIX tests that steer the
// backend through $TMPDIR and the XDG folders.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace test {

// Sets an environment variable (null: unsets it) and restores it at the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedVariable() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const char* value) { value ? setenv(m_name, value, 1) : unsetenv(m_name); }
    const char* m_name;
    std::optional<std::string> m_old;
};

}
