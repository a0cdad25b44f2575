#include "Platform/StartedProgram.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"
#include "Platform/InstalledTool.hpp"
#include "Platform/ProgramKinds.hpp"

namespace fs = std::filesystem;

namespace corvane {
namespace {

// The words of a script's "#!" line, or none when the file is no script. The file is
// opened once and read only when it is a regular file: a pipe put in place of a
// program checked earlier must not stop the reader.
std::vector<std::string> shebang(const std::string& file)
{
    // The kernel reads no more of the line than this.
    constexpr std::size_t kernelLimit = 256;
    const auto head = Files::readHead(file, kernelLimit);
    const std::string_view text = head ? std::string_view(*head) : std::string_view();
    if (!text.starts_with("#!"))
        return {};
    const auto line = text.substr(2, text.find('\n') - 2);
    std::vector<std::string> words;
    for (const auto word : Text::splitSkippingEmpty(line, ' '))
        words.emplace_back(Text::trim(word));
    std::erase_if(words, [](const std::string& word) { return word.empty(); });
    return words;
}

} // namespace

StartedProgram StartedProgram::of(const std::vector<std::string>& arguments, const std::vector<fs::path>& searchPath)
{
    StartedProgram result;
    if (arguments.empty())
        return result;
    result.path = Platform::resolvedProgram(arguments.front(), searchPath);
    result.options.assign(arguments.begin() + 1, arguments.end());
    if (result.path.empty())
        return result;
    if (auto words = shebang(result.path); !words.empty()) {
        std::string found = arguments.front();
        if (found.find('/') == std::string::npos) {
            const auto inPath = Platform::findProgram(found, searchPath);
            found = inPath ? inPath->string() : result.path;
        }
        result.script = {found, result.path};
        // "#!/usr/bin/env python3": the interpreter is the first word env would run.
        if (Text::lastPathComponent(words.front()) == "env") {
            words.erase(words.begin());
            std::erase_if(words, [](const std::string& word) { return word.starts_with('-') || word.find('=') != std::string::npos; });
        }
        result.path = words.empty() ? std::string() : Platform::resolvedProgram(words.front(), searchPath);
        return result;
    }
    // "python3 /opt/x/x.py": an interpreter given a script of its own.
    if (isRunner(result.path)) {
        const auto script = scriptArgument(result.path, result.options);
        if (script != result.options.end() && script->starts_with('/')) {
            if (auto resolved = Platform::resolvedPath(*script); !resolved.empty() && fs::is_regular_file(resolved)) {
                result.script = {*script, resolved};
                result.options.erase(result.options.begin(), script + 1);
            }
        }
    }
    return result;
}

bool StartedProgram::runsOthers() const
{
    return !script.empty() || isRunner(path);
}

std::string StartedProgram::ownFile() const
{
    if (!script.empty())
        return script.back();
    return path.empty() || isRunner(path) ? std::string() : path;
}

} // namespace corvane
