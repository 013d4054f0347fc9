// The game's own sine, cosine and arc tangent: close to the C library everywhere, exact where
// the answer is a known double, and the C rules for zeros, infinities and NaN.
#include "runtime/kxmath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

const double kInf = INFINITY, kNaN = NAN;

// Within 1e-15 of want, relative (a few ulps).
void ExpectNear(double got, double want, const char* what, double arg) {
  EXPECT_LE(std::fabs(got - want), 1e-15 * std::fabs(want)) << what << " of " << arg;
}

TEST(KxMath, SineAndCosineFollowTheLibrary) {
  std::vector<double> args = {1e-300, 5e-324, 1e-10, 1e-5, 0.5, 0.7853981633974483,
                              0.7853981633974484, 1, 2, 3, M_PI, M_PI / 2, 3 * M_PI / 2, 2 * M_PI,
                              355, 1000.5, 99999.9, 60001 * M_PI / 2, 0x1p17,
                              std::nextafter(0x1p17, 0), 123456789.5, DBL_MAX};
  for (int i = -1000; i <= 1000; ++i) args.push_back(i * 0.0371);  // the angles the game turns
  for (double x = 1e6; x < 1e308; x *= 1e10) args.push_back(x);  // every stretch of 2/pi's bits
  for (double a : args) {
    for (double x : {a, -a}) {
      ExpectNear(kx_math_Sin(x), std::sin(x), "sin", x);
      ExpectNear(kx_math_Cos(x), std::cos(x), "cos", x);
      double sy = std::sin(x), cx = std::cos(0.5 * x);
      ExpectNear(kx_math_Atan2(sy, cx), std::atan2(sy, cx), "atan2", x);
    }
  }
  // The double nearest to a multiple of pi/2 of all; its cosine, worked out to 3000 bits.
  ExpectNear(kx_math_Cos(0x1.6ac5b262ca1ffp+849), -0x1.14ae72e6ba22fp-61, "cos", 0);
  EXPECT_TRUE(kx_math_Sin(0) == 0 && !std::signbit(kx_math_Sin(0)));
  EXPECT_TRUE(kx_math_Sin(-0.0) == 0 && std::signbit(kx_math_Sin(-0.0)));
  EXPECT_TRUE(kx_math_Cos(0) == 1 && kx_math_Cos(-0.0) == 1);
  for (double x : {kInf, -kInf, kNaN}) {
    EXPECT_TRUE(std::isnan(kx_math_Sin(x)) && std::isnan(kx_math_Cos(x))) << x;
  }
}

TEST(KxMath, ArcTangentQuadrantsZerosAndInfinities) {
  const double pairs[][2] = {{-3, 4}, {3, -4}, {-3, -4}, {1e-300, 1}, {1, 1e-300}, {1e300, 1e-300},
                             {1e308, 1.1e308}, {5e-324, 1}, {1e-310, 3e-310}, {1, -0.9999999}};
  for (const auto& p : pairs) {
    ExpectNear(kx_math_Atan2(p[0], p[1]), std::atan2(p[0], p[1]), "atan2", p[0]);
  }
  const double exact[][3] = {{0, -1, M_PI}, {1, 1, M_PI / 4}, {-1, -1, -3 * M_PI / 4},
                             {0, 1, 0}, {-0.0, 1, -0.0}, {-0.0, -1, -M_PI}, {0, -0.0, M_PI},
                             {-0.0, 0, -0.0}, {-0.0, -0.0, -M_PI}, {2, 0, M_PI / 2},
                             {-2, -0.0, -M_PI / 2}, {kInf, kInf, M_PI / 4},
                             {kInf, -kInf, 3 * M_PI / 4}, {-kInf, 1, -M_PI / 2}, {1, kInf, 0},
                             {-1, kInf, -0.0}, {-1, -kInf, -M_PI}};
  for (const auto& e : exact) {
    double got = kx_math_Atan2(e[0], e[1]);
    EXPECT_TRUE(got == e[2] && std::signbit(got) == std::signbit(e[2])) << e[0] << ", " << e[1];
  }
  for (double v : {1.0, 0.0, kInf}) {
    EXPECT_TRUE(std::isnan(kx_math_Atan2(kNaN, v)) && std::isnan(kx_math_Atan2(v, kNaN))) << v;
  }
}

}  // namespace
