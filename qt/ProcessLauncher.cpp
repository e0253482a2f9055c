#include "qt/ProcessLauncher.h"

#include "qt/ByteNames.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

LaunchResult ProcessLauncher::Start(const std::string& program, const std::string& parameters,
                                    const std::string& workingDirectory)
{
    const QString directory = FromLocalBytes(workingDirectory);
    const QString path = QDir(directory).filePath(FromLocalBytes(program));
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));

    const StartPlan plan = PlanStart(ToLocalBytes(path), parameters, ToLocalBytes(wine));
    if (!plan.ok)
        return {false, plan.reason};

    QStringList words;
    for (const std::string& word : plan.arguments)
        words << FromLocalBytes(word);
    // The object form of startDetached, unlike the static one, says why a
    // start failed.
    QProcess process;
    process.setProgram(FromLocalBytes(plan.program));
    process.setArguments(words);
    process.setWorkingDirectory(directory);
    if (!process.startDetached())
        return {false, ToLocalBytes(process.errorString())};
    return {true, {}};
}
