// The game's own sine, cosine and arc tangent. They use only exactly rounded arithmetic, so
// every platform (glibc on the desktop, musl in the browser) gets the same bits and a recorded
// run replays identically on either.
#pragma once

// Sine of x radians; NaN for an infinity or NaN, -0 for -0.
double kx_math_Sin(double x);
// Cosine of x radians; NaN for an infinity or NaN.
double kx_math_Cos(double x);
// Angle of the point (x, y) from the positive x axis in [-pi, pi], with the usual rules for
// signed zeros and infinities; NaN when either input is NaN.
double kx_math_Atan2(double y, double x);
