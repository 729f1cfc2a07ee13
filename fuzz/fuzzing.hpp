#pragma once

// What the fuzzers share: their bytes as a command line, and the check that stops them on a fault.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bhsim::fuzzing {

// The fuzzer's bytes as a command line: arguments separated by NUL bytes (a trailing empty one dropped).
inline std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  if (args.back().empty()) args.pop_back();
  return args;
}

// Aborts (a crash, whose input the fuzzer keeps) when `condition` does not hold, saying `what`.
inline void require(bool condition, const std::string& what = "") {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

}  // namespace bhsim::fuzzing
