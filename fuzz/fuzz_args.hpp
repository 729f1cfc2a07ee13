#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace bhsim::fuzzing
