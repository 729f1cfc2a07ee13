#include "sim/post_newtonian.hpp"

#include <array>
#include <utility>

namespace bhsim::gravity {
namespace {

using AccelerationsFunction = void (*)(std::span<const Body>, std::span<Vec2>);

template <GravityModel kModel, int count>
void accelerationsFor(std::span<const Body> bodies, std::span<Vec2> out) {
  Body in[count];
  Vec2 result[count];
  for (int i = 0; i < count; ++i) in[i] = bodies[static_cast<std::size_t>(i)];
  accelerationsOf<kModel>(in, result);
  for (int i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = result[i];
}

// Newton's law pair by pair, each pull m dx / r³ (the order of operations the strain has always had);
// a pair at one point pulls nothing.
void newtonianAccelerations(std::span<const Body> bodies, std::span<Vec2> out) {
  for (std::size_t i = 0; i < bodies.size(); ++i) out[i] = {};
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    for (std::size_t j = i + 1; j < bodies.size(); ++j) {
      const double dx = bodies[j].position.x - bodies[i].position.x;
      const double dy = bodies[j].position.y - bodies[i].position.y;
      const double squared = dx * dx + dy * dy;
      if (squared == 0) continue;
      const double cubed = squared * std::sqrt(squared);
      out[i] = {out[i].x + bodies[j].mass * dx / cubed, out[i].y + bodies[j].mass * dy / cubed};
      out[j] = {out[j].x - bodies[i].mass * dx / cubed, out[j].y - bodies[i].mass * dy / cubed};
    }
  }
}

template <int count, std::size_t... row>
constexpr std::array<AccelerationsFunction, sizeof...(row)> accelerationsTable(std::index_sequence<row...>) {
  return {(kGravityModels[row].model == GravityModel::Newtonian
               ? &newtonianAccelerations
               : &accelerationsFor<kGravityModels[row].model, count>)...};
}

constexpr auto kRows = std::make_index_sequence<std::size(kGravityModels)>();
constexpr auto kTwoBodies = accelerationsTable<2>(kRows);
constexpr auto kThreeBodies = accelerationsTable<3>(kRows);

std::size_t rowIndex(GravityModel model) {
  return static_cast<std::size_t>(&gravityModelRow(model) - kGravityModels);
}

// The relative motion of a pair in its centre-of-mass frame.
PairMotion pairMotion(Vec2 separation, Vec2 relativeVelocity, double mass1, double mass2) {
  const double r = std::sqrt(dot(separation, separation)), m = mass1 + mass2;
  return {symmetricMassRatio(mass1, mass2),     m, r, m / r, dot(relativeVelocity, relativeVelocity),
          dot(separation, relativeVelocity) / r};
}

// The sum of `part(term)` over the pair terms the model has, in the order of the expansion.
template <class Part>
double sumOverPairTerms(GravityModel model, Part part) {
  double sum = 0;
  forEachTerm(PairTermList{}, [&](auto term) {
    if (model.has(decltype(term)::kTerm)) sum += part(term);
  });
  return sum;
}

// The energies of a pair's conservative pair terms (2PN, 3PN) per unit reduced mass, as the model has them.
double pairSpecificEnergyBeyondFirstOrder(GravityModel model, const PairMotion& pair) {
  return sumOverPairTerms(model, [&pair](auto term) {
    using Term = decltype(term);
    if constexpr (Term::kConservative) return Term::specificEnergy(pair) * Term::kInverseLight;
    return 0.0;
  });
}

// Kinetic plus Newtonian potential energy.
double newtonianEnergy(std::span<const Body> bodies) {
  double energy = 0;
  for (std::size_t a = 0; a < bodies.size(); ++a) {
    const Body& A = bodies[a];
    energy += 0.5 * A.mass * dot(A.velocity, A.velocity);
    for (std::size_t b = a + 1; b < bodies.size(); ++b) {
      const Vec2 d = A.position - bodies[b].position;
      energy -= (A.mass * bodies[b].mass) / std::sqrt(dot(d, d));
    }
  }
  return energy;
}

}  // namespace

void accelerations(GravityModel model, std::span<const Body> bodies, std::span<Vec2> out) {
  const std::size_t row = rowIndex(model);
  if (bodies.size() == 3) {
    kThreeBodies[row](bodies, out);
  } else if (bodies.size() == 2) {
    kTwoBodies[row](bodies, out);
  }
}

Vec2 binaryRelativeAcceleration(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                                double mass2) {
  const PairMotion pair = pairMotion(separation, relativeVelocity, mass1, mass2);
  const auto along = [&pair](auto term) { return term.relative(pair).alongSeparation * term.kInverseLight; };
  const auto withVelocity = [&pair](auto term) {
    return term.relative(pair).alongVelocity * term.kInverseLight;
  };
  double termA = sumOverPairTerms(model, along), termB = sumOverPairTerms(model, withVelocity);
  if (model.has(Term::FirstPostNewtonian)) {
    termA += along(FirstPostNewtonianTerm{});
    termB += withVelocity(FirstPostNewtonianTerm{});
  }
  const double r = std::sqrt(dot(separation, separation));
  const Vec2 n = (1 / r) * separation;
  return (-(mass1 + mass2) / (r * r)) * ((1 + termA) * n + termB * relativeVelocity);
}

double conservedEnergy(GravityModel model, std::span<const Body> bodies) {
  double energy = model.has(Term::FirstPostNewtonian) ? FirstPostNewtonianTerm::energyWithNewtons(bodies)
                                                      : newtonianEnergy(bodies);
  if (model.conservativeOrder() < 2) return energy;
  for (std::size_t a = 0; a < bodies.size(); ++a) {
    for (std::size_t b = a + 1; b < bodies.size(); ++b) {
      const Body &A = bodies[a], &B = bodies[b];
      const double total = A.mass + B.mass;
      if (total == 0 || (A.position.x == B.position.x && A.position.y == B.position.y)) continue;
      const PairMotion pair = pairMotion(A.position - B.position, A.velocity - B.velocity, A.mass, B.mass);
      energy += ((A.mass * B.mass) / total) * pairSpecificEnergyBeyondFirstOrder(model, pair);
    }
  }
  return energy;
}

double binarySpecificEnergy(GravityModel model, Vec2 separation, Vec2 relativeVelocity, double mass1,
                            double mass2) {
  const PairMotion pair = pairMotion(separation, relativeVelocity, mass1, mass2);
  const double newtonian = 0.5 * pair.speedSquared - pair.mass / pair.distance;
  if (!hasFirstPostNewtonian(model)) return newtonian;
  const double firstOrder = newtonian + FirstPostNewtonianTerm::specificEnergy(pair) / kLightSquared;
  if (model.conservativeOrder() < 2) return firstOrder;
  return firstOrder + pairSpecificEnergyBeyondFirstOrder(model, pair);
}

}  // namespace bhsim::gravity
