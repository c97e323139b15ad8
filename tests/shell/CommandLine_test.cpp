// What a start answers by itself, before it looks for a display or a running
// orbitShelf.
#include "shell/CommandLine.h"

#include "network/Network.h"

#include <gtest/gtest.h>

TEST(CommandLine, VersionAndHelpAreAnsweredWhereverTheyStandAndNothingElseIs)
{
    const QString version = QStringLiteral("orbitShelf %1\n").arg(applicationVersionText());
    const struct {
        const char* what;
        QStringList arguments;
        std::optional<QString> versionOrHelp; // "help": the usage text
    } rows[] = {
        { "no arguments", {}, std::nullopt },
        { "the onboarding event", { "OnboardingWindow" }, std::nullopt },
        { "an unknown word", { "--verbose" }, std::nullopt },
        { "--version", { "--version" }, version },
        { "-v", { "-v" }, version },
        { "after the event", { "OnboardingWindow", "--version" }, version },
        { "both: the version", { "--help", "--version" }, version },
        { "--help", { "--help" }, QStringLiteral("help") },
        { "-h", { "-h" }, QStringLiteral("help") },
    };
    for (const auto& row : rows) {
        const std::optional<QString> answer = informationRequested(row.arguments);
        ASSERT_EQ(answer.has_value(), row.versionOrHelp.has_value()) << row.what;
        if (!answer)
            continue;
        if (*row.versionOrHelp == QLatin1String("help")) {
            EXPECT_TRUE(answer->startsWith(QLatin1String("Usage: orbitShelf [OnboardingWindow]\n"))) << row.what;
            EXPECT_TRUE(answer->contains(QLatin1String("--version"))) << row.what;
        } else {
            EXPECT_EQ(*answer, *row.versionOrHelp) << row.what;
        }
    }
}
