#pragma once

#include <string>

namespace bhsim {

// Removes the temporary files a killed run left beside `target` (".NAME.XXXXXX", see OutputFile), in
// the folder of the path as given and, for a symbolic link, in the folder of the file it points to.
void removeLeftovers(const std::string& target);

}  // namespace bhsim
