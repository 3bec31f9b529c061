#pragma once
// The builders of the catalogue's documents, one per case.

#include <memory>

#include <mavdoc/Objects.h>

namespace Corvel::Examples::Detail {

// Blending (CatalogueBlending.cpp).
std::unique_ptr<MavDoc::Document> BlendModesProcess();
std::unique_ptr<MavDoc::Document> BlendModesSpot();
std::unique_ptr<MavDoc::Document> AlphaAndShape();
std::unique_ptr<MavDoc::Document> AlphaSoftMasks();
std::unique_ptr<MavDoc::Document> LuminositySoftMasks();
std::unique_ptr<MavDoc::Document> Groups();
std::unique_ptr<MavDoc::Document> KnockoutWithShape();
std::unique_ptr<MavDoc::Document> OverprintUnderTransparency();

// Paints and structure (CataloguePaints.cpp).
std::unique_ptr<MavDoc::Document> Shadings();
std::unique_ptr<MavDoc::Document> Pictures();
std::unique_ptr<MavDoc::Document> MaskedPictures();
std::unique_ptr<MavDoc::Document> Clipping();
std::unique_ptr<MavDoc::Document> Layers();

// Strokes, text and everything together (CatalogueShapes.cpp).
std::unique_ptr<MavDoc::Document> Strokes();
std::unique_ptr<MavDoc::Document> TextUnderShadow();
std::unique_ptr<MavDoc::Document> BusyPage();

// Colours converted through ICC profiles (CatalogueColor.cpp).
std::unique_ptr<MavDoc::Document> DeviceIndependentColor();

}  // namespace Corvel::Examples::Detail
