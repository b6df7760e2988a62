// Running orvanta-cli as a script does, for the tests of its commands.
#pragma once

#include <string>

namespace orvanta::test {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1; // the exit status; -1 when the process did not exit by itself
};

// Runs orvanta-cli with `args` through the shell (or, with `prefixCli` false, the whole command
// line `args`), collecting its output, its errors and its exit status.
CliRun Cli(const std::string& args, bool prefixCli = true);

} // namespace orvanta::test
