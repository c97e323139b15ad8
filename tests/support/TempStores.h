#pragma once

#include "state/Persistence.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

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

// An empty object store in a folder of its own, removed with the object.
// False when it could not be opened; error() says why.
class TempObjectStore final {
public:
    TempObjectStore();
    explicit operator bool() const { return static_cast<bool>(m_store); }
    PersistenceController& operator*() const { return *m_store; }
    PersistenceController* operator->() const { return m_store.get(); }
    QString path() const { return m_dir.filePath(QStringLiteral("store.sqlite")); }
    const QString& error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QString m_error;
    std::unique_ptr<PersistenceController> m_store;
};

// Sets HOME, the XDG_*_HOME folders and SHELL (/bin/sh) to fresh folders of
// one temporary directory for the whole test program, so that neither the
// tests nor any program they start touch the runner's own files. Call first
// in main().
void usePrivateXdgHomes();

} // namespace orbitshelf::test
