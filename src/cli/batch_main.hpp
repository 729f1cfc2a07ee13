#pragma once

#include <string>
#include <vector>

namespace bhsim {

// `bhsim --batch [options] [FIELD=TEXT ...]` with the arguments after "--batch": one run or a grid of
// runs. Returns the exit status.
int batchMain(int argc, char** argv);

// `bhsim --merge OUT.csv IN.csv...` with the arguments after "--merge". Returns the exit status (see
// mergeTables), 2 for arguments that name no output and input.
int mergeMain(const std::vector<std::string>& args);

}  // namespace bhsim
