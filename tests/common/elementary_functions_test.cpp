// Each portable function against MPFR on a million arguments of a fixed seed, spread over its
// domain with its edges: every result must lie within one ulp (on the right side of the exact
// value), and the count of results that are not correctly rounded is printed.
#include "common/elementary_functions.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <mpfr.h>

namespace {

namespace portable = common::portable;

// The sanitizer build checks memory and undefined behaviour, not numbers: a tenth will do there.
#if defined(__SANITIZE_ADDRESS__)
constexpr int arguments_per_function = 100000;
#else
constexpr int arguments_per_function = 1000000;
#endif
constexpr double pi = 3.141592653589793;
constexpr double smallest_subnormal = 0x1p-1074;

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
// The second argument of the two-argument function under test.
mpfr_srcptr held_y = nullptr;

// f(x) in MPFR, correctly rounded to a double and to 256 bits.
struct Mpfr {
  mpfr_t x, rounded, precise;
  Mpfr() {
    mpfr_init2(x, 53);
    mpfr_init2(rounded, 53);
    mpfr_init2(precise, 256);
  }
  ~Mpfr() {
    mpfr_clear(x);
    mpfr_clear(rounded);
    mpfr_clear(precise);
  }
};

struct Tally {
  long not_correctly_rounded = 0;
  long beyond_one_ulp = 0;
  double first_bad_argument = 0.0;
};

// Compares one result: equal to the correctly rounded value, or its neighbour on the other side
// of the exact value (a faithful rounding, less than one ulp off).
void check(Mpfr& mpfr, MpfrFunction f, double x, double result, Tally& tally) {
  mpfr_set_d(mpfr.x, x, MPFR_RNDN);
  f(mpfr.rounded, mpfr.x, MPFR_RNDN);
  const double rounded = mpfr_get_d(mpfr.rounded, MPFR_RNDN);
  if (std::bit_cast<std::uint64_t>(result) == std::bit_cast<std::uint64_t>(rounded))
    return;
  ++tally.not_correctly_rounded;
  f(mpfr.precise, mpfr.x, MPFR_RNDN);
  const bool neighbour = std::nextafter(rounded, result) == result;
  const bool between =
      (mpfr_cmp_d(mpfr.precise, result) > 0) != (mpfr_cmp_d(mpfr.precise, rounded) > 0);
  if (!(neighbour && between) && tally.beyond_one_ulp++ == 0)
    tally.first_bad_argument = x;
}

// A double of random sign and mantissa whose exponent is uniform between the two given.
double log_uniform(std::mt19937_64& random, int min_exponent, int max_exponent) {
  const std::uint64_t bits = random();
  const int exponent =
      min_exponent +
      static_cast<int>(bits % static_cast<std::uint64_t>(max_exponent - min_exponent + 1));
  const double mantissa = 1.0 + static_cast<double>(bits >> 12) * 0x1p-52;
  const double value = std::ldexp(mantissa, exponent);
  return (random() & 1) ? -value : value;
}

// A double uniform in [lo, hi], from 53 random bits (exact across platforms).
double uniform(std::mt19937_64& random, double lo, double hi) {
  return lo + (hi - lo) * (static_cast<double>(random() >> 11) * 0x1p-53);
}

// A double within a few ulps of a multiple of `step` up to `max_multiple` of it.
double near_multiple(std::mt19937_64& random, double step, int max_multiple) {
  const auto k =
      static_cast<int>(random() % static_cast<std::uint64_t>(2 * max_multiple + 1)) - max_multiple;
  double x = k * step;
  const auto ulps = static_cast<int>(random() % 9) - 4;
  for (int i = 0; i < std::abs(ulps); ++i)
    x = std::nextafter(x, ulps > 0 ? INFINITY : -INFINITY);
  return x;
}

const std::vector<double> common_edges{0.0,
                                       -0.0,
                                       1.0,
                                       -1.0,
                                       smallest_subnormal,
                                       -smallest_subnormal,
                                       0x1p-1022,
                                       0x1.fffffffffffffp-1023,
                                       0x1p-27,
                                       -0x1p-27,
                                       std::nextafter(0x1p-27, 0.0),
                                       std::nextafter(1.0, 0.0),
                                       std::nextafter(-1.0, 0.0)};

// The edges, then the arguments `draw` makes up to a million.
std::vector<double> arguments(const std::vector<double>& edges,
                              const std::function<double(std::mt19937_64&)>& draw) {
  std::vector<double> xs = common_edges;
  xs.insert(xs.end(), edges.begin(), edges.end());
  std::mt19937_64 random(20261209);
  while (xs.size() < static_cast<std::size_t>(arguments_per_function))
    xs.push_back(draw(random));
  return xs;
}

void compare(const char* name, double (*portable_f)(double), MpfrFunction f,
             const std::vector<double>& xs) {
  Mpfr mpfr;
  Tally tally;
  for (double x : xs)
    check(mpfr, f, x, portable_f(x), tally);
  std::printf("%s: %zu arguments, %ld not correctly rounded, %ld more than one ulp off\n", name,
              xs.size(), tally.not_correctly_rounded, tally.beyond_one_ulp);
  EXPECT_EQ(tally.beyond_one_ulp, 0) << name << " first at " << tally.first_bad_argument;
}

// Angles of a few turns, angles of every size the reduction takes, and angles at and beside the
// multiples of pi/2 and of the table step pi/64, where the reduced argument nearly vanishes.
double angle(std::mt19937_64& random) {
  switch (random() % 8) {
  case 0:
  case 1:
  case 2:
    return uniform(random, -8 * pi, 8 * pi);
  case 3:
    return log_uniform(random, -1074, 14);
  case 4:
    return log_uniform(random, 15, 1023);
  case 5:
    return near_multiple(random, pi / 2, 20000);
  case 6:
    return near_multiple(random, pi / 64, 64 * 16);
  default:
    return uniform(random, -portable::reduction_limit, portable::reduction_limit);
  }
}

const std::vector<double> angle_edges{pi / 2, -pi / 2,    pi,      -pi,     2 * pi,
                                      pi / 4, 3 * pi / 4, pi / 64, 32767.0, -32767.99};

TEST(ElementaryFunctions, SineAgainstMpfr) {
  compare("sin", portable::sin, mpfr_sin, arguments(angle_edges, angle));
}

TEST(ElementaryFunctions, CosineAgainstMpfr) {
  compare("cos", portable::cos, mpfr_cos, arguments(angle_edges, angle));
}

TEST(ElementaryFunctions, TangentAgainstMpfr) {
  compare("tan", portable::tan, mpfr_tan, arguments(angle_edges, angle));
}

// Every magnitude a double has, the unit interval where the table lies, and the points next to 1.
TEST(ElementaryFunctions, ArctangentAgainstMpfr) {
  const std::vector<double> edges{INFINITY, -INFINITY, std::numeric_limits<double>::max(),
                                  0x1p27,   1.0 / 64,  63.0 / 64};
  compare("atan", portable::atan, mpfr_atan, arguments(edges, [](std::mt19937_64& random) {
            switch (random() % 4) {
            case 0:
              return log_uniform(random, -1074, 1023);
            case 1:
              return uniform(random, -1.0, 1.0);
            case 2:
              return uniform(random, -64.0, 64.0);
            default:
              return near_multiple(random, 1.0 / 64, 64);
            }
          }));
}

// The whole interval, arguments near +-1 (the smallest angles and those near pi), tiny ones, and
// both sides of the switch to the sine form.
double cosine_value(std::mt19937_64& random) {
  switch (random() % 4) {
  case 0:
  case 1:
    return uniform(random, -1.0, 1.0);
  case 2: {
    const double gap = std::fabs(log_uniform(random, -53, -1));
    return (random() & 1) ? 1.0 - gap : gap - 1.0;
  }
  default:
    return log_uniform(random, -1074, -1);
  }
}

const std::vector<double> cosine_edges{0.7071, std::nextafter(0.7071, 1.0), -0.7071, 0.5, -0.5};

TEST(ElementaryFunctions, ArccosineAgainstMpfr) {
  compare("acos", portable::acos, mpfr_acos, arguments(cosine_edges, cosine_value));
}

// The force field's functions come in two forms, exact products split or fused, and the processor
// picks one: both must give the same bits. Where the processor has fused multiply-adds both run.
TEST(ElementaryFunctions, SplitAndFusedFormsAgree) {
  if (!portable::variants::fused_usable)
    GTEST_SKIP() << "this processor has no fused multiply-add";
  struct Form {
    const char* name;
    double (*split)(double);
    double (*fused)(double);
    std::vector<double> xs;
  };
  namespace v = portable::variants;
  const std::vector<double> angles = arguments(angle_edges, angle);
  const std::vector<Form> forms{
      {"sin", v::sin_split, v::sin_fused, angles},
      {"cos", v::cos_split, v::cos_fused, angles},
      {"acos", v::acos_split, v::acos_fused, arguments(cosine_edges, cosine_value)}};
  for (const Form& form : forms) {
    long differ = 0;
    for (double x : form.xs)
      if (std::bit_cast<std::uint64_t>(form.split(x)) !=
          std::bit_cast<std::uint64_t>(form.fused(x)))
        ++differ;
    EXPECT_EQ(differ, 0) << form.name;
  }
}

// Pairs of coordinates of every size in the stated domain, and pairs of very different sizes.
TEST(ElementaryFunctions, HypotenuseAgainstMpfr) {
  Mpfr mpfr;
  mpfr_t y;
  mpfr_init2(y, 53);
  Tally tally;
  std::mt19937_64 random(20261209);
  for (int i = 0; i < arguments_per_function; ++i) {
    const double a = log_uniform(random, -480, 480);
    const double b = (i % 2) ? a * uniform(random, -2.0, 2.0) : log_uniform(random, -480, 480);
    mpfr_set_d(y, b, MPFR_RNDN);
    // hypot(a, b) as a function of a alone, with b held in y.
    auto hypot_with_b = [](mpfr_ptr out, mpfr_srcptr in, mpfr_rnd_t rounding) {
      return mpfr_hypot(out, in, held_y, rounding);
    };
    held_y = y;
    check(mpfr, hypot_with_b, a, portable::hypot(a, b), tally);
  }
  mpfr_clear(y);
  std::printf("hypot: %d argument pairs, %ld not correctly rounded, %ld more than one ulp off\n",
              arguments_per_function, tally.not_correctly_rounded, tally.beyond_one_ulp);
  EXPECT_EQ(tally.beyond_one_ulp, 0) << "hypot first at " << tally.first_bad_argument;
  EXPECT_EQ(portable::hypot(0.0, -0.0), 0.0);
  EXPECT_EQ(portable::hypot(-3.0, 4.0), 5.0);
}

// Outside their domains the functions give NaN, as the C library does.
TEST(ElementaryFunctions, OutsideTheDomainIsNan) {
  EXPECT_TRUE(std::isnan(portable::acos(std::nextafter(1.0, 2.0))));
  EXPECT_TRUE(std::isnan(portable::acos(-2.0)));
  EXPECT_TRUE(std::isnan(portable::sin(INFINITY)));
  EXPECT_TRUE(std::isnan(portable::cos(-INFINITY)));
  EXPECT_TRUE(std::isnan(portable::tan(NAN)));
  EXPECT_TRUE(std::isnan(portable::atan(NAN)));
}

} // namespace
