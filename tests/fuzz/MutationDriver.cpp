// A plain mutation loop for compilers without libFuzzer: it mutates the seed
// files (bit flips, byte and 16-bit overwrites with edge values, cuts, copies
// and splices) and hands each seed, then mutants, to the fuzz target for the given
// time, or for a given number of inputs ("-runs=N", as libFuzzer says it): the same
// inputs on every machine, however fast.
// A sanitizer report or crash ends the process; the input is then in
// "fuzz-current-input" in the working folder.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string Load(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Mutate(std::string& s, const std::vector<std::string>& seeds, std::mt19937& rng)
{
    auto pick = [&](std::size_t n) { return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(rng) : 0; };
    static const int16_t edges[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1, 0x7FFF, -0x8000, 0x100};
    const int steps = 1 + int(pick(4));
    for (int k = 0; k < steps; ++k) {
        switch (pick(7)) {
        case 0:
            if (!s.empty())
                s[pick(s.size())] ^= char(1 << pick(8));
            break;
        case 1:
            if (!s.empty())
                s[pick(s.size())] = char(pick(256));
            break;
        case 2:
            if (s.size() >= 2) {
                const std::size_t at = pick(s.size() - 1);
                const int16_t v = edges[pick(std::size(edges))];
                s[at] = char((v >> 8) & 0xFF);
                s[at + 1] = char(v & 0xFF);
            }
            break;
        case 3:
            s.resize(pick(s.size() + 1));
            break;
        case 4:
            if (!s.empty()) {
                const std::size_t at = pick(s.size()), len = pick(s.size() - at) + 1;
                s.erase(at, len);
            }
            break;
        case 5:
            if (!s.empty()) {
                const std::size_t from = pick(s.size()), len = pick(std::min<std::size_t>(s.size() - from, 2048)) + 1;
                s.insert(pick(s.size() + 1), s.substr(from, len));
            }
            break;
        default: {
            const std::string& other = seeds[pick(seeds.size())];
            s = s.substr(0, pick(s.size() + 1)) + other.substr(pick(other.size() + 1));
        }
        }
    }
    if (s.size() > 65536)
        s.resize(65536);
}

std::string g_current;
void SaveCurrent(int sig)
{
    std::ofstream("fuzz-current-input", std::ios::binary).write(g_current.data(), std::streamsize(g_current.size()));
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: " << argv[0] << " <seconds>|-runs=<inputs> <seed folder>\n";
        return 2;
    }
    const std::string limit = argv[1];
    const bool counted = limit.rfind("-runs=", 0) == 0;
    const double seconds = counted ? 0.0 : std::atof(limit.c_str());
    const std::size_t inputs = counted ? std::strtoull(limit.c_str() + 6, nullptr, 10) : 0;
    // In the order of their names: a folder lists its files in any order, and
    // the mutants depend on the order of the seeds.
    std::vector<std::filesystem::path> seedFiles;
    for (const auto& e : std::filesystem::directory_iterator(argv[2]))
        if (e.is_regular_file())
            seedFiles.push_back(e.path());
    std::sort(seedFiles.begin(), seedFiles.end());
    std::vector<std::string> seeds;
    for (const auto& file : seedFiles)
        seeds.push_back(Load(file));
    if (seeds.empty())
        seeds.emplace_back();
    std::signal(SIGABRT, SaveCurrent);
    std::signal(SIGSEGV, SaveCurrent);
    std::mt19937 rng(12345);
    const auto start = std::chrono::steady_clock::now();
    // The time is asked after every input: one input of the whole load takes long.
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::size_t runs = 0;
    const auto more = [&] { return counted ? runs < inputs : elapsed() < seconds; };
    for (; runs < seeds.size() || more(); ++runs) {
        g_current = seeds[runs % seeds.size()];
        if (runs >= seeds.size())
            Mutate(g_current, seeds, rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(g_current.data()), g_current.size());
    }
    std::cout << "runs: " << runs << "\n";
    return 0;
}
