#include "network/HttpPoster.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

std::unique_ptr<HttpPoster> loadHttpPoster(QString* error)
{
    // Installed, the module sits at a fixed place relative to the program. A
    // program run from its build tree (and the tests) takes the one built
    // there; an installed program never loads code from a build folder.
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList paths { programDir + QStringLiteral("/" ORBITSHELF_HTTP_MODULE_FROM_PROGRAM) };
    if (programDir.startsWith(QStringLiteral(ORBITSHELF_BUILD_TREE "/")))
        paths << QStringLiteral(ORBITSHELF_HTTP_MODULE_BUILT);
    return loadHttpPosterFrom(paths, error);
}

std::unique_ptr<HttpPoster> loadHttpPosterFrom(const QStringList& paths, QString* error)
{
    QStringList failures;
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        const auto create = reinterpret_cast<CreateHttpPoster>(module.resolve(kCreateHttpPosterSymbol));
        if (create)
            return std::unique_ptr<HttpPoster>(create());
        failures << module.errorString();
    }
    if (error)
        *error = failures.isEmpty() ? QStringLiteral("the web client module is not installed (%1)")
                                          .arg(paths.join(QStringLiteral(", ")))
                                    : failures.join(QStringLiteral("; "));
    return nullptr;
}
