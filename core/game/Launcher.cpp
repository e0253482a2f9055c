#include "game/Launcher.h"

#include "platform/Platform.h"
#include "source/PathText.h"

namespace {

[[maybe_unused]] bool hasExeSuffix(const std::string& path)
{
    return path.size() >= 4 && equalsNoCase(path.substr(path.size() - 4), ".exe");
}

} // namespace

std::vector<std::string> SplitParameters(const std::string& parameters)
{
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = parameters.size();
    for (;;) {
        while (i < n && (parameters[i] == ' ' || parameters[i] == '\t'))
            ++i;
        if (i == n)
            return words;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || (parameters[i] != ' ' && parameters[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < n && parameters[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < n && parameters[i] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += '"';
                } else if (quoted && i + 1 < n && parameters[i + 1] == '"') {
                    word += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                word.append(backslashes, '\\');
                if (i < n && (quoted || (parameters[i] != ' ' && parameters[i] != '\t')))
                    word += parameters[i++];
            }
        }
        words.push_back(std::move(word));
    }
}

StartPlan PlanStart(const std::string& path, const std::string& parameters, const std::string& winePath)
{
    const std::vector<std::string> arguments = SplitParameters(parameters);
    StartPlan plan;
    const platform::FileInfo info = platform::statPath(path);
    if (!info.exists()) {
        plan.reason = info.error ? info.error.text : "the file does not exist";
        return plan;
    }
    if (info.kind != platform::Kind::Regular) {
        plan.reason = "it is not a file";
        return plan;
    }
    if (!platform::isExecutable(path)) {
        if (!platform::startsWindowsPrograms() && hasExeSuffix(path)) {
            if (winePath.empty()) {
                plan.reason = "it is not executable, and wine, which would start it, is not on the PATH";
                return plan;
            }
            plan.ok = true;
            plan.program = winePath;
            plan.arguments.push_back(path);
            plan.arguments.insert(plan.arguments.end(), arguments.begin(), arguments.end());
            return plan;
        }
        plan.reason = "it is not executable";
        return plan;
    }
    (void)winePath;
    plan.ok = true;
    plan.program = path;
    plan.arguments = arguments;
    return plan;
}
