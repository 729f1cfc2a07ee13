#pragma once

namespace bhsim {

// `bhsim --batch [options] [FIELD=TEXT ...]` with the arguments after "--batch"; returns the exit status.
int batchMain(int argc, char** argv);

}  // namespace bhsim
