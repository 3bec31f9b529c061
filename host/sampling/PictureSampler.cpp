#include <sampling/PaintSampler.h>

#include <cmath>
#include <stdexcept>

namespace Sampling {

namespace {

// A picture's pixels, nearest pixel, mapped onto the composite's separations.
class PictureSampler final : public PaintSampler {
 public:
  PictureSampler(const DocumentGraph::ElementAttribute& element, const Projector& projector)
      : PaintSampler(projector.Size()), projector_(projector) {
    const auto& picture = *element.PaintedPicture();
    source_ = dynamic_cast<const MavImg::BufferedPictureSource*>(
        picture.GetPictureData(true)->GetSource().get());
    if (!source_) throw std::invalid_argument("Picture source is not held in memory");
    if (source_->GetClip() || source_->GetColorTable()) {
      throw std::invalid_argument("Pictures with clip outlines or colour tables cannot be rendered yet");
    }
    mapping_ = picture.GetConvertedChannelMapping(nullptr);
    colors_ = source_->GetManagedCMYK(element.Intent());
    if (!colors_) colors_ = source_->GetBuffer();
    // A gray or RGB picture inside a mask group of such a space is read in its own samples.
    const auto& own = source_->GetMapping();
    std::vector<float> probe(own.Size()), probed(projector_.Size());
    direct_ = own.Size() == own.ProcessCount() &&
              projector_.ProjectDirect(own.GetColorSpace(), probe, probed.data());
    alphaChannel_ = source_->GetAlphaChannel();
    pageToUnit_ = (source_->GetTransformation() * element.ObjectTransformation()).Inverse();
  }

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    const MavImg::PictureBuffer& buffer = *source_->GetBuffer();
    const Vexl::Point p0 = pageToUnit_.Apply(start);
    const Vexl::Point d = pageToUnit_.ApplyLinear(step);
    MavColor::Color converted = mapping0();
    std::vector<float> pixel(projector_.Size());
    for (std::size_t i = 0; i < width; ++i) {
      const double u = (p0.x + d.x * double(i)) / MavDoc::Image::kUnit;
      const double v = (p0.y + d.y * double(i)) / MavDoc::Image::kUnit;
      const bool inside = u >= 0 && u < 1 && v > 0 && v <= 1;
      shape[i] = inside ? 1.0f : 0.0f;
      if (!inside) {
        for (std::size_t c = 0; c < Channels(); ++c) tints[c][i] = 0;
        continue;
      }
      const int column = std::min(static_cast<int>(u * buffer.GetColumns()), buffer.GetColumns() - 1);
      const int row = std::min(static_cast<int>((1 - v) * buffer.GetRows()), buffer.GetRows() - 1);
      if (alphaChannel_ >= 0) shape[i] = static_cast<float>(buffer.GetSample(column, row, alphaChannel_));
      if (direct_) {
        ProjectOwnSamples(buffer, column, row, pixel.data());
      } else {
        Fill(converted, *colors_, column, row);
        projector_.Project(converted, pixel.data());
      }
      for (std::size_t c = 0; c < Channels(); ++c) tints[c][i] = pixel[c];
    }
  }

 private:
  MavColor::Color mapping0() const {
    MavColor::Color color;
    if (std::holds_alternative<MavColor::AllSeparations>(mapping_.GetColorSpace())) {
      color.SetColorSpace(MavColor::AllSeparations{});
    }
    for (const auto& entry : mapping_.GetEntries()) color.Append({entry.name, 0});
    return color;
  }

  void Fill(MavColor::Color& converted, const MavImg::PictureBuffer& buffer, int column,
            int row) const {
    auto& values = converted.GetEntries();
    const auto& entries = mapping_.GetEntries();
    for (std::size_t e = 0; e < entries.size(); ++e) {
      if (!entries[e].IsMapped()) {
        values[e].value = 0;
        continue;
      }
      const double sample = buffer.GetSample(column, row, static_cast<int>(entries[e].channel));
      const auto& range = entries[e].range;
      values[e].value = static_cast<float>(range[0] + sample * (range[1] - range[0]));
    }
  }

