#include "output/leftovers.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace bhsim {
namespace {

namespace fs = std::filesystem;

// ".NAME." and six letters or digits, as mkstemp makes them.
bool isTemporaryOf(const std::string& file, const std::string& name) {
  const std::string prefix = "." + name + ".";
  return file.size() == prefix.size() + 6 && file.compare(0, prefix.size(), prefix) == 0 &&
         std::all_of(file.begin() + static_cast<long>(prefix.size()), file.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; });
}

void removeBeside(const fs::path& target) {
  std::error_code error;
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string name = target.filename().string();
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    std::error_code ignored;
    if (isTemporaryOf(entry->path().filename().string(), name) && entry->is_regular_file(ignored))
      fs::remove(entry->path(), ignored);
  }
}

}  // namespace

void removeLeftovers(const std::string& target) {
  if (target.empty() || target == "-") return;
  const fs::path path(target);
  removeBeside(path);
  std::error_code error;
  if (fs::is_symlink(path, error)) {
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (!error) removeBeside(resolved);
  }
}

}  // namespace bhsim
