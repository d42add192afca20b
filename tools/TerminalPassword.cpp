#include "TerminalPassword.h"

#include <cstdio>
#include <string>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Echo off while it lives, restored however the reading ends.
class TNoEcho {
public:
    TNoEcho()
    {
#ifdef Q_OS_WIN
        input_ = GetStdHandle(STD_INPUT_HANDLE);
        saved_ = GetConsoleMode(input_, &mode_);
        if (saved_)
            SetConsoleMode(input_, mode_ & ~ENABLE_ECHO_INPUT);
#else
        saved_ = tcgetattr(STDIN_FILENO, &mode_) == 0;
        if (saved_) {
            termios quiet = mode_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
#endif
    }
    ~TNoEcho()
    {
#ifdef Q_OS_WIN
        if (saved_)
            SetConsoleMode(input_, mode_);
#else
        if (saved_)
            tcsetattr(STDIN_FILENO, TCSANOW, &mode_);
#endif
    }
    TNoEcho(const TNoEcho&) = delete;
    TNoEcho& operator=(const TNoEcho&) = delete;

private:
    bool saved_ = false;
#ifdef Q_OS_WIN
    HANDLE input_ = nullptr;
    DWORD mode_ = 0;
#else
    termios mode_{};
#endif
};

} // namespace

bool InteractiveTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

std::optional<QString> ReadPasswordFromTerminal(const QString& prompt)
{
    std::fprintf(stderr, "%s ", prompt.toLocal8Bit().constData());
    std::fflush(stderr);
    std::string line;
    bool ended = false;
    {
        TNoEcho quiet;
        int c;
        while ((c = std::getchar()) != EOF && c != '\n')
            line += static_cast<char>(c);
        ended = c == EOF && line.empty();
    }
    // The Enter key typed was not echoed either.
    std::fprintf(stderr, "\n");
    if (ended)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
}
