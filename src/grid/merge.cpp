#include "grid/merge.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iostream>

#include "grid/grid.hpp"
#include "grid/grid_description.hpp"
#include "output/output_file.hpp"

namespace bhsim {
namespace {

struct Table {
  std::string path;
  std::vector<std::string> lines;
  nlohmann::ordered_json description;  // of the grid, from the file beside it, without the shard
};

// One point's rows: the lines [first, last) of one table.
struct Block {
  std::size_t table, first, last;
};

struct MergeError {
  int status;
  std::string message;
};

Table readTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MergeError{2, "cannot read '" + path + "'"};
  Table table{path, {}, {}};
  std::string line;
  while (std::getline(in, line)) table.lines.push_back(line);
  if (table.lines.empty()) throw MergeError{2, "'" + path + "' is not a grid table: it has no header"};
  const std::string described = descriptionPath(path);
  std::ifstream description(described, std::ios::binary);
  table.description = nlohmann::ordered_json::parse(description, nullptr, false);
  if (!description || !table.description.is_object())
    throw MergeError{2, "'" + path + "' has no grid description beside it ('" + described + "')"};
  table.description.erase("shard");
  return table;
}

// "3, 7-9" for the points 3, 7, 8, 9; at most twenty runs, then how many more.
std::string pointList(const std::vector<std::int64_t>& points) {
  std::string text;
  std::size_t runs = 0;
  for (std::size_t i = 0; i < points.size(); ++runs) {
    std::size_t j = i;
    while (j + 1 < points.size() && points[j + 1] == points[j] + 1) ++j;
    if (runs == 20) return text + " and " + std::to_string(points.size() - i) + " more";
    text += (text.empty() ? "" : ", ") + std::to_string(points[i]) +
            (j > i ? "-" + std::to_string(points[j]) : "");
    i = j + 1;
  }
  return text;
}

class Merger {
 public:
  explicit Merger(std::vector<Table> tables) : tables_(std::move(tables)) {}
  std::string merged();
  const nlohmann::ordered_json& description() const { return tables_.front().description; }

 private:
  void checkHeaders();
  std::int64_t pointOf(std::size_t table, std::size_t line, const std::vector<std::string>& row) const;
  void collectBlocks();
  void checkCoverage() const;

  std::vector<Table> tables_;
  std::optional<Grid> grid_;
  std::size_t columns_ = 0;
  std::vector<std::vector<Block>> blocks_;  // by point
};

void Merger::checkHeaders() {
  const Table& first = tables_.front();
  for (const Table& t : tables_) {
    if (t.description != first.description || t.lines[0] != first.lines[0]) {
      throw MergeError{2,
                       "'" + t.path + "' and '" + first.path + "' are tables of different grids or headers"};
    }
  }
  std::string error;
  grid_ = gridOfDescription(first.description, error);
  if (!grid_) throw MergeError{2, "'" + descriptionPath(first.path) + "': " + error};
  if (first.lines[0] !=
      gridTableHeader(*grid_, gridTableLayout(gravityOfDescription(first.description), *grid_)))
    throw MergeError{2, "the header of '" + first.path + "' is not that of the grid its description names"};
  columns_ = split(first.lines[0], ',').size();
  blocks_.resize(static_cast<std::size_t>(grid_->size()));
}

std::int64_t Merger::pointOf(std::size_t table, std::size_t line, const std::vector<std::string>& row) const {
  const std::string where = "line " + std::to_string(line + 1) + " of '" + tables_[table].path + "'";
  if (row.size() != columns_) {
    throw MergeError{
        2, where + " has " + std::to_string(row.size()) + " columns, the header " + std::to_string(columns_)};
  }
  std::int64_t point = -1;
  const std::string& cell = row[0];
  const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), point);
  const bool inGrid = ec == std::errc() && end == cell.data() + cell.size() && point >= 0 &&
                      point < grid_->size() &&
                      std::equal(row.begin() + 1, row.begin() + 1 + static_cast<long>(grid_->axes().size()),
                                 grid_->texts(point).begin());
  if (!inGrid) throw MergeError{2, where + " is no point of the grid"};
  return point;
}

void Merger::collectBlocks() {
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    const auto& lines = tables_[t].lines;
    std::int64_t current = -1;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::int64_t point = pointOf(t, i, split(lines[i], ','));
      auto& blocks = blocks_[static_cast<std::size_t>(point)];
      if (point == current) {
        blocks.back().last = i + 1;
      } else {
        blocks.push_back({t, i, i + 1});
        current = point;
      }
    }
  }
}

void Merger::checkCoverage() const {
  std::vector<std::int64_t> missing, doubled;
  for (std::size_t p = 0; p < blocks_.size(); ++p) {
    if (blocks_[p].empty()) missing.push_back(static_cast<std::int64_t>(p));
    if (blocks_[p].size() > 1) doubled.push_back(static_cast<std::int64_t>(p));
  }
  std::string message;
  if (!missing.empty())
    message = "missing point" + std::string(missing.size() > 1 ? "s " : " ") + pointList(missing);
  if (!doubled.empty()) {
    message += (message.empty() ? "" : "; ") + std::string("point") + (doubled.size() > 1 ? "s" : "") +
               " given more than once: " + pointList(doubled);
  }
  if (!message.empty()) throw MergeError{1, message};
}

std::string Merger::merged() {
  checkHeaders();
  collectBlocks();
  checkCoverage();
  std::string out = tables_.front().lines[0] + "\n";
  for (const auto& blocks : blocks_) {
    const Block& b = blocks.front();
    for (std::size_t i = b.first; i < b.last; ++i) out += tables_[b.table].lines[i] + "\n";
  }
  return out;
}

}  // namespace

int mergeTables(const std::string& output, const std::vector<std::string>& inputs) {
  try {
    std::vector<Table> tables;
    for (const std::string& input : inputs) tables.push_back(readTable(input));
    Merger merger(std::move(tables));
    const std::string text = merger.merged();
    std::string error = writeOutputFile(output, text);
    if (error.empty())
      error = writeOutputFile(descriptionPath(output), descriptionText(merger.description()));
    if (!error.empty()) throw MergeError{3, "cannot write '" + output + "': " + error};
    return 0;
  } catch (const MergeError& e) {
    std::cerr << "bhsim: merge: " << e.message << "\n";
    return e.status;
  }
}

}  // namespace bhsim
