#include "CallFaults.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

CallFaults::Rule* g_rule = nullptr;

int Fault(const char* call, int fd, const char* name)
{
    return g_rule ? (*g_rule)(call, fd, name ? name : "") : 0;
}

template <class Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

CallFaults::CallFaults(Rule rule) { g_rule = new Rule(std::move(rule)); }

CallFaults::~CallFaults()
{
    delete g_rule;
    g_rule = nullptr;
}

extern "C" {

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept
{
    if (const int e = Fault("linkat", toFolder, to)) {
        errno = e;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return real(fromFolder, from, toFolder, to, flags);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) noexcept
{
    if (const int e = Fault("renameat2", toFolder, to)) {
        errno = e;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return real(fromFolder, from, toFolder, to, flags);
}

int unlinkat(int folder, const char* name, int flags) noexcept
{
    if (const int e = Fault("unlinkat", folder, name)) {
        errno = e;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char*, int)>("unlinkat");
    return real(folder, name, flags);
}

int fsync(int fd)
{
    if (const int e = Fault("fsync", fd, nullptr)) {
        errno = e;
        return -1;
    }
    static const auto real = Real<int (*)(int)>("fsync");
    return real(fd);
}

}  // extern "C"
