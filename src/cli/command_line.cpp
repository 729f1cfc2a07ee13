#include "cli/command_line.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "cli/field_list.hpp"
#include "format/numeric_value.hpp"

namespace bhsim {

namespace {

const char* const kUsageBeforeModels =
    "usage: bhsim --batch [--bh N] [--refresh-every N] [--max-steps N] [--json FILE] [--trace FILE]\n"
    "                     [--png FILE] [--table FILE] [--gravity MODEL] [--integrator NAME]\n"
    "                     [--tolerance E]\n"
    "                     [--sweep "
    "FIELD=FROM:TO:STEP|FIELD=V1,V2,...|gravity=MODEL,...|integrator=NAME,...]...\n"
    "                     [--strain FILE [--strain-rate HZ] [--distance-mpc D] [--inclination-deg I]]\n"
    "                     [--shard K/N] [--resume] [--jobs N] [--quiet] [FIELD=TEXT ...]\n"
    "       bhsim --batch --help | --version\n"
    "       bhsim --merge OUT.csv IN.csv...\n"
    "\n"
    "Runs the simulation without a window: start-up as the program does, N black holes (1 to 3), each\n"
    "FIELD (a text field's name, such as TBH1 or Tmaxcount) typed with TEXT, then \"Start\", \"Cont\" and\n"
    "\"Next\" pressed in turn. The fields are listed at the end. FILE \"-\" is standard output; each\n"
    "output goes to a place of its own, and every output is checked before the run starts.\n"
    "\n"
    "  --bh N             number of black holes, 1 to 3 (default 1)\n"
    "  --refresh-every N  refresh the fields every N steps (default: every 10000 steps and at the first\n"
    "                     step past \"Total time\", which then ends a configuration there; the windows\n"
    "                     refresh ten times a second and end at the first refresh past it)\n"
    "  --max-steps N      press \"Stop\" at the first event pump after N integration steps in all\n"
    "  --json FILE        write the fields and captions at the end wait and at the end, as JSON\n"
    "  --trace FILE       write every plotted dot as CSV: configuration,step,body,x_km,y_km\n"
    "  --png FILE         write the display at the end wait as a PNG image\n"
    "  --table FILE       write one CSV row per configuration of the sweep, at full precision\n"
    "  --gravity MODEL    the law of gravity (default newtonian):\n";

// Between the models and the integrators.
const char* const kUsageBeforeIntegrators =
    "                     A model is Newton's law and post-Newtonian terms joined by \"+\" (2pn needs 1pn,\n"
    "                     3pn needs 2pn, 3.5pn needs 1pn and 2.5pn). They are an expansion in v/c: good\n"
    "                     for wide, slow orbits, only qualitative near the innermost stable orbit.\n"
    "                     Black holes 1 and 2 start on the model's circular orbit; one it does not have\n"
    "                     (or inside 6 G m / c^2) is refused. With three black holes the terms beyond\n"
    "                     1pn are those of each pair. A pair closer than 6 G m / c^2 merges (end reason\n"
    "                     merger12 for 1 and 2).\n"
    "  --integrator NAME  how the bodies are advanced in time (default euler):\n";

// What follows the integrators.
const char* const kUsageAfterIntegrators =
    "                     An adaptive integrator chooses its own steps and locates every event (light\n"
    "                     speed, a merger, a revolution, the total time, a strain sample) inside them;\n"
    "                     \"Max count\" then sets the first step tried, the plots (one every 1000 steps of\n"
    "                     the fixed step's time) and the rate of a mass change, the step count counts its\n"
    "                     steps, and \"delta t\" shows their mean (\"mean dt\"). The JSON records an\n"
    "                     integrator given here, its tolerance and its evaluations of the accelerations.\n"
    "  --tolerance E      the error per step of an adaptive integrator, from 1e-10 to 1 (default\n"
    "                     1e-9: a circular orbit keeps its energy to the last digits)\n"
    "  --strain FILE      write the gravitational-wave strain as CSV: configuration,t_s,h_plus,h_cross,\n"
    "                     one row every 1/HZ s of simulated time from each configuration's start, taken\n"
    "                     at the first step at or past that time; not with --sweep\n"
    "  --strain-rate HZ   samples a second of simulated time, above 0 and at most 1000000 (default 4096)\n"
    "  --distance-mpc D   the observer's distance in megaparsecs, above 0 (default 410)\n"
    "  --inclination-deg I  the angle between the line of sight and the orbit's normal (default 0)\n"
    "  --sweep FIELD=FROM:TO:STEP, --sweep FIELD=V1,V2,...\n"
    "                     a grid of whole runs, one per combination of the values (the last --sweep\n"
    "                     varies fastest), each value typed into FIELD after the FIELD=TEXT settings;\n"
    "                     the table gains the columns point and FIELD, --json writes one line per point,\n"
    "                     and FILE.grid.json beside each describes the grid; one --sweep per field, not\n"
    "                     with --trace or --png; --sweep gravity=MODEL,... sweeps the model,\n"
    "                     --sweep integrator=NAME,... the integrator\n"
    "  --shard K/N        run only the grid points whose index is K-1 modulo N (1 <= K <= N)\n"
    "  --resume           finish a grid that was killed or interrupted: run only the points its journal\n"
    "                     (FILE.journal beside the first output file) has not recorded\n"
    "  --jobs N           run the points of a grid and the configurations of a sweep in N threads,\n"
    "                     1 to 1024 (default: one per core); the output is the same as with one\n"
    "  --quiet            no progress line on a terminal\n"
    "  --help             print this text\n"
    "  --version          print the program's version\n"
    "\n"
    "--merge writes the table of a whole grid from the tables of its shards: the same header and grid,\n"
    "every point exactly once.\n"
    "\n"
    "Ctrl-C (SIGINT) or SIGTERM stops the run at its next event pump; a grid keeps every finished point\n"
    "in its journal for --resume. A second one ends the program at once.\n"
    "\n"
    "Exit status: 0 the run (every point of a grid) went through, 1 the run (a point of a grid) was\n"
    "refused or the tables to merge do not make one grid, 2 bad arguments (or a journal that is not this\n"
    "run's), 3 an output file could not be written, 130 or 143 stopped by SIGINT or SIGTERM.\n"
    "\n";

std::optional<std::int64_t> parseCount(const std::string& text, std::int64_t min, std::int64_t max) {
  const auto value = argumentInteger(text);
  if (!value || *value < min || *value > max) return std::nullopt;
  return value;
}

// Splits "--name=value" into the name and the value attached to it (none without "=").
std::pair<std::string, std::optional<std::string>> splitOption(const std::string& arg) {
  const auto eq = arg.find('=');
  if (eq == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

std::string& outputPath(BatchOptions& run, const std::string& name) {
  if (name == "--json") return run.jsonPath;
  if (name == "--trace") return run.tracePath;
  if (name == "--png") return run.pngPath;
  if (name == "--strain") return run.strainPath;
  return run.tablePath;
}

// Whether two output paths name one file: both standard output, or one regular file (or name to be) by
// two paths. Devices and pipes such as /dev/null may take several outputs.
bool sameOutput(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-") return a == b;
  struct stat first {
  }, second{};
  const bool firstExists = ::stat(a.c_str(), &first) == 0, secondExists = ::stat(b.c_str(), &second) == 0;
  if (firstExists && secondExists)
    return S_ISREG(first.st_mode) && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  if (firstExists || secondExists) return false;
  std::error_code error;
  const auto canonical = [&error](const std::string& path) {
    return std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
  };
  return a == b || canonical(a) == canonical(b);
}

bool isTextField(ControlId id) {
  return controlDesign(id).kind == ControlKind::TextField;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedCommand run() {
    while (i_ < args_.size() && error_.empty()) next();
    if (error_.empty()) checkOutputs();
    ParsedCommand parsed;
    if (error_.empty()) parsed.command = command();
    parsed.help = help_;
    parsed.version = version_;
    parsed.error = error_;
    return parsed;
  }

 private:
  // The first fault found is the one named.
  void fail(const std::string& message) {
    if (error_.empty()) error_ = message;
  }

  // The value of an option: after "=" or the next argument.
  std::optional<std::string> value(const std::string& name, const std::optional<std::string>& attached) {
    if (attached) return attached;
    if (i_ < args_.size()) return args_[i_++];
    fail("option " + name + " needs a value");
    return std::nullopt;
  }

  void count(const std::string& name, const std::optional<std::string>& attached, std::int64_t min,
             std::int64_t max, const std::function<void(std::int64_t)>& set);

  void number(const std::string& name, const std::optional<std::string>& attached, bool positive,
              double& target);
  void next();
  void axis(const std::string& name, const std::optional<std::string>& attached);
  void gravity(const std::string& name, const std::optional<std::string>& attached);
  void integrator(const std::string& name, const std::optional<std::string>& attached);
  void checkTolerance();
  void shard(const std::string& name, const std::optional<std::string>& attached);
  std::variant<BatchOptions, GridOptions> command();
  void checkGrid();
  void output(const std::string& name, const std::optional<std::string>& attached);
  void checkOutputs();

  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  BatchOptions run_;  // one run; for a grid, what its points share, with the grid's outputs and threads
  std::vector<GridAxis> axes_;
  std::vector<std::pair<std::string, std::string>> outputs_;  // option and path, in the order given
  std::vector<std::string> observerOptions_;  // --strain-rate, --distance-mpc, --inclination-deg given
  std::int64_t shardIndex_ = 1;
  std::int64_t shardCount_ = 1;
  bool resume_ = false;
  bool help_ = false;
  bool version_ = false;
  std::string error_;
};

void Parser::count(const std::string& name, const std::optional<std::string>& attached, std::int64_t min,
                   std::int64_t max, const std::function<void(std::int64_t)>& set) {
  const auto text = value(name, attached);
  if (!text) return;
  const auto n = parseCount(*text, min, max);
  if (!n) {
    fail("bad value '" + *text + "' for " + name);
    return;
  }
  set(*n);
}

void Parser::number(const std::string& name, const std::optional<std::string>& attached, bool positive,
                    double& target) {
  const auto text = value(name, attached);
  if (!text) return;
  const auto n = argumentNumber(*text);
  if (!n || (positive && !(*n > 0))) {
    fail("bad value '" + *text + "' for " + name + (positive ? ": a number above 0" : ": a number"));
    return;
  }
  target = *n;
}

void Parser::axis(const std::string& name, const std::optional<std::string>& attached) {
  const auto text = value(name, attached);
  if (!text) return;
  std::string error;
  if (auto parsed = parseGridAxis(*text, error)) {
    axes_.push_back(std::move(*parsed));
  } else {
    fail(error);
  }
}

void Parser::gravity(const std::string& name, const std::optional<std::string>& attached) {
  const auto text = value(name, attached);
  if (!text) return;
  run_.gravity = gravityModelNamed(*text);
  if (!run_.gravity) {
    fail("unknown gravity model '" + *text + "'; the models are " + gravityModelList());
  }
}

void Parser::integrator(const std::string& name, const std::optional<std::string>& attached) {
  const auto text = value(name, attached);
  if (!text) return;
  run_.integrator = integratorNamed(*text);
  if (!run_.integrator) fail("unknown integrator '" + *text + "'; the integrators are " + integratorList());
}

// A tolerance is the error per step of an adaptive integrator: one must be chosen, here or on an axis.
void Parser::checkTolerance() {
  if (!run_.tolerance) return;
  bool adaptive = run_.integrator && isAdaptive(*run_.integrator);
  for (const GridAxis& axis : axes_) {
    if (axis.kind != AxisKind::Integrator) continue;
    for (const std::string& text : axis.texts) adaptive = adaptive || isAdaptive(*integratorNamed(text));
  }
  if (!adaptive)
    fail(
        "--tolerance sets the error per step of an adaptive integrator: it needs one, such as --integrator "
        "ias15");
}

void Parser::shard(const std::string& name, const std::optional<std::string>& attached) {
  const auto text = value(name, attached);
  if (!text) return;
  const auto slash = text->find('/');
  const auto k = slash == std::string::npos ? std::nullopt : parseCount(text->substr(0, slash), 1, INT64_MAX);
  const auto n =
      slash == std::string::npos ? std::nullopt : parseCount(text->substr(slash + 1), 1, INT64_MAX);
  if (!k || !n || *k > *n) {
    fail("bad value '" + *text + "' for --shard: K/N with 1 <= K <= N");
    return;
  }
  shardIndex_ = *k;
  shardCount_ = *n;
}

// One run; or, with axes, a grid: the outputs, threads and progress line go to the grid, the rest is what
// its points share.
std::variant<BatchOptions, GridOptions> Parser::command() {
  if (!observerOptions_.empty() && run_.strainPath.empty())
    fail(observerOptions_.front() + " sets how the strain is recorded: it needs --strain FILE");
  checkTolerance();
  if (axes_.empty()) {
    if (shardCount_ > 1) fail("--shard needs a grid (--sweep)");
    if (resume_) fail("--resume needs a grid (--sweep)");
    return run_;
  }
  checkGrid();
  GridOptions grid;
  grid.axes = axes_;
  grid.tablePath = std::exchange(run_.tablePath, "");
  grid.jsonPath = std::exchange(run_.jsonPath, "");
  grid.jobs = std::exchange(run_.jobs, 0);
  grid.quiet = std::exchange(run_.quiet, false);
  grid.shardIndex = shardIndex_;
  grid.shardCount = shardCount_;
  grid.resume = resume_;
  grid.point = run_;
  return grid;
}

void Parser::checkGrid() {
  for (const GridAxis& axis : axes_) {
    if (axis.kind == AxisKind::Gravity && run_.gravity) {
      fail("--gravity and --sweep " + axis.given + " both choose the law of gravity: give one of them");
      return;
    }
    if (axis.kind == AxisKind::Integrator && run_.integrator) {
      fail("--integrator and --sweep " + axis.given + " both choose the integrator: give one of them");
      return;
    }
  }
  for (std::size_t a = 0; a < axes_.size(); ++a) {
    for (std::size_t b = 0; b < a; ++b) {
      if (axisName(axes_[a]) == axisName(axes_[b])) {
        fail(axisName(axes_[a]) + " is swept twice (--sweep " + axes_[b].given + " and --sweep " +
             axes_[a].given + "): one --sweep per field");
        return;
      }
    }
  }
  if (Grid(axes_).size() > kMaxGridPoints) {
    fail("the grid has more than " + std::to_string(kMaxGridPoints) + " points");
  } else if (!run_.tracePath.empty() || !run_.pngPath.empty()) {
    fail("--trace and --png show one run: they cannot be used with --sweep");
  } else if (!run_.strainPath.empty()) {
    fail("--strain records one run: it cannot be used with --sweep");
  }
}

void Parser::output(const std::string& name, const std::optional<std::string>& attached) {
  const auto path = value(name, attached);
  if (path && path->empty()) fail("option " + name + " needs a file name");
  if (!path || path->empty()) return;
  outputPath(run_, name) = *path;
  outputs_.emplace_back(name, *path);
}

// One output to one place: an option given twice would drop the first file, two outputs to one file
// would lose one of them.
void Parser::checkOutputs() {
  for (std::size_t a = 0; a < outputs_.size() && error_.empty(); ++a) {
    for (std::size_t b = 0; b < a; ++b) {
      const auto& [firstName, firstPath] = outputs_[b];
      const auto& [name, path] = outputs_[a];
      if (name == firstName) {
        fail(name + " is given twice ('" + firstPath + "' and '" + path + "'): one file an output");
      } else if (sameOutput(firstPath, path)) {
        fail(firstName + " and " + name + " both write '" + path + "': give each output a place of its own");
      }
      if (!error_.empty()) return;
    }
  }
}

void Parser::next() {
  const std::string arg = args_[i_++];
  if (arg.rfind("--", 0) == 0) {
    const auto [name, attached] = splitOption(arg);
    constexpr std::int64_t kMax = INT64_MAX;
    if (name == "--help" && !attached) {
      help_ = true;
    } else if (name == "--version" && !attached) {
      version_ = true;
    } else if (name == "--bh") {
      count(name, attached, 1, 3, [this](std::int64_t n) { run_.bodyCount = static_cast<int>(n); });
    } else if (name == "--refresh-every") {
      count(name, attached, 1, kMax, [this](std::int64_t n) { run_.refreshEvery = n; });
    } else if (name == "--max-steps") {
      count(name, attached, 0, kMax, [this](std::int64_t n) { run_.maxSteps = n; });
    } else if (name == "--jobs") {
      count(name, attached, 1, kMaxJobs, [this](std::int64_t n) { run_.jobs = static_cast<int>(n); });
    } else if (name == "--gravity") {
      gravity(name, attached);
    } else if (name == "--integrator") {
      integrator(name, attached);
    } else if (name == "--tolerance") {
      double tolerance = 0;
      number(name, attached, true, tolerance);
      if (tolerance > 0 && !isToleranceInRange(tolerance))
        fail(
            "bad value for --tolerance: from 1e-10 to 1 (below, the error estimate is rounding and the steps "
            "would shrink without end)");
      if (tolerance > 0) run_.tolerance = tolerance;
    } else if (name == "--sweep") {
      axis(name, attached);
    } else if (name == "--shard") {
      shard(name, attached);
    } else if (name == "--quiet" && !attached) {
      run_.quiet = true;
    } else if (name == "--resume" && !attached) {
      resume_ = true;
    } else if (name == "--strain-rate") {
      observerOptions_.push_back(name);
      number(name, attached, true, run_.strainRate);
      if (run_.strainRate > kMaxStrainRate) fail("bad value for --strain-rate: at most 1000000 (Hz)");
    } else if (name == "--distance-mpc") {
      observerOptions_.push_back(name);
      number(name, attached, true, run_.distanceMpc);
    } else if (name == "--inclination-deg") {
      observerOptions_.push_back(name);
      number(name, attached, false, run_.inclinationDeg);
    } else if (name == "--json" || name == "--trace" || name == "--png" || name == "--table" ||
               name == "--strain") {
      output(name, attached);
    } else {
      fail("unknown option '" + arg + "'");
    }
    return;
  }
  const auto eq = arg.find('=');
  const auto id = eq == std::string::npos ? std::nullopt : controlByName(arg.substr(0, eq));
  if (!id || !isTextField(*id)) {
    fail("'" + arg + "' is neither an option nor FIELD=TEXT with the name of a text field");
    return;
  }
  run_.fields.emplace_back(*id, arg.substr(eq + 1));
}

}  // namespace

namespace {

// "  newtonian   Newton's law, ...": one line a model (two where its names are long), from the table.
std::string modelLines() {
  constexpr std::size_t kIndent = 23, kNameWidth = 25;
  std::string lines;
  for (const GravityModelRow& row : kGravityModels) {
    std::string names(row.name);
    if (!row.shortName.empty()) names += ", " + std::string(row.shortName);
    lines += std::string(kIndent, ' ') + names;
    if (names.size() + 1 > kNameWidth) lines += "\n" + std::string(kIndent, ' ');
    lines += std::string(kNameWidth - (names.size() + 1 > kNameWidth ? 0 : names.size()), ' ');
    lines += std::string(row.help) + "\n";
  }
  return lines;
}

}  // namespace

// "  euler   semi-implicit Euler ...": one line an integrator, from the table.
std::string integratorLines() {
  constexpr std::size_t kIndent = 23, kNameWidth = 8;
  std::string lines;
  for (const IntegratorRow& row : integratorRows()) {
    lines += std::string(kIndent, ' ') + std::string(row.name) +
             std::string(kNameWidth - std::min(kNameWidth - 1, row.name.size()), ' ') +
             std::string(row.help) + "\n";
  }
  return lines;
}

std::string batchUsage() {
  return kUsageBeforeModels + modelLines() + kUsageBeforeIntegrators + integratorLines() +
         kUsageAfterIntegrators + fieldListText();
}

ParsedCommand parseBatchCommand(const std::vector<std::string>& args) {
  return Parser(args).run();
}

}  // namespace bhsim
