#include "batch/batch_options.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <thread>

namespace bhsim {

namespace {

// The usage text up to the models of --gravity, and after them.
const char* const kUsageBeforeModels =
    "usage: bhsim --batch [--bh N] [--refresh-every N] [--max-steps N] [--json FILE|-] [--trace FILE]\n"
    "                     [--png FILE] [--table FILE] [--gravity MODEL]\n"
    "                     [--sweep FIELD=FROM:TO:STEP|FIELD=V1,V2,...|gravity=MODEL,...]...\n"
    "                     [--strain FILE [--strain-rate HZ] [--distance-mpc D] [--inclination-deg I]]\n"
    "                     [--shard K/N] [--resume] [--jobs N] [--quiet] [FIELD=TEXT ...]\n"
    "       bhsim --merge OUT.csv IN.csv...\n"
    "\n"
    "Runs the simulation without a window: start-up as the program does, N black holes (1 to 3), each\n"
    "FIELD (a text field's name, such as TBH1 or Tmaxcount) typed with TEXT, then \"Start\", \"Cont\" and\n"
    "\"Next\" pressed in turn.\n"
    "\n"
    "  --bh N             number of black holes, 1 to 3 (default 1)\n"
    "  --refresh-every N  refresh the fields every N steps instead of ten times a second (reproducible)\n"
    "  --max-steps N      press \"Stop\" at the first event pump after N integration steps in all\n"
    "  --json FILE|-      write the fields and captions at the end wait and at the end, as JSON\n"
    "  --trace FILE       write every plotted dot as CSV: configuration,step,body,x_km,y_km\n"
    "  --png FILE         write the display at the end wait as a PNG image\n"
    "  --table FILE       write one CSV row per configuration of the sweep, at full precision\n";

const char* const kUsageAfterModels =
    "                     A model is Newton's law and post-Newtonian terms joined by \"+\" (2pn needs 1pn,\n"
    "                     3pn needs 2pn, 3.5pn needs 1pn and 2.5pn). They are an expansion in v/c: good\n"
    "                     for wide, slow orbits, only qualitative near the innermost stable orbit.\n"
    "                     Black holes 1 and 2 start on the model's circular orbit; one it does not have\n"
    "                     (or inside 6 G m / c^2) is refused. With three black holes the terms beyond\n"
    "                     1pn are those of each pair. A pair closer than 6 G m / c^2 merges (end reason\n"
    "                     merger12 for 1 and 2).\n"
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
    "                     with --trace or --png; --sweep gravity=MODEL,... sweeps the model\n"
    "  --shard K/N        run only the grid points whose index is K-1 modulo N (1 <= K <= N)\n"
    "  --resume           finish a grid that was killed or interrupted: run only the points its journal\n"
    "                     (FILE.journal beside the first output file) has not recorded\n"
    "  --jobs N           run the points of a grid and the configurations of a sweep in N threads\n"
    "                     (default: one per core); the output is the same as with one\n"
    "  --quiet            no progress line on a terminal\n"
    "  --help             print this text\n"
    "\n"
    "--merge writes the table of a whole grid from the tables of its shards: the same header and grid,\n"
    "every point exactly once.\n"
    "\n"
    "Ctrl-C (SIGINT) or SIGTERM stops the run at its next event pump; a grid keeps every finished point\n"
    "in its journal for --resume. A second one ends the program at once.\n"
    "\n"
    "Exit status: 0 the run (every point of a grid) went through, 1 the run (a point of a grid) was\n"
    "refused or the tables to merge do not make one grid, 2 bad arguments (or a journal that is not this\n"
    "run's), 3 an output file could not be written, 130 or 143 stopped by SIGINT or SIGTERM.\n";

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

const std::string kBatchUsage = std::string(kUsageBeforeModels) +
                                "  --gravity MODEL    the law of gravity (default newtonian):\n" +
                                modelLines() + kUsageAfterModels;

namespace {

// Above a million samples a second the samples would fall on the same steps over and over.
constexpr double kMaxStrainRate = 1e6;

std::optional<std::int64_t> parseCount(const std::string& text, std::int64_t min, std::int64_t max) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < min || value > max) return std::nullopt;
  return value;
}

// Splits "--name=value" into name and value; value is empty when there is no "=".
std::pair<std::string, std::optional<std::string>> splitOption(const std::string& arg) {
  const auto eq = arg.find('=');
  if (eq == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// A finite decimal number, the whole text.
std::optional<double> parseNumber(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string& outputPath(BatchOptions& o, const std::string& name) {
  if (name == "--json") return o.jsonPath;
  if (name == "--trace") return o.tracePath;
  if (name == "--png") return o.pngPath;
  if (name == "--strain") return o.strainPath;
  return o.tablePath;
}

bool isTextField(ControlId id) {
  return controlDesign(id).kind == ControlKind::TextField;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedOptions run() {
    while (i_ < args_.size() && result_.error.empty()) next();
    if (result_.error.empty()) checkGrid();
    return result_;
  }

 private:
  void fail(const std::string& message) { result_.error = message; }

  // The value of an option: after "=" or the next argument.
  std::optional<std::string> value(const std::string& name, const std::optional<std::string>& inline_) {
    if (inline_) return inline_;
    if (i_ < args_.size()) return args_[i_++];
    fail("option " + name + " needs a value");
    return std::nullopt;
  }

  void count(const std::string& name, const std::optional<std::string>& inline_, std::int64_t min,
             std::int64_t max, const std::function<void(std::int64_t)>& set);

  void number(const std::string& name, const std::optional<std::string>& inline_, bool positive,
              double& target);
  void next();
  void sweep(const std::string& name, const std::optional<std::string>& inline_);
  void gravity(const std::string& name, const std::optional<std::string>& inline_);
  void shard(const std::string& name, const std::optional<std::string>& inline_);
  void checkGrid();

  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  ParsedOptions result_;
};

void Parser::count(const std::string& name, const std::optional<std::string>& inline_, std::int64_t min,
                   std::int64_t max, const std::function<void(std::int64_t)>& set) {
  const auto text = value(name, inline_);
  if (!text) return;
  const auto n = parseCount(*text, min, max);
  if (!n) {
    fail("bad value '" + *text + "' for " + name);
    return;
  }
  set(*n);
}

void Parser::number(const std::string& name, const std::optional<std::string>& inline_, bool positive,
                    double& target) {
  const auto text = value(name, inline_);
  if (!text) return;
  const auto n = parseNumber(*text);
  if (!n || (positive && !(*n > 0))) {
    fail("bad value '" + *text + "' for " + name + (positive ? ": a number above 0" : ": a number"));
    return;
  }
  target = *n;
}

void Parser::sweep(const std::string& name, const std::optional<std::string>& inline_) {
  const auto text = value(name, inline_);
  if (!text) return;
  std::string error;
  if (auto axis = parseSweep(*text, error)) {
    result_.options.sweeps.push_back(std::move(*axis));
  } else {
    fail(error);
  }
}

void Parser::gravity(const std::string& name, const std::optional<std::string>& inline_) {
  const auto text = value(name, inline_);
  if (!text) return;
  result_.options.gravity = gravityModelNamed(*text);
  if (!result_.options.gravity) {
    fail("unknown gravity model '" + *text + "'; the models are " + gravityModelList());
  }
}

void Parser::shard(const std::string& name, const std::optional<std::string>& inline_) {
  const auto text = value(name, inline_);
  if (!text) return;
  const auto slash = text->find('/');
  const auto k = slash == std::string::npos ? std::nullopt : parseCount(text->substr(0, slash), 1, INT64_MAX);
  const auto n =
      slash == std::string::npos ? std::nullopt : parseCount(text->substr(slash + 1), 1, INT64_MAX);
  if (!k || !n || *k > *n) {
    fail("bad value '" + *text + "' for --shard: K/N with 1 <= K <= N");
    return;
  }
  result_.options.shardIndex = *k;
  result_.options.shardCount = *n;
}

void Parser::checkGrid() {
  const BatchOptions& o = result_.options;
  if (o.sweeps.empty()) {
    if (o.shardCount > 1) fail("--shard needs a grid (--sweep)");
    if (o.resume) fail("--resume needs a grid (--sweep)");
    return;
  }
  for (std::size_t a = 0; a < o.sweeps.size(); ++a) {
    for (std::size_t b = 0; b < a; ++b) {
      if (axisName(o.sweeps[a]) == axisName(o.sweeps[b])) {
        fail(axisName(o.sweeps[a]) + " is swept twice (--sweep " + o.sweeps[b].given + " and --sweep " +
             o.sweeps[a].given + "): one --sweep per field");
        return;
      }
    }
  }
  if (Grid(o.sweeps).size() > kMaxGridPoints) {
    fail("the grid has more than " + std::to_string(kMaxGridPoints) + " points");
  } else if (!o.tracePath.empty() || !o.pngPath.empty()) {
    fail("--trace and --png show one run: they cannot be used with --sweep");
  } else if (!o.strainPath.empty()) {
    fail("--strain records one run: it cannot be used with --sweep");
  }
}

void Parser::next() {
  const std::string arg = args_[i_++];
  BatchOptions& o = result_.options;
  if (arg.rfind("--", 0) == 0) {
    const auto [name, inline_] = splitOption(arg);
    constexpr std::int64_t kMax = INT64_MAX;
    if (name == "--help" && !inline_) {
      o.help = true;
    } else if (name == "--bh") {
      count(name, inline_, 1, 3, [&o](std::int64_t n) { o.bodyCount = static_cast<int>(n); });
    } else if (name == "--refresh-every") {
      count(name, inline_, 1, kMax, [&o](std::int64_t n) { o.refreshEvery = n; });
    } else if (name == "--max-steps") {
      count(name, inline_, 0, kMax, [&o](std::int64_t n) { o.maxSteps = n; });
    } else if (name == "--jobs") {
      count(name, inline_, 1, 1024, [&o](std::int64_t n) { o.jobs = static_cast<int>(n); });
    } else if (name == "--gravity") {
      gravity(name, inline_);
    } else if (name == "--sweep") {
      sweep(name, inline_);
    } else if (name == "--shard") {
      shard(name, inline_);
    } else if (name == "--quiet" && !inline_) {
      o.quiet = true;
    } else if (name == "--resume" && !inline_) {
      o.resume = true;
    } else if (name == "--strain-rate") {
      number(name, inline_, true, o.strainRate);
      if (o.strainRate > kMaxStrainRate) fail("bad value for --strain-rate: at most 1000000 (Hz)");
    } else if (name == "--distance-mpc") {
      number(name, inline_, true, o.distanceMpc);
    } else if (name == "--inclination-deg") {
      number(name, inline_, false, o.inclinationDeg);
    } else if (name == "--json" || name == "--trace" || name == "--png" || name == "--table" ||
               name == "--strain") {
      const auto path = value(name, inline_);
      if (path && path->empty()) fail("option " + name + " needs a file name");
      if (!path || path->empty()) return;
      outputPath(o, name) = *path;
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
  o.fields.emplace_back(*id, arg.substr(eq + 1));
}

}  // namespace

int threadCount(const BatchOptions& options) {
  if (options.jobs > 0) return options.jobs;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

ParsedOptions parseBatchOptions(const std::vector<std::string>& args) {
  return Parser(args).run();
}

}  // namespace bhsim
