// Fills in the manual page's list of gravity models from the program's table: copies the page IN to OUT,
// the line @GRAVITY_MODELS@ replaced by one tagged paragraph a model (its name, its short name, its
// help). usage: bhsim_manual_models IN OUT
#include <fstream>
#include <iostream>
#include <string>

#include "sim/gravity_model.hpp"

namespace {

// "1pn+2pn+2.5pn" in bold, with its short name: .BR 1pn+2pn+2.5pn " (or " merger )
void writeModel(std::ostream& out, const bhsim::GravityModelRow& row) {
  out << ".TP\n";
  if (row.shortName.empty()) {
    out << ".B " << row.name << '\n';
  } else {
    out << ".BR " << row.name << " \" (or \" " << row.shortName << " )\n";
  }
  out << row.help << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bhsim_manual_models IN OUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::ofstream out(argv[2]);
  std::string line;
  bool filled = false;
  while (std::getline(in, line)) {
    if (line != "@GRAVITY_MODELS@") {
      out << line << '\n';
      continue;
    }
    for (const bhsim::GravityModelRow& row : bhsim::kGravityModels) writeModel(out, row);
    filled = true;
  }
  out.close();
  if (!in.eof() || !out || !filled) {
    std::cerr << "bhsim_manual_models: could not fill " << argv[2] << " from " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
