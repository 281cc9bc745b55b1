// The template ids of the module settings dialogs and the ids of the controls that both a
// module's dialog logic (which fills and reads them) and the GUI's layout of the template (which
// creates them) address. Each dialog's namespace holds its template id and its controls.
#pragma once

namespace tavrel::dialog_ids {

// The buttons every module dialog has ("適用" is hidden in the dialogs that do not apply).
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kApply = 1001;

// The plain frame: preview, OK and Cancel ("確認"), for modules without parameters.
namespace confirm {
inline constexpr int kTemplate = 104;
}

namespace rectifier {
inline constexpr int kTemplate = 107;
inline constexpr int kFullWave = 1039;
inline constexpr int kHalfWave = 1040;
inline constexpr int kPositive = 1041;
inline constexpr int kNegative = 1042;
}  // namespace rectifier

namespace decimation {
inline constexpr int kTemplate = 108;
inline constexpr int kStepEdit = 1000;
}  // namespace decimation

namespace smoothing {
inline constexpr int kTemplate = 109;
inline constexpr int kPointsEdit = 1000;
}  // namespace smoothing

// The low-pass (110) and high-pass (111) dialogs share their controls.
namespace cutoff {
inline constexpr int kLowPassTemplate = 110;
inline constexpr int kHighPassTemplate = 111;
inline constexpr int kCutoffEdit = 1000;
inline constexpr int kLowestField = 1038;
inline constexpr int kHighestField = 1039;
}  // namespace cutoff

// The band-pass (112) and band-stop (113) dialogs share their controls.
namespace band {
inline constexpr int kBandPassTemplate = 112;
inline constexpr int kBandStopTemplate = 113;
inline constexpr int kLowEdit = 1000;
inline constexpr int kHighEdit = 1002;
inline constexpr int kLowMinField = 1038;
inline constexpr int kLowMaxField = 1039;
inline constexpr int kHighMinField = 1040;
inline constexpr int kHighMaxField = 1041;
}  // namespace band

namespace amplitude {
inline constexpr int kTemplate = 114;
inline constexpr int kThresholdEdit = 1000;
inline constexpr int kDurationEdit = 1002;
}  // namespace amplitude

namespace integrator {
inline constexpr int kTemplate = 115;
inline constexpr int kStartEdit = 1000;
inline constexpr int kEndEdit = 1002;
inline constexpr int kMinField = 1038;
inline constexpr int kMaxField = 1039;
}  // namespace integrator

namespace sd {
inline constexpr int kTemplate = 116;
inline constexpr int kFactorEdit = 1000;
inline constexpr int kWindowEdit = 1002;
inline constexpr int kRefStartEdit = 1038;
inline constexpr int kRefLengthEdit = 1039;
inline constexpr int kMinField = 1040;
inline constexpr int kMaxField = 1041;
}  // namespace sd

namespace clip {
inline constexpr int kTemplate = 117;
inline constexpr int kStartEdit = 1000;
inline constexpr int kEndEdit = 1002;
inline constexpr int kCut = 1004;
inline constexpr int kMinField = 1038;
inline constexpr int kMaxField = 1039;
}  // namespace clip

namespace probe {
inline constexpr int kTemplate = 118;
inline constexpr int kEnable = 1002;
}  // namespace probe

namespace fft {
inline constexpr int kTemplate = 122;
inline constexpr int kStartEdit = 1000;
inline constexpr int kPointsField = 1002;
inline constexpr int kMinField = 1038;
inline constexpr int kMaxField = 1039;
inline constexpr int kMethodField = 1044;
}  // namespace fft

// The dialog laid out from a class's fields: one row per field, the control of field i (an edit,
// a check box or a drop-down list) has the id kFirstControl + i.
namespace generated {
inline constexpr int kTemplate = 130;
inline constexpr int kFirstControl = 1100;
}  // namespace generated

}  // namespace tavrel::dialog_ids
