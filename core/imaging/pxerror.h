// The one exception type of the system and the diagnostic log.
#pragma once

#include <cstdarg>
#include <exception>
#include <memory>
#include <string>

#define PX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// A failure with a formatted message of at most pxError::kMaxMessage
// characters (longer texts are cut). Copies share the message text, which
// lives until the last copy is gone.
class pxError : public std::exception {
public:
    static constexpr int kMaxMessage = 1023;

    pxError();
    explicit pxError(const char* format, ...) PX_PRINTF(2, 3);

    const char* GetMessage() const;
    const char* what() const noexcept override { return GetMessage(); }

protected:
    // For derived errors that format their own text.
    struct Formatted {};
    pxError(Formatted, const char* format, va_list args);

private:
    std::shared_ptr<char[]> message;
};

// Appends one formatted line (and a newline) to the log file. The file is
// opened and closed for every line; a line that cannot be written is dropped.
// Never throws.
void pxLog(const char* format, ...) PX_PRINTF(1, 2);

// The log file's name: "TAMBER.LOG" in the current directory unless a
// replacement is set; nullptr or "" restores the default.
void pxSetLogName(const char* name);
std::string pxGetLogName();

// When on, every pxError built with a message also logs "Exception: <text>".
// Off by default.
void pxSetExceptionLogging(bool on);
