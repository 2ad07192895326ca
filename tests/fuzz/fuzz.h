// Fuzz targets: each file defines LLVMFuzzerTestOneInput (libFuzzer's entry, so a target can
// also be linked with -fsanitize=fuzzer by hand) and the seeds and tokens that the suite's
// own driver (fuzz_driver.cpp) mutates with a fixed seed and count.
//
// A target checks properties of its parser, not only that it does not crash; a broken
// property aborts with a message, and the driver prints the input that broke it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Well-formed inputs to start from, and fragments worth splicing into them.
std::vector<std::string> seeds();
std::vector<std::string> tokens();

// Set by --verbose: targets then print what each input did, to see what a run reaches.
extern bool verbose;

// Aborts the run with `what` when `ok` is false.
void check(bool ok, std::string_view what);

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
