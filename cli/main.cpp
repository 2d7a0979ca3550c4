// zelpix-cli: the editor's conversions, effects, packs and animations without a window.
#include "cli/Commands.h"

#include <cstring>
#include <iostream>

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const zelpix::cli::Args&);
};

// Every sub-command; other folders add their rows here.
const Command commands[] = {
    {"info", "info FILE                 size, depth label and reader of a picture file", zelpix::cli::RunInfo},
    {"convert", "convert IN OUT            reader by IN's extension, writer by OUT's", zelpix::cli::RunConvert},
    {"effect", "effect NAME [PARAM=VALUE ...] IN OUT   an effect or adjustment; --list shows them all",
     zelpix::cli::RunEffect},
    {"effect-sheet", "effect-sheet IN OUT.png  every effect at its defaults as a labelled contact sheet",
     zelpix::cli::RunEffectSheet},
};

void PrintUsage(std::ostream& out)
{
    out << "usage: zelpix-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const Command& command : commands)
        out << "  " << command.usage << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& command : commands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(zelpix::cli::Args(argv + 2, argv + argc));
    }
    std::cerr << "zelpix-cli: unknown command \"" << argv[1] << "\"\n";
    PrintUsage(std::cerr);
    return 2;
}
