// The suite's fuzz driver: mutates a target's seeds with a seeded generator, so a run is
// bounded and repeatable.
//   fuzz_X [--runs N] [--seed S] [--max-size B] [--verbose] [FILE...]
// With files, each is run once as an input (to replay what an earlier run printed).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "tests/fuzz/fuzz.h"

namespace {

std::string current;  // the input being run, printed when a property breaks

void print_input() {
    std::fprintf(stderr, "input (%zu bytes, hex):", current.size());
    for (unsigned char c : current) std::fprintf(stderr, " %02x", c);
    std::fprintf(stderr, "\n");
}

class Mutator {
  public:
    Mutator(unsigned seed, std::size_t max_size)
        : rng_(seed), seeds_(fuzz::seeds()), tokens_(fuzz::tokens()), max_size_(max_size) {
        if (seeds_.empty()) seeds_.push_back("");
        // Bytes that parsers of quoted, escaped or encoded text care about.
        for (const char* t : {"'", "\"", "\\", "?", ";", "=", " ", "\t", "\n", "\r", "--", "#",
                              "\xFF", "\xC0\xAF", "\xE5\x91", "\xED\xA0\x80", "员"})
            tokens_.push_back(t);
        tokens_.push_back(std::string(1, '\0'));
    }

    std::string next() {
        std::string s = pick(seeds_);
        const int steps = 1 + static_cast<int>(below(6));
        for (int i = 0; i < steps; ++i) mutate(s);
        if (s.size() > max_size_) s.resize(max_size_);
        return s;
    }

  private:
    std::size_t below(std::size_t n) { return n ? rng_() % n : 0; }
    const std::string& pick(const std::vector<std::string>& v) { return v[below(v.size())]; }

    void mutate(std::string& s) {
        const std::size_t at = below(s.size() + 1);
        switch (below(6)) {
            case 0:  // flip a byte
                if (!s.empty()) s[below(s.size())] ^= static_cast<char>(1u << below(8));
                break;
            case 1:  // a random byte
                s.insert(at, 1, static_cast<char>(below(256)));
                break;
            case 2:  // drop a run
                if (!s.empty()) s.erase(below(s.size()), 1 + below(8));
                break;
            case 3:  // repeat a run
                if (!s.empty()) {
                    std::size_t from = below(s.size());
                    s.insert(at, s.substr(from, 1 + below(16)));
                }
                break;
            case 4:  // a part of another seed
            {
                const std::string& other = pick(seeds_);
                std::size_t from = below(other.size() + 1);
                s.insert(at, other.substr(from, below(32)));
                break;
            }
            default:
                s.insert(at, pick(tokens_));
        }
    }

    std::mt19937 rng_;
    std::vector<std::string> seeds_, tokens_;
    std::size_t max_size_;
};

void run(const std::string& input) {
    current = input;
    if (fuzz::verbose) print_input();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(current.data()), current.size());
}

}  // namespace

bool fuzz::verbose = false;

void fuzz::check(bool ok, std::string_view what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz: property broken: %.*s\n", static_cast<int>(what.size()),
                 what.data());
    print_input();
    std::abort();
}

int main(int argc, char** argv) {
    long runs = 2000;
    unsigned seed = 1;
    std::size_t max_size = 4096;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--runs" || a == "--seed" || a == "--max-size") && i + 1 < argc) {
            const long v = std::strtol(argv[++i], nullptr, 10);
            if (a == "--runs") runs = v;
            if (a == "--seed") seed = static_cast<unsigned>(v);
            if (a == "--max-size") max_size = static_cast<std::size_t>(v);
        } else if (a == "--verbose") {
            fuzz::verbose = true;
        } else if (a.starts_with("--")) {
            std::cerr << "usage: " << argv[0]
                      << " [--runs N] [--seed S] [--max-size B] [--verbose] [FILE...]\n";
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (!files.empty()) {
        for (const auto& f : files) {
            std::ifstream in(f, std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            run(s.str());
        }
        return 0;
    }
    for (const auto& s : fuzz::seeds()) run(s);
    Mutator m(seed, max_size);
    for (long i = 0; i < runs; ++i) run(m.next());
    std::cout << argv[0] << ": " << runs << " inputs from seed " << seed
              << ", no property broken\n";
    return 0;
}
