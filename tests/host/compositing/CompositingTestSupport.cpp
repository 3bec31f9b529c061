#include "CompositingTestSupport.h"

namespace CompositeTest {

namespace {

constexpr std::size_t kRowWidth = 300;  // more than one chunk of the row kernels

std::shared_ptr<const SoftMask> MakeMaskVarying(const std::shared_ptr<const SoftMask>& mask,
                                                std::vector<PointInput>& values) {
  if (!mask) return mask;
  SoftMask copy = *mask;
  for (Node& child : copy.elements) child = MakeVarying(child, values);
  return std::make_shared<const SoftMask>(std::move(copy));
}

}  // namespace

RowInputs::RowInputs(const Program& program, std::size_t width) {
  const std::size_t count = program.GetInputCount();
  tints_.resize(count);
  shapes_.assign(count, std::vector<float>(width, 1.0f));
  pointers_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    tints_[i].assign(program.GetInputChannelCount(i), std::vector<float>(width, 0.0f));
  }
}

std::vector<InputRow> RowInputs::Rows() {
  std::vector<InputRow> rows(tints_.size());
  for (std::size_t i = 0; i < tints_.size(); ++i) {
    pointers_[i].clear();
    for (const auto& plane : tints_[i]) pointers_[i].push_back(plane.data());
    rows[i].tints = pointers_[i];
    rows[i].shape = shapes_[i].data();
  }
  return rows;
}

std::vector<std::vector<std::uint8_t>> EvaluateRowBytes(const Program& program, RowInputs& inputs,
                                                        std::size_t width) {
  const std::size_t channels = program.GetSpace().Size();
  std::vector<std::uint8_t> line(channels * width, 0xAB);
  RowEvaluator evaluator(program);
  const std::vector<InputRow> rows = inputs.Rows();
  evaluator.EvaluateRow(rows, width, line);
  std::vector<std::vector<std::uint8_t>> planes(channels);
  for (std::size_t c = 0; c < channels; ++c) {
    planes[c].assign(line.begin() + static_cast<std::ptrdiff_t>(c * width),
                     line.begin() + static_cast<std::ptrdiff_t>((c + 1) * width));
  }
  return planes;
}

Node MakeVarying(const Node& node, std::vector<PointInput>& values) {
  if (const auto* group = std::get_if<Group>(&node.content)) {
    Group copy = *group;
    for (Node& child : copy.elements) child = MakeVarying(child, values);
    copy.softMask = MakeMaskVarying(copy.softMask, values);
    return copy;
  }
  Element element = std::get<Element>(node.content);
  element.softMask = MakeMaskVarying(element.softMask, values);
  if (element.input != kFlat) return element;
  element.input = static_cast<int>(values.size());
  values.push_back({element.tints, element.shape});
  element.tints.clear();
  element.shape = 1;
  return element;
}

void ExpectComposite(const Node& root, const std::vector<double>& expected, double tolerance) {
  const Program program(CmykSpot(), root);
  const std::vector<float> point = program.EvaluatePoint();
  ASSERT_EQ(point.size(), expected.size());
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_NEAR(point[c], expected[c], tolerance) << "point, separation " << c;
  }
  RowInputs none(program, kRowWidth);
  const auto flatRow = EvaluateRowBytes(program, none, kRowWidth);
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_TRUE(ByteMatches(flatRow[c][kRowWidth - 1], expected[c], tolerance))
        << "flat row, separation " << c << ": " << int(flatRow[c][kRowWidth - 1]);
  }
  std::vector<PointInput> values;
  const Program varying(CmykSpot(), MakeVarying(root, values));
  RowInputs inputs(varying, kRowWidth);
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (std::size_t c = 0; c < values[i].tints.size(); ++c) {
      std::fill(inputs.Tints(i, c).begin(), inputs.Tints(i, c).end(), values[i].tints[c]);
    }
    std::fill(inputs.Shape(i).begin(), inputs.Shape(i).end(), values[i].shape);
  }
  const auto row = EvaluateRowBytes(varying, inputs, kRowWidth);
  for (std::size_t c = 0; c < expected.size(); ++c) {
    for (std::size_t x = 0; x < kRowWidth; x += 37) {
      EXPECT_TRUE(ByteMatches(row[c][x], expected[c], tolerance))
          << "varying row, separation " << c << ", pixel " << x << ": " << int(row[c][x]);
    }
  }
}

}  // namespace CompositeTest
