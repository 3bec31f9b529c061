#pragma once
// Pictures: pixel buffers, picture sources, picture data and painted pictures. Immutable and
// shared once built. Rows run top to bottom; a picture occupies the unit square of its object.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <values/Color.h>
#include <vexl/Compound.h>

namespace MavDoc {
class Document;
}

namespace MavImg {

// Pixels of `columns` × `rows`, `channels` interleaved per pixel, each `bitsPerChannel` wide
// (8 or 16; 16-bit samples are big-endian). Rows are packed without padding.
class PictureBuffer {
 public:
  class Factory;

  int GetColumns() const { return columns_; }
  int GetRows() const { return rows_; }
  int GetChannels() const { return channels_; }
  int GetBitsPerChannel() const { return bitsPerChannel_; }
  std::size_t GetRowBytes() const;
  const std::uint8_t* GetRowPtr(int row) const;
  // Sample of (column, row, channel) scaled to 0..1.
  double GetSample(int column, int row, int channel) const;

 private:
  PictureBuffer() = default;
  int columns_ = 0, rows_ = 0, channels_ = 0, bitsPerChannel_ = 8;
  std::vector<std::uint8_t> bytes_;
};

class PictureBuffer::Factory {
 public:
  // Throws std::invalid_argument for non-positive sizes, bits other than 8 or 16, or a buffer
  // beyond 2^31 bytes.
  Factory(int columns, int rows, int channels, int bitsPerChannel);
  // The same with `bytes` as the pixels, taken without a copy; throws std::invalid_argument as
  // well when they are not exactly the buffer's size.
  Factory(int columns, int rows, int channels, int bitsPerChannel, std::vector<std::uint8_t> bytes);
  std::uint8_t* GetRowPtr(int row);
  // The finished buffer; the factory is left empty.
  std::shared_ptr<const PictureBuffer> GetResult();

 private:
  std::unique_ptr<PictureBuffer> buffer_;
};

// How a channel is read. Type kSeparationChannel (0) is a separation (tint, 0 no ink .. 1 full
// ink over `range`); type kAlphaChannel (1) is the picture's own coverage (0 transparent .. 1
// opaque), as a soft mask or colour-key mask gives it. `representation` is the separation's
// appearance (see MavDoc::Separation::Representation), set when known.
class ChannelInfo {
 public:
  static constexpr int kSeparationChannel = 0;
  static constexpr int kAlphaChannel = 1;

  ChannelInfo(std::string name, int type, std::array<double, 2> range)
      : name_(std::move(name)), type_(type), range_(range) {}
  const std::string& GetName() const { return name_; }
  int GetType() const { return type_; }
  std::array<double, 2> GetRange() const { return range_; }
  void SetRepresentation(std::array<float, 4> cmyk) { representation_ = cmyk; }
  const std::optional<std::array<float, 4>>& GetRepresentation() const { return representation_; }
  friend bool operator==(const ChannelInfo&, const ChannelInfo&) = default;

