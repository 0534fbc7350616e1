// A command-line program run as a user runs it: its standard output and
// error, and its exit status.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs program with arguments (shell words) in workingDirectory when one is
// given; standard error passes through errorFile. A run that hangs is
// stopped (status 124) instead of stopping the tests.
inline ProgramRun RunProgram(const std::string& program, const std::string& arguments,
                             const std::string& errorFile,
                             const std::string& workingDirectory = "") {
    const std::string command =
        (workingDirectory.empty() ? "" : "cd '" + workingDirectory + "' && ") + "timeout 120 " +
        program + " " + arguments + " 2>'" + errorFile + "'";
    ProgramRun run;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
            run.out.append(block, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::ifstream error(errorFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(error), std::istreambuf_iterator<char>());
    return run;
}
