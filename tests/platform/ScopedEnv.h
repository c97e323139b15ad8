#pragma once

#include <QByteArray>

#include <optional>

namespace orbitshelf::test {

// Sets (or, with nothing, unsets) an environment variable for one scope and
// puts back what was there: the test main's private XDG homes must survive.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_saved = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_saved)
            qputenv(m_name, *m_saved);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_saved;
};

} // namespace orbitshelf::test
