#include "Gunzip.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

void GunzipFile(const std::string& source, const std::string& target)
{
    gzFile in = gzopen(source.c_str(), "rb");
    if (in == nullptr)
        throw std::runtime_error("cannot open " + source);
    std::ofstream out(target, std::ios::binary);
    char buffer[1 << 16];
    int n;
    while ((n = gzread(in, buffer, sizeof buffer)) > 0)
        out.write(buffer, n);
    gzclose(in);
    if (n < 0)
        throw std::runtime_error("cannot decompress " + source);
}
