#include <values/Picture.h>

#include <algorithm>
#include <cmath>

#include <values/ColorManagement.h>

#include <stdexcept>

#include <values/Conversion.h>

namespace MavImg {

namespace {

// Pictures beyond this are refused rather than risking an allocation the size of a damaged
// file's claims.
constexpr std::size_t kMaxPictureBytes = std::size_t{1} << 31;

}  // namespace

std::size_t PictureBuffer::GetRowBytes() const {
  return static_cast<std::size_t>(columns_) * channels_ * (bitsPerChannel_ / 8);
}

const std::uint8_t* PictureBuffer::GetRowPtr(int row) const {
  if (row < 0 || row >= rows_) throw std::out_of_range("Picture row out of range");
  return bytes_.data() + static_cast<std::size_t>(row) * GetRowBytes();
}

double PictureBuffer::GetSample(int column, int row, int channel) const {
  if (column < 0 || column >= columns_ || channel < 0 || channel >= channels_) {
    throw std::out_of_range("Picture sample out of range");
  }
  const std::uint8_t* p = GetRowPtr(row);
  const std::size_t index = static_cast<std::size_t>(column) * channels_ + channel;
  if (bitsPerChannel_ == 8) return p[index] / 255.0;
  return (p[2 * index] * 256 + p[2 * index + 1]) / 65535.0;
}

PictureBuffer::Factory::Factory(int columns, int rows, int channels, int bitsPerChannel)
    : Factory(columns, rows, channels, bitsPerChannel, {}) {}

PictureBuffer::Factory::Factory(int columns, int rows, int channels, int bitsPerChannel,
                                std::vector<std::uint8_t> pixels)
    : buffer_(new PictureBuffer()) {
  if (columns <= 0 || rows <= 0 || channels <= 0) {
    throw std::invalid_argument("A picture needs positive columns, rows and channels");
  }
  if (bitsPerChannel != 8 && bitsPerChannel != 16) {
    throw std::invalid_argument("A picture buffer holds 8 or 16 bits per channel");
  }
  const std::size_t bytes = static_cast<std::size_t>(columns) * rows * channels *
                            (bitsPerChannel / 8);
  if (bytes / rows / channels / (bitsPerChannel / 8) != static_cast<std::size_t>(columns) ||
      bytes > kMaxPictureBytes) {
    throw std::invalid_argument("Picture too large");
  }
  buffer_->columns_ = columns;
  buffer_->rows_ = rows;
  buffer_->channels_ = channels;
  buffer_->bitsPerChannel_ = bitsPerChannel;
  if (pixels.empty()) {
    buffer_->bytes_.assign(bytes, 0);
  } else if (pixels.size() != bytes) {
    throw std::invalid_argument("Picture pixels do not fill the buffer");
  } else {
    buffer_->bytes_ = std::move(pixels);
  }
}

std::uint8_t* PictureBuffer::Factory::GetRowPtr(int row) {
  if (!buffer_) throw std::logic_error("Picture buffer factory already used");
  return const_cast<std::uint8_t*>(static_cast<const PictureBuffer&>(*buffer_).GetRowPtr(row));
}

std::shared_ptr<const PictureBuffer> PictureBuffer::Factory::GetResult() {
  if (!buffer_) throw std::logic_error("Picture buffer factory already used");
  return std::shared_ptr<const PictureBuffer>(std::move(buffer_));
}

BufferedPictureSource::BufferedPictureSource(
    std::shared_ptr<const PictureBuffer> buffer,
    MavColor::ColorList<MavColor::SeparationMappingPolicy> mapping,
    std::vector<ChannelInfo> channelInfos, std::shared_ptr<const std::vector<float>> colorTable,
    std::optional<std::array<double, 2>> resolution, std::shared_ptr<const Vexl::Compound> clip,
    const Vexl::Transformation& transformation)
    : buffer_(std::move(buffer)),
      mapping_(std::move(mapping)),
      channelInfos_(std::move(channelInfos)),
      colorTable_(std::move(colorTable)),
      resolution_(resolution),
      clip_(std::move(clip)),
      transformation_(transformation) {
  if (!buffer_) throw std::invalid_argument("A picture source needs a buffer");
  for (const auto& entry : mapping_.GetEntries()) {
    if (entry.IsMapped() && entry.channel >= static_cast<std::uint64_t>(buffer_->GetChannels())) {
      throw std::invalid_argument("Picture mapping names channel beyond the buffer: " +
                                  entry.name);
    }
  }
}

int BufferedPictureSource::GetAlphaChannel() const {
  for (std::size_t c = 0; c < channelInfos_.size(); ++c) {
    if (channelInfos_[c].GetType() == ChannelInfo::kAlphaChannel) return static_cast<int>(c);
  }
  return -1;
}

std::shared_ptr<const PictureBuffer> BufferedPictureSource::GetManagedCMYK(
    std::optional<MavColor::RenderingIntent> objectIntent) const {
  const auto generation = MavColor::ColorSettingsGeneration();
  const auto intent = MavColor::IntentFor(objectIntent);
  std::lock_guard<std::mutex> lock(managedMutex_);
  if (managedGeneration_ != generation) {
    managed_ = {};
    managedGeneration_ = generation;
  }
  Managed& managed = managed_.at(static_cast<std::size_t>(intent));
  if (!managed.made) {
    managed.buffer = MakeManagedCMYK(intent);
    managed.made = true;
  }
  return managed.buffer;
}

// Gray, RGB-family, Lab and ICC-based CMYK pictures without spots, colour tables or clips: their
// decoded samples go through the profiles a row at a time. Whether conversion is managed is
// MavColor's to say (Lab is converted through profiles either way).
bool BufferedPictureSource::IsManaged() const {
  if (colorTable_ || clip_) return false;
  const std::size_t process = mapping_.ProcessCount();
  return (process == 1 || process == 3 || process == 4) && mapping_.GetEntries().size() == process &&
         MavColor::IsManaged(mapping_.GetColorSpace()) && MavColor::ArePixelsManaged(mapping_.GetColorSpace());
}

void BufferedPictureSource::ReadProcessRow(int row, std::vector<float>& values) const {
  const std::size_t process = mapping_.ProcessCount();
  const auto& entries = mapping_.GetEntries();
  values.resize(static_cast<std::size_t>(buffer_->GetColumns()) * process);
  for (std::size_t e = 0; e < process; ++e) {
    const auto channel = static_cast<int>(entries[e].channel);
    const auto range = static_cast<std::size_t>(channel) < channelInfos_.size()
                           ? channelInfos_[static_cast<std::size_t>(channel)].GetRange()
                           : std::array<double, 2>{0, 1};
    for (int column = 0; column < buffer_->GetColumns(); ++column) {
      values[static_cast<std::size_t>(column) * process + e] = static_cast<float>(
          range[0] + buffer_->GetSample(column, row, channel) * (range[1] - range[0]));
    }
  }
}

std::shared_ptr<const PictureBuffer> BufferedPictureSource::MakeManagedCMYK(MavColor::RenderingIntent intent) const {
  if (!IsManaged()) return nullptr;
  const auto& space = mapping_.GetColorSpace();
  const bool lab = std::holds_alternative<MavColor::Lab>(space);
  const auto columns = static_cast<std::size_t>(buffer_->GetColumns());
  PictureBuffer::Factory factory(buffer_->GetColumns(), buffer_->GetRows(), 4, 8);
  std::vector<float> values;
  std::vector<std::uint8_t> samples;
  for (int row = 0; row < buffer_->GetRows(); ++row) {
    ReadProcessRow(row, values);
    bool converted = false;
    if (lab) {
      // L*, a*, b* as they are: no 8-bit sample holds a* and b* over any range.
      converted = MavColor::ManagedLabPixelsToCMYK(space, values.data(), factory.GetRowPtr(row),
                                                   columns, intent);
    } else {
      samples.resize(values.size());
      for (std::size_t i = 0; i < values.size(); ++i)
        samples[i] =
            static_cast<std::uint8_t>(std::lround(std::clamp(values[i], 0.0f, 1.0f) * 255));
      converted = MavColor::ManagedPixelsToCMYK(space, samples.data(), values.size() / columns,
                                                factory.GetRowPtr(row), columns, intent);
    }
    if (!converted) return nullptr;
  }
  return factory.GetResult();
}

bool PaintedPicture::HasAlpha() const {
  const auto* source = dynamic_cast<const BufferedPictureSource*>(GetPictureData(true)->GetSource().get());
  return source && source->GetAlphaChannel() >= 0;
}

PictureData::Factory::Factory(const MavDoc::Document*, std::shared_ptr<const PictureSource> src) {
  if (!src) throw std::invalid_argument("Picture data needs a source");
  auto data = std::shared_ptr<PictureData>(new PictureData());
  data->source_ = std::move(src);
  data_ = std::move(data);
}

const std::shared_ptr<const PictureData>& PaintedPicture::GetPictureData(bool required) const {
  if (required && !data_) throw std::logic_error("Painted picture without picture data");
  return data_;
}

MavColor::ColorList<MavColor::ChannelMappingPolicy> PaintedPicture::GetConvertedChannelMapping(
    const std::shared_ptr<const MavColor::ICCProfile>&) const {
  const auto* source = dynamic_cast<const BufferedPictureSource*>(
      GetPictureData(true)->GetSource().get());
  if (!source) throw std::logic_error("Picture source is not held in memory");
  const auto& infos = source->GetChannelInfos();
  std::vector<std::array<double, 2>> ranges(static_cast<std::size_t>(source->GetBuffer()->GetChannels()),
                                            std::array<double, 2>{0, 1});
  for (std::size_t c = 0; c < ranges.size() && c < infos.size(); ++c) ranges[c] = infos[c].GetRange();
  if (source->IsManaged()) {
    // The converted copy holds C, M, Y, K as its channels 0 to 3.
    MavColor::ColorList<MavColor::ChannelMappingPolicy> converted;
    for (int i = 0; i < 4; ++i) converted.Append({MavColor::ProcessInkNames()[i], static_cast<std::uint64_t>(i), {0, 1}});
    return converted;
  }
  return MavColor::ToSeparations(source->GetMapping(), ranges);
}

PaintedPicture::Factory::Factory(const MavDoc::Document*, std::shared_ptr<const PictureData> data,
                                 bool interpolate) {
  auto picture = std::shared_ptr<PaintedPicture>(new PaintedPicture());
  picture->data_ = std::move(data);
  picture->interpolate_ = interpolate;
  picture_ = std::move(picture);
}

}  // namespace MavImg
