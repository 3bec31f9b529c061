#pragma once
// Writing documents as PDF files.
//
// Pages become PDF pages with their boxes and rotation; groups become q … Q, or transparency
// group XObjects when they carry transparency; colours become DeviceCMYK, Separation or DeviceN
// (spots get a DeviceCMYK alternate from their representation); shadings (meshes as
// free-form triangles, Coons or tensor patches), pictures, image masks, soft masks and layers
// (as optional content) are written as PDF has them. Text is written as its glyph outlines: no
// fonts are embedded. Coordinates are divided by 1000 (millipoints to points).
//
// The output is deterministic: the same document gives the same bytes, /ID included. Objects
// PDF cannot hold (indexed pictures, clipping image masks) make the writer throw
// std::invalid_argument naming the page and object.

#include <mavdoc/Content.h>
#include <vexl/Geometry.h>

#include <string>

namespace CorvelPdf {

// Every page of the document, in order, as a PDF file at `path` (std::runtime_error when the
// file cannot be written) or as the bytes of one.
void WriteDocument(const MavDoc::Document& document, const std::string& path);
std::string WriteDocumentToString(const MavDoc::Document& document);

// One content as a one-page PDF whose media box is `box` (millipoints, in the content's space).
// Spot colours take their look from the content's document when it has one.
void WriteContent(const MavDoc::Content& content, const Vexl::Rectangle& box,
                  const std::string& path);
std::string WriteContentToString(const MavDoc::Content& content, const Vexl::Rectangle& box);

}  // namespace CorvelPdf
