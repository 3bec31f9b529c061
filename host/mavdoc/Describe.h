#pragma once
// A readable outline of a document or content, one line per object, indented by nesting.

#include <ostream>

#include <mavdoc/Objects.h>

namespace MavDoc {

void Describe(const Document& document, std::ostream& out);
void Describe(const Content& content, std::ostream& out, int indent = 0);

// A colour list as "Cyan 0.5, PANTONE 123 C 1" (process components first, by name).
std::string DescribeColor(const MavColor::Color& color);

}  // namespace MavDoc
