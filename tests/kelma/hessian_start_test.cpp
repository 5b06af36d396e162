#include "kelma/hessian_start.hpp"

#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <vector>

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

MatrixXd as_matrix(const std::vector<double>& data, Eigen::Index rows, Eigen::Index cols) {
  return Eigen::Map<const MatrixXd>(data.data(), rows, cols);
}

std::vector<double> as_vector(const MatrixXd& m) { return {m.data(), m.data() + m.size()}; }

MatrixXd start_of(const MatrixXd& h, const std::vector<double>& xyz) {
  std::vector<double> b(static_cast<std::size_t>(h.size()));
  EXPECT_EQ(kelma::internal_inverse(as_vector(h), xyz, b), kelma::inverse_found);
  return as_matrix(b, h.rows(), h.cols());
}

TEST(RigidModes, ThreeForAnAtomFiveForALineSixOtherwise) {
  EXPECT_EQ(kelma::rigid_modes(std::vector<double>{0.3, -1.0, 2.0}).count, 3);
  const std::vector<double> line{0, 0, 0, 0.6, 0.8, 0, 1.2, 1.6, 0};
  EXPECT_EQ(kelma::rigid_modes(line).count, 5);
  const std::vector<double> water{0, 0, 0, 1.43, 0, 1.1, -1.43, 0, 1.1};
  const kelma::RigidModes modes = kelma::rigid_modes(water);
  ASSERT_EQ(modes.count, 6);
  const MatrixXd r = as_matrix(modes.basis, 9, 6);
  EXPECT_TRUE((r.transpose() * r).isIdentity(1e-14));
}

// A bond of curvature k along u: the only internal motion of a diatomic is the stretch
// w = (u, -u) / sqrt(2), of curvature 2k, so the start is w w^T / 2k plus 1 - w w^T.
TEST(InternalInverse, ExactOnADiatomic) {
  const Eigen::Vector3d u = Eigen::Vector3d(1.0, -2.0, 0.5).normalized();
  const double k = 0.31237716623644607;
  MatrixXd h(6, 6);
  const MatrixXd block = k * u * u.transpose();
  h << block, -block, -block, block;
  const std::vector<double> xyz{0.1, 0.2, 0.3, 0.1 + 2 * u(0), 0.2 + 2 * u(1), 0.3 + 2 * u(2)};
  VectorXd w(6);
  w << u, -u;
  w /= std::sqrt(2.0);
  const MatrixXd expected =
      w * w.transpose() / (2 * k) + (MatrixXd::Identity(6, 6) - w * w.transpose());
  EXPECT_TRUE(start_of(h, xyz).isApprox(expected, 1e-13));
}

// A bent triatomic with three internal curvatures chosen by hand: one stiff, one negative (a
// saddle), one below the floor. The start takes 1/|lambda|, floored, on each.
TEST(InternalInverse, NegativeAndTinyCurvaturesTurnPositiveAndFloored) {
  const std::vector<double> xyz{0, 0, 0, 1.43, 0, 1.1, -1.43, 0, 1.1};
  const MatrixXd r = as_matrix(kelma::rigid_modes(xyz).basis, 9, 6);
  // Three internal directions: any vectors with the rigid part taken out, orthonormalised.
  MatrixXd q = MatrixXd::Random(9, 3);
  q -= r * (r.transpose() * q);
  q = Eigen::HouseholderQR<MatrixXd>(q).householderQ() * MatrixXd::Identity(9, 3);
  const Eigen::Vector3d lambda(0.5, -0.02, 1e-5);
  const MatrixXd h = q * lambda.asDiagonal() * q.transpose();
  const Eigen::Vector3d inverse(1 / 0.5, 1 / 0.02, 1 / kelma::curvature_floor);
  const MatrixXd expected = q * inverse.asDiagonal() * q.transpose() + r * r.transpose();
  const MatrixXd start = start_of(h, xyz);
  EXPECT_TRUE(start.isApprox(expected, 1e-10));
  EXPECT_GT(Eigen::SelfAdjointEigenSolver<MatrixXd>(start).eigenvalues().minCoeff(), 0.0);
}

TEST(InternalInverse, ARowWithoutCurvatureLeavesNothingToInvert) {
  MatrixXd h = MatrixXd::Identity(6, 6);
  h(4, 4) = 1e-21;
  const std::vector<double> xyz{0, 0, 0, 1, 0, 0};
  std::vector<double> b(36, 7.0);
  EXPECT_EQ(kelma::internal_inverse(as_vector(h), xyz, b), kelma::inverse_singular);
  EXPECT_EQ(b, std::vector<double>(36, 7.0));
}

} // namespace
