// tvbridge: a client of the Tizen Smart Development Bridge that needs no
// background server. The installer runs it under another name, so nothing
// here depends on the program's own file name.
#include "commands.h"
#include "state_file.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>
#include <memory>
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    // The wide command line, so that a file name outside the ANSI code page
    // survives; the commands work in UTF-8.
    int count = 0;
    std::unique_ptr<wchar_t*, decltype(&LocalFree)> wargs(CommandLineToArgvW(GetCommandLineW(), &count),
                                                          &LocalFree);
    for (int i = 1; wargs && i < count; ++i) args.push_back(tvbridge::pathToUtf8(wargs.get()[i]));
    // What the set prints goes through byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#else
    args.assign(argv + 1, argv + argc);
#endif
    return tvbridge::run(args);
}
