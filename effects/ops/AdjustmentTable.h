#pragma once
// The adjustment operations as records for `zelpix-cli effect`, with the same ParamSpec records as the
// effects.
#include "effects/ops/OperationSpec.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelpix::effects {

enum class AdjustmentOutput {
    Picture,       // one picture of the result
    ThreePictures, // three pictures; the file of each gets its letter from `channelLetters` before the extension
    Number,        // a count, printed
};

struct AdjustmentResult {
    std::vector<Picture> pictures; // one, or three for ThreePictures, none for Number
    std::int64_t number = 0;       // for Number
};

struct AdjustmentSpec {
    std::string cliName;        // "contrast", compared without regard to case
    std::string caption;        // "Contrast"
    AdjustmentOutput output = AdjustmentOutput::Picture;
    std::string channelLetters; // "RGB" or "HSV" for ThreePictures
    std::vector<ParamSpec> params;
    // Values in the order of `params`, already checked against their ranges.
    AdjustmentResult (*run)(const Picture& picture, const ParamValues& values) = nullptr;
};

const std::vector<AdjustmentSpec>& AdjustmentTable();
// nullptr when there is none of that name (case-insensitive).
const AdjustmentSpec* FindAdjustment(std::string_view cliName);

}  // namespace zelpix::effects
