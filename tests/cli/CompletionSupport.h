// What the tool's help and its bash completion offer, for the tests that
// hold them against what the parser takes.
#pragma once

#include "cli/CliSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zpk::testing {

// Every "--name" a text mentions.
inline std::set<std::string> longOptionsIn(std::string_view text)
{
    std::set<std::string> out;
    const std::string copy(text);
    const std::regex option("--[a-z][a-z0-9-]*");
    for (auto it = std::sregex_iterator(copy.begin(), copy.end(), option); it != std::sregex_iterator(); ++it)
        out.insert(it->str());
    return out;
}

// What the completion offers after `words` (the last one being completed),
// run in `dir`.
inline std::set<std::string> completions(const std::vector<std::string>& words, const TempDir& dir)
{
    namespace fs = std::filesystem;
    std::string script =
        "source '" + (fs::path(ZPK_SOURCE_DIR) / "data/zpk.bash-completion").string() + "'\n";
    script += "COMP_WORDS=(";
    for (const std::string& word : words) script += "'" + word + "' ";
    script += ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) + "\n";
    // compopt is refused outside a real completion; what it would change
    // does not matter here
    script += "compopt() { :; }\n_zpk\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
    writeBytes(dir / "complete.sh", Bytes(script.begin(), script.end()));
    const std::string log = (dir / "complete.out").string();
    const std::string command = "cd '" + dir.path().string() + "' && bash complete.sh > complete.out 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(log);
    std::set<std::string> out;
    for (const std::string& line : lines(readText(log)))
        if (!line.empty()) out.insert(line);
    fs::remove(dir / "complete.sh");
    fs::remove(log);
    return out;
}

}  // namespace zpk::testing
