// Sends the log to a temporary file while a test runs, so that tests can
// check the exact lines and the working directory stays clean.
#pragma once

#include "imaging/pxerror.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class CapturedLog {
public:
    CapturedLog() {
        char name[] = "/tmp/binoxa-log-XXXXXX";
        const int descriptor = mkstemp(name);
        if (descriptor >= 0)
            close(descriptor);
        path = name;
        pxSetLogName(path.c_str());
    }
    ~CapturedLog() {
        pxSetLogName(nullptr);
        std::remove(path.c_str());
    }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::string Text() const {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    std::string path;
};
