#include "cli/Commands.h"

#include "imaging/FileSize.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"

#include <iostream>

namespace zelpix::cli {

int RunInfo(const Args& args)
{
    if (args.size() != 1) {
        std::cerr << "usage: zelpix-cli info FILE\n";
        return 2;
    }
    try {
        const PictureFile file = ReadPictureFile(args[0], ReaderTable::Document);
        std::cout << "file: " << args[0] << "\n"
                  << "size: " << file.picture.Width() << " * " << file.picture.Height() << "\n"
                  << "depth: " << file.depthLabel << "\n"
                  << "bits: " << file.sourceBits << "\n"
                  << "reader: " << file.readerName << "\n"
                  << "file size: " << FileSizeKB(args[0]) << "KB\n";
        return 0;
    } catch (const ImagingError& error) {
        std::cerr << "zelpix-cli: " << error.what() << "\n";
        return 1;
    }
}

int RunConvert(const Args& args)
{
    if (args.size() != 2) {
        std::cerr << "usage: zelpix-cli convert IN OUT\n";
        return 2;
    }
    try {
        const PictureFile file = ReadPictureFile(args[0], ReaderTable::Document);
        WritePictureFile(file.picture, args[1]);
        return 0;
    } catch (const ImagingError& error) {
        std::cerr << "zelpix-cli: " << error.what() << "\n";
        return 1;
    }
}

}  // namespace zelpix::cli
