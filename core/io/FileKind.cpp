#include "core/io/FileKind.h"

#include <fstream>

bool LooksGzipped(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    unsigned char magic[2] = {0, 0};
    if (!in.read(reinterpret_cast<char*>(magic), 2))
        return false;
    return magic[0] == 0x1f && magic[1] == 0x8b;
}
