// Exact groups closed, classified and named from their generators, for the tests of the
// classification and of the standard orientation.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "symmetry/classify.hpp"
#include "symmetry/group.hpp"
#include "symmetry/naming.hpp"
#include "symmetry/operation_builders.hpp"
#include "symmetry/operations.hpp"

namespace test_support {

struct Classified {
  symmetry::Group group;
  std::vector<int> inverse = std::vector<int>(symmetry::max_operations);
  std::vector<int> codes = std::vector<int>(symmetry::max_operations);
  std::vector<Axis> axes = std::vector<Axis>(symmetry::max_operations);
  symmetry::Principal principal;
  symmetry::References refs;
  std::string label = "????";
};

// Closure of the generators, inverses, classification and naming, as the search driver runs
// them.
inline Classified classify(std::initializer_list<Operation> generators, double thrsym = 0.01) {
  common::RunContext run("", common::UnitsTo::memory);
  const symmetry::Thresholds th = symmetry::make_thresholds(thrsym);
  Classified c;
  c.group = symmetry::make_group(th);
  for (const Operation& r : generators) {
    EXPECT_EQ(symmetry::grpgrp(r, c.group), symmetry::Status::ok);
    c.group.order = c.group.count;
  }
  if (symmetry::syminv(c.group, c.inverse) != symmetry::Status::ok) {
    ADD_FAILURE() << "no inverse";
    return c;
  }
  EXPECT_EQ(symmetry::analys(run, c.group, c.inverse, c.axes, c.codes, c.principal, th),
            symmetry::Status::ok);
  EXPECT_EQ(symmetry::ggroup(c.axes, c.codes, c.group.count, c.principal, th, c.refs, c.label),
            symmetry::Status::ok);
  return c;
}

} // namespace test_support
