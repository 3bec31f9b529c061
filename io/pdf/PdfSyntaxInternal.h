#pragma once
// Numbers, matrices and rectangles as PDF writes them. Document coordinates are millipoints;
// PDF user space is points, so lengths are divided by 1000 and transformations are conjugated
// by that scaling (the linear part stays, the translation is divided).

#include <vexl/Compound.h>
#include <vexl/Geometry.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

inline constexpr double kMilliPointsPerPoint = 1000;

// The PDF name /`name`.
inline QPDFObjectHandle PdfName(const std::string& name) { return QPDFObjectHandle::newName("/" + name); }

// A finite number in plain decimal notation, at most `decimals` digits after the point, without
// trailing zeros ("0.5", "12", "-3.25"). Throws std::invalid_argument for NaN or infinity.
std::string FormatNumber(double value, int decimals = 6);
// A length or coordinate given in millipoints, written in points to the millipoint: finer than
// any output device, and the grid the model's outlines are computed on.
std::string FormatLength(double millipoints);
// The same number as a PDF object: an integer when it is one, else a real.
QPDFObjectHandle NumberObject(double value);
QPDFObjectHandle NumberArray(const std::vector<double>& values);

// The transformation in PDF user space (points).
Vexl::Transformation ToPoints(const Vexl::Transformation& t);
// "a b c d e f" of the transformation in points, ready for `cm`.
std::string FormatMatrix(const Vexl::Transformation& t);
QPDFObjectHandle MatrixObject(const Vexl::Transformation& t);
// [left bottom right top] in points.
QPDFObjectHandle RectangleObject(const Vexl::Rectangle& box);

// Path construction operators (m, l, c, h) for the compound, in points.
std::string FormatPath(const Vexl::Compound& compound);

}  // namespace CorvelPdf::Detail