 private:
  std::string name_;
  int type_;
  std::array<double, 2> range_;
  std::optional<std::array<float, 4>> representation_;
};

// A source of pixels.
class PictureSource {
 public:
  virtual ~PictureSource() = default;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
};

// An in-memory picture: a buffer, the mapping of separations onto its channels, per-channel
// infos (info i describes channel i when there is one info per channel), an optional colour table (palette of `channels` values per index, for indexed
// pictures), an optional resolution, an optional clip outline and a transformation from the
// picture's unit square to its frame.
class BufferedPictureSource final : public PictureSource {
 public:
  BufferedPictureSource(std::shared_ptr<const PictureBuffer> buffer,
                        MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping,
                        std::vector<ChannelInfo> channelInfos,
                        std::shared_ptr<const std::vector<float>> colorTable,
                        std::optional<std::array<double, 2>> resolution,
                        std::shared_ptr<const Vexl::Compound> clip,
                        const Vexl::Transformation& transformation);
  int GetWidth() const override { return buffer_->GetColumns(); }
  int GetHeight() const override { return buffer_->GetRows(); }
  const std::shared_ptr<const PictureBuffer>& GetBuffer() const { return buffer_; }
  const MavColor::ColorList<MavColor::SeparationMappingPolicy>& GetMapping() const {
    return mapping_;
  }
  const std::vector<ChannelInfo>& GetChannelInfos() const { return channelInfos_; }
  const std::shared_ptr<const std::vector<float>>& GetColorTable() const { return colorTable_; }
  const std::optional<std::array<double, 2>>& GetResolution() const { return resolution_; }
  const std::shared_ptr<const Vexl::Compound>& GetClip() const { return clip_; }
  const Vexl::Transformation& GetTransformation() const { return transformation_; }
  // The channel holding the picture's coverage, or -1 when it covers its whole frame.
  int GetAlphaChannel() const;
  // Whether the pixels are continuous tone (rendered from pictures or shadings), which a writer
  // may compress lossily; false (the default) for pixels that may hold sharp artwork edges.
  // Set before the source is shared.
  void SetContinuousTone(bool continuousTone) { continuousTone_ = continuousTone; }
  bool IsContinuousTone() const { return continuousTone_; }
  // Whether the samples were stored lossily compressed (JPEG) in the file they were read from,
  // or, for a render, every picture in it was: recompressing them lossily loses no more than the
  // file already gave up. Set before the source is shared.
  void SetFromLossyData(bool fromLossyData) { fromLossyData_ = fromLossyData; }
  bool IsFromLossyData() const { return fromLossyData_; }
  // The picture's process samples converted to CMYK through ICC profiles (4 channels, 8 bits),
  // made on first use under the current colour settings, once per rendering intent (that of the
  // object painting it, `objectIntent`, if it sets one: see MavColor::IntentFor); null when its
  // colours are not managed (see MavColor::ManagedPixelsToCMYK).
  std::shared_ptr<const PictureBuffer> GetManagedCMYK(
      std::optional<MavColor::RenderingIntent> objectIntent = {}) const;
  // Whether GetManagedCMYK converts this picture, without converting it.
  bool IsManaged() const;

 private:
  std::shared_ptr<const PictureBuffer> MakeManagedCMYK(MavColor::RenderingIntent intent) const;
  // The process components of the row's pixels, each over its channel's range (L* 0..100 and
  // a*, b* over theirs for Lab), `ProcessCount` per pixel.
  void ReadProcessRow(int row, std::vector<float>& values) const;

  std::shared_ptr<const PictureBuffer> buffer_;
  MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping_;
  std::vector<ChannelInfo> channelInfos_;
  std::shared_ptr<const std::vector<float>> colorTable_;
  std::optional<std::array<double, 2>> resolution_;
  std::shared_ptr<const Vexl::Compound> clip_;
  Vexl::Transformation transformation_;
  bool continuousTone_ = false;
  bool fromLossyData_ = false;
  // Converted copies by intent, made under the settings of `managedGeneration_`.
  struct Managed {
    std::shared_ptr<const PictureBuffer> buffer;
    bool made = false;
  };
  mutable std::mutex managedMutex_;
  mutable std::array<Managed, 4> managed_;
  mutable std::uint64_t managedGeneration_ = 0;
};

// A picture of a document.
class PictureData {
 public:
  class Factory;
  const std::shared_ptr<const PictureSource>& GetSource() const { return source_; }

 private:
  std::shared_ptr<const PictureSource> source_;
};

class PictureData::Factory {
 public:
  Factory(const MavDoc::Document* document, std::shared_ptr<const PictureSource> source);
  std::shared_ptr<const PictureData> Get() const { return data_; }

 private:
  std::shared_ptr<const PictureData> data_;
};

// A picture as painted by an image object, with its `interpolate` rendering hint.
class PaintedPicture {
 public:
  class Factory;
  // The picture data; with `required` true, throws std::logic_error when there is none.
  const std::shared_ptr<const PictureData>& GetPictureData(bool required) const;
  bool GetInterpolate() const { return interpolate_; }
  // Whether the picture covers less than its frame (it has a coverage channel).
  bool HasAlpha() const;
  // The picture's channels as linear maps onto named separations for output through `target`
  // (see MavColor::ToSeparations). Throws std::logic_error for a source that is not held in
  // memory.
  MavColor::ColorList<MavColor::ChannelMappingPolicy> GetConvertedChannelMapping(
      const std::shared_ptr<const MavColor::ICCProfile>& target) const;

 private:
  std::shared_ptr<const PictureData> data_;
  bool interpolate_ = false;
};

class PaintedPicture::Factory {
 public:
  Factory(const MavDoc::Document* document, std::shared_ptr<const PictureData> data,
          bool interpolate);
  std::shared_ptr<const PaintedPicture> Get() const { return picture_; }

 private:
  std::shared_ptr<const PaintedPicture> picture_;
};

}  // namespace MavImg
