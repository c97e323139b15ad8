#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orbitshelf::test {

// Points the user defaults at an empty file of its own for the life of the
// object, then back at whatever the process used before (the test main's
// private XDG_CONFIG_HOME). Tests never touch the user's real settings.
class TempUserDefaults final {
public:
    TempUserDefaults();
    ~TempUserDefaults();
    TempUserDefaults(const TempUserDefaults&) = delete;
    TempUserDefaults& operator=(const TempUserDefaults&) = delete;

    QString path() const { return m_path; }
    // Writes raw INI text, as a hand edit would, and re-reads the file.
    void writeRaw(const QByteArray& iniText);
    QByteArray readRaw() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Sets XDG_CONFIG_HOME and XDG_DATA_HOME to fresh folders under one
// temporary directory for the whole test program. Call first in main().
void usePrivateXdgHomes();

} // namespace orbitshelf::test
