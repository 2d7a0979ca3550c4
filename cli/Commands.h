#pragma once
// The sub-commands of zelpix-cli. Each takes the arguments after its name and returns the exit status;
// messages go to standard error, results to standard output.
#include <string>
#include <vector>

namespace zelpix::cli {

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunConvert(const Args& args);
int RunEffect(const Args& args);
int RunEffectSheet(const Args& args);

}  // namespace zelpix::cli
