#include "qt/ProcessLauncher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

LaunchResult ProcessLauncher::Start(const std::string& program, const std::string& parameters,
                                    const std::string& workingDirectory)
{
    const QString directory = QFile::decodeName(QByteArray::fromStdString(workingDirectory));
    const QString path = QDir(directory).filePath(QFile::decodeName(QByteArray::fromStdString(program)));
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));

    const StartPlan plan = PlanStart(QFile::encodeName(path).toStdString(), parameters,
                                     QFile::encodeName(wine).toStdString());
    if (!plan.ok)
        return {false, plan.reason};

    QStringList words;
    for (const std::string& word : plan.arguments)
        words << QString::fromStdString(word);
    // The object form of startDetached, unlike the static one, says why a
    // start failed.
    QProcess process;
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(plan.program)));
    process.setArguments(words);
    process.setWorkingDirectory(directory);
    if (!process.startDetached())
        return {false, process.errorString().toStdString()};
    return {true, {}};
}
