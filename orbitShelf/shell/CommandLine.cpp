#include "shell/CommandLine.h"

#include "network/Network.h"
#include "shell/SingleInstance.h"

std::optional<QString> informationRequested(const QStringList& arguments)
{
    // The version first: "--help --version" is answered with the shorter.
    if (arguments.contains(QLatin1String("--version")) || arguments.contains(QLatin1String("-v")))
        return QStringLiteral("orbitShelf %1\n").arg(applicationVersionText());
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        return QStringLiteral("Usage: orbitShelf [%1]\n"
                              "A dock bar for X11: one per user and display.\n"
                              "\n"
                              "  %1   open the onboarding window (of the running orbitShelf, if one runs)\n"
                              "  -h, --help         show this help and exit\n"
                              "  -v, --version      show the version and exit\n")
            .arg(QLatin1String(kOnboardingWindowEvent));
    }
    return std::nullopt;
}

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
