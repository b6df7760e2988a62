#include "support/CliRun.h"

#include "support/TestFiles.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace orvanta::test {

CliRun Cli(const std::string& args, bool prefixCli) {
    TempDir dir;
    const std::string errFile = (dir.path() / "err").string();
    const std::string command =
        (prefixCli ? std::string(ORVANTA_CLI) + " " : std::string()) + args + " 2>" + errFile;
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
}

} // namespace orvanta::test
