#include "sim/integrator.hpp"

#include "sim/steppers.hpp"

namespace bhsim {

std::span<const IntegratorRow> integratorRows() {
  return step::Steppers::kRows;
}

const IntegratorRow& integratorRow(Integrator integrator) {
  const auto rows = integratorRows();
  return integrator.row < rows.size() ? rows[integrator.row] : rows[0];
}

std::optional<Integrator> integratorNamed(std::string_view name) {
  const auto rows = integratorRows();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].name == name) return Integrator{static_cast<unsigned char>(row)};
  }
  return std::nullopt;
}

std::string integratorList() {
  std::string list;
  for (const IntegratorRow& row : integratorRows())
    list += (list.empty() ? "" : ", ") + std::string(row.name);
  return list;
}

}  // namespace bhsim
