// sfwaybill-cli's start. "--version" and parse-address need Qt Core alone
// and run here; every other call goes to the library of all commands,
// loaded only then: its Gui, Sql and printing libraries take most of a
// short command's time to load.
#include "app/cli_main.h"
#include "app/commands/parse_address.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

// The calls this program runs as the library would: "--version" alone,
// and parse-address without options (a wrong one is answered with the
// usage of every command).
bool runsAlone(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return true;
    if (argc < 2 || std::strcmp(argv[1], "parse-address") != 0)
        return false;
    for (int i = 2; i < argc; ++i)
        if (argv[i][0] == '-')
            return false;
    return true;
}

// A text on the command line, no longer than a long paste.
bool shortTextGiven(int argc, char** argv)
{
    std::size_t length = 0;
    for (int i = 2; i < argc; ++i)
        length += std::strlen(argv[i]);
    return argc > 2 && length <= 64 * 1024;
}

#ifndef SF_CLI_COMMANDS_LINKED
// Installed in lib/sfwaybill, in the build beside the program; found by
// the program's own path.
std::string commandsLibrary()
{
    namespace fs = std::filesystem;
    std::error_code failed;
    const fs::path folder = fs::read_symlink("/proc/self/exe", failed).parent_path();
    const fs::path installed = folder / SF_CLI_COMMANDS_FROM_BINDIR / SF_CLI_COMMANDS_LIBRARY;
    return (fs::exists(installed, failed) ? installed : folder / SF_CLI_COMMANDS_LIBRARY).string();
}
#endif

} // namespace

#ifdef SF_CLI_COMMANDS_LINKED
extern "C" int sfwaybillCliMain(int argc, char** argv);
#endif

int main(int argc, char** argv)
{
    if (runsAlone(argc, argv)) {
        // One short text meets each pattern of the parser once or twice:
        // compiling them to machine code first costs more than it saves.
        if (shortTextGiven(argc, argv) && qEnvironmentVariableIsEmpty("QT_ENABLE_REGEXP_JIT"))
            qputenv("QT_ENABLE_REGEXP_JIT", "0");
        CommandLine::CommandSet alone;
        alone.push_back(std::make_unique<Commands::ParseAddress>());
        const QCoreApplication app(argc, argv);
        return cliMain(alone);
    }
#ifdef SF_CLI_COMMANDS_LINKED
    return sfwaybillCliMain(argc, argv);
#else
    // The library's dependencies look their symbols up among themselves
    // first, as they would in a program that links them: behind the
    // program's own libraries their look-ups took more than loading them.
    void* library = dlopen(commandsLibrary().c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_DEEPBIND);
    const auto entry =
        library ? reinterpret_cast<int (*)(int, char**)>(dlsym(library, "sfwaybillCliMain"))
                : nullptr;
    if (!entry) {
        std::fprintf(stderr, "sfwaybill-cli: %s\n", dlerror());
        return 1;
    }
    return entry(argc, argv);
#endif
}