  void ProjectOwnSamples(const MavImg::PictureBuffer& buffer, int column, int row,
                         float* tints) const {
    const auto& entries = source_->GetMapping().GetEntries();
    const auto& infos = source_->GetChannelInfos();
    std::vector<float> values(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
      if (!entries[e].IsMapped()) continue;
      const auto channel = entries[e].channel;
      const double sample = buffer.GetSample(column, row, static_cast<int>(channel));
      const auto range =
          channel < infos.size() ? infos[channel].GetRange() : std::array<double, 2>{0, 1};
      values[e] = static_cast<float>(range[0] + sample * (range[1] - range[0]));
    }
    projector_.ProjectDirect(source_->GetMapping().GetColorSpace(), values, tints);
  }

  Projector projector_;
  bool direct_ = false;
  const MavImg::BufferedPictureSource* source_ = nullptr;
  // The samples the colours are read from: the picture's own, or their managed CMYK copy;
  // coverage always comes from the picture's own.
  std::shared_ptr<const MavImg::PictureBuffer> colors_;
  MavColor::ColorList<MavColor::ChannelMappingPolicy> mapping_;
  int alphaChannel_ = -1;
  Vexl::Transformation pageToUnit_;
};

// A stencil: its paint where the one-channel picture is set (clear, when inverted), nothing
// elsewhere; nearest pixel, like pictures.
class StencilSampler final : public PaintSampler {
 public:
  StencilSampler(const MavDoc::ImageMask& stencil, const Vexl::Transformation& objectToPage,
                 std::unique_ptr<PaintSampler> paint)
      : PaintSampler(paint->Channels()), paint_(std::move(paint)), inverted_(stencil.IsInverted()) {
    buffer_ = dynamic_cast<const MavImg::BufferedPictureSource&>(
                  *stencil.GetStencil()->GetPictureData(true)->GetSource())
                  .GetBuffer();
    pageToUnit_ = objectToPage.Inverse();
  }

  void SampleRow(Vexl::Point start, Vexl::Point step, std::size_t width, float* const* tints,
                 float* shape) const override {
    paint_->SampleRow(start, step, width, tints, shape);
    const Vexl::Point p0 = pageToUnit_.Apply(start);
    const Vexl::Point d = pageToUnit_.ApplyLinear(step);
    for (std::size_t i = 0; i < width; ++i) {
      const double u = (p0.x + d.x * double(i)) / MavDoc::Image::kUnit;
      const double v = (p0.y + d.y * double(i)) / MavDoc::Image::kUnit;
      bool set = false;
      if (u >= 0 && u < 1 && v > 0 && v <= 1) {
        const int column = std::min(static_cast<int>(u * buffer_->GetColumns()), buffer_->GetColumns() - 1);
        const int row = std::min(static_cast<int>((1 - v) * buffer_->GetRows()), buffer_->GetRows() - 1);
        set = (buffer_->GetSample(column, row, 0) >= 0.5) != inverted_;
      }
      if (!set) shape[i] = 0;
    }
  }

 private:
  std::unique_ptr<PaintSampler> paint_;
  std::shared_ptr<const MavImg::PictureBuffer> buffer_;
  bool inverted_;
  Vexl::Transformation pageToUnit_;
};

}  // namespace

std::unique_ptr<PaintSampler> MakePictureSampler(const DocumentGraph::ElementAttribute& element,
                                                 const Projector& projector) {
  return std::make_unique<PictureSampler>(element, projector);
}

std::unique_ptr<PaintSampler> MakeStencilSampler(const DocumentGraph::ElementAttribute& element,
                                                 std::unique_ptr<PaintSampler> paint) {
  return std::make_unique<StencilSampler>(dynamic_cast<const MavDoc::ImageMask&>(element.Object()),
                                          element.ContentTransformation(), std::move(paint));
}

}  // namespace Sampling
