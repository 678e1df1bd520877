// The mathematics family of built-in functions: type tests, random numbers, rounding and
// arithmetic, trigonometry, aggregates and the planar helpers.
#pragma once

#include "code/builtin.h"

namespace qv::code {

BuiltinFamily MathFunctions();

// The direction from (x1, y1) to (x2, y2) in degrees, 0 to below 360, counter-clockwise on a
// screen whose y grows downwards. Motion and paths use the same rule.
double PointDirection(double x1, double y1, double x2, double y2);
// len * cos(dir) and -len * sin(dir), snapped to an integer within 0.0001 of it.
double LengthDirX(double len, double dir);
double LengthDirY(double len, double dir);

}  // namespace qv::code
