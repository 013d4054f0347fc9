// Sine, cosine and arc tangent from + - * / and integer work alone. Every step is one exactly
// rounded IEEE double operation (the build turns off fused multiply-add), so the results are
// the same bits on every platform, whatever its C library would have said.
#include "runtime/kxmath.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// An unevaluated sum hi + lo, lo far below hi: about 106 bits of a value.
struct Dd {
  double hi, lo;
};

// x = n * pi/2 + r with |r| at most about pi/4; only n mod 4 matters.
struct Reduced {
  int n;
  Dd r;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const Dd kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
const Dd kPio2 = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
const Dd kPio4 = {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55};
const double k3Pio4 = 0x1.2d97c7f3321d2p+1;
const double kInvPio2 = 0x1.45f306dc9c883p-1;

// pi/2 as 33 bits, the next 33 bits and the rest rounded: n times either of the first two is
// exact for n < 2^20, and the three leave pi/2 short by 1e-37.
const double kPio2Part1 = 0x1.921fb544p+0;
const double kPio2Part2 = 0x1.0b4611a6p-34;
const double kPio2Part3 = 0x1.3198a2e037073p-69;
// Below this the three-part reduction is used (n < 2^17), above it the bits of 2/pi.
const double kMediumLimit = 0x1p17;

// The bits of 2/pi after the binary point, 32 a word, behind two zero words: a window that
// starts before the point (for the smaller large arguments) reads zeros there.
const uint32_t kTwoOverPi[] = {
    0, 0,
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041,
    0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C,
    0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484, 0xE99C7026, 0xB45F7E41,
    0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D,
    0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08,
    0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};

// Taylor coefficients 1/k! with their signs; on [-pi/4, pi/4] the first term left out is
// below 1e-18 of the result.
const double kS3 = -0x1.5555555555555p-3, kS5 = 0x1.1111111111111p-7;
const double kS7 = -0x1.a01a01a01a01ap-13, kS9 = 0x1.71de3a556c734p-19;
const double kS11 = -0x1.ae64567f544e4p-26, kS13 = 0x1.6124613a86d09p-33;
const double kS15 = -0x1.ae7f3e733b81fp-41, kS17 = 0x1.952c77030ad4ap-49;
const double kC4 = 0x1.5555555555555p-5, kC6 = -0x1.6c16c16c16c17p-10;
const double kC8 = 0x1.a01a01a01a01ap-16, kC10 = -0x1.27e4fb7789f5cp-22;
const double kC12 = 0x1.1eed8eff8d898p-29, kC14 = -0x1.93974a8c07c9dp-37;
const double kC16 = 0x1.ae7f3e733b81fp-45;
// The arc tangent series; for 0 <= u <= 1/16 the first term left out is below 2^-59 of it.
const double kA3 = -0x1.5555555555555p-2, kA5 = 0x1.999999999999ap-3;
const double kA7 = -0x1.2492492492492p-3, kA9 = 0x1.c71c71c71c71cp-4;
const double kA11 = -0x1.745d1745d1746p-4, kA13 = 0x1.3b13b13b13b14p-4;

// atan(k/16) for k = 0..16.
const Dd kAtanSteps[17] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double FromBits(uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

double Abs(double v) { return FromBits(Bits(v) & ~(uint64_t{1} << 63)); }
bool SignBit(double v) { return (Bits(v) >> 63) != 0; }
// 2^k for a k with a normal result.
double Pow2(int k) { return FromBits(static_cast<uint64_t>(1023 + k) << 52); }

// s.hi + s.lo == a + b exactly.
Dd TwoSum(double a, double b) {
  double s = a + b;
  double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Dekker's product: p.hi + p.lo == a * b exactly, for |a|, |b| far below the overflow.
Dd TwoProd(double a, double b) {
  const double kSplit = 0x1p27 + 1;
  double ca = kSplit * a, cb = kSplit * b;
  double ah = ca - (ca - a), bh = cb - (cb - b);
  double al = a - ah, bl = b - bh;
  double p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// Cody-Waite for 0 <= x < kMediumLimit: x minus n times the first part is exact, the second
// product is exact, and the two sums keep the tail.
Reduced ReduceMedium(double x) {
  const double kRoundShift = 0x1.8p52;
  double fn = (x * kInvPio2 + kRoundShift) - kRoundShift;
  double a = x - fn * kPio2Part1;
  Dd s = TwoSum(a, -(fn * kPio2Part2));
  return {static_cast<int>(fn) & 3, TwoSum(s.hi, s.lo - fn * kPio2Part3)};
}

// 32 bits of kTwoOverPi from bit b on (bit 0 is the top of the first word).
uint32_t TableBits(int b) {
  int w = b / 32, s = b % 32;
  uint64_t pair = (uint64_t{kTwoOverPi[w]} << 32) | kTwoOverPi[w + 1];
  return static_cast<uint32_t>(pair >> (32 - s));
}

// (hi * 2^64 + lo) / 2^128 as a Dd, exact to 106 bits.
Dd FromFixed128(uint64_t hi, uint64_t lo) {
  if ((hi | lo) == 0) return {0, 0};
  int lz = 0;
  if (hi == 0) {
    hi = lo;
    lo = 0;
    lz = 64;
  }
  while ((hi >> 63) == 0) {
    hi = (hi << 1) | (lo >> 63);
    lo <<= 1;
    ++lz;
  }
  double top = static_cast<double>(hi >> 11);
  double next = static_cast<double>(((hi & 0x7FF) << 42) | (lo >> 22));
  return {top * Pow2(-53 - lz), next * Pow2(-106 - lz)};
}

// Payne-Hanek for finite x >= kMediumLimit. x = m * 2^e with an integer m < 2^53; the bits of
// 2/pi that x turns into multiples of 4 are skipped, and a 192-bit window of the rest times m
// holds x * 2/pi mod 4 with bit 190 worth 1. The bits below the window move the result by
// less than 2^-137, far below the closest any double comes to a multiple of pi/2 (about 2^-61).
Reduced ReduceLarge(double x) {
  uint64_t bits = Bits(x);
  int e = static_cast<int>(bits >> 52) - 1075;
  uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  uint32_t w[6];  // least significant word first
  for (int j = 0; j < 6; ++j) w[5 - j] = TableBits(e + 62 + 32 * j);
  const uint32_t mw[2] = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32)};
  uint32_t p[8] = {};
  for (int i = 0; i < 2; ++i) {
    uint64_t carry = 0;
    for (int j = 0; j < 6; ++j) {
      uint64_t t = uint64_t{mw[i]} * w[j] + p[i + j] + carry;
      p[i + j] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    p[i + 6] = static_cast<uint32_t>(carry);
  }
  uint64_t top = (uint64_t{p[5]} << 32) | p[4];
  uint64_t mid = (uint64_t{p[3]} << 32) | p[2];
  uint64_t low = (uint64_t{p[1]} << 32) | p[0];
  int n = static_cast<int>(top >> 62);
  uint64_t fh = (top << 2) | (mid >> 62), fl = (mid << 2) | (low >> 62);
  const bool up = (fh >> 63) != 0;  // a fraction of 1/2 or more rounds n up, r below 0
  if (up) {
    fl = ~fl + 1;
    fh = ~fh + (fl == 0 ? 1 : 0);
    ++n;
  }
  Dd f = FromFixed128(fh, fl);
  Dd prod = TwoProd(f.hi, kPio2.hi);
  Dd r = TwoSum(prod.hi, prod.lo + (f.hi * kPio2.lo + f.lo * kPio2.hi));
  if (up) r = {-r.hi, -r.lo};
  return {n & 3, r};
}

Reduced Reduce(double x) {
  double ax = Abs(x);
  if (ax <= kPio4.hi) return {0, {x, 0}};
  Reduced red = ax < kMediumLimit ? ReduceMedium(ax) : ReduceLarge(ax);
  if (SignBit(x)) red = {(4 - red.n) & 3, {-red.r.hi, -red.r.lo}};
  return red;
}

// sin(x + y) for |x| up to about pi/4 and a tail y far below x.
double SinKernel(double x, double y) {
  double z = x * x;
  double high = kS11 + z * (kS13 + z * (kS15 + z * kS17));
  double p = kS3 + z * (kS5 + z * (kS7 + z * (kS9 + z * high)));
  return x + (x * z * p + y * (1 - 0.5 * z));
}

// cos(x + y) likewise; the rounding of 1 - x^2/2 is won back and added at the end.
double CosKernel(double x, double y) {
  double z = x * x;
  double hz = 0.5 * z;
  double w = 1 - hz;
  double high = kC10 + z * (kC12 + z * (kC14 + z * kC16));
  double q = z * z * (kC4 + z * (kC6 + z * (kC8 + z * high)));
  return w + (((1 - w) - hz) + (q - x * y));
}

// sin(n * pi/2 + r).
double SinOf(int n, Dd r) {
  switch (n & 3) {
    case 0: return SinKernel(r.hi, r.lo);
    case 1: return CosKernel(r.hi, r.lo);
    case 2: return -SinKernel(r.hi, r.lo);
    default: return -CosKernel(r.hi, r.lo);
  }
}

// a / b for a Dd a and a Dd b, to about 100 bits.
Dd Divide(Dd a, Dd b) {
  double q = a.hi / b.hi;
  Dd p = TwoProd(q, b.hi);
  return {q, ((((a.hi - p.hi) - p.lo) + a.lo) - q * b.lo) / b.hi};
}

// atan(lo / hi) for finite 0 < lo <= hi. Both are first scaled by the same power of two, which
// keeps the ratio and puts hi in [1, 2^24), where the exact products below cannot overflow.
// With the step c = k/16 just below the ratio, atan(c) is added to the atan of
// u = (lo - c hi) / (hi + c lo), which lies in [0, 1/16]; u is formed as a Dd (lo - c hi
// cancels exactly), so the ratio is never rounded on its own, and the sum cancels nothing.
Dd AtanRatio(double lo, double hi) {
  if (hi < 0x1p-1000) {
    lo *= 0x1p600;
    hi *= 0x1p600;
  }
  int e = static_cast<int>(Bits(hi) >> 52) - 1023;
  double scale = Pow2(e < 1000 ? -e : -1000);
  lo *= scale;
  hi *= scale;
  int k = static_cast<int>(lo / hi * 16);
  double c = k * 0.0625;
  Dd ch = TwoProd(c, hi), cl = TwoProd(c, lo);
  Dd num = TwoSum(lo - ch.hi, -ch.lo);
  Dd den = TwoSum(hi, cl.hi);
  Dd u = Divide(num, {den.hi, den.lo + cl.lo});
  double z = u.hi * u.hi;
  double tail = u.hi * z * (kA3 + z * (kA5 + z * (kA7 + z * (kA9 + z * (kA11 + z * kA13)))));
  Dd s = TwoSum(kAtanSteps[k].hi, u.hi);
  return {s.hi, s.lo + (kAtanSteps[k].lo + (tail + u.lo))};
}

// c - v, kept as a Dd.
Dd Minus(Dd c, Dd v) {
  Dd s = TwoSum(c.hi, -v.hi);
  return {s.hi, s.lo + (c.lo - v.lo)};
}

// The angle of (ax, ay) or, to the left, of (-ax, ay), for finite nonzero ax and ay: folded
// into the first octant and unfolded again around pi/2 and pi.
double AtanFinite(double ay, double ax, bool left) {
  Dd a = ay > ax ? Minus(kPio2, AtanRatio(ax, ay)) : AtanRatio(ay, ax);
  if (left) a = Minus(kPi, a);
  return a.hi + a.lo;
}

}  // namespace

double kx_math_Sin(double x) {
  double ax = Abs(x);
  if (!(ax < kInf)) return kNaN;
  if (ax < 0x1p-27) return x;  // x^3/6 is below half an ulp of x; keeps -0
  Reduced red = Reduce(x);
  return SinOf(red.n, red.r);
}

double kx_math_Cos(double x) {
  double ax = Abs(x);
  if (!(ax < kInf)) return kNaN;
  if (ax < 0x1p-27) return 1;
  Reduced red = Reduce(x);
  return SinOf(red.n + 1, red.r);
}

double kx_math_Atan2(double y, double x) {
  if (x != x || y != y) return kNaN;
  double ay = Abs(y), ax = Abs(x);
  bool left = SignBit(x);
  double v;
  if (ay == 0) {
    v = left ? kPi.hi : 0;
  } else if (ax == 0) {
    v = kPio2.hi;
  } else if (ay == kInf) {
    v = ax == kInf ? (left ? k3Pio4 : kPio4.hi) : kPio2.hi;
  } else if (ax == kInf) {
    v = left ? kPi.hi : 0;
  } else {
    v = AtanFinite(ay, ax, left);
  }
  return SignBit(y) ? -v : v;
}
