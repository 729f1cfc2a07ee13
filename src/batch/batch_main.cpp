#include "batch/batch_main.hpp"
namespace bhsim { int batchMain(int, char**) { return 0; } }
