#include "cli/field_list.hpp"

#include <array>
#include <cstdio>

#include "control/field_guide.hpp"
#include "platform/scripted_platform.hpp"
#include "program/program.hpp"

namespace bhsim {
namespace {

// The fields' texts once the program has started up with `count` black holes, as --bh N leaves them.
std::array<std::string, kControlCount> defaultsFor(int count) {
  ScriptedPlatform platform;
  Program program(platform);
  program.load();
  for (int n = 1; n < count; ++n) program.panel.userClick(ControlId::BodyCountField);
  std::array<std::string, kControlCount> texts;
  for (const ControlDesign& design : controlTable()) {
    std::string text = program.panel.text(design.id);
    if (!text.empty() && text.front() == ' ') text.erase(0, 1);  // the sign place of a positive number
    texts[indexOf(design.id)] = text.empty() ? "\"\"" : text;
  }
  return texts;
}

std::string row(const char* format, const std::string& a, const std::string& b, const std::string& c,
                const std::string& d, const std::string& e, std::string_view meaning) {
  char line[256];
  std::snprintf(line, sizeof line, format, a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str(),
                std::string(meaning).c_str());
  return line;
}

}  // namespace

std::string fieldListText() {
  const std::array<std::string, kControlCount> defaults[] = {defaultsFor(1), defaultsFor(2), defaultsFor(3)};
  constexpr const char* kRow = "  %-11s %-14s %-8s %-8s %-8s %s\n";
  std::string text = "Fields a run reads (FIELD=TEXT; the defaults --bh 1, 2 and 3 leave):\n";
  text += row(kRow, "FIELD", "caption", "--bh 1", "--bh 2", "--bh 3", "meaning");
  bool read = true;
  for (const FieldGuide& guide : fieldGuide()) {
    if (read && !guide.read) {
      read = false;
      text += "Fields the run only writes (what a FIELD=TEXT types there shows until the run writes it):\n";
    }
    const std::string caption =
        guide.caption == ControlId::Count ? "" : "\"" + std::string(controlDesign(guide.caption).text) + "\"";
    const std::size_t i = indexOf(guide.field);
    const std::string name(controlDesign(guide.field).name);
    if (guide.read) {
      text += row(kRow, name, caption, defaults[0][i], defaults[1][i], defaults[2][i], guide.meaning);
    } else {
      text += row("  %-11s %-15s%s%s%s%s\n", name, caption, "", "", "", guide.meaning);
    }
  }
  return text +
         "The orbit of black holes 1 and 2 is the first of Tvc, Tfreq and Tdist01 with a positive number;\n"
         "typing one of them empties the other two, as in the window.\n";
}

}  // namespace bhsim
